// The results file: reading, the statistics of every chart, the CSV of the series, and saving
// again (what the program saved must load again).
#include "FuzzSupport.h"

#include "core/Error.h"
#include "results/ResultsFile.h"
#include "results/SeriesText.h"

#include <memory>
#include <sstream>

using namespace narv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto results = std::make_unique<TResultSet>();
    try {
        std::istringstream in(fuzz::Bytes(data, size));
        LoadResults(in, *results, "fuzz.rlt");
        for (const TChart& chart : results->Charts)
            SeriesStatistics(*results, chart);
        std::ostringstream csv;
        WriteSeriesCsv(csv, results->Series);
    } catch (const Error&) {
        return 0;
    }
    std::ostringstream saved;
    SaveResults(saved, *results);
    auto again = std::make_unique<TResultSet>();
    try {
        std::istringstream in(saved.str());
        LoadResults(in, *again, "again.rlt");
    } catch (const Error& e) {
        fuzz::Fail("saved results do not load again", e.what());
    }
    return 0;
}

// The chart file, loaded as a chart and as a template into a results set.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "results/ChartFile.h"
#include "results/SeriesText.h"

#include <memory>
#include <sstream>

using namespace narv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = fuzz::Bytes(data, size);
    auto results = std::make_unique<TResultSet>();
    try {
        std::istringstream in(bytes);
        const int index = LoadChartFromStream(*results, in, "fuzz.cht");
        SeriesStatistics(*results, results->Charts.at(static_cast<std::size_t>(index)));
        std::ostringstream out;
        WriteChartFile(out, results->Charts.at(static_cast<std::size_t>(index)));
    } catch (const Error&) {
    }
    try {
        std::istringstream in(bytes);
        LoadTemplateFromStream(*results, in, "fuzz.cht");
    } catch (const Error&) {
    }
    return 0;
}

// The text files of the shell and the charts: the menu-hint file and a series text file.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "results/ResultSet.h"
#include "results/SeriesText.h"
#include "shell/MenuHints.h"

#include <memory>
#include <sstream>

using namespace narv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = fuzz::Bytes(data, size);
    try {
        ParseMenuHints(bytes);
    } catch (const Error&) {
    }
    auto results = std::make_unique<TResultSet>();
    results->Charts.emplace_back();
    try {
        std::istringstream in(bytes);
        LoadSeriesFromStream(*results, 0, in, "fuzz.txt");
    } catch (const Error&) {
    }
    return 0;
}

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "core/AtomicFile.h"
#include "results/ResultsFile.h"
#include "results/SeriesText.h"

#include <fmt/format.h>

#include <algorithm>
#include <ostream>

namespace narv::cli {

const char* const kResultsHelp =
    R"(Usage: narv-cli results FILE.rlt [--csv OUT.csv] [--stats]

Reads a results file written by the program or by 'narv-cli simulate --results'. Without
options prints a one-line summary of it.

  --csv FILE   write the recorded series as CSV: "X" and the series titles, then one row
               per point (the run's series found in the file's charts, in series order)
  --stats      for every chart in index order: its title, the "Time Series Statistics"
               of its series (tab-separated, as the statistics window shows them) and an
               empty line
)";

OptionSpec ResultsOptions()
{
    return {{"--csv"}, {"--stats"}, 1};
}

int runResults(const CliArguments& arguments, std::ostream& out)
{
    const std::string file = arguments.positionals().front();
    TResultSet results;
    LoadResultsFile(file, results);

    if (const auto csv = arguments.value("--csv"))
        writeFileAtomically(*csv,
                            [&](std::ostream& stream) { WriteSeriesCsv(stream, results.Series); });
    if (arguments.has("--stats")) {
        for (const TChart& chart : results.Charts) {
            out << chart.Title << '\n';
            for (const std::string& line : SeriesStatistics(results, chart))
                out << line << '\n';
            out << '\n';
        }
    }
    if (!arguments.has("--csv") && !arguments.has("--stats")) {
        const auto stored = std::count_if(results.Series.begin(), results.Series.end(),
                                          [](const SeriesPointer& s) { return s != nullptr; });
        std::size_t points = 0;
        for (const SeriesPointer& series : results.Series)
            if (series)
                points = std::max(points, series->Points.size());
        out << fmt::format("{}: run {}, {} series ({} in charts), {} points, {} charts\n", file,
                           results.RunStart.empty() ? "none" : results.RunStart,
                           results.Series.size(), stored, points, results.Charts.size());
    }
    return kExitSuccess;
}

} // namespace narv::cli

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "dynamics/DynamicSimulation.h"

#include <fmt/format.h>

#include <ctime>
#include <memory>
#include <ostream>

namespace narv::cli {

const char* const kSimulateHelp =
    R"(Usage: narv-cli simulate --model M.mod --plant P.pln [--variation V.vrt] --cycles N
                        [--all-cycles] [--settings S.ini] [--results R.rlt] [--csv R.csv]
                        [--charts DIR] [--save OUT.pln] [--state-json OUT.json]

Runs the plant through N cycles of its variation: at every variation step the flows,
influent concentrations, aeration and temperature follow the variation, each cycle is
integrated in 288 output steps, and every quantity is recorded after every output step of
the last cycle (of every cycle with --all-cycles). The plant's inputs are restored at the
end; its state is that of the last step.

  --model FILE        the model file (required)
  --plant FILE        the plant file (required)
  --variation FILE    the variation (required for standard plants)
  --cycles N          the number of cycles, 1..365 (required)
  --all-cycles        record every cycle instead of the last one only
  --settings FILE     numerical settings from the [Simulation] section of a settings file
  --results FILE      write the results file (*.rlt)
  --csv FILE          write all series as CSV
  --charts DIR        draw every default chart of the run as a PNG into DIR
  --save FILE         write the plant file with the final state
  --state-json FILE   write the final state as JSON
)";

OptionSpec SimulateOptions()
{
    return {{"--model", "--plant", "--variation", "--cycles", "--settings", "--results", "--csv",
             "--charts", "--save", "--state-json"},
            {"--all-cycles"},
            0};
}

int runSimulate(const CliArguments& arguments, std::ostream& out)
{
    arguments.required("--plant");
    const auto cycles = arguments.integer("--cycles");
    if (!cycles)
        throw UsageError("missing option --cycles");
    if (*cycles < 1 || *cycles > kMaxCycles)
        throw UsageError(fmt::format("--cycles must lie between 1 and {}", kMaxCycles));
    auto workspace = std::make_unique<Workspace>();
    const std::string keyword = LoadCaseFiles(*workspace, arguments);
    if (!arguments.has("--variation"))
        throw Error(
            "A dynamic simulation of this plant needs a variation: give it with --variation.");
    const TSimSettings settings = LoadSettings(arguments);
    const bool allCycles = arguments.has("--all-cycles");
    for (const char* option : {"--results", "--csv", "--charts"})
        if (arguments.has(option))
            throw Error(fmt::format("The option {} is not available in this version yet.", option));

    auto results = std::make_unique<TResultSet>();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    SetRunStart(*results, local);
    TerminalProgress progress;
    DynamicSimulation simulation(workspace->model, workspace->plant, workspace->state,
                                 workspace->variation, settings, *results);
    const RunOutcome outcome = simulation.run(progress, *cycles, allCycles);
    WriteRunOutputs(*workspace, keyword, arguments);
    const std::size_t points = results->Series.empty() ? 0 : results->Series.front()->Points.size();
    out << fmt::format(
        "Simulated {} cycles of {:g} d{}: {} series of {} points; simulation time: {}\n", *cycles,
        workspace->variation.CycleDuration, outcome.stopped ? " (stopped)" : "",
        results->Series.size(), points, FormatElapsed(outcome.elapsedSeconds));
    return kExitSuccess;
}

} // namespace narv::cli

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/Error.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "dynamics/DynamicSimulation.h"
#include "shell/Computations.h"
#include "shell/ShellCommands.h"
#include "special/AIPlant.h"

#include <fmt/format.h>

#include <filesystem>
#include <memory>
#include <optional>
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
  --solver NAME       legacy (default) or cvode, the error-controlled stiff integrator
  --rtol R, --atol A  relative and absolute tolerances of cvode (default 1e-6 and 1e-8)
  --results FILE      write the results file (*.rlt)
  --csv FILE          write all series as CSV
  --charts DIR        draw every default chart of the run as a PNG into DIR
  --save FILE         write the plant file with the final state
  --state-json FILE   write the final state as JSON
)";

namespace {

std::string stem(const std::optional<std::string>& file)
{
    return file ? std::filesystem::path(*file).stem().string() : std::string();
}

// What the footnote of every chart names: the project (the plant's directory) and the files.
ChartSetup chartSetup(const CliArguments& arguments)
{
    ChartSetup setup;
    const auto plant = arguments.value("--plant");
    setup.ProjectName =
        plant ? std::filesystem::absolute(*plant).parent_path().filename().string() : "";
    setup.ModelName = stem(arguments.value("--model"));
    setup.PlantName = stem(plant);
    setup.VariationName = stem(arguments.value("--variation"));
    return setup;
}

} // namespace

OptionSpec SimulateOptions()
{
    OptionSpec options{{"--model", "--plant", "--variation", "--cycles", "--settings", "--results",
                        "--csv", "--charts", "--save", "--state-json"},
                       {"--all-cycles"},
                       0};
    AddSolverOptions(options);
    return options;
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
    Workspace& w = *workspace;
    const std::string keyword = LoadCaseFiles(w, arguments);
    const bool sbr = w.plant.PlantType == TFlowschemeType::ftSBR;
    const bool ai = w.plant.PlantType == TFlowschemeType::ftAI;
    if (sbr && arguments.has("--variation"))
        throw Error("An SBR plant runs its own cycle and takes no variation.");
    if (!sbr && !arguments.has("--variation"))
        throw HintedError(ai ? kAIComputationMessage : kNoVariationForDynamics,
                          "(narv-cli: give the variation file with --variation FILE.)");
    if (!sbr && *cycles * w.variation.CycleDuration > kMaxRunDays)
        throw Error(fmt::format("{} cycles of {:g} d are {:g} d; a run covers at most {} d.",
                                *cycles, w.variation.CycleDuration,
                                *cycles * w.variation.CycleDuration, formatLimit(kMaxRunDays)));
    const TSimSettings settings = LoadSettings(arguments);
    const bool allCycles = arguments.has("--all-cycles");

    TerminalProgress progress;
    DynamicRunRequest request;
    request.cycles = *cycles;
    request.allCycles = allCycles;
    request.chartSetup = chartSetup(arguments);
    const DynamicRunOutcome outcome = RunDynamicSimulation(w, settings, progress, request);
    const TResultSet& results = w.results;
    ThrowIfStopSignal(
        fmt::format("the simulation ended at {:g} d; no output was written.", w.state.Time));

    // Every output is written in full before any is replaced.
    OutputSet outputs;
    WriteRunOutputs(w, keyword, arguments, outputs, w.sbrRun ? &*w.sbrRun : nullptr);
    if (const auto file = arguments.value("--results"))
        SaveRunResults(w, outputs.stage(*file));
    if (const auto file = arguments.value("--csv"))
        WriteRunSeriesCsv(results, outputs.stage(*file));
    std::size_t chartFiles = 0;
    if (const auto directory = arguments.value("--charts"))
        chartFiles = outputs
                         .stageDirectory(*directory,
                                         [&](const std::filesystem::path& staging) {
                                             DrawRunCharts(results, staging);
                                         })
                         .size();
    outputs.commit();
    const std::size_t points = results.Series.empty() ? 0 : results.Series.front()->Points.size();
    out << fmt::format(
        "Simulated {} cycles of {:g} d{}: {} series of {} points, {} charts; simulation time: {}\n",
        *cycles, outcome.cycleDuration, outcome.run.stopped ? " (stopped)" : "",
        results.Series.size(), points, results.Charts.size(),
        FormatElapsed(outcome.run.elapsedSeconds));
    if (const auto directory = arguments.value("--charts"))
        out << fmt::format("{} charts drawn into {}\n", chartFiles, *directory);
    return kExitSuccess;
}

} // namespace narv::cli

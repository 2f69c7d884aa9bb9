#include "shell/Computations.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "dynamics/DynamicSimulation.h"
#include "results/Recording.h"
#include "results/ResultsFile.h"
#include "results/SeriesText.h"
#include "special/AIDynamicSimulation.h"
#include "special/SbrSimulation.h"

#include <memory>

namespace narv {
namespace {

// Sets runLasts for the length of a run, also when it throws.
class RunLasts {
public:
    explicit RunLasts(Workspace& workspace) : m_workspace(workspace)
    {
        m_workspace.runLasts = true;
    }
    ~RunLasts() { m_workspace.runLasts = false; }
    RunLasts(const RunLasts&) = delete;
    RunLasts& operator=(const RunLasts&) = delete;

private:
    Workspace& m_workspace;
};

std::tm localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

void RefuseSpecialPlantComputation(const Workspace& workspace)
{
    if (workspace.plant.PlantType == TFlowschemeType::ftSBR)
        throw Error(kSbrComputationMessage);
    if (workspace.plant.PlantType == TFlowschemeType::ftAI)
        throw Error(kAIComputationMessage);
}

RunOutcome RunIntegration(Workspace& workspace, const TSimSettings& settings, RunControl& control,
                          const IntegrationRequest& request)
{
    RefuseSpecialPlantComputation(workspace);
    const RunLasts lasts(workspace);
    IntegrationRun run(workspace.model, workspace.plant, workspace.state, settings);
    return run.run(control, request.endTime, request.endTimeText, request.stepByStep,
                   request.afterChunk);
}

void SaveIntegrationConditions(Workspace& workspace)
{
    workspace.savedConditions = SavedConditions{workspace.state.S, workspace.state.X};
}

void LoadIntegrationConditions(Workspace& workspace)
{
    if (!workspace.savedConditions)
        throw SimulationError("No initial conditions have been saved yet.");
    workspace.state.S = workspace.savedConditions->S;
    workspace.state.X = workspace.savedConditions->X;
}

RelaxationOutcome RunRelaxation(Workspace& workspace, const TSimSettings& settings,
                                RunControl& control, const RelaxationTimes& times,
                                const std::function<void()>& afterChunk)
{
    RefuseSpecialPlantComputation(workspace);
    const RunLasts lasts(workspace);
    RelaxationOutcome outcome;
    if (settings.Steady == SteadyMethod::Newton) {
        SteadyStateNewton newton(workspace.model, workspace.plant, workspace.state, settings);
        outcome.newton = newton.run(control, times);
        outcome.run = outcome.newton->relaxation;
        outcome.run.elapsedSeconds = outcome.newton->elapsedSeconds;
        outcome.iterations = outcome.newton->iterations;
        if (afterChunk)
            afterChunk();
        return outcome;
    }
    Relaxation relaxation(workspace.model, workspace.plant, workspace.state, settings);
    outcome.run = relaxation.run(control, times, afterChunk);
    outcome.iterations = relaxation.iterations();
    return outcome;
}

DynamicRunOutcome RunDynamicSimulation(Workspace& workspace, const TSimSettings& settings,
                                       RunControl& control, const DynamicRunRequest& request)
{
    Workspace& w = workspace;
    const RunLasts lasts(w);
    const bool sbr = w.plant.PlantType == TFlowschemeType::ftSBR;
    const bool ai = w.plant.PlantType == TFlowschemeType::ftAI;
    // The SBR cycle has its own integrator with its own accuracy: say so rather than ignore
    // the choice.
    if (sbr && settings.Solver != IntegratorChoice::Legacy)
        throw Error("The SBR cycle is integrated by its own method; the accurate integrator "
                    "(Solver cvode) is not available for SBR plants.");
    TResultSet& results = w.results;
    w.resultsAvailable = false;
    w.sbrRun.reset();
    RemoveRunCharts(results);
    // A run stopped before its first recording must not show the previous run's series as its
    // own.
    ClearSeries(results);
    SetRunStart(results, request.startTime ? *request.startTime : localNow());
    DynamicRunOutcome outcome;
    if (sbr) {
        const auto simulation =
            std::make_unique<SbrSimulation>(w.model, w.plant, w.state, w.sbr, results);
        outcome.run = simulation->run(control, request.cycles, request.allCycles);
        w.sbrRun = simulation->runState();
        outcome.cycleDuration = static_cast<double>(SbrCycleLengthMinutes(w.sbr)) / 1440.0;
    } else if (ai) {
        AIDynamicSimulation simulation(w.model, w.plant, w.state, w.ai, w.variation, w.aiVariation,
                                       settings, results);
        outcome.run = simulation.run(control, request.cycles, request.allCycles);
        outcome.cycleDuration = w.variation.CycleDuration;
    } else {
        DynamicSimulation simulation(w.model, w.plant, w.state, w.variation, settings, results);
        outcome.run = simulation.run(control, request.cycles, request.allCycles);
        outcome.cycleDuration = w.variation.CycleDuration;
    }
    RunChartContext context = MakeRunChartContext(w.model, w.plant);
    context.CycleCount = request.cycles;
    context.CycleDuration = outcome.cycleDuration;
    context.ShowAllCycles = request.allCycles;
    context.Setup = request.chartSetup;
    BuildRunCharts(results, context);
    w.resultsAvailable = true;
    return outcome;
}

ContinuousOutcome RunContinuousSimulation(Workspace& workspace, const TSimSettings& settings,
                                          RunControl& control, const std::filesystem::path& input,
                                          const std::filesystem::path& output, int compartment)
{
    const RunLasts lasts(workspace);
    ContinuousSimulation simulation(workspace.model, workspace.plant, workspace.state, settings);
    return simulation.runFiles(control, input, output, compartment);
}

void SaveRunResults(const Workspace& workspace, const std::filesystem::path& path)
{
    SaveResultsFile(path, workspace.results);
}

void WriteRunSeriesCsv(const TResultSet& results, const std::filesystem::path& path)
{
    writeFileAtomically(path, [&](std::ostream& csv) { WriteSeriesCsv(csv, results.Series); });
}

void LoadResults(const std::filesystem::path& path, TResultSet& results)
{
    auto loaded = std::make_unique<TResultSet>();
    LoadResultsFile(path, *loaded);
    results = std::move(*loaded);
}

} // namespace narv

#pragma once

#include "core/RunControl.h"
#include "dynamics/ContinuousSimulation.h"
#include "results/ChartModel.h"
#include "shell/Workspace.h"
#include "solvers/IntegrationRun.h"
#include "solvers/Relaxation.h"
#include "solvers/SimSettings.h"
#include "solvers/SteadyStateNewton.h"

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace narv {

// The computations of the program as the windows and the command line start them: each takes
// the workspace, the numerical settings and a RunControl (progress, stop, step-by-step pause),
// changes the workspace's state and returns what the run reports. While one runs, the
// workspace's runLasts is set. Errors are thrown with the message to show.

// The integration and the relaxation are for standard plants: SBR and A/I plants are refused
// with their messages (Error).
void RefuseSpecialPlantComputation(const Workspace& workspace);

struct IntegrationRequest {
    double endTime = 0.0;    // [d]
    std::string endTimeText; // as the user typed it: the integrator's progress shows it
    bool stepByStep = false;
    std::function<void()> afterChunk; // a window refreshes its state page there
};

// The integration run from the plant's stored state with constant inputs.
RunOutcome RunIntegration(Workspace& workspace, const TSimSettings& settings, RunControl& control,
                          const IntegrationRequest& request);

// "Save Conditions" and "Load Conditions" of the integration: the compartment concentrations.
// Loading throws SimulationError when nothing was saved.
void SaveIntegrationConditions(Workspace& workspace);
void LoadIntegrationConditions(Workspace& workspace);

struct RelaxationOutcome {
    RunOutcome run;
    long iterations = 0;
    std::optional<SteadyStateOutcome> newton; // when the settings chose Newton's method
};

// The steady state by the method the settings choose (SteadyState): the relaxation, or Newton's
// method with the relaxation as its fallback; refused while control loops are active.
RelaxationOutcome RunRelaxation(Workspace& workspace, const TSimSettings& settings,
                                RunControl& control, const RelaxationTimes& times,
                                const std::function<void()>& afterChunk = {});

struct DynamicRunRequest {
    int cycles = 1;
    bool allCycles = false; // record every cycle, else the last one only
    ChartSetup chartSetup;  // the names every chart's footnote shows
    // The local start time stamped on the results; the clock's when not given.
    std::optional<std::tm> startTime;
};

struct DynamicRunOutcome {
    RunOutcome run;
    double cycleDuration = 0.0; // [d]
};

// The dynamic simulation of the plant's type: the standard and the A/I plant through cycles of
// the variation, the SBR plant through its own cycle. The previous run's charts go; the run's
// series and charts are built into workspace.results (also after a stop), which then can be
// saved; an SBR run leaves its end in workspace.sbrRun.
DynamicRunOutcome RunDynamicSimulation(Workspace& workspace, const TSimSettings& settings,
                                       RunControl& control, const DynamicRunRequest& request);

// The continuous simulation of a standard plant driven by an input table; the output table is
// replaced only when the run ends or is stopped.
ContinuousOutcome RunContinuousSimulation(Workspace& workspace, const TSimSettings& settings,
                                          RunControl& control, const std::filesystem::path& input,
                                          const std::filesystem::path& output, int compartment);

// The results of the last run: the results file, and every series as CSV.
void SaveRunResults(const Workspace& workspace, const std::filesystem::path& path);
void WriteRunSeriesCsv(const TResultSet& results, const std::filesystem::path& path);

// Reads a results file into results; nothing changes when it cannot be read.
void LoadResults(const std::filesystem::path& path, TResultSet& results);

} // namespace narv

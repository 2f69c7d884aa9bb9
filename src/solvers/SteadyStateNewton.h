#pragma once

#include "core/RunControl.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "solvers/Relaxation.h"
#include "solvers/SimSettings.h"

#include <string>

namespace narv {

// What a steady-state computation by Newton's method reached.
struct SteadyStateOutcome {
    bool converged = false;    // the final state is Newton's solution
    bool relaxed = false;      // Newton failed from the start and the relaxation ran
    long iterations = 0;       // Newton iterations, all attempts
    long evaluations = 0;      // evaluations of the right-hand side, all attempts
    double residual = 0.0;     // largest |dC/dt| at the final state [g/m3/d]
    double elapsedSeconds = 0.0;
    RunOutcome relaxation;     // of the fallback, when it ran
};

// The steady state of a standard plant for constant inputs by Newton's method (KINSOL, line
// search, dense finite-difference Jacobian) on the mass balances and rates of PlantEquations,
// started from the current state; concentrations are kept at or above 0.
class SteadyStateNewton {
public:
    SteadyStateNewton(TModelDef& model, TPlantDef& plant, TPlantState& state,
                      const TSimSettings& settings);

    // One Newton solve from the current state. On success the state holds the solution; on
    // failure it is left as it was. Either way residual is the largest |dC/dt| of the state
    // left.
    bool solve(double& residual, long& iterations, long& evaluations);

    // The steady-state computation: Newton; when it fails, the relaxation with the given times
    // from the original state and then Newton again from where the relaxation ended. Refused
    // with "Control loops active. Use option Integration!" while control loops are active.
    SteadyStateOutcome run(RunControl& control, const RelaxationTimes& times);

    // The largest |dC/dt| of the current state [g/m3/d].
    double residual();

private:
    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    const TSimSettings& m_settings;
};

// "Steady state by Newton's method ..." or the fallback's account: the line the command
// line and the status bar show after a run.
std::string SteadyStateSummary(const SteadyStateOutcome& outcome);

} // namespace narv

#include "solvers/SteadyStateNewton.h"

#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"
#include "solvers/PlantEquations.h"
#include "solvers/SundialsSupport.h"

#include <fmt/format.h>
#include <kinsol/kinsol.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace narv {
namespace {

// Stopping test on the residual scaled by 1 / max(|C|, 1) [1/d]: far below what moves a
// concentration in its fifth digit.
constexpr double kResidualTolerance = 1e-10;
constexpr double kStepTolerance = 1e-14;
// A Newton run that stalls on its step tolerance still counts when its scaled residual is here.
constexpr double kStalledResidual = 1e-7;
constexpr long kMaxIterations = 200;

struct NewtonData {
    PlantEquations* equations;
    double time; // [d], for messages
    detail::CallbackError error;
};

int residualFunction(N_Vector u, N_Vector f, void* userData)
{
    auto* data = static_cast<NewtonData*>(userData);
    return data->error.guard(
        [&] { data->equations->derivatives(data->time, N_VGetArrayPointer(u), N_VGetArrayPointer(f)); });
}

double largestMagnitude(const std::vector<double>& values)
{
    double largest = 0.0;
    for (const double v : values)
        largest = std::max(largest, std::fabs(v));
    return largest;
}

} // namespace

SteadyStateNewton::SteadyStateNewton(TModelDef& model, TPlantDef& plant, TPlantState& state,
                                     const TSimSettings& settings)
    : m_model(model), m_plant(plant), m_state(state), m_settings(settings)
{
}

double SteadyStateNewton::residual()
{
    PlantEquations equations(m_model, m_plant);
    equations.prepare(m_state);
    std::vector<double> y(static_cast<std::size_t>(equations.size()));
    std::vector<double> f(y.size());
    equations.gather(m_state, y.data());
    equations.derivatives(m_state.Time, y.data(), f.data());
    return largestMagnitude(f);
}

bool SteadyStateNewton::solve(double& residualReached, long& iterations, long& evaluations)
{
    PlantEquations equations(m_model, m_plant);
    equations.prepare(m_state);
    const int n = equations.size();
    detail::SundialsContext context;
    detail::SerialVector u(n, context);
    detail::SerialVector uScale(n, context);
    detail::SerialVector fScale(n, context);
    detail::SerialVector constraints(n, context);
    equations.gather(m_state, u.data());
    for (int k = 0; k < n; ++k) {
        const double scale = 1.0 / std::max(std::fabs(u.data()[k]), 1.0);
        uScale.data()[k] = scale;
        fScale.data()[k] = scale;
        constraints.data()[k] = 1.0; // every concentration >= 0
    }
    detail::DenseSolver linear(u, n, context);
    NewtonData data{&equations, m_state.Time, {}};

    void* memory = KINCreate(context);
    if (!memory)
        throw std::bad_alloc();
    struct Free {
        void* memory;
        ~Free() { KINFree(&memory); }
    } freeMemory{memory};
    if (KINInit(memory, residualFunction, u) != KIN_SUCCESS ||
        KINSetUserData(memory, &data) != KIN_SUCCESS ||
        KINSetLinearSolver(memory, linear.solver(), linear.matrix()) != KIN_SUCCESS ||
        KINSetFuncNormTol(memory, kResidualTolerance) != KIN_SUCCESS ||
        KINSetScaledStepTol(memory, kStepTolerance) != KIN_SUCCESS ||
        KINSetConstraints(memory, constraints) != KIN_SUCCESS ||
        KINSetMaxSetupCalls(memory, 1) != KIN_SUCCESS ||
        KINSetNumMaxIters(memory, kMaxIterations) != KIN_SUCCESS)
        throw SimulationError("Newton's method could not be set up.");
    KINSetErrHandlerFn(memory, [](int, const char*, const char*, char*, void*) {}, nullptr);

    const int flag = KINSol(memory, u, KIN_LINESEARCH, uScale, fScale);
    long count = 0;
    KINGetNumNonlinSolvIters(memory, &count);
    iterations += count;
    long functionCalls = 0;
    long jacobianCalls = 0;
    KINGetNumFuncEvals(memory, &functionCalls);
    KINGetNumLinFuncEvals(memory, &jacobianCalls);
    evaluations += functionCalls + jacobianCalls;
    double scaledNorm = 0.0;
    KINGetFuncNorm(memory, &scaledNorm);

    bool converged = flag == KIN_SUCCESS || flag == KIN_INITIAL_GUESS_OK ||
                     (flag == KIN_STEP_LT_STPTOL && scaledNorm <= kStalledResidual);
    std::vector<double> f(static_cast<std::size_t>(n));
    if (converged) {
        for (int k = 0; k < n && converged; ++k)
            converged = std::isfinite(u.data()[k]) && u.data()[k] >= 0.0;
    }
    if (converged) {
        try {
            equations.derivatives(m_state.Time, u.data(), f.data());
        } catch (const Error&) {
            converged = false;
        }
    }
    if (!converged) {
        equations.gather(m_state, u.data());
        equations.derivatives(m_state.Time, u.data(), f.data());
        residualReached = largestMagnitude(f);
        return false;
    }
    equations.scatter(u.data(), m_state);
    residualReached = largestMagnitude(f);
    return true;
}

SteadyStateOutcome SteadyStateNewton::run(RunControl& control, const RelaxationTimes& times)
{
    if (m_plant.ControlLoopsActive)
        throw SimulationError(kControlLoopsActiveMessage);
    const auto started = std::chrono::steady_clock::now();
    SteadyStateOutcome outcome;
    control.progress("Newton's method started");
    outcome.converged = solve(outcome.residual, outcome.iterations, outcome.evaluations);
    if (!outcome.converged && !control.stopRequested()) {
        outcome.relaxed = true;
        Relaxation relaxation(m_model, m_plant, m_state, m_settings);
        outcome.relaxation = relaxation.run(control, times);
        if (!outcome.relaxation.stopped) {
            control.progress("Newton's method started from the relaxed state");
            outcome.converged = solve(outcome.residual, outcome.iterations, outcome.evaluations);
        }
        if (!outcome.converged)
            outcome.residual = residual();
    }
    outcome.elapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    control.progress("Relaxation not started");
    return outcome;
}

std::string SteadyStateSummary(const SteadyStateOutcome& outcome)
{
    const std::string residual = std::string(TrimBlanks(FormatNumber(10, 3, outcome.residual)));
    if (!outcome.relaxed)
        return fmt::format("Steady state by Newton's method in {} iterations; largest |dC/dt| "
                           "{} g/m3/d; time: {:.3f} s",
                           outcome.iterations, residual, outcome.elapsedSeconds);
    if (outcome.converged)
        return fmt::format("Newton's method did not converge from the stored state; after the "
                           "relaxation it did, in {} iterations in all; largest |dC/dt| {} "
                           "g/m3/d; time: {:.3f} s",
                           outcome.iterations, residual, outcome.elapsedSeconds);
    return fmt::format("Newton's method did not converge; the state is that of the relaxation; "
                       "largest |dC/dt| {} g/m3/d; time: {:.3f} s",
                       residual, outcome.elapsedSeconds);
}

} // namespace narv

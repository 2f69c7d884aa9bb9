#include "solvers/Relaxation.h"

#include "core/Error.h"
#include "core/NumberFormat.h"
#include "model/Rates.h"
#include "plant/ModelSetup.h"
#include "solvers/StepBudget.h"

#include <fmt/format.h>

#include <chrono>
#include <cmath>

namespace narv {
namespace {

constexpr double kMinimumStep = 1e-5;      // [d]
constexpr double kRelaxationFloor = 1e-10; // lower bound of dissolved and particulate species
constexpr double kClockCap = 99.9;         // [d]

// One class of species with its own clock.
struct Clock {
    double end = 0.0;
    double time = 0.0;
    double accuracy = 0.0;
    double budget = 0.0;
    double step = 0.0;
};

} // namespace

RelaxationTimes DefaultRelaxationTimes(const TPlantDef& plant)
{
    return {2.0 * plant.SludgeAge, 0.2 * plant.SludgeAge, 0.1 * plant.SludgeAge};
}

Relaxation::Relaxation(TModelDef& model, TPlantDef& plant, TPlantState& state,
                       const TSimSettings& settings)
    : m_model(model), m_plant(plant), m_state(state), m_settings(settings)
{
}

bool Relaxation::relax(RunControl& control, int chunk, double endParticulate, double endDissolved,
                       double endOxygen)
{
    CheckModelCounts(m_model);
    const TSimSettings& s = m_settings;
    const RatePlan plan(m_model);
    FlowRatios(m_plant, m_ratios);
    const double excessSludge = ExcessSludgeTerm(m_model, m_plant, m_state);

    const double previous = static_cast<double>(chunk - 1) / static_cast<double>(chunk);
    Clock X{endParticulate, previous * endParticulate, s.Eps2};
    Clock S{endDissolved, previous * endDissolved, s.Eps2};
    Clock O{endOxygen, previous * endOxygen, s.Eps2};
    m_state.Time = X.time;

    const int nR = m_plant.ReactorCount;
    const int nS = m_model.NS;
    const int nX = m_model.NX;
    const bool pH = m_model.IsPHModel;
    const int firstDissolved = pH ? 3 : 2;
    while (true) {
        // Budgets in the order particulate, dissolved, oxygen; near its end a class switches to
        // the fine accuracy, and its budget then depends on the accuracies of the others.
        const auto budget = [&](Clock& k, bool remainingTime) {
            if (k.end - k.time >= s.Tdif) {
                k.budget = (k.end - k.time - 0.99 * s.Tdif) / k.accuracy;
                return;
            }
            k.accuracy = s.Eps;
            k.budget = remainingTime ? (k.end - k.time) / k.accuracy : k.end / k.accuracy;
        };
        budget(X, S.accuracy == s.Eps2 && O.accuracy == s.Eps2);
        budget(S, X.accuracy == s.Eps2 && O.accuracy == s.Eps2);
        budget(O, S.accuracy == s.Eps2 && X.accuracy != s.Eps2);
        for (Clock* k : {&X, &S, &O})
            if (!(k->budget > 0.0))
                k->budget = k->end / k->accuracy;

        CompartmentArray oxygenDerivative;
        for (int i = 1; i <= nR; ++i) {
            SpeciesArray& Si = m_state.S[i];
            SpeciesArray& Xi = m_state.X[i];
            const bool settled = plan.computeConversionRates(m_model, Si, Xi, m_plant.Kla[i],
                                                             m_plant.O2Saturation);
            SpeciesArray& dS = m_dS[i];
            SpeciesArray& dX = m_dX[i];
            DissolvedTransport transport;
            ReactorDerivatives(m_model, m_plant, m_state, m_ratios, excessSludge, kSerialUpstream,
                               i, firstDissolved, dS, dX, &transport);
            // The counts were checked above: the rows are read unchecked.
            const double* x = Xi.data();
            const double* dx = dX.data();
            for (int j = 1; j <= nX; ++j) {
                const double d = FiniteDerivative(dx[j - 1], m_model, false, j, i, m_state.Time);
                LimitStepBudget(X.budget, x[j - 1], d);
            }
            const double* c = Si.data();
            const double* ds = dS.data();
            for (int j = firstDissolved; j <= nS; ++j) {
                const double d = FiniteDerivative(ds[j - 1], m_model, true, j, i, m_state.Time);
                LimitStepBudget(S.budget, c[j - 1], d);
            }
            if (m_plant.O2Setpoint[i] == 0.0) {
                // The conversion rates left the oxygen rate of this state, unless a floor they
                // raised would change it.
                if (!settled)
                    plan.computeOxygenRate(m_model, Si, Xi, m_plant.Kla[i], m_plant.O2Saturation);
                const double d = FiniteDerivative(
                    ApplyDissolvedTransport(m_model.RS[1] + m_model.Rho[1], transport, c, 0),
                    m_model, true, 1, i, m_state.Time);
                oxygenDerivative[i] = d;
                LimitStepBudget(O.budget, Si[1], d);
            }
        }

        for (Clock* k : {&X, &S, &O}) {
            k->step = k->budget * k->accuracy;
            if (k->step < kMinimumStep)
                k->step = kMinimumStep;
            if (!std::isfinite(k->step) || k->time + k->step == k->time)
                throw SimulationError(
                    fmt::format("The relaxation cannot advance its clock at {} d; check the "
                                "accuracies in the settings.",
                                k->time));
            k->time += k->step;
        }
        m_state.Time = X.time;
        ++m_iterations;

        for (int i = 1; i <= nR; ++i) {
            auto& Si = m_state.S[i];
            if (m_plant.O2Setpoint[i] != 0.0) {
                Si[1] = m_plant.O2Setpoint[i];
            } else {
                double value = FiniteDerivative(Si[1] + O.step * oxygenDerivative[i], m_model, true,
                                                1, i, m_state.Time);
                Si[1] = value < 0.0 ? 0.0 : value;
            }
            double* c = Si.data();
            const double* ds = m_dS[i].data();
            for (int j = firstDissolved; j <= nS; ++j)
                c[j - 1] = FiniteDerivative(c[j - 1] + S.step * ds[j - 1], m_model, true, j, i,
                                            m_state.Time);
            if (!pH) {
                for (int j = 2; j <= nS; ++j)
                    if (c[j - 1] < kRelaxationFloor)
                        c[j - 1] = kRelaxationFloor;
            } else {
                if (nS >= 3 && c[2] < 1e-11)
                    c[2] = 1e-11;
                for (int j = 4; j <= nS; ++j)
                    if (c[j - 1] < kRelaxationFloor)
                        c[j - 1] = kRelaxationFloor;
            }
            double* x = m_state.X[i].data();
            const double* dx = m_dX[i].data();
            for (int j = 1; j <= nX; ++j) {
                const double value = FiniteDerivative(x[j - 1] + X.step * dx[j - 1], m_model,
                                                      false, j, i, m_state.Time);
                x[j - 1] = value < kRelaxationFloor ? kRelaxationFloor : value;
            }
        }
        if (pH)
            UpdatePH(m_model, m_plant, m_state);
        // At steady state the clarifier compartments hold the effluent of the last reactor.
        for (int c = nR + 1; c <= m_plant.CompartmentCount; ++c)
            m_state.S[c] = m_state.S[nR];

        for (Clock* k : {&X, &S, &O})
            if (k->time > kClockCap)
                k->time = k->end;
        m_state.Time = X.time;

        control.idle();
        if (control.stopRequested())
            return false;
        if (X.time > 0.999 * X.end && S.time > 0.999 * S.end && O.time > 0.999 * O.end)
            return true;
    }
}

RunOutcome Relaxation::run(RunControl& control, const RelaxationTimes& times,
                           const std::function<void()>& afterChunk)
{
    if (m_plant.ControlLoopsActive)
        throw SimulationError(kControlLoopsActiveMessage);
    const auto started = std::chrono::steady_clock::now();
    RunOutcome outcome;
    control.progress("Relaxation started");
    m_iterations = 0;
    const int chunks = m_settings.loopmin < 1 ? 1 : m_settings.loopmin;
    for (int k = 1; k <= chunks; ++k) {
        ++outcome.chunks;
        const bool finished = relax(control, k, k * times.particulate / chunks,
                                    k * times.dissolved / chunks, k * times.oxygen / chunks);
        if (afterChunk)
            afterChunk();
        if (control.wantsProgress())
            control.progress(fmt::format("Relaxation stands at chunk {} of {}", k, chunks));
        if (!finished || control.stopRequested())
            break;
    }
    outcome.stopped = control.stopRequested();
    outcome.elapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    control.progress("Relaxation not started");
    return outcome;
}

void ConvergenceMonitor::snapshot(const TModelDef&, const TPlantDef&, const TPlantState& state)
{
    m_S = state.S;
    m_X = state.X;
}

double ConvergenceMonitor::chiSquare(const TModelDef& model, const TPlantDef& plant,
                                     const TPlantState& state)
{
    double sum = 0.0;
    const int nR = plant.ReactorCount;
    for (int i = 1; i <= nR; ++i) {
        for (int j = 1; j <= model.NS; ++j) {
            const double current = state.S[i][j];
            if (current != 0.0) {
                const double relative = (m_S[i][j] - current) / current;
                sum += relative * relative;
            }
        }
        for (int j = 1; j <= model.NX; ++j) {
            const double current = state.X[i][j];
            if (current != 0.0) {
                const double relative = (m_X[i][j] - current) / current;
                sum += relative * relative;
            }
        }
    }
    snapshot(model, plant, state);
    return sum / (model.NS + model.NX) / nR;
}

std::string ConvergenceMonitor::Text(double chiSquare)
{
    return "Chi-square: " + FormatNumber(10, 3, chiSquare);
}

} // namespace narv

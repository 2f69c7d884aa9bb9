#include "solvers/Integrator.h"

#include "core/Error.h"
#include "core/Limits.h"
#include "core/TextUtil.h"
#include "model/Rates.h"
#include "plant/ControlLoops.h"
#include "plant/ModelSetup.h"
#include "solvers/StepBudget.h"

#include <fmt/format.h>

#include <cmath>

namespace narv {
std::string IntegrationProgressText(double time, const std::string& endText, bool stepByStep)
{
    const std::string timeText =
        stepByStep ? fmt::format("{:12.3g}", time) : fmt::format("{:7.3f}", time);
    return "Integration stands at " + timeText + " of " + endText;
}

Integrator::Integrator(TModelDef& model, TPlantDef& plant, TPlantState& state,
                       const TSimSettings& settings)
    : m_model(model), m_plant(plant), m_state(state), m_settings(settings),
      m_oxygenRates(MaxCompartments + 1)
{
}

void Integrator::applyControlLoops(int variationIndex, const CompartmentArray& relativeKla)
{
    ApplyControlLoops(m_model, m_plant, m_state, variationIndex, relativeKla);
}

void Integrator::reactorDerivatives(const RatePlan& plan, double excessSludge, double& budget)
{
    // The counts were checked at the start of the run: the rows are read unchecked.
    const int nS = m_model.NS;
    const int nX = m_model.NX;
    const double time = m_state.Time;
    const UpstreamRow& up = upstream();
    for (int i = 1; i <= m_plant.ReactorCount; ++i) {
        SpeciesArray& Si = m_state.S[i];
        SpeciesArray& Xi = m_state.X[i];
        plan.computeConversionRates(m_model, Si, Xi, m_plant.Kla[i], m_plant.O2Saturation,
                                    m_oxygenRates[static_cast<std::size_t>(i)]);
        SpeciesArray& dS = m_dS[i];
        SpeciesArray& dX = m_dX[i];
        ReactorDerivatives(m_model, m_plant, m_state, m_ratios, excessSludge, up, i, 2, dS, dX,
                           &m_oxygenTransport[static_cast<std::size_t>(i)]);
        const double* c = Si.data();
        const double* ds = dS.data();
        for (int j = 2; j <= nS; ++j) {
            const double d = FiniteDerivative(ds[j - 1], m_model, true, j, i, time);
            LimitStepBudget(budget, c[j - 1], d);
        }
        const double* x = Xi.data();
        const double* dx = dX.data();
        for (int j = 1; j <= nX; ++j) {
            const double d = FiniteDerivative(dx[j - 1], m_model, false, j, i, time);
            LimitStepBudget(budget, x[j - 1], d);
        }
    }
    for (int c = m_plant.ReactorCount + 1; c <= m_plant.CompartmentCount; ++c) {
        for (int j = 2; j <= nS; ++j) {
            const double d = FiniteDerivative(ClarifierDerivative(m_state, m_ratios, up, c, j),
                                              m_model, true, j, c, time);
            m_dS[c][j] = d;
            LimitStepBudget(budget, m_state.S[c][j], d);
        }
    }
}

void Integrator::oxygenSubSteps(const RatePlan& plan, RunControl& control, int variationIndex,
                                const CompartmentArray& relativeKla, double dt, double h,
                                bool& stopped)
{
    // The other species stay frozen at their values before the step. The oxygen transport
    // terms of the step's derivatives hold until the control loops change the flows.
    const int nR = m_plant.ReactorCount;
    double tau = 0.0;
    do {
        double budget = (dt - tau) / h;
        if (m_plant.ControlLoopsActive) {
            applyControlLoops(variationIndex, relativeKla);
            InfluentReturnRecircRatios(m_plant, m_ratios);
            const UpstreamRow& up = upstream();
            for (int i = 1; i <= nR; ++i)
                DissolvedTransportTerms(m_model, m_plant, m_state, m_ratios, up, i,
                                        m_oxygenTransport[static_cast<std::size_t>(i)]);
        }
        for (int i = 1; i <= nR; ++i) {
            if (m_plant.O2Setpoint[i] != 0.0)
                continue;
            // Only oxygen and kla changed since the step began.
            SpeciesArray& Si = m_state.S[i];
            plan.computeOxygenRate(m_model, Si, m_state.X[i], m_plant.Kla[i],
                                   m_plant.O2Saturation, m_oxygenRates[static_cast<std::size_t>(i)]);
            const double d = FiniteDerivative(
                ApplyDissolvedTransport(m_model.RS.data()[0] + m_model.Rho.data()[0],
                                        m_oxygenTransport[static_cast<std::size_t>(i)], Si.data(),
                                        0),
                m_model, true, 1, i, m_state.Time);
            m_dO2[i] = d;
            LimitStepBudget(budget, Si[1], d);
        }
        double delta = budget * h;
        if (delta < m_settings.DeltMinO2)
            delta = m_settings.DeltMinO2;
        if (!(delta > 0.0) || tau + delta == tau)
            throw SimulationError(
                fmt::format("The oxygen step at {} d is too small to advance; raise the minimal "
                            "time step or the integration accuracy in the settings.",
                            m_state.Time));
        tau += delta;
        ++m_oxygenSubSteps;
        for (int i = 1; i <= nR; ++i) {
            if (m_plant.O2Setpoint[i] != 0.0) {
                m_state.S[i][1] = m_plant.O2Setpoint[i];
                continue;
            }
            double value = m_state.S[i][1] + delta * m_dO2[i];
            if (value < 0.0)
                value = 0.0;
            m_state.S[i][1] = FiniteDerivative(value, m_model, true, 1, i, m_state.Time);
        }
        if (control.stopRequested()) {
            stopped = true;
            return;
        }
    } while (!(tau * 1.00001 > dt));
}

void UpdateReactorsAndClarifier(TModelDef& model, TPlantDef& plant, TPlantState& state,
                                const TSimSettings& settings, const DerivativeTable& dS,
                                const DerivativeTable& dX, double dt)
{
    const int nS = model.NS;
    const int nX = model.NX;
    const double low = settings.ConcMin;
    const double high = settings.ConcMax;
    const auto clamp = [&](double value) {
        return value > high ? high : value < low ? low : value;
    };
    const double time = state.Time;
    if (model.IsPHModel)
        UpdatePH(model, plant, state); // species 2 from species 3 before the update
    for (int i = 1; i <= plant.ReactorCount; ++i) {
        auto& S = state.S[i];
        if (!model.IsPHModel) {
            for (int j = 2; j <= nS; ++j)
                S[j] = FiniteDerivative(S[j] + dt * dS[i][j], model, true, j, i, time);
            for (int j = 1; j <= nS; ++j)
                S[j] = clamp(S[j]);
        } else {
            for (int j = 3; j <= nS; ++j)
                S[j] = FiniteDerivative(S[j] + dt * dS[i][j], model, true, j, i, time);
            if (nS >= 3 && S[3] < 1e-11)
                S[3] = 1e-11;
            if (S[1] < 0.0)
                S[1] = 0.0;
            for (int j = 4; j <= nS; ++j)
                if (S[j] < 1e-5)
                    S[j] = 1e-5;
        }
        auto& X = state.X[i];
        for (int j = 1; j <= nX; ++j)
            X[j] = clamp(FiniteDerivative(X[j] + dt * dX[i][j], model, false, j, i, time));
    }
    for (int c = plant.ReactorCount + 1; c <= plant.CompartmentCount; ++c)
        for (int j = 2; j <= nS; ++j) {
            const double value =
                FiniteDerivative(state.S[c][j] + dt * dS[c][j], model, true, j, c, time);
            // The clarifier is not clamped: a step longer than its residence time overshoots,
            // and a negative concentration there means the balance no longer holds.
            if (value < -kConcentrationRounding)
                throw SimulationError(fmt::format(
                    "The mass balance of compartment {} breaks down at {} d: the concentration "
                    "of {} becomes {}. Lower the minimal time step or the accuracies in the "
                    "settings.",
                    c, time, QuotedName(model.NameS[j]), value));
            state.S[c][j] = value;
        }
}

void Integrator::integrate(RunControl& control, bool stepByStep, int variationIndex,
                           const CompartmentArray& relativeKla, double start, double end,
                           const std::string& endText)
{
    CheckModelCounts(m_model);
    checkPlant();
    if (m_plant.ReactorCount < 1 || m_plant.ReactorCount > m_plant.CompartmentCount ||
        m_plant.CompartmentCount > MaxCompartments)
        throw RangeError(fmt::format("The plant has {} reactors in {} compartments.",
                                     m_plant.ReactorCount, m_plant.CompartmentCount));
    m_steps = 0;
    m_oxygenSubSteps = 0;
    const RatePlan plan(m_model);
    for (int i = 1; i <= m_plant.ReactorCount; ++i)
        plan.prepare(m_oxygenRates[static_cast<std::size_t>(i)]);
    const SetpointGuard setpoints(m_plant);
    FlowRatios(m_plant, m_ratios);
    double excessSludge = ExcessSludgeTerm(m_model, m_plant, m_state);
    m_state.Time = start;
    const TSimSettings& s = m_settings;
    while (true) {
        const double remaining = end - m_state.Time;
        const StepStart next = StartStep(remaining, s);
        const double h = next.accuracy;
        double budget = next.budget;
        if (m_plant.ControlLoopsActive) {
            applyControlLoops(variationIndex, relativeKla);
            FlowRatios(m_plant, m_ratios);
            excessSludge = ExcessSludgeTerm(m_model, m_plant, m_state);
        }
        reactorDerivatives(plan, excessSludge, budget);

        const double dt = StepLength(budget, h, m_state.Time, s);
        m_state.Time += dt;
        ++m_steps;

        bool stopped = false;
        oxygenSubSteps(plan, control, variationIndex, relativeKla, dt, h, stopped);
        if (stopped)
            return;
        UpdateReactorsAndClarifier(m_model, m_plant, m_state, m_settings, m_dS, m_dX, dt);

        if (control.wantsProgress())
            control.progress(IntegrationProgressText(m_state.Time, endText, stepByStep));
        control.idle();
        if (stepByStep)
            control.pauseAfterStep();
        if (control.stopRequested() || m_state.Time * 1.000001 > end)
            return;
    }
}

} // namespace narv

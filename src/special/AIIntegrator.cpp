#include "special/AIIntegrator.h"

#include "core/Error.h"
#include "model/Rates.h"
#include "plant/ControlLoops.h"
#include "plant/ModelSetup.h"
#include "solvers/Integrator.h"
#include "solvers/StepBudget.h"

#include <fmt/format.h>

#include <cmath>

namespace narv {
namespace {

// The dissolved through-flow terms for any dissolved species, oxygen included, added to d in
// the order of the balance equations.
double dissolvedTransport(double d, const TModelDef& model, const TPlantDef& plant,
                          const TPlantState& state, const FlowRatioTable& ratios,
                          const UpstreamRow& up, int i, int j)
{
    const auto S = [&](int c) { return state.S[c][j]; };
    const double own = S(i);
    const int kq = plant.InfluentReactor;
    if (i == kq)
        d = d + ratios.q1[i] * (model.InfluentS[j] - own);
    else if (i > kq)
        d = d + ratios.q1[i] * (S(up[i]) - own);
    if (plant.SludgeSeparation) {
        const int kr = plant.ReturnReactor;
        if (i > kr)
            d = d + ratios.r[i] * (S(up[i]) - own);
        else if (i == kr)
            d = d + ratios.r[i] * (S(plant.ReactorCount) - own);
    }
    if (plant.RecircActive) {
        const int kf = plant.RecircFrom;
        const int kt = plant.RecircTo;
        if (kt < i && i <= kf)
            d = d + ratios.z1[i] * (S(up[i]) - own);
        else if (i == kt)
            d = d + ratios.z1[i] * (S(kf) - own);
        if (plant.Recirc2Flow > 0.0) {
            const int kf2 = plant.Recirc2From;
            const int kt2 = plant.Recirc2To;
            if (kt2 < i && i <= kf2)
                d = d + ratios.z2[i] * (S(up[i]) - own);
            else if (i == kt2)
                d = d + ratios.z2[i] * (S(kf2) - own);
        }
    }
    if (plant.Influent2Enabled && plant.Influent2Flow > 0.0) {
        const int kq2 = plant.Influent2Reactor;
        if (i == kq2)
            d = d + ratios.q2[i] * (plant.SIn2[j] - own);
        else if (i > kq2)
            d = d + ratios.q2[i] * (S(up[i]) - own);
    }
    return d;
}

void checkLane(int laneFed)
{
    if (laneFed != 1 && laneFed != 2)
        throw SimulationError(
            fmt::format("The lane fed is {}; an A/I plant feeds lane 1 or lane 2.", laneFed));
}

} // namespace

double AIDissolvedDerivative(const TModelDef& model, const TPlantDef& plant,
                             const TPlantState& state, const FlowRatioTable& ratios,
                             const UpstreamRow& up, int reactor, int species)
{
    return dissolvedTransport(model.RS[species], model, plant, state, ratios, up, reactor, species);
}

double AIOxygenDerivative(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                          const FlowRatioTable& ratios, const UpstreamRow& up, int reactor)
{
    return dissolvedTransport(model.RS[1] + model.Rho[1], model, plant, state, ratios, up, reactor,
                              1);
}

double AIParticulateDerivative(const TModelDef& model, const TPlantDef& plant,
                               const TPlantState& state, const FlowRatioTable& ratios,
                               double excessSludge, const UpstreamRow& up, int reactor, int species)
{
    const int i = reactor;
    const int j = species;
    const auto X = [&](int c) { return state.X[c][j]; };
    const double own = X(i);
    const int last = plant.ReactorCount;
    double d = model.RX[j];
    const int kq = plant.InfluentReactor;
    if (i == kq)
        d = d + ratios.q1[i] * (model.InfluentX[j] - own);
    else if (i > kq)
        d = d + ratios.q1[i] * (X(up[i]) - own);
    if (plant.SludgeSeparation) {
        const int kr = plant.ReturnReactor;
        if (i == kr)
            d = d + ((ratios.r[i] + ratios.q1[i] - excessSludge) * X(last) - ratios.r[i] * own);
        else if (i > kr)
            d = d + ratios.r[i] * (X(up[i]) - own);
    }
    if (plant.RecircActive) {
        const int kf = plant.RecircFrom;
        const int kt = plant.RecircTo;
        if (i == kt)
            d = d + ratios.z1[i] * (X(kf) - own);
        else if (kt < i && i <= kf)
            d = d + ratios.z1[i] * (X(up[i]) - own);
        if (plant.Recirc2Flow > 0.0) {
            const int kf2 = plant.Recirc2From;
            const int kt2 = plant.Recirc2To;
            if (i == kt2)
                d = d + ratios.z2[i] * (X(kf2) - own);
            else if (kt2 < i && i <= kf2)
                d = d + ratios.z2[i] * (X(up[i]) - own);
        }
    }
    if (plant.Influent2Enabled && plant.Influent2Flow > 0.0) {
        const int kq2 = plant.Influent2Reactor;
        if (i == kq2)
            d = d + ratios.q2[i] * (plant.XIn2[j] - own);
        else if (i > kq2)
            d = d + ratios.q2[i] * (X(up[i]) - own);
        if (plant.SludgeSeparation && i == plant.ReturnReactor)
            d = d + ratios.q2[i] * X(last);
    }
    return d;
}

double AIClarifierDerivative(const TPlantState& state, const FlowRatioTable& ratios,
                             const UpstreamRow& up, int compartment, int species)
{
    return ratios.q1[compartment] *
           (state.S[up[compartment]][species] - state.S[compartment][species]);
}

void ApplyLaneControlLoops(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                           TAIPlant& ai, int step, const CompartmentArray& relativeKla,
                           int& laneFed)
{
    checkLane(laneFed);
    LaneLoopTable& table = ai.LaneLoops[laneFed];
    // The standard rule works on the plant's table: lend it the lane's entries and take back
    // the switching states it leaves.
    const ControlLoopTable standard = plant.ControlLoops;
    for (int k = 1; k <= MaxControlLoops; ++k)
        plant.ControlLoops[k] = table[k];
    try {
        ApplyControlLoops(model, plant, state, step, relativeKla);
    } catch (...) {
        plant.ControlLoops = standard;
        throw;
    }
    for (int k = 1; k <= MaxControlLoops; ++k)
        table[k].SwitchedOn = plant.ControlLoops[k].SwitchedOn;
    plant.ControlLoops = standard;

    const TControlLoopDef& laneLoop = table[kLaneLoopEntry];
    if (laneLoop.Active) {
        const double signal = MeasureSignal(model, plant, state, laneLoop);
        if (signal > laneLoop.ErwartetX || signal < laneLoop.ErwartetY)
            laneFed = laneFed == 1 ? 2 : 1;
    }
}

AIIntegrator::AIIntegrator(TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai,
                           const TSimSettings& settings)
    : m_model(model), m_plant(plant), m_state(state), m_ai(ai), m_settings(settings)
{
}

void AIIntegrator::applyLoops(int variationIndex, const CompartmentArray& relativeKla, int& laneFed)
{
    ApplyLaneControlLoops(m_model, m_plant, m_state, m_ai, variationIndex, relativeKla, laneFed);
}

void AIIntegrator::reactorDerivatives(const RatePlan& plan, double excessSludge, int laneFed,
                                      double& budget)
{
    const int nS = m_model.NS;
    const int nX = m_model.NX;
    const double time = m_state.Time;
    const UpstreamRow& up = m_ai.LaneUpstream[laneFed];
    for (int i = 1; i <= m_plant.ReactorCount; ++i) {
        plan.computeConversionRates(m_model, m_state.S[i], m_state.X[i], m_plant.Kla[i],
                                    m_plant.O2Saturation);
        for (int j = 2; j <= nS; ++j) {
            const double d = FiniteDerivative(
                AIDissolvedDerivative(m_model, m_plant, m_state, m_ratios, up, i, j), m_model, true,
                j, i, time);
            m_dS[i][j] = d;
            LimitStepBudget(budget, m_state.S[i][j], d);
        }
        for (int j = 1; j <= nX; ++j) {
            const double d =
                FiniteDerivative(AIParticulateDerivative(m_model, m_plant, m_state, m_ratios,
                                                         excessSludge, up, i, j),
                                 m_model, false, j, i, time);
            m_dX[i][j] = d;
            LimitStepBudget(budget, m_state.X[i][j], d);
        }
    }
    for (int c = m_plant.ReactorCount + 1; c <= m_plant.CompartmentCount; ++c) {
        for (int j = 2; j <= nS; ++j) {
            const double d = FiniteDerivative(AIClarifierDerivative(m_state, m_ratios, up, c, j),
                                              m_model, true, j, c, time);
            m_dS[c][j] = d;
            LimitStepBudget(budget, m_state.S[c][j], d);
        }
    }
}

void AIIntegrator::oxygenSubSteps(const RatePlan& plan, RunControl& control, int variationIndex,
                                  const CompartmentArray& relativeKla, int& laneFed, double dt,
                                  double h, bool& stopped)
{
    // The other species stay frozen at their values before the step.
    const int nR = m_plant.ReactorCount;
    double tau = 0.0;
    do {
        double budget = (dt - tau) / h;
        if (m_plant.ControlLoopsActive) {
            applyLoops(variationIndex, relativeKla, laneFed);
            InfluentReturnRecircRatios(m_plant, m_ratios);
        }
        const UpstreamRow& up = m_ai.LaneUpstream[laneFed];
        for (int i = 1; i <= nR; ++i) {
            if (m_plant.O2Setpoint[i] != 0.0)
                continue;
            plan.computeOxygenRate(m_model, m_state.S[i], m_state.X[i], m_plant.Kla[i],
                                   m_plant.O2Saturation);
            const double d =
                FiniteDerivative(AIOxygenDerivative(m_model, m_plant, m_state, m_ratios, up, i),
                                 m_model, true, 1, i, m_state.Time);
            m_dO2[i] = d;
            LimitStepBudget(budget, m_state.S[i][1], d);
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

void AIIntegrator::integrate(RunControl& control, bool stepByStep, int variationIndex,
                             const CompartmentArray& relativeKla, int& laneFed, double start,
                             double end, const std::string& endText)
{
    CheckModelCounts(m_model);
    CheckAICounts(m_plant, m_ai);
    checkLane(laneFed);
    m_steps = 0;
    const RatePlan plan(m_model);
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
            applyLoops(variationIndex, relativeKla, laneFed);
            FlowRatios(m_plant, m_ratios);
            excessSludge = ExcessSludgeTerm(m_model, m_plant, m_state);
        }
        reactorDerivatives(plan, excessSludge, laneFed, budget);

        const double dt = StepLength(budget, h, m_state.Time, s);
        m_state.Time += dt;
        ++m_steps;

        bool stopped = false;
        oxygenSubSteps(plan, control, variationIndex, relativeKla, laneFed, dt, h, stopped);
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

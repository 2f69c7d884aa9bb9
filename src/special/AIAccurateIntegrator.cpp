#include "special/AIAccurateIntegrator.h"

#include "core/Error.h"
#include "plant/ControlLoops.h"
#include "special/AIIntegrator.h"

#include <fmt/format.h>

namespace narv {

AIAccurateIntegrator::AIAccurateIntegrator(TModelDef& model, TPlantDef& plant,
                                           TPlantState& state, TAIPlant& ai,
                                           const TSimSettings& settings, int& laneFed)
    : m_loops(ai, laneFed), m_integrator(model, plant, state, settings, &m_loops)
{
}

void AIAccurateIntegrator::integrate(RunControl& control, bool stepByStep, int variationIndex,
                                     const CompartmentArray& relativeKla, double start,
                                     double end, const std::string& endText)
{
    m_integrator.integrate(control, stepByStep, variationIndex, relativeKla, start, end,
                           endText);
}

bool AIAccurateIntegrator::LaneLoops::apply(const TModelDef& model, TPlantDef& plant,
                                            const TPlantState& state, int variationIndex,
                                            const CompartmentArray& relativeKla)
{
    const int lane = m_laneFed;
    const LaneLoopTable table = m_ai.LaneLoops[lane];
    const CompartmentArray setpoints = plant.O2Setpoint;
    const bool due = m_laneSwitchDue;
    m_laneSwitchDue = false;
    ApplyLaneControlLoops(model, plant, state, m_ai, variationIndex, relativeKla, m_laneFed);
    // At the located crossing the signal may lie on the threshold itself, where the rule
    // does not switch yet: the crossing switches.
    if (due && m_laneFed == lane)
        m_laneFed = lane == 1 ? 2 : 1;
    if (m_laneFed != lane) {
        // The integration restarts here, at a step boundary: the table of the lane now fed
        // acts from here on (the legacy integrator applies it at its next step, moments later).
        ApplyLaneTable(model, plant, state, m_ai, variationIndex, relativeKla, m_laneFed);
        return true;
    }
    if (setpoints != plant.O2Setpoint)
        return true;
    for (int n = 1; n <= MaxControlLoops; ++n)
        if (table[n].SwitchedOn != m_ai.LaneLoops[lane][n].SwitchedOn)
            return true;
    return false;
}

const TControlLoopDef* AIAccurateIntegrator::LaneLoops::laneLoopWithBand() const
{
    if (m_laneFed != 1 && m_laneFed != 2)
        return nullptr;
    const TControlLoopDef& laneLoop = m_ai.LaneLoops[m_laneFed][kLaneLoopEntry];
    // With the lower threshold above the upper one every signal lies outside: the rule
    // switches at every application and there is no crossing to locate.
    if (!laneLoop.Active || laneLoop.ErwartetY > laneLoop.ErwartetX)
        return nullptr;
    return &laneLoop;
}

int AIAccurateIntegrator::LaneLoops::switchCount(TPlantDef& plant) const
{
    return LoopActions::switchCount(plant) + (laneLoopWithBand() ? 2 : 0);
}

void AIAccurateIntegrator::LaneLoops::switchFunctions(const TModelDef& model, TPlantDef& plant,
                                                      const TPlantState& state,
                                                      double* values) const
{
    LoopActions::switchFunctions(model, plant, state, values);
    if (const TControlLoopDef* laneLoop = laneLoopWithBand()) {
        const int k = LoopActions::switchCount(plant);
        const double signal = MeasureSignal(model, plant, state, *laneLoop);
        values[k] = signal - laneLoop->ErwartetX;
        values[k + 1] = signal - laneLoop->ErwartetY;
    }
}

void AIAccurateIntegrator::LaneLoops::flip(TPlantDef& plant, int k)
{
    if (k < LoopActions::switchCount(plant))
        LoopActions::flip(plant, k);
    else
        m_laneSwitchDue = true;

}

TControlLoopDef& AIAccurateIntegrator::LaneLoops::loop(TPlantDef&, int n) const
{
    return m_ai.LaneLoops[m_laneFed][n];
}

const UpstreamRow& AIAccurateIntegrator::LaneLoops::upstream() const
{
    if (m_laneFed != 1 && m_laneFed != 2)
        throw SimulationError(
            fmt::format("The lane fed is {}; an A/I plant feeds lane 1 or lane 2.", m_laneFed));
    return m_ai.LaneUpstream[m_laneFed];
}

} // namespace narv

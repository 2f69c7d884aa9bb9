#include "special/AIAccurateIntegrator.h"

#include "core/Error.h"
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
    ApplyLaneControlLoops(model, plant, state, m_ai, variationIndex, relativeKla, m_laneFed);
    if (m_laneFed != lane || setpoints != plant.O2Setpoint)
        return true;
    for (int n = 1; n <= MaxControlLoops; ++n)
        if (table[n].SwitchedOn != m_ai.LaneLoops[lane][n].SwitchedOn)
            return true;
    return false;
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

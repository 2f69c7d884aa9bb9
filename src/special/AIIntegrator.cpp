#include "special/AIIntegrator.h"

#include "core/Error.h"
#include "plant/ControlLoops.h"

#include <fmt/format.h>

namespace narv {
namespace {

void checkLane(int laneFed)
{
    if (laneFed != 1 && laneFed != 2)
        throw SimulationError(
            fmt::format("The lane fed is {}; an A/I plant feeds lane 1 or lane 2.", laneFed));
}

} // namespace

void ApplyLaneTable(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                    TAIPlant& ai, int step, const CompartmentArray& relativeKla, int laneFed)
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
}

void ApplyLaneControlLoops(const TModelDef& model, TPlantDef& plant, const TPlantState& state,
                           TAIPlant& ai, int step, const CompartmentArray& relativeKla,
                           int& laneFed)
{
    ApplyLaneTable(model, plant, state, ai, step, relativeKla, laneFed);
    const TControlLoopDef& laneLoop = ai.LaneLoops[laneFed][kLaneLoopEntry];
    if (laneLoop.Active) {
        const double signal = MeasureSignal(model, plant, state, laneLoop);
        if (signal > laneLoop.ErwartetX || signal < laneLoop.ErwartetY)
            laneFed = laneFed == 1 ? 2 : 1;
    }
}

AIIntegrator::AIIntegrator(TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai,
                           const TSimSettings& settings, int& laneFed)
    : Integrator(model, plant, state, settings), m_ai(ai), m_laneFed(laneFed)
{
}

void AIIntegrator::checkPlant() const
{
    CheckAICounts(m_plant, m_ai);
    checkLane(m_laneFed);
}

void AIIntegrator::applyControlLoops(int variationIndex, const CompartmentArray& relativeKla)
{
    ApplyLaneControlLoops(m_model, m_plant, m_state, m_ai, variationIndex, relativeKla, m_laneFed);
}

} // namespace narv

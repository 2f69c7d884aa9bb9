#include "special/AIDynamicSimulation.h"

#include "core/Error.h"
#include "special/AIAccurateIntegrator.h"
#include "special/AIIntegrator.h"

#include <fmt/format.h>

namespace narv {
namespace {

bool validLane(int lane)
{
    return lane == 1 || lane == 2;
}

} // namespace

int InitialLaneFed(const TAIVariation& lanes)
{
    return validLane(lanes.LaneFed[1]) ? lanes.LaneFed[1] : 1;
}

int LaneFedForStep(const TAIPlant& ai, const TAIVariation& lanes, int step, int current)
{
    return AnyLaneLoopActive(ai) ? current : lanes.LaneFed[step];
}

AIDynamicSimulation::AIDynamicSimulation(TModelDef& model, TPlantDef& plant, TPlantState& state,
                                         TAIPlant& ai, const TVariationDef& variation,
                                         const TAIVariation& lanes, const TSimSettings& settings,
                                         TResultSet& results)
    : DynamicSimulation(model, plant, state, variation, settings, results), m_ai(ai),
      m_lanes(lanes)
{
}

void AIDynamicSimulation::checkPlant() const
{
    if (m_plant.PlantType != TFlowschemeType::ftAI)
        throw SimulationError("The A/I simulation needs a plant of type AI.");
    CheckAICounts(m_plant, m_ai);
}

void AIDynamicSimulation::prepare()
{
    if (!AnyLaneLoopActive(m_ai))
        for (int i = 1; i <= m_variation.PointCount; ++i)
            if (!validLane(m_lanes.LaneFed[i]))
                throw SimulationError(fmt::format(
                    "The variation feeds lane {} in step {}; an A/I plant feeds lane 1 or 2.",
                    m_lanes.LaneFed[i], i));
    BuildLaneUpstream(m_ai, m_plant.CompartmentCount);
    m_laneFed = InitialLaneFed(m_lanes);
}

std::unique_ptr<PlantIntegrator> AIDynamicSimulation::makeIntegrator()
{
    if (m_settings.Solver == IntegratorChoice::Cvode)
        return std::make_unique<AIAccurateIntegrator>(m_model, m_plant, m_state, m_ai, m_settings,
                                                      m_laneFed);
    return std::make_unique<AIIntegrator>(m_model, m_plant, m_state, m_ai, m_settings, m_laneFed);
}

void AIDynamicSimulation::beforeOutputStep(int step)
{
    m_laneFed = LaneFedForStep(m_ai, m_lanes, step, m_laneFed);
}

} // namespace narv

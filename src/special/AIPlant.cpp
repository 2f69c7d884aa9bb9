#include "special/AIPlant.h"

#include "core/Error.h"
#include "plant/ControlLoops.h"

#include <fmt/format.h>

namespace narv {

TAIPlant::TAIPlant()
{
    ResetLaneLoops(*this);
    BuildLaneUpstream(*this, 2 * LaneCompartmentCount + PolyvalentCount + PostAerationCount);
}

TControlLoopDef LaneLoopDefaults()
{
    TControlLoopDef loop;
    loop.Active = false;
    loop.OnOff = true;
    loop.ErwartetX = 2.0;   // upper threshold
    loop.ErwartetY = 150.0; // lower threshold
    loop.Steigung = 2.0;    // below: lane 2
    loop.Stellung2 = 1.0;   // above: lane 1
    loop.Signal = 1;
    loop.Compartment = 1;
    return loop;
}

void ResetLaneLoops(TAIPlant& ai)
{
    ControlLoopTable standard;
    ResetControlLoops(standard);
    for (LaneLoopTable& table : ai.LaneLoops) {
        table[kLaneLoopEntry] = LaneLoopDefaults();
        for (int k = 1; k <= MaxControlLoops; ++k)
            table[k] = standard[k];
    }
}

void BuildLaneUpstream(TAIPlant& ai, int compartmentCount)
{
    const int P = ai.PolyvalentCount;
    const int A = ai.LaneCompartmentCount;
    for (int lane = 1; lane <= kLaneCount; ++lane) {
        auto& up = ai.LaneUpstream[lane];
        for (int k = 1; k <= MaxCompartments; ++k)
            up[k] = k - 1;
        for (int k = P + 1; k <= P + A && k <= MaxCompartments; ++k)
            up[k] = lane == 1 ? k - 1 : k;
        for (int k = P + A + 1; k <= P + 2 * A && k <= MaxCompartments; ++k)
            up[k] = lane == 1 ? k : (k == P + A + 1 ? P : k - 1);
        const int firstPostAeration = P + 2 * A + 1;
        if (firstPostAeration <= compartmentCount && firstPostAeration <= MaxCompartments)
            up[firstPostAeration] = lane == 1 ? P + A : P + 2 * A;
    }
}

AIRole AICompartmentRole(const TAIPlant& ai, const TPlantDef& plant, int compartment)
{
    const int P = ai.PolyvalentCount;
    const int A = ai.LaneCompartmentCount;
    if (compartment > plant.ReactorCount)
        return AIRole::Clarifier;
    if (compartment <= P)
        return AIRole::Polyvalent;
    if (compartment <= P + A)
        return AIRole::Lane1;
    if (compartment <= P + 2 * A)
        return AIRole::Lane2;
    return AIRole::PostAeration;
}

std::string AIReactorGridLabel(const TAIPlant& ai, const TPlantDef& plant, int compartment)
{
    switch (AICompartmentRole(ai, plant, compartment)) {
    case AIRole::Polyvalent:
        return "polyvalent";
    case AIRole::Lane1:
        return "lane 1";
    case AIRole::Lane2:
        return "lane 2";
    case AIRole::PostAeration:
        return "post-aeration";
    case AIRole::Clarifier:
        break;
    }
    return "";
}

std::string AIStateGridLabel(const TAIPlant& ai, const TPlantDef& plant, int compartment)
{
    switch (AICompartmentRole(ai, plant, compartment)) {
    case AIRole::Polyvalent:
        return "polyv.";
    case AIRole::Lane1:
        return "lane 1";
    case AIRole::Lane2:
        return "lane 2";
    case AIRole::PostAeration:
        return "post-aer.";
    case AIRole::Clarifier:
        break;
    }
    return "";
}

std::string AIFeedLabel(const TAIPlant& ai, const TPlantDef& plant, int compartment)
{
    switch (AICompartmentRole(ai, plant, compartment)) {
    case AIRole::Lane1:
        return "with feed";
    case AIRole::Lane2:
        return "without feed";
    default:
        return "";
    }
}

int AITwinCompartment(const TAIPlant& ai, const TPlantDef& plant, int compartment)
{
    const int A = ai.LaneCompartmentCount;
    switch (AICompartmentRole(ai, plant, compartment)) {
    case AIRole::Lane1:
        return compartment + A;
    case AIRole::Lane2:
        return compartment - A;
    default:
        return 0;
    }
}

bool AnyAIControlLoopActive(const TPlantDef& plant, const TAIPlant& ai)
{
    for (const LaneLoopTable& table : ai.LaneLoops)
        for (int k = 0; k <= 4 + plant.ReactorCount && k <= MaxControlLoops; ++k)
            if (table[k].Active)
                return true;
    return false;
}

bool AnyLaneLoopActive(const TAIPlant& ai)
{
    return ai.LaneLoops[1][kLaneLoopEntry].Active || ai.LaneLoops[2][kLaneLoopEntry].Active;
}

void CheckAICounts(const TPlantDef& plant, const TAIPlant& ai)
{
    const int P = ai.PolyvalentCount;
    const int A = ai.LaneCompartmentCount;
    const int B = ai.PostAerationCount;
    if (P < 1 || A < 1 || B < 1)
        throw SimulationError(fmt::format(
            "An A/I plant needs at least one polyvalent reactor, one compartment per lane and "
            "one post-aeration reactor; it has {}, {} and {}.",
            P, A, B));
    if (P + 2 * A + B != plant.ReactorCount)
        throw SimulationError(fmt::format(
            "The A/I plant has {} reactors, but {} polyvalent reactors, 2 lanes of {} and {} "
            "post-aeration reactors make {}.",
            plant.ReactorCount, P, A, B, P + 2 * A + B));
    if (plant.CompartmentCount < plant.ReactorCount || plant.CompartmentCount > MaxCompartments)
        throw SimulationError(fmt::format("The A/I plant has {} reactors in {} compartments.",
                                          plant.ReactorCount, plant.CompartmentCount));
}

void SetUpNewAIPlant(const TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai)
{
    if (plant.ReactorCount < 4)
        plant.ReactorCount = 4;
    if (plant.ReactorCount > MaxCompartments - 1)
        plant.ReactorCount = MaxCompartments - 1;
    ai.LaneCompartmentCount = 1;
    ai.PostAerationCount = 1;
    ai.PolyvalentCount = plant.ReactorCount - 3;
    plant.CompartmentCount = plant.ReactorCount + 1;
    ApplyModelInitialConditions(model, state);
    ResetLaneLoops(ai);
    BuildLaneUpstream(ai, plant.CompartmentCount);
}

void ApplyAIPlantType(const TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai,
                      bool chosenFromMenu)
{
    ApplyPlantType(TFlowschemeType::ftAI, model, plant, state, chosenFromMenu);
    if (chosenFromMenu) {
        SetUpNewAIPlant(model, plant, state, ai);
        plant.ControlLoopsActive = false; // both tables are back at their defaults
    }
    plant.PlantType = TFlowschemeType::ftAI;
    plant.Influent2Enabled = true;
    plant.SludgeSeparation = true;
}

} // namespace narv

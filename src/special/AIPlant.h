#pragma once

#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <string>

namespace narv {

inline constexpr int kLaneCount = 2;
inline constexpr int kLaneLoopEntry = 0; // entry 0 of a lane's table switches the lane fed

// A lane's control loops: entry 0 the lane loop, entries 1..22 as in the standard table.
using LaneLoopTable = ArrayRange<TControlLoopDef, 0, MaxControlLoops>;
// For the lane fed L and compartment k, the compartment whose outflow enters k (k itself: none).
using LaneUpstreamTable = Array1<Array1<int, MaxCompartments>, kLaneCount>;

// The data of a plant with A/I processes beside the plant definition: a chain of polyvalent
// reactors, two lanes of equally many A/I compartments of which one at a time is fed, a chain
// of post-aeration reactors, then the clarifier compartments.
struct TAIPlant {
    TAIPlant();

    int PolyvalentCount = 1;        // P
    int LaneCompartmentCount = 1;   // A, per lane
    int PostAerationCount = 1;      // B
    LaneUpstreamTable LaneUpstream; // built from the counts, never stored
    Array1<LaneLoopTable, kLaneCount> LaneLoops;
};

// The lane fed per variation step, stored with the variation of an A/I plant.
struct TAIVariation {
    TAIVariation() { LaneFed.fill(1); }
    Array1<int, MaxVariationPoints> LaneFed; // each 1 or 2
};

// A new variation feeds lane 1 throughout.
inline void ResetLaneFed(TAIVariation& lanes)
{
    lanes.LaneFed.fill(1);
}

// The lane loop's defaults: inactive, on/off, upper threshold 2, lower threshold 150, lane 2
// below, lane 1 above, measured variable 1 in compartment 1.
TControlLoopDef LaneLoopDefaults();

// Both tables: entry 0 the lane-loop defaults, the others the standard defaults.
void ResetLaneLoops(TAIPlant& ai);

// Fills LaneUpstream from the counts for compartments 1..compartmentCount.
void BuildLaneUpstream(TAIPlant& ai, int compartmentCount);

// The role of compartment k in an A/I plant.
enum class AIRole { Polyvalent, Lane1, Lane2, PostAeration, Clarifier };
AIRole AICompartmentRole(const TAIPlant& ai, const TPlantDef& plant, int compartment);
// " Type" of the reactor grid ("polyvalent", "lane 1", "lane 2", "post-aeration"), of the state
// grid ("polyv.", "lane 1", "lane 2", "post-aer."); "" for clarifier compartments.
std::string AIReactorGridLabel(const TAIPlant& ai, const TPlantDef& plant, int compartment);
std::string AIStateGridLabel(const TAIPlant& ai, const TPlantDef& plant, int compartment);
// The state grid's feed row: "with feed" for lane-1, "without feed" for lane-2 compartments.
std::string AIFeedLabel(const TAIPlant& ai, const TPlantDef& plant, int compartment);
// The compartment in the other lane at the same position; 0 for compartments of no lane.
int AITwinCompartment(const TAIPlant& ai, const TPlantDef& plant, int compartment);

// Whether any entry 0..4 + ReactorCount of either lane's table is active: ControlLoopsActive of
// an A/I plant.
bool AnyAIControlLoopActive(const TPlantDef& plant, const TAIPlant& ai);
// Whether the lane loop of either table is active: then the lane loops decide the lane fed.
bool AnyLaneLoopActive(const TAIPlant& ai);

// Refuses counts that do not describe the plant: SimulationError with the reason.
void CheckAICounts(const TPlantDef& plant, const TAIPlant& ai);

// A plant newly made an A/I plant: at least 4 reactors (at most 17, so that one clarifier
// compartment fits), one compartment per lane, one post-aeration reactor, the rest polyvalent,
// one clarifier compartment, the model's initial conditions, default lane loops.
void SetUpNewAIPlant(const TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai);

// The type chosen (chosenFromMenu) or shown for a loaded plant: the new-plant set-up, or only
// the type, the 2nd influent and the sludge separation for a loaded plant, whose counts stay.
void ApplyAIPlantType(const TModelDef& model, TPlantDef& plant, TPlantState& state, TAIPlant& ai,
                      bool chosenFromMenu);

inline constexpr const char* kAIComputationMessage =
    "For A/I processes you have to define a variation file \nand choose "
    "[Computations/Dynamic Simulation].";

} // namespace narv

#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <string>

namespace narv {

// Entries 1..4 of the loop table control these quantities; entry 4 + k the kla of compartment k.
inline constexpr int kLoopReturnFlow = 1;
inline constexpr int kLoopRecircFlow = 2;
inline constexpr int kLoopExcessRate = 3;
inline constexpr int kLoopInfluent2Flow = 4;
inline constexpr int kFirstKlaLoop = 5;

// Signal codes: 1 the 1st influent flow, 2 the total solids of the measuring compartment,
// 3..NS+2 a dissolved and NS+3..NS+NX+2 a particulate species there.
inline constexpr int kSignalInfluent = 1;
inline constexpr int kSignalTotalSolids = 2;

// The defaults of every entry of the table.
void ResetControlLoops(ControlLoopTable& loops);

// The caption of what entry n controls: "Returnsludge", ..., "Kla of Reactor 3".
std::string ControlledQuantityCaption(int entry);

// The signal of a loop from the current plant state; throws SimulationError for a signal code
// that the model does not have.
double MeasureSignal(const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                     const TControlLoopDef& loop);

// "Influent", "Tot.Solids(3)", or a species label with runs of blanks collapsed and "(r)".
std::string SignalDisplayName(const TModelDef& model, int signal, int compartment);

// Applies the active entries 1..CompartmentCount+4 in ascending order. step is the index of
// the variation step in force (0: none); relativeKla[k] is the variation's relative kla of
// compartment k in that step (1 in the neutral column 0).
void ApplyControlLoops(const TModelDef& model, TPlantDef& plant, const TPlantState& state, int step,
                       const CompartmentArray& relativeKla);

// The one-line description of a loop, e.g. "=150.000-200.000×(Oxygen O2(5)-2.000)" (UTF-8).
std::string DescribeControlLoop(const TModelDef& model, const TControlLoopDef& loop);

// Whether any entry 1..ReactorCount+4 is active: what ControlLoopsActive is set to.
bool AnyControlLoopActive(const TPlantDef& plant);

} // namespace narv

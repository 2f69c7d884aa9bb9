#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

namespace narv::testing {

// A model of oxygen and two more dissolved species and two particulate species whose only
// process is aeration: transport alone changes the concentrations.
TModelDef MakeInertModel();

// A plant of reactorCount reactors of volume 100 and clarifierCount clarifier compartments,
// no aeration, no setpoints, the given influent flow into reactor 1 and no other flows.
TPlantDef MakeCascade(int reactorCount, int clarifierCount, double influentFlow);

} // namespace narv::testing

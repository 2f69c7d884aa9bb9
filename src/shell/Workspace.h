#pragma once

#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/ModelSetup.h"
#include "plant/PlantDef.h"

namespace narv {

// Everything one running program works on: the active model, plant, plant state and
// variation. The desktop program holds one; tests and the command line make as many as they
// need.
struct Workspace {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TVariationDef variation;

    Workspace() { SetUpDefaultModel(model, plant, state); }
};

} // namespace narv

#pragma once

#include "model/ModelDef.h"
#include "plant/ModelSetup.h"
#include "plant/PlantDef.h"

namespace narv {

// Everything one running program works on: the active model, plant and plant state.
// The desktop program holds one; tests and the command line make as many as they need.
struct Workspace {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;

    Workspace() { SetUpDefaultModel(model, plant, state); }
};

} // namespace narv

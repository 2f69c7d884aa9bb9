#pragma once

#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/ModelSetup.h"
#include "plant/PlantDef.h"
#include "special/AIPlant.h"
#include "special/SbrCycle.h"

namespace narv {

// Everything one running program works on: the active model, plant, plant state and
// variation, with the data of the special plant types. The desktop program holds one; tests
// and the command line make as many as they need.
struct Workspace {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TVariationDef variation;
    TSbrCycle sbr;            // the cycle of an SBR plant
    TAIPlant ai;              // counts, lane topology and lane loops of an A/I plant
    TAIVariation aiVariation; // the lane fed per variation step of an A/I plant

    Workspace() { SetUpDefaultModel(model, plant, state); }
};

} // namespace narv

#pragma once

#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/ModelSetup.h"
#include "plant/PlantDef.h"
#include "results/ResultSet.h"
#include "special/AIPlant.h"
#include "special/SbrCycle.h"
#include "special/SbrSimulation.h"

#include <optional>

namespace narv {

// The compartment concentrations an integration saves and loads again ("Save Conditions",
// "Load Conditions").
struct SavedConditions {
    Array2<double, MaxCompartments, MaxSpecies> S;
    Array2<double, MaxCompartments, MaxSpecies> X;
};

// Everything one running program works on: the active model, plant, plant state and
// variation, with the data of the special plant types, and the state of its runs. The desktop
// program holds one; tests and the command line make as many as they need.
struct Workspace {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TVariationDef variation;
    TSbrCycle sbr;            // the cycle of an SBR plant
    TAIPlant ai;              // counts, lane topology and lane loops of an A/I plant
    TAIVariation aiVariation; // the lane fed per variation step of an A/I plant

    TResultSet results;                // the charts and series of the last dynamic run
    TResultSet resultsFromFile;        // the results file read last ("Load Results from &File")
    bool resultsAvailable = false;     // a run produced results that can be saved
    std::optional<SbrRunState> sbrRun; // the end of the last SBR run
    std::optional<SavedConditions> savedConditions;
    bool runLasts = false; // a computation is running: commands that change its data wait

    Workspace() { SetUpDefaultModel(model, plant, state); }
};

} // namespace narv

#pragma once

// An ASM1 plant in the layout of the well-known benchmark plant: two anoxic reactors of
// 1000 m3, three aerated ones of 1333 m3, an ideal clarifier of two compartments.
#include "plant/ModelSetup.h"
#include "solvers/SimSettings.h"

namespace narv::bench {

struct BenchmarkPlant {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TSimSettings settings = SimSettingsForMissingKeys();

    BenchmarkPlant()
    {
        SetUpDefaultModel(model, plant, state);
        ReadModelFile(NARV_SOURCE_DIR "/data/models/asm1.mod", model, plant, state);
        plant.PlantType = TFlowschemeType::ftASR;
        plant.ReactorCount = 5;
        plant.CompartmentCount = 7;
        const double volume[] = {1000.0, 1000.0, 1333.0, 1333.0, 1333.0, 3000.0, 3000.0};
        const double kla[] = {0.0, 0.0, 240.0, 240.0, 84.0, 0.0, 0.0};
        for (int c = 1; c <= 7; ++c) {
            plant.Volume[c] = volume[c - 1];
            plant.Kla[c] = kla[c - 1];
            plant.O2Setpoint[c] = 0.0;
        }
        plant.InfluentFlow = 18446.0;
        plant.ReturnFlow = 18446.0;
        plant.RecircFlow = 55338.0;
        plant.RecircFrom = 5;
        plant.RecircTo = 1;
        plant.RecircActive = true;
        plant.SludgeSeparation = true;
        plant.SludgeAge = 7.3168;
        plant.ExcessRate = 1.0 / plant.SludgeAge;
        plant.O2Saturation = 8.0;
    }
};

} // namespace narv::bench

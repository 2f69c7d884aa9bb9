#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <filesystem>

namespace narv {

// The start-up state of model, plant and plant state (also the first step of a new model).
void SetUpDefaultModel(TModelDef& model, TPlantDef& plant, TPlantState& state);

// S2 := pH from S3 in the 1st and 2nd influent and in compartments 1..CompartmentCount.
void UpdatePH(TModelDef& model, TPlantDef& plant, TPlantState& state);

// Reads a model file and runs the post-load steps: the 2nd influent and all 18 compartments
// take the file's influent and initial concentrations, IsPHModel is set, aeration loses its
// temperature coefficient, and the plant runs at the model's base temperature. On any error
// model, plant and state are left as they were.
void ReadModelFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                   TPlantState& state);

// Writes the model file through a temporary file, so a failure keeps the previous file.
void WriteModelFile(const std::filesystem::path& path, const TModelDef& model);

// The rates of compartment r (1..18) at its stored concentrations and aeration.
void ComputeProcessRates(TModelDef& model, const TPlantDef& plant, TPlantState& state, int r);
void ComputeConversionRates(TModelDef& model, const TPlantDef& plant, TPlantState& state, int r);
void ComputeOxygenRate(TModelDef& model, const TPlantDef& plant, TPlantState& state, int r);

} // namespace narv

#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "special/SbrCycle.h"

#include <filesystem>
#include <iosfwd>
#include <string>

namespace narv {

class TextReader;

// The SBR plant file: header, timeslice length, initial volume and accuracy, the twelve
// periods, the influent and reactor concentrations and the twelve control lines. Its species
// lines follow the loaded model, which the header names.
void WriteSbrPlantText(std::ostream& out, const TModelDef& model, const TPlantDef& plant,
                       const TPlantState& state, const TSbrCycle& cycle);

// Reads an SBR plant file into copies and commits on success: the cycle, the influents (the
// 1st into the model's influent), the state of compartment 1, and the SBR set-up of the plant.
// O2Saturation and OperatingTemperature keep their values. On any error nothing changes and
// an InvalidFileError says "<file name> is not valid for this model!".
void ReadSbrPlantText(TextReader& in, const std::string& fileName, TModelDef& model,
                      TPlantDef& plant, TPlantState& state, TSbrCycle& cycle);

void WriteSbrPlantFile(const std::filesystem::path& path, const TModelDef& model,
                       const TPlantDef& plant, const TPlantState& state, const TSbrCycle& cycle);
void ReadSbrPlantFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                      TPlantState& state, TSbrCycle& cycle);

} // namespace narv

#pragma once

#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "special/AIPlant.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace narv {

class TextReader;

// The A/I plant file: the standard plant file with the keyword "AI", two control-loop blocks
// (lane 1, then lane 2) of CompartmentCount + 5 entries from the lane loop 0 on, the 2nd
// recirculation with three-digit indices and a last line with the three A/I counts.
void WriteAIPlantText(std::ostream& out, const TModelDef& model, const TPlantDef& plant,
                      const TPlantState& state, const TAIPlant& ai);

// Reads an A/I plant file into copies and commits on success: the plant definition, the lane
// tables, the counts, the influents (the 1st into the model's influent) and the compartment
// concentrations; repairs the excess-sludge rate, clears the 2nd influent where the type in
// force has none, converts the model to the plant's temperature and sets the type "AI".
// LaneUpstream is not rebuilt. On any error nothing changes and an InvalidFileError says
// "<file name> is not valid for this model!".
void ReadAIPlantText(TextReader& in, const std::string& fileName, TModelDef& model,
                     TPlantDef& plant, TPlantState& state, TAIPlant& ai);

void WriteAIPlantFile(const std::filesystem::path& path, const TModelDef& model,
                      const TPlantDef& plant, const TPlantState& state, const TAIPlant& ai);
void ReadAIPlantFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                     TPlantState& state, TAIPlant& ai);

inline constexpr const char* kNotAIVariationWarning =
    "Variation file is not of type A/I!\nlane is set to 1.";

// Replaces lane values other than 1 or 2 in steps 1..pointCount by 1 (all 288 when the first
// is 0, as from a file without a lane line). Returns the warning when anything was replaced.
std::optional<std::string> RepairLaneFed(TAIVariation& lanes, int pointCount);

// The A/I variation file: the variation file followed by the lane line, LaneFed[1..PointCount]
// as two-character integers without separators.
void WriteAIVariationText(std::ostream& out, const TVariationDef& variation,
                          const TAIVariation& lanes, const TModelDef& model);
// Reads variation and lane line into copies and commits both on success. A missing lane line or
// lane values other than 1 or 2 become lane 1 and the warning is returned: a simulation never
// runs with lane 0. Then LaneUpstream is rebuilt for the plant.
std::optional<std::string> ReadAIVariationText(TextReader& in, const std::string& fileName,
                                               TVariationDef& variation, TAIVariation& lanes,
                                               const TModelDef& model, const TPlantDef& plant,
                                               TAIPlant& ai);

// The file commands. Writing repairs lanes of 0 afterwards and returns the warning, as the
// program warns after saving a variation that came without a lane line.
std::optional<std::string> WriteAIVariationFile(const std::filesystem::path& path,
                                                const TVariationDef& variation, TAIVariation& lanes,
                                                const TModelDef& model);
std::optional<std::string> ReadAIVariationFile(const std::filesystem::path& path,
                                               TVariationDef& variation, TAIVariation& lanes,
                                               const TModelDef& model, const TPlantDef& plant,
                                               TAIPlant& ai);

} // namespace narv

#pragma once

#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "special/AIPlant.h"
#include "special/SbrCycle.h"

#include <filesystem>
#include <optional>
#include <string>

namespace narv {

// The plant-file commands for every plant type: the type keyword of line 3 hands SBR and A/I
// files to their own readers, all others to the standard reader. Returns the keyword, which
// the caller stores as the plant's type ("Unknown" for the oldest layout); SBR and A/I plants
// already carry their type. Errors as the readers give them; nothing changes on an error.
std::string ReadAnyPlantFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                             TPlantState& state, TSbrCycle& sbr, TAIPlant& ai);

// Writes the plant under the keyword: "SBR" and "AI" with their own writers, any other with
// the standard writer. Through a temporary file.
void WriteAnyPlantFile(const std::filesystem::path& path, const std::string& keyword,
                       const TModelDef& model, const TPlantDef& plant, const TPlantState& state,
                       const TSbrCycle& sbr, const TAIPlant& ai);

// The variation of the plant: with the lane line for an A/I plant (then LaneUpstream is
// rebuilt), the standard file otherwise. Returns the warning of an A/I variation without valid
// lanes.
std::optional<std::string> ReadAnyVariationFile(const std::filesystem::path& path,
                                                TVariationDef& variation, TAIVariation& lanes,
                                                const TModelDef& model, const TPlantDef& plant,
                                                TAIPlant& ai);
std::optional<std::string> WriteAnyVariationFile(const std::filesystem::path& path,
                                                 const TVariationDef& variation,
                                                 TAIVariation& lanes, const TModelDef& model,
                                                 const TPlantDef& plant);

} // namespace narv

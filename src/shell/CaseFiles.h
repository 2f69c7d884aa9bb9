#pragma once

#include "shell/Workspace.h"
#include "solvers/SimSettings.h"

#include <filesystem>
#include <optional>
#include <string>

namespace narv {

// The files of one case: a model, and optionally a plant of any type and a variation.
struct CaseFiles {
    std::filesystem::path model;
    std::optional<std::filesystem::path> plant;
    std::optional<std::filesystem::path> variation;
};

// What loading a case leaves besides the workspace's data.
struct LoadedCase {
    std::string plantKeyword; // the plant file's type keyword; "" without a plant
    std::optional<std::string> variationWarning; // an A/I variation without valid lanes
};

// Reads the files in the program's order and runs what the readers run afterwards: the model
// first (the variation starts neutral), then the plant of any type and the variation, both
// checked against it. The plant's type is the file's keyword. The first bad file throws with
// the reader's message.
LoadedCase LoadCase(Workspace& workspace, const CaseFiles& files);

// The [Simulation] section of a settings file; without a file the values for missing keys.
TSimSettings LoadSimulationSettings(const std::optional<std::filesystem::path>& file);

// Writes the plant with its current state under the keyword it was read with.
void SavePlant(const Workspace& workspace, const std::string& keyword,
               const std::filesystem::path& path);

} // namespace narv

#pragma once

#include "solvers/SimSettings.h"

#include <filesystem>
#include <string>

namespace narv {

// The [Simulation] section of a settings file: keys that are missing, or hold no number, take
// their missing-key values; loops and loopmin above 100 read as 100 (and below 1 as 1);
// DeltMinO2 follows DeltMin.
TSimSettings ReadSimulationSettings(const std::filesystem::path& path);
TSimSettings ParseSimulationSettings(const std::string& iniText);

} // namespace narv

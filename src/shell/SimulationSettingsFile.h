#pragma once

#include "solvers/SimSettings.h"

#include <filesystem>
#include <string>

namespace narv {

// Upper limits of the [Simulation] keys that the Configuration dialog does not fix.
inline constexpr int kMaxDisplayUpdates = 100; // loops and loopmin: more read as 100
inline constexpr double kMaxDeltMin = 0.01;    // [d]

// The [Simulation] section of a settings file: keys that are missing (or empty) take their
// missing-key values; a key that holds no number, or one outside the Configuration dialog's
// range, is refused with an error naming the file and the key; loops and loopmin above 100
// read as 100. DeltMinO2 follows DeltMin.
TSimSettings ReadSimulationSettings(const std::filesystem::path& path);
TSimSettings ParseSimulationSettings(const std::string& iniText,
                                     const std::string& sourceName = "NARV.ini");

} // namespace narv

#pragma once

#include "solvers/SimSettings.h"

#include <filesystem>
#include <string>

namespace narv {

// The keys of the settings file "NARV.ini" with the values that apply when a key is missing or,
// for a number, holds no number.
struct ShellSettings {
    // [Directories]
    std::string User = "\\user";
    std::string NARVModel;         // read only: empty means the delivered models
    std::string Model = "\\model"; // read only
    // [StartUp]
    std::string LastProject;
    std::string LastModel;
    std::string LastPlant;
    std::string LastVariation;
    std::string LastContInput;  // missing: LastPlant + ".CIN"
    std::string LastContOutput; // missing: LastPlant + ".COU"
    bool ContSimulation = false;
    // [Charts], read only
    std::string BottomAxisTitleCaption = "Time [h]";
    int DefaultPenWidth = 3;
    // [Simulation]
    std::string NameS1 = "S Oxygen      O2";
    TSimSettings simulation = SimSettingsForMissingKeys();
};

inline constexpr const char* kSettingsFileName = "NARV.ini";

// Throws IoError for text that is no INI file.
ShellSettings ParseShellSettings(const std::string& iniText);
// A missing file gives the defaults of every key (the first start).
ShellSettings ReadShellSettings(const std::filesystem::path& path);

// Which of the two continuous-simulation names to write: each only while its file exists in
// the project, otherwise the file keeps its previous value.
struct ContNamesToWrite {
    bool input = true;
    bool output = true;
};

// Writes the keys the program keeps (User, the StartUp keys, the Simulation keys) into the
// settings file and leaves every other key and comment of an existing file as it was. Reals as
// "%12.6g" without blanks. Through a temporary file.
void WriteShellSettings(const std::filesystem::path& path, const ShellSettings& settings,
                        ContNamesToWrite contNames = {});

// A real as the settings file holds it: "%12.6g" with the blanks removed.
std::string FormatSettingReal(double x);

} // namespace narv

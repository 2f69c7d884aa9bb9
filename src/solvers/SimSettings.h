#pragma once

#include <string>
#include <vector>

namespace narv {

// The numerical settings of all solvers. A default-constructed value holds what is in force
// before the settings file is read.
struct TSimSettings {
    double Eps2 = 0.1;     // relative accuracy before the critical time
    double Eps = 0.02;     // relative accuracy after the critical time
    double Tdif = 0.01;    // critical time [d]: the last stretch of a call, integrated with Eps
    int loops = 10;        // display updates during an integration run
    int loopmin = 10;      // display updates during a relaxation
    double ConcMin = 1e-5; // bounds of every reactor concentration after a step
    double ConcMax = 1e100;
    double DeltMin = 1e-9;    // smallest time step [d]
    double DeltMinO2 = 1e-10; // smallest oxygen sub-step [d], always 0.1 x DeltMin
    bool StepByStep = false;  // pause after every step; not stored
};

// The values that apply for keys missing from the settings file (DeltMin 1e-4).
TSimSettings SimSettingsForMissingKeys();

// "Set Default Values" of the Configuration dialog: everything but DeltMin and StepByStep.
void SetDefaultSimSettings(TSimSettings& settings);

// DeltMinO2 follows DeltMin whenever DeltMin is read or confirmed.
inline void UpdateDeltMinO2(TSimSettings& settings)
{
    settings.DeltMinO2 = 0.1 * settings.DeltMin;
}

// One field of the Configuration dialog: its key, label and accepted range. The upper limit
// of Eps is the Eps2 being edited.
struct SimSettingField {
    std::string key;
    std::string label;
    bool integer;
    double min;
    double max;
};
const std::vector<SimSettingField>& SimSettingFields();

} // namespace narv

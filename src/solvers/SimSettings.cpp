#include "solvers/SimSettings.h"

namespace narv {

TSimSettings SimSettingsForMissingKeys()
{
    TSimSettings settings;
    settings.DeltMin = 1e-4;
    UpdateDeltMinO2(settings);
    return settings;
}

void SetDefaultSimSettings(TSimSettings& settings)
{
    settings.Eps2 = 0.1;
    settings.Eps = 0.02;
    settings.Tdif = 0.01;
    settings.loops = 10;
    settings.loopmin = 10;
    settings.ConcMin = 1e-5;
    settings.ConcMax = 1e100;
}

const std::vector<SimSettingField>& SimSettingFields()
{
    static const std::vector<SimSettingField> fields = {
        {"Eps2", "Integration accuracy before critical time: ", false, 0.0, 0.1},
        {"Eps", "Integration accuracy after critical time: ", false, 0.0, 0.1},
        {"Tdif", "Critical time to switch integration accuracy: ", false, 0.0, 1e9},
        {"loops", "Display updates during integration: ", true, 1.0, 100.0},
        {"loopmin", "Display updates during relaxation: ", true, 1.0, 100.0},
        {"ConcMin", "Minimal concentration:", false, 0.0, 1e9},
        {"ConcMax", "Maximal concentration:", false, 0.0, 1e110},
        // Up to 1e-3 d: the range takes the 1e-4 used for a missing key (a bound of 1e-9 would
        // refuse it every time the dialog is checked) and stays below the 1/288 d of a
        // dynamic simulation's integrator call.
        {"DeltMin", "Minimal time step during integration:", false, 0.0, 1e-3},
    };
    return fields;
}

} // namespace narv

#include "solvers/SimSettings.h"

#include "core/Error.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>

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
    const TSimSettings defaults;
    settings.Solver = defaults.Solver;
    settings.Steady = defaults.Steady;
    settings.RelTol = defaults.RelTol;
    settings.AbsTol = defaults.AbsTol;
}

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

const char* IntegratorChoiceName(IntegratorChoice choice)
{
    return choice == IntegratorChoice::Cvode ? "cvode" : "legacy";
}

const char* SteadyMethodName(SteadyMethod method)
{
    return method == SteadyMethod::Newton ? "newton" : "relax";
}

bool ParseIntegratorChoice(const std::string& text, IntegratorChoice& choice)
{
    const std::string word = lowered(text);
    if (word == "legacy")
        choice = IntegratorChoice::Legacy;
    else if (word == "cvode")
        choice = IntegratorChoice::Cvode;
    else
        return false;
    return true;
}

bool ParseSteadyMethod(const std::string& text, SteadyMethod& method)
{
    const std::string word = lowered(text);
    if (word == "relax")
        method = SteadyMethod::Relax;
    else if (word == "newton")
        method = SteadyMethod::Newton;
    else
        return false;
    return true;
}

void CheckSolverTolerances(const TSimSettings& settings)
{
    if (!(settings.RelTol > 0.0 && settings.RelTol < 1.0))
        throw RangeError(fmt::format(
            "RelTol is {}; the relative tolerance must lie between 0 and 1 (e.g. 1e-6).",
            settings.RelTol));
    if (!(settings.AbsTol > 0.0) || !std::isfinite(settings.AbsTol))
        throw RangeError(fmt::format(
            "AbsTol is {}; the absolute tolerance must be a positive number (e.g. 1e-8).",
            settings.AbsTol));
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

#pragma once

#include <string>
#include <vector>

namespace narv {

// The integrator of the runs: the explicit one of the program, or CVODE's error-controlled BDF.
enum class IntegratorChoice { Legacy, Cvode };
// The steady-state method: the relaxation of the program, or Newton's method (KINSOL).
enum class SteadyMethod { Relax, Newton };

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
    IntegratorChoice Solver = IntegratorChoice::Legacy;
    SteadyMethod Steady = SteadyMethod::Relax;
    double RelTol = 1e-6; // relative tolerance of the accurate solvers
    double AbsTol = 1e-8; // absolute tolerance of the accurate solvers [g/m3]
};

// "legacy"/"cvode" and "relax"/"newton": the words of the settings file and the command line.
const char* IntegratorChoiceName(IntegratorChoice choice);
const char* SteadyMethodName(SteadyMethod method);
// False for any other word; the comparison ignores case.
bool ParseIntegratorChoice(const std::string& text, IntegratorChoice& choice);
bool ParseSteadyMethod(const std::string& text, SteadyMethod& method);

// The ranges of the tolerances in the settings file: below them the accurate solvers only
// work harder against rounding, above them they are not accurate.
inline constexpr double kMinRelTol = 1e-14;
inline constexpr double kMaxRelTol = 0.1;
inline constexpr double kMinAbsTol = 1e-20;
inline constexpr double kMaxAbsTol = 1e3; // [g/m3]

// Throws RangeError naming the key when a tolerance is not in (0, 1) (RelTol) or not positive
// and finite (AbsTol).
void CheckSolverTolerances(const TSimSettings& settings);

// The values that apply for keys missing from the settings file (DeltMin 1e-4).
TSimSettings SimSettingsForMissingKeys();

// "Set Default Values" of the Configuration dialog: everything but DeltMin and StepByStep (the
// legacy solvers among them).
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

#pragma once

// Limits that every reader and every run applies, so that no input can ask for unbounded work
// or store a value no plant can have. docs/limits.md lists them with their reasons.

namespace narv {

// A concentration [g/m3] is never negative beyond rounding and never above the largest clamp
// bound that the settings allow (ConcMax up to 1e110).
inline constexpr double kConcentrationRounding = 1e-9;
inline constexpr double kMaxConcentration = 1e110;

// Temperatures [°C] that a model or plant can be converted to; the plant editor's range.
inline constexpr double kMinTemperature = -20.0;
inline constexpr double kMaxTemperature = 100.0;

// Flows [m3/d], volumes [m3], kla [1/d], setpoints, sludge age [d], oxygen saturation: the
// plant editor's upper limit.
inline constexpr double kMaxPlantValue = 1e9;

// The longest simulated time of one run [d]: integration, relaxation, the cycles of a dynamic
// simulation and a continuous simulation. Nearly three centuries.
inline constexpr double kMaxRunDays = 1e5;
inline constexpr double kMaxContinuousHours = 24.0 * kMaxRunDays;

} // namespace narv

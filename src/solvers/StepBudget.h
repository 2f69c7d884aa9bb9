#pragma once

#include "core/Error.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "solvers/SimSettings.h"

#include <fmt/format.h>

#include <cmath>

namespace narv {

// A positive concentration may change by at most the fraction h of itself in one step: the
// budget of a step (in units of h) is the smallest |C/D| over the concentrations.
inline void LimitStepBudget(double& budget, double concentration, double derivative)
{
    if (derivative != 0.0 && concentration > 0.0) {
        // Only a ratio below the budget changes it, and that needs C < budget * |D|: where the
        // product, widened past its rounding, says otherwise, the division is left out.
        const double bound = budget * std::fabs(derivative);
        if (bound >= 0x1p-1000 && concentration >= bound * (1.0 + 0x1p-50))
            return;
        const double ratio = std::fabs(concentration / derivative);
        if (ratio < budget)
            budget = ratio;
    }
}

// value itself when finite; otherwise the error that names the species and compartment.
inline double FiniteDerivative(double value, const TModelDef& model, bool dissolved, int species,
                               int compartment, double time)
{
    if (!std::isfinite(value))
        throw FloatingPointError(fmt::format(
            "The derivative of \"{}\" in compartment {} is not finite at {} d.",
            dissolved ? model.NameS[species] : model.NameX[species], compartment, time));
    return value;
}

// The accuracy and budget of the next step: the coarse accuracy Eps2 until the last Tdif before
// the end (the step never passes 0.99 Tdif before it), then the fine accuracy Eps up to the end.
struct StepStart {
    double accuracy = 0.0;
    double budget = 0.0;
};

inline StepStart StartStep(double remaining, const TSimSettings& settings)
{
    if (remaining >= settings.Tdif)
        return {settings.Eps2, (remaining - 0.99 * settings.Tdif) / settings.Eps2};
    return {settings.Eps, remaining / settings.Eps};
}

// The step length budget * h with the DeltMin floor; throws when the clock cannot advance.
inline double StepLength(double budget, double accuracy, double time, const TSimSettings& settings)
{
    double dt = budget * accuracy;
    if (dt < settings.DeltMin)
        dt = settings.DeltMin;
    if (!(dt > 0.0) || !std::isfinite(dt) || time + dt == time)
        throw SimulationError(
            fmt::format("The integration step at {} d is too small to advance; raise the "
                        "minimal time step or the integration accuracy in the settings.",
                        time));
    return dt;
}

// Puts the 18 oxygen setpoints back however an integrator call ends.
class SetpointGuard {
public:
    explicit SetpointGuard(TPlantDef& plant) : m_plant(plant), m_saved(plant.O2Setpoint) {}
    ~SetpointGuard() { m_plant.O2Setpoint = m_saved; }
    SetpointGuard(const SetpointGuard&) = delete;
    SetpointGuard& operator=(const SetpointGuard&) = delete;

private:
    TPlantDef& m_plant;
    CompartmentArray m_saved;
};

} // namespace narv

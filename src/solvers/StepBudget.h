#pragma once

#include "core/Error.h"
#include "model/ModelDef.h"

#include <fmt/format.h>

#include <cmath>

namespace narv {

// A positive concentration may change by at most the fraction h of itself in one step: the
// budget of a step (in units of h) is the smallest |C/D| over the concentrations.
inline void LimitStepBudget(double& budget, double concentration, double derivative)
{
    if (derivative != 0.0 && concentration > 0.0) {
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

} // namespace narv

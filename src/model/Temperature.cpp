#include "model/Temperature.h"

#include "core/Error.h"
#include "model/KineticTypes.h"

#include <fmt/format.h>

#include <cmath>

namespace narv {
namespace {

double converted(double value, double theta, double T, double Tbase, int process)
{
    const double result = value * std::exp(theta * (T - Tbase));
    if (!std::isfinite(result))
        throw FloatingPointError(fmt::format(
            "Floating point overflow converting a parameter of process {} to {} °C.", process, T));
    return result;
}

} // namespace

double TemperatureFactor(double theta, double T, double Tbase)
{
    return std::exp(theta * (T - Tbase));
}

void ConvertToOperatingTemperature(TModelDef& model, double T, double Tbase)
{
    CheckModelCounts(model);
    // Into copies first, so that an overflow leaves the model as it was.
    ProcessArray krT = model.KrT;
    ProcessSpeciesReal kST = model.KST;
    ProcessSpeciesReal kXT = model.KXT;
    krT[1] = model.Kr[1];
    for (int p = 2; p <= model.NP; ++p) {
        krT[p] = converted(model.Kr[p], model.ThetaKr[p], T, Tbase, p);
        for (int j = 1; j <= model.NS; ++j)
            if (TypeHasParameter(model.TypeS[p][j]))
                kST[p][j] = converted(model.KS[p][j], model.ThetaKS[p][j], T, Tbase, p);
        for (int j = 1; j <= model.NX; ++j)
            if (TypeHasParameter(model.TypeX[p][j]))
                kXT[p][j] = converted(model.KX[p][j], model.ThetaKX[p][j], T, Tbase, p);
    }
    model.KrT = krT;
    model.KST = kST;
    model.KXT = kXT;
}

double BaseValueFromOperatingValue(double valueAtT, double theta, double T, double Tbase)
{
    return valueAtT * std::exp(theta * (Tbase - T));
}

double OperatingValueFromBaseValue(double baseValue, double theta, double T, double Tbase)
{
    return baseValue * std::exp(theta * (T - Tbase));
}

double OperatingValueForNewCoefficient(double baseValue, double theta, double T, double Tbase)
{
    return OperatingValueFromBaseValue(baseValue, theta, T, Tbase);
}

} // namespace narv

#pragma once

#include "model/ModelDef.h"

namespace narv {

// exp(theta * (T - Tbase)); theta [1/°C], temperatures [°C].
double TemperatureFactor(double theta, double T, double Tbase);

// KrT, KST, KXT from the base values at the operating temperature T. Aeration (process 1)
// keeps its base rate; cells of types 0 and 1 keep their converted values. Throws
// FloatingPointError on an overflow, leaving the model's converted values unchanged.
void ConvertToOperatingTemperature(TModelDef& model, double T, double Tbase);

// The three single-cell conversions of the parameter dialog.
// A value entered at the operating temperature: the base value it stands for.
double BaseValueFromOperatingValue(double valueAtT, double theta, double T, double Tbase);
// A new base value, or a new coefficient for a kept base value: the value at T.
double OperatingValueFromBaseValue(double baseValue, double theta, double T, double Tbase);
// A new coefficient theta for a cell whose base value stays: the converted value.
double OperatingValueForNewCoefficient(double baseValue, double theta, double T, double Tbase);

} // namespace narv

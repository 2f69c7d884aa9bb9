#pragma once

#include "model/ModelDef.h"

namespace narv::modelgen {

// A kinetic parameter at the model's base temperature with its temperature coefficient.
struct Parameter {
    double value;
    double theta; // [1/°C]
};

// Everything the ASM1 matrix (Henze et al., 1987) needs, at the model's base temperature.
struct Asm1Parameters {
    double YA;                 // [g COD / g N]
    double YH;                 // [g COD / g COD]
    double fP;                 // inert fraction of decayed biomass
    double iXB;                // [g N / g COD] in biomass
    double iXP;                // [g N / g COD] in decay products
    double etaG;               // anoxic growth
    double etaH;               // anoxic hydrolysis
    double nitrateCod;         // [g COD / g N], NH4 -> NO3
    double denitrificationCod; // [g COD / g N], NO3 -> N2
    Parameter muH, KS, KOH, KNO, bH, kh, KX, muA, KNH, KOA, ka, bA;
    // kh / KX written out, as the quotient rounds in binary; see the hydrolysis of org. N.
    Parameter khPerKX;
};

// The typical values at 20 °C of the report, with their coefficients; the parameters of
// data/models/asm1.mod.
Asm1Parameters Asm1TypicalParameters();

// Appends the ten transformation processes of ASM1 to a model started with the species of
// asm1.mod in their order (StartModel).
void AddAsm1Processes(TModelDef& model, const Asm1Parameters& parameters);

} // namespace narv::modelgen

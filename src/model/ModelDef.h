#pragma once

#include "core/FixedArray.h"

#include <string>

namespace narv {

inline constexpr int MaxSpecies = 25;
inline constexpr int MaxProcesses = 50;
inline constexpr int MaxRemarks = 20;
inline constexpr int MaxCompartments = 18;

using SpeciesArray = Array1<double, MaxSpecies>;
using ProcessArray = Array1<double, MaxProcesses>;
using ProcessSpeciesReal = Array2<double, MaxProcesses, MaxSpecies>;
using ProcessSpeciesInt = Array2<int, MaxProcesses, MaxSpecies>;

inline constexpr const char* kOxygenSpeciesName = "S Oxygen      O2";
// A dissolved species 2 of exactly this name marks a pH model.
inline constexpr const char* kPHSpeciesName = "- pH Value   [-]";

// The biokinetic model in matrix form. Dissolved species 1 is oxygen and process 1 is
// aeration. Entries beyond the counts keep their values but are neither used nor written.
// A default-constructed model is in the start-up state.
struct TModelDef {
    TModelDef();

    std::string ProgramVersion;
    std::string ModelName;
    Array1<std::string, MaxRemarks> Remarks;
    int RemarkCount = 0;

    int NS = 1; // dissolved species including oxygen, 1..25
    int NX = 0; // particulate species, 0..25
    int NP = 1; // processes including aeration, 1..50

    Array1<std::string, MaxSpecies> NameS; // "S " + label of at most 14 characters
    Array1<std::string, MaxSpecies> NameX; // "X " + label
    Array1<std::string, MaxProcesses> ProcessName;

    ProcessSpeciesInt TypeS;      // kinetic type 0..11 of each dissolved species in each process
    ProcessSpeciesInt TypeX;      // kinetic type 0..5 of each particulate species
    ProcessSpeciesInt Compound2S; // second species (types 5, 11) or integer exponent (types 8, 9)
    ProcessSpeciesInt Compound2X; // second species (types 3, 4, 5)
    ProcessSpeciesReal NueS;      // stoichiometric coefficients
    ProcessSpeciesReal NueX;
    ProcessArray Kr;       // rate constants at the base temperature
    ProcessSpeciesReal KS; // parameter of the dissolved factor at the base temperature
    ProcessSpeciesReal KX; // parameter of the particulate factor at the base temperature
    ProcessArray ThetaKr;  // temperature coefficients [1/°C]
    ProcessSpeciesReal ThetaKS;
    ProcessSpeciesReal ThetaKX;
    ProcessArray KrT; // parameters at the operating temperature, derived
    ProcessSpeciesReal KST;
    ProcessSpeciesReal KXT;
    double BaseTemperature = 20.0; // [°C]

    // The 1st influent of the plant (its SIn1, XIn1): one and the same data.
    SpeciesArray InfluentS;
    SpeciesArray InfluentX;
    SpeciesArray InitialS; // typical initial conditions
    SpeciesArray InitialX;

    ProcessArray Rho; // process rates of the last evaluation
    SpeciesArray RS;  // conversion rates of the last evaluation
    SpeciesArray RX;

    bool IsPHModel = false;
};

// The model part of the start-up state (the plant part is set up beside it, in the plant layer).
void ResetModelToDefaults(TModelDef& model);

// pH from the proton concentration of species 3 [mmol/m3 -> mol/l].
double PHFromProton(double proton);

// Throws a RangeError naming the count that lies outside its capacity.
[[noreturn]] void ReportModelCounts(const TModelDef& model);

// Throws a RangeError when NS, NX or NP lie outside their capacities; inline, as every rate
// evaluation checks them.
inline void CheckModelCounts(const TModelDef& model)
{
    if (model.NS < 1 || model.NS > MaxSpecies || model.NX < 0 || model.NX > MaxSpecies ||
        model.NP < 1 || model.NP > MaxProcesses) [[unlikely]]
        ReportModelCounts(model);
}

} // namespace narv

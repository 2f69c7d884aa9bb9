#pragma once

#include "model/ModelDef.h"

#include <string>

namespace narv {

inline constexpr int MaxControlLoops = 22;

enum class TFlowschemeType { ftBatch, ftCSTR, ftASR, ftSBR, ftAI, ftUnknown };

// The numeric code of the plant-type menu command (1..5; ftUnknown has 0).
int FlowschemeTypeCode(TFlowschemeType type);
// Any code outside 1..5 gives ftUnknown.
TFlowschemeType FlowschemeTypeFromCode(int code);
// The keyword of the plant file: "Batch", "CSTR", "ASR", "SBR", "AI", "Unknown".
const char* FlowschemeKeyword(TFlowschemeType type);
// Any other keyword gives ftUnknown.
TFlowschemeType FlowschemeTypeFromKeyword(const std::string& keyword);

using CompartmentArray = Array1<double, MaxCompartments>;

// One control loop: an on/off controller with two thresholds and hysteresis, or a linear
// equation, acting on a flow, the excess-sludge rate or the kla of a compartment.
struct TControlLoopDef {
    bool Active = false;
    bool OnOff = false;       // true: on/off controller; false: equation
    bool SwitchedOn = false;  // run-time state of an on/off controller; not stored in files
    double ErwartetX = 2.0;   // on/off: upper threshold; equation: signal value
    double ErwartetY = 150.0; // on/off: lower threshold; equation: setpoint
    double Steigung = -200.0; // on/off: value below the lower threshold; equation: slope
    double Stellung2 = 200.0; // on/off: value above the upper threshold
    int Compartment = 1;      // where the signal is measured, 1..18
    int Signal = 1;           // signal code
};

using ControlLoopTable = Array1<TControlLoopDef, MaxControlLoops>;

// The flowscheme. The concentrations of the 1st influent (SIn1, XIn1) are the model's
// InfluentS and InfluentX: one and the same data, kept in the model only.
// A default-constructed plant holds the start-up values.
struct TPlantDef {
    TFlowschemeType PlantType = TFlowschemeType::ftUnknown;
    int ReactorCount = 1;        // nR, 1..18
    int CompartmentCount = 1;    // reactors plus clarifier compartments, ReactorCount..18
    CompartmentArray Volume;     // [m3]
    CompartmentArray O2Setpoint; // 0: oxygen follows from Kla
    CompartmentArray Kla;        // [1/d]
    double InfluentFlow = 5.0;   // [m3/d]
    int InfluentReactor = 1;
    double Influent2Flow = 0.0; // [m3/d]
    int Influent2Reactor = 1;
    double ReturnFlow = 5.0; // [m3/d]
    int ReturnReactor = 1;
    double RecircFlow = 0.0; // [m3/d]
    int RecircFrom = 2;
    int RecircTo = 1;
    double Recirc2Flow = 0.0; // [m3/d]
    int Recirc2From = 2;
    int Recirc2To = 1;
    double SludgeAge = 6.0;        // [d]
    double ExcessRate = 1.0 / 6.0; // [1/d], 1/SludgeAge whenever SludgeAge is set
    double O2Saturation = 10.0;
    double OperatingTemperature = 20.0; // [°C]
    bool SludgeSeparation = true;
    bool RecircActive = false;
    bool ControlLoopsActive = false;
    bool Influent2Enabled = true;
    SpeciesArray SIn2; // 2nd influent
    SpeciesArray XIn2;
    ControlLoopTable ControlLoops;

    TPlantDef();
};

// The simulated concentrations of every compartment and the clock.
struct TPlantState {
    double Time = 0.0; // [d]
    Array2<double, MaxCompartments, MaxSpecies> S;
    Array2<double, MaxCompartments, MaxSpecies> X;
};

// Puts the plant definition into the start-up state; the type and Influent2Enabled stay.
void ResetPlantToDefaults(TPlantDef& plant);

// The hydraulic residence time of the reactors [d]; 0 when InfluentFlow <= 0.
double MinimumSludgeAge(const TPlantDef& plant);

// Copies the model's typical initial concentrations into all 18 compartments.
void ApplyModelInitialConditions(const TModelDef& model, TPlantState& state);

// Sum of the particulate concentrations of compartment c.
double TotalParticulate(const TModelDef& model, const TPlantState& state, int compartment);

// The type of a plant stored without one: ASR with return sludge, CSTR with an influent,
// Batch otherwise.
TFlowschemeType ResolveUnknownType(const TPlantDef& plant);

// Sets the plant up as the given type. chosenFromMenu: the type is chosen by the user rather
// than shown for a loaded plant; then the control loops take their defaults and the state the
// model's initial conditions (a loaded plant keeps the concentrations of its file). For ftAI
// only the common part is set here; the counts and lanes are set up with the A/I plant
// (ApplyAIPlantType), which its callers run.
void ApplyPlantType(TFlowschemeType type, const TModelDef& model, TPlantDef& plant,
                    TPlantState& state, bool chosenFromMenu);

} // namespace narv

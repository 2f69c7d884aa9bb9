#include "plant/PlantDef.h"

#include "core/Error.h"
#include "plant/ControlLoops.h"

#include <array>

namespace narv {
namespace {

struct TypeEntry {
    TFlowschemeType type;
    int code;
    const char* keyword;
};

constexpr std::array<TypeEntry, 6> kTypes = {{
    {TFlowschemeType::ftBatch, 1, "Batch"},
    {TFlowschemeType::ftCSTR, 2, "CSTR"},
    {TFlowschemeType::ftASR, 3, "ASR"},
    {TFlowschemeType::ftSBR, 4, "SBR"},
    {TFlowschemeType::ftAI, 5, "AI"},
    {TFlowschemeType::ftUnknown, 0, "Unknown"},
}};

} // namespace

int FlowschemeTypeCode(TFlowschemeType type)
{
    for (const TypeEntry& entry : kTypes)
        if (entry.type == type)
            return entry.code;
    return 0;
}

TFlowschemeType FlowschemeTypeFromCode(int code)
{
    for (const TypeEntry& entry : kTypes)
        if (entry.code == code && code != 0)
            return entry.type;
    return TFlowschemeType::ftUnknown;
}

const char* FlowschemeKeyword(TFlowschemeType type)
{
    for (const TypeEntry& entry : kTypes)
        if (entry.type == type)
            return entry.keyword;
    return "Unknown";
}

TFlowschemeType FlowschemeTypeFromKeyword(const std::string& keyword)
{
    for (const TypeEntry& entry : kTypes)
        if (keyword == entry.keyword)
            return entry.type;
    return TFlowschemeType::ftUnknown;
}

TPlantDef::TPlantDef()
{
    Volume.fill(1.0);
    O2Setpoint.fill(2.0);
    Kla.fill(0.0);
    SIn2.fill(100.0);
    XIn2.fill(100.0);
    for (int n = kFirstKlaLoop; n <= MaxControlLoops; ++n)
        ControlLoops[n].Compartment = n - 4;
}

void ResetPlantToDefaults(TPlantDef& plant)
{
    // The type and Influent2Enabled are set by applying a plant type, not by the defaults.
    const TFlowschemeType type = plant.PlantType;
    const bool influent2Enabled = plant.Influent2Enabled;
    plant = TPlantDef();
    plant.PlantType = type;
    plant.Influent2Enabled = influent2Enabled;
}

double MinimumSludgeAge(const TPlantDef& plant)
{
    if (plant.InfluentFlow <= 0.0)
        return 0.0;
    double volume = 0.0;
    for (int c = 1; c <= plant.ReactorCount; ++c)
        volume += plant.Volume[c];
    return volume / plant.InfluentFlow;
}

void ApplyModelInitialConditions(const TModelDef& model, TPlantState& state)
{
    for (int c = 1; c <= MaxCompartments; ++c) {
        state.S[c] = model.InitialS;
        state.X[c] = model.InitialX;
    }
}

double TotalParticulate(const TModelDef& model, const TPlantState& state, int compartment)
{
    double total = 0.0;
    for (int j = 1; j <= model.NX; ++j)
        total += state.X[compartment][j];
    return total;
}

TFlowschemeType ResolveUnknownType(const TPlantDef& plant)
{
    if (plant.ReturnFlow != 0.0)
        return TFlowschemeType::ftASR;
    if (plant.InfluentFlow != 0.0 || plant.Influent2Flow != 0.0)
        return TFlowschemeType::ftCSTR;
    return TFlowschemeType::ftBatch;
}

void ApplyPlantType(TFlowschemeType type, const TModelDef& model, TPlantDef& plant,
                    TPlantState& state, bool chosenFromMenu)
{
    if (chosenFromMenu && type != TFlowschemeType::ftUnknown && type != TFlowschemeType::ftAI)
        ResetControlLoops(plant.ControlLoops);
    switch (type) {
    case TFlowschemeType::ftBatch:
        plant.CompartmentCount = plant.ReactorCount;
        plant.InfluentFlow = 0.0;
        plant.Influent2Flow = 0.0;
        plant.Influent2Enabled = false;
        plant.ReturnFlow = 0.0;
        plant.SludgeSeparation = false;
        break;
    case TFlowschemeType::ftCSTR:
        plant.CompartmentCount = plant.ReactorCount;
        plant.Influent2Enabled = true;
        plant.ReturnFlow = 0.0;
        plant.SludgeSeparation = false;
        break;
    case TFlowschemeType::ftASR:
        plant.Influent2Enabled = true;
        plant.SludgeSeparation = true; // the dialog's next refresh makes it ReturnFlow > 0
        break;
    case TFlowschemeType::ftSBR:
        plant.ReactorCount = 1;
        plant.CompartmentCount = 1;
        plant.Influent2Enabled = true;
        break;
    case TFlowschemeType::ftAI:
        // The common part of the type; the lanes and counts are the A/I plant's own
        // (ApplyAIPlantType), which the callers holding them run as well.
        plant.Influent2Enabled = true;
        plant.SludgeSeparation = true;
        break;
    case TFlowschemeType::ftUnknown:
        ApplyPlantType(ResolveUnknownType(plant), model, plant, state, chosenFromMenu);
        return;
    }
    // A loaded plant keeps the concentrations stored in its file.
    if (chosenFromMenu)
        ApplyModelInitialConditions(model, state);
    plant.PlantType = type;
}

} // namespace narv

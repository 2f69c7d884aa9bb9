#include "plant/ModelSetup.h"

#include "core/AtomicFile.h"
#include "core/TextReader.h"
#include "model/ModelFile.h"
#include "model/Rates.h"
#include "model/Temperature.h"

#include <memory>

namespace narv {

void SetUpDefaultModel(TModelDef& model, TPlantDef& plant, TPlantState& state)
{
    ResetModelToDefaults(model);
    ResetPlantToDefaults(plant);
    plant.SIn2 = model.InfluentS;
    plant.XIn2 = model.InfluentX;
    plant.OperatingTemperature = model.BaseTemperature;
    state.Time = 0.0;
    ApplyModelInitialConditions(model, state);
}

void UpdatePH(TModelDef& model, TPlantDef& plant, TPlantState& state)
{
    model.InfluentS[2] = PHFromProton(model.InfluentS[3]);
    plant.SIn2[2] = PHFromProton(plant.SIn2[3]);
    for (int c = 1; c <= plant.CompartmentCount; ++c)
        state.S[c][2] = PHFromProton(state.S[c][3]);
}

void ReadModelFile(const std::filesystem::path& path, TModelDef& model, TPlantDef& plant,
                   TPlantState& state)
{
    TextReader reader(readFileBytes(path), path.filename().string());
    auto loaded = std::make_unique<TModelDef>(model);
    ReadModelText(reader, *loaded);

    loaded->IsPHModel = loaded->NS >= 2 && loaded->NameS[2] == kPHSpeciesName;
    loaded->ThetaKr[1] = 0.0;
    ConvertToOperatingTemperature(*loaded, loaded->BaseTemperature, loaded->BaseTemperature);

    // Nothing below can fail: commit.
    model = *loaded;
    plant.SIn2 = model.InfluentS;
    plant.XIn2 = model.InfluentX;
    ApplyModelInitialConditions(model, state);
    plant.OperatingTemperature = model.BaseTemperature;
}

void WriteModelFile(const std::filesystem::path& path, const TModelDef& model)
{
    writeFileAtomically(path, [&](std::ostream& out) { WriteModelText(out, model); });
}

void ComputeProcessRates(TModelDef& model, const TPlantDef& plant, TPlantState& state, int r)
{
    ComputeProcessRates(model, state.S[r], state.X[r], plant.Kla[r], plant.O2Saturation);
}

void ComputeConversionRates(TModelDef& model, const TPlantDef& plant, TPlantState& state, int r)
{
    ComputeConversionRates(model, state.S[r], state.X[r], plant.Kla[r], plant.O2Saturation);
}

void ComputeOxygenRate(TModelDef& model, const TPlantDef& plant, TPlantState& state, int r)
{
    ComputeOxygenRate(model, state.S[r], state.X[r], plant.Kla[r], plant.O2Saturation);
}

} // namespace narv

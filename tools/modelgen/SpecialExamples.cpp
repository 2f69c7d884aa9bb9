#include "SpecialExamples.h"

#include "DeliveredModels.h"

#include "dynamics/Variation.h"
#include "model/ModelFile.h"
#include "plant/ModelSetup.h"
#include "plant/PlantFile.h"
#include "special/AIFile.h"
#include "special/AIPlant.h"
#include "special/SbrCycle.h"
#include "special/SbrFile.h"

#include <array>
#include <memory>
#include <sstream>

namespace narv::modelgen {
namespace {

// Flow and load of a dry-weather day in 12 steps of two hours: low at night, a morning peak.
constexpr std::array<double, 12> kDiurnalFlow = {0.62, 0.55, 0.58, 0.85, 1.18, 1.30,
                                                 1.22, 1.12, 1.08, 1.20, 1.25, 1.05};
constexpr std::array<double, 12> kDiurnalLoad = {0.55, 0.48, 0.52, 0.90, 1.25, 1.38,
                                                 1.25, 1.12, 1.05, 1.22, 1.28, 1.00};

struct Case {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
};

// The delivered ASM1 as the program holds it after loading its file.
std::unique_ptr<Case> loadedAsm1()
{
    auto loaded = std::make_unique<Case>();
    SetUpDefaultModel(loaded->model, loaded->plant, loaded->state);
    loaded->model = MakeAsm1();
    loaded->plant.OperatingTemperature = loaded->model.BaseTemperature;
    ApplyModelInitialConditions(loaded->model, loaded->state);
    return loaded;
}

template <class Write> ExampleFile file(const std::string& name, const Write& write)
{
    std::ostringstream out;
    write(out);
    return {name, out.str()};
}

TSbrPeriod mixing(int timeslices, double influent = 0.0)
{
    TSbrPeriod period;
    period.Timeslices = timeslices;
    period.Influent1Volume = influent; // [m3]
    period.AerationMode = TSbrAerationMode::FixedKla;
    period.FixedKla = 0.0;
    return period;
}

// Aeration switched on below 1.5 and off above 2.5 g O2/m3.
TSbrPeriod aeration(int timeslices)
{
    TSbrPeriod period;
    period.Timeslices = timeslices;
    period.AerationMode = TSbrAerationMode::OnOff;
    period.SignalSpecies = 1;
    period.FixedKla = 180.0;
    period.UpperThreshold = 2.5;
    period.LowerThreshold = 1.5;
    period.ValueAbove = 0.0;
    period.ValueBelow = 180.0;
    return period;
}

} // namespace

std::vector<ExampleFile> SbrDemoProjectFiles()
{
    auto sbr = loadedAsm1();
    auto cycle = std::make_unique<TSbrCycle>();
    ApplySbrPlantType(sbr->model, sbr->plant, sbr->state, *cycle, true);
    cycle->TimesliceLength = 5; // [min]: 72 timeslices make the six-hour cycle
    cycle->Accuracy = 0.001;
    auto& periods = cycle->Periods;
    periods[1] = mixing(6, 400.0); // fill
    periods[2] = mixing(12);       // anoxic mixing
    periods[3] = aeration(18);
    periods[4] = mixing(6, 400.0); // second fill
    periods[5] = mixing(6);
    periods[6] = aeration(12);
    periods[7] = mixing(6); // settling: no aeration
    periods[8] = mixing(6);
    periods[8].SupernatantVolume = 760.0; // clear water drawn off
    periods[9] = mixing(0);
    periods[9].MixedLiquorVolume = 40.0; // excess sludge, withdrawn at once
    for (int k = 10; k <= kSbrPeriodCount; ++k)
        periods[k] = mixing(0);
    cycle->InitialVolume = 1500.0; // [m3]
    const std::string name = kSbrDemoProject;
    return {file(name + kModelFileExtension,
                 [&](std::ostream& out) { WriteModelText(out, sbr->model); }),
            file(name + kPlantFileExtension, [&](std::ostream& out) {
                WriteSbrPlantText(out, sbr->model, sbr->plant, sbr->state, *cycle);
            })};
}

std::vector<ExampleFile> AIDemoProjectFiles()
{
    auto ai = loadedAsm1();
    auto lanes = std::make_unique<TAIPlant>();
    TPlantDef& plant = ai->plant;
    plant.ReactorCount = 6;
    ApplyAIPlantType(ai->model, plant, ai->state, *lanes, true);
    lanes->PolyvalentCount = 1;
    lanes->LaneCompartmentCount = 2;
    lanes->PostAerationCount = 1;
    plant.ReactorCount = 6;
    plant.CompartmentCount = 7;
    BuildLaneUpstream(*lanes, plant.CompartmentCount);
    const std::array<double, 7> volume = {500.0, 750.0, 750.0, 750.0, 750.0, 500.0, 1000.0}; // [m3]
    for (int c = 1; c <= plant.CompartmentCount; ++c) {
        const AIRole role = AICompartmentRole(*lanes, plant, c);
        plant.Volume[c] = volume[static_cast<std::size_t>(c - 1)];
        plant.O2Setpoint[c] = 0.0;
        plant.Kla[c] = role == AIRole::Lane1 || role == AIRole::Lane2 ? 180.0
                       : role == AIRole::PostAeration                 ? 120.0
                                                                      : 0.0;
    }
    plant.InfluentFlow = 4000.0; // [m3/d]
    plant.ReturnFlow = 4000.0;
    plant.SludgeAge = 15.0;
    plant.ExcessRate = 1.0 / plant.SludgeAge;
    plant.O2Saturation = 9.0;
    plant.OperatingTemperature = 15.0;

    auto variation = std::make_unique<TVariationDef>();
    ResetVariation(*variation, ai->model, plant);
    auto fed = std::make_unique<TAIVariation>();
    for (int i = 1; i <= 12; ++i) {
        const int lane = i % 2 == 1 ? 1 : 2;
        fed->LaneFed[i] = lane;
        variation->Values[0][i] = kDiurnalFlow[static_cast<std::size_t>(i - 1)];
        for (int j = 2; j <= ai->model.NS; ++j)
            variation->Values[VariationSpeciesRowS(j)][i] =
                kDiurnalLoad[static_cast<std::size_t>(i - 1)];
        for (int j = 1; j <= ai->model.NX; ++j)
            variation->Values[VariationSpeciesRowX(ai->model, j)][i] =
                kDiurnalLoad[static_cast<std::size_t>(i - 1)];
        // The lane fed denitrifies unaerated while the other nitrifies.
        for (int c = 1; c <= plant.CompartmentCount; ++c) {
            const AIRole role = AICompartmentRole(*lanes, plant, c);
            if (role == AIRole::Lane1 || role == AIRole::Lane2)
                variation->Values[VariationKlaRow(ai->model, c)][i] =
                    (role == AIRole::Lane1) == (lane == 1) ? 0.0 : 1.0;
        }
    }
    variation->VaryConc2 = false;
    const std::string name = kAIDemoProject;
    return {file(name + kModelFileExtension,
                 [&](std::ostream& out) { WriteModelText(out, ai->model); }),
            file(name + kPlantFileExtension,
                 [&](std::ostream& out) {
                     WriteAIPlantText(out, ai->model, plant, ai->state, *lanes);
                 }),
            file(name + kVariationFileExtension, [&](std::ostream& out) {
                WriteAIVariationText(out, *variation, *fed, ai->model);
            })};
}

} // namespace narv::modelgen

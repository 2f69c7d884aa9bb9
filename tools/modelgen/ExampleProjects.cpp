#include "ExampleProjects.h"

#include "DeliveredModels.h"

#include "core/NumberFormat.h"
#include "dynamics/ContinuousSimulation.h"
#include "model/ModelFile.h"
#include "plant/ModelSetup.h"
#include "plant/PlantFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <sstream>

namespace narv::modelgen {

namespace {

enum Dissolved { SO = 1, SI, SS, SNO, SNH, SND, SALK };
enum Particulate { XI = 1, XS, XBH, XBA, XP, XND };

constexpr int kReactors = 5;
constexpr int kCompartments = 7;

// Relative dry-weather flow of each hour of the day (the hour ending at 1, 2, ... 24 h): low
// at night, a peak before noon, a second, flatter one in the evening; the mean is 1.
constexpr std::array<double, 24> kHourlyFlow{0.86, 0.74, 0.64, 0.58, 0.56, 0.60, 0.72, 0.92,
                                             1.12, 1.26, 1.32, 1.32, 1.28, 1.22, 1.16, 1.12,
                                             1.10, 1.10, 1.12, 1.14, 1.12, 1.06, 1.00, 0.94};
// Relative concentration of the organic load; in phase with the flow, so the mean load is
// about 3 % above that of the constant influent.
constexpr std::array<double, 24> kHourlyOrganics{0.82, 0.72, 0.64, 0.60, 0.60, 0.66, 0.80, 1.00,
                                                 1.16, 1.24, 1.26, 1.24, 1.20, 1.14, 1.10, 1.08,
                                                 1.06, 1.06, 1.08, 1.10, 1.08, 1.02, 0.96, 0.88};
// Relative ammonium concentration: its peak comes earlier, with the morning's urine.
constexpr std::array<double, 24> kHourlyAmmonium{0.80, 0.70, 0.62, 0.58, 0.58, 0.66, 0.86, 1.12,
                                                 1.30, 1.34, 1.30, 1.24, 1.18, 1.14, 1.08, 1.04,
                                                 1.02, 1.02, 1.04, 1.06, 1.04, 0.98, 0.92, 0.86};

// Which influent species follow which course; the others stay constant.
bool followsOrganics(char kind, int species)
{
    return kind == 'S' ? species == SS || species == SND
                       : species == XI || species == XS || species == XBH || species == XND;
}

double hourlyFactor(char kind, int species, int hour)
{
    if (kind == 'S' && species == SNH)
        return kHourlyAmmonium[static_cast<std::size_t>(hour)];
    return followsOrganics(kind, species) ? kHourlyOrganics[static_cast<std::size_t>(hour)] : 1.0;
}

// The mean of hours 2i - 2 and 2i - 1: step i of the 2-hour variation.
double stepFactor(const std::array<double, 24>& hourly, int step)
{
    const auto first = static_cast<std::size_t>(2 * (step - 1));
    return (hourly[first] + hourly[first + 1]) / 2.0;
}

void setUpPlant(ExampleCase& example)
{
    TModelDef& model = example.model;
    TPlantDef& plant = example.plant;
    TPlantState& state = example.state;
    SetUpDefaultModel(model, plant, state);
    model = MakeAsm1Benchmark();
    // What loading the model file does.
    plant.SIn2 = model.InfluentS;
    plant.XIn2 = model.InfluentX;
    plant.OperatingTemperature = model.BaseTemperature;
    // What choosing the type does: default control loops, the model's initial conditions.
    plant.ReactorCount = kReactors;
    plant.CompartmentCount = kCompartments;
    ApplyPlantType(TFlowschemeType::ftASR, model, plant, state, true);

    // Two anoxic reactors, three aerated ones, two non-reactive clarifier compartments.
    const std::array<double, kCompartments> volume{1000, 1000, 1333, 1333, 1333, 3000, 3000};
    const std::array<double, kCompartments> kla{0, 0, 240, 240, 84, 0, 0}; // [1/d]
    for (int c = 1; c <= kCompartments; ++c) {
        plant.Volume[c] = volume[static_cast<std::size_t>(c - 1)];
        plant.Kla[c] = kla[static_cast<std::size_t>(c - 1)];
        plant.O2Setpoint[c] = 0.0;
    }
    plant.InfluentFlow = 18446.0;
    plant.InfluentReactor = 1;
    plant.Influent2Flow = 0.0;
    plant.ReturnFlow = 18446.0;
    plant.ReturnReactor = 1;
    plant.RecircFlow = 55338.0;
    plant.RecircFrom = 5;
    plant.RecircTo = 1;
    plant.RecircActive = true;
    plant.Recirc2Flow = 0.0;
    plant.SludgeSeparation = true;
    plant.SludgeAge = 7.3168;
    plant.ExcessRate = 1.0 / plant.SludgeAge;
    plant.O2Saturation = 8.0;
    plant.ControlLoopsActive = false;
}

void setUpVariation(ExampleCase& example)
{
    const TModelDef& model = example.model;
    TVariationDef& variation = example.variation;
    ResetVariation(variation, model, example.plant);
    variation.CycleDuration = 1.0;
    variation.PointCount = 12;
    for (int step = 1; step <= variation.PointCount; ++step) {
        variation.Values[0][step] = stepFactor(kHourlyFlow, step);
        variation.Values[VariationSpeciesRowS(SNH)][step] = stepFactor(kHourlyAmmonium, step);
        for (int j = 1; j <= model.NS; ++j)
            if (followsOrganics('S', j))
                variation.Values[VariationSpeciesRowS(j)][step] = stepFactor(kHourlyOrganics, step);
        for (int j = 1; j <= model.NX; ++j)
            if (followsOrganics('X', j))
                variation.Values[VariationSpeciesRowX(model, j)][step] =
                    stepFactor(kHourlyOrganics, step);
    }
}

// A fixed sequence of numbers in [-1, 1), the same on every platform: the scatter of the
// measured data.
class Scatter {
public:
    double next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state >> 8) / 8388608.0 - 1.0;
    }

private:
    std::uint32_t m_state = 20240611u;
};

// Rain on the third day, from 50 to 60 h: extra flow relative to the mean dry-weather flow,
// and the factor on the particulate load that the first flush washes in.
constexpr int kRainStart = 50; // [h]
constexpr std::array<double, 10> kRainFlow{0.3, 0.9, 1.3, 1.2, 1.0, 0.8, 0.6, 0.45, 0.3, 0.2};
constexpr std::array<double, 10> kFirstFlush{1.8, 1.6, 1.3, 1.1, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};

void appendValue(std::string& row, int width, int decimals, double value)
{
    row += FormatFixed(width, decimals, value);
    row += kContinuousSeparator;
}

// Three days of hourly rows in the layout of the input table: the data of a plant run as the
// example, with scatter, a diurnal course of the temperature and a rain event.
std::string measuredTable(const ExampleCase& example)
{
    const TModelDef& model = example.model;
    const TPlantDef& plant = example.plant;
    std::ostringstream out;
    WriteContinuousTemplate(out, model);
    Scatter scatter;
    for (int hour = 1; hour <= 72; ++hour) {
        const int ofDay = (hour - 1) % 24;
        const int rainHour = hour - 1 - kRainStart;
        const bool raining = rainHour >= 0 && rainHour < static_cast<int>(kRainFlow.size());
        const double rain = raining ? kRainFlow[static_cast<std::size_t>(rainHour)] : 0.0;
        const double flush = raining ? kFirstFlush[static_cast<std::size_t>(rainHour)] : 1.0;
        const double dryFlow =
            kHourlyFlow[static_cast<std::size_t>(ofDay)] * (1.0 + 0.03 * scatter.next());
        const double dilution = dryFlow / (dryFlow + rain);
        // Warmest at 16 h, coldest at 4 h; the rain cools the influent.
        const int fromWarmest = std::min((ofDay + 24 - 15) % 24, (15 + 24 - ofDay) % 24);
        const double temperature =
            model.BaseTemperature + 0.4 - 0.8 * fromWarmest / 12.0 - (raining ? 0.6 : 0.0);

        std::string row;
        appendValue(row, 12, 1, hour);
        appendValue(row, 12, 2, temperature);
        appendValue(row, 12, 0, plant.InfluentFlow * (dryFlow + rain));
        appendValue(row, 12, 0, 0.0);
        appendValue(row, 12, 0, plant.ReturnFlow);
        appendValue(row, 12, 0, plant.RecircFlow);
        appendValue(row, 12, 0, 0.0);
        for (int j = 1; j <= model.NS; ++j) {
            double value = model.InfluentS[j] * hourlyFactor('S', j, ofDay) *
                           (1.0 + 0.05 * scatter.next()) * dilution;
            if (j == SALK) // rain water carries little alkalinity
                value += 1.0 * (1.0 - dilution);
            appendValue(row, 12, 2, value);
        }
        for (int j = 1; j <= model.NX; ++j)
            appendValue(row, 12, 2,
                        model.InfluentX[j] * hourlyFactor('X', j, ofDay) *
                            (1.0 + 0.05 * scatter.next()) * flush * dilution);
        out << row << "\r\n";
    }
    return out.str();
}

} // namespace

std::unique_ptr<ExampleCase> MakeAsm1BenchmarkCase()
{
    auto example = std::make_unique<ExampleCase>();
    setUpPlant(*example);
    setUpVariation(*example);
    return example;
}

std::vector<ExampleFile> Asm1BenchmarkProjectFiles()
{
    const auto example = MakeAsm1BenchmarkCase();
    const std::string name = kAsm1BenchmarkProject;
    std::vector<ExampleFile> files;
    const auto add = [&](const std::string& fileName, const auto& write) {
        std::ostringstream out;
        write(out);
        files.push_back({fileName, out.str()});
    };
    add(name + kModelFileExtension,
        [&](std::ostream& out) { WriteModelText(out, example->model); });
    add(name + kPlantFileExtension, [&](std::ostream& out) {
        WriteStandardPlantText(out, FlowschemeKeyword(TFlowschemeType::ftASR), example->model,
                               example->plant, example->state);
    });
    add(name + kVariationFileExtension,
        [&](std::ostream& out) { WriteVariationText(out, example->variation, example->model); });
    files.push_back({std::string("measured") + kContinuousInputExtension, measuredTable(*example)});
    return files;
}

} // namespace narv::modelgen

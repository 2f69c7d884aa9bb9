#include "results/Recording.h"

#include "core/Error.h"
#include "core/TextUtil.h"
#include "plant/ModelSetup.h"

#include <fmt/format.h>

namespace narv {
namespace {

constexpr const char* kNotUsed = "not used=f";

bool isSbr(const TPlantDef& plant)
{
    return plant.PlantType == TFlowschemeType::ftSBR;
}

bool isAI(const TPlantDef& plant)
{
    return plant.PlantType == TFlowschemeType::ftAI;
}

double single(double value)
{
    return static_cast<double>(static_cast<float>(value));
}

} // namespace

RecordedSeriesLayout::RecordedSeriesLayout(int NS, int NX, int NP, int compartmentCount,
                                           bool laneFed)
    : m_NS(NS), m_NX(NX), m_NP(NP), m_compartments(compartmentCount), m_laneFed(laneFed)
{
}

RecordedSeriesLayout::RecordedSeriesLayout(const TModelDef& model, const TPlantDef& plant)
    : RecordedSeriesLayout(model.NS, model.NX, model.NP, plant.CompartmentCount, isAI(plant))
{
}

int RecordedQuantityCount(const TModelDef& model, const TPlantDef& plant)
{
    return RecordedSeriesLayout(model, plant).count();
}

void ClearSeries(TResultSet& results)
{
    results.Series.clear();
}

void BuildQuantityList(TResultSet& results, const TModelDef& model, const TPlantDef& plant)
{
    CheckModelCounts(model);
    const bool sbr = isSbr(plant);
    const RecordedSeriesLayout layout(model, plant);
    std::vector<std::string>& q = results.Quantities;
    q.assign(static_cast<std::size_t>(layout.count()), kNotUsed);
    const auto set = [&](int index, std::string caption) {
        q[static_cast<std::size_t>(index)] = std::move(caption);
    };
    set(RecordedSeriesLayout::timeSteps(), "Time steps=f");
    set(RecordedSeriesLayout::flow(1), sbr ? "1.influent [m3/d]=f" : "1.influent flowrate=f");
    set(RecordedSeriesLayout::flow(2), sbr ? "Reactor volume [m3]=f" : "Return sludge flowrate=f");
    set(RecordedSeriesLayout::flow(3), sbr ? "Supernatant [m3/d]=f" : "Recirculation flowrate=f");
    set(RecordedSeriesLayout::flow(4), sbr ? "Mixed liquor [m3/d]=f" : "Excess sludge removal=f");
    for (int j = 1; j <= model.NS; ++j)
        set(layout.influentDissolved(j), CollapseBlanks(model.NameS[j]) + "=t");
    for (int j = 1; j <= model.NX; ++j)
        set(layout.influentParticulate(j), CollapseBlanks(model.NameX[j]) + "=t");
    for (int r = 1; r <= plant.CompartmentCount; ++r) {
        if (r <= plant.ReactorCount) {
            const std::string prefix = fmt::format("R {}: ", r);
            for (int j = 1; j <= model.NS; ++j)
                set(layout.dissolved(r, j), prefix + CollapseBlanks(model.NameS[j]) + "=t");
            for (int j = 1; j <= model.NX; ++j)
                set(layout.particulate(r, j), prefix + CollapseBlanks(model.NameX[j]) + "=t");
            for (int p = 2; p <= model.NP; ++p)
                set(layout.processRate(r, p),
                    prefix + "rho of " + CollapseBlanks(model.ProcessName[p]) + "=f");
            set(layout.oxygenRate(r), prefix + "reactionrates O2=f");
            set(layout.kla(r), prefix + "kla value=f");
        } else {
            const std::string prefix = fmt::format("Cl {}: ", r - plant.ReactorCount);
            for (int j = 2; j <= model.NS; ++j)
                set(layout.dissolved(r, j), prefix + CollapseBlanks(model.NameS[j]) + "=t");
        }
    }
    set(layout.temperature(), "Operating temperature=f");
    set(layout.influent2Flow(), sbr ? "2.influent [m3/d]=f" : "2.influent flowrate=f");
    if (isAI(plant))
        set(layout.laneFed(), "Lane fed=f");
}

void CreateSeries(TResultSet& results, int index, const TModelDef& model, const TPlantDef& plant)
{
    if (index == 0)
        BuildQuantityList(results, model, plant);
    if (index < 0 || index >= static_cast<int>(results.Quantities.size()))
        throwIndexError(index, 0, static_cast<int>(results.Quantities.size()) - 1);
    const std::size_t at = static_cast<std::size_t>(index);
    if (results.Series.size() < at + 1)
        results.Series.resize(at + 1);
    auto series = std::make_shared<TResultSeries>();
    series->Name = fmt::format("cSeries{}", index);
    const std::string& quantity = results.Quantities[at];
    series->Title = quantity.substr(0, quantity.rfind('='));
    series->Tag = index;
    series->PenWidth = results.DefaultPenWidth;
    results.Series[at] = std::move(series);
}

void AppendPoint(TResultSet& results, int index, double x, double y)
{
    if (index < 0 || index >= static_cast<int>(results.Series.size()) ||
        !results.Series[static_cast<std::size_t>(index)])
        throwIndexError(index, 0, static_cast<int>(results.Series.size()) - 1);
    results.Series[static_cast<std::size_t>(index)]->Points.push_back({x, y});
}

void StoreRecording(TResultSet& results, const std::vector<double>& row, double x,
                    bool createSeries, bool appendPoints, const TModelDef& model,
                    const TPlantDef& plant)
{
    for (int index = 0; index < static_cast<int>(row.size()); ++index) {
        if (createSeries)
            CreateSeries(results, index, model, plant);
        if (appendPoints)
            AppendPoint(results, index, x, single(row[static_cast<std::size_t>(index)]));
    }
}

void RecordResults(TResultSet& results, TModelDef& model, TPlantDef& plant, TPlantState& state,
                   const RecordingTime& time)
{
    if (model.IsPHModel)
        UpdatePH(model, plant, state);
    const double x = time.allCycles ? (time.cycleTime + time.cycle * time.cycleDuration) * 24.0
                                    : time.cycleTime * 24.0;
    const RecordedSeriesLayout layout(model, plant);
    // Series that record nothing (the clarifier's oxygen, particulates and rates) hold 0.
    std::vector<double> row(static_cast<std::size_t>(layout.count()), 0.0);
    const auto set = [&](int index, double value) { row[static_cast<std::size_t>(index)] = value; };
    set(RecordedSeriesLayout::timeSteps(), time.cycleTime * 24.0);
    set(RecordedSeriesLayout::flow(1), plant.InfluentFlow);
    set(RecordedSeriesLayout::flow(2), plant.ReturnFlow);
    set(RecordedSeriesLayout::flow(3), plant.RecircFlow);
    set(RecordedSeriesLayout::flow(4), plant.ExcessRate);
    for (int j = 1; j <= model.NS; ++j)
        set(layout.influentDissolved(j), model.InfluentS[j]);
    for (int j = 1; j <= model.NX; ++j)
        set(layout.influentParticulate(j), model.InfluentX[j]);
    for (int r = 1; r <= plant.CompartmentCount; ++r) {
        if (r <= plant.ReactorCount) {
            for (int j = 1; j <= model.NS; ++j)
                set(layout.dissolved(r, j), state.S[r][j]);
            for (int j = 1; j <= model.NX; ++j)
                set(layout.particulate(r, j), state.X[r][j]);
            ComputeOxygenRate(model, plant, state, r); // evaluates the process rates first
            for (int p = 2; p <= model.NP; ++p)
                set(layout.processRate(r, p), model.Rho[p]);
            const double consumption = model.RS[1];
            set(layout.oxygenRate(r), consumption == 0.0 ? 0.0 : -consumption);
            set(layout.kla(r), plant.Kla[r]);
        } else {
            for (int j = 2; j <= model.NS; ++j)
                set(layout.dissolved(r, j), state.S[r][j]);
        }
    }
    set(layout.temperature(), plant.OperatingTemperature);
    set(layout.influent2Flow(), plant.Influent2Flow);
    if (isAI(plant))
        set(layout.laneFed(), time.laneFed);
    StoreRecording(results, row, x, time.createSeries, true, model, plant);
}

} // namespace narv

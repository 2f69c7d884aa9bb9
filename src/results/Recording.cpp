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

int RecordedQuantityCount(const TModelDef& model, const TPlantDef& plant)
{
    return 5 + model.NS + model.NX + plant.CompartmentCount * (model.NS + model.NX + model.NP + 1) +
           2 + (isAI(plant) ? 1 : 0);
}

void ClearSeries(TResultSet& results)
{
    results.Series.clear();
}

void BuildQuantityList(TResultSet& results, const TModelDef& model, const TPlantDef& plant)
{
    CheckModelCounts(model);
    const bool sbr = isSbr(plant);
    std::vector<std::string>& q = results.Quantities;
    q.clear();
    q.push_back("Time steps=f");
    q.push_back(sbr ? "1.influent [m3/d]=f" : "1.influent flowrate=f");
    q.push_back(sbr ? "Reactor volume [m3]=f" : "Return sludge flowrate=f");
    q.push_back(sbr ? "Supernatant [m3/d]=f" : "Recirculation flowrate=f");
    q.push_back(sbr ? "Mixed liquor [m3/d]=f" : "Excess sludge removal=f");
    for (int j = 1; j <= model.NS; ++j)
        q.push_back(CollapseBlanks(model.NameS[j]) + "=t");
    for (int j = 1; j <= model.NX; ++j)
        q.push_back(CollapseBlanks(model.NameX[j]) + "=t");
    for (int r = 1; r <= plant.CompartmentCount; ++r) {
        if (r <= plant.ReactorCount) {
            const std::string prefix = fmt::format("R {}: ", r);
            for (int j = 1; j <= model.NS; ++j)
                q.push_back(prefix + CollapseBlanks(model.NameS[j]) + "=t");
            for (int j = 1; j <= model.NX; ++j)
                q.push_back(prefix + CollapseBlanks(model.NameX[j]) + "=t");
            for (int p = 2; p <= model.NP; ++p)
                q.push_back(prefix + "rho of " + CollapseBlanks(model.ProcessName[p]) + "=f");
            q.push_back(prefix + "reactionrates O2=f");
            q.push_back(prefix + "kla value=f");
        } else {
            const std::string prefix = fmt::format("Cl {}: ", r - plant.ReactorCount);
            q.push_back(kNotUsed);
            for (int j = 2; j <= model.NS; ++j)
                q.push_back(prefix + CollapseBlanks(model.NameS[j]) + "=t");
            for (int j = 1; j <= model.NX + model.NP + 1; ++j)
                q.push_back(kNotUsed);
        }
    }
    q.push_back("Operating temperature=f");
    q.push_back(sbr ? "2.influent [m3/d]=f" : "2.influent flowrate=f");
    if (isAI(plant))
        q.push_back("Lane fed=f");
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

void RecordResults(TResultSet& results, TModelDef& model, TPlantDef& plant, TPlantState& state,
                   const RecordingTime& time)
{
    if (model.IsPHModel)
        UpdatePH(model, plant, state);
    const double x = time.allCycles ? (time.cycleTime + time.cycle * time.cycleDuration) * 24.0
                                    : time.cycleTime * 24.0;
    int index = 0;
    const auto append = [&](double value) {
        if (time.createSeries)
            CreateSeries(results, index, model, plant);
        AppendPoint(results, index, x, single(value));
        ++index;
    };
    append(time.cycleTime * 24.0);
    append(plant.InfluentFlow);
    append(plant.ReturnFlow);
    append(plant.RecircFlow);
    append(plant.ExcessRate);
    for (int j = 1; j <= model.NS; ++j)
        append(model.InfluentS[j]);
    for (int j = 1; j <= model.NX; ++j)
        append(model.InfluentX[j]);
    for (int r = 1; r <= plant.CompartmentCount; ++r) {
        if (r <= plant.ReactorCount) {
            for (int j = 1; j <= model.NS; ++j)
                append(state.S[r][j]);
            for (int j = 1; j <= model.NX; ++j)
                append(state.X[r][j]);
            ComputeOxygenRate(model, plant, state, r); // evaluates the process rates first
            for (int p = 2; p <= model.NP; ++p)
                append(model.Rho[p]);
            const double consumption = model.RS[1];
            append(consumption == 0.0 ? 0.0 : -consumption);
            append(plant.Kla[r]);
        } else {
            append(0.0);
            for (int j = 2; j <= model.NS; ++j)
                append(state.S[r][j]);
            for (int j = 1; j <= model.NX + model.NP + 1; ++j)
                append(0.0);
        }
    }
    append(plant.OperatingTemperature);
    append(plant.Influent2Flow);
    if (isAI(plant))
        append(time.laneFed);
}

} // namespace narv

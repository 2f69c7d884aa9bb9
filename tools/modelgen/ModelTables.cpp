#include "ModelTables.h"

#include "core/Version.h"
#include "model/Temperature.h"

#include <cmath>
#include <stdexcept>

namespace narv::modelgen {

namespace {

constexpr std::size_t kLabelWidth = 14;

// The tables are data typed by hand: a slip must stop the generator, also in a release build.
void require(bool condition, std::string_view what)
{
    if (!condition)
        throw std::logic_error(std::string(what));
}

} // namespace

double ValuePair::theta() const
{
    return at20 == at10 ? 0.0 : std::log(at20 / at10) / 10.0;
}

std::string SpeciesName(char kind, std::string_view name, std::string_view unit)
{
    require(kind == 'S' || kind == 'X', "species kind must be S or X");
    require(name.size() + 1 + unit.size() <= kLabelWidth,
            std::string("species label too long: ") + std::string(name));
    std::string label(name);
    label.append(kLabelWidth - name.size() - unit.size(), ' ');
    label.append(unit);
    return std::string{kind, ' '} + label;
}

void StartModel(TModelDef& model, std::string_view modelName,
                std::initializer_list<std::string_view> remarks,
                std::initializer_list<SpeciesRow> dissolved,
                std::initializer_list<SpeciesRow> particulate)
{
    ResetModelToDefaults(model);
    model.ProgramVersion = std::string("NARV Win Vers. ") + ProgramVersionText;
    model.ModelName = modelName;
    model.RemarkCount = 0;
    for (std::string_view line : remarks)
        model.Remarks[++model.RemarkCount] = line;
    model.NS = 0;
    for (const SpeciesRow& row : dissolved) {
        ++model.NS;
        model.NameS[model.NS] = SpeciesName('S', row.name, row.unit);
        model.InfluentS[model.NS] = row.influent;
        model.InitialS[model.NS] = row.initial;
    }
    require(model.NameS[1] == kOxygenSpeciesName, "dissolved species 1 must be oxygen");
    model.NX = 0;
    for (const SpeciesRow& row : particulate) {
        ++model.NX;
        model.NameX[model.NX] = SpeciesName('X', row.name, row.unit);
        model.InfluentX[model.NX] = row.influent;
        model.InitialX[model.NX] = row.initial;
    }
    model.ThetaKr.fill(0.0);
    // Aeration: its rate is kla * (O2 saturation - S1), so only Kr = 1 is stored.
    model.NP = 1;
    model.ProcessName[1] = "Aeration";
    model.Kr[1] = 1.0;
    model.BaseTemperature = 20.0;
}

int AddProcess(TModelDef& model, std::string_view name, double rateConstant, double theta)
{
    require(name.size() <= 30, std::string("process name too long: ") + std::string(name));
    const int p = ++model.NP;
    model.ProcessName[p] = name;
    model.Kr[p] = rateConstant;
    model.ThetaKr[p] = theta;
    return p;
}

void SetDissolvedFactor(TModelDef& model, int process, int species, int type, double k,
                        double theta)
{
    require(model.TypeS[process][species] == 0, "one dissolved factor per species and process");
    model.TypeS[process][species] = type;
    model.KS[process][species] = k;
    model.ThetaKS[process][species] = theta;
}

void SetParticulateFactor(TModelDef& model, int process, int species, int type, double k,
                          double theta, int secondSpecies)
{
    require(model.TypeX[process][species] == 0, "one particulate factor per species and process");
    model.TypeX[process][species] = type;
    model.KX[process][species] = k;
    model.ThetaKX[process][species] = theta;
    model.Compound2X[process][species] = secondSpecies;
}

void FinishModel(TModelDef& model)
{
    CheckModelCounts(model);
    ConvertToOperatingTemperature(model, model.BaseTemperature, model.BaseTemperature);
}

} // namespace narv::modelgen

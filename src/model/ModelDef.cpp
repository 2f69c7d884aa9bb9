#include "model/ModelDef.h"

#include "core/Error.h"

#include <fmt/format.h>

#include <cmath>
#include <stdexcept>

namespace narv {

TModelDef::TModelDef()
{
    ResetModelToDefaults(*this);
}

void ResetModelToDefaults(TModelDef& model)
{
    const std::string blankName(30, ' ');
    model.NS = 1;
    model.NX = 0;
    model.NP = 1;
    model.NameS.fill(blankName);
    model.NameX.fill(blankName);
    model.ProcessName.fill(blankName);
    model.NameS[1] = kOxygenSpeciesName;
    model.Remarks.fill(std::string());
    model.RemarkCount = 0;
    for (auto* table : {&model.TypeS, &model.TypeX, &model.Compound2S, &model.Compound2X})
        fillAll(*table, 0);
    for (auto* table :
         {&model.NueS, &model.NueX, &model.KS, &model.KX, &model.ThetaKS, &model.ThetaKX})
        fillAll(*table, 0.0);
    model.Kr.fill(0.0);
    model.ThetaKr.fill(std::log(2.0) / 10.0); // the rate doubles per 10 °C
    model.KrT.fill(1.0);
    fillAll(model.KST, 10.0);
    fillAll(model.KXT, 1.0);
    model.BaseTemperature = 20.0;
    model.InfluentS.fill(100.0);
    model.InfluentX.fill(100.0);
    model.InitialS = model.InfluentS;
    model.InitialX = model.InfluentX;
    model.Rho.fill(0.0);
    model.RS.fill(0.0);
    model.RX.fill(0.0);
    model.IsPHModel = false;
}

double PHFromProton(double proton)
{
    if (proton <= 0.0)
        return 14.0;
    return -std::log10(proton / 1000.0);
}

void ReportModelCounts(const TModelDef& model)
{
    const auto check = [](int value, int low, int high, const char* what) {
        if (value < low || value > high)
            throw RangeError(
                fmt::format("The model has {} {}; allowed are {} to {}.", value, what, low, high));
    };
    check(model.NS, 1, MaxSpecies, "dissolved species");
    check(model.NX, 0, MaxSpecies, "particulate species");
    check(model.NP, 1, MaxProcesses, "processes");
    throw std::logic_error("ReportModelCounts: the counts are in range");
}

} // namespace narv

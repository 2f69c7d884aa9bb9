#include "DeliveredModelFiles.h"

#include "model/Rates.h"
#include "model/Temperature.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace narv {
namespace {

using testing::LoadDeliveredModel;
using testing::ProcessNumber;

// The process rates of `model` at S and X, without aeration.
void computeRates(TModelDef& model, SpeciesArray S, SpeciesArray X)
{
    ComputeProcessRates(model, S, X, 0.0, 10.0);
}

void expectRelativelyNear(double actual, double expected, double relative, const std::string& what)
{
    EXPECT_NEAR(actual, expected, relative * std::fabs(expected)) << what;
}

// ASM1 at S_O = 0.6, S_S = 20, S_NH = 1 g/m3, X_BH = 2000 and X_BA = 100 g COD/m3, by hand:
//   aerobic growth of heterotrophs  mu_H S_S/(K_S+S_S) S_O/(K_OH+S_O) X_BH
//                                   = 6.0 * 20/40 * 0.6/0.8 * 2000 = 6.0 * 0.5 * 0.75 * 2000 = 4500
//   growth of autotrophs            mu_A S_NH/(K_NH+S_NH) S_O/(K_OA+S_O) X_BA
//                                   = 0.8 * 1/2 * 0.6/1.0 * 100 = 0.8 * 0.5 * 0.6 * 100 = 24
// At 10 °C, mu_H = 3.0 and mu_A = 0.3 /d and the saturation constants stay: 2250 and 9.
// [g COD/(m3 d)]
TEST(Asm1Rates, GrowthOfHeterotrophsAndNitrificationMatchTheHandValues)
{
    auto model = LoadDeliveredModel("asm1.mod");
    SpeciesArray S = model->InitialS;
    SpeciesArray X = model->InitialX;
    S[1] = 0.6, S[3] = 20.0, S[5] = 1.0;
    X[3] = 2000.0, X[4] = 100.0;
    const int heterotrophs = ProcessNumber(*model, "Aerobic growth heterotrophs");
    const int autotrophs = ProcessNumber(*model, "Aerobic growth autotrophs");

    computeRates(*model, S, X);
    expectRelativelyNear(model->Rho[heterotrophs], 4500.0, 1e-12, "heterotrophs at 20 °C");
    expectRelativelyNear(model->Rho[autotrophs], 24.0, 1e-12, "autotrophs at 20 °C");

    ConvertToOperatingTemperature(*model, 10.0, model->BaseTemperature);
    computeRates(*model, S, X);
    // The coefficients are stored with 7 digits: exp(10 theta) is exact to about 1e-7.
    expectRelativelyNear(model->Rho[heterotrophs], 2250.0, 1e-6, "heterotrophs at 10 °C");
    expectRelativelyNear(model->Rho[autotrophs], 9.0, 1e-6, "autotrophs at 10 °C");
}

// The catalogue holds one factor per species, so the organic-N hydrolysis is stored as
// kh/K_X * K_X/(K_X + X_S/X_BH) * X_ND. Compare it with the published form at both
// temperatures, together with the two hydrolysis processes it shares its factors with.
TEST(Asm1Rates, HydrolysisFollowsThePublishedExpressions)
{
    const double SO = 0.5, SNO = 5.0, XS = 150.0, XBH = 1500.0, XND = 8.0;
    const double KOH = 0.2, KNO = 0.5, etaH = 0.4;
    struct AtTemperature {
        double T, kh, KX;
    };
    for (const AtTemperature& at :
         {AtTemperature{20.0, 3.0, 0.03}, AtTemperature{10.0, 1.0, 0.01}}) {
        auto model = LoadDeliveredModel("asm1.mod");
        ConvertToOperatingTemperature(*model, at.T, model->BaseTemperature);
        SpeciesArray S = model->InitialS;
        SpeciesArray X = model->InitialX;
        S[1] = SO, S[4] = SNO;
        X[2] = XS, X[3] = XBH, X[6] = XND;
        computeRates(*model, S, X);

        const double hydrolysis = at.kh * (XS / XBH) / (at.KX + XS / XBH) * XBH;
        const double aerobic = hydrolysis * SO / (KOH + SO);
        const double anoxic = etaH * hydrolysis * KOH / (KOH + SO) * SNO / (KNO + SNO);
        const std::vector<std::pair<const char*, double>> expected{
            {"Aerobic hydrolysis", aerobic},
            {"Anoxic hydrolysis", anoxic},
            {"Aerobic hydrolysis of org. N", aerobic * XND / XS},
            {"Anoxic hydrolysis of org. N", anoxic * XND / XS},
        };
        for (const auto& [name, rate] : expected)
            expectRelativelyNear(model->Rho[ProcessNumber(*model, name)], rate, 1e-6,
                                 std::string(name) + " at " + std::to_string(at.T) + " °C");
    }
}

// Without slowly degradable substrate the organic N still hydrolyses at the limit of the
// published expression, kh X_ND / K_X times the oxygen switch, and the state is not touched.
TEST(Asm1Rates, OrganicNitrogenHydrolysisHasAFiniteLimitWithoutSubstrate)
{
    auto model = LoadDeliveredModel("asm1.mod");
    SpeciesArray S = model->InitialS;
    SpeciesArray X = model->InitialX;
    S[1] = 0.2;
    X[2] = 0.0, X[6] = 8.0;
    SpeciesArray stateX = X;
    ComputeProcessRates(*model, S, stateX, 0.0, 10.0);
    expectRelativelyNear(model->Rho[ProcessNumber(*model, "Aerobic hydrolysis of org. N")],
                         3.0 * 8.0 / 0.03 * 0.5, 1e-12, "limit");
    EXPECT_EQ(stateX[2], 0.0);
}

// ASM3 at S_O2 = 0.2, S_S = 2, S_NH4 = 0.01 g/m3, S_ALK = 0.1 mol/m3, X_H = X_STO = 2000:
//   aerobic storage  k_STO S_O2/(K_O2+S_O2) S_S/(K_S+S_S) X_H = 5.0 * 0.5 * 0.5 * 2000 = 2500
//   aerobic growth   mu_H S_O2/(K_O2+S_O2) S_NH4/(K_NH4+S_NH4) S_ALK/(K_ALK+S_ALK)
//                    (X_STO/X_H)/(K_STO+X_STO/X_H) X_H = 2.0 * 0.5 * 0.5 * 0.5 * 0.5 * 2000 = 250
TEST(Asm3Rates, StorageAndGrowthMatchTheHandValues)
{
    auto model = LoadDeliveredModel("asm3.mod");
    SpeciesArray S = model->InitialS;
    SpeciesArray X = model->InitialX;
    S[1] = 0.2, S[3] = 2.0, S[4] = 0.01, S[7] = 0.1;
    X[3] = 2000.0, X[4] = 2000.0;
    computeRates(*model, S, X);
    expectRelativelyNear(model->Rho[ProcessNumber(*model, "Aerobic storage of substrate")], 2500.0,
                         1e-12, "storage");
    expectRelativelyNear(model->Rho[ProcessNumber(*model, "Aerobic growth heterotrophs")], 250.0,
                         1e-12, "growth");
}

// The temperature coefficients reproduce the published 10 °C values; the rate constants of the
// anoxic processes include eta (ASM1: eta_g 0.8, eta_h 0.4; ASM3: eta_NOX 0.6).
struct PublishedAt10 {
    const char* fileName;
    std::vector<std::pair<const char*, double>> rateConstants;
};

void PrintTo(const PublishedAt10& published, std::ostream* out)
{
    *out << published.fileName;
}

class ParametersAt10C : public ::testing::TestWithParam<PublishedAt10> {};

TEST_P(ParametersAt10C, AreThePublishedOnes)
{
    auto model = LoadDeliveredModel(GetParam().fileName);
    const auto atBase = std::make_unique<TModelDef>(*model);
    ConvertToOperatingTemperature(*model, 10.0, model->BaseTemperature);
    ASSERT_EQ(static_cast<int>(GetParam().rateConstants.size()), model->NP - 1);
    for (const auto& [name, value] : GetParam().rateConstants)
        expectRelativelyNear(model->KrT[ProcessNumber(*model, name)], value, 1e-6, name);

    // Of the saturation constants only K_X of ASM1 depends on temperature: 0.03 -> 0.01.
    for (int p = 2; p <= model->NP; ++p) {
        for (int j = 1; j <= model->NS; ++j) {
            if (model->TypeS[p][j] <= 1)
                continue;
            EXPECT_EQ(model->KST[p][j], atBase->KST[p][j]) << model->ProcessName[p] << j;
        }
        for (int j = 1; j <= model->NX; ++j) {
            if (model->TypeX[p][j] <= 1)
                continue;
            const bool isKX = GetParam().fileName == std::string("asm1.mod") && j == 2;
            expectRelativelyNear(model->KXT[p][j], isKX ? 0.01 : atBase->KXT[p][j], 1e-6,
                                 model->ProcessName[p]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    DeliveredModels, ParametersAt10C,
    ::testing::Values(PublishedAt10{"asm1.mod",
                                    {{"Aerobic growth heterotrophs", 3.0},
                                     {"Anoxic growth heterotrophs", 0.8 * 3.0},
                                     {"Aerobic growth autotrophs", 0.3},
                                     {"Decay of heterotrophs", 0.2},
                                     {"Decay of autotrophs", 0.05},
                                     {"Ammonification", 0.04},
                                     {"Aerobic hydrolysis", 1.0},
                                     {"Anoxic hydrolysis", 0.4 * 1.0},
                                     {"Aerobic hydrolysis of org. N", 1.0 / 0.01},
                                     {"Anoxic hydrolysis of org. N", 0.4 * 1.0 / 0.01}}},
                      PublishedAt10{"asm3.mod",
                                    {{"Hydrolysis", 2.0},
                                     {"Aerobic storage of substrate", 2.5},
                                     {"Anoxic storage of substrate", 0.6 * 2.5},
                                     {"Aerobic growth heterotrophs", 1.0},
                                     {"Anoxic growth heterotrophs", 0.6 * 1.0},
                                     {"Aerobic resp. heterotrophs", 0.1},
                                     {"Anoxic resp. heterotrophs", 0.05},
                                     {"Aerobic resp. storage", 0.1},
                                     {"Anoxic resp. storage", 0.05},
                                     {"Aerobic growth autotrophs", 0.35},
                                     {"Aerobic resp. autotrophs", 0.05},
                                     {"Anoxic resp. autotrophs", 0.02}}}),
    [](const ::testing::TestParamInfo<PublishedAt10>& paramInfo) {
        const std::string file = paramInfo.param.fileName;
        return file.substr(0, file.find('.'));
    });

} // namespace
} // namespace narv

#include "model/Rates.h"

#include "CountingAllocator.h"
#include "SampleModels.h"
#include "core/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace narv {
namespace {

using ::testing::HasSubstr;

// A model with oxygen, two more dissolved and three particulate species, aeration and one
// process of rate constant 2 whose factors the tests set.
struct OneProcess : ::testing::Test {
    OneProcess()
    {
        model.NS = 3;
        model.NX = 3;
        model.NP = 2;
        model.ProcessName[2] = "Growth";
        model.NameS[2] = "S Substrate   COD";
        model.KrT[2] = 2.0;
        for (int j = 1; j <= 3; ++j) {
            S[j] = 4.0;
            X[j] = 10.0;
        }
    }

    double evaluate(double kla = 0.0)
    {
        ComputeProcessRates(model, S, X, kla, 9.0);
        return model.Rho[2];
    }
    void dissolved(int j, int type, double k, int second = 0)
    {
        model.TypeS[2][j] = type;
        model.KST[2][j] = k;
        model.Compound2S[2][j] = second;
    }
    void particulate(int j, int type, double k, int second = 0)
    {
        model.TypeX[2][j] = type;
        model.KXT[2][j] = k;
        model.Compound2X[2][j] = second;
    }

    TModelDef model;
    SpeciesArray S;
    SpeciesArray X;
};

TEST_F(OneProcess, AerationAndZeroOrder)
{
    S[1] = 3.0;
    EXPECT_EQ(evaluate(50.0), 2.0); // every type 0: the rate constant
    EXPECT_EQ(model.Rho[1], (9.0 - 3.0) * 50.0);
}

TEST_F(OneProcess, DissolvedFactorsAtHandCheckedValues)
{
    struct Case {
        int type;
        double k;
        int second;
        double expected;
    };
    // S(2) = 4, S(3) = 1, kla = 5.
    const Case cases[] = {
        {1, 0.0, 0, 2.0 * 4.0},
        {3, 1.0, 0, 2.0 * 4.0 / 5.0},
        {4, 1.0, 0, 2.0 * 1.0 / 5.0},
        {5, 2.0, 3, 2.0 * 4.0 * 4.0 / ((2.0 + 4.0) * (4.0 + 1.0))},
        {6, 1.5, 0, 2.0 * 5.0 * (4.0 - 1.5)},
        {7, 0.5, 0, 2.0 * std::exp(0.5 * 4.0)},
        {8, 2.0, 2, 2.0 * 16.0 / (16.0 + 4.0)},
        {8, 2.0, 3, 2.0 * 64.0 / (64.0 + 8.0)},
        {9, 2.0, 2, 2.0 * 4.0 / (16.0 + 4.0)},
        {8, 2.0, -1, 2.0 * 0.25 / (0.25 + 0.5)},
        {10, 1.5, 0, 2.0 * 2.5},
        {11, 2.0, 3, 2.0 * (4.0 - 2.0 * 1.0)},
        {12, 2.0, 0, 2.0}, // outside the table: no factor
    };
    for (const Case& c : cases) {
        dissolved(2, c.type, c.k, c.second);
        S[3] = 1.0;
        EXPECT_DOUBLE_EQ(evaluate(5.0), c.expected) << "type " << c.type << " e " << c.second;
    }
}

TEST_F(OneProcess, MonodAndInhibitionAtZero)
{
    S[2] = 0.0;
    dissolved(2, 3, 1.0);
    EXPECT_EQ(evaluate(), 0.0);
    dissolved(2, 4, 1.0);
    EXPECT_EQ(evaluate(), 2.0);
}

TEST_F(OneProcess, TwoSubstratesAtZeroIsZeroNotADivision)
{
    S[2] = 0.0;
    S[3] = 0.0;
    dissolved(2, 5, 1.0, 3);
    EXPECT_EQ(evaluate(), 0.0);
}

TEST_F(OneProcess, VariableOrderFloorsTheStateAndUsesTheBaseExponent)
{
    S[2] = -0.3;
    dissolved(2, 2, 99.0); // the converted value must not be used
    model.KS[2][2] = 0.5;
    EXPECT_EQ(evaluate(), 2.0 * std::exp(0.5 * std::log(1e-12)));
    EXPECT_EQ(S[2], 1e-12);

    X[3] = 0.0;
    particulate(3, 2, 99.0);
    model.KX[2][3] = 2.0;
    evaluate();
    EXPECT_EQ(X[3], 1e-12);
}

TEST_F(OneProcess, MonodIIWithExponentZeroHalves)
{
    dissolved(2, 8, 3.0, 0);
    EXPECT_EQ(evaluate(), 1.0);
}

TEST_F(OneProcess, GasStrippingWithoutAerationStops)
{
    dissolved(2, 6, 1.0);
    EXPECT_EQ(evaluate(0.0), 0.0);
}

TEST_F(OneProcess, RatioFactorsWithoutSecondSpecies)
{
    X[2] = 0.0;
    particulate(1, 3, 1.0, 2);
    EXPECT_EQ(evaluate(), 2.0) << "adsorption leaves the rate";
    particulate(1, 5, 1.0, 2);
    EXPECT_EQ(evaluate(), 2.0) << "inh./saturation leaves the rate";
    particulate(1, 4, 1.0, 2);
    EXPECT_EQ(evaluate(), 0.0) << "inhibition stops the process";
}

TEST_F(OneProcess, ParticulateRatioFactors)
{
    X[1] = 5.0;
    X[2] = 10.0; // q = 0.5
    particulate(1, 3, 1.5, 2);
    EXPECT_DOUBLE_EQ(evaluate(), 2.0 * 0.5 / 2.0);
    particulate(1, 4, 1.5, 2);
    EXPECT_DOUBLE_EQ(evaluate(), 2.0 * 1.5 / 2.0);
    particulate(1, 5, 1.5, 2);
    EXPECT_DOUBLE_EQ(evaluate(), 2.0 * 1.0 / (1.05 * 1.5 - 0.5));
    particulate(1, 5, 0.4, 2); // q above K: numerator clamped
    EXPECT_EQ(evaluate(), 0.0);
}

TEST_F(OneProcess, ZeroDenominatorsStopTheEvaluation)
{
    model.Rho[2] = 123.0;
    S[2] = -1.0;
    dissolved(2, 3, 1.0); // K + S = 0
    try {
        evaluate();
        FAIL() << "no error";
    } catch (const FloatingPointError& e) {
        EXPECT_THAT(e.what(), HasSubstr("division by zero"));
        EXPECT_THAT(e.what(), HasSubstr("\"Growth\""));
        EXPECT_THAT(e.what(), HasSubstr("S Substrate"));
    }
    EXPECT_EQ(model.Rho[2], 123.0) << "no result of the failed process";

    dissolved(2, 0, 0.0);
    X[1] = 1.05;
    X[2] = 1.0;
    particulate(1, 5, 1.0, 2); // q = 1.05 K
    EXPECT_THROW(evaluate(), FloatingPointError);

    particulate(1, 0, 0.0);
    S[2] = 0.0;
    dissolved(2, 8, 1.0, -2); // zero base, negative exponent
    EXPECT_THROW(evaluate(), FloatingPointError);
}

TEST_F(OneProcess, OverflowStopsTheEvaluation)
{
    dissolved(2, 7, 1000.0); // exp(4000)
    EXPECT_THROW(evaluate(), FloatingPointError);
    dissolved(2, 8, 1.0, 3);
    S[2] = 1e200;
    EXPECT_THROW(evaluate(), FloatingPointError);
    dissolved(2, 1, 0.0);
    model.KrT[2] = 1e300;
    S[2] = 1e300;
    EXPECT_THROW(evaluate(), FloatingPointError);
}

TEST_F(OneProcess, SecondSpeciesOutsideTheTableIsAnIndexError)
{
    for (const int second : {0, 26, -3}) {
        dissolved(2, 5, 1.0, second);
        EXPECT_THROW(evaluate(), IndexError) << second;
        dissolved(2, 11, 1.0, second);
        EXPECT_THROW(evaluate(), IndexError) << second;
        dissolved(2, 0, 0.0);
        particulate(1, 4, 1.0, second);
        EXPECT_THROW(evaluate(), IndexError) << second;
        particulate(1, 0, 0.0);
    }
    // In range but above NS: the slot is read as it is.
    S[20] = 6.0;
    dissolved(2, 11, 0.5, 20);
    EXPECT_EQ(evaluate(), 2.0 * (4.0 - 0.5 * 6.0));
}

TEST_F(OneProcess, AbsurdExponentEndsQuickly)
{
    dissolved(2, 9, 2.0, 2000000000); // K^e overflows: an error, without two billion steps
    S[2] = 1.0;
    EXPECT_THROW(evaluate(), FloatingPointError);
    dissolved(2, 8, 0.5, 2000000001);
    S[2] = -1.0;
    EXPECT_EQ(evaluate(), 2.0 * -1.0 / (-1.0 + 0.0));
}

TEST(ConversionRates, OnlyAerationGivesZeroConversion)
{
    TModelDef model;
    model.NS = 2;
    model.NX = 1;
    SpeciesArray S;
    SpeciesArray X;
    model.RS.fill(5.0);
    model.RX.fill(5.0);
    ComputeConversionRates(model, S, X, 10.0, 8.0);
    for (int j = 1; j <= MaxSpecies; ++j) {
        EXPECT_EQ(model.RS[j], 0.0);
        EXPECT_EQ(model.RX[j], 0.0);
    }
    EXPECT_EQ(model.Rho[1], 80.0);
    model.RS[1] = 3.0;
    ComputeOxygenRate(model, S, X, 10.0, 8.0);
    EXPECT_EQ(model.RS[1], 0.0);
}

TEST(ConversionRates, SumsOverProcessesWithoutAeration)
{
    TModelDef model = testing::MakeCarbonNitrogenModel();
    SpeciesArray S;
    SpeciesArray X;
    testing::FillTypicalState(S, X);
    model.NueS[1][1] = 1000.0; // aeration never enters the sums
    ComputeConversionRates(model, S, X, 100.0, 9.0);
    double oxygen = 0.0;
    double heterotrophs = 0.0;
    for (int p = 2; p <= model.NP; ++p) {
        if (model.NueS[p][1] != 0.0)
            oxygen += model.NueS[p][1] * model.Rho[p];
        if (model.NueX[p][3] != 0.0)
            heterotrophs += model.NueX[p][3] * model.Rho[p];
    }
    EXPECT_EQ(model.RS[1], oxygen);
    EXPECT_EQ(model.RX[3], heterotrophs);
    EXPECT_LT(model.RS[1], 0.0);
    for (int j = model.NS + 1; j <= MaxSpecies; ++j)
        EXPECT_EQ(model.RS[j], 0.0);
}

TEST(ConversionRates, OxygenRateKeepsTheOtherRates)
{
    TModelDef model = testing::MakeCarbonNitrogenModel();
    SpeciesArray S;
    SpeciesArray X;
    testing::FillTypicalState(S, X);
    ComputeConversionRates(model, S, X, 100.0, 9.0);
    const double oxygen = model.RS[1];
    const SpeciesArray rs = model.RS;
    const SpeciesArray rx = model.RX;
    model.RS[1] = 77.0;
    ComputeOxygenRate(model, S, X, 100.0, 9.0);
    EXPECT_EQ(model.RS[1], oxygen);
    for (int j = 2; j <= MaxSpecies; ++j)
        EXPECT_EQ(model.RS[j], rs[j]);
    EXPECT_EQ(model.RX, rx);
}

TEST(ConversionRates, OverflowLeavesNoInfiniteValues)
{
    TModelDef model = testing::MakeCarbonNitrogenModel();
    SpeciesArray S;
    SpeciesArray X;
    testing::FillTypicalState(S, X);
    model.NueS[2][3] = -1e306;
    model.NueS[3][3] = -1e306;
    EXPECT_THROW(ComputeConversionRates(model, S, X, 100.0, 9.0), FloatingPointError);
    for (int j = 1; j <= MaxSpecies; ++j) {
        EXPECT_TRUE(std::isfinite(model.RS[j]));
        EXPECT_TRUE(std::isfinite(model.RX[j]));
    }
}

TEST(ConversionRates, CountsBeyondCapacityAreRefused)
{
    TModelDef model;
    SpeciesArray S;
    SpeciesArray X;
    model.NS = 26;
    EXPECT_THROW(ComputeConversionRates(model, S, X, 0.0, 0.0), RangeError);
    model.NS = 1;
    model.NP = 51;
    EXPECT_THROW(ComputeConversionRates(model, S, X, 0.0, 0.0), RangeError);
}

TEST(ConversionRates, EvaluationAllocatesNothing)
{
    TModelDef model = testing::MakeCarbonNitrogenModel();
    SpeciesArray S;
    SpeciesArray X;
    testing::FillTypicalState(S, X);
    const RatePlan plan(model);
    const long before = narv::testing::AllocationCount();
    for (int i = 0; i < 10; ++i) {
        ComputeConversionRates(model, S, X, 100.0, 9.0);
        ComputeOxygenRate(model, S, X, 100.0, 9.0);
        plan.computeConversionRates(model, S, X, 100.0, 9.0);
        plan.computeOxygenRate(model, S, X, 100.0, 9.0);
    }
    EXPECT_EQ(narv::testing::AllocationCount(), before);
}

} // namespace
} // namespace narv

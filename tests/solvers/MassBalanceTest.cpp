#include "plant/MassBalance.h"

#include "SolverCases.h"
#include "core/Error.h"
#include "model/Rates.h"
#include "plant/ModelSetup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace narv {
namespace {

using ::testing::HasSubstr;

struct Balance : ::testing::Test {
    Balance() : model(testing::MakeInertModel()), plant(testing::MakeCascade(4, 0, 10.0))
    {
        for (int c = 1; c <= MaxCompartments; ++c)
            for (int j = 1; j <= MaxSpecies; ++j) {
                state.S[c][j] = 10.0 * c + j;
                state.X[c][j] = 100.0 * c + j;
            }
        model.InfluentS.fill(0.0);
        model.InfluentX.fill(0.0);
    }
    double dissolved(int i, int j)
    {
        FlowRatios(plant, ratios);
        ComputeConversionRates(model, plant, state, i);
        return DissolvedDerivative(model, plant, state, ratios, i, j);
    }
    double particulate(int i, int j)
    {
        FlowRatios(plant, ratios);
        ComputeConversionRates(model, plant, state, i);
        return ParticulateDerivative(model, plant, state, ratios,
                                     ExcessSludgeTerm(model, plant, state), i, j);
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    FlowRatioTable ratios;
};

TEST_F(Balance, InfluentPassesThroughTheCascade)
{
    model.InfluentS[2] = 100.0;
    EXPECT_DOUBLE_EQ(dissolved(1, 2), 0.1 * (100.0 - 12.0));
    EXPECT_DOUBLE_EQ(dissolved(2, 2), 0.1 * (12.0 - 22.0));
    plant.InfluentReactor = 3;
    EXPECT_EQ(dissolved(2, 2), 0.0) << "upstream of the influent nothing flows";
}

TEST_F(Balance, RecirculationFromFourToTwoActsOnTwoToFourOnly)
{
    plant.InfluentFlow = 0.0;
    plant.RecircActive = true;
    plant.RecircFlow = 50.0;
    plant.RecircFrom = 4;
    plant.RecircTo = 2;
    EXPECT_EQ(dissolved(1, 3), 0.0);
    EXPECT_DOUBLE_EQ(dissolved(2, 3), 0.5 * (43.0 - 23.0));
    EXPECT_DOUBLE_EQ(dissolved(3, 3), 0.5 * (23.0 - 33.0));
    EXPECT_DOUBLE_EQ(dissolved(4, 3), 0.5 * (33.0 - 43.0));
    EXPECT_DOUBLE_EQ(particulate(2, 1), 0.5 * (401.0 - 201.0));
    plant.RecircActive = false;
    EXPECT_EQ(dissolved(2, 3), 0.0);
}

TEST_F(Balance, ReturnSludgeCarriesTheLastReactorAndRemovesExcessSludge)
{
    plant.SludgeSeparation = true;
    plant.ReturnFlow = 20.0;
    plant.ExcessRate = 0.1;
    // Dissolved: the return sludge brings the last reactor's concentration to reactor 1.
    EXPECT_DOUBLE_EQ(dissolved(1, 2), 0.1 * (0.0 - 12.0) + 0.2 * (42.0 - 12.0));
    // Particulate: all solids leaving reactor 4 come back, less the excess sludge.
    const double mass = (101.0 + 102.0 + 201.0 + 202.0 + 301.0 + 302.0 + 401.0 + 402.0) * 100.0;
    const double w = 0.1 * mass / ((401.0 + 402.0) * 100.0);
    EXPECT_DOUBLE_EQ(ExcessSludgeTerm(model, plant, state), w);
    EXPECT_DOUBLE_EQ(particulate(1, 1),
                     0.1 * (0.0 - 101.0) + ((0.2 + 0.1 - w) * 401.0 - 0.2 * 101.0));
}

TEST_F(Balance, WithoutSolidsInTheLastReactorTheRateItselfIsUsed)
{
    for (int j = 1; j <= 2; ++j)
        state.X[4][j] = 0.0;
    plant.ExcessRate = 0.25;
    EXPECT_EQ(ExcessSludgeTerm(model, plant, state), 0.25);
}

TEST_F(Balance, WithoutSludgeSeparationReturnSludgePlaysNoPart)
{
    plant.SludgeSeparation = false;
    plant.ReturnFlow = 20.0;
    plant.ExcessRate = 5.0;
    EXPECT_DOUBLE_EQ(dissolved(1, 2), 0.1 * (0.0 - 12.0));
    EXPECT_DOUBLE_EQ(particulate(1, 2), 0.1 * (0.0 - 102.0));
}

TEST_F(Balance, SecondInfluentAndItsSolidsReturn)
{
    plant.SludgeSeparation = true;
    plant.Influent2Flow = 30.0;
    plant.Influent2Reactor = 2;
    plant.XIn2[1] = 1000.0;
    plant.SIn2[2] = 50.0;
    EXPECT_DOUBLE_EQ(dissolved(2, 2), 0.1 * (12.0 - 22.0) + 0.3 * (50.0 - 22.0));
    const double w = ExcessSludgeTerm(model, plant, state);
    EXPECT_DOUBLE_EQ(particulate(1, 1),
                     0.1 * (0.0 - 101.0) + ((0.0 + 0.1 - w) * 401.0 - 0.0) + 0.3 * 401.0);
    plant.Influent2Enabled = false;
    EXPECT_DOUBLE_EQ(dissolved(2, 2), 0.1 * (12.0 - 22.0));
}

TEST_F(Balance, ClarifierDelaysTheDissolvedSpecies)
{
    plant = testing::MakeCascade(2, 2, 10.0);
    FlowRatios(plant, ratios);
    EXPECT_DOUBLE_EQ(ClarifierDerivative(state, ratios, 3, 2), 0.1 * (22.0 - 32.0));
}

TEST_F(Balance, OxygenIncludesAeration)
{
    plant.Kla[1] = 50.0;
    plant.O2Saturation = 9.0;
    FlowRatios(plant, ratios);
    ComputeOxygenRate(model, plant, state, 1);
    EXPECT_DOUBLE_EQ(OxygenDerivative(model, plant, state, ratios, 1),
                     50.0 * (9.0 - 11.0) + 0.1 * (0.0 - 11.0));
}

TEST_F(Balance, ZeroVolumeNamesTheCompartment)
{
    plant.Volume[3] = 0.0;
    try {
        FlowRatios(plant, ratios);
        FAIL();
    } catch (const FloatingPointError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Compartment 3 has a volume of 0"));
    }
}

// All derivatives of a reactor at once, and the oxygen derivative from the dissolved terms they
// leave, give the bits of the functions per species, on random flowschemes: every combination
// of influents, return sludge, recirculations and upstream rows, and species counts odd and
// even (the species go two at a time).
TEST_F(Balance, ReactorDerivativesGiveTheBitsOfTheDerivativesPerSpecies)
{
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> value(-5.0, 500.0);
    std::uniform_int_distribution<int> compartment(1, 6);
    std::uniform_int_distribution<int> count(1, MaxSpecies);
    std::bernoulli_distribution coin(0.5);
    const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    for (int n = 0; n < 400; ++n) {
        model.NS = n < 10 ? MaxSpecies : count(random);
        model.NX = n < 10 ? MaxSpecies : count(random) - 1;
        const int firstDissolved = coin(random) ? 2 : 3;
        plant = testing::MakeCascade(6, 0, 10.0);
        plant.SludgeSeparation = coin(random);
        plant.RecircActive = coin(random);
        plant.InfluentReactor = compartment(random);
        plant.ReturnReactor = compartment(random);
        plant.RecircFrom = compartment(random);
        plant.RecircTo = compartment(random);
        plant.Recirc2From = compartment(random);
        plant.Recirc2To = compartment(random);
        plant.Influent2Reactor = compartment(random);
        plant.Influent2Enabled = coin(random);
        plant.InfluentFlow = value(random);
        plant.ReturnFlow = value(random);
        plant.RecircFlow = value(random);
        plant.Recirc2Flow = coin(random) ? value(random) : 0.0;
        plant.Influent2Flow = coin(random) ? value(random) : 0.0;
        UpstreamRow up;
        for (int c = 1; c <= MaxCompartments; ++c)
            up[c] = coin(random) ? c - 1 : compartment(random);
        for (int j = 1; j <= MaxSpecies; ++j) {
            model.RS[j] = value(random);
            model.RX[j] = value(random);
            model.InfluentS[j] = value(random);
            model.InfluentX[j] = value(random);
            plant.SIn2[j] = value(random);
            plant.XIn2[j] = value(random);
            for (int c = 1; c <= MaxCompartments; ++c) {
                state.S[c][j] = value(random);
                state.X[c][j] = value(random);
            }
        }
        FlowRatios(plant, ratios);
        const double excess = value(random);
        for (int i = 1; i <= plant.ReactorCount; ++i) {
            SpeciesArray dS;
            SpeciesArray dX;
            DissolvedTransport terms;
            ReactorDerivatives(model, plant, state, ratios, excess, up, i, firstDissolved, dS, dX,
                               &terms);
            model.Rho[1] = value(random);
            ASSERT_TRUE(same(ApplyDissolvedTransport(model.RS[1] + model.Rho[1], terms,
                                                     state.S[i].data(), 0),
                             OxygenDerivative(model, plant, state, ratios, up, i)))
                << "case " << n << " reactor " << i << " oxygen";
            for (int j = firstDissolved; j <= model.NS; ++j)
                ASSERT_TRUE(
                    same(dS[j], DissolvedDerivative(model, plant, state, ratios, up, i, j)))
                    << "case " << n << " reactor " << i << " S " << j;
            for (int j = 1; j <= model.NX; ++j)
                ASSERT_TRUE(same(dX[j], ParticulateDerivative(model, plant, state, ratios, excess,
                                                              up, i, j)))
                    << "case " << n << " reactor " << i << " X " << j;
        }
    }
}

} // namespace
} // namespace narv

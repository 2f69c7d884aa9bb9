#include "solvers/Integrator.h"

#include "FakeRunControl.h"
#include "SolverCases.h"
#include "core/Error.h"
#include "model/Temperature.h"
#include "solvers/IntegrationRun.h"
#include "solvers/StepBudget.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace narv {
namespace {

// The step budget leaves out the division where the ratio cannot be below the budget; it must
// give the bits of the plain rule everywhere, ties and the ends of the range included.
TEST(StepBudget, GivesThePlainRulesBudgetOnRandomAndTiedValues)
{
    const auto plain = [](double budget, double concentration, double derivative) {
        if (derivative != 0.0 && concentration > 0.0) {
            const double ratio = std::fabs(concentration / derivative);
            if (ratio < budget)
                budget = ratio;
        }
        return budget;
    };
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> exponent(-330.0, 310.0);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    std::bernoulli_distribution negative(0.3);
    const auto value = [&] {
        const double v = mantissa(random) * std::pow(2.0, exponent(random));
        return negative(random) ? -v : v;
    };
    long checked = 0;
    for (int n = 0; n < 200000; ++n) {
        double budget = std::fabs(value());
        double concentration = value();
        const double derivative = value();
        if (n % 4 == 1) // a ratio at the budget, or next to it
            concentration = std::nextafter(budget * std::fabs(derivative),
                                           n % 8 == 1 ? 0.0 : HUGE_VAL);
        if (n % 4 == 2)
            concentration = budget * std::fabs(derivative);
        if (n % 97 == 0)
            budget = n % 2 == 0 ? HUGE_VAL : 0.0;
        double fast = budget;
        LimitStepBudget(fast, concentration, derivative);
        const double expected = plain(budget, concentration, derivative);
        ASSERT_EQ(std::memcmp(&fast, &expected, sizeof fast), 0)
            << budget << " " << concentration << " " << derivative;
        ++checked;
    }
    EXPECT_EQ(checked, 200000);
}

using ::testing::HasSubstr;

struct Integration : ::testing::Test {
    Integration() : model(testing::MakeInertModel()), plant(testing::MakeCascade(1, 0, 0.0))
    {
        settings = SimSettingsForMissingKeys();
        neutral.fill(1.0);
        for (int c = 1; c <= MaxCompartments; ++c)
            for (int j = 1; j <= MaxSpecies; ++j) {
                state.S[c][j] = 5.0;
                state.X[c][j] = 50.0;
            }
    }
    void integrate(RunControl& control, double start, double end, bool stepByStep = false)
    {
        Integrator integrator(model, plant, state, settings);
        integrator.integrate(control, stepByStep, 0, neutral, start, end, "1");
        steps = integrator.steps();
        oxygenSubSteps = integrator.oxygenSubSteps();
    }
    void integrate(double start, double end)
    {
        testing::FakeRunControl control;
        integrate(control, start, end);
    }
    // One process converting species 2 at a constant rate [g/m3/d].
    void constantConversion(double rate)
    {
        model.NP = 2;
        model.KrT[2] = rate;
        model.NueS[2][2] = -1.0;
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TSimSettings settings;
    CompartmentArray neutral;
    long steps = 0;
    long oxygenSubSteps = 0;
};

TEST_F(Integration, WithoutChangeOneCoarseAndOneFineStep)
{
    testing::FakeRunControl control;
    integrate(control, 0.0, 1.0);
    EXPECT_EQ(steps, 2);
    ASSERT_EQ(control.texts.size(), 2u);
    EXPECT_EQ(control.texts[0], "Integration stands at   0.990 of 1");
    EXPECT_EQ(control.texts[1], "Integration stands at   1.000 of 1");
    EXPECT_NEAR(state.Time, 1.0, 1e-12);
    EXPECT_EQ(state.S[1][2], 5.0);
    EXPECT_EQ(state.X[1][1], 50.0);
}

TEST_F(Integration, FirstCoarseStepIsBudgetTimesAccuracy)
{
    testing::FakeRunControl control(1); // stop after the first step
    integrate(control, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(state.Time, 0.9901);
}

TEST_F(Integration, FastChangeLimitsTheStep)
{
    constantConversion(1000.0);
    state.S[1][2] = 100.0;
    testing::FakeRunControl control(1);
    integrate(control, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(state.Time, 0.01);
    EXPECT_DOUBLE_EQ(state.S[1][2], 90.0);
}

TEST_F(Integration, ZeroConcentrationDoesNotLimitAndIsRaisedToTheMinimum)
{
    constantConversion(1000.0);
    state.S[1][2] = 0.0;
    testing::FakeRunControl control(1);
    integrate(control, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(state.Time, 0.9901);
    EXPECT_EQ(state.S[1][2], settings.ConcMin);
}

TEST_F(Integration, MinimalStepFloorAndClamps)
{
    constantConversion(1e6);
    state.S[1][2] = 0.1; // budget 0.1 * 0.1 / 1e6 = 1e-8 d
    testing::FakeRunControl control(1);
    integrate(control, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(state.Time, 1e-4);
    EXPECT_EQ(state.S[1][2], settings.ConcMin) << "the overshoot is clamped";
    settings.ConcMax = 20.0;
    model.NueS[2][2] = 1.0;
    testing::FakeRunControl again(1);
    integrate(again, 0.0, 1.0);
    EXPECT_EQ(state.S[1][2], 20.0);
}

TEST_F(Integration, AerationSubStepsAndSetpoints)
{
    plant = testing::MakeCascade(2, 0, 0.0);
    plant.Kla[1] = 200.0;
    plant.O2Saturation = 9.0;
    plant.O2Setpoint[2] = 2.0;
    state.S[1][1] = 1.0;
    testing::FakeRunControl control(1);
    integrate(control, 0.0, 1.0);
    EXPECT_GT(oxygenSubSteps, 10);
    // Each sub-step may change oxygen by a tenth of itself: it ends near saturation.
    EXPECT_NEAR(state.S[1][1], 9.0, 0.9);
    EXPECT_EQ(state.S[2][1], 2.0);
}

TEST_F(Integration, ControlLoopSwitchesToKlaAndTheSetpointComesBack)
{
    plant.O2Setpoint[1] = 2.0;
    plant.ControlLoopsActive = true;
    TControlLoopDef& loop = plant.ControlLoops[5];
    loop.Active = true;
    loop.Signal = 3; // oxygen of reactor 1
    loop.ErwartetY = 100.0;
    loop.Steigung = 0.0;
    integrate(0.0, 0.5);
    EXPECT_EQ(plant.O2Setpoint[1], 2.0);
    EXPECT_EQ(plant.Kla[1], 100.0);
    EXPECT_NE(state.S[1][1], 2.0) << "the reactor was aerated by kla during the call";
}

TEST_F(Integration, StopEndsWithinOneStep)
{
    constantConversion(1000.0);
    state.S[1][2] = 100.0;
    testing::FakeRunControl control(3);
    integrate(control, 0.0, 10.0);
    EXPECT_EQ(steps, 3);
    EXPECT_LT(state.Time, 0.1);
}

TEST_F(Integration, StepByStepPausesAfterEveryStep)
{
    testing::FakeRunControl control;
    integrate(control, 0.0, 1.0, true);
    EXPECT_EQ(control.pauses, 2);
    EXPECT_EQ(control.texts[0], "Integration stands at         0.99 of 1");
}

TEST_F(Integration, PHModelUsesTheProtonsBeforeTheUpdate)
{
    model.NameS[2] = kPHSpeciesName;
    model.IsPHModel = true;
    constantConversion(0.0);
    model.NP = 2;
    model.KrT[2] = 1.0;
    model.NueS[2][2] = 0.0;
    model.NueS[2][3] = -1.0; // protons fall by 1 per day
    state.S[1][3] = 1e-4;    // pH 7
    testing::FakeRunControl control(1);
    integrate(control, 0.0, 1.0);
    EXPECT_DOUBLE_EQ(state.S[1][2], 7.0);
    EXPECT_EQ(state.S[1][3], 1e-11) << "the proton floor";
}

TEST_F(Integration, ZeroVolumeFailsAndKeepsAFiniteState)
{
    plant = testing::MakeCascade(2, 0, 5.0);
    plant.Volume[2] = 0.0;
    plant.O2Setpoint[1] = 3.0;
    const TPlantState before = state;
    try {
        integrate(0.0, 1.0);
        FAIL();
    } catch (const FloatingPointError& e) {
        EXPECT_THAT(e.what(), HasSubstr("Compartment 2 has a volume of 0"));
    }
    EXPECT_EQ(std::memcmp(&before, &state, sizeof state), 0);
    EXPECT_EQ(plant.O2Setpoint[1], 3.0);
}

TEST_F(Integration, NoStepAtAllIsAnErrorNotAHang)
{
    settings.DeltMin = 0.0;
    settings.DeltMinO2 = 0.0;
    settings.Eps = 0.0;
    settings.Eps2 = 0.0;
    EXPECT_THROW(integrate(0.0, 1.0), SimulationError);
}

TEST_F(Integration, CstrCascadeReachesTheInfluent)
{
    // The steps let a concentration change by the accuracy times itself, so near the steady
    // state it settles within about that fraction; a fine accuracy brings it close.
    settings.Eps2 = 0.001;
    settings.Eps = 0.001;
    plant = testing::MakeCascade(3, 0, 10.0);
    model.InfluentS[2] = 100.0;
    model.InfluentX[1] = 30.0;
    integrate(0.0, 400.0);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_NEAR(state.S[c][2], 100.0, 0.2) << c;
        EXPECT_NEAR(state.X[c][1], 30.0, 0.06) << c;
    }
}

TEST_F(Integration, BatchWithoutProcessesKeepsEverything)
{
    const TPlantState before = state;
    integrate(0.0, 3.0);
    for (int j = 1; j <= model.NS; ++j)
        EXPECT_EQ(state.S[1][j], before.S[1][j]);
    for (int j = 1; j <= model.NX; ++j)
        EXPECT_EQ(state.X[1][j], before.X[1][j]);
}

TEST_F(Integration, ClarifierKeepsItsOxygenAndSolids)
{
    plant = testing::MakeCascade(1, 2, 10.0);
    plant.ReturnFlow = 10.0;
    model.InfluentS[2] = 100.0;
    integrate(0.0, 2.0);
    EXPECT_EQ(state.S[2][1], 5.0);
    EXPECT_EQ(state.X[3][2], 50.0);
    EXPECT_GT(state.S[3][2], 5.0) << "the dissolved species reach the clarifier";
}

TEST_F(Integration, ANegativeClarifierConcentrationStopsTheRunWithItsPlace)
{
    // A clarifier far smaller than its flow: the step of the reactor overshoots it.
    plant = testing::MakeCascade(1, 2, 10.0);
    plant.Volume[2] = 1e-4;
    plant.Volume[3] = 1e-4;
    model.InfluentS[2] = 0.0;
    try {
        integrate(0.0, 1.0);
        FAIL();
    } catch (const SimulationError& e) {
        EXPECT_THAT(e.what(),
                    ::testing::HasSubstr("The mass balance of compartment 2 breaks down at "));
        EXPECT_THAT(e.what(), ::testing::HasSubstr(" d: the concentration of \""));
    }
    for (int c = 1; c <= 3; ++c)
        EXPECT_GE(state.S[c][2], 0.0) << "nothing negative is kept";
}

struct Run : Integration {};

TEST_F(Run, ChunksRestartTheClockAndRefreshAfterEach)
{
    plant.SludgeAge = 6.0;
    EXPECT_EQ(DefaultIntegrationEndTime(plant), 3.0);
    IntegrationRun run(model, plant, state, settings);
    testing::FakeRunControl control;
    int refreshed = 0;
    state.Time = 55.0;
    const RunOutcome outcome = run.run(control, 10.0, "10", false, [&] { ++refreshed; });
    EXPECT_EQ(outcome.chunks, 10);
    EXPECT_EQ(refreshed, 10);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_NEAR(state.Time, 10.0, 1e-9);
    EXPECT_EQ(control.texts.front(), "Integration started");
    EXPECT_EQ(control.texts.back(), "Integration not started");
    EXPECT_THAT(control.texts[1], HasSubstr(" of 10"));
}

TEST_F(Run, StopLeavesTheRemainingChunks)
{
    IntegrationRun run(model, plant, state, settings);
    testing::FakeRunControl control(5); // two steps per chunk: stops in chunk 3
    const RunOutcome outcome = run.run(control, 10.0, "10", false);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.chunks, 3);
}

TEST_F(Run, SavedConditionsComeBackExactly)
{
    IntegrationRun run(model, plant, state, settings);
    EXPECT_THROW(run.loadConditions(), SimulationError);
    state.S[3][2] = 1.0 / 3.0;
    run.saveConditions();
    state.S[3][2] = 7.0;
    state.X[18][25] = 9.0;
    run.loadConditions();
    EXPECT_EQ(state.S[3][2], 1.0 / 3.0);
    EXPECT_EQ(state.X[18][25], 50.0);
    EXPECT_EQ(FormatElapsed(3725.4), "1:02:05");
}

} // namespace
} // namespace narv

#include "solvers/Relaxation.h"

#include "FakeRunControl.h"
#include "SampleModels.h"
#include "SolverCases.h"
#include "core/Error.h"
#include "plant/ModelSetup.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

struct Relax : ::testing::Test {
    Relax() : model(testing::MakeInertModel()), plant(testing::MakeCascade(2, 2, 10.0))
    {
        settings = SimSettingsForMissingKeys();
        ApplyModelInitialConditions(model, state);
    }
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TSimSettings settings;
};

TEST_F(Relax, DefaultTimesFollowTheSludgeAge)
{
    plant.SludgeAge = 10.0;
    const RelaxationTimes times = DefaultRelaxationTimes(plant);
    EXPECT_EQ(times.oxygen, 1.0);
    EXPECT_EQ(times.dissolved, 2.0);
    EXPECT_EQ(times.particulate, 20.0);
}

TEST_F(Relax, ChunkThreeRunsTheParticulateClockFromFourToSix)
{
    Relaxation relaxation(model, plant, state, settings);
    testing::FakeRunControl stopAtOnce(1);
    relaxation.relax(stopAtOnce, 3, 6.0, 0.6, 0.3);
    // One iteration from t = 4: the step is the remaining budget of a plant without change.
    EXPECT_GT(state.Time, 4.0);
    testing::FakeRunControl control;
    relaxation.relax(control, 3, 6.0, 0.6, 0.3);
    EXPECT_GT(state.Time, 0.999 * 6.0);
}

TEST_F(Relax, ConstantPlantStaysButTinyValuesAreRaised)
{
    plant = testing::MakeCascade(1, 0, 0.0);
    state.S[1][2] = 1e-20;
    state.X[1][1] = 0.0;
    const double kept = state.S[1][3];
    Relaxation relaxation(model, plant, state, settings);
    testing::FakeRunControl control;
    relaxation.run(control, {2.0, 0.2, 0.1});
    EXPECT_EQ(state.S[1][2], 1e-10);
    EXPECT_EQ(state.X[1][1], 1e-10);
    EXPECT_EQ(state.S[1][3], kept);
    EXPECT_LT(relaxation.iterations(), 100);
}

TEST_F(Relax, ClarifierEqualsTheLastReactorAndSetpointsHold)
{
    model.InfluentS[2] = 80.0;
    plant.O2Setpoint[1] = 2.0;
    plant.Kla[2] = 100.0;
    plant.O2Saturation = 9.0;
    Relaxation relaxation(model, plant, state, settings);
    testing::FakeRunControl control;
    relaxation.run(control, {20.0, 40.0, 1.0});
    EXPECT_EQ(state.S[1][1], 2.0);
    EXPECT_NEAR(state.S[2][1], 9.0, 0.9) << "relaxed on the oxygen clock, within its accuracy";
    for (int c = 3; c <= 4; ++c)
        for (int j = 1; j <= MaxSpecies; ++j)
            EXPECT_EQ(state.S[c][j], state.S[2][j]);
    EXPECT_NEAR(state.S[2][2], 80.0, 8.0) << "the dissolved species approach the influent's";
    EXPECT_EQ(state.X[3][1], 100.0) << "clarifier solids stay";
}

TEST_F(Relax, RefusedWhileControlLoopsAreActive)
{
    plant.ControlLoopsActive = true;
    Relaxation relaxation(model, plant, state, settings);
    testing::FakeRunControl control;
    try {
        relaxation.run(control, DefaultRelaxationTimes(plant));
        FAIL();
    } catch (const SimulationError& e) {
        EXPECT_STREQ(e.what(), "Control loops active. Use option Integration!");
    }
}

TEST_F(Relax, StopReturnsWithinOneIteration)
{
    Relaxation relaxation(model, plant, state, settings);
    testing::FakeRunControl control(2);
    const RunOutcome outcome = relaxation.run(control, {20.0, 2.0, 1.0});
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(relaxation.iterations(), 2);
    EXPECT_EQ(outcome.chunks, 1);
}

TEST_F(Relax, NitrifyingPlantSettlesAndMonitorFallsToZero)
{
    model = testing::MakeCarbonNitrogenModel();
    plant = testing::MakeCascade(2, 1, 500.0);
    plant.Volume[1] = 1000.0;
    plant.Volume[2] = 2000.0;
    plant.ReturnFlow = 500.0;
    plant.SludgeSeparation = true;
    plant.Kla[2] = 200.0;
    plant.O2Saturation = 9.0;
    plant.SludgeAge = 10.0;
    plant.ExcessRate = 0.1;
    ApplyModelInitialConditions(model, state);
    ConvergenceMonitor monitor;
    monitor.snapshot(model, plant, state);
    Relaxation relaxation(model, plant, state, settings);
    testing::FakeRunControl control;
    relaxation.run(control, DefaultRelaxationTimes(plant));
    const double first = monitor.chiSquare(model, plant, state);
    relaxation.run(control, DefaultRelaxationTimes(plant));
    const double second = monitor.chiSquare(model, plant, state);
    EXPECT_GT(first, 1e-3);
    EXPECT_LT(second, first * 1e-2);
    EXPECT_LT(state.S[2][5], 2.0) << "ammonium is nitrified";
    EXPECT_EQ(ConvergenceMonitor::Text(0.5), "Chi-square:      0.500");
}

TEST(ConvergenceMonitor, ZeroCurrentConcentrationsAreLeftOut)
{
    TModelDef model = testing::MakeInertModel();
    TPlantDef plant = testing::MakeCascade(1, 0, 0.0);
    TPlantState state;
    ApplyModelInitialConditions(model, state);
    ConvergenceMonitor monitor;
    monitor.snapshot(model, plant, state);
    state.S[1][1] = 0.0;  // left out
    state.S[1][2] = 50.0; // (100 - 50) / 50 = 1
    EXPECT_DOUBLE_EQ(monitor.chiSquare(model, plant, state), 1.0 / 5.0);
    EXPECT_EQ(monitor.chiSquare(model, plant, state), 0.0);
}

} // namespace
} // namespace narv

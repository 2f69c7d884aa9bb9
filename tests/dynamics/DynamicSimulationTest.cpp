#include "dynamics/DynamicSimulation.h"

#include "FakeRunControl.h"
#include "SampleModels.h"
#include "SolverCases.h"
#include "core/Error.h"
#include "plant/ModelSetup.h"
#include "results/Recording.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>

namespace narv {
namespace {

// Stops when a condition on the running simulation holds.
class StopWhen : public RunControl {
public:
    explicit StopWhen(std::function<bool()> condition) : m_condition(std::move(condition)) {}
    bool stopRequested() override { return m_condition(); }

private:
    std::function<bool()> m_condition;
};

struct Dynamic : ::testing::Test {
    Dynamic() : model(testing::MakeInertModel()), plant(testing::MakeCascade(2, 1, 10.0))
    {
        settings = SimSettingsForMissingKeys();
        plant.Kla[1] = 10.0;
        plant.O2Saturation = 9.0;
        ApplyModelInitialConditions(model, state);
        ResetVariation(variation, model, plant);
    }
    RunOutcome run(int cycles, bool all)
    {
        RunControl control;
        DynamicSimulation simulation(model, plant, state, variation, settings, results);
        return simulation.run(control, cycles, all);
    }
    const std::vector<ResultPoint>& points(int series) const
    {
        return results.Series[series]->Points;
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TVariationDef variation;
    TSimSettings settings;
    TResultSet results;
};

TEST_F(Dynamic, OneCycleRecordsTheInitialPointAndEveryOutputStep)
{
    run(1, false);
    ASSERT_EQ(static_cast<int>(results.Series.size()), RecordedQuantityCount(model, plant));
    EXPECT_EQ(points(0).size(), 289u);
    EXPECT_EQ(points(0).front().x, 0.0);
    EXPECT_NEAR(points(0).back().x, 24.0, 1e-9);
    EXPECT_NEAR(state.Time, 1.0, 1e-9);
}

TEST_F(Dynamic, OnlyTheLastCycleIsShownByDefault)
{
    run(3, false);
    EXPECT_EQ(points(3).size(), 289u);
    EXPECT_EQ(points(3).front().x, 0.0);
    EXPECT_NEAR(points(3).back().x, 24.0, 1e-9);
    EXPECT_NEAR(state.Time, 3.0, 1e-9);
}

TEST_F(Dynamic, AllCyclesRunOnWithoutARepeatedPoint)
{
    run(2, true);
    const auto& p = points(1);
    ASSERT_EQ(p.size(), 289u + 288u);
    EXPECT_NEAR(p[288].x, 24.0, 1e-9);
    EXPECT_NEAR(p[289].x, 24.0 + 1.0 / 12.0, 1e-9);
    EXPECT_NEAR(p.back().x, 48.0, 1e-9);
    EXPECT_NEAR(points(0)[289].y, 1.0 / 12.0, 1e-6) << "series 0 holds the time within the cycle";
}

TEST_F(Dynamic, StopAtStepHundredOfTheLastCycleKeepsHundredAndOnePoints)
{
    DynamicSimulation simulation(model, plant, state, variation, settings, results);
    StopWhen control(
        [&] { return simulation.currentCycle() == 2 && simulation.stepCounter() >= 100; });
    const RunOutcome outcome = simulation.run(control, 3, false);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(points(1).size(), 101u);
}

TEST_F(Dynamic, StopBeforeTheFirstRecordingLeavesNoSeries)
{
    DynamicSimulation simulation(model, plant, state, variation, settings, results);
    StopWhen control([&] { return simulation.stepCounter() >= 3; });
    simulation.run(control, 3, false);
    EXPECT_TRUE(results.Series.empty());
}

TEST_F(Dynamic, VariationStepsChangeTheFlowsOnTime)
{
    // 12 steps of two hours: the flow of step i is i.
    for (int i = 1; i <= 12; ++i)
        variation.Values[0][i] = i;
    run(1, false);
    const auto& flow = points(1);
    EXPECT_EQ(flow[0].y, 10.0) << "the initial point has the plant's own flow";
    EXPECT_EQ(flow[24].y, 10.0) << "at 2 h the first step is still in force";
    EXPECT_EQ(flow[25].y, 20.0);
    EXPECT_EQ(flow[288].y, 120.0);
    EXPECT_EQ(plant.InfluentFlow, 10.0) << "restored";
}

TEST_F(Dynamic, InputsAreRestoredAfterControlLoopsAndTemperature)
{
    plant.ControlLoopsActive = true;
    TControlLoopDef& loop = plant.ControlLoops[1];
    loop.Active = true;
    loop.ErwartetY = 42.0;
    loop.Steigung = 0.0;
    TControlLoopDef& kla = plant.ControlLoops[5];
    kla.Active = true;
    kla.ErwartetY = 77.0;
    kla.Steigung = 0.0;
    plant.ReturnFlow = 5.0;
    variation.Values[VariationTemperatureRow(model)][3] = -5.0;
    const double rate = model.KrT[1];
    run(1, false);
    EXPECT_EQ(points(2)[100].y, 42.0) << "the loop acted during the run";
    EXPECT_EQ(plant.ReturnFlow, 5.0);
    EXPECT_EQ(plant.Kla[1], 10.0);
    EXPECT_EQ(plant.OperatingTemperature, 20.0);
    EXPECT_EQ(model.KrT[1], rate);
    EXPECT_EQ(plant.O2Setpoint[1], 0.0);
}

TEST_F(Dynamic, RefusesWhatCannotRun)
{
    variation.CycleDuration = 0.0;
    EXPECT_THROW(run(1, false), SimulationError);
    variation.CycleDuration = 1.0;
    EXPECT_THROW(run(0, false), RangeError);
    EXPECT_THROW(run(366, false), RangeError);
    plant.PlantType = TFlowschemeType::ftSBR;
    EXPECT_THROW(run(1, false), SimulationError);
}

TEST(RunStart, DateTimeTexts)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 9;
    t.tm_hour = 8;
    t.tm_min = 5;
    t.tm_sec = 3;
    TResultSet results;
    SetRunStart(results, t);
    EXPECT_EQ(results.RunStart, "09.12.2026 08:05:03");
    EXPECT_EQ(results.RunId, " 20261209080503");
    EXPECT_EQ(DynamicEndTimeText(3, 1.0), "  3.000");
}

} // namespace
} // namespace narv

#include "special/SbrSimulation.h"

#include "FakeRunControl.h"
#include "SampleModels.h"
#include "SolverCases.h"
#include "core/Error.h"
#include "plant/ModelSetup.h"
#include "results/Recording.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace narv {
namespace {

using ::testing::HasSubstr;

// Series indexes of the SBR recording for a model of nS, nX species.
struct SbrSeries {
    int nS, nX;
    int volume() const { return 2; }
    int reactorS(int j) const { return 4 + nS + nX + j; }
    int reactorX(int j) const { return 4 + 2 * nS + nX + j; }
};

// An SBR plant of the inert model (transport only, no conversion): oxygen, a tracer and salt,
// solids and sand.
struct Sbr : ::testing::Test {
    Sbr() : model(testing::MakeInertModel())
    {
        SetUpSbrPlant(plant);
        plant.O2Saturation = 9.0;
        ApplyModelInitialConditions(model, state);
        for (int j = 1; j <= model.NS; ++j) {
            state.S[1][j] = 10.0;
            model.InfluentS[j] = 100.0;
            plant.SIn2[j] = 40.0;
        }
        for (int j = 1; j <= model.NX; ++j) {
            state.X[1][j] = 1000.0;
            model.InfluentX[j] = 50.0;
            plant.XIn2[j] = 20.0;
        }
        cycle.InitialVolume = 100.0;
    }
    SbrSimulation simulation() { return SbrSimulation(model, plant, state, cycle, results); }
    const std::vector<ResultPoint>& points(int index) const
    {
        return results.Series[static_cast<std::size_t>(index)]->Points;
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TSbrCycle cycle;
    TResultSet results;
    RunControl control;
    SbrSeries series{3, 2};
};

TEST_F(Sbr, InstantFillMixesTheInfluentIn)
{
    cycle.Periods[1].Influent1Volume = 50.0;
    cycle.Periods[1].Influent2Volume = 50.0;
    SbrSimulation sim = simulation();
    sim.runState().volume = 100.0;
    sim.ExchangeInstantly(1);
    EXPECT_EQ(sim.runState().volume, 200.0);
    EXPECT_DOUBLE_EQ(state.S[1][2], (10.0 * 100 + 100.0 * 50 + 40.0 * 50) / 200.0);
    EXPECT_DOUBLE_EQ(state.X[1][1], (1000.0 * 100 + 50.0 * 50 + 20.0 * 50) / 200.0);
    EXPECT_EQ(sim.runState().time, 0.0);
}

TEST_F(Sbr, InstantSupernatantDrawConcentratesOnlyParticulates)
{
    cycle.Periods[1].SupernatantVolume = 20.0;
    SbrSimulation sim = simulation();
    sim.runState().volume = 100.0;
    sim.ExchangeInstantly(1);
    EXPECT_EQ(sim.runState().volume, 80.0);
    EXPECT_DOUBLE_EQ(state.S[1][2], 10.0);
    EXPECT_DOUBLE_EQ(state.X[1][1], 1000.0 * 100.0 / 80.0);
    // A mixed-liquor draw keeps every concentration.
    cycle.Periods[2].MixedLiquorVolume = 40.0;
    sim.ExchangeInstantly(2);
    EXPECT_EQ(sim.runState().volume, 40.0);
    EXPECT_DOUBLE_EQ(state.X[1][1], 1250.0);
}

TEST_F(Sbr, EmptyPeriodChangesNothing)
{
    SbrSimulation sim = simulation();
    sim.runState().volume = 100.0;
    const TPlantState before = state;
    sim.ExchangeInstantly(3);
    EXPECT_EQ(sim.runState().volume, 100.0);
    EXPECT_TRUE(state.S == before.S && state.X == before.X);
}

TEST_F(Sbr, FixedOxygenPeriodHoldsExactlyTwo)
{
    cycle.Periods[1].Timeslices = 12;
    cycle.Periods[1].AerationMode = TSbrAerationMode::FixedO2;
    cycle.Periods[1].FixedO2 = 2.0;
    cycle.Periods[1].FixedKla = 0.0;
    cycle.Periods[1].Influent1Volume = 20.0;
    cycle.Periods[2].Timeslices = 12;
    cycle.Periods[2].SupernatantVolume = 20.0;
    cycle.Periods[2].FixedKla = 10.0;
    simulation().run(control, 1, false);
    const auto& oxygen = points(series.reactorS(1));
    ASSERT_EQ(oxygen.size(), 25u);
    for (std::size_t i = 1; i <= 12; ++i)
        EXPECT_EQ(oxygen[i].y, 2.0) << i;
    EXPECT_GT(oxygen[13].y, 2.0); // aerated by kla afterwards
}

TEST_F(Sbr, AerationModes)
{
    SbrSimulation sim = simulation();
    TSbrPeriod& prop = cycle.Periods[1];
    prop.AerationMode = TSbrAerationMode::Proportional;
    prop.SignalSpecies = 2;
    prop.SignalValue = 5.0;
    prop.Setpoint = 100.0;
    prop.Slope = -20.0;
    state.S[1][2] = 8.0;
    sim.UpdateSbrAeration(1);
    EXPECT_EQ(sim.runState().kla, 40.0);
    state.S[1][2] = 11.0; // 100 - 120 < 0
    sim.UpdateSbrAeration(1);
    EXPECT_EQ(sim.runState().kla, 0.0);

    TSbrPeriod& onOff = cycle.Periods[2];
    onOff.AerationMode = TSbrAerationMode::OnOff;
    onOff.UpperThreshold = 2.0;
    onOff.LowerThreshold = 1.0;
    onOff.ValueAbove = 0.0;
    onOff.ValueBelow = 10.0;
    sim.runState().kla = 5.0;
    const auto klaAt = [&](double oxygen) {
        state.S[1][1] = oxygen;
        sim.UpdateSbrAeration(2);
        return sim.runState().kla;
    };
    EXPECT_EQ(klaAt(1.5), 5.0);
    EXPECT_EQ(klaAt(2.5), 0.0);
    EXPECT_EQ(klaAt(1.5), 0.0);
    EXPECT_EQ(klaAt(0.5), 10.0);
    EXPECT_EQ(klaAt(1.5), 10.0);

    cycle.Periods[3].AerationMode = TSbrAerationMode::FixedKla;
    sim.UpdateSbrAeration(3);
    EXPECT_EQ(sim.runState().kla, 10.0);
}

TEST_F(Sbr, OnOffPeriodStartsEveryTimesliceFromTheFixedKla)
{
    TSbrPeriod& p = cycle.Periods[1];
    p.Timeslices = 30;
    p.AerationMode = TSbrAerationMode::OnOff;
    p.FixedKla = 3.0;
    p.UpperThreshold = 2.0;
    p.LowerThreshold = 1.0;
    p.ValueAbove = 0.0;
    p.ValueBelow = 10.0;
    state.S[1][1] = 1.5;
    simulation().run(control, 1, false);
    // Oxygen rises from 1.5 with kla 3 towards 9: past 2 the kla drops to 0 within the
    // timeslice, and every timeslice starts again with 3.
    const auto& kla = points(4 + 2 * 3 + 2 * 2 + 0 + 2);
    EXPECT_EQ(results.Series[static_cast<std::size_t>(4 + 2 * 3 + 2 * 2 + 0 + 2)]->Title,
              "R 1: kla value");
    EXPECT_EQ(kla[0].y, 0.0); // before the first timeslice: none set
    EXPECT_EQ(kla[1].y, 3.0);
    EXPECT_EQ(kla.back().y, 0.0);
    const auto& oxygen = points(series.reactorS(1));
    EXPECT_GT(oxygen.back().y, 2.0);
    EXPECT_LT(oxygen.back().y, 2.1);
}

// The volume error that the 0.00005 d floor of the step allows at the ends of the timed periods:
// each period may start and end that much late.
double stepFloorVolumeError(const TSbrCycle& cycle)
{
    double error = 0.0;
    for (const TSbrPeriod& p : cycle.Periods) {
        if (p.Timeslices == 0)
            continue;
        const double duration = cycle.TimesliceLength / 1440.0 * p.Timeslices;
        const double net =
            p.Influent1Volume + p.Influent2Volume - p.SupernatantVolume - p.MixedLiquorVolume;
        error += 2.0 * kSbrMinimumStep * std::fabs(net) / duration;
    }
    return error;
}

TEST_F(Sbr, BalancedCycleEndsAtItsInitialVolume)
{
    cycle.Periods[1].Timeslices = 70;
    cycle.Periods[1].Influent1Volume = 33.0;
    cycle.Periods[2].Influent2Volume = 17.0; // instant fill
    cycle.Periods[3].Timeslices = 110;
    cycle.Periods[3].SupernatantVolume = 29.0;
    cycle.Periods[4].Timeslices = 50;
    cycle.Periods[4].MixedLiquorVolume = 21.0;
    SbrSimulation sim = simulation();
    sim.run(control, 2, true);
    const double tolerance = stepFloorVolumeError(cycle);
    EXPECT_LT(tolerance, 0.05);
    EXPECT_NEAR(sim.runState().volume, 100.0, tolerance);
    const auto& volume = points(series.volume());
    ASSERT_EQ(volume.size(), 2u * 231u);
    EXPECT_NEAR(volume[230].y, 100.0, tolerance);
    EXPECT_NEAR(volume[70].y, 133.0, tolerance);
    EXPECT_EQ(volume[231].y, 100.0); // every cycle starts at the initial volume
    // The supernatant leaves the particulate mass in the tank.
    const auto& solids = points(series.reactorX(1));
    EXPECT_NEAR(solids[180].y * volume[180].y, solids[71].y * volume[71].y,
                1e-3 * solids[71].y * volume[71].y);
}

TEST_F(Sbr, SamplesAndXPositions)
{
    cycle.TimesliceLength = 10;
    cycle.Periods[2].Timeslices = 6;
    cycle.Periods[5].Timeslices = 3; // cycle of 90 minutes = 1.5 hours
    cycle.Periods[5].Influent1Volume = 9.0;
    cycle.Periods[5].SupernatantVolume = 9.0;
    SbrSimulation sim = simulation();
    sim.run(control, 3, false);
    EXPECT_EQ(static_cast<int>(results.Series.size()), RecordedQuantityCount(model, plant));
    EXPECT_EQ(results.Series[1]->Title, "1.influent [m3/d]");
    const auto& time = points(0);
    ASSERT_EQ(time.size(), 10u);
    EXPECT_EQ(time.front().x, 0.0);
    EXPECT_DOUBLE_EQ(time.back().x, 1.5);
    EXPECT_FLOAT_EQ(static_cast<float>(time[7].y), static_cast<float>(7.0 * 10.0 / 60.0));
    // Period 5: 9 m3 over 30 minutes is 432 m3/d.
    EXPECT_FLOAT_EQ(static_cast<float>(points(1).back().y), 432.0f);
    EXPECT_EQ(points(1).front().y, 0.0); // period 1 has no timeslices
    EXPECT_NEAR(sim.runState().time, 3 * 1.5 / 24.0, kSbrMinimumStep);
    EXPECT_EQ(sim.runState().endTimeText, " 0.188");

    sim.run(control, 5, true);
    const auto& all = points(0);
    ASSERT_EQ(all.size(), 50u);
    EXPECT_DOUBLE_EQ(all[40].x, 4 * (9.0 / 1440.0 * 10.0) * 24.0);
    EXPECT_EQ(all[40].y, 0.0);
    EXPECT_DOUBLE_EQ(all[49].x, 5 * 1.5);
}

TEST_F(Sbr, CycleWithoutTimeslicesAppliesOnlyItsExchanges)
{
    cycle.Periods[1].Influent1Volume = 10.0;
    cycle.Periods[2].SupernatantVolume = 10.0;
    testing::FakeRunControl fake;
    SbrSimulation sim = simulation();
    sim.run(fake, 4, true);
    EXPECT_EQ(sim.runState().endTimeText, " 0.000");
    EXPECT_EQ(points(0).size(), 4u);
    EXPECT_EQ(points(0)[3].x, 0.0);
    EXPECT_TRUE(fake.texts.empty());
    EXPECT_EQ(sim.runState().volume, 100.0);
    EXPECT_GT(state.S[1][2], 10.0);
}

TEST_F(Sbr, ProgressAndStop)
{
    cycle.Periods[1].Timeslices = 6;
    cycle.Periods[1].FixedKla = 50.0;
    testing::FakeRunControl fake(5);
    SbrSimulation sim = simulation();
    const RunOutcome outcome = sim.run(fake, 2, true);
    EXPECT_TRUE(outcome.stopped);
    ASSERT_FALSE(fake.texts.empty());
    EXPECT_EQ(fake.texts.front(), "Integration stands at  0.003 of  0.042");
    // The sample of the timeslice in which the stop came is still recorded.
    EXPECT_EQ(points(0).size(), 1u + fake.texts.size());
    EXPECT_LT(sim.runState().timesliceCounter, 6);
}

TEST_F(Sbr, RunsLongerThan65535TimeslicesWork)
{
    cycle.TimesliceLength = 1;
    cycle.Periods[1].Timeslices = 288;
    SbrSimulation sim = simulation();
    sim.run(control, 228, false);
    EXPECT_EQ(sim.runState().timesliceCounter, 228 * 288);
    EXPECT_NEAR(sim.runState().time, 228 * 288 / 1440.0, 1e-6);
    EXPECT_EQ(points(0).size(), 289u);
}

TEST_F(Sbr, UnrunnableCyclesAreRefusedBeforeAnythingChanges)
{
    const TPlantState before = state;
    const auto expectRefused = [&](const std::string& text) {
        SbrSimulation sim = simulation();
        try {
            sim.run(control, 1, false);
            ADD_FAILURE() << "ran: " << text;
        } catch (const SimulationError& e) {
            EXPECT_THAT(e.what(), HasSubstr(text));
        }
        EXPECT_TRUE(state.S == before.S && state.X == before.X);
        EXPECT_TRUE(results.Series.empty());
    };
    cycle.Periods[1].Timeslices = 3;
    cycle.TimesliceLength = 0;
    expectRefused("last 0 minutes");
    cycle.TimesliceLength = 5;
    cycle.Periods[2].MixedLiquorVolume = 100.0; // drains the tank of 100 m3
    expectRefused("runs empty in period 2");
    cycle.Periods[1].Influent1Volume = 60.0;
    cycle.InitialVolume = 0.0;
    expectRefused("must exceed 40.00 m3");
    cycle.InitialVolume = 50.0;
    cycle.Accuracy = 0.0;
    expectRefused("accuracy");
    cycle.Accuracy = 0.001;
    cycle.Periods[1].AerationMode = TSbrAerationMode::OnOff;
    cycle.Periods[1].SignalSpecies = 4;
    expectRefused("species 4");
}

TEST_F(Sbr, ATankThatStillRunsEmptyStopsWithAnError)
{
    // Drawn in steps of at least 0.00005 d, a volume that should end at 1e-4 m3 overshoots.
    cycle.InitialVolume = 100.0001;
    cycle.Periods[1].Timeslices = 1;
    cycle.Periods[1].MixedLiquorVolume = 100.0;
    cycle.Accuracy = 0.02;
    SbrSimulation sim = simulation();
    try {
        sim.run(control, 1, false);
        ADD_FAILURE() << "the tank did not run empty";
    } catch (const SimulationError& e) {
        EXPECT_THAT(e.what(), HasSubstr("runs empty"));
    }
    EXPECT_TRUE(std::isfinite(sim.runState().volume));
    EXPECT_GT(sim.runState().volume, 0.0);
    for (int j = 1; j <= model.NX; ++j)
        EXPECT_TRUE(std::isfinite(state.X[1][j]));
}

TEST(SbrConversion, GrowthConsumesSubstrateAndOxygen)
{
    TModelDef model = testing::MakeCarbonNitrogenModel();
    TPlantDef plant;
    TPlantState state;
    SetUpSbrPlant(plant);
    plant.SIn2 = model.InfluentS;
    plant.XIn2 = model.InfluentX;
    testing::FillTypicalState(state.S[1], state.X[1]);
    TSbrCycle cycle;
    cycle.InitialVolume = 1000.0;
    cycle.Periods[1].Timeslices = 24;
    cycle.Periods[1].Influent1Volume = 300.0;
    cycle.Periods[2].Timeslices = 72;
    cycle.Periods[2].FixedKla = 200.0;
    cycle.Periods[3].Timeslices = 12;
    cycle.Periods[3].SupernatantVolume = 300.0;
    TResultSet results;
    RunControl control;
    SbrSimulation sim(model, plant, state, cycle, results);
    sim.run(control, 2, false);
    EXPECT_NEAR(sim.runState().volume, 1000.0, stepFloorVolumeError(cycle));
    for (const auto& s : results.Series)
        for (const ResultPoint& point : s->Points)
            ASSERT_TRUE(std::isfinite(point.y)) << s->Title;
    const int uptake = 4 + 2 * model.NS + 2 * model.NX + (model.NP - 1) + 1;
    EXPECT_EQ(results.Series[static_cast<std::size_t>(uptake)]->Title, "R 1: reactionrates O2");
    EXPECT_GT(results.Series[static_cast<std::size_t>(uptake)]->Points[40].y, 0.0);
}

} // namespace
} // namespace narv

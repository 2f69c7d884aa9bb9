#include "special/AIAccurateIntegrator.h"
#include "special/AIDynamicSimulation.h"
#include "special/AIIntegrator.h"

#include "SampleModels.h"
#include "SolverCases.h"
#include "core/Error.h"
#include "plant/ControlLoops.h"
#include "plant/ModelSetup.h"
#include "results/Recording.h"
#include "solvers/Integrator.h"

#include <gtest/gtest.h>

#include <cmath>


namespace narv {
namespace {

// An A/I plant of the inert model (transport and aeration only): P polyvalent reactors, two
// lanes of A compartments, B post-aeration reactors, one clarifier compartment.
struct AIPlantCase : ::testing::Test {
    void build(int P, int A, int B)
    {
        model = testing::MakeInertModel();
        plant = testing::MakeCascade(P + 2 * A + B, 1, 100.0);
        plant.PlantType = TFlowschemeType::ftAI;
        plant.ReturnFlow = 50.0;
        plant.SludgeSeparation = true;
        plant.O2Saturation = 9.0;
        ai.PolyvalentCount = P;
        ai.LaneCompartmentCount = A;
        ai.PostAerationCount = B;
        BuildLaneUpstream(ai, plant.CompartmentCount);
        for (int c = 1; c <= MaxCompartments; ++c) {
            state.S[c][1] = 4.0;
            state.S[c][2] = 7.0;
            state.S[c][3] = 7.0;
            state.X[c][1] = 500.0;
            state.X[c][2] = 500.0;
        }
        model.InfluentS[1] = 0.0;
        model.InfluentS[2] = 100.0;
        model.InfluentS[3] = 20.0;
        model.InfluentX[1] = 50.0;
        model.InfluentX[2] = 0.0;
        ResetVariation(variation, model, plant);
        settings = SimSettingsForMissingKeys();
    }
    int laneFedSeries() const { return RecordedQuantityCount(model, plant) - 1; }
    const std::vector<ResultPoint>& points(int index) const
    {
        return results.Series[static_cast<std::size_t>(index)]->Points;
    }
    RunOutcome run(int cycles, bool all)
    {
        AIDynamicSimulation simulation(model, plant, state, ai, variation, lanes, settings,
                                       results);
        return simulation.run(control, cycles, all);
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TAIPlant ai;
    TVariationDef variation;
    TAIVariation lanes;
    TSimSettings settings;
    TResultSet results;
    RunControl control;
};

TEST_F(AIPlantCase, TheLaneNotFedOnlyReactsAndIsAerated)
{
    build(1, 2, 1);
    plant.Kla[4] = 20.0; // a lane-2 compartment, aerated
    run(1, false);
    // Lane 2 (compartments 4 and 5) received nothing: its content is where it started.
    for (int c : {4, 5}) {
        EXPECT_EQ(state.S[c][2], 7.0) << c;
        EXPECT_EQ(state.S[c][3], 7.0) << c;
        EXPECT_EQ(state.X[c][1], 500.0) << c;
    }
    EXPECT_NEAR(state.S[4][1], 9.0, 1e-3); // aerated towards saturation
    EXPECT_EQ(state.S[5][1], 4.0);
    // The flow went through lane 1 into the post-aeration reactor and the clarifier.
    EXPECT_GT(state.S[3][2], 15.0);
    EXPECT_GT(state.S[6][2], 10.0);
    EXPECT_GT(state.S[7][2], 7.5);
    EXPECT_EQ(static_cast<int>(results.Series.size()), RecordedQuantityCount(model, plant));
    EXPECT_EQ(results.Series.back()->Title, "Lane fed");
    for (const ResultPoint& point : points(laneFedSeries()))
        ASSERT_EQ(point.y, 1.0);
}

TEST_F(AIPlantCase, TheSeriesFollowsTheLanesOfTheVariation)
{
    build(1, 1, 1);
    variation.PointCount = 4;
    lanes.LaneFed[1] = 1;
    lanes.LaneFed[2] = 2;
    lanes.LaneFed[3] = 1;
    lanes.LaneFed[4] = 2;
    run(1, false);
    const auto& lane = points(laneFedSeries());
    ASSERT_EQ(lane.size(), 289u);
    EXPECT_EQ(lane[0].y, 1.0);
    for (std::size_t n = 1; n <= 288; ++n)
        ASSERT_EQ(lane[n].y, ((n - 1) / 72) % 2 == 0 ? 1.0 : 2.0) << n;
    // Both lanes received flow in turn.
    EXPECT_GT(state.S[2][2], 7.0);
    EXPECT_GT(state.S[3][2], 7.0);
}

TEST_F(AIPlantCase, RecirculationFromPostAerationPassesOnlyTheLaneFed)
{
    build(2, 1, 1);
    plant.InfluentFlow = 0.0;
    plant.ReturnFlow = 0.0;
    plant.SludgeSeparation = false;
    plant.RecircActive = true;
    plant.RecircFlow = 100.0;
    plant.RecircFrom = 5;
    plant.RecircTo = 1;
    state.S[5][2] = 50.0;
    FlowRatioTable ratios;
    FlowRatios(plant, ratios);
    ComputeConversionRates(model, plant, state, 1);
    const auto derivative = [&](int lane, int c) {
        return DissolvedDerivative(model, plant, state, ratios, ai.LaneUpstream[lane], c, 2);
    };
    EXPECT_EQ(derivative(1, 1), 1.0 * (50.0 - 7.0));
    EXPECT_EQ(derivative(1, 4), 0.0); // lane 2 while lane 1 is fed
    EXPECT_EQ(derivative(2, 3), 0.0); // lane 1 while lane 2 is fed
    state.S[4][2] = 30.0;
    EXPECT_EQ(derivative(2, 5), 1.0 * (30.0 - 50.0)); // from the last lane-2 compartment
    EXPECT_EQ(derivative(1, 5), 1.0 * (7.0 - 50.0));
}

// An on/off loop that sets its quantity to value whatever the signal.
TControlLoopDef always(double value)
{
    TControlLoopDef loop;
    loop.Active = true;
    loop.OnOff = true;
    loop.ErwartetX = -1.0;
    loop.ErwartetY = -2.0;
    loop.Stellung2 = value;
    return loop;
}

// One compartment per part with the lane loops on. The polyvalent reactor passes on water with
// little oxygen; the lane-2 compartment is aerated while lane 1 is fed and switches the lane
// when its oxygen passes 2; fed itself, unaerated, it runs down and switches back below 0.5.
void buildSwitchingLanes(AIPlantCase& c)
{
    c.build(1, 1, 1);
    c.plant.ControlLoopsActive = true;
    c.plant.O2Setpoint[1] = 0.1;
    c.state.S[3][1] = 0.0;
    c.ai.LaneLoops[1][kFirstKlaLoop + 2] = always(2.0);
    c.ai.LaneLoops[2][kFirstKlaLoop + 2] = always(0.0);
    TControlLoopDef& toLane2 = c.ai.LaneLoops[1][kLaneLoopEntry];
    toLane2.Active = true;
    toLane2.Signal = 3; // oxygen
    toLane2.Compartment = 3;
    toLane2.ErwartetX = 2.0;
    toLane2.ErwartetY = 0.0;
    TControlLoopDef& toLane1 = c.ai.LaneLoops[2][kLaneLoopEntry];
    toLane1.Active = true;
    toLane1.Signal = 3;
    toLane1.Compartment = 3;
    toLane1.ErwartetX = 1e9;
    toLane1.ErwartetY = 0.5;
}

TEST_F(AIPlantCase, LaneLoopsSwitchBothWays)
{
    buildSwitchingLanes(*this);
    lanes.LaneFed.fill(2); // not used while a lane loop is active, except to start
    lanes.LaneFed[1] = 1;
    run(2, true);
    const auto& lane = points(laneFedSeries());
    const auto& oxygen = points(5 + 3 + 2 + 2 * (3 + 2 + 1 + 1));
    EXPECT_EQ(results.Series[static_cast<std::size_t>(5 + 3 + 2 + 2 * 7)]->Title,
              "R 3: S Oxygen O2");
    const auto firstAfter = [&](std::size_t from, double value) {
        for (std::size_t n = from; n < lane.size(); ++n)
            if (lane[n].y == value)
                return n;
        return lane.size();
    };
    EXPECT_EQ(lane.front().y, 1.0);
    // Aerated with kla 2 from 0 towards 9, the oxygen passes 2 after ln(9/7)/2 d = 3.0 h.
    const std::size_t toTwo = firstAfter(0, 2.0);
    ASSERT_LT(toTwo, lane.size());
    EXPECT_NEAR(lane[toTwo].x, 3.0, 0.2);
    EXPECT_GT(oxygen[toTwo].y, 2.0);
    // Diluted by influent and return sludge (1.5/d) with water of 0.1, it falls to 0.5 after
    // ln(1.9/0.4)/1.5 d = 24.9 h; the rest of that output step aerates it again.
    const std::size_t toOne = firstAfter(toTwo, 1.0);
    ASSERT_LT(toOne, lane.size());
    EXPECT_NEAR(lane[toOne].x - lane[toTwo].x, 24.9, 0.5);
    EXPECT_NEAR(oxygen[toOne - 1].y, 0.5, 0.01);
    EXPECT_LT(oxygen[toOne].y, 0.5 + 8.5 * 2.0 / 288.0);
    // Aerated again from 0.5: 2 is passed after ln(8.5/7)/2 d = 2.3 h.
    const std::size_t again = firstAfter(toOne, 2.0);
    ASSERT_LT(again, lane.size());
    EXPECT_NEAR(lane[again].x - lane[toOne].x, 2.3, 0.2);
}

// The accurate integrator locates where the lane loop's signal leaves its band: the lane
// switches there, not at the end of the internal step in which the signal passed.
TEST_F(AIPlantCase, AccurateIntegratorSwitchesTheLaneAtTheLocatedCrossing)
{
    buildSwitchingLanes(*this);
    settings.Solver = IntegratorChoice::Cvode;
    int laneFed = 1;
    AIAccurateIntegrator integrator(model, plant, state, ai, settings, laneFed);
    CompartmentArray neutral;
    neutral.fill(1.0);
    // Not fed and aerated with kla 2 towards 9, the oxygen of compartment 3 passes 2 here [d].
    const double crossing = std::log(9.0 / 7.0) / 2.0;
    const double end = crossing + 0.2;
    integrator.integrate(control, false, 0, neutral, 0.0, end, "1");
    EXPECT_EQ(laneFed, 2);
    EXPECT_EQ(integrator.accurate().switches(), 1);
    // Fed since the switch with the water of compartment 1 (oxygen 0.1) at 1.5/d and no
    // longer aerated: the oxygen reached tells when the lane switched.
    const double switched = end + std::log((state.S[3][1] - 0.1) / 1.9) / 1.5;
    EXPECT_NEAR(switched, crossing, 1e-5);
}

TEST_F(AIPlantCase, ApplyingTheLaneLoopsUsesTheTableOfTheLaneFed)
{
    build(1, 1, 1);
    TControlLoopDef& kla = ai.LaneLoops[2][kFirstKlaLoop + 1];
    kla.Active = true;
    kla.OnOff = true;
    kla.Signal = 3;
    kla.Compartment = 2;
    kla.ErwartetX = 1.0;
    kla.ErwartetY = 0.5;
    kla.Stellung2 = 33.0;
    ai.LaneLoops[1][kLaneLoopEntry].Active = true; // default thresholds: always switches
    ai.LaneLoops[2][kLaneLoopEntry].Active = true;
    const ControlLoopTable standard = plant.ControlLoops;
    CompartmentArray relative;
    relative.fill(1.0);
    int laneFed = 1;
    ApplyLaneControlLoops(model, plant, state, ai, 0, relative, laneFed);
    EXPECT_EQ(laneFed, 2);
    EXPECT_EQ(plant.Kla[2], 0.0); // the lane-1 table has no kla loop
    ApplyLaneControlLoops(model, plant, state, ai, 0, relative, laneFed);
    EXPECT_EQ(laneFed, 1);
    EXPECT_EQ(plant.Kla[2], 33.0);
    EXPECT_TRUE(ai.LaneLoops[2][kFirstKlaLoop + 1].SwitchedOn);
    for (int k = 1; k <= MaxControlLoops; ++k) {
        EXPECT_EQ(plant.ControlLoops[k].Active, standard[k].Active) << k;
        EXPECT_EQ(plant.ControlLoops[k].SwitchedOn, standard[k].SwitchedOn) << k;
    }
    laneFed = 0;
    EXPECT_THROW(ApplyLaneControlLoops(model, plant, state, ai, 0, relative, laneFed),
                 SimulationError);
}

TEST_F(AIPlantCase, RunsNeverFeedLaneZero)
{
    build(1, 1, 1);
    lanes.LaneFed[7] = 0;
    EXPECT_THROW(run(1, false), SimulationError);
    EXPECT_TRUE(results.Series.empty());
    // With a lane loop the variation's lanes are not used; the run starts with lane 1.
    lanes.LaneFed[1] = 0;
    plant.ControlLoopsActive = true;
    TControlLoopDef& loop = ai.LaneLoops[1][kLaneLoopEntry];
    loop.Active = true;
    loop.ErwartetX = 1e9;
    loop.ErwartetY = -1.0; // never switches
    run(1, false);
    for (const ResultPoint& point : points(laneFedSeries()))
        ASSERT_EQ(point.y, 1.0);
}

TEST_F(AIPlantCase, InputsAreRestoredAndCountsChecked)
{
    build(2, 1, 1);
    plant.ControlLoopsActive = true;
    TControlLoopDef& loop = ai.LaneLoops[1][1]; // return sludge
    loop.Active = true;
    loop.OnOff = true;
    loop.ErwartetX = -1.0;
    loop.Stellung2 = 80.0;
    run(1, false);
    EXPECT_EQ(plant.ReturnFlow, 50.0);
    ai.PostAerationCount = 2;
    EXPECT_THROW(run(1, false), SimulationError);
}

} // namespace
} // namespace narv

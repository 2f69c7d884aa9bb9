#include "plant/ControlLoops.h"

#include "SampleModels.h"
#include "core/Error.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

struct Loops : ::testing::Test {
    Loops()
    {
        model = testing::MakeCarbonNitrogenModel(); // S: O2 1, ..., ammonium 5; X: 6 species
        plant.ReactorCount = 3;
        plant.CompartmentCount = 3;
        ApplyModelInitialConditions(model, state);
        neutral.fill(1.0);
    }
    void apply(int step = 0) { ApplyControlLoops(model, plant, state, step, neutral); }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    CompartmentArray neutral;
};

TEST_F(Loops, DefaultsOfTheTable)
{
    ResetControlLoops(plant.ControlLoops);
    for (int n = 1; n <= MaxControlLoops; ++n) {
        const TControlLoopDef& loop = plant.ControlLoops[n];
        EXPECT_FALSE(loop.Active);
        EXPECT_FALSE(loop.OnOff);
        EXPECT_EQ(loop.ErwartetX, 2.0);
        EXPECT_EQ(loop.ErwartetY, 150.0);
        EXPECT_EQ(loop.Steigung, -200.0);
        EXPECT_EQ(loop.Stellung2, 200.0);
        EXPECT_EQ(loop.Signal, 1);
        EXPECT_EQ(loop.Compartment, n <= 4 ? 1 : n - 4);
    }
    EXPECT_EQ(TPlantDef().ControlLoops[22].Compartment, 18);
    EXPECT_EQ(ControlledQuantityCaption(3), "Dx=Excess sludge");
    EXPECT_EQ(ControlledQuantityCaption(7), "Kla of Reactor 3");
}

TEST_F(Loops, OnOffHysteresisOnARisingAndFallingSignal)
{
    TControlLoopDef& loop = plant.ControlLoops[1];
    loop = {true, true, false, 3.0, 1.0, 5.0, 20.0, 2, 7}; // ammonium of compartment 2
    const double signal[] = {0.0, 1.0, 2.0, 3.0, 3.5, 4.0, 3.0, 2.0, 1.0, 0.5, 0.0, 2.0};
    const double expected[] = {5.0, 5.0, 5.0, 5.0, 20.0, 20.0, 20.0, 20.0, 20.0, 5.0, 5.0, 5.0};
    for (int i = 0; i < 12; ++i) {
        state.S[2][5] = signal[i];
        apply();
        EXPECT_EQ(plant.ReturnFlow, expected[i]) << "signal " << signal[i] << " at " << i;
    }
}

TEST_F(Loops, OnOffOutputOfMinusOneLeavesTheQuantity)
{
    plant.ControlLoops[1] = {true, true, false, 3.0, 1.0, -1.0, 20.0, 2, 7};
    plant.ReturnFlow = 7.0;
    state.S[2][5] = 0.0;
    apply();
    EXPECT_EQ(plant.ReturnFlow, 7.0);
    state.S[2][5] = 4.0;
    apply();
    EXPECT_EQ(plant.ReturnFlow, 20.0);
    state.S[2][5] = 0.5;
    apply();
    EXPECT_EQ(plant.ReturnFlow, 20.0) << "the value the loop set last stays";
}

TEST_F(Loops, OutputsThatNoFlowOrKlaCanHaveStopTheRun)
{
    struct Case {
        int entry;
        bool onOff;
        double low, high; // Steigung, Stellung2 of an on/off loop; slope, offset of an equation
        double signal;
    };
    const Case cases[] = {
        {1, true, -0.5, 20.0, 0.0},  // a return flow of -0.5 m3/d
        {5, true, 10.0, 2e9, 4.0},   // a kla of 2e9 1/d
        {2, false, 1e12, 0.0, 4.0},  // an equation running away
        {4, true, -0.999, 1.0, 0.0}, // just above the "leave as is" output
    };
    const TPlantDef start = plant;
    for (const Case& c : cases) {
        plant = start;
        plant.ControlLoops[c.entry] = {true, c.onOff, false, 3.0, 1.0, c.low, c.high, 2, 7};
        if (!c.onOff)
            plant.ControlLoops[c.entry] = {true, false, false, 0.0, 0.0, c.low, 0.0, 2, 7};
        state.S[2][5] = c.signal;
        EXPECT_THROW(apply(), SimulationError) << c.entry;
    }
    plant = start;
    plant.ControlLoops[3] = {true, true, false, 3.0, 1.0, 0.0, 5e9, 2, 7};
    state.S[2][5] = 4.0;
    apply();
    EXPECT_EQ(plant.ExcessRate, 5e9) << "an excess-sludge rate has no editor limit";
}

TEST_F(Loops, ThresholdsInReverseOrderLetTheLowerTestDecide)
{
    plant.ControlLoops[2] = {true, true, false, 1.0, 3.0, 5.0, 20.0, 2, 7};
    state.S[2][5] = 2.0; // above ErwartetX and below ErwartetY
    apply();
    EXPECT_EQ(plant.RecircFlow, 5.0);
    EXPECT_FALSE(plant.ControlLoops[2].SwitchedOn);
}

TEST_F(Loops, EquationWithItsFloor)
{
    TControlLoopDef& loop = plant.ControlLoops[5]; // kla of compartment 1
    loop.Active = true;
    loop.Signal = 3; // oxygen
    loop.Compartment = 1;
    state.S[1][1] = 3.0;
    apply();
    EXPECT_EQ(plant.Kla[1], 1e-6);
    state.S[1][1] = 1.5;
    apply();
    EXPECT_EQ(plant.Kla[1], 250.0);
}

TEST_F(Loops, ExcessSludgeLoopLeavesTheSludgeAge)
{
    plant.ControlLoops[3] = {true, false, false, 100.0, 0.25, 0.0, 0.0, 1, 1};
    apply();
    EXPECT_EQ(plant.ExcessRate, 0.25);
    EXPECT_EQ(plant.SludgeAge, 6.0);
}

TEST_F(Loops, KlaLoopSwitchesAReactorFromSetpointToKla)
{
    plant.O2Setpoint[2] = 2.0;
    plant.Kla[2] = 0.0;
    TControlLoopDef& loop = plant.ControlLoops[6];
    loop.Active = true;
    loop.Signal = 3;
    state.S[2][1] = 1.5;
    apply();
    EXPECT_EQ(plant.Kla[2], 250.0);
    EXPECT_EQ(plant.O2Setpoint[2], 0.0);
}

TEST_F(Loops, VariationStepWithKlaZeroKeepsAerationOff)
{
    plant.O2Setpoint[1] = 0.0;
    TControlLoopDef& loop = plant.ControlLoops[5];
    loop.Active = true;
    loop.Signal = 3;
    state.S[1][1] = 1.5;
    CompartmentArray relative = neutral;
    relative[1] = 0.0;
    ApplyControlLoops(model, plant, state, 4, relative);
    EXPECT_EQ(plant.Kla[1], 0.0);
    relative[1] = 0.5;
    ApplyControlLoops(model, plant, state, 5, relative);
    EXPECT_EQ(plant.Kla[1], 250.0);
}

TEST_F(Loops, EquationWithoutVariationLeavesTheSetpoint)
{
    // A table of zeros (no variation set up): the loop sets kla, the setpoint stays.
    plant.O2Setpoint[1] = 2.0;
    plant.ControlLoops[5].Active = true;
    plant.ControlLoops[5].Signal = 3;
    state.S[1][1] = 1.5;
    CompartmentArray zeros;
    ApplyControlLoops(model, plant, state, 0, zeros);
    EXPECT_EQ(plant.Kla[1], 250.0);
    EXPECT_EQ(plant.O2Setpoint[1], 2.0);
}

TEST_F(Loops, EntriesBeyondTheCompartmentsAreNotApplied)
{
    plant.ControlLoops[8].Active = true; // kla of compartment 4; the plant has 3
    plant.Kla[4] = 9.0;
    apply();
    EXPECT_EQ(plant.Kla[4], 9.0);
}

TEST_F(Loops, SignalsAndTheirNames)
{
    TControlLoopDef loop;
    plant.InfluentFlow = 42.0;
    EXPECT_EQ(MeasureSignal(model, plant, state, loop), 42.0);
    loop.Signal = 2;
    loop.Compartment = 2;
    EXPECT_EQ(MeasureSignal(model, plant, state, loop), TotalParticulate(model, state, 2));
    loop.Signal = 9 + 3; // particulate species 3
    state.X[2][3] = 17.0;
    EXPECT_EQ(MeasureSignal(model, plant, state, loop), 17.0);
    loop.Signal = 7 + 6 + 3;
    EXPECT_THROW(MeasureSignal(model, plant, state, loop), SimulationError);

    EXPECT_EQ(SignalDisplayName(model, 1, 4), "Influent");
    EXPECT_EQ(SignalDisplayName(model, 2, 4), "Tot.Solids(4)");
    EXPECT_EQ(SignalDisplayName(model, 3, 5), "Oxygen O2(5)");
    EXPECT_EQ(SignalDisplayName(model, 9 + 2, 1), "Slowly deg.COD(1)");
}

TEST_F(Loops, Descriptions)
{
    TControlLoopDef loop;
    loop.Signal = 3;
    loop.Compartment = 5;
    EXPECT_EQ(DescribeControlLoop(model, loop), "=150.000-200.000\u00D7(Oxygen O2(5)-2.000)");
    loop.Steigung = 0.5;
    loop.ErwartetX = 12345.0;
    EXPECT_EQ(DescribeControlLoop(model, loop), "=150.000+0.500\u00D7(Oxygen O2(5)-1.23E+4)");
    loop = {true, true, false, 3.0, 1.0, 5.0, 20.0, 1, 1};
    EXPECT_EQ(DescribeControlLoop(model, loop), "=20.000 if Influent>3.000 and=5.000 if <1.000");
}

TEST_F(Loops, AnyActiveCountsTheReactorsOnly)
{
    plant.ReactorCount = 2;
    plant.CompartmentCount = 4;
    EXPECT_FALSE(AnyControlLoopActive(plant));
    plant.ControlLoops[7].Active = true; // compartment 3, a clarifier compartment
    EXPECT_FALSE(AnyControlLoopActive(plant));
    plant.ControlLoops[6].Active = true;
    EXPECT_TRUE(AnyControlLoopActive(plant));
}

TEST_F(Loops, ChoosingATypeResetsTheLoops)
{
    plant.ControlLoops[1].Active = true;
    ApplyPlantType(TFlowschemeType::ftASR, model, plant, state, false);
    EXPECT_TRUE(plant.ControlLoops[1].Active) << "a loaded plant keeps its loops";
    ApplyPlantType(TFlowschemeType::ftASR, model, plant, state, true);
    EXPECT_FALSE(plant.ControlLoops[1].Active);
}

} // namespace
} // namespace narv

#include "plant/PlantDef.h"

#include "SampleModels.h"
#include "core/Error.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

TEST(FlowschemeType, CodesAndKeywords)
{
    const TFlowschemeType types[] = {TFlowschemeType::ftBatch, TFlowschemeType::ftCSTR,
                                     TFlowschemeType::ftASR, TFlowschemeType::ftSBR,
                                     TFlowschemeType::ftAI};
    const char* keywords[] = {"Batch", "CSTR", "ASR", "SBR", "AI"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(FlowschemeTypeCode(types[i]), i + 1);
        EXPECT_EQ(FlowschemeTypeFromCode(i + 1), types[i]);
        EXPECT_STREQ(FlowschemeKeyword(types[i]), keywords[i]);
        EXPECT_EQ(FlowschemeTypeFromKeyword(keywords[i]), types[i]);
    }
    EXPECT_EQ(FlowschemeTypeFromCode(0), TFlowschemeType::ftUnknown);
    EXPECT_EQ(FlowschemeTypeFromCode(9), TFlowschemeType::ftUnknown);
    EXPECT_STREQ(FlowschemeKeyword(TFlowschemeType::ftUnknown), "Unknown");
    EXPECT_EQ(FlowschemeTypeFromKeyword("asr"), TFlowschemeType::ftUnknown);
}

TEST(PlantDef, StartUpValues)
{
    const TPlantDef plant;
    EXPECT_EQ(plant.ReactorCount, 1);
    EXPECT_EQ(plant.CompartmentCount, 1);
    EXPECT_EQ(plant.Volume[18], 1.0);
    EXPECT_EQ(plant.O2Setpoint[1], 2.0);
    EXPECT_EQ(plant.Kla[1], 0.0);
    EXPECT_EQ(plant.InfluentFlow, 5.0);
    EXPECT_EQ(plant.ReturnFlow, 5.0);
    EXPECT_EQ(plant.RecircFrom, 2);
    EXPECT_EQ(plant.RecircTo, 1);
    EXPECT_EQ(plant.SludgeAge, 6.0);
    EXPECT_EQ(plant.ExcessRate, 1.0 / 6.0);
    EXPECT_EQ(plant.O2Saturation, 10.0);
    EXPECT_TRUE(plant.SludgeSeparation);
    EXPECT_FALSE(plant.RecircActive);
    EXPECT_FALSE(plant.ControlLoopsActive);
    EXPECT_TRUE(plant.Influent2Enabled);
    EXPECT_EQ(plant.SIn2[25], 100.0);
    EXPECT_THROW(plant.Volume[19], IndexError);
    EXPECT_THROW(plant.Volume[0], IndexError);
}

TEST(PlantDef, MinimumSludgeAgeIsTheReactorResidenceTime)
{
    TPlantDef plant;
    plant.ReactorCount = 2;
    plant.CompartmentCount = 3;
    plant.Volume[1] = 100.0;
    plant.Volume[2] = 300.0;
    plant.Volume[3] = 5000.0; // clarifier compartments do not count
    plant.InfluentFlow = 200.0;
    EXPECT_EQ(MinimumSludgeAge(plant), 2.0);
    plant.InfluentFlow = 0.0;
    EXPECT_EQ(MinimumSludgeAge(plant), 0.0);
    plant.InfluentFlow = -1.0;
    EXPECT_EQ(MinimumSludgeAge(plant), 0.0);
}

TEST(PlantDef, ResolveUnknownType)
{
    TPlantDef plant;
    plant.ReturnFlow = 0.0;
    plant.InfluentFlow = 0.0;
    plant.Influent2Flow = 2.0;
    EXPECT_EQ(ResolveUnknownType(plant), TFlowschemeType::ftCSTR);
    plant.Influent2Flow = 0.0;
    EXPECT_EQ(ResolveUnknownType(plant), TFlowschemeType::ftBatch);
    plant.ReturnFlow = 1.0;
    EXPECT_EQ(ResolveUnknownType(plant), TFlowschemeType::ftASR);
}

struct PlantTypes : ::testing::Test {
    PlantTypes()
    {
        model = testing::MakeCarbonNitrogenModel();
        plant.ReactorCount = 3;
        plant.CompartmentCount = 5;
        plant.Influent2Flow = 4.0;
        for (int c = 1; c <= MaxCompartments; ++c)
            state.S[c][1] = -7.0; // marks whether initial conditions were applied
    }
    bool initialConditionsApplied() const { return state.S[18][1] == model.InitialS[1]; }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
};

TEST_F(PlantTypes, BatchClosesThePlant)
{
    ApplyPlantType(TFlowschemeType::ftBatch, model, plant, state, false);
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftBatch);
    EXPECT_EQ(plant.CompartmentCount, 3);
    EXPECT_EQ(plant.InfluentFlow, 0.0);
    EXPECT_EQ(plant.Influent2Flow, 0.0);
    EXPECT_EQ(plant.ReturnFlow, 0.0);
    EXPECT_FALSE(plant.Influent2Enabled);
    EXPECT_FALSE(plant.SludgeSeparation);
}

TEST_F(PlantTypes, CstrKeepsInfluentsWithoutSludgeSeparation)
{
    plant.Influent2Enabled = false;
    ApplyPlantType(TFlowschemeType::ftCSTR, model, plant, state, false);
    EXPECT_EQ(plant.CompartmentCount, 3);
    EXPECT_EQ(plant.InfluentFlow, 5.0);
    EXPECT_EQ(plant.Influent2Flow, 4.0);
    EXPECT_EQ(plant.ReturnFlow, 0.0);
    EXPECT_TRUE(plant.Influent2Enabled);
    EXPECT_FALSE(plant.SludgeSeparation);
}

TEST_F(PlantTypes, AsrKeepsClarifierAndSeparatesSludge)
{
    plant.SludgeSeparation = false;
    ApplyPlantType(TFlowschemeType::ftASR, model, plant, state, false);
    EXPECT_EQ(plant.CompartmentCount, 5);
    EXPECT_TRUE(plant.SludgeSeparation);
}

// A loaded plant keeps the concentrations saved in its file, whatever its type.
TEST_F(PlantTypes, InitialConditionsOnlyWhenChosenFromTheMenu)
{
    for (TFlowschemeType type : {TFlowschemeType::ftBatch, TFlowschemeType::ftCSTR,
                                 TFlowschemeType::ftASR, TFlowschemeType::ftSBR}) {
        SCOPED_TRACE(FlowschemeKeyword(type));
        for (int c = 1; c <= MaxCompartments; ++c)
            state.S[c][1] = -7.0;
        ApplyPlantType(type, model, plant, state, false);
        EXPECT_FALSE(initialConditionsApplied());
        ApplyPlantType(type, model, plant, state, true);
        EXPECT_TRUE(initialConditionsApplied());
    }
}

TEST_F(PlantTypes, SbrIsOneReactorAndUnknownIsResolved)
{
    ApplyPlantType(TFlowschemeType::ftSBR, model, plant, state, false);
    EXPECT_EQ(plant.ReactorCount, 1);
    EXPECT_EQ(plant.CompartmentCount, 1);
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftSBR);

    plant.ReturnFlow = 0.0;
    plant.InfluentFlow = 0.0;
    plant.Influent2Flow = 2.0;
    ApplyPlantType(TFlowschemeType::ftUnknown, model, plant, state, false);
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftCSTR);
}

TEST(PlantState, TotalParticulateOfACompartment)
{
    TModelDef model = testing::MakeCarbonNitrogenModel();
    TPlantState state;
    ApplyModelInitialConditions(model, state);
    EXPECT_EQ(TotalParticulate(model, state, 4), 1000.0 + 100.0 + 2000.0 + 150.0 + 500.0 + 5.0);
    model.NX = 0;
    EXPECT_EQ(TotalParticulate(model, state, 4), 0.0);
}

} // namespace
} // namespace narv

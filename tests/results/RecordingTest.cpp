#include "results/Recording.h"

#include "SampleModels.h"
#include "SolverCases.h"
#include "core/Error.h"
#include "plant/ModelSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <vector>

namespace narv {
namespace {

struct Record : ::testing::Test {
    Record() : model(testing::MakeCarbonNitrogenModel()), plant(testing::MakeCascade(2, 1, 10.0))
    {
        ApplyModelInitialConditions(model, state);
    }
    void record(double cycleTime, bool create, int cycle = 0, bool all = false)
    {
        RecordingTime time;
        time.cycleTime = cycleTime;
        time.cycleDuration = 1.0;
        time.cycle = cycle;
        time.allCycles = all;
        time.createSeries = create;
        RecordResults(results, model, plant, state, time);
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TResultSet results;
};

TEST_F(Record, NumberOfSeriesAndTheirCaptions)
{
    record(0.0, true);
    const int count = 5 + 7 + 6 + 3 * (7 + 6 + 9 + 1) + 2;
    EXPECT_EQ(RecordedQuantityCount(model, plant), count);
    ASSERT_EQ(static_cast<int>(results.Series.size()), count);
    ASSERT_EQ(static_cast<int>(results.Quantities.size()), count);
    EXPECT_EQ(results.Quantities[0], "Time steps=f");
    EXPECT_EQ(results.Quantities[5], "S Oxygen O2=t");
    EXPECT_EQ(results.Quantities[18], "R 1: S Oxygen O2=t");
    EXPECT_EQ(results.Quantities[18 + 13], "R 1: rho of Aerobic growth of heterotrophs=f");
    EXPECT_EQ(results.Quantities[18 + 13 + 8], "R 1: reactionrates O2=f");
    EXPECT_EQ(results.Quantities[18 + 13 + 9], "R 1: kla value=f");
    const int clarifier = 18 + 2 * 23;
    EXPECT_EQ(results.Quantities[clarifier], "not used=f");
    EXPECT_EQ(results.Quantities[clarifier + 1], "Cl 1: S Inert COD=t");
    EXPECT_EQ(results.Quantities[clarifier + 7], "not used=f");
    EXPECT_EQ(results.Quantities[count - 2], "Operating temperature=f");
    EXPECT_EQ(results.Quantities[count - 1], "2.influent flowrate=f");
    EXPECT_EQ(results.Series[18]->Name, "cSeries18");
    EXPECT_EQ(results.Series[18]->Title, "R 1: S Oxygen O2");
    EXPECT_EQ(results.Series[18]->Tag, 18);
}

TEST_F(Record, ValuesAreRoundedToSinglePrecision)
{
    plant.InfluentFlow = 0.1;
    record(0.5, true);
    EXPECT_EQ(results.Series[1]->Points[0].y, static_cast<double>(0.1f));
    EXPECT_EQ(results.Series[1]->Points[0].x, 12.0);
    EXPECT_EQ(results.Series[0]->Points[0].y, 12.0);
    // The oxygen consumption is the negative oxygen rate of the processes.
    ComputeOxygenRate(model, plant, state, 1);
    EXPECT_EQ(results.Series[18 + 13 + 8]->Points[0].y,
              static_cast<double>(static_cast<float>(-model.RS[1])));
}

TEST_F(Record, TimeOfAllCyclesContinues)
{
    record(0.0, true, 0, true);
    record(0.25, false, 1, true);
    EXPECT_EQ(results.Series[3]->Points[1].x, 30.0);
    EXPECT_EQ(results.Series[0]->Points[1].y, 6.0);
    record(0.25, false, 1, false);
    EXPECT_EQ(results.Series[3]->Points[2].x, 6.0);
}

TEST_F(Record, OnlyAerationRecordsZeroConsumption)
{
    model = testing::MakeInertModel();
    model.NX = 0;
    plant = testing::MakeCascade(1, 0, 1.0);
    record(0.0, true);
    ASSERT_EQ(static_cast<int>(results.Series.size()), 5 + 3 + 1 * (3 + 0 + 1 + 1) + 2);
    EXPECT_EQ(results.Quantities[8 + 3], "R 1: reactionrates O2=f");
    EXPECT_EQ(results.Series[8 + 3]->Points[0].y, 0.0);
    EXPECT_FALSE(std::signbit(results.Series[8 + 3]->Points[0].y));
}

TEST_F(Record, SpecialPlantCaptions)
{
    plant.PlantType = TFlowschemeType::ftSBR;
    BuildQuantityList(results, model, plant);
    EXPECT_EQ(results.Quantities[2], "Reactor volume [m3]=f");
    EXPECT_EQ(results.Quantities.back(), "2.influent [m3/d]=f");
    plant.PlantType = TFlowschemeType::ftAI;
    BuildQuantityList(results, model, plant);
    EXPECT_EQ(results.Quantities.back(), "Lane fed=f");
    EXPECT_EQ(static_cast<int>(results.Quantities.size()), RecordedQuantityCount(model, plant));
}

// Every position of a compartment's block and every plant-wide series, once each: no two
// quantities share a series and none is left out, for the plant types' layouts.
TEST(RecordedSeriesLayout, PlacesEveryQuantityAtItsOwnIndex)
{
    for (const bool laneFed : {false, true}) {
        for (const auto& [NS, NX, NP, compartments] :
             {std::tuple{7, 6, 9, 3}, std::tuple{1, 0, 1, 1}, std::tuple{25, 25, 50, 18}}) {
            const RecordedSeriesLayout layout(NS, NX, NP, compartments, laneFed);
            std::vector<int> indices = {RecordedSeriesLayout::timeSteps(),
                                        layout.temperature(), layout.influent2Flow()};
            if (laneFed)
                indices.push_back(layout.laneFed());
            for (int i = 1; i <= 4; ++i)
                indices.push_back(RecordedSeriesLayout::flow(i));
            for (int j = 1; j <= NS; ++j)
                indices.push_back(layout.influentDissolved(j));
            for (int j = 1; j <= NX; ++j)
                indices.push_back(layout.influentParticulate(j));
            for (int r = 1; r <= compartments; ++r) {
                for (int j = 1; j <= NS; ++j)
                    indices.push_back(layout.dissolved(r, j));
                for (int j = 1; j <= NX; ++j)
                    indices.push_back(layout.particulate(r, j));
                for (int p = 2; p <= NP; ++p)
                    indices.push_back(layout.processRate(r, p));
                indices.push_back(layout.oxygenRate(r));
                indices.push_back(layout.kla(r));
            }
            std::sort(indices.begin(), indices.end());
            std::vector<int> expected(static_cast<std::size_t>(layout.count()));
            std::iota(expected.begin(), expected.end(), 0);
            EXPECT_EQ(indices, expected) << NS << " " << NX << " " << NP << " " << compartments;
        }
    }
}

TEST_F(Record, AppendingToAMissingSeriesIsAnError)
{
    EXPECT_THROW(AppendPoint(results, 0, 0.0, 1.0), IndexError);
    EXPECT_EQ(CollapseBlanks("S  a   b  "), "S a b ");
}

} // namespace
} // namespace narv

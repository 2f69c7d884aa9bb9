#include "results/ChartModel.h"

#include "SampleRun.h"
#include "core/Error.h"
#include "results/ChartInteraction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace narv {
namespace {

using ::testing::ElementsAre;

std::vector<int> seriesTags(const TChart& chart)
{
    std::vector<int> tags;
    for (const SeriesPointer& series : chart.Series)
        tags.push_back(series->Tag);
    return tags;
}

std::vector<std::string> seriesTitles(const TChart& chart)
{
    std::vector<std::string> titles;
    for (const SeriesPointer& series : chart.Series)
        titles.push_back(series->Title);
    return titles;
}

// Two reactors and one clarifier layer: series blocks of 10 start at 10, 20 and 30.
struct RunCharts : ::testing::Test {
    RunCharts() : model(testing::MakeFourProcessModel()), plant(testing::MakeCascade(2, 1, 10.0))
    {
        context = MakeRunChartContext(model, plant);
        context.Setup.ProjectName = "Proj1";
        context.Setup.ModelName = "Inert";
        context.Setup.PlantName = "Cascade";
        context.Setup.VariationName = "Dry";
    }
    void run(double level, int points = 5)
    {
        RemoveRunCharts(results);
        testing::RecordSampleRun(results, model, plant, points, level);
        results.RunStart = "01.02.2024 03:04:05";
        BuildRunCharts(results, context);
    }

    TModelDef model;
    TPlantDef plant;
    RunChartContext context;
    TResultSet results;
};

TEST_F(RunCharts, ARunBuildsOneChartPerSpeciesProcessAndOtherQuantity)
{
    run(1.0);
    ASSERT_EQ(results.Charts.size(), 15u); // 3 + 2 + 4 + 6
    EXPECT_EQ(results.FirstAutoChart, 0);
    EXPECT_EQ(results.LastAutoChart, 14);
    EXPECT_EQ(results.CurrentChart, 0);
    EXPECT_FALSE(results.TileMode);

    const std::vector<std::pair<std::string, ChartCategory>> expected = {
        {"Flow Rates", ChartCategory::FlowRates},
        {"Dx: Excess sludge removal", ChartCategory::FlowRates},
        {"Concentrations of dissolved species in the influent", ChartCategory::DissolvedSpecies},
        {"Concentrations of particulate species in the influent",
         ChartCategory::ParticulateSpecies},
        {"S Oxygen O2 of all reactors", ChartCategory::DissolvedSpecies},
        {"S Tracer g/m3 of all reactors", ChartCategory::DissolvedSpecies},
        {"S Salt g/m3 of all reactors", ChartCategory::DissolvedSpecies},
        {"X Solids g/m3 of all reactors", ChartCategory::ParticulateSpecies},
        {"X Sand g/m3 of all reactors", ChartCategory::ParticulateSpecies},
        {"Growth of biomass of all reactors", ChartCategory::ProcessRates},
        {"Decay of all reactors", ChartCategory::ProcessRates},
        {"Hydrolysis of all reactors", ChartCategory::ProcessRates},
        {"Reaction rates O2 of all reactors", ChartCategory::Others},
        {"Kla values of all reactors", ChartCategory::Others},
        {"Operating temperature", ChartCategory::Others},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results.Charts[i].Name, "Chart" + std::to_string(i));
        EXPECT_EQ(results.Charts[i].Title, expected[i].first);
        EXPECT_EQ(results.Charts[i].Category, expected[i].second);
        EXPECT_TRUE(results.Charts[i].InMenu);
    }
    const auto& c = results.Charts;
    EXPECT_THAT(seriesTags(c[0]), ElementsAre(1, 2, 3, 41)); // with the 2nd influent
    EXPECT_THAT(seriesTags(c[1]), ElementsAre(4));
    EXPECT_THAT(seriesTags(c[2]), ElementsAre(5, 6, 7));
    EXPECT_THAT(seriesTags(c[3]), ElementsAre(8, 9));
    EXPECT_THAT(seriesTags(c[4]), ElementsAre(10, 20)); // no oxygen in the clarifier
    EXPECT_THAT(seriesTags(c[5]), ElementsAre(11, 21, 31));
    EXPECT_THAT(seriesTags(c[6]), ElementsAre(12, 22, 32));
    EXPECT_THAT(seriesTags(c[7]), ElementsAre(13, 23));
    EXPECT_THAT(seriesTags(c[9]), ElementsAre(15, 25));
    EXPECT_THAT(seriesTags(c[11]), ElementsAre(17, 27));
    EXPECT_THAT(seriesTags(c[12]), ElementsAre(18, 28));
    EXPECT_THAT(seriesTags(c[13]), ElementsAre(19, 29));
    EXPECT_THAT(seriesTags(c[14]), ElementsAre(40));
    EXPECT_EQ(c[5].Series[2]->Title, "Cl 1: S Tracer g/m3");
    // Run charts share the run's series.
    EXPECT_EQ(c[5].Series[0], results.Series[11]);

    EXPECT_FALSE(c[1].LegendVisible);
    EXPECT_FALSE(c[14].LegendVisible);
    EXPECT_TRUE(c[0].LegendVisible);
    EXPECT_EQ(c[3].Footnote,
              "Proj: Proj1, Mod: Inert, Pl: Cascade, Var: Dry, Run: 01.02.2024 03:04:05");
    EXPECT_EQ(c[3].BottomAxis.Title, "Time [h]");
    EXPECT_FALSE(c[3].LeftAxis.AutomaticMinimum);
    EXPECT_EQ(c[3].LeftAxis.Minimum, 0.0);
    EXPECT_TRUE(c[3].LeftAxis.AutomaticMaximum);
    EXPECT_EQ(c[3].LeftAxis.LabelFormat, "#,##0.###");
}

TEST_F(RunCharts, LeftAxisLabelsSwitchToExponentsOutsideOneThousandthToTenThousand)
{
    EXPECT_EQ(LeftAxisLabelFormat(10000.0), "#,##0.###");
    EXPECT_EQ(LeftAxisLabelFormat(10000.5), "0.00 E+00;;0");
    EXPECT_EQ(LeftAxisLabelFormat(0.001), "#,##0.###");
    EXPECT_EQ(LeftAxisLabelFormat(0.0009), "0.00 E+00;;0");
    run(1000.0); // the temperature series 40 reaches 41004
    EXPECT_EQ(results.Charts[14].LeftAxis.LabelFormat, "0.00 E+00;;0");
    EXPECT_EQ(results.Charts[2].LeftAxis.LabelFormat, "#,##0.###");
}

TEST_F(RunCharts, BottomAxisCoversOneCycleOrAllCycles)
{
    context.CycleCount = 1;
    context.CycleDuration = 1.0;
    ChartAxis axis;
    SetRunBottomAxis(axis, context);
    EXPECT_FALSE(axis.AutomaticMaximum);
    EXPECT_FALSE(axis.AutomaticIncrement);
    EXPECT_EQ(axis.Minimum, 0.0);
    EXPECT_EQ(axis.Maximum, 24.0);
    EXPECT_EQ(axis.Increment, 2.0);

    context.CycleCount = 3;
    context.ShowAllCycles = true;
    SetRunBottomAxis(axis, context);
    EXPECT_EQ(axis.Maximum, 72.0);
    EXPECT_EQ(axis.Increment, 6.0);

    context.ShowAllCycles = false;
    context.CycleDuration = 0.7;
    SetRunBottomAxis(axis, context);
    EXPECT_EQ(axis.Maximum, 17.0); // round(16.8)
    EXPECT_EQ(axis.Increment, 1.0);

    context.PlantType = TFlowschemeType::ftSBR;
    SetRunBottomAxis(axis, context);
    EXPECT_TRUE(axis.AutomaticMaximum);
    EXPECT_TRUE(axis.AutomaticIncrement);

    context = MakeRunChartContext(model, plant);
    context.CycleCount = 3;
    context.ShowAllCycles = true;
    run(1.0);
    for (const TChart& chart : results.Charts)
        EXPECT_EQ(chart.BottomAxis.Maximum, 72.0);
}

TEST_F(RunCharts, SpecialPlantsChangeTheFlowCharts)
{
    plant.PlantType = TFlowschemeType::ftSBR;
    context = MakeRunChartContext(model, plant);
    run(1.0);
    ASSERT_EQ(results.Charts.size(), 15u);
    EXPECT_THAT(seriesTags(results.Charts[0]), ElementsAre(1, 2, 3, 4, 41));
    EXPECT_TRUE(results.Charts[1].Series.empty());
    EXPECT_FALSE(results.Charts[1].InMenu);
    EXPECT_EQ(results.Charts[4].Title, "S Oxygen O2");
    EXPECT_EQ(results.Charts[12].Title, "Reaction rates O2");
    EXPECT_EQ(MenuOrder(results).size(), 14u);
    SetChartChecked(results, 1, true);
    EXPECT_TRUE(results.CheckedCharts.empty());

    results = TResultSet();
    plant.PlantType = TFlowschemeType::ftAI;
    plant.Influent2Enabled = false;
    context = MakeRunChartContext(model, plant);
    run(1.0);
    const TChart& flows = results.Charts[0];
    ASSERT_THAT(seriesTags(flows), ElementsAre(1, 2, 3, 42));
    EXPECT_EQ(flows.Series[3]->Title, "Lane fed");
    EXPECT_TRUE(flows.Series[3]->OnRightAxis);
    EXPECT_FALSE(flows.RightAxis.AutomaticMaximum);
    EXPECT_EQ(flows.RightAxis.Minimum, 0.0);
    EXPECT_EQ(flows.RightAxis.Maximum, 3.0);
}

TEST_F(RunCharts, SecondRunReplacesOnlyTheFirstRunsCharts)
{
    run(1.0);
    const int mine = AddUserChart(results, "Mine", context.Setup);
    ASSERT_EQ(mine, 15);
    AddSeriesToChart(results, mine, {11, 12, 30, 1}); // 30 is "not used"
    EXPECT_THAT(seriesTitles(results.Charts[15]),
                ElementsAre("R 1: S Tracer g/m3", "R 1: S Salt g/m3", "1.influent flowrate"));
    EXPECT_EQ(results.Charts[15].Series[0]->Name, "fSeries0");
    EXPECT_EQ(results.Charts[15].Series[2]->Name, "fSeries2");
    EXPECT_EQ(results.LoadedSeriesCounter, 3);
    EXPECT_NE(results.Charts[15].Series[0], results.Series[11]); // a copy
    SetChartChecked(results, 2, true);
    SetChartChecked(results, 15, true);
    ASSERT_TRUE(ZoomChart(results.Charts[15], {2.0, 4.0}, {0.0, 1.0}));

    // The second model no longer has "S Salt g/m3".
    model.NameS[3] = "S Brine      g/m3";
    context = MakeRunChartContext(model, plant);
    RemoveRunCharts(results);
    ASSERT_EQ(results.Charts.size(), 1u);
    EXPECT_EQ(results.Charts[0].Title, "Mine");
    EXPECT_EQ(results.Charts[0].Name, "Chart0");
    EXPECT_EQ(results.CurrentChart, 1); // 0 + (15 - 14): the Flow Rates chart of the next run
    EXPECT_THAT(results.RememberedCheckedCharts, ElementsAre(2, 15));

    testing::RecordSampleRun(results, model, plant, 7, 1000.0);
    BuildRunCharts(results, context);
    ASSERT_EQ(results.Charts.size(), 16u);
    EXPECT_EQ(results.FirstAutoChart, 1);
    EXPECT_EQ(results.LastAutoChart, 15);
    EXPECT_EQ(results.Charts[1].Title, "Flow Rates");
    EXPECT_EQ(results.Charts[7].Title, "S Brine g/m3 of all reactors");
    EXPECT_EQ(results.CurrentChart, 1);
    // The same indexes are checked again.
    EXPECT_THAT(results.CheckedCharts, ElementsAre(2, 15));

    const TChart& refilled = results.Charts[0];
    ASSERT_THAT(seriesTitles(refilled), ElementsAre("R 1: S Tracer g/m3", "1.influent flowrate"));
    EXPECT_EQ(refilled.Series[0]->Points, results.Series[11]->Points);
    EXPECT_EQ(refilled.Series[0]->Points.size(), 7u);
    EXPECT_EQ(refilled.Series[0]->Points[0].y, 12000.0);
    EXPECT_EQ(refilled.Series[0]->Name, "fSeries0");
    EXPECT_EQ(refilled.BottomAxis.Maximum, 24.0);
    EXPECT_EQ(refilled.BottomAxis.Increment, 2.0);
    // The time zoom went with the old run; the zoomed values stay as the user chose them.
    EXPECT_EQ(refilled.BottomAxis.Minimum, 0.0);
    EXPECT_FALSE(refilled.UnzoomedBottomAxis);
    EXPECT_EQ(refilled.LeftAxis.Maximum, 1.0);
}

TEST_F(RunCharts, CurrentChartKeepsItsKindOrFollowsAUserChart)
{
    run(1.0);
    AddUserChart(results, "Mine", context.Setup);
    ShowSingleChart(results, 3);
    run(2.0);
    EXPECT_EQ(results.CurrentChart, 4);
    EXPECT_EQ(results.Charts[4].Title, "Concentrations of particulate species in the influent");

    ShowSingleChart(results, 0); // the user chart
    RemoveRunCharts(results);
    EXPECT_EQ(results.CurrentChart, 0);
    testing::RecordSampleRun(results, model, plant, 2, 3.0);
    BuildRunCharts(results, context);
    EXPECT_EQ(results.CurrentChart, 0);

    // A user chart after the run's charts: 16 - 15 + 1 - 1.
    AddUserChart(results, "Later", context.Setup);
    ShowSingleChart(results, 16);
    RemoveRunCharts(results);
    EXPECT_EQ(results.CurrentChart, 1);
    EXPECT_EQ(results.Charts[1].Title, "Later");
}

TEST_F(RunCharts, RunStoppedBeforeItsFirstRecordingBuildsEmptyCharts)
{
    run(1.0);
    const int mine = AddUserChart(results, "Mine", context.Setup);
    AddSeriesToChart(results, mine, {11});
    RemoveRunCharts(results);
    ClearSeries(results);
    BuildRunCharts(results, context);
    ASSERT_EQ(results.Charts.size(), 16u);
    for (int i = 1; i < 16; ++i)
        EXPECT_TRUE(results.Charts[static_cast<std::size_t>(i)].Series.empty());
    EXPECT_EQ(results.Charts[0].Series.size(), 1u); // nothing to follow: kept as it was
    EXPECT_EQ(results.Charts[1].LeftAxis.LabelFormat, "0.00 E+00;;0");
}

TEST_F(RunCharts, RunChartsRefuseEditsThatUserChartsTake)
{
    run(1.0);
    EXPECT_THROW(AddSeriesToChart(results, 3, {11}), RangeError);
    EXPECT_THROW(RemoveSeriesFromChart(results, 3, 0), RangeError);
    EXPECT_THROW(RemoveChart(results, 14), RangeError);
    EXPECT_EQ(AddUserChart(results, "", context.Setup), -1);
    EXPECT_EQ(results.Charts.size(), 15u);

    const int mine = AddUserChart(results, "Mine", context.Setup);
    EXPECT_EQ(results.Charts[15].Category, ChartCategory::UserDefined);
    EXPECT_THROW(AddSeriesToChart(results, mine, {11, 500}), IndexError);
    EXPECT_TRUE(results.Charts[15].Series.empty());
    AddSeriesToChart(results, mine, {11});
    AddSeriesToChart(results, mine, {12});
    // Every series of the chart is renamed and recoloured when series are added.
    EXPECT_EQ(results.Charts[15].Series[0]->Name, "fSeries1");
    EXPECT_EQ(results.Charts[15].Series[1]->Name, "fSeries2");
    EXPECT_NE(results.Charts[15].Series[0]->Color, results.Charts[15].Series[1]->Color);
    EXPECT_EQ(results.Series[11]->Name, "cSeries11");
    RemoveSeriesFromChart(results, mine, 0);
    EXPECT_THAT(seriesTitles(results.Charts[15]), ElementsAre("R 1: S Salt g/m3"));
    EXPECT_THROW(RemoveSeriesFromChart(results, mine, 1), IndexError);

    const std::vector<int> selectable = SelectableSeries(results);
    EXPECT_EQ(selectable.size(), 42u - 8u); // the clarifier's "not used" entries
}

TEST_F(RunCharts, RemovingAUserChartBeforeTheRunsChartsShiftsThem)
{
    run(1.0);
    AddUserChart(results, "Mine", context.Setup);
    run(2.0); // Mine at 0, run charts 1..15
    SetChartChecked(results, 0, true);
    SetChartChecked(results, 5, true);
    ShowSingleChart(results, 5);
    RemoveChart(results, 0);
    EXPECT_EQ(results.FirstAutoChart, 0);
    EXPECT_EQ(results.LastAutoChart, 14);
    EXPECT_EQ(results.CurrentChart, 4);
    EXPECT_THAT(results.CheckedCharts, ElementsAre(4));
    EXPECT_EQ(results.Charts[4].Name, "Chart4");
}

TEST_F(RunCharts, TilingLaysOutUpToTwentyCheckedChartsInMenuOrder)
{
    const std::vector<std::pair<int, TileGrid>> table = {
        {1, {1, 1}},  {2, {1, 2}},  {3, {1, 3}},  {4, {2, 2}},  {5, {2, 3}},  {6, {2, 3}},
        {7, {2, 4}},  {8, {2, 4}},  {9, {2, 5}},  {10, {2, 5}}, {11, {3, 4}}, {12, {3, 4}},
        {13, {4, 4}}, {16, {4, 4}}, {17, {4, 5}}, {20, {4, 5}}};
    for (const auto& [count, grid] : table)
        EXPECT_EQ(TileGridFor(count), grid) << count;

    run(1.0);
    for (int i = 0; i < 6; ++i)
        AddUserChart(results, "U" + std::to_string(i), context.Setup);
    ShowSingleChart(results, 2);
    for (int i = 0; i < 21; ++i)
        SetChartChecked(results, i, true);
    try {
        TileCharts(results);
        FAIL() << "21 charts were tiled";
    } catch (const RangeError& e) {
        EXPECT_STREQ(e.what(), "Tile not possible. Too many charts!");
    }
    EXPECT_FALSE(results.TileMode);
    EXPECT_EQ(results.CurrentChart, 2);

    for (int i = 0; i < 21; ++i)
        SetChartChecked(results, i, false);
    EXPECT_THROW(TileCharts(results), RangeError);
    // Checked out of order; tiled by category: flows, dissolved, particulate, ..., user defined.
    for (const int i : {15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3})
        SetChartChecked(results, i, true);
    const TileLayout layout = TileCharts(results);
    EXPECT_TRUE(results.TileMode);
    EXPECT_EQ(layout.Grid, (TileGrid{4, 4}));
    ASSERT_EQ(layout.Cells.size(), 13u);
    std::vector<int> order;
    for (const TileCell& cell : layout.Cells)
        order.push_back(cell.Chart);
    EXPECT_THAT(order, ElementsAre(4, 5, 6, 3, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    EXPECT_EQ(layout.Cells[4], (TileCell{7, 0, 1}));
    EXPECT_EQ(layout.Cells[12], (TileCell{15, 0, 3}));

    ToggleChartView(results, 7); // a double click in tile mode shows the chart alone
    EXPECT_FALSE(results.TileMode);
    EXPECT_EQ(results.CurrentChart, 7);
    ToggleChartView(results, 7);
    EXPECT_TRUE(results.TileMode);
}

TEST_F(RunCharts, SingleChartHidesTheLegendOfOneSeriesCharts)
{
    run(1.0);
    const int mine = AddUserChart(results, "Mine", context.Setup);
    AddSeriesToChart(results, mine, {11});
    results.TileMode = true;
    ShowSingleChart(results, 4);
    EXPECT_FALSE(results.Charts[15].LegendVisible);
    EXPECT_TRUE(results.Charts[4].LegendVisible);
    EXPECT_FALSE(results.TileMode);
    EXPECT_THROW(ShowSingleChart(results, 16), IndexError);
}

TEST_F(RunCharts, LegendsShowTheDifferingPartOfTheTitles)
{
    run(1.0);
    EXPECT_THAT(LegendTexts(results.Charts[5]), ElementsAre("R 1", "R 2", "Cl 1"));
    EXPECT_THAT(LegendTexts(results.Charts[2]),
                ElementsAre("S Oxygen O2", "S Tracer g/m3", "S Salt g/m3"));
    TChart chart;
    for (const char* title : {"R 1: a", "R 1: b"}) {
        chart.Series.push_back(std::make_shared<TResultSeries>());
        chart.Series.back()->Title = title;
    }
    EXPECT_THAT(LegendTexts(chart), ElementsAre("a", "b"));
    chart.Series[1]->Title = "R 2: b";
    EXPECT_THAT(LegendTexts(chart), ElementsAre("R 1: a", "R 2: b"));
}

} // namespace
} // namespace narv

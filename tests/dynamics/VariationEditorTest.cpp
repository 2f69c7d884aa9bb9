#include "dynamics/VariationEditor.h"

#include "SampleModels.h"
#include "plant/PlantEditor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace narv {
namespace {

using ::testing::ElementsAre;

struct VariationEditorTest : ::testing::Test {
    VariationEditorTest()
    {
        model = testing::MakeCarbonNitrogenModel();
        plant.ReactorCount = 3;
        plant.CompartmentCount = 4;
        ResetVariation(variation, model, plant);
        variation.PointCount = 3;
    }

    VariationEditor& makeEditor()
    {
        editor.emplace(variation, model, plant);
        editor->setClock([] { return std::string("08:15:00"); });
        return *editor;
    }

    void setColumn(VariationGrid grid, int column, std::vector<const char*> texts)
    {
        for (std::size_t i = 0; i < texts.size(); ++i)
            ASSERT_TRUE(
                editor->enterCell(grid, static_cast<int>(i) + 1, column, texts[i]).accepted);
    }

    TModelDef model;
    TPlantDef plant;
    TVariationDef variation;
    std::optional<VariationEditor> editor;
};

TEST_F(VariationEditorTest, AverageEditScalesTheStepsAndAFactorSetsTheFactor)
{
    VariationEditor& e = makeEditor();
    setColumn(VariationGrid::Inflows, 2, {"1", "2", "3"});
    EXPECT_EQ(e.average(VariationGrid::Inflows, 2), 2.0);

    VariationEntry entry = e.enterAverage(VariationGrid::Inflows, AverageRow::Average, 2, "4");
    EXPECT_TRUE(entry.accepted);
    EXPECT_EQ(entry.text, "   4.000");
    EXPECT_EQ(e.value(VariationGrid::Inflows, 1, 2), 2.0);
    EXPECT_EQ(e.value(VariationGrid::Inflows, 2, 2), 4.0);
    EXPECT_EQ(e.value(VariationGrid::Inflows, 3, 2), 6.0);

    // Factor 2 and mean 0.5 show 1 as A·Factor; 3 typed there makes the factor 6.
    setColumn(VariationGrid::Kla, 1, {"0.5", "0.25", "0.75"});
    e.enterAverage(VariationGrid::Kla, AverageRow::Factor, 1, "2");
    EXPECT_EQ(e.averageText(VariationGrid::Kla, AverageRow::AverageTimesFactor, 1), "   1.000");
    EXPECT_TRUE(
        e.enterAverage(VariationGrid::Kla, AverageRow::AverageTimesFactor, 1, "3").accepted);
    EXPECT_EQ(e.factor(VariationGrid::Kla, 1), 6.0);

    // A column of zeros cannot be scaled; a negative factor is out of range.
    setColumn(VariationGrid::Inflows, 3, {"0", "0", "0"});
    entry = e.enterAverage(VariationGrid::Inflows, AverageRow::Average, 3, "1");
    EXPECT_FALSE(entry.accepted);
    EXPECT_EQ(entry.message, kZeroAverageMessage);
    entry = e.enterAverage(VariationGrid::Inflows, AverageRow::Factor, 3, "-1");
    EXPECT_FALSE(entry.accepted);
    EXPECT_THAT(entry.message, ::testing::StartsWith("Number should be between"));
    EXPECT_EQ(e.factor(VariationGrid::Inflows, 3), 1.0);
    EXPECT_TRUE(e.modified());
}

TEST_F(VariationEditorTest, LoadIsTheMeanRelativeLoadOfTheFirstInfluent)
{
    variation.PointCount = 2;
    VariationEditor& e = makeEditor();
    setColumn(VariationGrid::Inflows, 1, {"1", "3"});
    setColumn(VariationGrid::Particulate, 4, {"2", "1"});
    e.enterAverage(VariationGrid::Inflows, AverageRow::Factor, 1, "2");
    e.enterAverage(VariationGrid::Particulate, AverageRow::Factor, 4, "0.5");
    // (1*2 + 3*1) / 2 * 2 * 0.5
    EXPECT_EQ(e.load(VariationGrid::Particulate, 4), 2.5);
    EXPECT_EQ(e.averageText(VariationGrid::Particulate, AverageRow::Load, 4), "   2.500");
    // Typed into, a load changes nothing.
    const VariationEntry entry =
        e.enterAverage(VariationGrid::Particulate, AverageRow::Load, 4, "7");
    EXPECT_FALSE(entry.accepted);
    EXPECT_EQ(entry.text, "   2.500");
    EXPECT_EQ(e.factor(VariationGrid::Particulate, 4), 0.5);

    EXPECT_THAT(e.averageRowTitles(VariationGrid::Dissolved),
                ElementsAre("Factor", "Average=A", "A\u00B7Factor", "Load"));
    EXPECT_THAT(e.averageRowTitles(VariationGrid::Temperature), ElementsAre("Average"));
    EXPECT_FALSE(e.averageEditable(VariationGrid::Temperature, AverageRow::Average));
    EXPECT_FALSE(e.averageEditable(VariationGrid::Kla, AverageRow::Load));
}

TEST_F(VariationEditorTest, CellRanges)
{
    VariationEditor& e = makeEditor();
    struct Case {
        VariationGrid grid;
        const char* text;
        bool accepted;
        double value;
    };
    const Case cases[] = {
        {VariationGrid::Inflows, "1.5", true, 1.5},
        {VariationGrid::Inflows, "-0.1", false, 1.5},
        {VariationGrid::Inflows, "2e20", false, 1.5},
        {VariationGrid::Inflows, "x", false, 1.5},
        {VariationGrid::Inflows, "0", true, 0.0},
        {VariationGrid::Temperature, "-5", true, -5.0},
        {VariationGrid::Temperature, "-2e20", false, -5.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const VariationEntry entry = e.enterCell(c.grid, 1, 1, c.text);
        EXPECT_EQ(entry.accepted, c.accepted);
        EXPECT_EQ(entry.message.empty(), c.accepted);
        EXPECT_EQ(e.value(c.grid, 1, 1), c.value);
    }
    // Leaving a cell untouched keeps digits the cell does not show.
    variation.Values[1][2] = 1.0 / 3.0;
    VariationEditor fresh(variation, model, plant);
    fresh.enterCell(VariationGrid::Inflows, 2, 2, fresh.cellText(VariationGrid::Inflows, 2, 2));
    EXPECT_EQ(fresh.value(VariationGrid::Inflows, 2, 2), 1.0 / 3.0);
    EXPECT_FALSE(fresh.modified());
}

TEST_F(VariationEditorTest, ClipboardNumbersNotPositiveAreSkipped)
{
    VariationEditor& e = makeEditor();
    setColumn(VariationGrid::Inflows, 1, {"5", "5", "5"});
    std::vector<CopySource> sources = e.copySources("1 0 2");
    ASSERT_EQ(sources.back().label, "from Clipboard");
    EXPECT_TRUE(e.copyInto(VariationGrid::Inflows, 1, sources.back(), "1 0 2"));
    EXPECT_EQ(e.value(VariationGrid::Inflows, 1, 1), 1.0);
    EXPECT_EQ(e.value(VariationGrid::Inflows, 2, 1), 5.0);
    EXPECT_EQ(e.value(VariationGrid::Inflows, 3, 1), 2.0);

    // Tabs, line feeds and carriage returns separate; the number N + 1 is the factor.
    EXPECT_TRUE(e.copyInto(VariationGrid::Dissolved, 2, sources.back(), "1\t-2\r\n3\n4"));
    EXPECT_EQ(e.value(VariationGrid::Dissolved, 2, 2), 1.0);
    EXPECT_EQ(e.factor(VariationGrid::Dissolved, 2), 4.0);
    // The temperature takes every number.
    EXPECT_TRUE(e.copyInto(VariationGrid::Temperature, 1, sources.back(), "-1 0 2.5"));
    EXPECT_EQ(e.value(VariationGrid::Temperature, 1, 1), -1.0);
    EXPECT_EQ(e.value(VariationGrid::Temperature, 2, 1), 0.0);

    struct Unusable {
        const char* text;
    };
    for (const Unusable u :
         {Unusable{""}, Unusable{"1 2 x"}, Unusable{"1;2"}, Unusable{"1 2 3 4 5"}}) {
        EXPECT_EQ(e.clipboardNumbers(u.text), std::nullopt) << u.text;
        EXPECT_NE(e.copySources(u.text).back().label, "from Clipboard");
        EXPECT_FALSE(e.copyInto(VariationGrid::Inflows, 1, {"from Clipboard", {}, 0}, u.text));
    }
}

TEST_F(VariationEditorTest, CopyFromAColumnTakesItsStepsAndFactor)
{
    VariationEditor& e = makeEditor();
    const std::vector<CopySource> sources = e.copySources("");
    // 5 flows, 7 dissolved, 6 particulate, 3 reactors.
    ASSERT_EQ(sources.size(), 21u);
    EXPECT_EQ(sources[0].label, "1.influent");
    EXPECT_EQ(sources[5].label, "S Oxygen      O2");
    EXPECT_EQ(sources[18].label, "Kla value  Reactor 1");
    setColumn(VariationGrid::Kla, 1, {"0.5", "1", "1.5"});
    e.enterAverage(VariationGrid::Kla, AverageRow::Factor, 1, "2");
    e.copyInto(VariationGrid::Inflows, 4, sources[18]);
    EXPECT_EQ(e.value(VariationGrid::Inflows, 3, 4), 1.5);
    EXPECT_EQ(e.factor(VariationGrid::Inflows, 4), 2.0);
}

TEST_F(VariationEditorTest, WriteBackPutsTheFactorsAfterTheCurrentSteps)
{
    VariationEditor& e = makeEditor();
    setColumn(VariationGrid::Inflows, 1, {"1", "2", "3"});
    e.enterAverage(VariationGrid::Inflows, AverageRow::Factor, 1, "1.5");
    e.choosePointCount(4);
    EXPECT_EQ(e.value(VariationGrid::Inflows, 4, 1), 1.0) << "the old factor column starts neutral";
    e.enterCell(VariationGrid::Inflows, 4, 1, "4");
    e.writeBack();
    EXPECT_EQ(variation.PointCount, 4);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(variation.Values[0][i], i);
    EXPECT_EQ(variation.Values[0][5], 1.5);
    EXPECT_EQ(variation.Values[VariationTemperatureRow(model)][5], 0.0);
    EXPECT_THROW(e.choosePointCount(5), RangeError);
}

TEST_F(VariationEditorTest, OptionsLabelsAndEvents)
{
    VariationEditor& e = makeEditor();
    EXPECT_EQ(e.cycleHoursText(), " 24.000");
    VariationEntry entry = e.enterCycleHours("-1");
    EXPECT_FALSE(entry.accepted);
    EXPECT_TRUE(entry.returnFocus);
    EXPECT_EQ(variation.CycleDuration, 1.0);
    EXPECT_TRUE(e.enterCycleHours("12").accepted);
    EXPECT_EQ(variation.CycleDuration, 0.5);
    e.choosePointCount(12);
    EXPECT_EQ(e.rowLabel(1), " 0- 1 hrs");
    EXPECT_EQ(e.rowLabel(12), "11-12 hrs");
    e.setVaryConc2(true);
    EXPECT_TRUE(variation.VaryConc2);

    EXPECT_EQ(e.columnTitle(VariationGrid::Inflows, 0), "time step");
    EXPECT_EQ(e.columnTitle(VariationGrid::Temperature, 1), "Temp difference");
    EXPECT_EQ(e.columnCount(VariationGrid::Kla), 3);
    EXPECT_EQ(e.gridTexts(VariationGrid::Inflows).size(), 13u);
    // Without labels from the plant's editor the kla columns take the plant editor's; the
    // clarifier compartment has none.
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(e.columnTitle(VariationGrid::Kla, k), " Reactor " + std::to_string(k));
    EXPECT_THAT(ReactorLabels(plant), ElementsAre(" Reactor 1", " Reactor 2", " Reactor 3"));
    EXPECT_EQ(CompartmentLabel(plant, 4), " Clarifier 1");
    VariationEditor labelled(variation, model, plant, {"polyv.", "lane 1"});
    EXPECT_EQ(labelled.columnTitle(VariationGrid::Kla, 1), "polyv.");
    EXPECT_EQ(labelled.columnTitle(VariationGrid::Kla, 2), "lane 1");
    EXPECT_EQ(labelled.columnTitle(VariationGrid::Kla, 3), " Reactor 3");
    EXPECT_EQ(labelled.copySources("").at(19).label, "Kla value lane 1");

    e.enterCell(VariationGrid::Inflows, 2, 1, "0.8");
    e.headerClicked(VariationGrid::Dissolved, 3);
    EXPECT_THAT(e.events(),
                ElementsAre("08:15:00: Col:1/Row:2: sg_inflowsExitCell: 0.8",
                            "08:15:00: Col:3/Row:0: sg_dissFixedCellClick: S Substrate  COD"));
}

} // namespace
} // namespace narv

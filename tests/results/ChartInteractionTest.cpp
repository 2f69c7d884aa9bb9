#include "results/ChartInteraction.h"
#include "results/ChartEditor.h"

#include "core/Error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace narv {
namespace {

SeriesPointer makeSeries(const std::string& title, const std::vector<ResultPoint>& points)
{
    auto series = std::make_shared<TResultSeries>();
    series->Title = title;
    series->Points = points;
    return series;
}

TEST(ChartClicks, EachPartAndModifierGivesItsAction)
{
    struct Case {
        ChartPart part;
        ClickModifier modifier;
        ChartClickAction action;
    };
    const Case cases[] = {
        {ChartPart::Series, ClickModifier::None, ChartClickAction::ShowSeriesExtremes},
        {ChartPart::Series, ClickModifier::Shift, ChartClickAction::ShowSeriesExtremes},
        {ChartPart::LeftAxis, ClickModifier::None, ChartClickAction::AskCaption},
        {ChartPart::LeftAxis, ClickModifier::Shift, ChartClickAction::SetAxisMaximum},
        {ChartPart::LeftAxis, ClickModifier::Ctrl, ChartClickAction::SetAxisMinimum},
        // Shift and Ctrl act on the left axis only.
        {ChartPart::BottomAxis, ClickModifier::Shift, ChartClickAction::AskCaption},
        {ChartPart::Title, ClickModifier::None, ChartClickAction::AskCaption},
        {ChartPart::Footnote, ClickModifier::Ctrl, ChartClickAction::AskCaption},
        {ChartPart::Nothing, ClickModifier::None, ChartClickAction::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClickAction(c.part, c.modifier), c.action)
            << static_cast<int>(c.part) << " " << static_cast<int>(c.modifier);
}

TEST(ChartClicks, CaptionQuestionsNameThePartAndChangeOnlyIt)
{
    TChart chart;
    chart.Title = "Flow Rates";
    chart.Footnote = "Proj: A";
    chart.LeftAxis.Title = "Q";
    chart.BottomAxis.Title = "Time [h]";
    struct Case {
        ChartPart part;
        const char* caption;
        const char* current;
    };
    for (const Case& c : {Case{ChartPart::LeftAxis, "Left Axis", "Q"},
                          Case{ChartPart::BottomAxis, "Bottom Axis", "Time [h]"},
                          Case{ChartPart::Title, "Title", "Flow Rates"},
                          Case{ChartPart::Footnote, "Footnote", "Proj: A"}}) {
        const CaptionQuestion question = CaptionQuestionFor(chart, c.part);
        EXPECT_EQ(question.caption, c.caption);
        EXPECT_EQ(question.prompt, "Change Caption:");
        EXPECT_EQ(question.current, c.current);
    }
    SetCaption(chart, ChartPart::BottomAxis, "Time [d]");
    EXPECT_EQ(chart.BottomAxis.Title, "Time [d]");
    EXPECT_EQ(chart.LeftAxis.Title, "Q");
    EXPECT_EQ(chart.Title, "Flow Rates");
}

TEST(ChartClicks, SeriesMessageGivesMaximumAndMinimumInTheNumberFormat)
{
    const SeriesPointer series =
        makeSeries("R 1: S Oxygen", {{0.0, 2.5}, {1.0, -0.25}, {2.0, 12345.678}});
    EXPECT_EQ(SeriesExtremesMessage(*series),
              "R 1: S Oxygen\r\n\r\nMaximum:      1.23E+4 \r\nMinimum:       -0.250");
    // A series without points has nothing to report but its title.
    EXPECT_EQ(SeriesExtremesMessage(*makeSeries("empty", {})), "empty");
}

TEST(AxisClicks, ValueUnderTheMouseFollowsTheAxisDirection)
{
    const ShownRange shown{0.0, 100.0};
    // Left axis: pixel 400 at the bottom is the minimum, pixel 0 at the top the maximum.
    EXPECT_DOUBLE_EQ(AxisValueAt(400.0, 400.0, 0.0, shown), 0.0);
    EXPECT_DOUBLE_EQ(AxisValueAt(100.0, 400.0, 0.0, shown), 75.0);
    EXPECT_DOUBLE_EQ(AxisValueAt(50.0, 0.0, 200.0, shown), 25.0);
    EXPECT_DOUBLE_EQ(AxisValueAt(10.0, 5.0, 5.0, shown), 0.0); // no length: no division by 0
}

TEST(AxisClicks, ShiftSetsTheMaximumOrMakesItAutomaticWithinTwoPercent)
{
    const ShownRange shown{0.0, 200.0}; // 2 % of the range: 4
    struct Case {
        double value;
        bool applied;
        bool automatic;
        double maximum;
    };
    const Case cases[] = {
        {150.0, true, false, 150.0}, // well below the maximum: a fixed maximum
        {196.0, true, true, 999.0},  // exactly 2 % below: automatic again
        {203.5, true, true, 999.0},  // above, within 2 %
        {195.9, true, false, 195.9}, // just outside 2 %
        {0.0, false, false, 999.0},  // at the minimum: refused
        {-5.0, false, false, 999.0},
    };
    for (const Case& c : cases) {
        ChartAxis axis;
        axis.AutomaticMaximum = false;
        axis.Maximum = 999.0;
        EXPECT_EQ(ApplyAxisMaximumClick(axis, shown, c.value), c.applied) << c.value;
        EXPECT_EQ(axis.AutomaticMaximum, c.automatic) << c.value;
        EXPECT_DOUBLE_EQ(axis.Maximum, c.maximum) << c.value;
    }
}

TEST(AxisClicks, CtrlSetsTheMinimumOrZeroWithinTwoPercent)
{
    const ShownRange shown{10.0, 60.0}; // 2 % of the range: 1
    struct Case {
        double value;
        bool applied;
        double minimum;
    };
    const Case cases[] = {
        {30.0, true, 30.0}, {10.9, true, 0.0}, // near the shown minimum: back to 0
        {9.0, true, 0.0},   {8.9, true, 8.9},  {60.0, false, -1.0}, // at the maximum: refused
    };
    for (const Case& c : cases) {
        ChartAxis axis;
        axis.AutomaticMinimum = true;
        axis.Minimum = -1.0;
        EXPECT_EQ(ApplyAxisMinimumClick(axis, shown, c.value), c.applied) << c.value;
        EXPECT_DOUBLE_EQ(axis.Minimum, c.minimum) << c.value;
        EXPECT_EQ(axis.AutomaticMinimum, !c.applied) << c.value;
    }
}

TEST(Zoom, UndoZoomRestoresTheLeftAxisAndDragsDecideTheAction)
{
    TChart chart;
    chart.LeftAxis.AutomaticMinimum = true;
    chart.LeftAxis.Minimum = 5.0;
    chart.LeftAxis.AutomaticMaximum = false;
    chart.BottomAxis.Maximum = 24.0;
    UndoZoom(chart);
    EXPECT_FALSE(chart.LeftAxis.AutomaticMinimum);
    EXPECT_EQ(chart.LeftAxis.Minimum, 0.0);
    EXPECT_TRUE(chart.LeftAxis.AutomaticMaximum);
    EXPECT_EQ(chart.BottomAxis.Maximum, 24.0);

    EXPECT_FALSE(chart.UnzoomedBottomAxis);

    EXPECT_EQ(DragActionFor(4, -4), DragAction::Click);
    EXPECT_EQ(DragActionFor(40, 30), DragAction::ZoomIn);
    EXPECT_EQ(DragActionFor(40, -30), DragAction::ZoomIn);
    EXPECT_EQ(DragActionFor(-40, -30), DragAction::UndoZoom);
}

TEST(Zoom, TheRectangleSetsBothAxesAndUndoBringsTheBottomAxisBack)
{
    TChart chart;
    chart.BottomAxis.Title = "Time [h]";
    chart.BottomAxis.Maximum = 24.0;
    chart.BottomAxis.Increment = 2.0;
    chart.BottomAxis.AutomaticMaximum = false;
    chart.BottomAxis.AutomaticIncrement = false;
    const ChartAxis before = chart.BottomAxis;

    // Refused: empty, reversed or not finite ranges change nothing.
    for (const auto& [bottom, left] :
         {std::pair{ShownRange{5.0, 5.0}, ShownRange{0.0, 1.0}},
          std::pair{ShownRange{5.0, 8.0}, ShownRange{2.0, 1.0}},
          std::pair{ShownRange{5.0, std::nan("")}, ShownRange{0.0, 1.0}}}) {
        EXPECT_FALSE(ZoomChart(chart, bottom, left));
        EXPECT_EQ(chart.BottomAxis, before);
        EXPECT_FALSE(chart.UnzoomedBottomAxis);
    }

    ASSERT_TRUE(ZoomChart(chart, {6.0, 12.0}, {1.5, 3.0}));
    EXPECT_EQ(chart.BottomAxis.Minimum, 6.0);
    EXPECT_EQ(chart.BottomAxis.Maximum, 12.0);
    EXPECT_FALSE(chart.BottomAxis.AutomaticMinimum || chart.BottomAxis.AutomaticMaximum);
    EXPECT_TRUE(chart.BottomAxis.AutomaticIncrement);
    EXPECT_EQ(chart.LeftAxis.Minimum, 1.5);
    EXPECT_EQ(chart.LeftAxis.Maximum, 3.0);
    EXPECT_FALSE(chart.LeftAxis.AutomaticMaximum);
    // Zooming further keeps the axis of before the first zoom.
    ASSERT_TRUE(ZoomChart(chart, {7.0, 8.0}, {2.0, 2.5}));
    ASSERT_TRUE(chart.UnzoomedBottomAxis);
    EXPECT_EQ(*chart.UnzoomedBottomAxis, before);

    UndoZoom(chart);
    EXPECT_EQ(chart.BottomAxis, before);
    EXPECT_FALSE(chart.UnzoomedBottomAxis);
    EXPECT_EQ(chart.LeftAxis.Minimum, 0.0);
    EXPECT_TRUE(chart.LeftAxis.AutomaticMaximum);
}

TEST(AxisTitles, ShownFromTheKindOfChartUnlessTheChartHasItsOwn)
{
    struct Case {
        ChartCategory category;
        const char* title;
        const char* seriesTitle;
        const char* shown;
    };
    const Case cases[] = {
        {ChartCategory::FlowRates, "Flow Rates", "1.influent flowrate", "Flow [m3/d]"},
        {ChartCategory::FlowRates, "Flow Rates", "Reactor volume [m3]",
         "Flow [m3/d], volume [m3]"},
        {ChartCategory::FlowRates, "Dx: Excess sludge removal", "Excess sludge removal",
         "Rate [1/d]"},
        {ChartCategory::DissolvedSpecies, "S Oxygen O2 of all reactors", "R 1: S Oxygen O2",
         "Conc. [g/m3]"},
        {ChartCategory::DissolvedSpecies, "S Alkalinity mol of all reactors", "R 1: x",
         "Conc. [mol/m3]"},
        {ChartCategory::DissolvedSpecies, "S Molasses COD", "R 1: x", "Conc. [g/m3]"},
        {ChartCategory::DissolvedSpecies, "pH of all reactors", "R 1: pH", "pH"},
        {ChartCategory::ProcessRates, "Decay of all reactors", "R 1: rho of Decay",
         "Rate [g/(m3 d)]"},
        {ChartCategory::Others, "Reaction rates O2 of all reactors", "R 1: reactionrates O2",
         "O2 rate [g/(m3 d)]"},
        {ChartCategory::Others, "Kla values", "R 1: kla value", "kla [1/d]"},
        {ChartCategory::LoadedFromFile, "Operating temperature (from File)",
         "Operating temperature", "T [\u00b0C]"},
        {ChartCategory::UserDefined, "Mine", "R 1: kla value", ""},
    };
    for (const Case& c : cases) {
        TChart chart;
        chart.Category = c.category;
        chart.Title = c.title;
        chart.Series.push_back(makeSeries(c.seriesTitle, {}));
        EXPECT_EQ(ShownLeftAxisTitle(chart), c.shown) << c.title;
        EXPECT_EQ(CaptionQuestionFor(chart, ChartPart::LeftAxis).current, c.shown) << c.title;
        chart.LeftAxis.Title = "Own";
        EXPECT_EQ(ShownLeftAxisTitle(chart), "Own");
    }

    TChart lanes;
    EXPECT_EQ(ShownRightAxisTitle(lanes), "");
    lanes.Series.push_back(makeSeries("1.influent flowrate", {}));
    lanes.Series.push_back(makeSeries("Lane fed", {}));
    lanes.Series.back()->OnRightAxis = true;
    EXPECT_EQ(ShownRightAxisTitle(lanes), "Lane fed");
}

TEST(SeriesUnderMouse, TheNearestActiveSeriesWithinTheTolerance)
{
    TChart chart;
    chart.Series = {makeSeries("low", {{0.0, 10.0}, {10.0, 10.0}}),
                    makeSeries("high", {{0.0, 90.0}, {10.0, 90.0}}),
                    makeSeries("hidden", {{0.0, 50.0}, {10.0, 50.0}})};
    chart.Series[2]->Active = false;
    PixelMap map;
    map.left = 100.0;
    map.top = 0.0;
    map.width = 1000.0;
    map.height = 100.0;
    map.bottom = {0.0, 10.0};
    map.leftAxis = {0.0, 100.0};
    // Y 10 is drawn at pixel 90, Y 90 at pixel 10; between the points on the line segment.
    EXPECT_EQ(SeriesAt(chart, map, 600.0, 91.0), std::optional<int>(0));
    EXPECT_EQ(SeriesAt(chart, map, 600.0, 12.0), std::optional<int>(1));
    EXPECT_EQ(SeriesAt(chart, map, 600.0, 50.0), std::nullopt); // the hidden one is not hit
    EXPECT_EQ(SeriesAt(chart, map, 600.0, 80.0), std::nullopt);
}

TEST(ChartCopies, LegendHiddenForASingleActiveSeriesAndMetafileNamed)
{
    TChart chart;
    chart.Title = "Flow: Rates/1";
    chart.Series = {makeSeries("a", {}), makeSeries("b", {})};
    EXPECT_TRUE(ChartForCopy(chart).LegendVisible);
    chart.Series[1]->Active = false;
    EXPECT_FALSE(ChartForCopy(chart).LegendVisible);
    EXPECT_TRUE(chart.LegendVisible); // the chart itself keeps its legend

    TResultSet results;
    results.RunId = " 20240131235959";
    const std::string name = MetafileName(results, chart);
    EXPECT_EQ(name.substr(0, 19), "Run 20240131235959 ");
    EXPECT_EQ(name.substr(name.size() - 4), ".svg");
    EXPECT_EQ(name.find('/'), std::string::npos);
}

TEST(ChartsToShow, CurrentThenFirstRunChartThenNone)
{
    TResultSet results;
    EXPECT_EQ(ChartToShow(results), -1);
    results.Charts.resize(3);
    results.FirstAutoChart = 1;
    EXPECT_EQ(ChartToShow(results), 1);
    results.CurrentChart = 2;
    EXPECT_EQ(ChartToShow(results), 2);
    results.CurrentChart = 7; // a damaged file
    EXPECT_EQ(ChartToShow(results), 1);
}

// --- the chart editor's fields ---------------------------------------------------------------

struct ChartEditing : ::testing::Test {
    ChartEditing()
    {
        chart.Title = "Flow Rates";
        chart.LeftAxis.Maximum = 10.0;
        chart.Series = {makeSeries("Q in", {{0.0, 1.0}}), makeSeries("Q out", {{0.0, 2.0}})};
        chart.Series[1]->Color = 0x00A000;
    }
    TChart chart;
};

TEST_F(ChartEditing, FieldsRoundTripAndApplyEveryProperty)
{
    ChartFields fields = ChartFieldsOf(chart);
    EXPECT_EQ(fields.Series[0].Color, "");
    EXPECT_EQ(fields.Series[1].Color, "#00A000");
    TChart unchanged = chart;
    ApplyChartFields(unchanged, fields);
    EXPECT_EQ(ChartFieldsOf(unchanged), fields);

    fields.Title = "Flows";
    fields.LegendVisible = false;
    fields.LeftAxis.AutomaticMaximum = false;
    fields.LeftAxis.Maximum = "2.5e4";
    fields.LeftAxis.Title = "Q [m3/d]";
    fields.BottomAxis.GridVisible = false;
    fields.Series[0] = {"Influent", "#ff0000", 5, false};
    ApplyChartFields(chart, fields);
    EXPECT_EQ(chart.Title, "Flows");
    EXPECT_FALSE(chart.LegendVisible);
    EXPECT_FALSE(chart.LeftAxis.AutomaticMaximum);
    EXPECT_EQ(chart.LeftAxis.Maximum, 25000.0);
    EXPECT_EQ(chart.LeftAxis.Title, "Q [m3/d]");
    EXPECT_FALSE(chart.BottomAxis.GridVisible);
    EXPECT_EQ(chart.Series[0]->Title, "Influent");
    EXPECT_EQ(chart.Series[0]->Color, 0xFF0000u);
    EXPECT_EQ(chart.Series[0]->PenWidth, 5);
    EXPECT_FALSE(chart.Series[0]->Active);
}

TEST_F(ChartEditing, ABadEntryIsNamedAndChangesNothing)
{
    struct Case {
        std::function<void(ChartFields&)> edit;
        const char* message;
    };
    const Case cases[] = {
        {[](ChartFields& f) {
             f.LeftAxis.AutomaticMaximum = false;
             f.LeftAxis.Maximum = "1,5";
         },
         "Left axis, Maximum: \"1,5\" is not a number."},
        {[](ChartFields& f) {
             f.BottomAxis.AutomaticMinimum = false;
             f.BottomAxis.AutomaticMaximum = false;
             f.BottomAxis.Minimum = "30";
             f.BottomAxis.Maximum = "24";
         },
         "Bottom axis, Maximum: must be greater than the minimum 30."},
        {[](ChartFields& f) {
             f.LeftAxis.AutomaticIncrement = false;
             f.LeftAxis.Increment = "0";
         },
         "Left axis, Increment: must be greater than 0."},
        {[](ChartFields& f) { f.Series[1].Color = "green"; },
         "Series 2 (Q out), Colour: \"green\" is not a colour #RRGGBB."},
        {[](ChartFields& f) { f.Series[0].PenWidth = 6; },
         "Series 1 (Q in), Width: must be 1 to 5, not 6."},
    };
    for (const Case& c : cases) {
        ChartFields fields = ChartFieldsOf(chart);
        fields.Title = "changed";
        c.edit(fields);
        const ChartFields before = ChartFieldsOf(chart);
        try {
            ApplyChartFields(chart, fields);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        EXPECT_EQ(ChartFieldsOf(chart), before) << c.message;
    }
}

TEST(Colors, TextAndParsing)
{
    EXPECT_EQ(ColorText(0), "");
    EXPECT_EQ(ColorText(0x0A0B0C), "#0A0B0C");
    EXPECT_EQ(ParseColor(""), std::optional<std::uint32_t>(0u));
    EXPECT_EQ(ParseColor(" #a0B0c0 "), std::optional<std::uint32_t>(0xA0B0C0u));
    EXPECT_EQ(ParseColor("A0B0C0"), std::optional<std::uint32_t>(0xA0B0C0u));
    // Black stays black rather than turning into the palette's colour.
    EXPECT_EQ(ParseColor("#000000"), std::optional<std::uint32_t>(0x010101u));
    for (const char* bad : {"#12345", "#1234567", "#GG0000", "red"})
        EXPECT_EQ(ParseColor(bad), std::nullopt) << bad;
}

} // namespace
} // namespace narv

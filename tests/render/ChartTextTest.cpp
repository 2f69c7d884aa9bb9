#include "render/ChartText.h"
#include "results/ChartModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace narv {
namespace {

using ::testing::ElementsAre;

TEST(LeftAxisLabelFormat, ExponentFormOutsideOneThousandthToTenThousand)
{
    EXPECT_EQ(LeftAxisLabelFormat(10000.0), "#,##0.###");
    EXPECT_EQ(LeftAxisLabelFormat(0.001), "#,##0.###");
    EXPECT_EQ(LeftAxisLabelFormat(10000.5), "0.00 E+00;;0");
    EXPECT_EQ(LeftAxisLabelFormat(0.000999), "0.00 E+00;;0");
}

TEST(ToQtLabelFormat, ConvertsPictureFormats)
{
    EXPECT_EQ(ToQtLabelFormat("0.00 E+00;;0"), "%.2E");
    EXPECT_EQ(ToQtLabelFormat("0.000e-00"), "%.3e");
    EXPECT_EQ(ToQtLabelFormat("#,##0.###"), "%.15g"); // optional decimals: no trailing zeros
    EXPECT_EQ(ToQtLabelFormat("0.00"), "%.2f");
    EXPECT_EQ(ToQtLabelFormat("#,##0"), "%.0f");
    EXPECT_EQ(ToQtLabelFormat("0.0;-0.0;zero"), "%.1f"); // later sections are ignored
    EXPECT_EQ(ToQtLabelFormat(""), "%g");
}

TEST(LegendTexts, SpeciesChartShowsOnlyTheCompartments)
{
    EXPECT_THAT(LegendTextsOfTitles({"R 1: S_O", "R 2: S_O", "Cl 1: S_O"}),
                ElementsAre("R 1", "R 2", "Cl 1"));
}

TEST(LegendTexts, SharedCompartmentShowsOnlyTheQuantities)
{
    EXPECT_THAT(LegendTextsOfTitles({"R 1: S_O", "R 1: rho of growth: heterotrophs"}),
                ElementsAre("S_O", "rho of growth: heterotrophs"));
}

TEST(LegendTexts, FullTitlesWhenNeitherPartIsShared)
{
    EXPECT_THAT(LegendTextsOfTitles({"R 1: S_O", "R 2: S_NH"}),
                ElementsAre("R 1: S_O", "R 2: S_NH"));
    EXPECT_THAT(LegendTextsOfTitles({"R 1: S_O", "1.influent flowrate"}),
                ElementsAre("R 1: S_O", "1.influent flowrate"));
    EXPECT_THAT(LegendTextsOfTitles({"1.influent flowrate", "Return sludge flowrate"}),
                ElementsAre("1.influent flowrate", "Return sludge flowrate"));
    EXPECT_TRUE(LegendTextsOfTitles({}).empty());
}

TEST(ChartFileName, IndexAndSafeTitle)
{
    EXPECT_EQ(ChartFileName(3, "Flow Rates"), "03-Flow Rates.png");
    EXPECT_EQ(ChartFileName(12, "Dx: Excess/removal*?"), "12-Dx_ Excess_removal__.png");
    EXPECT_EQ(ChartFileName(7, "S_O 2.5 mg-l"), "07-S_O 2.5 mg-l.png");
    EXPECT_EQ(ChartFileName(4, "K\xC3\xB6rper"), "04-K_rper.png"); // one "_" per character
    EXPECT_EQ(ChartFileName(5, "Chart. "), "05-Chart.png");
    EXPECT_EQ(ChartFileName(6, ""), "06.png");
    EXPECT_EQ(ChartFileName(9, "A", 3), "009-A.png");
    EXPECT_EQ(ChartFileName(123, "A"), "123-A.png");
}

} // namespace
} // namespace narv

#include "results/SeriesText.h"

#include "core/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace narv {
namespace {

using ::testing::ElementsAre;

SeriesPointer makeSeries(const std::string& name, const std::string& title,
                         const std::vector<double>& values)
{
    auto series = std::make_shared<TResultSeries>();
    series->Name = name;
    series->Title = title;
    for (std::size_t i = 0; i < values.size(); ++i)
        series->Points.push_back({static_cast<double>(i), values[i]});
    return series;
}

// Series 1 is the 1st influent flow, series 5 a concentration.
struct Statistics : ::testing::Test {
    Statistics()
    {
        results.Quantities = {"Time steps=f",
                              "1.influent flowrate=f",
                              "Return sludge flowrate=f",
                              "Recirculation flowrate=f",
                              "Excess sludge removal=f",
                              "S Tracer=t"};
        results.Series.resize(6);
        results.Series[1] = makeSeries("cSeries1", "1.influent flowrate", {0.0, 100.0, 300.0});
        results.Series[5] = makeSeries("cSeries5", "S Tracer", {10.0, 20.0, 40.0});
    }
    TResultSet results;
};

const std::string kHeader =
    "     Title                  \t Maximum \t Minimum \t  Mean   \tLoad Mean";

TEST_F(Statistics, OtherQuantitiesHaveNoLoadMean)
{
    TChart flows;
    flows.Series = {results.Series[1]};
    EXPECT_THAT(
        SeriesStatistics(results, flows),
        ElementsAre(kHeader, " 1.influent flowrate      \t  300.000\t    0.000\t  133.333"));
}

TEST_F(Statistics, ConcentrationsHaveTheFlowWeightedMean)
{
    TChart chart;
    chart.Series = {results.Series[5], makeSeries("fSeries0", "S Tracer", {1.0, 2.0})};
    // (0 * 10 + 100 * 20 + 300 * 40) / 400 = 35
    EXPECT_THAT(
        SeriesStatistics(results, chart),
        ElementsAre(kHeader,
                    " S Tracer                 \t   40.000\t   10.000\t   23.333\t   35.000",
                    " S Tracer                 \t    2.000\t    1.000\t    1.500"));

    for (ResultPoint& point : results.Series[1]->Points)
        point.y = 0.0;
    EXPECT_EQ(SeriesStatistics(results, chart)[1],
              " S Tracer                 \t   40.000\t   10.000\t   23.333\t    0.000");

    // Loaded results list every quantity as "c=f".
    results.Quantities.assign(6, "c=f");
    EXPECT_EQ(SeriesStatistics(results, chart)[1],
              " S Tracer                 \t   40.000\t   10.000\t   23.333");
}

TEST_F(Statistics, LongTitlesAndEmptySeriesKeepTheColumns)
{
    TChart chart;
    chart.Series = {makeSeries("x", "A title of more than twenty-five characters", {}),
                    makeSeries("y", "Temperatur °C", {12345.0})};
    EXPECT_THAT(
        SeriesStatistics(results, chart),
        ElementsAre(kHeader,
                    " A title of more than twenty-five characters\t    0.000\t    0.000\t    "
                    "0.000",
                    " Temperatur °C            \t   1.23E+4 \t   1.23E+4 \t   1.23E+4 "));
}

TEST(CopySeriesAsText, WritesOneLinePerPointOfTheFirstSeries)
{
    TChart chart;
    chart.Series = {makeSeries("a", "A", {1.5, 0.25}), makeSeries("b", "B", {-2.0, 0.0, 9.0})};
    EXPECT_EQ(CopySeriesAsText(chart), "Time Values\tA\tB"
                                       "\r\n      0.000000000000\t      1.500000000000"
                                       "\t     -2.000000000000"
                                       "\r\n      1.000000000000\t      0.250000000000"
                                       "\t      0.000000000000");
    std::swap(chart.Series[0], chart.Series[1]);
    EXPECT_THROW(CopySeriesAsText(chart), RangeError);
    EXPECT_EQ(CopySeriesAsText(TChart()), "Time Values");
}

TEST(LoadSeriesFromFile, ReadsTitleAndPointsAfterTheHeaderLines)
{
    TResultSet results;
    results.Charts.resize(2);
    results.LoadedSeriesCounter = 4;
    std::istringstream in("Measured at the outlet\r\nNH4 outlet\r\n  t   NH4\r\n0 1.5\r\n"
                          "  1.5\t2e3 \r\n\r\n");
    LoadSeriesFromStream(results, 1, in, "outlet.txt");
    ASSERT_EQ(results.Charts[1].Series.size(), 1u);
    const TResultSeries& series = *results.Charts[1].Series[0];
    EXPECT_EQ(series.Title, "NH4 outlet");
    EXPECT_EQ(series.Name, "fSeries4");
    EXPECT_TRUE(series.PointsOnly);
    EXPECT_THAT(series.Points, ElementsAre(ResultPoint{0.0, 1.5}, ResultPoint{1.5, 2000.0}));
    EXPECT_EQ(results.LoadedSeriesCounter, 5);

    std::istringstream mac("Measured\rNH4\rt NH4\r0 1.5\r1 2\r");
    LoadSeriesFromStream(results, 0, mac, "mac.txt");
    EXPECT_THAT(results.Charts[0].Series[0]->Points,
                ElementsAre(ResultPoint{0.0, 1.5}, ResultPoint{1.0, 2.0}))
        << "lone carriage returns end lines";
}

TEST(LoadSeriesFromFile, AnyBadLineAddsNothing)
{
    TResultSet results;
    results.Charts.resize(1);
    for (const char* text : {"h\nt\nu\n0 1\n1 x\n", "h\nt\nu\n0 1 2\n", "h\nt\nu\n0,5 1\n",
                             "h\nt\nu\n7\n", "h\nt\n"}) {
        SCOPED_TRACE(text);
        std::istringstream in(text);
        try {
            LoadSeriesFromStream(results, 0, in, "bad.dat");
            ADD_FAILURE() << "read";
        } catch (const InvalidFileError& e) {
            EXPECT_STREQ(e.what(), "Error loading data file.\nPlease check data format!");
            EXPECT_THAT(e.detail(), ::testing::StartsWith("bad.dat, line "));
        }
    }
    EXPECT_TRUE(results.Charts[0].Series.empty());
    EXPECT_EQ(results.LoadedSeriesCounter, 0);
    std::istringstream in("h\nt\nu\n");
    EXPECT_THROW(LoadSeriesFromStream(results, 1, in, "x"), IndexError);
}

TEST(SeriesCsv, QuotesTitlesAndWritesNineSignificantDigits)
{
    std::vector<SeriesPointer> series = {
        makeSeries("cSeries0", "Time steps", {0.0, 1.0 / 12.0}), nullptr,
        makeSeries("cSeries2", "R 1: S, \"free\" NH4", {static_cast<float>(0.1), 123456789.0}),
        makeSeries("cSeries3", "short", {1e-7})};
    series[0]->Points[1].x = 1.0 / 12.0;
    std::ostringstream out;
    WriteSeriesCsv(out, series);
    EXPECT_EQ(out.str(), "X,Time steps,\"R 1: S, \"\"free\"\" NH4\",short\r\n"
                         "0,0,0.100000001,1e-07\r\n"
                         "0.08333333333333333,0.0833333333,123456789,\r\n");
    std::ostringstream empty;
    WriteSeriesCsv(empty, {});
    EXPECT_EQ(empty.str(), "X\r\n");
}

} // namespace
} // namespace narv

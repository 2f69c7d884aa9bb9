#include "results/ResultsFile.h"

#include "SampleRun.h"
#include "TempPath.h"
#include "core/Error.h"
#include "core/Version.h"
#include "results/ChartFile.h"
#include "results/ChartModel.h"
#include "results/SeriesText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace narv {
namespace {

using ::testing::ElementsAre;

void expectSameBits(const std::vector<ResultPoint>& a, const std::vector<ResultPoint>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(a[i].x), std::bit_cast<std::uint64_t>(b[i].x)) << i;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(a[i].y), std::bit_cast<std::uint64_t>(b[i].y)) << i;
    }
}

void expectSameSeries(const TResultSeries& a, const TResultSeries& b)
{
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Title, b.Title);
    EXPECT_EQ(a.Tag, b.Tag);
    EXPECT_EQ(a.PenWidth, b.PenWidth);
    EXPECT_EQ(a.Active, b.Active);
    EXPECT_EQ(a.PointsOnly, b.PointsOnly);
    EXPECT_EQ(a.OnRightAxis, b.OnRightAxis);
    EXPECT_EQ(a.Color, b.Color);
    expectSameBits(a.Points, b.Points);
}

void expectSameChart(const TChart& a, const TChart& b)
{
    SCOPED_TRACE(a.Name);
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Title, b.Title);
    EXPECT_EQ(a.Footnote, b.Footnote);
    EXPECT_EQ(a.Category, b.Category);
    EXPECT_EQ(a.LeftAxis, b.LeftAxis);
    EXPECT_EQ(a.BottomAxis, b.BottomAxis);
    EXPECT_EQ(a.RightAxis, b.RightAxis);
    EXPECT_EQ(a.LegendVisible, b.LegendVisible);
    EXPECT_EQ(a.TitleVisible, b.TitleVisible);
    EXPECT_EQ(a.FootnoteVisible, b.FootnoteVisible);
    EXPECT_EQ(a.InMenu, b.InMenu);
    ASSERT_EQ(a.Series.size(), b.Series.size());
    for (std::size_t i = 0; i < a.Series.size(); ++i)
        expectSameSeries(*a.Series[i], *b.Series[i]);
}

std::string saved(const TResultSet& results)
{
    std::ostringstream out;
    SaveResults(out, results);
    return out.str();
}

TResultSet loaded(const std::string& bytes)
{
    std::istringstream in(bytes);
    TResultSet results;
    LoadResults(in, results);
    return results;
}

std::string int32Bytes(std::int32_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] =
            static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i));
    return bytes;
}

// A run of the four-process model, a user chart and a loaded series, with every property of
// charts, series and window set away from its default.
struct ResultsFile : ::testing::Test {
    ResultsFile()
    {
        const TModelDef model = testing::MakeFourProcessModel();
        const TPlantDef plant = testing::MakeCascade(2, 1, 10.0);
        testing::RecordSampleRun(results, model, plant, 3, 1.0);
        results.RunStart = "01.02.2024 03:04:05";
        results.RunId = " 20240201030405";
        BuildRunCharts(results, MakeRunChartContext(model, plant));
        const int mine = AddUserChart(results, std::string(300, 'T'), ChartSetup());
        AddSeriesToChart(results, mine, {11, 1});
        TChart& chart = results.Charts[static_cast<std::size_t>(mine)];
        chart.Footnote = "Footnote ä";
        chart.LeftAxis = {"Left", true, false, false, -1.5, 2.5, 0.5, "0.0", false, false, false};
        chart.BottomAxis.Title = "Zeit [h]";
        chart.RightAxis = {"Right", false, false, false, 0.0, 3.0, 1.0, "", true, false, true};
        chart.LegendVisible = false;
        chart.TitleVisible = false;
        chart.FootnoteVisible = false;
        chart.InMenu = false;
        TResultSeries& series = *chart.Series[0];
        series.PenWidth = 5;
        series.Active = false;
        series.PointsOnly = true;
        series.OnRightAxis = true;
        series.Color = 0x123456;
        series.Points = {{-0.0, 0.1},
                         {1e-310, std::numeric_limits<double>::max()},
                         {std::numeric_limits<double>::lowest(), static_cast<float>(0.1)}};
        std::istringstream data("h\nfrom file\nu\n1 2\n");
        LoadSeriesFromStream(results, 3, data, "data.txt");
        results.Charts[3].Category = ChartCategory::LoadedFromFile;
        SetChartChecked(results, 2, true);
        SetChartChecked(results, 9, true);
        results.CurrentChart = 4;
        results.TileMode = true;
        results.View.Legends = false;
        results.View.HorizontalGrid = false;
    }
    TResultSet results;
};

TEST_F(ResultsFile, RoundTripKeepsEveryProperty)
{
    const std::string bytes = saved(results);
    TResultSet back = loaded(bytes);
    EXPECT_EQ(back.FirstAutoChart, 0);
    EXPECT_EQ(back.LastAutoChart, 14);
    EXPECT_EQ(back.CurrentChart, 4);
    EXPECT_EQ(back.Reserved, 0);
    EXPECT_EQ(back.LoadedSeriesCounter, 3);
    EXPECT_EQ(back.RunStart, results.RunStart);
    EXPECT_EQ(back.RunId, results.RunId);
    EXPECT_TRUE(back.TileMode);
    EXPECT_THAT(back.CheckedCharts, ElementsAre(2, 9));
    EXPECT_EQ(back.View, results.View);
    ASSERT_EQ(back.Charts.size(), 16u);
    for (std::size_t i = 0; i < back.Charts.size(); ++i)
        expectSameChart(back.Charts[i], results.Charts[i]);

    // The run's series come back at their index, shared again by the charts that show them.
    ASSERT_EQ(back.Series.size(), 42u);
    EXPECT_EQ(back.Series[0], nullptr); // in no chart
    EXPECT_EQ(back.Series[30], nullptr);
    ASSERT_NE(back.Series[11], nullptr);
    expectSameSeries(*back.Series[11], *results.Series[11]);
    EXPECT_EQ(back.Charts[5].Series[0], back.Series[11]);
    EXPECT_EQ(back.Charts[15].Series[0]->Name, "fSeries0"); // the user's copy stays its own
    EXPECT_EQ(back.Quantities, std::vector<std::string>(42, "c=f"));

    EXPECT_EQ(saved(back), bytes);
}

TEST_F(ResultsFile, HeaderFieldsFollowTheFileLayout)
{
    results.RunStart = std::string(300, 's');
    const std::string bytes = saved(results);
    const std::string version = ProgramVersionText;
    std::size_t at = 0;
    EXPECT_EQ(static_cast<unsigned char>(bytes[at]), version.size());
    EXPECT_EQ(bytes.substr(at + 1, version.size()), version);
    at += 1 + version.size();
    EXPECT_EQ(bytes.substr(at, 20),
              int32Bytes(0) + int32Bytes(14) + int32Bytes(4) + int32Bytes(0) + int32Bytes(3));
    at += 20;
    EXPECT_EQ(static_cast<unsigned char>(bytes[at]), 255u); // cut to 255 characters
    at += 1 + 255;
    EXPECT_EQ(bytes.substr(at, 16), std::string("\x0F 20240201030405", 16));
    at += 16;
    EXPECT_EQ(bytes.substr(at, 8), int32Bytes(41) + int32Bytes(15));
    // Tile mode, two checked charts, the seven view options.
    EXPECT_EQ(bytes.substr(bytes.size() - 20), std::string("\x01", 1) + int32Bytes(2) +
                                                   int32Bytes(2) + int32Bytes(9) +
                                                   std::string("\x01\x00\x01\x01\x01\x01\x00", 7));
    EXPECT_EQ(loaded(bytes).RunStart, std::string(255, 's'));
}

TEST(ResultsFileBeforeAnyRun, HoldsNoChartsAndLoadsEmpty)
{
    const TResultSet empty;
    const std::string bytes = saved(empty);
    const std::string version = ProgramVersionText;
    EXPECT_EQ(bytes, static_cast<char>(version.size()) + version + int32Bytes(-1) + int32Bytes(-1) +
                         int32Bytes(-1) + int32Bytes(0) + int32Bytes(0) + std::string(2, '\0') +
                         int32Bytes(-1) + int32Bytes(-1) + std::string(1, '\0') + int32Bytes(0) +
                         std::string(7, '\x01'));
    TResultSet results;
    results.Charts.resize(3);
    results.RunStart = "earlier";
    std::istringstream in(bytes);
    LoadResults(in, results);
    EXPECT_TRUE(results.Charts.empty());
    EXPECT_TRUE(results.Series.empty());
    EXPECT_TRUE(results.Quantities.empty());
    EXPECT_EQ(results.FirstAutoChart, -1);
    EXPECT_EQ(results.CurrentChart, -1);
    EXPECT_EQ(results.RunStart, "");
}

TEST_F(ResultsFile, DamagedFilesFailAndChangeNothing)
{
    // A small window keeps the byte-by-byte damage quick.
    results.Charts.erase(results.Charts.begin() + 3, results.Charts.end());
    results.CheckedCharts = {2};
    const std::string bytes = saved(results);
    TResultSet target;
    target.RunStart = "kept";
    const auto expectRefused = [&](const std::string& damaged) {
        std::istringstream in(damaged);
        EXPECT_THROW(LoadResults(in, target, "run.rlt"), InvalidFileError);
        EXPECT_EQ(target.RunStart, "kept");
    };
    for (std::size_t size = 0; size < bytes.size(); ++size)
        expectRefused(bytes.substr(0, size));
    expectRefused(bytes + '\0');
    expectRefused("Proj: a plain text file\r\nthat is no results file\r\n");

    // Any single byte set to 0xFF either still decodes or is refused; nothing crashes.
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string damaged = bytes;
        damaged[at] = '\xFF';
        std::istringstream in(damaged);
        TResultSet any;
        try {
            LoadResults(in, any);
        } catch (const InvalidFileError&) {
        }
    }

    try {
        std::string huge = bytes;
        const std::size_t chartCount = 1 + std::strlen(ProgramVersionText) + 20 + 20 + 16 + 4;
        huge.replace(chartCount, 4, int32Bytes(0x7FFFFFF0));
        std::istringstream in(huge);
        LoadResults(in, target, "run.rlt");
        FAIL() << "a chart count beyond the file was read";
    } catch (const InvalidFileError& e) {
        EXPECT_STREQ(e.what(), "run.rlt is not a results file of this program, or it is damaged.");
        EXPECT_THAT(e.detail(), ::testing::HasSubstr("chart count 2147483632 needs at least"));
    }
}

TEST_F(ResultsFile, ChartFilesRoundTripAndLoadAsNewCharts)
{
    const auto dir = narv::testing::UniqueTempPath("narv-chart-files");
    std::filesystem::create_directories(dir);
    std::tm now{};
    now.tm_year = 124;
    now.tm_mon = 11;
    now.tm_mday = 31;
    now.tm_hour = 23;
    now.tm_min = 59;
    now.tm_sec = 58;
    EXPECT_EQ(ChartCopyName(now), "F241231235958");
    EXPECT_EQ(ProposedChartFileName(results, results.Charts[1]),
              "Run 20240201030405 Dx_ Excess sludge removal.tee");
    EXPECT_EQ(ProposedChartFileName(results, results.Charts[0]),
              "Run 20240201030405 Flow Rates.tee");

    const std::vector<std::filesystem::path> files = SaveCheckedCharts(results, dir, now);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(),
              "Run 20240201030405 Concentrations of dissolved species in the influent.tee");
    SaveChartAs(results, 15, dir / "mine.tee", now);
    {
        std::ifstream in(dir / "mine.tee", std::ios::binary);
        TChart chart = ReadChartFile(in, "mine.tee");
        TChart expected = results.Charts[15];
        expected.Name = "F241231235958";
        expectSameChart(chart, expected);
    }

    const int loadedChart = LoadChartFromFile(results, files[1]);
    ASSERT_EQ(loadedChart, 16);
    const TChart& fromFile = results.Charts[16];
    EXPECT_EQ(fromFile.Name, "Chart16");
    EXPECT_EQ(fromFile.Title, "Growth of biomass of all reactors (from File)");
    EXPECT_EQ(fromFile.Category, ChartCategory::LoadedFromFile);
    ASSERT_EQ(fromFile.Series.size(), 2u);
    EXPECT_EQ(fromFile.Series[0]->Name, "fSeries3");
    EXPECT_EQ(fromFile.Series[1]->Name, "fSeries4");
    EXPECT_EQ(fromFile.Series[0]->Points, results.Series[15]->Points);
    EXPECT_NE(fromFile.Series[0], results.Series[15]);
    EXPECT_EQ(results.CurrentChart, 16);
    EXPECT_FALSE(results.TileMode);

    // A template keeps the file's title and follows the run by series title.
    TChart pattern = CopyChart(results.Charts[15], "Chart15");
    pattern.Title = "Pattern";
    pattern.Series.push_back(std::make_shared<TResultSeries>());
    pattern.Series.back()->Title = "gone";
    pattern.Series[0]->Points.clear();
    std::stringstream file;
    WriteChartFile(file, pattern);
    const int templateChart = LoadTemplateFromStream(results, file, "pattern.tee");
    const TChart& fromTemplate = results.Charts[static_cast<std::size_t>(templateChart)];
    EXPECT_EQ(fromTemplate.Title, "Pattern");
    EXPECT_EQ(fromTemplate.Category, ChartCategory::UserDefined);
    ASSERT_EQ(fromTemplate.Series.size(), 2u);
    EXPECT_EQ(fromTemplate.Series[0]->Points, results.Series[11]->Points);
    EXPECT_EQ(fromTemplate.Series[1]->Title, "1.influent flowrate");
    EXPECT_EQ(results.LoadedSeriesCounter, 8);

    std::istringstream bad("NARV chart\r\n\x1A"
                           "NCHR");
    EXPECT_THROW(LoadChartFromStream(results, bad, "bad.tee"), InvalidFileError);
    std::istringstream foreign(std::string(saved(results)));
    EXPECT_THROW(LoadChartFromStream(results, foreign, "run.rlt"), InvalidFileError);
    EXPECT_EQ(results.Charts.size(), 18u);
    EXPECT_EQ(results.LoadedSeriesCounter, 8);
    std::filesystem::remove_all(dir);
}

TEST_F(ResultsFile, FilesAreWrittenThroughATemporaryFile)
{
    const auto path = narv::testing::UniqueTempPath("narv-results-file-test.rlt");
    SaveResultsFile(path, results);
    TResultSet back;
    LoadResultsFile(path, back);
    EXPECT_EQ(back.Charts.size(), results.Charts.size());
    std::filesystem::remove(path);
    EXPECT_THROW(LoadResultsFile(path, back), IoError);
    EXPECT_EQ(back.Charts.size(), results.Charts.size());
    EXPECT_THROW(SaveResultsFile("/nonexistent-dir/x.rlt", results), IoError);
}

} // namespace
} // namespace narv

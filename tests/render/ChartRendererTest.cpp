#include "render/ChartRenderer.h"

#include "core/Error.h"
#include "render/QtChart.h"

#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtGui/QColor>
#include <QtGui/QImage>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace narv {
namespace {

namespace fs = std::filesystem;

// Before any test creates the application: the tests never need a display.
const bool kOffscreen = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

SeriesPointer makeSeries(const std::string& title, std::vector<ResultPoint> points,
                         std::uint32_t color = 0)
{
    auto series = std::make_shared<TResultSeries>();
    series->Title = title;
    series->Points = std::move(points);
    series->Color = color;
    return series;
}

TChart makeChart(const std::string& title)
{
    TChart chart;
    chart.Title = title;
    chart.Footnote = "Proj: test, Mod: asm1, Pl: cascade, Var: none, Run: 01.02.2024 10:00:00";
    chart.LeftAxis.Title = "Concentration [g/m3]";
    chart.BottomAxis.Title = "Time [h]";
    chart.BottomAxis.AutomaticMaximum = false;
    chart.BottomAxis.AutomaticIncrement = false;
    chart.BottomAxis.Maximum = 24.0;
    chart.BottomAxis.Increment = 2.0;
    return chart;
}

bool containsColor(const QImage& image, QRgb color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFFu) == (color & 0xFFFFFFu))
                return true;
        }
    }
    return false;
}

class ChartRendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The process id keeps runs of two builds at the same time apart.
        m_dir = fs::temp_directory_path() /
                fmt::format("narv-render-{}-{}", ::getpid(),
                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::vector<fs::path> filesInDirectory() const
    {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(m_dir))
            files.push_back(entry.path());
        return files;
    }

    fs::path m_dir;
};

TEST_F(ChartRendererTest, DrawsActiveSeriesInTheirColoursAtTheRequestedSize)
{
    TChart chart = makeChart("Flow Rates");
    chart.Series.push_back(
        makeSeries("1.influent flowrate", {{0, 100}, {12, 400}, {24, 150}}, 0x1234AB));
    chart.Series.push_back(makeSeries("Return sludge flowrate", {{0, 50}, {24, 60}}));
    SeriesPointer hidden = makeSeries("Recirculation flowrate", {{0, 300}, {24, 300}}, 0xAB3412);
    hidden->Active = false;
    chart.Series.push_back(hidden);
    const fs::path file = m_dir / "flows.png";

    RenderChartToPng(chart, file, 640, 480);

    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(file.string()), "PNG"));
    EXPECT_EQ(image.width(), 640);
    EXPECT_EQ(image.height(), 480);
    EXPECT_TRUE(containsColor(image, qRgb(0x12, 0x34, 0xAB)));
    EXPECT_FALSE(containsColor(image, qRgb(0xAB, 0x34, 0x12)));
    EXPECT_EQ(filesInDirectory(), std::vector<fs::path>{file}); // no temporary file left
}

TEST_F(ChartRendererTest, EmptyChartsRender)
{
    TChart noSeries = makeChart("Nothing recorded");
    TChart noPoints = makeChart("No points");
    noPoints.Series.push_back(makeSeries("R 1: S_O", {}));
    noPoints.Series.push_back(makeSeries("R 2: S_O", {}));
    TChart bare; // no titles, automatic axes, no footnote

    const std::vector<fs::path> files =
        RenderChartsToDirectory({noSeries, noPoints, bare}, m_dir / "charts");

    ASSERT_EQ(files.size(), 3U);
    EXPECT_EQ(files[0].filename(), "00-Nothing recorded.png");
    EXPECT_EQ(files[1].filename(), "01-No points.png");
    EXPECT_EQ(files[2].filename(), "02.png");
    for (const fs::path& file : files) {
        QImage image;
        EXPECT_TRUE(image.load(QString::fromStdString(file.string()), "PNG")) << file;
        EXPECT_EQ(image.size(), QSize(1200, 800)) << file;
    }
}

TEST_F(ChartRendererTest, AutomaticMaximumFollowsTheDataAndChoosesTheLabelFormat)
{
    TChart large = makeChart("X_BH");
    large.Series.push_back(makeSeries("R 1: X_BH", {{0, 1200}, {12, 52000}, {24, 800}}));
    large.Series.push_back(makeSeries("R 2: X_BH", {{0, 1000}, {24, 30000}}));
    std::unique_ptr<QChart> built = BuildQtChart(large);
    const auto* left = qobject_cast<QValueAxis*>(built->axes(Qt::Vertical).front());
    ASSERT_NE(left, nullptr);
    EXPECT_DOUBLE_EQ(left->min(), 0.0);
    EXPECT_DOUBLE_EQ(left->max(), 52000.0);
    EXPECT_EQ(left->labelFormat(), "%.2E");
    const auto* bottom = qobject_cast<QValueAxis*>(built->axes(Qt::Horizontal).front());
    ASSERT_NE(bottom, nullptr);
    EXPECT_DOUBLE_EQ(bottom->max(), 24.0);
    EXPECT_DOUBLE_EQ(bottom->tickInterval(), 2.0);

    TChart medium = large;
    medium.Series = {makeSeries("R 1: S_O", {{0, 0.5}, {24, 2.5}})};
    built = BuildQtChart(medium);
    EXPECT_EQ(qobject_cast<QValueAxis*>(built->axes(Qt::Vertical).front())->labelFormat(), "%.15g");

    RenderChartToPng(large, m_dir / "large.png", 400, 300);
    EXPECT_TRUE(fs::file_size(m_dir / "large.png") > 0);
}

TEST_F(ChartRendererTest, ExplicitExponentFormatAndFixedRangeAreKept)
{
    TChart chart = makeChart("Reaction rates O2");
    chart.LeftAxis.LabelFormat = "0.00 E+00;;0";
    chart.LeftAxis.AutomaticMaximum = false;
    chart.LeftAxis.Maximum = 5.0;
    chart.Series.push_back(makeSeries("R 1: reactionrates O2", {{0, 1}, {24, 9}}));
    std::unique_ptr<QChart> built = BuildQtChart(chart);
    const auto* left = qobject_cast<QValueAxis*>(built->axes(Qt::Vertical).front());
    EXPECT_DOUBLE_EQ(left->max(), 5.0);
    EXPECT_EQ(left->labelFormat(), "%.2E");

    RenderChartToPng(chart, m_dir / "rates.png", 300, 200);
    QImage image;
    EXPECT_TRUE(image.load(QString::fromStdString((m_dir / "rates.png").string()), "PNG"));
}

TEST_F(ChartRendererTest, SeriesKindsAxesAndLegendTexts)
{
    TChart chart = makeChart("S_O of all reactors");
    chart.RightAxis.AutomaticMaximum = false;
    chart.RightAxis.Maximum = 3.0;
    chart.Series.push_back(makeSeries("R 1: S_O", {{0, 2}, {24, 2}}));
    SeriesPointer measured = makeSeries("Cl 1: S_O", {{1, 1.5}, {5, 1.7}});
    measured->PointsOnly = true;
    chart.Series.push_back(measured);
    SeriesPointer lane = makeSeries("Lane fed: S_O", {{0, 1}, {24, 2}});
    lane->OnRightAxis = true;
    chart.Series.push_back(lane);

    std::unique_ptr<QChart> built = BuildQtChart(chart);
    const QList<QAbstractSeries*> series = built->series();
    ASSERT_EQ(series.size(), 3);
    EXPECT_NE(qobject_cast<QLineSeries*>(series[0]), nullptr);
    EXPECT_NE(qobject_cast<QScatterSeries*>(series[1]), nullptr);
    EXPECT_EQ(series[0]->name(), "R 1");
    EXPECT_EQ(series[1]->name(), "Cl 1");
    EXPECT_EQ(qobject_cast<QLineSeries*>(series[0])->pen().width(), 3);
    const QList<QAbstractAxis*> rightAxes = built->axes(Qt::Vertical, series[2]);
    ASSERT_EQ(rightAxes.size(), 1);
    EXPECT_EQ(rightAxes.front()->alignment(), Qt::AlignRight);
    EXPECT_DOUBLE_EQ(qobject_cast<QValueAxis*>(rightAxes.front())->max(), 3.0);
    EXPECT_TRUE(built->legend()->isVisible());

    chart.Series.resize(1); // one entry would only repeat the title
    EXPECT_FALSE(BuildQtChart(chart)->legend()->isVisible());
}

TEST_F(ChartRendererTest, FailedWriteThrowsAndLeavesNoTemporaryFile)
{
    TChart chart = makeChart("Flow Rates");
    chart.Series.push_back(makeSeries("1.influent flowrate", {{0, 100}, {24, 150}}));

    EXPECT_THROW(RenderChartToPng(chart, m_dir / "missing" / "flows.png"), IoError);

    // A directory in the way of the target: the temporary file is written, the rename fails.
    const fs::path blocked = m_dir / "blocked.png";
    fs::create_directories(blocked / "inside");
    EXPECT_THROW(RenderChartToPng(chart, blocked), IoError);
    EXPECT_EQ(filesInDirectory(), std::vector<fs::path>{blocked});
}

TEST_F(ChartRendererTest, RejectsImpossibleSizes)
{
    EXPECT_THROW(RenderChartToPng(makeChart("A"), m_dir / "a.png", 0, 100), RangeError);
    EXPECT_FALSE(fs::exists(m_dir / "a.png"));
}

} // namespace
} // namespace narv

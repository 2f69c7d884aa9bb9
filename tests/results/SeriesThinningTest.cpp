#include "results/SeriesThinning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>

namespace narv {
namespace {

std::vector<ResultPoint> evenlySpaced(std::size_t count, double (*y)(std::size_t))
{
    std::vector<ResultPoint> points;
    for (std::size_t i = 0; i < count; ++i)
        points.push_back({static_cast<double>(i), y(i)});
    return points;
}

// Per pixel column of the range: the lowest and highest y of the points in it.
std::map<long, std::pair<double, double>> columnExtents(const std::vector<ResultPoint>& points,
                                                        double from, double to, int columns)
{
    std::map<long, std::pair<double, double>> extents;
    for (const ResultPoint& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || p.x < from || p.x > to)
            continue;
        const long column = std::min(static_cast<long>((p.x - from) * (columns / (to - from))),
                                     static_cast<long>(columns) - 1);
        auto [entry, added] = extents.try_emplace(column, p.y, p.y);
        entry->second.first = std::min(entry->second.first, p.y);
        entry->second.second = std::max(entry->second.second, p.y);
    }
    return extents;
}

TEST(SeriesThinning, AFlatLineKeepsTheEndsOfEachColumn)
{
    const auto points = evenlySpaced(1000, [](std::size_t) { return 2.5; });
    const std::vector<std::size_t> kept = ThinnedLineIndices(points, 0.0, 999.0, 10);
    ASSERT_EQ(kept.size(), 20u);
    EXPECT_EQ(kept.front(), 0u);
    EXPECT_EQ(kept.back(), 999u);
    // Column 0 holds x 0 to 99.9: its first and last point.
    EXPECT_EQ(kept[1], 99u);
    EXPECT_EQ(kept[2], 100u);
}

TEST(SeriesThinning, ASpikeAndADipInsideOneColumnStayInTheirOrder)
{
    auto points = evenlySpaced(1000, [](std::size_t) { return 0.0; });
    points[507].y = 100.0;
    points[505].y = -50.0;
    const std::vector<ResultPoint> thinned = ThinnedLine(points, 0.0, 999.0, 10);
    const auto dip = std::find(thinned.begin(), thinned.end(), points[505]);
    const auto spike = std::find(thinned.begin(), thinned.end(), points[507]);
    ASSERT_NE(dip, thinned.end());
    ASSERT_NE(spike, thinned.end());
    EXPECT_LT(dip, spike);
    EXPECT_EQ(thinned.size(), 22u);
}

TEST(SeriesThinning, EveryColumnKeepsItsExtremesAndAtMostFourPoints)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<ResultPoint> points;
    double x = 0.0;
    double y = 0.0;
    for (int i = 0; i < 20000; ++i) {
        x += std::uniform_real_distribution<double>(0.0, 0.01)(random);
        y += noise(random);
        points.push_back({x, y});
    }
    struct Case {
        double from, to;
        int columns;
    };
    for (const Case c : {Case{0.0, x, 300}, Case{0.0, x, 1}, Case{10.0, 20.0, 257},
                         Case{x / 3.0, x / 3.0 + 0.5, 1000}}) {
        const std::vector<std::size_t> kept = ThinnedLineIndices(points, c.from, c.to, c.columns);
        EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
        EXPECT_EQ(std::adjacent_find(kept.begin(), kept.end()), kept.end());
        std::vector<ResultPoint> thinned;
        for (const std::size_t i : kept)
            thinned.push_back(points[i]);
        EXPECT_EQ(columnExtents(thinned, c.from, c.to, c.columns),
                  columnExtents(points, c.from, c.to, c.columns))
            << c.from << " " << c.to << " " << c.columns;
        // Four per column and the two ends of each side outside.
        EXPECT_LE(thinned.size(), 4u * static_cast<std::size_t>(c.columns) + 4u);
    }
}

TEST(SeriesThinning, AMonotoneLineKeepsTwoPointsPerColumn)
{
    const auto points = evenlySpaced(10000, [](std::size_t i) { return std::sqrt(double(i)); });
    const std::vector<ResultPoint> thinned = ThinnedLine(points, 0.0, 9999.0, 100);
    EXPECT_EQ(thinned.size(), 200u);
    EXPECT_EQ(thinned.front(), points.front());
    EXPECT_EQ(thinned.back(), points.back());
}

TEST(SeriesThinning, AZoomedRangeKeepsTheNeighboursOutsideSoTheLineReachesTheEdges)
{
    const auto points = evenlySpaced(100, [](std::size_t i) { return double(i % 7); });
    const std::vector<std::size_t> kept = ThinnedLineIndices(points, 40.5, 60.5, 5);
    // Left: the first and last point before the range; right: the first after and the last.
    ASSERT_GE(kept.size(), 4u);
    EXPECT_EQ(kept[0], 0u);
    EXPECT_EQ(kept[1], 40u);
    EXPECT_EQ(kept[kept.size() - 2], 61u);
    EXPECT_EQ(kept.back(), 99u);
    for (const std::size_t i : kept)
        EXPECT_TRUE(i == 0 || i == 99 || (i >= 40 && i <= 61)) << i;
}

TEST(SeriesThinning, ALineLeavingAndReenteringTheRangeKeepsBothCrossings)
{
    // Loaded series need not run forward in time.
    std::vector<ResultPoint> points;
    for (int i = 0; i < 50; ++i)
        points.push_back({double(i), 1.0});
    for (int i = 49; i >= 0; --i)
        points.push_back({double(i), 2.0});
    const std::vector<std::size_t> kept = ThinnedLineIndices(points, 10.0, 20.0, 2);
    for (const std::size_t i : {9u, 21u, 78u, 90u}) // the last or first outside at each crossing
        EXPECT_NE(std::find(kept.begin(), kept.end(), i), kept.end()) << i;
}

TEST(SeriesThinning, GapsAreLeftOutAndDoNotSplitAColumn)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto points = evenlySpaced(1000, [](std::size_t) { return 1.0; });
    points[0].y = nan;
    points[50].x = nan;
    points[51].y = std::numeric_limits<double>::infinity();
    const std::vector<std::size_t> kept = ThinnedLineIndices(points, 0.0, 999.0, 10);
    EXPECT_EQ(kept.size(), 20u);
    EXPECT_EQ(kept.front(), 1u);
    for (const std::size_t i : kept)
        EXPECT_TRUE(std::isfinite(points[i].x) && std::isfinite(points[i].y)) << i;
}

TEST(SeriesThinning, WithoutRoomToThinEveryFinitePointStays)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto points = evenlySpaced(50, [](std::size_t i) { return double(i * i % 11); });
    points[3].y = nan;
    std::vector<ResultPoint> finite = points;
    finite.erase(finite.begin() + 3);
    struct Case {
        double from, to;
        int columns;
    };
    for (const Case c : {Case{0.0, 49.0, 49}, Case{0.0, 49.0, 1000}, Case{0.0, 49.0, 0},
                         Case{5.0, 5.0, 10}, Case{10.0, 0.0, 10}, Case{0.0, nan, 10},
                         Case{-std::numeric_limits<double>::infinity(), 5.0, 10}})
        EXPECT_EQ(ThinnedLine(points, c.from, c.to, c.columns), finite)
            << c.from << " " << c.to << " " << c.columns;
    EXPECT_TRUE(ThinnedLine({}, 0.0, 1.0, 10).empty());
}

} // namespace
} // namespace narv

#include "results/SeriesThinning.h"

#include <algorithm>
#include <cmath>

namespace narv {
namespace {

bool isFinitePoint(const ResultPoint& point)
{
    return std::isfinite(point.x) && std::isfinite(point.y);
}

// A stretch of consecutive points in one pixel column, or on one side outside the range.
struct Stretch {
    long column = 0;
    std::size_t first = 0, lowest = 0, highest = 0, last = 0;
};

} // namespace

std::vector<std::size_t> ThinnedLineIndices(const std::vector<ResultPoint>& points, double from,
                                            double to, int columns)
{
    std::vector<std::size_t> kept;
    const std::size_t finite =
        static_cast<std::size_t>(std::count_if(points.begin(), points.end(), isFinitePoint));
    const bool thinned = columns > 0 && std::isfinite(from) && std::isfinite(to) && to > from &&
                         finite > static_cast<std::size_t>(columns);
    if (!thinned) {
        kept.reserve(finite);
        for (std::size_t i = 0; i < points.size(); ++i)
            if (isFinitePoint(points[i]))
                kept.push_back(i);
        return kept;
    }
    kept.reserve(std::min(finite, 4 * static_cast<std::size_t>(columns) + 8));
    const double perColumn = static_cast<double>(columns) / (to - from);
    // Left of the range is column -1, right of it column `columns`.
    const auto columnOf = [&](double x) -> long {
        if (x < from)
            return -1;
        if (x > to)
            return columns;
        return std::min(static_cast<long>((x - from) * perColumn), static_cast<long>(columns) - 1);
    };
    const auto flush = [&](const Stretch& stretch) {
        const bool outside = stretch.column < 0 || stretch.column >= columns;
        // A segment between two points on one side of the range is never seen.
        std::size_t chosen[4] = {stretch.first, stretch.lowest, stretch.highest, stretch.last};
        if (outside)
            chosen[1] = chosen[2] = stretch.first;
        std::sort(std::begin(chosen), std::end(chosen));
        for (const std::size_t index : chosen)
            if (kept.empty() || kept.back() != index)
                kept.push_back(index);
    };
    Stretch stretch;
    bool open = false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ResultPoint& point = points[i];
        if (!isFinitePoint(point))
            continue;
        const long column = columnOf(point.x);
        if (open && column == stretch.column) {
            stretch.last = i;
            if (point.y < points[stretch.lowest].y)
                stretch.lowest = i;
            if (point.y > points[stretch.highest].y)
                stretch.highest = i;
            continue;
        }
        if (open)
            flush(stretch);
        stretch = {column, i, i, i, i};
        open = true;
    }
    if (open)
        flush(stretch);
    return kept;
}

std::vector<ResultPoint> ThinnedLine(const std::vector<ResultPoint>& points, double from,
                                     double to, int columns)
{
    std::vector<ResultPoint> result;
    const std::vector<std::size_t> kept = ThinnedLineIndices(points, from, to, columns);
    result.reserve(kept.size());
    for (const std::size_t index : kept)
        result.push_back(points[index]);
    return result;
}

} // namespace narv

#pragma once

#include "results/ResultSet.h"

#include <cstddef>
#include <vector>

namespace narv {

// The points of a line that a plot `columns` pixels wide, showing x from `from` to `to`, needs
// to draw the same polyline as with every point: in each pixel column the first point, the
// lowest, the highest and the last, in their order. Outside the range only the first and last
// point of each stretch stay, so the line still runs to the plot's edges. Points with a
// non-finite coordinate are left out, as the charts draw none. With no columns, an empty or
// non-finite range, or no more points than columns, all finite points are returned.
// Returns positions in points, ascending.
std::vector<std::size_t> ThinnedLineIndices(const std::vector<ResultPoint>& points, double from,
                                            double to, int columns);

// The points at ThinnedLineIndices.
std::vector<ResultPoint> ThinnedLine(const std::vector<ResultPoint>& points, double from,
                                     double to, int columns);

} // namespace narv

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace narv {

// Converts a picture format such as "#,##0.###" or "0.00 E+00;;0" into the printf-style format
// of Qt Charts. Only the first section counts; required decimals become a fixed precision,
// optional decimals a shortest form (printf cannot drop only trailing zeros).
std::string ToQtLabelFormat(std::string_view pictureFormat);

// A file name from a chart's position and title: "03-Flow Rates.png", the index with at least
// `digits` digits; characters outside [A-Za-z0-9 ._-] become "_".
std::string ChartFileName(std::size_t index, std::string_view title, int digits = 2);

} // namespace narv

#pragma once

#include "results/ResultSet.h"

#include <filesystem>
#include <vector>

namespace narv {

inline constexpr int kChartWidth = 1200; // [pixels] of the charts of a directory
inline constexpr int kChartHeight = 800;

// Draws a chart into a PNG file of width x height pixels, without a display. Creates the Qt
// application on first use when the program has none, so call it from the main thread.
// Writes through a temporary file and a rename; throws IoError when the file cannot be written.
void RenderChartToPng(const TChart& chart, const std::filesystem::path& file,
                      int width = kChartWidth, int height = kChartHeight);

// Writes one PNG per chart into dir (created when missing), named by ChartFileName from the
// chart's index and title; returns the files in chart order. Draws on the calling thread and
// encodes on others.
std::vector<std::filesystem::path> RenderChartsToDirectory(const std::vector<TChart>& charts,
                                                           const std::filesystem::path& dir);

} // namespace narv

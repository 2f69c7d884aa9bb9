#pragma once

#include "results/ResultSet.h"

#include <QtCharts/QChart>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace narv {

struct QtChartOptions {
    // Windows draw the legend themselves, with a check box per series: the chart's own legend
    // stays hidden.
    bool LegendHidden = false;
    // Windows name the value axes that have no title of their own by the quantity and its unit
    // (ShownLeftAxisTitle); files and pictures of the command line show what the chart holds.
    bool ShownAxisTitles = false;
    // Lines keep only the points a plot this many pixels wide needs to look the same
    // (ThinnedLine over the bottom axis range); 0 keeps every point, as pictures and files do;
    // kLinesUntilLaidOut leaves them empty for ThinQtChartLines once the width is known.
    int LineColumns = 0;
};
inline constexpr int kLinesUntilLaidOut = -1;

// The Qt property on each drawn series holding its position in TChart::Series.
inline constexpr const char* kSeriesIndexProperty = "narvSeriesIndex";

// The Qt Charts picture of a chart without its footnote (Qt Charts has none): axes, series and
// legend as RenderChartToPng draws them, for windows that show charts. Needs a QApplication.
// The colour a series of chart is drawn in (0xRRGGBB): its own, or the palette's by position.
std::uint32_t SeriesColor(const TChart& chart, std::size_t position);

std::unique_ptr<QChart> BuildQtChart(const TChart& chart, const QtChartOptions& options = {});

// Sets the points of the lines of built (a chart BuildQtChart made of chart) to those a plot
// columns pixels wide needs over its bottom axis range, or to every point for 0 columns.
void ThinQtChartLines(QChart& built, const TChart& chart, int columns);

} // namespace narv

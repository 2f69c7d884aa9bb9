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
};

// The Qt property on each drawn series holding its position in TChart::Series.
inline constexpr const char* kSeriesIndexProperty = "narvSeriesIndex";

// The Qt Charts picture of a chart without its footnote (Qt Charts has none): axes, series and
// legend as RenderChartToPng draws them, for windows that show charts. Needs a QApplication.
// The colour a series of chart is drawn in (0xRRGGBB): its own, or the palette's by position.
std::uint32_t SeriesColor(const TChart& chart, std::size_t position);

std::unique_ptr<QChart> BuildQtChart(const TChart& chart, const QtChartOptions& options = {});

} // namespace narv

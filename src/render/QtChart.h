#pragma once

#include "results/ResultSet.h"

#include <QtCharts/QChart>

#include <memory>

namespace narv {

struct QtChartOptions {
    // Windows: every series gets a legend entry with a check box ("\u2611" shown, "\u2610"
    // hidden) so a click on it can show a hidden series again.
    bool LegendCheckBoxes = false;
};

// The Qt property on each drawn series holding its position in TChart::Series.
inline constexpr const char* kSeriesIndexProperty = "narvSeriesIndex";

// The Qt Charts picture of a chart without its footnote (Qt Charts has none): axes, series and
// legend as RenderChartToPng draws them, for windows that show charts. Needs a QApplication.
std::unique_ptr<QChart> BuildQtChart(const TChart& chart, const QtChartOptions& options = {});

} // namespace narv

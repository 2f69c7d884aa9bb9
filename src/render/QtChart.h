#pragma once

#include "results/ResultSet.h"

#include <QtCharts/QChart>

#include <memory>

namespace narv {

// The Qt Charts picture of a chart without its footnote (Qt Charts has none): axes, series and
// legend as RenderChartToPng draws them, for windows that show charts. Needs a QApplication.
std::unique_ptr<QChart> BuildQtChart(const TChart& chart);

} // namespace narv

#include "results/ChartInteraction.h"

#include "core/NumberFormat.h"
#include "results/ChartFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace narv {

ChartClickAction ClickAction(ChartPart part, ClickModifier modifier)
{
    switch (part) {
    case ChartPart::Series:
        return ChartClickAction::ShowSeriesExtremes;
    case ChartPart::LeftAxis:
        if (modifier == ClickModifier::Shift)
            return ChartClickAction::SetAxisMaximum;
        if (modifier == ClickModifier::Ctrl)
            return ChartClickAction::SetAxisMinimum;
        return ChartClickAction::AskCaption;
    case ChartPart::BottomAxis:
    case ChartPart::Title:
    case ChartPart::Footnote:
        return ChartClickAction::AskCaption;
    case ChartPart::Nothing:
        break;
    }
    return ChartClickAction::None;
}

CaptionQuestion CaptionQuestionFor(const TChart& chart, ChartPart part)
{
    const std::string prompt = "Change Caption:";
    switch (part) {
    case ChartPart::LeftAxis:
        return {"Left Axis", prompt, ShownLeftAxisTitle(chart)};
    case ChartPart::BottomAxis:
        return {"Bottom Axis", prompt, chart.BottomAxis.Title};
    case ChartPart::Title:
        return {"Title", prompt, chart.Title};
    case ChartPart::Footnote:
        return {"Footnote", prompt, chart.Footnote};
    case ChartPart::Series:
    case ChartPart::Nothing:
        break;
    }
    return {};
}

void SetCaption(TChart& chart, ChartPart part, const std::string& text)
{
    switch (part) {
    case ChartPart::LeftAxis:
        chart.LeftAxis.Title = text;
        return;
    case ChartPart::BottomAxis:
        chart.BottomAxis.Title = text;
        return;
    case ChartPart::Title:
        chart.Title = text;
        return;
    case ChartPart::Footnote:
        chart.Footnote = text;
        return;
    case ChartPart::Series:
    case ChartPart::Nothing:
        return;
    }
}

std::string SeriesExtremesMessage(const TResultSeries& series)
{
    if (series.Points.empty())
        return series.Title;
    double maximum = -std::numeric_limits<double>::infinity();
    double minimum = std::numeric_limits<double>::infinity();
    for (const ResultPoint& point : series.Points) {
        maximum = std::max(maximum, point.y);
        minimum = std::min(minimum, point.y);
    }
    return series.Title + "\r\n\r\nMaximum: " + FormatNumber(11, 3, maximum) +
           "\r\nMinimum:  " + FormatNumber(11, 3, minimum);
}

double AxisValueAt(double pixel, double start, double end, const ShownRange& shown)
{
    if (start == end)
        return shown.minimum;
    return shown.minimum + (pixel - start) / (end - start) * (shown.maximum - shown.minimum);
}

bool WithinTwoPercent(double value, double reference, const ShownRange& shown)
{
    return std::abs(value - reference) <= 0.02 * std::abs(shown.maximum - shown.minimum);
}

bool ApplyAxisMaximumClick(ChartAxis& axis, const ShownRange& shown, double value)
{
    if (!std::isfinite(value))
        return false;
    if (WithinTwoPercent(value, shown.maximum, shown)) {
        axis.AutomaticMaximum = true;
        return true;
    }
    if (value <= shown.minimum)
        return false;
    axis.AutomaticMaximum = false;
    axis.Maximum = value;
    return true;
}

bool ApplyAxisMinimumClick(ChartAxis& axis, const ShownRange& shown, double value)
{
    if (!std::isfinite(value))
        return false;
    const double minimum = WithinTwoPercent(value, shown.minimum, shown) ? 0.0 : value;
    if (minimum >= shown.maximum)
        return false;
    axis.AutomaticMinimum = false;
    axis.Minimum = minimum;
    return true;
}

void UndoZoom(TChart& chart)
{
    if (chart.UnzoomedBottomAxis) {
        chart.BottomAxis = *chart.UnzoomedBottomAxis;
        chart.UnzoomedBottomAxis.reset();
    }
    chart.LeftAxis.AutomaticMinimum = false;
    chart.LeftAxis.Minimum = 0.0;
    chart.LeftAxis.AutomaticMaximum = true;
}

bool ZoomChart(TChart& chart, const ShownRange& bottom, const ShownRange& left)
{
    const auto usable = [](const ShownRange& range) {
        return std::isfinite(range.minimum) && std::isfinite(range.maximum) &&
               range.maximum > range.minimum;
    };
    if (!usable(bottom) || !usable(left))
        return false;
    if (!chart.UnzoomedBottomAxis)
        chart.UnzoomedBottomAxis = chart.BottomAxis;
    const auto zoom = [](ChartAxis& axis, const ShownRange& range) {
        axis.AutomaticMinimum = false;
        axis.AutomaticMaximum = false;
        axis.Minimum = range.minimum;
        axis.Maximum = range.maximum;
        // The run's step of 2 h would leave a narrow range without ticks.
        axis.AutomaticIncrement = true;
    };
    zoom(chart.BottomAxis, bottom);
    zoom(chart.LeftAxis, left);
    return true;
}

namespace {

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool hasWord(const std::string& text, const std::string& word)
{
    for (std::size_t at = text.find(word); at != std::string::npos;
         at = text.find(word, at + 1)) {
        const std::size_t end = at + word.size();
        if ((at == 0 || text[at - 1] == ' ') && (end == text.size() || text[end] == ' '))
            return true;
    }
    return false;
}

} // namespace

std::string ShownLeftAxisTitle(const TChart& chart)
{
    if (!chart.LeftAxis.Title.empty())
        return chart.LeftAxis.Title;
    const std::string& title = chart.Title;
    switch (chart.Category) {
    case ChartCategory::FlowRates: {
        if (startsWith(title, "Dx:"))
            return "Rate [1/d]"; // the excess sludge rate is 1 / sludge age
        // The SBR's flow chart shows the reactor volume beside its flows.
        const bool volume = std::any_of(chart.Series.begin(), chart.Series.end(),
                                        [](const SeriesPointer& series) {
                                            return series &&
                                                   series->Title.find("[m3]") != std::string::npos;
                                        });
        return volume ? "Flow [m3/d], volume [m3]" : "Flow [m3/d]";
    }
    case ChartCategory::DissolvedSpecies:
    case ChartCategory::ParticulateSpecies:
        if (hasWord(title, "pH"))
            return "pH";
        // Species are named with what they are measured in: "S Alkalinity mol".
        return hasWord(title, "mol") ? "Conc. [mol/m3]" : "Conc. [g/m3]";
    case ChartCategory::ProcessRates:
        return "Rate [g/(m3 d)]";
    case ChartCategory::Others:
    case ChartCategory::UserDefined:
    case ChartCategory::LoadedFromFile:
        break;
    }
    // Copies of the run's charts keep their titles, also in the other categories.
    if (startsWith(title, "Reaction rates O2"))
        return "O2 rate [g/(m3 d)]";
    if (startsWith(title, "Kla values"))
        return "kla [1/d]";
    if (startsWith(title, "Operating temperature"))
        return "T [\u00b0C]";
    return {};
}

std::string ShownRightAxisTitle(const TChart& chart)
{
    if (!chart.RightAxis.Title.empty())
        return chart.RightAxis.Title;
    for (const SeriesPointer& series : chart.Series)
        if (series && series->OnRightAxis)
            return series->Title;
    return {};
}

DragAction DragActionFor(int dx, int dy)
{
    if (std::abs(dx) < kZoomDragPixels && std::abs(dy) < kZoomDragPixels)
        return DragAction::Click;
    if (dx < 0 && dy < 0)
        return DragAction::UndoZoom;
    return DragAction::ZoomIn;
}

namespace {

double toPixel(double value, const ShownRange& range, double start, double length)
{
    const double span = range.maximum - range.minimum;
    return span == 0.0 ? start : start + (value - range.minimum) / span * length;
}

double distanceToSegment(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0.0;
    if (lengthSquared > 0.0)
        t = std::clamp(((px - ax) * dx + (py - ay) * dy) / lengthSquared, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

} // namespace

std::optional<int> SeriesAt(const TChart& chart, const PixelMap& map, double x, double y,
                            double tolerance)
{
    std::optional<int> nearest;
    double nearestDistance = tolerance;
    for (std::size_t i = 0; i < chart.Series.size(); ++i) {
        const TResultSeries* series = chart.Series[i].get();
        if (series == nullptr || !series->Active)
            continue;
        const ShownRange& vertical = series->OnRightAxis ? map.rightAxis : map.leftAxis;
        const auto pixelOf = [&](const ResultPoint& point) {
            // Pixels grow downwards: the axis maximum is at the top.
            return std::pair{toPixel(point.x, map.bottom, map.left, map.width),
                             toPixel(point.y, vertical, map.top + map.height, -map.height)};
        };
        for (std::size_t k = 0; k < series->Points.size(); ++k) {
            const auto [ax, ay] = pixelOf(series->Points[k]);
            double distance = std::hypot(x - ax, y - ay);
            if (!series->PointsOnly && k + 1 < series->Points.size()) {
                const auto [bx, by] = pixelOf(series->Points[k + 1]);
                distance = distanceToSegment(x, y, ax, ay, bx, by);
            }
            if (std::isfinite(distance) && distance <= nearestDistance) {
                nearestDistance = distance;
                nearest = static_cast<int>(i);
            }
        }
    }
    return nearest;
}

TChart ChartForCopy(const TChart& chart)
{
    TChart copy = chart;
    const auto active = std::count_if(chart.Series.begin(), chart.Series.end(),
                                      [](const SeriesPointer& s) { return s && s->Active; });
    if (active == 1)
        copy.LegendVisible = false;
    return copy;
}

std::string MetafileName(const TResultSet& results, const TChart& chart)
{
    std::string name = ProposedChartFileName(results, chart);
    name.replace(name.size() - 4, 4, ".svg");
    return name;
}

void ToggleLegend(TChart& chart)
{
    chart.LegendVisible = !chart.LegendVisible;
}

const std::vector<std::string>& ChartCategoryCaptions()
{
    static const std::vector<std::string> captions = {
        "Flow Rates", "Dissolved Species", "Particulate Species", "Process Rates",
        "Others",     "User defined",      "Loaded from File",
    };
    return captions;
}

int ChartToShow(const TResultSet& results)
{
    const auto valid = [&](int chart) {
        return chart >= 0 && static_cast<std::size_t>(chart) < results.Charts.size();
    };
    if (valid(results.CurrentChart))
        return results.CurrentChart;
    if (valid(results.FirstAutoChart))
        return results.FirstAutoChart;
    return -1;
}

} // namespace narv

#pragma once

#include "results/ResultSet.h"

#include <optional>
#include <string>
#include <vector>

namespace narv {

// What the results window decides when the user clicks, drags or edits a chart. The window
// only finds out where the mouse is; these rules say what happens.

// The part of a chart under the mouse.
enum class ChartPart { Nothing, Series, LeftAxis, BottomAxis, Title, Footnote };

enum class ClickModifier { None, Shift, Ctrl };

// What a left click does.
enum class ChartClickAction {
    None,
    ShowSeriesExtremes, // the message of SeriesExtremesMessage
    AskCaption,         // a text dialog: see CaptionQuestion
    SetAxisMaximum,     // ApplyAxisMaximumClick
    SetAxisMinimum,     // ApplyAxisMinimumClick
};

ChartClickAction ClickAction(ChartPart part, ClickModifier modifier);

// The dialog asking for a new caption of a part: its caption ("Left Axis", "Bottom Axis",
// "Title", "Footnote"), the prompt "Change Caption:" and the current text.
struct CaptionQuestion {
    std::string caption;
    std::string prompt;
    std::string current;
};
CaptionQuestion CaptionQuestionFor(const TChart& chart, ChartPart part);
// Stores the answer in the part's caption.
void SetCaption(TChart& chart, ChartPart part, const std::string& text);

// The message of a click on a series: its title, then its maximum and minimum.
std::string SeriesExtremesMessage(const TResultSeries& series);

// The axis as it is drawn: its lowest and highest value.
struct ShownRange {
    double minimum = 0.0;
    double maximum = 1.0;
};

// The value under the mouse on an axis drawn from pixel `start` (value minimum) to pixel `end`
// (value maximum); the pixels may run downwards, as on a left axis.
double AxisValueAt(double pixel, double start, double end, const ShownRange& shown);

// Whether value lies within 2 % of the shown range from reference.
bool WithinTwoPercent(double value, double reference, const ShownRange& shown);

// Shift-click on the left axis: the maximum becomes value, or automatic when value is within
// 2 % of the range from the shown maximum. A maximum at or below the minimum is refused
// (false, nothing changes).
bool ApplyAxisMaximumClick(ChartAxis& axis, const ShownRange& shown, double value);
// Ctrl-click: the minimum becomes value, or 0 when value is within 2 % of the range from the
// shown minimum. A minimum at or above the shown maximum is refused.
bool ApplyAxisMinimumClick(ChartAxis& axis, const ShownRange& shown, double value);

// "Undo Zoom": the left axis from 0 with an automatic maximum, the bottom axis as it was
// before the zoom.
void UndoZoom(TChart& chart);

// A zoom rectangle in axis values: both axes show exactly that range, with automatic ticks.
// An empty or reversed range is refused (false, nothing changes).
bool ZoomChart(TChart& chart, const ShownRange& bottom, const ShownRange& left);

// The titles the window shows beside the value axes when the chart has none of its own: the
// quantity in short and its unit, from the kind of chart (the run's charts carry no such
// titles), short enough for the axis of a small tile.
std::string ShownLeftAxisTitle(const TChart& chart);
std::string ShownRightAxisTitle(const TChart& chart);

// How far the mouse must move with the button held before a click becomes a zoom rectangle.
inline constexpr int kZoomDragPixels = 5;
// A zoom rectangle dragged from the bottom right to the top left undoes the zoom, as in most
// chart programs; otherwise it zooms in.
enum class DragAction { Click, ZoomIn, UndoZoom };
DragAction DragActionFor(int dx, int dy);

// The index of the active series of chart drawn nearest to (x, y) within tolerance pixels, or
// nothing. toPixels maps a value pair to pixels (the window's plot mapping).
struct PixelMap {
    double left = 0.0, top = 0.0, width = 1.0, height = 1.0; // plot area in pixels
    ShownRange bottom;                                       // shown bottom axis
    ShownRange leftAxis;                                     // shown left axis
    ShownRange rightAxis;                                    // shown right axis, if any
};
std::optional<int> SeriesAt(const TChart& chart, const PixelMap& map, double x, double y,
                            double tolerance = 4.0);

// The chart as "Copy Chart to Clipboard" draws it: the legend hidden when exactly one series
// is active.
TChart ChartForCopy(const TChart& chart);

// "Print Chart" in tile mode prints nothing: the tiled view goes to the clipboard with this
// message.
inline constexpr const char* kTilePrintMessage =
    "Direct Printing in Tile Mode is not possible.\r\nTiled View is copied to Clipboard.\r\nYou "
    "can paste and print it in e.g. Word.";

// "Save as Metafile": the picture's name in the project directory, "Run" + RunId + " " + title
// with the extension of the picture format (the picture is SVG here).
std::string MetafileName(const TResultSet& results, const TChart& chart);

// "Legend" of the popup menu: shows or hides this chart's legend.
void ToggleLegend(TChart& chart);

// The captions of the chart categories, by tag.
const std::vector<std::string>& ChartCategoryCaptions();

// What the window shows after it was opened or its results were replaced: the tiled checked
// charts in tile mode, else CurrentChart, else FirstAutoChart; -1: no chart.
int ChartToShow(const TResultSet& results);

} // namespace narv

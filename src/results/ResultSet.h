#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace narv {

// One point of a recorded series: X the time in hours, Y the value.
struct ResultPoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const ResultPoint&) const = default;
};

// One recorded (or loaded) time series.
struct TResultSeries {
    std::string Name;  // "cSeries" + index for run series, "fSeries" + counter for loaded ones
    std::string Title; // caption of the quantity, shown in legends and statistics
    int Tag = 0;       // series index
    std::vector<ResultPoint> Points;
    int PenWidth = 3;   // 1..5
    bool Active = true; // shown in its chart (legend check box)
    bool PointsOnly =
        false; // drawn as points (circles) without a line: series loaded from data files
    bool OnRightAxis = false; // drawn against the right axis (the "Lane fed" series)
    std::uint32_t Color = 0;  // 0xRRGGBB; 0 lets the renderer choose
};

using SeriesPointer = std::shared_ptr<TResultSeries>;

// The categories of charts: submenus of "View Single Chart" and "Choose Charts for Tile".
enum class ChartCategory : int {
    FlowRates = 0,
    DissolvedSpecies = 1,
    ParticulateSpecies = 2,
    ProcessRates = 3,
    Others = 4,
    UserDefined = 5,
    LoadedFromFile = 6,
};

struct ChartAxis {
    std::string Title;
    bool AutomaticMinimum = false;
    bool AutomaticMaximum = true;
    bool AutomaticIncrement = true;
    double Minimum = 0.0;
    double Maximum = 0.0;
    double Increment = 0.0;
    std::string LabelFormat; // e.g. "#,##0.###" or "0.00 E+00;;0"; empty: the renderer's default
    bool Visible = true;
    bool GridVisible = true;
    bool TitleVisible = true;
    bool operator==(const ChartAxis&) const = default;
};

// One chart of a results window and the series attached to it. Run charts share the run's
// series; user, template and loaded charts hold series of their own.
struct TChart {
    std::string Name; // "Chart" + index
    std::string Title;
    std::string Footnote;
    ChartCategory Category = ChartCategory::UserDefined;
    ChartAxis LeftAxis;
    ChartAxis BottomAxis;
    ChartAxis RightAxis; // used only by series on the right axis
    bool LegendVisible = true;
    bool TitleVisible = true;
    bool FootnoteVisible = true;
    bool InMenu = true; // entered in "View Single Chart" and "Choose Charts for Tile"
    std::vector<SeriesPointer> Series;
    // The bottom axis as it was before the user zoomed in, for "Undo Zoom"; not saved, so a
    // chart read from a file undoes the zoom of its left axis only.
    std::optional<ChartAxis> UnzoomedBottomAxis;
};

// The view options of a results window, in the order of the results file.
struct ResultViewOptions {
    bool MaximizedForTile = true;
    bool Legends = true;
    bool Titles = true;
    bool BottomAxisTitles = true;
    bool Footnotes = true;
    bool VerticalGrid = true;
    bool HorizontalGrid = true;
    bool operator==(const ResultViewOptions&) const = default;
};

// Everything one results window holds.
struct TResultSet {
    std::vector<SeriesPointer> Series;   // recorded series, index = position in Quantities
    std::vector<std::string> Quantities; // caption + "=t" (concentration) or "=f"
    std::vector<TChart> Charts;
    std::int32_t FirstAutoChart = -1; // charts the last run built automatically
    std::int32_t LastAutoChart = -1;
    std::int32_t CurrentChart = -1; // shown in single-chart view; -1: none chosen
    std::int32_t Reserved = 0;
    std::int32_t LoadedSeriesCounter = 0; // numbers the "fSeries" names
    std::string RunStart;                 // "dd.mm.yyyy hh:nn:ss"
    std::string RunId;                    // " yyyymmddhhnnss"
    bool TileMode = false;
    std::vector<std::int32_t> CheckedCharts; // checked for tiling, in menu order
    ResultViewOptions View;
    int DefaultPenWidth = 3;
    // Checked charts remembered while a run replaces its charts; not saved.
    std::vector<std::int32_t> RememberedCheckedCharts;
};

} // namespace narv

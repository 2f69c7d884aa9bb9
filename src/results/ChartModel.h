#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "results/ResultSet.h"

#include <string>
#include <vector>

namespace narv {

// What the standard chart set-up writes into every new chart.
struct ChartSetup {
    std::string ProjectName;
    std::string ModelName;
    std::string PlantName;
    std::string VariationName;
    std::string BottomAxisTitle = "Time [h]"; // the chart setting BottomAxisTitleCaption
};

// What the charts of a run are built from: the counts and names of the model, the plant's
// layout and the run's cycles.
struct RunChartContext {
    int NS = 0;
    int NX = 0;
    int NP = 0;
    int ReactorCount = 1;
    int CompartmentCount = 1;
    TFlowschemeType PlantType = TFlowschemeType::ftCSTR;
    bool Influent2Enabled = false;
    int CycleCount = 1;
    double CycleDuration = 1.0; // [d]
    bool ShowAllCycles = false;
    // Species 1..NS, 1..NX and processes 1..NP at positions 0.., blanks collapsed.
    std::vector<std::string> DissolvedNames;
    std::vector<std::string> ParticulateNames;
    std::vector<std::string> ProcessNames;
    ChartSetup Setup;
};

// Counts, names and plant layout from the model and plant; cycles and setup stay default.
RunChartContext MakeRunChartContext(const TModelDef& model, const TPlantDef& plant);

std::string ChartFootnote(const ChartSetup& setup, const std::string& runStart);

// A chart with the standard set-up: left axis from 0 with an automatic maximum, bottom axis
// from 0 titled by the setup, legend shown.
TChart NewChart(const std::string& title, ChartCategory category, const ChartSetup& setup,
                const std::string& runStart);

// Label format of a left axis reaching up to maximum.
std::string LeftAxisLabelFormat(double maximum);

// The bottom axis of the run's charts: hours of one cycle or of all cycles; automatic for SBR.
void SetRunBottomAxis(ChartAxis& axis, const RunChartContext& context);

// Before a run: deletes the previous run's charts, moves later charts down, adjusts
// CurrentChart so it points at the same kind of chart after the new run, and remembers the
// checked charts.
void RemoveRunCharts(TResultSet& results);

// After a run (also a run stopped before its first recording): appends the run's charts,
// refreshes the user-defined charts, shows a chart and checks the remembered charts again.
void BuildRunCharts(TResultSet& results, const RunChartContext& context);

// Every "User defined" chart outside the run's charts takes the bottom axis of the run's first
// chart and the points of the run series of the same title; series without one are removed.
// Without any run series the charts are left as they are.
void FillFromResults(TResultSet& results);

// The series part of FillFromResults for one chart.
void FillChartFromResults(const TResultSet& results, TChart& chart);

bool IsRunChart(const TResultSet& results, int chart);

// "Add Chart": a new "User defined" chart at the end; returns its index, or -1 for an empty
// title (the command is cancelled).
int AddUserChart(TResultSet& results, const std::string& title, const ChartSetup& setup);

// The run series offered by "Add Series": every one not titled "not used".
std::vector<int> SelectableSeries(const TResultSet& results);

// Attaches copies of the given run series to a user chart, skipping "not used" ones; then every
// series of the chart gets a new colour and the name "fSeries" + LoadedSeriesCounter.
void AddSeriesToChart(TResultSet& results, int chart, const std::vector<int>& seriesIndexes);

// Removes the series at position of a chart that is not one of the run's.
void RemoveSeriesFromChart(TResultSet& results, int chart, int position);

// Removes a chart that is not one of the run's; later charts move down.
void RemoveChart(TResultSet& results, int chart);

// The charts of the menus in menu order: by category, then by index.
std::vector<int> MenuOrder(const TResultSet& results);

// Checks or unchecks a chart in "Choose Charts for Tile"; charts outside the menus stay
// unchecked. The caller tiles again when TileMode is on.
void SetChartChecked(TResultSet& results, int chart, bool checked);
bool IsChartChecked(const TResultSet& results, int chart);

struct TileGrid {
    int Columns = 0;
    int Rows = 0;
    bool operator==(const TileGrid&) const = default;
};

// Grid for count charts; RangeError "Tile not possible. Too many charts!" above 20 and
// "No Charts selected for Tile!" for none.
TileGrid TileGridFor(int count);

// One chart's cell in the tiled view, filled row by row.
struct TileCell {
    int Chart = 0;
    int Column = 0;
    int Row = 0;
    bool operator==(const TileCell&) const = default;
};

struct TileLayout {
    TileGrid Grid;
    std::vector<TileCell> Cells;
};

// Tiles the checked charts in menu order and turns TileMode on; when tiling is refused the
// RangeError carries the message and nothing changes.
TileLayout TileCharts(TResultSet& results);

// Shows chart alone: charts with exactly one series hide their legend, CurrentChart := chart,
// TileMode off.
void ShowSingleChart(TResultSet& results, int chart);

// A double click on a chart: shows it alone in tile mode, tiles otherwise.
void ToggleChartView(TResultSet& results, int chart);

// The legend entries: only the part after the first ":" when all titles share the part before
// it, only the part before it when all share the part after it, the full titles otherwise.
std::vector<std::string> LegendTexts(const TChart& chart);
// The same rule for a list of series titles (the renderer passes the titles it draws).
std::vector<std::string> LegendTextsOfTitles(const std::vector<std::string>& titles);

enum class ViewOption {
    MaximizedForTile,
    Legends,
    Titles,
    BottomAxisTitles,
    Footnotes,
    VerticalGrid,
    HorizontalGrid,
};

// Toggles a view option and shows or hides that element in every chart.
void ToggleViewOption(TResultSet& results, ViewOption option);

// Gives every chart the name "Chart" + its index.
void RenameCharts(TResultSet& results);

// Throws IndexError unless chart is an index of Charts.
void CheckChartIndex(const TResultSet& results, int chart);

} // namespace narv

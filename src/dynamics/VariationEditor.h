#pragma once

#include "dynamics/Variation.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace narv {

inline constexpr double kMaxCycleHours = 1e9;
inline constexpr const char* kZeroAverageMessage =
    "The average of this column is 0: its values cannot be scaled.";

// The label of step i of a cycle of duration days in n steps, as the variation editor shows it:
// " 0- 2 hrs" for whole hours, "   0.000-   0.500 hrs" for steps shorter than an hour.
std::string VariationStepLabel(int step, double cycleDuration, int pointCount);

// The pages of the variation window, in order.
enum class VariationPage { Options, Inflows, Dissolved, Particulate, Kla, Temperature };
const char* VariationPageCaption(VariationPage page);

// The grids: each upper grid (sg_inflows .. sg_temperature) has its lower averages grid.
enum class VariationGrid { Inflows, Dissolved, Particulate, Kla, Temperature };
// The names of a page's step grid ("sg_inflows", ...) and averages grid ("sg_avg_inflows", ...),
// as the event list writes them.
const char* VariationGridName(VariationGrid grid);
const char* VariationAverageGridName(VariationGrid grid);

// The rows of a lower grid.
enum class AverageRow { Factor, Average, AverageTimesFactor, Load };

// The outcome of one entry: accepted or not, the message to show (empty for none) and the text
// the field or cell shows afterwards.
struct VariationEntry {
    bool accepted = false;
    std::string message;
    std::string text;
    bool returnFocus = false;
};

// One item of the "Copy from Column" dialog: a column of a grid, or the clipboard.
struct CopySource {
    std::string label;
    VariationGrid grid = VariationGrid::Inflows;
    int column = 0; // 0 for the clipboard
};

// The rules of the variation window over a working copy of the active variation: the options,
// the step values with their averages rows (Factor, Average=A, A·Factor, Load), "Copy from
// Column" and the writing back on deactivation. Step values and factors are kept per table row
// independently of the number of points, so that a factor moves with a change of PointCount.
//
// Upper grids: row 0 the titles, rows 1..N the steps; column 0 the step labels, columns
// 1..columnCount the quantities. Lower grids: rows as AverageRow, the same columns.
class VariationEditor {
public:
    // reactorLabels head the kla columns (the labels the plant's editor shows, ReactorLabels
    // for the plant editor); a reactor without one gets the plant editor's label.
    VariationEditor(TVariationDef& variation, const TModelDef& model, const TPlantDef& plant,
                    std::vector<std::string> reactorLabels = {});

    // "hh:mm:ss" of the event lines; the local time unless a test sets a clock.
    void setClock(std::function<std::string()> clock) { m_clock = std::move(clock); }

    // Options page.
    static const std::vector<int>& pointChoices(); // cb_punkte: the divisors of 288
    static bool durationKeyAllowed(char c);
    std::string cycleHoursText() const; // ed_ttgl, hours
    VariationEntry enterCycleHours(std::string_view text);
    void choosePointCount(int points); // any other number than a choice is refused (RangeError)
    int pointCount() const { return m_variation.PointCount; }
    void setVaryConc2(bool vary);

    // Upper grids. Column 0 holds the step labels under the corner cell "time step".
    static const char* cornerTitle() { return "time step"; }
    int columnCount(VariationGrid grid) const;
    std::string columnTitle(VariationGrid grid, int column) const;
    std::string rowLabel(int step) const;
    std::string cellText(VariationGrid grid, int step, int column) const;
    double value(VariationGrid grid, int step, int column) const;
    // Leaving a cell: 0..1e20 (the temperature -1e20..1e20), then the column's averages are
    // recomputed and the variation is marked unsaved. A text equal to the one shown changes
    // nothing.
    VariationEntry enterCell(VariationGrid grid, int step, int column, std::string_view text);
    // Every cell of an upper grid as the window fills it, titles included.
    std::vector<std::vector<std::string>> gridTexts(VariationGrid grid) const;

    // Lower grids: "Factor", "Average=A", "A·Factor" and, for the species, "Load"; the
    // temperature grid has "Average" only.
    std::vector<std::string> averageRowTitles(VariationGrid grid) const;
    double factor(VariationGrid grid, int column) const;
    double average(VariationGrid grid, int column) const;
    double averageTimesFactor(VariationGrid grid, int column) const;
    // The mean relative load of the 1st influent: (1/N) sum q(i) c(i) times both factors.
    double load(VariationGrid grid, int column) const;
    std::string averageText(VariationGrid grid, AverageRow row, int column) const;
    bool averageEditable(VariationGrid grid, AverageRow row) const;
    // Factor: stored. Average=A: the steps scaled to the new mean. A·Factor: the factor becomes
    // G / A. Load: typed, but changes nothing. A column whose mean is 0 cannot be scaled.
    VariationEntry enterAverage(VariationGrid grid, AverageRow row, int column,
                                std::string_view text);

    // "Copy from Column" for a click on the title of column of grid: the five flows, the
    // species, "Kla value " + each reactor label and, when the clipboard reads as 1..N+1
    // numbers, "from Clipboard" (last).
    std::vector<CopySource> copySources(std::string_view clipboard) const;
    static const char* copyCaption() { return "Copy from Column"; }
    static const char* copyPrompt() { return "Please choose the column to copy values from:"; }
    // Numbers separated by blanks, tabs or line feeds (carriage returns ignored); nothing when
    // another token occurs or there are none or more than N + 1.
    std::optional<std::vector<double>> clipboardNumbers(std::string_view clipboard) const;
    // "OK": copies the source's N steps and factor; from the clipboard number i goes to step
    // i, numbers not > 0 skipped (the temperature takes every number), and a number N + 1 > 0
    // becomes the factor. Returns false when the clipboard was not usable.
    bool copyInto(VariationGrid grid, int column, const CopySource& source,
                  std::string_view clipboard = {});
    // The click on a column title, for the event list.
    void headerClicked(VariationGrid grid, int column);

    // Deactivation: steps 1..N of every shown column and the factors into column N + 1.
    void writeBack();

    // Whether an edit made the variation unsaved since the editor was made.
    bool modified() const { return m_modified; }
    // The edit events: "hh:mm:ss: Col:c/Row:r: sg_inflowsExitCell: text".
    const std::vector<std::string>& events() const { return m_events; }
    void clearEvents() { m_events.clear(); }

private:
    int tableRow(VariationGrid grid, int column) const;
    bool relative(VariationGrid grid) const { return grid != VariationGrid::Temperature; }
    double& step(VariationGrid grid, int step, int column);
    void checkColumn(VariationGrid grid, int column) const;
    void checkStep(int step) const;
    void logEvent(const char* handler, int column, int row, const std::string& text);

    TVariationDef& m_variation;
    const TModelDef& m_model;
    const TPlantDef& m_plant;
    std::vector<std::string> m_reactorLabels;
    // Per table row: steps 1..288 at [1..288] (index 0 unused) and the factor.
    std::vector<std::vector<double>> m_steps;
    std::vector<double> m_factors;
    std::function<std::string()> m_clock;
    std::vector<std::string> m_events;
    bool m_modified = false;
};

} // namespace narv

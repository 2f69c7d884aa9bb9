#include "results/ChartModel.h"

#include "core/TextUtil.h"

#include "core/Error.h"
#include "results/Recording.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace narv {
namespace {

constexpr const char* kNotUsed = "not used";
constexpr const char* kRunChartRefused =
    "The charts of the current run cannot be changed. Define a new chart for your own choice "
    "of series.";

// Distinct colours for the series of user charts, in the order they are handed out.
constexpr std::uint32_t kPalette[] = {0xE6194B, 0x3CB44B, 0x4363D8, 0xF58231, 0x911EB4,
                                      0x42D4F4, 0xF032E6, 0x9A6324, 0x808000, 0x000075,
                                      0x800000, 0x469990, 0xBFEF45, 0xDCBEFF, 0xA9A9A9};

std::string nameAt(const std::vector<std::string>& names, int oneBased)
{
    const auto at = static_cast<std::size_t>(oneBased - 1);
    return oneBased >= 1 && at < names.size() ? names[at] : std::string();
}

SeriesPointer seriesAt(const TResultSet& results, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= results.Series.size())
        return nullptr;
    return results.Series[static_cast<std::size_t>(index)];
}

void attach(TChart& chart, const TResultSet& results, int index)
{
    if (SeriesPointer series = seriesAt(results, index))
        chart.Series.push_back(std::move(series));
}

double highestValue(const TChart& chart)
{
    double highest = -std::numeric_limits<double>::infinity();
    for (const SeriesPointer& series : chart.Series)
        for (const ResultPoint& point : series->Points)
            highest = std::max(highest, point.y);
    return std::isfinite(highest) ? highest : 0.0;
}

void refuseRunChart(const TResultSet& results, int chart)
{
    CheckChartIndex(results, chart);
    if (IsRunChart(results, chart))
        throw RangeError(kRunChartRefused);
}

void sortInMenuOrder(const TResultSet& results, std::vector<std::int32_t>& indexes)
{
    std::stable_sort(indexes.begin(), indexes.end(), [&](std::int32_t a, std::int32_t b) {
        const auto category = [&](std::int32_t i) {
            return static_cast<int>(results.Charts[static_cast<std::size_t>(i)].Category);
        };
        return category(a) != category(b) ? category(a) < category(b) : a < b;
    });
}

} // namespace

RunChartContext MakeRunChartContext(const TModelDef& model, const TPlantDef& plant)
{
    RunChartContext context;
    context.NS = model.NS;
    context.NX = model.NX;
    context.NP = model.NP;
    context.ReactorCount = plant.ReactorCount;
    context.CompartmentCount = plant.CompartmentCount;
    context.PlantType = plant.PlantType;
    context.Influent2Enabled = plant.Influent2Enabled;
    for (int j = 1; j <= model.NS; ++j)
        context.DissolvedNames.push_back(CollapseBlanks(model.NameS[j]));
    for (int j = 1; j <= model.NX; ++j)
        context.ParticulateNames.push_back(CollapseBlanks(model.NameX[j]));
    for (int p = 1; p <= model.NP; ++p)
        context.ProcessNames.push_back(CollapseBlanks(model.ProcessName[p]));
    return context;
}

std::string ChartFootnote(const ChartSetup& setup, const std::string& runStart)
{
    return "Proj: " + setup.ProjectName + ", Mod: " + setup.ModelName + ", Pl: " + setup.PlantName +
           ", Var: " + setup.VariationName + ", Run: " + runStart;
}

TChart NewChart(const std::string& title, ChartCategory category, const ChartSetup& setup,
                const std::string& runStart)
{
    TChart chart;
    chart.Title = title;
    chart.Category = category;
    chart.Footnote = ChartFootnote(setup, runStart);
    chart.LeftAxis.AutomaticMinimum = false;
    chart.LeftAxis.Minimum = 0.0;
    chart.LeftAxis.AutomaticMaximum = true;
    chart.BottomAxis.AutomaticMinimum = false;
    chart.BottomAxis.Minimum = 0.0;
    chart.BottomAxis.Title = setup.BottomAxisTitle;
    return chart;
}

std::string LeftAxisLabelFormat(double maximum)
{
    return maximum > 10000.0 || maximum < 0.001 ? "0.00 E+00;;0" : "#,##0.###";
}

void SetRunBottomAxis(ChartAxis& axis, const RunChartContext& context)
{
    axis.AutomaticMinimum = false;
    axis.Minimum = 0.0;
    if (context.PlantType == TFlowschemeType::ftSBR) {
        axis.AutomaticMaximum = true;
        axis.AutomaticIncrement = true;
        return;
    }
    const double cycles = context.CycleCount;
    const double period = context.CycleDuration;
    double increment = std::round(2.0 * cycles * period);
    if (context.ShowAllCycles) {
        axis.Maximum = std::round(24.0 * cycles * period);
    } else {
        axis.Maximum = std::round(24.0 * period);
        increment = std::round(2.0 * period);
    }
    axis.AutomaticMaximum = false;
    axis.Increment = increment;
    // Cycles shorter than 6 h round the increment to 0, which no axis can draw.
    axis.AutomaticIncrement = increment <= 0.0;
}

void RemoveRunCharts(TResultSet& results)
{
    results.RememberedCheckedCharts = results.CheckedCharts;
    results.CheckedCharts.clear();
    if (results.LastAutoChart <= 0)
        return;
    const int highest = static_cast<int>(results.Charts.size()) - 1;
    const int first = std::max(results.FirstAutoChart, 0);
    const int last = std::min(results.LastAutoChart, highest);
    if (first > last)
        return;
    results.Charts.erase(results.Charts.begin() + first, results.Charts.begin() + last + 1);
    RenameCharts(results);
    // The same kind of chart of the next run lies as far from the end of the list.
    std::int32_t& current = results.CurrentChart;
    if (current >= results.FirstAutoChart && current <= results.LastAutoChart)
        current += highest - results.LastAutoChart;
    if (current > results.LastAutoChart)
        current = current - results.LastAutoChart + results.FirstAutoChart - 1;
    results.FirstAutoChart = -1;
    results.LastAutoChart = -1;
}

void BuildRunCharts(TResultSet& results, const RunChartContext& context)
{
    const int NS = context.NS;
    const int NX = context.NX;
    const int NP = context.NP;
    const int nR = context.ReactorCount;
    const int nC = context.CompartmentCount;
    const bool sbr = context.PlantType == TFlowschemeType::ftSBR;
    const bool ai = context.PlantType == TFlowschemeType::ftAI;
    const std::string suffix = sbr ? "" : " of all reactors";

    if (NS < 0 || NS > MaxSpecies || NX < 0 || NX > MaxSpecies || NP < 1 || NP > MaxProcesses ||
        nR < 1 || nC < nR || nC > MaxCompartments)
        throw RangeError(fmt::format(
            "The charts of the run cannot be built for {} dissolved and {} particulate species, "
            "{} processes, {} reactors and {} compartments.",
            NS, NX, NP, nR, nC));
    const RecordedSeriesLayout layout(NS, NX, NP, nC, ai);

    const int first = static_cast<int>(results.Charts.size());
    std::vector<TChart> charts;
    const auto newChart = [&](const std::string& title, ChartCategory category) {
        TChart chart = NewChart(title, category, context.Setup, results.RunStart);
        SetRunBottomAxis(chart.BottomAxis, context);
        return chart;
    };

    TChart flows = newChart("Flow Rates", ChartCategory::FlowRates);
    for (int i = 1; i <= (sbr ? 4 : 3); ++i)
        attach(flows, results, RecordedSeriesLayout::flow(i));
    if (context.Influent2Enabled)
        attach(flows, results, layout.influent2Flow());
    if (ai) {
        if (SeriesPointer lane = seriesAt(results, layout.laneFed())) {
            lane->OnRightAxis = true;
            flows.Series.push_back(lane);
            flows.RightAxis.AutomaticMinimum = false;
            flows.RightAxis.AutomaticMaximum = false;
            flows.RightAxis.Minimum = 0.0;
            flows.RightAxis.Maximum = 3.0;
        }
    }
    charts.push_back(std::move(flows));

    TChart excess = newChart("Dx: Excess sludge removal", ChartCategory::FlowRates);
    excess.LegendVisible = false;
    if (sbr)
        excess.InMenu = false;
    else
        attach(excess, results, RecordedSeriesLayout::flow(4));
    charts.push_back(std::move(excess));

    TChart dissolvedIn = newChart("Concentrations of dissolved species in the influent",
                                  ChartCategory::DissolvedSpecies);
    for (int j = 1; j <= NS; ++j)
        attach(dissolvedIn, results, layout.influentDissolved(j));
    charts.push_back(std::move(dissolvedIn));
    TChart particulateIn = newChart("Concentrations of particulate species in the influent",
                                    ChartCategory::ParticulateSpecies);
    for (int j = 1; j <= NX; ++j)
        attach(particulateIn, results, layout.influentParticulate(j));
    charts.push_back(std::move(particulateIn));

    for (int j = 1; j <= NS; ++j) {
        TChart chart =
            newChart(nameAt(context.DissolvedNames, j) + suffix, ChartCategory::DissolvedSpecies);
        for (int r = 1; r <= nC; ++r)
            if (r <= nR || j > 1) // clarifier layers do not record oxygen
                attach(chart, results, layout.dissolved(r, j));
        charts.push_back(std::move(chart));
    }
    for (int j = 1; j <= NX; ++j) {
        TChart chart = newChart(nameAt(context.ParticulateNames, j) + suffix,
                                ChartCategory::ParticulateSpecies);
        for (int r = 1; r <= nR; ++r)
            attach(chart, results, layout.particulate(r, j));
        charts.push_back(std::move(chart));
    }
    for (int p = 2; p <= NP; ++p) {
        TChart chart =
            newChart(nameAt(context.ProcessNames, p) + suffix, ChartCategory::ProcessRates);
        for (int r = 1; r <= nR; ++r)
            attach(chart, results, layout.processRate(r, p));
        charts.push_back(std::move(chart));
    }
    TChart oxygen = newChart("Reaction rates O2" + suffix, ChartCategory::Others);
    for (int r = 1; r <= nR; ++r)
        attach(oxygen, results, layout.oxygenRate(r));
    charts.push_back(std::move(oxygen));
    TChart kla = newChart("Kla values" + suffix, ChartCategory::Others);
    for (int r = 1; r <= nR; ++r)
        attach(kla, results, layout.kla(r));
    charts.push_back(std::move(kla));
    TChart temperature = newChart("Operating temperature", ChartCategory::Others);
    temperature.LegendVisible = false;
    attach(temperature, results, layout.temperature());
    charts.push_back(std::move(temperature));

    for (TChart& chart : charts) {
        chart.LeftAxis.LabelFormat = LeftAxisLabelFormat(highestValue(chart));
        results.Charts.push_back(std::move(chart));
    }
    RenameCharts(results);
    results.FirstAutoChart = first;
    results.LastAutoChart = static_cast<int>(results.Charts.size()) - 1; // F + 5 + NS + NX + NP

    FillFromResults(results);
    if (results.CurrentChart >= results.FirstAutoChart &&
        results.CurrentChart <= results.LastAutoChart)
        ShowSingleChart(results, results.CurrentChart);
    else if (results.CurrentChart == -1)
        ShowSingleChart(results, results.FirstAutoChart);
    for (const std::int32_t chart : results.RememberedCheckedCharts)
        if (chart >= 0 && static_cast<std::size_t>(chart) < results.Charts.size())
            SetChartChecked(results, chart, true);
    results.RememberedCheckedCharts.clear();
}

void FillChartFromResults(const TResultSet& results, TChart& chart)
{
    std::vector<SeriesPointer> kept;
    for (const SeriesPointer& series : chart.Series) {
        SeriesPointer found;
        for (const SeriesPointer& candidate : results.Series)
            if (candidate && candidate->Title == series->Title)
                found = candidate; // the last one of that title wins
        if (!found)
            continue;
        if (found != series)
            series->Points = found->Points;
        kept.push_back(series);
    }
    chart.Series = std::move(kept);
}

void FillFromResults(TResultSet& results)
{
    // A run stopped before its first recording leaves no series to follow.
    if (results.Series.empty())
        return;
    const TChart* runFirst = nullptr;
    if (results.FirstAutoChart >= 0 &&
        static_cast<std::size_t>(results.FirstAutoChart) < results.Charts.size())
        runFirst = &results.Charts[static_cast<std::size_t>(results.FirstAutoChart)];
    for (std::size_t i = 0; i < results.Charts.size(); ++i) {
        TChart& chart = results.Charts[i];
        if (IsRunChart(results, static_cast<int>(i)) ||
            chart.Category != ChartCategory::UserDefined)
            continue;
        if (runFirst) {
            // A zoom into the previous run's time range means nothing for the new run.
            if (chart.UnzoomedBottomAxis) {
                chart.BottomAxis = *chart.UnzoomedBottomAxis;
                chart.UnzoomedBottomAxis.reset();
            }
            chart.BottomAxis.Maximum = runFirst->BottomAxis.Maximum;
            chart.BottomAxis.AutomaticMaximum = runFirst->BottomAxis.AutomaticMaximum;
            chart.BottomAxis.Increment = runFirst->BottomAxis.Increment;
            chart.BottomAxis.AutomaticIncrement = runFirst->BottomAxis.AutomaticIncrement;
        }
        FillChartFromResults(results, chart);
    }
}

bool IsRunChart(const TResultSet& results, int chart)
{
    return results.FirstAutoChart >= 0 && chart >= results.FirstAutoChart &&
           chart <= results.LastAutoChart;
}

int AddUserChart(TResultSet& results, const std::string& title, const ChartSetup& setup)
{
    if (title.empty())
        return -1;
    results.Charts.push_back(NewChart(title, ChartCategory::UserDefined, setup, results.RunStart));
    RenameCharts(results);
    return static_cast<int>(results.Charts.size()) - 1;
}

std::vector<int> SelectableSeries(const TResultSet& results)
{
    std::vector<int> selectable;
    for (std::size_t i = 0; i < results.Series.size(); ++i)
        if (results.Series[i] && results.Series[i]->Title != kNotUsed)
            selectable.push_back(static_cast<int>(i));
    return selectable;
}

void AddSeriesToChart(TResultSet& results, int chart, const std::vector<int>& seriesIndexes)
{
    refuseRunChart(results, chart);
    for (const int index : seriesIndexes)
        if (!seriesAt(results, index))
            throw IndexError(fmt::format("Series {} does not exist; the run recorded {} series.",
                                         index, results.Series.size()));
    if (seriesIndexes.empty())
        return;
    TChart& target = results.Charts[static_cast<std::size_t>(chart)];
    for (const int index : seriesIndexes) {
        const TResultSeries& source = *seriesAt(results, index);
        if (source.Title != kNotUsed)
            target.Series.push_back(seriesAt(results, index));
    }
    std::size_t position = 0;
    for (SeriesPointer& series : target.Series) {
        series = std::make_shared<TResultSeries>(*series); // the chart owns its copies
        series->Color = kPalette[position++ % std::size(kPalette)];
        series->Name = fmt::format("fSeries{}", results.LoadedSeriesCounter++);
    }
}

void RemoveSeriesFromChart(TResultSet& results, int chart, int position)
{
    refuseRunChart(results, chart);
    auto& series = results.Charts[static_cast<std::size_t>(chart)].Series;
    if (position < 0 || static_cast<std::size_t>(position) >= series.size())
        throw IndexError(fmt::format("The chart has no series {}; it holds {} series.", position,
                                     series.size()));
    series.erase(series.begin() + position);
}

void RemoveChart(TResultSet& results, int chart)
{
    refuseRunChart(results, chart);
    results.Charts.erase(results.Charts.begin() + chart);
    RenameCharts(results);
    std::vector<std::int32_t> checked;
    for (const std::int32_t index : results.CheckedCharts)
        if (index != chart)
            checked.push_back(index > chart ? index - 1 : index);
    results.CheckedCharts = std::move(checked);
    if (results.CurrentChart == chart)
        results.CurrentChart = -1;
    else if (results.CurrentChart > chart)
        --results.CurrentChart;
    if (results.FirstAutoChart > chart) {
        --results.FirstAutoChart;
        --results.LastAutoChart;
    }
}

std::vector<int> MenuOrder(const TResultSet& results)
{
    std::vector<std::int32_t> order;
    for (std::size_t i = 0; i < results.Charts.size(); ++i)
        if (results.Charts[i].InMenu)
            order.push_back(static_cast<std::int32_t>(i));
    sortInMenuOrder(results, order);
    return {order.begin(), order.end()};
}

void SetChartChecked(TResultSet& results, int chart, bool checked)
{
    CheckChartIndex(results, chart);
    auto& list = results.CheckedCharts;
    const auto found = std::find(list.begin(), list.end(), chart);
    if (!checked) {
        if (found != list.end())
            list.erase(found);
        return;
    }
    if (found != list.end() || !results.Charts[static_cast<std::size_t>(chart)].InMenu)
        return;
    list.push_back(chart);
    sortInMenuOrder(results, list);
}

bool IsChartChecked(const TResultSet& results, int chart)
{
    return std::find(results.CheckedCharts.begin(), results.CheckedCharts.end(), chart) !=
           results.CheckedCharts.end();
}

TileGrid TileGridFor(int count)
{
    if (count > 20)
        throw RangeError("Tile not possible. Too many charts!");
    if (count <= 0)
        throw RangeError("No Charts selected for Tile!");
    if (count <= 3)
        return {1, count};
    if (count == 4)
        return {2, 2};
    if (count <= 10)
        return {2, (count + 1) / 2};
    if (count <= 12)
        return {3, 4};
    if (count <= 16)
        return {4, 4};
    return {4, 5};
}

TileLayout TileCharts(TResultSet& results)
{
    std::vector<std::int32_t> charts;
    for (const std::int32_t chart : results.CheckedCharts)
        if (chart >= 0 && static_cast<std::size_t>(chart) < results.Charts.size())
            charts.push_back(chart);
    sortInMenuOrder(results, charts);
    TileLayout layout;
    layout.Grid = TileGridFor(static_cast<int>(charts.size()));
    for (std::size_t k = 0; k < charts.size(); ++k) {
        const int position = static_cast<int>(k);
        layout.Cells.push_back(
            {charts[k], position % layout.Grid.Columns, position / layout.Grid.Columns});
    }
    results.TileMode = true;
    return layout;
}

void ShowSingleChart(TResultSet& results, int chart)
{
    CheckChartIndex(results, chart);
    for (TChart& each : results.Charts)
        if (each.Series.size() == 1)
            each.LegendVisible = false;
    results.CurrentChart = chart;
    results.TileMode = false;
}

void ToggleChartView(TResultSet& results, int chart)
{
    if (results.TileMode)
        ShowSingleChart(results, chart);
    else
        TileCharts(results);
}

std::vector<std::string> LegendTextsOfTitles(const std::vector<std::string>& titles)
{
    std::vector<std::string> before;
    std::vector<std::string> after;
    for (const std::string& title : titles) {
        const std::size_t colon = title.find(':');
        if (colon == std::string::npos)
            return titles;
        before.emplace_back(TrimBlanks(std::string_view(title).substr(0, colon)));
        after.emplace_back(TrimBlanks(std::string_view(title).substr(colon + 1)));
    }
    const auto allSame = [](const std::vector<std::string>& parts) {
        return std::adjacent_find(parts.begin(), parts.end(), std::not_equal_to<>()) == parts.end();
    };
    if (titles.empty())
        return titles;
    if (allSame(before))
        return after;
    if (allSame(after))
        return before;
    return titles;
}

std::vector<std::string> LegendTexts(const TChart& chart)
{
    std::vector<std::string> titles;
    for (const SeriesPointer& series : chart.Series)
        titles.push_back(series->Title);
    return LegendTextsOfTitles(titles);
}

void ToggleViewOption(TResultSet& results, ViewOption option)
{
    ResultViewOptions& view = results.View;
    switch (option) {
    case ViewOption::MaximizedForTile:
        view.MaximizedForTile = !view.MaximizedForTile;
        return;
    case ViewOption::Legends:
        view.Legends = !view.Legends;
        for (TChart& chart : results.Charts)
            chart.LegendVisible = view.Legends;
        return;
    case ViewOption::Titles:
        view.Titles = !view.Titles;
        for (TChart& chart : results.Charts)
            chart.TitleVisible = view.Titles;
        return;
    case ViewOption::BottomAxisTitles:
        view.BottomAxisTitles = !view.BottomAxisTitles;
        for (TChart& chart : results.Charts)
            chart.BottomAxis.TitleVisible = view.BottomAxisTitles;
        return;
    case ViewOption::Footnotes:
        view.Footnotes = !view.Footnotes;
        for (TChart& chart : results.Charts)
            chart.FootnoteVisible = view.Footnotes;
        return;
    case ViewOption::VerticalGrid:
        view.VerticalGrid = !view.VerticalGrid;
        for (TChart& chart : results.Charts)
            chart.BottomAxis.GridVisible = view.VerticalGrid;
        return;
    case ViewOption::HorizontalGrid:
        view.HorizontalGrid = !view.HorizontalGrid;
        for (TChart& chart : results.Charts)
            chart.LeftAxis.GridVisible = view.HorizontalGrid;
        return;
    }
}

void RenameCharts(TResultSet& results)
{
    for (std::size_t i = 0; i < results.Charts.size(); ++i)
        results.Charts[i].Name = fmt::format("Chart{}", i);
}

void CheckChartIndex(const TResultSet& results, int chart)
{
    if (chart < 0 || static_cast<std::size_t>(chart) >= results.Charts.size())
        throw IndexError(fmt::format("Chart {} does not exist; the window holds {} charts.", chart,
                                     results.Charts.size()));
}

} // namespace narv

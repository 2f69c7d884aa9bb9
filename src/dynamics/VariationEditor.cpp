#include "dynamics/VariationEditor.h"

#include "core/Error.h"
#include "core/InputCheck.h"
#include "core/NumberFormat.h"
#include "plant/PlantEditor.h"
#include "core/TextUtil.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <ctime>

namespace narv {
namespace {

constexpr std::array<const char*, 5> kInflowTitles = {
    "1.influent", "return sludge", "1.recirculation", "excess sludge", "2.influent"};

std::string number(double x)
{
    return FormatNumber(8, 3, x);
}

bool speciesGrid(VariationGrid grid)
{
    return grid == VariationGrid::Dissolved || grid == VariationGrid::Particulate;
}

std::string localClock()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return fmt::format("{:02d}:{:02d}:{:02d}", local.tm_hour, local.tm_min, local.tm_sec);
}

VariationEntry fromCheck(const RealCheck& check)
{
    return {check.accepted, check.message, check.text, check.returnFocus};
}

} // namespace

const char* VariationGridName(VariationGrid grid)
{
    switch (grid) {
    case VariationGrid::Inflows:
        return "sg_inflows";
    case VariationGrid::Dissolved:
        return "sg_diss";
    case VariationGrid::Particulate:
        return "sg_part";
    case VariationGrid::Kla:
        return "sg_kla";
    case VariationGrid::Temperature:
        break;
    }
    return "sg_temperature";
}

const char* VariationAverageGridName(VariationGrid grid)
{
    switch (grid) {
    case VariationGrid::Inflows:
        return "sg_avg_inflows";
    case VariationGrid::Dissolved:
        return "sg_avg_diss";
    case VariationGrid::Particulate:
        return "sg_avg_part";
    case VariationGrid::Kla:
        return "sg_avg_kla";
    case VariationGrid::Temperature:
        break;
    }
    return "sg_avg_temperature";
}

std::string VariationStepLabel(int step, double cycleDuration, int pointCount)
{
    const double hours = cycleDuration * 24.0 / pointCount;
    const double from = (step - 1) * hours;
    const double to = step * hours;
    if (hours >= 1.0)
        return fmt::format("{:2.0f}-{:2.0f} hrs", from, to);
    return fmt::format("{:8.3f}-{:8.3f} hrs", from, to);
}

const char* VariationPageCaption(VariationPage page)
{
    static constexpr std::array<const char*, 6> captions = {
        "Options",    "Inflows",    "dissolved species", "particulate species",
        "Kla values", "temperature"};
    return captions.at(static_cast<std::size_t>(page));
}

VariationEditor::VariationEditor(TVariationDef& variation, const TModelDef& model,
                                 const TPlantDef& plant, std::vector<std::string> reactorLabels)
    : m_variation(variation), m_model(model), m_plant(plant),
      m_reactorLabels(std::move(reactorLabels)), m_clock(localClock)
{
    CheckModelCounts(model);
    const int rows = VariationTemperatureRow(model) + 1;
    const int N = variation.PointCount;
    m_steps.assign(static_cast<std::size_t>(rows),
                   std::vector<double>(static_cast<std::size_t>(MaxVariationPoints) + 1, 0.0));
    m_factors.assign(static_cast<std::size_t>(rows), 1.0);
    for (int r = 0; r < rows; ++r) {
        auto& steps = m_steps[static_cast<std::size_t>(r)];
        for (int i = 1; i <= MaxVariationPoints; ++i)
            steps[static_cast<std::size_t>(i)] = variation.Values[r][i];
        // Column N + 1 holds the factor, not a step: a larger N made in the window starts
        // that step neutral.
        if (N < MaxVariationPoints)
            steps[static_cast<std::size_t>(N) + 1] = r == rows - 1 ? 0.0 : 1.0;
        m_factors[static_cast<std::size_t>(r)] = variation.Values[r][N + 1];
    }
}

// ---------------------------------------------------------------------------------------------
// Options

const std::vector<int>& VariationEditor::pointChoices()
{
    static const std::vector<int> choices = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 96, 144, 288};
    return choices;
}

bool VariationEditor::durationKeyAllowed(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'E' || c == 'e' || c == '+';
}

std::string VariationEditor::cycleHoursText() const
{
    return FormatNumber(7, 3, m_variation.CycleDuration * 24.0);
}

VariationEntry VariationEditor::enterCycleHours(std::string_view text)
{
    if (TrimBlanks(text) == TrimBlanks(cycleHoursText()))
        return {true, {}, cycleHoursText(), false};
    const RealCheck check =
        CheckRealField(text, 0.0, kMaxCycleHours, m_variation.CycleDuration * 24.0);
    if (!check.accepted)
        return fromCheck(check);
    m_variation.CycleDuration = check.value / 24.0;
    m_modified = true;
    return {true, {}, cycleHoursText(), false};
}

void VariationEditor::choosePointCount(int points)
{
    const auto& choices = pointChoices();
    if (std::find(choices.begin(), choices.end(), points) == choices.end())
        throw RangeError(fmt::format("{} is not a number of points of a cycle.", points));
    if (points == m_variation.PointCount)
        return;
    m_variation.PointCount = points;
    m_modified = true;
}

void VariationEditor::setVaryConc2(bool vary)
{
    if (vary == m_variation.VaryConc2)
        return;
    m_variation.VaryConc2 = vary;
    m_modified = true;
}

// ---------------------------------------------------------------------------------------------
// Upper grids

int VariationEditor::columnCount(VariationGrid grid) const
{
    switch (grid) {
    case VariationGrid::Inflows:
        return static_cast<int>(kInflowTitles.size());
    case VariationGrid::Dissolved:
        return m_model.NS;
    case VariationGrid::Particulate:
        return m_model.NX;
    case VariationGrid::Kla:
        return m_plant.ReactorCount;
    case VariationGrid::Temperature:
        break;
    }
    return 1;
}

void VariationEditor::checkColumn(VariationGrid grid, int column) const
{
    if (column < 1 || column > columnCount(grid))
        throwIndexError(column, 1, columnCount(grid));
}

void VariationEditor::checkStep(int step) const
{
    if (step < 1 || step > m_variation.PointCount)
        throwIndexError(step, 1, m_variation.PointCount);
}

int VariationEditor::tableRow(VariationGrid grid, int column) const
{
    checkColumn(grid, column);
    switch (grid) {
    case VariationGrid::Inflows:
        return column - 1;
    case VariationGrid::Dissolved:
        return VariationSpeciesRowS(column);
    case VariationGrid::Particulate:
        return VariationSpeciesRowX(m_model, column);
    case VariationGrid::Kla:
        return VariationKlaRow(m_model, column);
    case VariationGrid::Temperature:
        break;
    }
    return VariationTemperatureRow(m_model);
}

std::string VariationEditor::columnTitle(VariationGrid grid, int column) const
{
    if (column == 0)
        return cornerTitle();
    checkColumn(grid, column);
    switch (grid) {
    case VariationGrid::Inflows:
        return kInflowTitles.at(static_cast<std::size_t>(column - 1));
    case VariationGrid::Dissolved:
        return m_model.NameS[column];
    case VariationGrid::Particulate:
        return m_model.NameX[column];
    case VariationGrid::Kla:
        if (static_cast<std::size_t>(column) <= m_reactorLabels.size())
            return m_reactorLabels[static_cast<std::size_t>(column - 1)];
        return CompartmentLabel(m_plant, column);
    case VariationGrid::Temperature:
        break;
    }
    return "Temp difference";
}

std::string VariationEditor::rowLabel(int step) const
{
    return VariationStepLabel(step, m_variation.CycleDuration, m_variation.PointCount);
}

double& VariationEditor::step(VariationGrid grid, int step, int column)
{
    checkStep(step);
    return m_steps[static_cast<std::size_t>(tableRow(grid, column))]
                  [static_cast<std::size_t>(step)];
}

double VariationEditor::value(VariationGrid grid, int step, int column) const
{
    return const_cast<VariationEditor*>(this)->step(grid, step, column);
}

std::string VariationEditor::cellText(VariationGrid grid, int step, int column) const
{
    return number(value(grid, step, column));
}

void VariationEditor::logEvent(const char* handler, int column, int row, const std::string& text)
{
    m_events.push_back(
        fmt::format("{}: Col:{}/Row:{}: {}: {}", m_clock(), column, row, handler, text));
}

VariationEntry VariationEditor::enterCell(VariationGrid grid, int stepIndex, int column,
                                          std::string_view text)
{
    double& target = step(grid, stepIndex, column);
    logEvent((std::string(VariationGridName(grid)) + "ExitCell").c_str(), column, stepIndex,
             std::string(text));
    const std::string shown = number(target);
    if (TrimBlanks(text) == TrimBlanks(shown))
        return {true, {}, shown, false};
    const double min = relative(grid) ? 0.0 : -kMaxVariationValue;
    const RealCheck check = CheckRealText(text, min, kMaxVariationValue, target);
    if (!check.accepted)
        return fromCheck(check);
    target = check.value;
    m_modified = true;
    return {true, {}, number(target), false};
}

std::vector<std::vector<std::string>> VariationEditor::gridTexts(VariationGrid grid) const
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string>& titles = rows.emplace_back();
    for (int c = 0; c <= columnCount(grid); ++c)
        titles.push_back(columnTitle(grid, c));
    for (int i = 1; i <= m_variation.PointCount; ++i) {
        std::vector<std::string>& cells = rows.emplace_back();
        cells.push_back(rowLabel(i));
        for (int c = 1; c <= columnCount(grid); ++c)
            cells.push_back(cellText(grid, i, c));
    }
    return rows;
}

// ---------------------------------------------------------------------------------------------
// Averages

std::vector<std::string> VariationEditor::averageRowTitles(VariationGrid grid) const
{
    if (grid == VariationGrid::Temperature)
        return {"Average"};
    std::vector<std::string> titles = {"Factor", "Average=A", "A\u00B7Factor"};
    if (speciesGrid(grid))
        titles.emplace_back("Load");
    return titles;
}

double VariationEditor::factor(VariationGrid grid, int column) const
{
    return m_factors[static_cast<std::size_t>(tableRow(grid, column))];
}

double VariationEditor::average(VariationGrid grid, int column) const
{
    const auto& steps = m_steps[static_cast<std::size_t>(tableRow(grid, column))];
    double sum = 0.0;
    for (int i = 1; i <= m_variation.PointCount; ++i)
        sum += steps[static_cast<std::size_t>(i)];
    return sum / m_variation.PointCount;
}

double VariationEditor::averageTimesFactor(VariationGrid grid, int column) const
{
    return average(grid, column) * factor(grid, column);
}

double VariationEditor::load(VariationGrid grid, int column) const
{
    if (!speciesGrid(grid))
        return 0.0;
    const auto& flow = m_steps[0];
    const auto& concentration = m_steps[static_cast<std::size_t>(tableRow(grid, column))];
    double sum = 0.0;
    for (int i = 1; i <= m_variation.PointCount; ++i)
        sum += flow[static_cast<std::size_t>(i)] * concentration[static_cast<std::size_t>(i)];
    return sum / m_variation.PointCount * m_factors[0] * factor(grid, column);
}

std::string VariationEditor::averageText(VariationGrid grid, AverageRow row, int column) const
{
    if (grid == VariationGrid::Temperature)
        return number(average(grid, column));
    switch (row) {
    case AverageRow::Factor:
        return number(factor(grid, column));
    case AverageRow::Average:
        return number(average(grid, column));
    case AverageRow::AverageTimesFactor:
        return number(averageTimesFactor(grid, column));
    case AverageRow::Load:
        break;
    }
    return speciesGrid(grid) ? number(load(grid, column)) : std::string();
}

bool VariationEditor::averageEditable(VariationGrid grid, AverageRow row) const
{
    if (grid == VariationGrid::Temperature)
        return false;
    return row != AverageRow::Load || speciesGrid(grid);
}

VariationEntry VariationEditor::enterAverage(VariationGrid grid, AverageRow row, int column,
                                             std::string_view text)
{
    logEvent((std::string(VariationAverageGridName(grid)) + "ExitCell").c_str(), column,
             static_cast<int>(row) + 1, std::string(text));
    const std::string shown = averageText(grid, row, column);
    if (!averageEditable(grid, row) || row == AverageRow::Load)
        return {false, {}, shown, false};
    if (TrimBlanks(text) == TrimBlanks(shown))
        return {true, {}, shown, false};
    const std::size_t tableIndex = static_cast<std::size_t>(tableRow(grid, column));
    double& factorValue = m_factors[tableIndex];
    const double A = average(grid, column);
    const double stored = row == AverageRow::Factor    ? factorValue
                          : row == AverageRow::Average ? A
                                                       : A * factorValue;
    const RealCheck check = CheckRealText(text, 0.0, kMaxVariationValue, stored);
    if (!check.accepted)
        return fromCheck(check);
    if (row == AverageRow::Factor) {
        factorValue = check.value;
    } else {
        if (A == 0.0)
            return {false, kZeroAverageMessage, shown, false};
        if (row == AverageRow::Average) {
            const double ratio = check.value / A;
            auto& steps = m_steps[tableIndex];
            for (int i = 1; i <= m_variation.PointCount; ++i) {
                const double scaled = steps[static_cast<std::size_t>(i)] * ratio;
                if (!(scaled <= kMaxVariationValue))
                    return {false, {}, shown, false};
            }
            for (int i = 1; i <= m_variation.PointCount; ++i)
                steps[static_cast<std::size_t>(i)] *= ratio;
        } else {
            const double newFactor = check.value / A;
            if (!(newFactor <= kMaxVariationValue))
                return {false, {}, shown, false};
            factorValue = newFactor;
        }
    }
    m_modified = true;
    return {true, {}, averageText(grid, row, column), false};
}

// ---------------------------------------------------------------------------------------------
// Copy from Column

std::optional<std::vector<double>>
VariationEditor::clipboardNumbers(std::string_view clipboard) const
{
    std::vector<double> numbers;
    std::size_t i = 0;
    const auto separator = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (i < clipboard.size()) {
        if (separator(clipboard[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < clipboard.size() && !separator(clipboard[end]))
            ++end;
        double value = 0.0;
        if (!parseReal(clipboard.substr(i, end - i), value))
            return std::nullopt;
        numbers.push_back(value);
        i = end;
    }
    if (numbers.empty() || numbers.size() > static_cast<std::size_t>(m_variation.PointCount) + 1)
        return std::nullopt;
    return numbers;
}

std::vector<CopySource> VariationEditor::copySources(std::string_view clipboard) const
{
    std::vector<CopySource> sources;
    for (const VariationGrid grid : {VariationGrid::Inflows, VariationGrid::Dissolved,
                                     VariationGrid::Particulate, VariationGrid::Kla}) {
        for (int c = 1; c <= columnCount(grid); ++c) {
            std::string label = columnTitle(grid, c);
            if (grid == VariationGrid::Kla)
                label = "Kla value " + label;
            sources.push_back({std::move(label), grid, c});
        }
    }
    if (clipboardNumbers(clipboard))
        sources.push_back({"from Clipboard", VariationGrid::Inflows, 0});
    return sources;
}

bool VariationEditor::copyInto(VariationGrid grid, int column, const CopySource& source,
                               std::string_view clipboard)
{
    const std::size_t target = static_cast<std::size_t>(tableRow(grid, column));
    const int N = m_variation.PointCount;
    if (source.column != 0) {
        const std::size_t from = static_cast<std::size_t>(tableRow(source.grid, source.column));
        for (int i = 1; i <= N; ++i)
            m_steps[target][static_cast<std::size_t>(i)] =
                m_steps[from][static_cast<std::size_t>(i)];
        m_factors[target] = m_factors[from];
        m_modified = true;
        return true;
    }
    const auto numbers = clipboardNumbers(clipboard);
    if (!numbers)
        return false;
    const bool onlyPositive = relative(grid);
    const auto usable = [&](double x) {
        return onlyPositive ? x > 0.0 && x <= kMaxVariationValue
                            : std::fabs(x) <= kMaxVariationValue;
    };
    for (int i = 1; i <= N && i <= static_cast<int>(numbers->size()); ++i) {
        const double x = (*numbers)[static_cast<std::size_t>(i - 1)];
        if (usable(x))
            m_steps[target][static_cast<std::size_t>(i)] = x;
    }
    if (onlyPositive && numbers->size() == static_cast<std::size_t>(N) + 1 &&
        usable(numbers->back()))
        m_factors[target] = numbers->back();
    m_modified = true;
    return true;
}

void VariationEditor::headerClicked(VariationGrid grid, int column)
{
    logEvent((std::string(VariationGridName(grid)) + "FixedCellClick").c_str(), column, 0,
             columnTitle(grid, column));
}

// ---------------------------------------------------------------------------------------------

void VariationEditor::writeBack()
{
    const int N = m_variation.PointCount;
    for (const VariationGrid grid :
         {VariationGrid::Inflows, VariationGrid::Dissolved, VariationGrid::Particulate,
          VariationGrid::Kla, VariationGrid::Temperature}) {
        for (int c = 1; c <= columnCount(grid); ++c) {
            const int row = tableRow(grid, c);
            const auto& steps = m_steps[static_cast<std::size_t>(row)];
            for (int i = 1; i <= N; ++i)
                m_variation.Values[row][i] = steps[static_cast<std::size_t>(i)];
            m_variation.Values[row][N + 1] = m_factors[static_cast<std::size_t>(row)];
        }
    }
}

} // namespace narv

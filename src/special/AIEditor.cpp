#include "special/AIEditor.h"

#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"
#include "plant/ControlLoops.h"

#include <fmt/format.h>

#include <algorithm>

namespace narv {
namespace {

std::vector<int> numbers(int first, int last)
{
    std::vector<int> list;
    for (int k = first; k <= last; ++k)
        list.push_back(k);
    return list;
}

int otherLane(int lane)
{
    return lane == 1 ? 2 : 1;
}

void checkLane(int lane)
{
    if (lane != 1 && lane != 2)
        throwIndexError(lane, 1, kLaneCount);
}

} // namespace

GridRows AIStateGrid(const GridRows& standard, const TAIPlant& ai, const TPlantDef& plant)
{
    if (standard.empty())
        return {};
    const std::size_t columns = standard[0].size();
    // The standard title row: the label column, the flow, the species, the oxygen consumption.
    if (columns < 3)
        return standard;
    const std::size_t firstCompartment =
        standard.size() - static_cast<std::size_t>(std::max(0, plant.CompartmentCount));
    const auto compartmentOf = [&](std::size_t standardRow) {
        return standardRow >= firstCompartment && standardRow > 0
                   ? static_cast<int>(standardRow - firstCompartment) + 1
                   : 0;
    };
    const auto labelRow = [&](const char* title, auto label) {
        std::vector<GridCell> row{GridCell{title, false}};
        for (std::size_t r = 1; r < standard.size(); ++r) {
            const int c = compartmentOf(r);
            row.push_back(GridCell{c > 0 ? label(ai, plant, c) : std::string(), false});
        }
        return row;
    };
    GridRows rows;
    for (std::size_t column = 0; column < columns; ++column) {
        std::vector<GridCell> row;
        for (const std::vector<GridCell>& standardRow : standard)
            row.push_back(column < standardRow.size() ? standardRow[column] : GridCell{});
        rows.push_back(std::move(row));
        if (column == 0)
            rows.push_back(labelRow(" Type", AIStateGridLabel));
        if (column == columns - 2)
            rows.push_back(labelRow("", AIFeedLabel));
    }
    return rows;
}

AIDefinitionView AIPlantEditor::refresh()
{
    TPlantDef& plant = m_plant;
    const int P = m_ai.PolyvalentCount;
    const int A = m_ai.LaneCompartmentCount;
    const int B = m_ai.PostAerationCount;
    const int clarifiers = plant.CompartmentCount - plant.ReactorCount;
    AIDefinitionView view;
    view.polyvalent = {1, MaxCompartments - 2 * A - B - clarifiers};
    view.laneCompartments = {1, (MaxCompartments - P - B - clarifiers) / 2};
    view.postAeration = {1, MaxCompartments - P - 2 * A - clarifiers};
    plant.ReactorCount = P + 2 * A + B;
    if (plant.CompartmentCount < plant.ReactorCount)
        plant.CompartmentCount = plant.ReactorCount;
    view.clarifier = {0, MaxCompartments - plant.ReactorCount};

    view.influentReactors = numbers(1, P);
    plant.InfluentReactor = std::min(plant.InfluentReactor, P);
    plant.Influent2Reactor = std::min(plant.Influent2Reactor, P);
    plant.ReturnReactor = std::min(plant.ReturnReactor, P);
    plant.SludgeSeparation = plant.ReturnFlow > 0.0;
    if (plant.SludgeSeparation) {
        view.sludgeAgeEditable = true;
        view.returnReactorEditable = P >= 2;
    } else {
        plant.CompartmentCount = plant.ReactorCount;
    }

    view.recircFrom = numbers(2, P);
    for (int k = P + 2 * A + 1; k <= plant.ReactorCount; ++k)
        view.recircFrom.push_back(k);
    view.recircTo = numbers(1, plant.RecircFrom < P ? plant.RecircFrom - 1 : P);
    view.recirc2To = numbers(1, plant.Recirc2From < P ? plant.Recirc2From - 1 : P);

    if (P < 2) {
        plant.RecircActive = false;
    } else {
        view.recircEditable = true;
        plant.RecircActive = plant.RecircFlow > 0.0;
        view.recirc2Editable = plant.RecircActive;
    }
    BuildLaneUpstream(m_ai, plant.CompartmentCount);
    m_view = view;
    return view;
}

std::string AIPlantEditor::applyCounts(int clarifiers)
{
    std::string message;
    int& P = m_ai.PolyvalentCount;
    const int A = m_ai.LaneCompartmentCount;
    const int B = m_ai.PostAerationCount;
    if (P + 2 * A + B + clarifiers > MaxCompartments) {
        P = MaxCompartments - 2 * A - B - clarifiers;
        message = kTooManyPolyvalentMessage;
    }
    m_plant.ReactorCount = P + 2 * A + B;
    m_plant.CompartmentCount = m_plant.ReactorCount + clarifiers;
    TPlantDef& plant = m_plant;
    if (P == 1) {
        plant.RecircFrom = plant.RecircTo = plant.Recirc2From = plant.Recirc2To = 1;
    } else {
        if (plant.RecircFrom == 1)
            plant.RecircFrom = 2;
        if (plant.Recirc2From == 1)
            plant.Recirc2From = 2;
        plant.RecircFrom = std::min(plant.RecircFrom, P);
        if (plant.RecircTo > plant.RecircFrom)
            plant.RecircTo = plant.RecircFrom - 1;
        plant.Recirc2From = std::min(plant.Recirc2From, P);
        if (plant.Recirc2To > plant.Recirc2From)
            plant.Recirc2To = plant.Recirc2From - 1;
    }
    m_modified = true;
    refresh();
    return message;
}

std::string AIPlantEditor::changePolyvalentCount(int count)
{
    const int clarifiers = m_plant.CompartmentCount - m_plant.ReactorCount;
    if (count < 1 ||
        2 * m_ai.LaneCompartmentCount + m_ai.PostAerationCount + clarifiers >= MaxCompartments)
        throw RangeError(fmt::format("{} polyvalent reactors do not fit into the plant.", count));
    m_ai.PolyvalentCount = count;
    return applyCounts(clarifiers);
}

std::string AIPlantEditor::changeLaneCompartmentCount(int count)
{
    const int clarifiers = m_plant.CompartmentCount - m_plant.ReactorCount;
    if (count < 1 || 2 * count + m_ai.PostAerationCount + clarifiers >= MaxCompartments)
        throw RangeError(fmt::format("{} compartments per lane do not fit into the plant.", count));
    m_ai.LaneCompartmentCount = count;
    return applyCounts(clarifiers);
}

std::string AIPlantEditor::changePostAerationCount(int count)
{
    const int clarifiers = m_plant.CompartmentCount - m_plant.ReactorCount;
    if (count < 1 || 2 * m_ai.LaneCompartmentCount + count + clarifiers >= MaxCompartments)
        throw RangeError(
            fmt::format("{} post-aeration reactors do not fit into the plant.", count));
    m_ai.PostAerationCount = count;
    return applyCounts(clarifiers);
}

void AIPlantEditor::changeClarifierCount(int count)
{
    if (count < 0 || m_plant.ReactorCount + count > MaxCompartments)
        throw RangeError(
            fmt::format("{} clarifier compartments do not fit into the plant.", count));
    m_plant.CompartmentCount = m_plant.ReactorCount + count;
    m_modified = true;
    refresh();
}

void AIPlantEditor::setVolume(int compartment, double volume)
{
    m_plant.Volume[compartment] = volume;
    if (const int twin = AITwinCompartment(m_ai, m_plant, compartment))
        m_plant.Volume[twin] = volume;
    m_modified = true;
}

std::string AIControlLoopList::pageTitle(int lane)
{
    return fmt::format("if lane {} is fed", lane);
}

std::string AIControlLoopList::entryCaption(int entry) const
{
    if (entry == kLaneLoopEntry)
        return "Lane";
    if (entry < kFirstKlaLoop)
        return ControlledQuantityCaption(entry);
    const int reactor = entry - 4;
    switch (AICompartmentRole(m_ai, m_plant, reactor)) {
    case AIRole::Lane1:
        return fmt::format("Kla of R. {} (lane 1)", reactor);
    case AIRole::Lane2:
        return fmt::format("Kla of R. {} (lane 2)", reactor);
    default:
        return fmt::format("Kla of Reactor {}", reactor);
    }
}

std::string AIControlLoopList::entryLine(int lane, int entry) const
{
    checkLane(lane);
    const TControlLoopDef& loop = m_ai.LaneLoops[lane][entry];
    if (!loop.Active)
        return "Signal to control " + entryCaption(entry);
    return DescribeControlLoop(m_model, loop);
}

void AIControlLoopList::setActive(int lane, int entry, bool active)
{
    checkLane(lane);
    m_ai.LaneLoops[lane][entry].Active = active;
    m_modified = true;
    m_plant.ControlLoopsActive = AnyAIControlLoopActive(m_plant, m_ai);
}

AIControlLoopList::KindChoice AIControlLoopList::chooseKind(int lane, int entry, bool onOff)
{
    checkLane(lane);
    if (entry < 0 || entry > lastEntry())
        throwIndexError(entry, 0, lastEntry());
    KindChoice choice{onOff, {}};
    if (entry == kLaneLoopEntry && !onOff) {
        choice.message = kOnlyOnOffMessage;
        choice.onOff = true;
    }
    m_modified = true;
    return choice;
}

void AIControlLoopList::copyToOtherLane(int lane, int entry)
{
    checkLane(lane);
    m_ai.LaneLoops[otherLane(lane)][entry] = m_ai.LaneLoops[lane][entry];
    m_modified = true;
    m_plant.ControlLoopsActive = AnyAIControlLoopActive(m_plant, m_ai);
}

std::string LanePageEditor::rowLabel(int step) const
{
    return VariationStepLabel(step, m_variation.CycleDuration, m_variation.PointCount);
}

std::string LanePageEditor::cellText(int step) const
{
    if (m_cells.size() != static_cast<std::size_t>(rowCount()))
        return fmt::format("{}", m_lanes.LaneFed[step]);
    return m_cells[static_cast<std::size_t>(step - 1)];
}

void LanePageEditor::show()
{
    m_cells.clear();
    for (int i = 1; i <= rowCount(); ++i)
        m_cells.push_back(fmt::format("{}", m_lanes.LaneFed[i]));
    m_firstSelection = true;
    m_selected = 0;
}

void LanePageEditor::switchLane(int step)
{
    int& lane = m_lanes.LaneFed[step];
    lane = lane == 1 ? 2 : 1;
    if (m_cells.size() == static_cast<std::size_t>(rowCount()))
        m_cells[static_cast<std::size_t>(step - 1)] = fmt::format("{}", lane);
    m_modified = true;
}

void LanePageEditor::doubleClick(int step)
{
    switchLane(step);
}

void LanePageEditor::select(int step)
{
    if (step == m_selected)
        return;
    m_selected = step;
    if (m_firstSelection) {
        m_firstSelection = false;
        return;
    }
    switchLane(step);
}

void LanePageEditor::changeSelection(int firstStep, int lastStep, int lane)
{
    checkLane(lane);
    if (m_cells.size() != static_cast<std::size_t>(rowCount()))
        show();
    for (int i = std::max(firstStep, 1); i <= std::min(lastStep, rowCount()); ++i) {
        m_lanes.LaneFed[i] = lane;
        m_cells[static_cast<std::size_t>(i - 1)] = fmt::format("{}", lane);
    }
    m_modified = true;
}

std::string LanePageEditor::copyText() const
{
    const std::vector<std::string> titles = columnTitles();
    std::string text = titles[0] + "\t" + titles[1];
    for (int i = 1; i <= rowCount(); ++i)
        text += "\r\n" + rowLabel(i) + "\t" + cellText(i);
    return text + "\r\n";
}

std::string LanePageEditor::paste(const std::string& clipboard, int firstStep, int column)
{
    if (m_cells.size() != static_cast<std::size_t>(rowCount()))
        show();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= clipboard.size()) {
        std::size_t end = clipboard.find('\n', start);
        if (end == std::string::npos)
            end = clipboard.size();
        std::string line = clipboard.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    if (!lines.empty() && lines.back().empty())
        lines.pop_back(); // the line end of the last line
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const int step = firstStep + static_cast<int>(n);
        if (step < 1 || step > rowCount())
            continue;
        int c = column;
        std::size_t cellStart = 0;
        while (true) {
            const std::size_t tab = lines[n].find('\t', cellStart);
            const std::string cell = lines[n].substr(
                cellStart, tab == std::string::npos ? std::string::npos : tab - cellStart);
            if (c == 1)
                m_cells[static_cast<std::size_t>(step - 1)] = cell;
            if (tab == std::string::npos)
                break;
            cellStart = tab + 1;
            ++c;
        }
    }
    std::vector<int> read;
    for (const std::string& cell : m_cells) {
        int lane = 0;
        if (!parseInteger(TrimBlanks(cell), lane) || (lane != 1 && lane != 2)) {
            const bool firstSelection = m_firstSelection;
            const int selected = m_selected;
            show(); // the grid shows LaneFed again
            m_firstSelection = firstSelection;
            m_selected = selected;
            return kLaneClipboardMessage;
        }
        read.push_back(lane);
    }
    for (int i = 1; i <= rowCount(); ++i)
        m_lanes.LaneFed[i] = read[static_cast<std::size_t>(i - 1)];
    m_modified = true;
    return "";
}

} // namespace narv

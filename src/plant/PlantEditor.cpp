#include "plant/PlantEditor.h"

#include "core/InputCheck.h"
#include "core/NumberFormat.h"
#include "model/Temperature.h"
#include "plant/ModelSetup.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace narv {
namespace {

// A sludge age of 0 would make the excess-sludge rate infinite.
constexpr double kZeroSludgeAge = 1e-12; // [d]

std::string fieldNumber(double x)
{
    return FormatNumber(7, 3, x);
}

std::string cellNumber(double x)
{
    return FormatNumber(11, 3, x);
}

PlantEntry fromCheck(const RealCheck& check)
{
    return {check.accepted, check.message, check.text, check.returnFocus};
}

GridCell shown(std::string text)
{
    return {std::move(text), false};
}

GridCell editable(double x)
{
    return {cellNumber(x), true};
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// A source of recirculation must lie in 2..reactors and its target below it.
void fitRecirculation(int& from, int& to, int reactors)
{
    if (reactors == 1) {
        from = 1;
        to = 1;
        return;
    }
    from = std::clamp(from, 2, reactors);
    if (to > from)
        to = from - 1;
}

} // namespace

std::string PlantEditor::Caption(std::string_view menuCaption)
{
    std::string caption = "Flowscheme: ";
    for (std::size_t i = 0; i < menuCaption.size(); ++i) {
        // "&&" stands for a literal ampersand, a single "&" marks the accelerator.
        if (menuCaption[i] == '&') {
            if (i + 1 < menuCaption.size() && menuCaption[i + 1] == '&')
                caption += menuCaption[++i];
            continue;
        }
        caption += menuCaption[i];
    }
    return caption;
}

const PlantDefinitionView& PlantEditor::applyPlantType(TFlowschemeType type, bool chosenFromMenu)
{
    ApplyPlantType(type, m_model, m_plant, m_state, chosenFromMenu);
    return refresh();
}

const PlantDefinitionView& PlantEditor::refresh()
{
    TPlantDef& plant = m_plant;
    const int reactors = plant.ReactorCount;
    PlantDefinitionView view;

    view.reactorCounts = {1, MaxCompartments};
    view.targetReactors = {1, reactors};
    plant.InfluentReactor = std::min(plant.InfluentReactor, reactors);
    plant.Influent2Reactor = std::min(plant.Influent2Reactor, reactors);
    plant.ReturnReactor = std::min(plant.ReturnReactor, reactors);

    view.influentReactorEnabled = plant.InfluentFlow > 0.0;
    if (plant.Influent2Enabled) {
        view.influent2FlowEnabled = true;
        view.influent2ReactorEnabled = plant.PlantType == TFlowschemeType::ftSBR ||
                                       (reactors > 1 && plant.Influent2Flow > 0.0);
    } else {
        plant.Influent2Flow = 0.0;
    }

    plant.SludgeSeparation = plant.ReturnFlow > 0.0;
    if (plant.SludgeSeparation) {
        view.sludgeAgeEnabled = true;
        view.returnReactorEnabled = reactors >= 2;
    } else {
        plant.CompartmentCount = reactors;
    }
    view.clarifierCounts = {0, MaxCompartments - reactors};
    view.clarifierCount = plant.CompartmentCount - reactors;

    view.recircFrom = {2, reactors};
    view.recircTo = {1, plant.RecircFrom - 1};
    view.recirc2To = {1, plant.Recirc2From - 1};

    const double minimum = MinimumSludgeAge(plant);
    if (plant.SludgeAge < minimum) {
        plant.SludgeAge = minimum;
        plant.ExcessRate = 1.0 / plant.SludgeAge;
    }
    view.sludgeAgeLabel = "Sludge age (SRT) (>" + FormatFixed(1, 3, minimum) + ")";

    if (reactors < 2) {
        plant.RecircActive = false;
    } else {
        view.recircEnabled = true;
        if (plant.RecircFlow > 0.0)
            plant.RecircActive = true;
        view.recirc2Enabled = plant.RecircActive;
    }

    view.influentFlowText = fieldNumber(plant.InfluentFlow);
    view.influent2FlowText = fieldNumber(plant.Influent2Flow);
    view.returnFlowText = fieldNumber(plant.ReturnFlow);
    view.recircFlowText = fieldNumber(plant.RecircFlow);
    view.recirc2FlowText = fieldNumber(plant.Recirc2Flow);
    view.sludgeAgeText = fieldNumber(plant.SludgeAge);
    view.o2SaturationText = fieldNumber(plant.O2Saturation);
    view.temperatureText = FormatFixed(1, 1, plant.OperatingTemperature) + " °C";
    m_view = std::move(view);
    return m_view;
}

void PlantEditor::chooseReactorCount(int count)
{
    assert(count >= 1 && count <= MaxCompartments);
    const int clarifiers =
        std::min(m_plant.CompartmentCount - m_plant.ReactorCount, MaxCompartments - count);
    m_plant.ReactorCount = count;
    m_plant.CompartmentCount = count + clarifiers;
    fitRecirculation(m_plant.RecircFrom, m_plant.RecircTo, count);
    fitRecirculation(m_plant.Recirc2From, m_plant.Recirc2To, count);
    m_modified = true;
    refresh();
}

void PlantEditor::chooseClarifierCount(int count)
{
    assert(count >= 0 && count <= MaxCompartments - m_plant.ReactorCount);
    m_plant.CompartmentCount = m_plant.ReactorCount + count;
    m_modified = true;
    refresh();
}

int& PlantEditor::targetValue(PlantTarget target)
{
    switch (target) {
    case PlantTarget::InfluentReactor:
        return m_plant.InfluentReactor;
    case PlantTarget::Influent2Reactor:
        return m_plant.Influent2Reactor;
    case PlantTarget::ReturnReactor:
        return m_plant.ReturnReactor;
    case PlantTarget::RecircFrom:
        return m_plant.RecircFrom;
    case PlantTarget::RecircTo:
        return m_plant.RecircTo;
    case PlantTarget::Recirc2From:
        return m_plant.Recirc2From;
    case PlantTarget::Recirc2To:
        return m_plant.Recirc2To;
    }
    assert(false);
    return m_plant.InfluentReactor;
}

void PlantEditor::chooseTarget(PlantTarget target, int reactor)
{
    targetValue(target) = reactor;
    // A smaller source would leave the target outside the list it offers.
    if (target == PlantTarget::RecircFrom)
        fitRecirculation(m_plant.RecircFrom, m_plant.RecircTo, m_plant.ReactorCount);
    if (target == PlantTarget::Recirc2From)
        fitRecirculation(m_plant.Recirc2From, m_plant.Recirc2To, m_plant.ReactorCount);
    m_modified = true;
    refresh();
}

double& PlantEditor::fieldValue(PlantField field)
{
    switch (field) {
    case PlantField::InfluentFlow:
        return m_plant.InfluentFlow;
    case PlantField::Influent2Flow:
        return m_plant.Influent2Flow;
    case PlantField::ReturnFlow:
        return m_plant.ReturnFlow;
    case PlantField::RecircFlow:
        return m_plant.RecircFlow;
    case PlantField::Recirc2Flow:
        return m_plant.Recirc2Flow;
    case PlantField::SludgeAge:
        return m_plant.SludgeAge;
    case PlantField::O2Saturation:
        return m_plant.O2Saturation;
    case PlantField::OperatingTemperature:
        return m_plant.OperatingTemperature;
    }
    assert(false);
    return m_plant.InfluentFlow;
}

PlantEntry PlantEditor::enterField(PlantField field, std::string_view text)
{
    double& stored = fieldValue(field);
    double min = 0.0;
    double max = kMaxPlantValue;
    if (field == PlantField::SludgeAge)
        min = MinimumSludgeAge(m_plant);
    if (field == PlantField::OperatingTemperature) {
        min = kMinTemperature;
        max = kMaxTemperature;
    }
    const RealCheck check = CheckRealField(text, min, max, stored);
    if (!check.accepted)
        return fromCheck(check);

    switch (field) {
    case PlantField::SludgeAge:
        stored = check.value == 0.0 ? kZeroSludgeAge : check.value;
        m_plant.ExcessRate = 1.0 / m_plant.SludgeAge;
        break;
    case PlantField::OperatingTemperature:
        // Converted first: a failed conversion leaves model and plant at the old temperature.
        ConvertToOperatingTemperature(m_model, check.value, m_model.BaseTemperature);
        stored = check.value;
        break;
    case PlantField::RecircFlow:
        stored = check.value;
        m_plant.RecircActive = stored > 0.0;
        break;
    default:
        stored = check.value;
        break;
    }
    m_modified = true;
    const PlantDefinitionView& view = refresh();
    PlantEntry entry = fromCheck(check);
    switch (field) {
    case PlantField::InfluentFlow:
        entry.text = view.influentFlowText;
        break;
    case PlantField::Influent2Flow:
        entry.text = view.influent2FlowText;
        break;
    case PlantField::ReturnFlow:
        entry.text = view.returnFlowText;
        break;
    case PlantField::RecircFlow:
        entry.text = view.recircFlowText;
        break;
    case PlantField::Recirc2Flow:
        entry.text = view.recirc2FlowText;
        break;
    case PlantField::SludgeAge:
        entry.text = view.sludgeAgeText;
        break;
    case PlantField::O2Saturation:
        entry.text = view.o2SaturationText;
        break;
    case PlantField::OperatingTemperature:
        entry.text = view.temperatureText;
        break;
    }
    return entry;
}

std::string PlantEditor::temperatureEditText() const
{
    return FormatFixed(1, 1, m_plant.OperatingTemperature);
}

std::string CompartmentLabel(const TPlantDef& plant, int compartment)
{
    if (compartment <= plant.ReactorCount)
        return " Reactor " + std::to_string(compartment);
    return " Clarifier " + std::to_string(compartment - plant.ReactorCount);
}

std::vector<std::string> ReactorLabels(const TPlantDef& plant)
{
    std::vector<std::string> labels;
    for (int k = 1; k <= plant.ReactorCount; ++k)
        labels.push_back(CompartmentLabel(plant, k));
    return labels;
}

std::string PlantEditor::compartmentLabel(int compartment) const
{
    return CompartmentLabel(m_plant, compartment);
}

GridRows PlantEditor::reactorGrid() const
{
    GridRows rows;
    rows.push_back(
        {shown(" Reactors"), shown(" Volume"), shown(" O2 Setpoint"), shown(" Kla Value")});
    for (int c = 1; c <= m_plant.CompartmentCount; ++c) {
        if (c <= m_plant.ReactorCount)
            rows.push_back({shown(compartmentLabel(c)), editable(m_plant.Volume[c]),
                            editable(m_plant.O2Setpoint[c]), editable(m_plant.Kla[c])});
        else
            rows.push_back(
                {shown(compartmentLabel(c)), editable(m_plant.Volume[c]), shown(""), shown("")});
    }
    return rows;
}

PlantEntry PlantEditor::enterReactorCell(int compartment, ReactorColumn column,
                                         std::string_view text)
{
    const bool reactor = compartment <= m_plant.ReactorCount;
    if (column != ReactorColumn::Volume && !reactor)
        return {}; // clarifiers are not aerated
    double& stored = column == ReactorColumn::Volume       ? m_plant.Volume[compartment]
                     : column == ReactorColumn::O2Setpoint ? m_plant.O2Setpoint[compartment]
                                                           : m_plant.Kla[compartment];
    // The solvers divide by every volume in use.
    const double min = column == ReactorColumn::Volume ? kMinVolume : 0.0;
    const RealCheck check = CheckRealText(text, min, kMaxPlantValue, stored);
    PlantEntry entry = fromCheck(check);
    if (!check.accepted)
        return entry;
    stored = check.value;
    // Oxygen is either held at a setpoint or follows from Kla, never both.
    if (column == ReactorColumn::O2Setpoint && stored > 0.0)
        m_plant.Kla[compartment] = 0.0;
    if (column == ReactorColumn::Kla && stored > 0.0)
        m_plant.O2Setpoint[compartment] = 0.0;
    entry.text = cellNumber(stored);
    m_modified = true;
    return entry;
}

std::string PlantEditor::speciesTitle(SpeciesKind kind, int species) const
{
    return kind == SpeciesKind::Dissolved ? m_model.NameS[species] : m_model.NameX[species];
}

GridRows PlantEditor::initialConditionGrid(SpeciesKind kind) const
{
    const bool dissolved = kind == SpeciesKind::Dissolved;
    const int species = dissolved ? m_model.NS : m_model.NX;
    const int compartments = dissolved ? m_plant.CompartmentCount : m_plant.ReactorCount;
    GridRows rows(1);
    rows[0].push_back(shown(" Species"));
    for (int c = 1; c <= compartments; ++c)
        rows[0].push_back(shown(compartmentLabel(c)));
    for (int j = 1; j <= species; ++j) {
        std::vector<GridCell> row{shown(speciesTitle(kind, j))};
        for (int c = 1; c <= compartments; ++c) {
            if (dissolved && j == 1 && c > m_plant.ReactorCount)
                row.push_back(shown("")); // clarifiers carry no oxygen balance
            else
                row.push_back(editable(dissolved ? m_state.S[c][j] : m_state.X[c][j]));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

PlantEntry PlantEditor::enterInitialCondition(SpeciesKind kind, int species, int compartment,
                                              std::string_view text)
{
    const bool dissolved = kind == SpeciesKind::Dissolved;
    if (dissolved && species == 1 && compartment > m_plant.ReactorCount)
        return {};
    double& stored = dissolved ? m_state.S[compartment][species] : m_state.X[compartment][species];
    const RealCheck check = CheckRealText(text, 0.0, kMaxPlantValue, stored);
    PlantEntry entry = fromCheck(check);
    if (check.accepted) {
        stored = check.value;
        entry.text = cellNumber(stored);
        m_modified = true;
    }
    return entry;
}

int PlantEditor::pasteInitialConditions(std::string_view clipboard)
{
    const std::vector<std::string_view> lines = split(clipboard, '\n');
    // The leading fields label the line: name, unit or flow, and the 2nd influent's column.
    const std::size_t dropped = m_plant.Influent2Flow != 0.0 ? 3 : 2;
    const int nS = m_model.NS;
    const int nX = m_model.NX;
    int filled = 0;
    for (std::size_t n = 2; n < lines.size(); ++n) {
        const int row = static_cast<int>(n) - 1; // 1-based among the table's data lines
        if (row > nS + nX)
            break;
        std::string_view line = lines[n];
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::vector<std::string_view> fields = split(line, '\t');
        const bool dissolved = row <= nS;
        const int species = dissolved ? row : row - nS;
        const int compartments = dissolved ? m_plant.CompartmentCount : m_plant.ReactorCount;
        for (int c = 1; c <= compartments; ++c) {
            const std::size_t index = dropped + static_cast<std::size_t>(c) - 1;
            if (index >= fields.size())
                break;
            if (dissolved && species == 1 && c > m_plant.ReactorCount)
                continue;
            double& cell = dissolved ? m_state.S[c][species] : m_state.X[c][species];
            const RealCheck check = CheckRealText(fields[index], 0.0, kMaxPlantValue, cell);
            if (!check.accepted)
                continue;
            cell = check.value;
            ++filled;
        }
    }
    if (filled > 0)
        m_modified = true;
    return filled;
}

SpeciesArray& PlantEditor::influentValues(InfluentGrid grid)
{
    switch (grid) {
    case InfluentGrid::Dissolved1:
        return m_model.InfluentS;
    case InfluentGrid::Particulate1:
        return m_model.InfluentX;
    case InfluentGrid::Dissolved2:
        return m_plant.SIn2;
    case InfluentGrid::Particulate2:
        return m_plant.XIn2;
    }
    assert(false);
    return m_model.InfluentS;
}

int PlantEditor::influentSpeciesCount(InfluentGrid grid) const
{
    const bool dissolved = grid == InfluentGrid::Dissolved1 || grid == InfluentGrid::Dissolved2;
    return dissolved ? m_model.NS : m_model.NX;
}

GridRows PlantEditor::influentGrid(InfluentGrid grid)
{
    const bool dissolved = grid == InfluentGrid::Dissolved1 || grid == InfluentGrid::Dissolved2;
    const SpeciesArray& values = influentValues(grid);
    GridRows rows(2);
    rows[0].push_back(shown(" Species"));
    rows[1].push_back(shown(" values"));
    for (int j = 1; j <= influentSpeciesCount(grid); ++j) {
        rows[0].push_back(shown(dissolved ? m_model.NameS[j] : m_model.NameX[j]));
        rows[1].push_back(editable(values[j]));
    }
    return rows;
}

PlantEntry PlantEditor::enterInfluent(InfluentGrid grid, int species, std::string_view text)
{
    if (species < 1 || species > influentSpeciesCount(grid))
        return {};
    double& stored = influentValues(grid)[species];
    const RealCheck check = CheckRealText(text, 0.0, kMaxPlantValue, stored);
    PlantEntry entry = fromCheck(check);
    if (check.accepted) {
        stored = check.value;
        entry.text = cellNumber(stored);
        m_modified = true;
    }
    return entry;
}

GridRows PlantEditor::statePage()
{
    const int nS = m_model.NS;
    const int nX = m_model.NX;
    const bool sbr = m_plant.PlantType == TFlowschemeType::ftSBR;
    GridRows rows(1);
    rows[0].push_back(shown(""));
    rows[0].push_back(shown("Flowrate/Volumes"));
    for (int j = 1; j <= nS; ++j)
        rows[0].push_back(shown(m_model.NameS[j]));
    for (int j = 1; j <= nX; ++j)
        rows[0].push_back(shown(m_model.NameX[j]));
    rows[0].push_back(shown("Oxygen consumption"));

    auto influentRow = [&](const char* label, double flow, const SpeciesArray& S,
                           const SpeciesArray& X) {
        // An SBR takes its influents as volumes per period, not as flows.
        std::vector<GridCell> row{shown(label), shown(sbr ? "N/A" : cellNumber(flow))};
        for (int j = 1; j <= nS; ++j)
            row.push_back(shown(cellNumber(S[j])));
        for (int j = 1; j <= nX; ++j)
            row.push_back(shown(cellNumber(X[j])));
        row.push_back(shown(""));
        rows.push_back(std::move(row));
    };
    if (m_plant.InfluentFlow > 0.0)
        influentRow("1.influent", m_plant.InfluentFlow, m_model.InfluentS, m_model.InfluentX);
    if (m_plant.Influent2Flow > 0.0 || sbr)
        influentRow("2.influent", m_plant.Influent2Flow, m_plant.SIn2, m_plant.XIn2);

    for (int c = 1; c <= m_plant.CompartmentCount; ++c) {
        const bool reactor = c <= m_plant.ReactorCount;
        std::vector<GridCell> row{shown(compartmentLabel(c)), shown(cellNumber(m_plant.Volume[c]))};
        for (int j = 1; j <= nS; ++j)
            row.push_back(shown(cellNumber(m_state.S[c][j])));
        for (int j = 1; j <= nX; ++j)
            row.push_back(shown(reactor ? cellNumber(m_state.X[c][j]) : ""));
        if (reactor) {
            ComputeOxygenRate(m_model, m_plant, m_state, c);
            row.push_back(shown(cellNumber(-m_model.RS[1])));
        } else {
            row.push_back(shown(""));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string PlantEditor::TableText(const GridRows& rows)
{
    std::string text;
    for (const std::vector<GridCell>& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += '\t';
            text += row[i].text;
        }
        text += "\r\n";
    }
    return text;
}

} // namespace narv

#include "model/ModelEditor.h"

#include "core/Error.h"
#include "core/InputCheck.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"
#include "model/KineticTypes.h"
#include "model/Temperature.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace narv {
namespace {

constexpr double kMinTemperature = -20.0; // [°C]
constexpr double kMaxTemperature = 100.0; // [°C]
constexpr double kMaxParameter = 1e9;
constexpr int kMaxRemarkLines = 19;
constexpr const char* kOverflowMessage =
    "The value would overflow at the other temperature. Please enter a smaller value.";

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Labels are UTF-8 inside the program; their length limit counts characters.
std::size_t characterCount(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !isContinuationByte(c); }));
}

std::string firstCharacters(std::string_view text, std::size_t count)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isContinuationByte(text[i]) && characters++ == count)
            return std::string(text.substr(0, i));
    }
    return std::string(text);
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string labelOf(const std::string& name)
{
    return name.size() > 2 ? name.substr(2) : std::string();
}

std::string cellNumber(double x)
{
    return FormatNumber(11, 3, x);
}

const KineticTypeInfo* typeInfo(bool particulate, int type)
{
    return particulate ? ParticulateTypeInfo(type) : DissolvedTypeInfo(type);
}

bool typeNeedsSecondSpecies(bool particulate, int type)
{
    const KineticTypeInfo* info = typeInfo(particulate, type);
    return info != nullptr && info->second == SecondValue::Species;
}

bool typeHasExponent(bool particulate, int type)
{
    const KineticTypeInfo* info = typeInfo(particulate, type);
    return info != nullptr && info->second == SecondValue::Exponent;
}

bool isKineticGrid(ModelGrid grid)
{
    return grid == ModelGrid::KineticsDissolved || grid == ModelGrid::KineticsParticulate;
}

bool isProcessGrid(ModelGrid grid)
{
    return static_cast<int>(grid) <= 5;
}

bool isParticulateGrid(ModelGrid grid)
{
    return grid == ModelGrid::StoichParticulate || grid == ModelGrid::KineticsParticulate ||
           grid == ModelGrid::InitialParticulate || grid == ModelGrid::InfluentParticulate;
}

ModelEntry refusedSilently(std::string text)
{
    return {false, {}, std::move(text), false};
}

} // namespace

std::string FormatCoefficient(double x)
{
    const float single = static_cast<float>(x);
    // A coefficient beyond the single range keeps its double value rather than showing inf.
    const double value = std::isfinite(single) ? static_cast<double>(single) : x;
    const double a = std::fabs(value);
    if (a > 0.01 && a < 10000.0)
        return FormatFixed(11, 3, value).substr(2) + "  ";
    if (a < 1e-100)
        return {};
    return FormatExponent(11, value) + " ";
}

std::string StoredSpeciesName(std::string_view typed, bool particulate, bool* tooLong)
{
    std::string_view label = typed;
    if (startsWith(label, "S ") || startsWith(label, "X "))
        label.remove_prefix(2);
    std::string stored = particulate ? "X " : "S ";
    const bool longLabel = characterCount(label) > static_cast<std::size_t>(kMaxSpeciesLabelLength);
    if (tooLong != nullptr)
        *tooLong = longLabel;
    if (longLabel)
        stored += firstCharacters(CollapseBlanks(label), kMaxSpeciesLabelLength);
    else
        stored += label;
    return stored;
}

const char* ModelPageCaption(ModelPage page)
{
    static constexpr std::array<const char*, kModelPageCount> captions = {
        "   Info",
        "Stoich. of diss. species",
        "Stoich. of part. species",
        "Rate constants",
        "Kinetics of diss. species",
        "Kinetics of part. species",
        "Initial conditions",
        "Influent concentrations"};
    return captions.at(static_cast<std::size_t>(page));
}

ModelPage PageOfGrid(ModelGrid grid)
{
    switch (grid) {
    case ModelGrid::StoichDissolved:
        return ModelPage::StoichDissolved;
    case ModelGrid::StoichParticulate:
        return ModelPage::StoichParticulate;
    case ModelGrid::KineticsDissolved:
        return ModelPage::KineticsDissolved;
    case ModelGrid::KineticsParticulate:
        return ModelPage::KineticsParticulate;
    case ModelGrid::RateConstants:
        return ModelPage::RateConstants;
    case ModelGrid::InitialDissolved:
    case ModelGrid::InitialParticulate:
        return ModelPage::InitialConditions;
    case ModelGrid::InfluentDissolved:
    case ModelGrid::InfluentParticulate:
        return ModelPage::InfluentConcentrations;
    }
    return ModelPage::Info;
}

// ---------------------------------------------------------------------------------------------
// Parameter dialog

ParameterDialog::ParameterDialog(const Setup& setup)
    : m_setup(setup), m_operating(setup.operatingValue), m_base(setup.baseValue),
      m_coefficient(setup.coefficient)
{
    const char kind = setup.particulate ? 'X' : 'S';
    const KineticTypeInfo* oldInfo = typeInfo(setup.particulate, setup.oldType);
    const KineticTypeInfo* newInfo = typeInfo(setup.particulate, setup.newType);
    m_processText = "Process: " + setup.processName;
    if (typeNeedsSecondSpecies(setup.particulate, setup.newType)) {
        m_speciesText = fmt::format("{}1: {}", kind, setup.speciesLabel);
        m_secondText = fmt::format("{}2: {}", kind, setup.secondLabel);
    } else {
        m_speciesText = fmt::format("{}: {}", kind, setup.speciesLabel);
    }
    const auto typeLine = [](const char* head, const KineticTypeInfo* info) {
        return std::string(head) + (info ? info->name : "") +
               "     Equation: " + (info ? info->formula : "");
    };
    m_oldTypeText = typeLine("Old Process Typ: ", oldInfo);
    m_newTypeText = typeLine("New Process Typ: ", newInfo);
    if (!TypeHasParameter(setup.oldType) || oldInfo == nullptr)
        m_oldParameterText = "No parameter values";
    else
        m_oldParameterText = oldInfo->parameterCaption + FormatNumber(11, 3, setup.operatingValue) +
                             "  Temp.coefficient: " + FormatNumber(9, 4, setup.coefficient);
    m_operatingCaption = std::string(newInfo ? newInfo->parameterCaption : "") +
                         " at operating temperature " +
                         FormatNumber(5, 1, setup.operatingTemperature) + "°C";
    m_baseCaption = "at base temperature " + FormatNumber(5, 1, setup.baseTemperature) + "°C";
    m_hasExponent = typeHasExponent(setup.particulate, setup.newType);
    if (m_hasExponent && typeHasExponent(setup.particulate, setup.oldType) &&
        setup.storedSecond >= 1 && setup.storedSecond <= 3)
        m_exponent = setup.storedSecond;
}

double& ParameterDialog::value(Field field)
{
    switch (field) {
    case Field::OperatingValue:
        return m_operating;
    case Field::BaseValue:
        return m_base;
    case Field::Coefficient:
        break;
    }
    return m_coefficient;
}

double ParameterDialog::value(Field field) const
{
    return const_cast<ParameterDialog*>(this)->value(field);
}

std::string ParameterDialog::fieldText(Field field) const
{
    return FormatNumber(7, field == Field::Coefficient ? 4 : 3, value(field));
}

ModelEntry ParameterDialog::enterField(Field field, std::string_view text)
{
    if (TrimBlanks(text) == TrimBlanks(fieldText(field)))
        return {true, {}, fieldText(field), false};
    const RealCheck check = CheckRealField(text, -kMaxParameter, kMaxParameter, value(field));
    if (!check.accepted)
        return {false, check.message, check.text, check.returnFocus};
    const double T = m_setup.operatingTemperature;
    const double Tbase = m_setup.baseTemperature;
    double operating = m_operating;
    double base = m_base;
    double coefficient = m_coefficient;
    switch (field) {
    case Field::OperatingValue:
        operating = check.value;
        base = BaseValueFromOperatingValue(operating, coefficient, T, Tbase);
        break;
    case Field::BaseValue:
        base = check.value;
        operating = OperatingValueFromBaseValue(base, coefficient, T, Tbase);
        break;
    case Field::Coefficient:
        coefficient = check.value;
        operating = OperatingValueForNewCoefficient(base, coefficient, T, Tbase);
        break;
    }
    if (!std::isfinite(operating) || !std::isfinite(base))
        return {false, kOverflowMessage, fieldText(field), true};
    m_operating = operating;
    m_base = base;
    m_coefficient = coefficient;
    return {true, {}, fieldText(field), false};
}

void ParameterDialog::chooseExponent(int exponent)
{
    if (m_hasExponent && exponent >= 1 && exponent <= 3)
        m_exponent = exponent;
}

double ParameterDialog::baseValueOnOk() const
{
    return BaseValueFromOperatingValue(m_operating, m_coefficient, m_setup.operatingTemperature,
                                       m_setup.baseTemperature);
}

// ---------------------------------------------------------------------------------------------
// Info page

bool ModelEditor::countKeyAllowed(char c)
{
    return c >= '0' && c <= '9';
}

bool ModelEditor::temperatureKeyAllowed(char c)
{
    return countKeyAllowed(c) || c == '-' || c == '.' || c == 'E' || c == 'e';
}

const char* ModelEditor::countCaption(ModelCount count)
{
    switch (count) {
    case ModelCount::Dissolved:
        return "Number of dissolved species incl. O2:";
    case ModelCount::Particulate:
        return "Number of particulate species:";
    case ModelCount::Processes:
        break;
    }
    return "Number of transformation processes:";
}

std::string ModelEditor::countText(ModelCount count) const
{
    switch (count) {
    case ModelCount::Dissolved:
        return fmt::format("{}", m_model.NS);
    case ModelCount::Particulate:
        return fmt::format("{}", m_model.NX);
    case ModelCount::Processes:
        break;
    }
    return fmt::format("{}", m_model.NP - 1);
}

ModelEntry ModelEditor::enterCount(ModelCount count, std::string_view text)
{
    int min = 0;
    int max = MaxSpecies;
    int* target = &m_model.NS;
    int offset = 0; // the processes field shows NP - 1
    switch (count) {
    case ModelCount::Dissolved:
        min = 1;
        break;
    case ModelCount::Particulate:
        target = &m_model.NX;
        break;
    case ModelCount::Processes:
        max = MaxProcesses - 1;
        target = &m_model.NP;
        offset = 1;
        break;
    }
    const IntegerCheck check = CheckIntegerField(text, min, max, *target - offset);
    if (!check.accepted)
        return {false, check.message, check.text, check.returnFocus};
    if (*target != check.value + offset) {
        *target = check.value + offset;
        m_modified = true;
    }
    return {true, {}, countText(count), false};
}

void ModelEditor::setModelName(std::string name)
{
    if (name == m_model.ModelName)
        return;
    m_model.ModelName = std::move(name);
    m_modified = true;
}

void ModelEditor::setRemarks(const std::vector<std::string>& lines)
{
    const int count = std::min(static_cast<int>(lines.size()), kMaxRemarkLines);
    bool changed = count != m_model.RemarkCount;
    for (int i = 1; i <= count; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i - 1)];
        changed = changed || m_model.Remarks[i] != line;
        m_model.Remarks[i] = line;
    }
    m_model.RemarkCount = count;
    m_modified = m_modified || changed;
}

std::vector<std::string> ModelEditor::remarks() const
{
    std::vector<std::string> lines;
    for (int i = 1; i <= m_model.RemarkCount; ++i)
        lines.push_back(m_model.Remarks[i]);
    return lines;
}

std::string ModelEditor::temperatureEditText(ModelTemperature which) const
{
    return FormatNumber(
        5, 1, which == ModelTemperature::Base ? m_model.BaseTemperature : m_operatingTemperature);
}

std::string ModelEditor::temperatureText(ModelTemperature which) const
{
    return temperatureEditText(which) + " °C";
}

ModelEntry ModelEditor::enterTemperature(ModelTemperature which, std::string_view text)
{
    double& target =
        which == ModelTemperature::Base ? m_model.BaseTemperature : m_operatingTemperature;
    if (TrimBlanks(text) == TrimBlanks(temperatureEditText(which)))
        return {true, {}, temperatureText(which), false};
    const RealCheck check = CheckRealField(text, kMinTemperature, kMaxTemperature, target);
    if (!check.accepted)
        return {false, check.message, check.text, check.returnFocus};
    const double previous = target;
    target = check.value;
    try {
        convert();
    } catch (const FloatingPointError& error) {
        target = previous;
        return {false, error.what(), temperatureEditText(which), true};
    }
    m_modified = true;
    return {true, {}, temperatureText(which), false};
}

void ModelEditor::convert()
{
    ConvertToOperatingTemperature(m_model, m_operatingTemperature, m_model.BaseTemperature);
}

void ModelEditor::convertToOperatingTemperature()
{
    convert();
}

bool ModelEditor::pageVisible(ModelPage page) const
{
    switch (page) {
    case ModelPage::StoichParticulate:
    case ModelPage::KineticsParticulate:
        return m_model.NX > 0;
    case ModelPage::RateConstants:
        return m_model.NP > 1;
    default:
        return true;
    }
}

bool ModelEditor::gridEnabled(ModelGrid grid) const
{
    return !isParticulateGrid(grid) || m_model.NX > 0;
}

void ModelEditor::setLabelsEditable(bool editable)
{
    if (!m_labelsLocked)
        m_labelsEditable = editable;
}

void ModelEditor::lockLabels(bool editable)
{
    m_labelsEditable = editable;
    m_labelsLocked = true;
}

// ---------------------------------------------------------------------------------------------
// Grids

int ModelEditor::speciesCount(bool particulate) const
{
    return particulate ? m_model.NX : m_model.NS;
}

std::string ModelEditor::speciesLabel(bool particulate, int species) const
{
    return labelOf(particulate ? m_model.NameX[species] : m_model.NameS[species]);
}

int ModelEditor::rowCount(ModelGrid grid) const
{
    return isProcessGrid(grid) ? m_model.NP : 2;
}

int ModelEditor::columnCount(ModelGrid grid) const
{
    if (grid == ModelGrid::RateConstants)
        return 4;
    return speciesCount(isParticulateGrid(grid)) + 1;
}

std::string ModelEditor::kineticCellText(bool particulate, int process, int species) const
{
    const int type =
        particulate ? m_model.TypeX[process][species] : m_model.TypeS[process][species];
    if (type == 0)
        return {};
    const int second =
        particulate ? m_model.Compound2X[process][species] : m_model.Compound2S[process][species];
    const auto secondName = [&]() -> std::string {
        if (second < 1 || second > MaxSpecies)
            return {};
        return std::string(TrimBlanks(particulate ? m_model.NameX[second] : m_model.NameS[second]));
    };
    if (!particulate && type == 5)
        return kSecondSpeciesCellPrefix + secondName();
    if (!particulate && type == 11)
        return "Stripping +" + secondName();
    if (particulate && type == 3)
        return "Ad. on " + secondName();
    if (particulate && type == 4)
        return "Inh. on " + secondName();
    if (particulate && type == 5)
        return "Sat. on " + secondName();
    const KineticTypeInfo* info = typeInfo(particulate, type);
    return info ? info->name : fmt::format("{}", type);
}

std::string ModelEditor::cellText(ModelGrid grid, int row, int column) const
{
    const bool particulate = isParticulateGrid(grid);
    if (isProcessGrid(grid)) {
        if (row == 0 && column == 0)
            return "Process";
        if (row == 0) {
            if (grid == ModelGrid::RateConstants) {
                static constexpr std::array<const char*, 3> titles = {
                    "Rate at base temp.", "Rate at op. temp.", " Temp. coeff."};
                return titles.at(static_cast<std::size_t>(column - 1));
            }
            return speciesLabel(particulate, column);
        }
        const int p = row + 1;
        if (column == 0)
            return m_model.ProcessName[p];
        switch (grid) {
        case ModelGrid::StoichDissolved:
            return FormatCoefficient(m_model.NueS[p][column]);
        case ModelGrid::StoichParticulate:
            return FormatCoefficient(m_model.NueX[p][column]);
        case ModelGrid::KineticsDissolved:
        case ModelGrid::KineticsParticulate:
            // While the dialogs of a choice are open the cell already names the chosen type.
            if (m_pending && m_pending->particulate == particulate && m_pending->process == p &&
                m_pending->species == column)
                return typeInfo(particulate, m_pending->newType)->name;
            return kineticCellText(particulate, p, column);
        default:
            break;
        }
        if (column == 1)
            return cellNumber(m_model.Kr[p]);
        if (column == 2)
            return cellNumber(m_model.KrT[p]);
        return cellNumber(m_model.ThetaKr[p]);
    }
    if (row == 0)
        return column == 0 ? " Species        " : speciesLabel(particulate, column);
    if (column == 0)
        return " values ";
    switch (grid) {
    case ModelGrid::InitialDissolved:
        return cellNumber(m_model.InitialS[column]);
    case ModelGrid::InitialParticulate:
        return cellNumber(m_model.InitialX[column]);
    case ModelGrid::InfluentDissolved:
        return cellNumber(m_model.InfluentS[column]);
    default:
        break;
    }
    return cellNumber(m_model.InfluentX[column]);
}

bool ModelEditor::cellEditable(ModelGrid grid, int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount(grid) || column >= columnCount(grid))
        return false;
    if (!gridEnabled(grid) || (row == 0 && column == 0))
        return false;
    const bool nameGrid =
        grid == ModelGrid::StoichDissolved || grid == ModelGrid::StoichParticulate;
    if (row == 0 || column == 0)
        return nameGrid && m_labelsEditable;
    return true;
}

std::vector<std::vector<std::string>> ModelEditor::gridTexts(ModelGrid grid) const
{
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < rowCount(grid); ++r) {
        std::vector<std::string>& cells = rows.emplace_back();
        for (int c = 0; c < columnCount(grid); ++c)
            cells.push_back(cellText(grid, r, c));
    }
    return rows;
}

std::string ModelEditor::tableText(ModelGrid grid) const
{
    std::string text;
    for (const auto& row : gridTexts(grid)) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += '\t';
            text += row[c];
        }
        text += "\r\n";
    }
    return text;
}

ModelEntry ModelEditor::enterCell(ModelGrid grid, int row, int column, std::string_view text)
{
    const bool inside =
        row >= 0 && column >= 0 && row < rowCount(grid) && column < columnCount(grid);
    if (!inside)
        return refusedSilently({});
    if (!cellEditable(grid, row, column) || isKineticGrid(grid))
        return refusedSilently(cellText(grid, row, column));
    if (row == 0 || column == 0)
        return enterNameCell(grid, row, column, text);
    return enterValueCell(grid, row, column, text);
}

ModelEntry ModelEditor::enterNameCell(ModelGrid grid, int row, int column, std::string_view text)
{
    const std::string shown = cellText(grid, row, column);
    if (text == shown)
        return {true, {}, shown, false};
    if (column == 0) {
        m_model.ProcessName[row + 1] = std::string(text);
        m_modified = true;
        return {true, {}, cellText(grid, row, column), false};
    }
    const bool particulate = grid == ModelGrid::StoichParticulate;
    bool tooLong = false;
    std::string name = StoredSpeciesName(text, particulate, &tooLong);
    (particulate ? m_model.NameX[column] : m_model.NameS[column]) = std::move(name);
    m_modified = true;
    return {true, tooLong ? kNameTooLongMessage : "", cellText(grid, row, column), false};
}

ModelEntry ModelEditor::enterValueCell(ModelGrid grid, int row, int column, std::string_view text)
{
    const std::string shown = cellText(grid, row, column);
    if (TrimBlanks(text) == TrimBlanks(shown))
        return {true, {}, shown, false};
    const std::string_view trimmed = TrimBlanks(text);
    const bool stoichiometric =
        grid == ModelGrid::StoichDissolved || grid == ModelGrid::StoichParticulate;
    double value = 0.0;
    if (!(stoichiometric && trimmed.empty()) && !parseReal(trimmed, value))
        return refusedSilently(shown);
    const int p = row + 1;
    switch (grid) {
    case ModelGrid::StoichDissolved:
        m_model.NueS[p][column] = value;
        break;
    case ModelGrid::StoichParticulate:
        m_model.NueX[p][column] = value;
        break;
    case ModelGrid::RateConstants:
        return enterRateCell(p, column, trimmed);
    case ModelGrid::InitialDissolved:
        m_model.InitialS[column] = value;
        break;
    case ModelGrid::InitialParticulate:
        m_model.InitialX[column] = value;
        break;
    case ModelGrid::InfluentDissolved:
        m_model.InfluentS[column] = value;
        break;
    case ModelGrid::InfluentParticulate:
        m_model.InfluentX[column] = value;
        break;
    default:
        return refusedSilently(shown);
    }
    m_modified = true;
    return {true, {}, cellText(grid, row, column), false};
}

ModelEntry ModelEditor::enterRateCell(int process, int column, std::string_view text)
{
    double value = 0.0;
    parseReal(text, value);
    const double T = m_operatingTemperature;
    const double Tbase = m_model.BaseTemperature;
    double kr = m_model.Kr[process];
    double krT = m_model.KrT[process];
    double theta = m_model.ThetaKr[process];
    if (column == 1) {
        kr = value;
        krT = kr * TemperatureFactor(theta, T, Tbase);
    } else if (column == 2) {
        krT = value;
        kr = krT / TemperatureFactor(theta, T, Tbase);
    } else {
        theta = value;
        krT = kr * TemperatureFactor(theta, T, Tbase);
    }
    // A factor that overflows or underflows would store inf or NaN: keep the row instead.
    if (!std::isfinite(kr) || !std::isfinite(krT))
        return refusedSilently(cellText(ModelGrid::RateConstants, process - 1, column));
    m_model.Kr[process] = kr;
    m_model.KrT[process] = krT;
    m_model.ThetaKr[process] = theta;
    m_modified = true;
    return {true, {}, cellText(ModelGrid::RateConstants, process - 1, column), false};
}

GridPosition ModelEditor::cellAfterEnter(ModelGrid grid, GridPosition from) const
{
    const int lastRow = rowCount(grid) - 1;
    const int lastColumn = columnCount(grid) - 1;
    if (from.row < lastRow)
        return {from.row + 1, from.column};
    if (from.column < lastColumn)
        return {1, from.column + 1};
    return {1, 1};
}

// ---------------------------------------------------------------------------------------------
// Kinetic types

std::vector<std::string> ModelEditor::kineticTypeNames(ModelGrid grid)
{
    const bool particulate = grid == ModelGrid::KineticsParticulate;
    std::vector<std::string> names;
    const int count = particulate ? kParticulateTypeCount : kDissolvedTypeCount;
    for (int type = 0; type < count; ++type)
        names.emplace_back(typeInfo(particulate, type)->name);
    return names;
}

int ModelEditor::kineticType(ModelGrid grid, int row, int column) const
{
    return grid == ModelGrid::KineticsParticulate ? m_model.TypeX[row + 1][column]
                                                  : m_model.TypeS[row + 1][column];
}

KineticStep ModelEditor::chooseKineticType(ModelGrid grid, int row, int column, int type)
{
    m_pending.reset();
    m_kineticMessage.clear();
    const bool particulate = grid == ModelGrid::KineticsParticulate;
    if (!isKineticGrid(grid) || row < 1 || row >= rowCount(grid) || column < 1 ||
        column >= columnCount(grid) || typeInfo(particulate, type) == nullptr)
        throw IndexError(fmt::format("No kinetic type {} for the cell in row {}, column {}.", type,
                                     row, column));
    if (typeNeedsSecondSpecies(particulate, type) &&
        speciesCount(particulate) < (particulate ? 2 : 3)) {
        m_kineticMessage = kSecondSpeciesNotPossibleMessage;
        return KineticStep::Refused;
    }
    PendingKinetic pending;
    pending.particulate = particulate;
    pending.process = row + 1;
    pending.species = column;
    pending.oldType = kineticType(grid, row, column);
    pending.newType = type;
    pending.second = particulate ? m_model.Compound2X[pending.process][column]
                                 : m_model.Compound2S[pending.process][column];
    m_pending = std::move(pending);
    if (typeNeedsSecondSpecies(particulate, type))
        return KineticStep::SecondSpecies;
    return afterSecondSpecies();
}

std::vector<int> ModelEditor::secondSpeciesChoices(const PendingKinetic& pending) const
{
    // Gas stripping III may relate a species to itself; every other type needs another one.
    const bool ownListed = !pending.particulate && pending.newType == 11;
    std::vector<int> choices;
    for (int j = 1; j <= speciesCount(pending.particulate); ++j)
        if (j != pending.species || ownListed)
            choices.push_back(j);
    return choices;
}

bool ModelEditor::validSecondSpecies(const PendingKinetic& pending, int second) const
{
    const std::vector<int> choices = secondSpeciesChoices(pending);
    return std::find(choices.begin(), choices.end(), second) != choices.end();
}

SecondSpeciesDialog ModelEditor::secondSpeciesDialog() const
{
    SecondSpeciesDialog dialog;
    if (!m_pending)
        return dialog;
    const std::vector<int> choices = secondSpeciesChoices(*m_pending);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        dialog.items.push_back(speciesLabel(m_pending->particulate, choices[i]));
        if (choices[i] == m_pending->second)
            dialog.preselected = static_cast<int>(i);
    }
    return dialog;
}

KineticStep ModelEditor::confirmSecondSpecies(int item)
{
    if (!m_pending)
        return KineticStep::Done;
    const std::vector<int> choices = secondSpeciesChoices(*m_pending);
    if (item < 0 || item >= static_cast<int>(choices.size()))
        return KineticStep::SecondSpecies;
    m_pending->second = choices[static_cast<std::size_t>(item)];
    return afterSecondSpecies();
}

KineticStep ModelEditor::cancelSecondSpecies()
{
    if (!m_pending)
        return KineticStep::Done;
    // Without a valid second species the rate evaluation would read outside the model.
    if (m_pending->particulate || !validSecondSpecies(*m_pending, m_pending->second))
        return KineticStep::SecondSpecies;
    return afterSecondSpecies();
}

KineticStep ModelEditor::afterSecondSpecies()
{
    PendingKinetic& pending = *m_pending;
    if (!TypeHasParameter(pending.newType)) {
        commitKinetic();
        return KineticStep::Done;
    }
    const int p = pending.process;
    const int j = pending.species;
    ParameterDialog::Setup setup;
    setup.particulate = pending.particulate;
    setup.processName = m_model.ProcessName[p];
    setup.speciesLabel = speciesLabel(pending.particulate, j);
    if (typeNeedsSecondSpecies(pending.particulate, pending.newType))
        setup.secondLabel = speciesLabel(pending.particulate, pending.second);
    setup.oldType = pending.oldType;
    setup.newType = pending.newType;
    setup.operatingValue = pending.particulate ? m_model.KXT[p][j] : m_model.KST[p][j];
    setup.baseValue = pending.particulate ? m_model.KX[p][j] : m_model.KS[p][j];
    setup.coefficient = pending.particulate ? m_model.ThetaKX[p][j] : m_model.ThetaKS[p][j];
    setup.storedSecond = pending.particulate ? m_model.Compound2X[p][j] : m_model.Compound2S[p][j];
    setup.operatingTemperature = m_operatingTemperature;
    setup.baseTemperature = m_model.BaseTemperature;
    pending.dialog.emplace(setup);
    return KineticStep::Parameter;
}

ParameterDialog& ModelEditor::parameterDialog()
{
    if (!m_pending || !m_pending->dialog)
        throw SimulationError("No kinetic parameter is being entered.");
    return *m_pending->dialog;
}

KineticStep ModelEditor::closeParameterDialog(bool ok)
{
    if (ok && m_pending && m_pending->dialog)
        commitKinetic();
    m_pending.reset();
    return KineticStep::Done;
}

void ModelEditor::abandonKineticChoice()
{
    m_pending.reset();
}

void ModelEditor::commitKinetic()
{
    const PendingKinetic& pending = *m_pending;
    const int p = pending.process;
    const int j = pending.species;
    const bool particulate = pending.particulate;
    int second = 0;
    if (typeNeedsSecondSpecies(particulate, pending.newType))
        second = pending.second;
    else if (typeHasExponent(particulate, pending.newType) && pending.dialog)
        second = pending.dialog->exponent();
    (particulate ? m_model.TypeX[p][j] : m_model.TypeS[p][j]) = pending.newType;
    (particulate ? m_model.Compound2X[p][j] : m_model.Compound2S[p][j]) = second;
    if (pending.dialog) {
        const ParameterDialog& dialog = *pending.dialog;
        (particulate ? m_model.KX[p][j] : m_model.KS[p][j]) = dialog.baseValueOnOk();
        (particulate ? m_model.KXT[p][j] : m_model.KST[p][j]) = dialog.operatingValue();
        (particulate ? m_model.ThetaKX[p][j] : m_model.ThetaKS[p][j]) = dialog.coefficient();
    }
    m_modified = true;
    m_pending.reset();
}

} // namespace narv

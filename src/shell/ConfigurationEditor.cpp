#include "shell/ConfigurationEditor.h"

#include "core/InputCheck.h"
#include "core/TextUtil.h"
#include "shell/SettingsFile.h"

#include <fmt/format.h>

#include <stdexcept>

namespace narv {
namespace {

constexpr const char* kAxisTitleDefault = "Time [h]";
constexpr int kPenWidthDefault = 3;

std::vector<ConfigurationEditor::Field> makeFields()
{
    using Kind = ConfigurationEditor::Kind;
    std::vector<ConfigurationEditor::Field> fields;
    for (const SimSettingField& f : SimSettingFields())
        fields.push_back(
            {f.key, f.label, f.integer ? Kind::Integer : Kind::Real, f.min, f.max, false, {}});
    // The solvers: the words and ranges of the settings file's keys.
    fields.push_back({"Solver", "Integrator:", Kind::Choice, 0, 0, false,
                      {IntegratorChoiceName(IntegratorChoice::Legacy),
                       IntegratorChoiceName(IntegratorChoice::Cvode)}});
    fields.push_back({"SteadyState", "Steady state:", Kind::Choice, 0, 0, false,
                      {SteadyMethodName(SteadyMethod::Relax),
                       SteadyMethodName(SteadyMethod::Newton)}});
    fields.push_back({"RelTol", "Relative tolerance of the accurate integrator:", Kind::Real,
                      kMinRelTol, kMaxRelTol, false, {}});
    fields.push_back({"AbsTol", "Absolute tolerance of the accurate integrator [g/m3]:",
                      Kind::Real, kMinAbsTol, kMaxAbsTol, false, {}});
    fields.push_back(
        {"BottomAxisTitleCaption", "Title of the time axis:", Kind::Text, 0, 0, true, {}});
    fields.push_back(
        {"DefaultPenWidth", "Line width of the series:", Kind::Integer, 1, 5, true, {}});
    return fields;
}

} // namespace

const std::vector<ConfigurationEditor::Field>& ConfigurationEditor::fields()
{
    static const std::vector<Field> all = makeFields();
    return all;
}

const ConfigurationEditor::Field& ConfigurationEditor::field(const std::string& key)
{
    for (const Field& f : fields())
        if (f.key == key)
            return f;
    throw std::out_of_range("no Configuration field " + key);
}

ConfigurationEditor::ConfigurationEditor(const ShellSettings& settings)
    : m_simulation(settings.simulation), m_axisTitle(settings.BottomAxisTitleCaption),
      m_penWidth(settings.DefaultPenWidth)
{
}

double ConfigurationEditor::rangeMax(const Field& f) const
{
    return f.key == "Eps" ? m_simulation.Eps2 : f.max;
}

double ConfigurationEditor::value(const Field& f) const
{
    const TSimSettings& s = m_simulation;
    if (f.key == "Eps2")
        return s.Eps2;
    if (f.key == "Eps")
        return s.Eps;
    if (f.key == "Tdif")
        return s.Tdif;
    if (f.key == "loops")
        return s.loops;
    if (f.key == "loopmin")
        return s.loopmin;
    if (f.key == "ConcMin")
        return s.ConcMin;
    if (f.key == "ConcMax")
        return s.ConcMax;
    if (f.key == "DeltMin")
        return s.DeltMin;
    if (f.key == "RelTol")
        return s.RelTol;
    if (f.key == "AbsTol")
        return s.AbsTol;
    if (f.key == "DefaultPenWidth")
        return m_penWidth;
    throw std::out_of_range("no numeric Configuration field " + f.key);
}

void ConfigurationEditor::store(const Field& f, double x)
{
    TSimSettings& s = m_simulation;
    if (f.key == "Eps2")
        s.Eps2 = x;
    else if (f.key == "Eps")
        s.Eps = x;
    else if (f.key == "Tdif")
        s.Tdif = x;
    else if (f.key == "loops")
        s.loops = static_cast<int>(x);
    else if (f.key == "loopmin")
        s.loopmin = static_cast<int>(x);
    else if (f.key == "ConcMin")
        s.ConcMin = x;
    else if (f.key == "ConcMax")
        s.ConcMax = x;
    else if (f.key == "DeltMin")
        s.DeltMin = x;
    else if (f.key == "RelTol")
        s.RelTol = x;
    else if (f.key == "AbsTol")
        s.AbsTol = x;
    else if (f.key == "DefaultPenWidth")
        m_penWidth = static_cast<int>(x);
}

std::string ConfigurationEditor::text(const std::string& key) const
{
    const Field& f = field(key);
    switch (f.kind) {
    case Kind::Text:
        return m_axisTitle;
    case Kind::Choice:
        return key == "Solver" ? IntegratorChoiceName(m_simulation.Solver)
                               : SteadyMethodName(m_simulation.Steady);
    case Kind::Integer:
        return std::to_string(static_cast<int>(value(f)));
    case Kind::Real:
        return FormatSettingReal(value(f));
    }
    return {};
}

ConfigurationEditor::Entry ConfigurationEditor::enter(const std::string& key,
                                                      std::string_view typed)
{
    const Field& f = field(key);
    Entry entry;
    if (f.kind == Kind::Text) {
        m_axisTitle = std::string(typed);
    } else if (f.kind == Kind::Choice) {
        const std::string word(TrimBlanks(typed));
        entry.accepted = key == "Solver" ? ParseIntegratorChoice(word, m_simulation.Solver)
                                         : ParseSteadyMethod(word, m_simulation.Steady);
        if (!entry.accepted)
            entry.message = fmt::format("Choose {} or {}", f.choices[0], f.choices[1]);
    } else if (f.kind == Kind::Integer) {
        const IntegerCheck check = CheckIntegerField(
            typed, static_cast<int>(f.min), static_cast<int>(f.max), static_cast<int>(value(f)));
        entry.accepted = check.accepted;
        entry.message = check.message;
        if (check.accepted)
            store(f, check.value);
    } else {
        const RealCheck check = CheckRealField(typed, f.min, rangeMax(f), value(f));
        entry.accepted = check.accepted;
        entry.message = check.message;
        if (check.accepted)
            store(f, check.value);
    }
    // The previous value on refusal, the value as stored on acceptance.
    entry.text = text(key);
    return entry;
}

std::optional<ConfigurationEditor::Refusal> ConfigurationEditor::recheckAll() const
{
    for (const Field& f : fields()) {
        if (f.kind == Kind::Text || f.kind == Kind::Choice)
            continue; // any text, and a word that was parsed
        const double x = value(f);
        Entry entry;
        if (f.kind == Kind::Integer) {
            const int stored = static_cast<int>(x);
            const IntegerCheck check = CheckIntegerField(
                std::to_string(stored), static_cast<int>(f.min), static_cast<int>(f.max), stored);
            entry.accepted = check.accepted;
            entry.message = check.message;
        } else {
            // The shortest text that reads back as the stored value: the check sees the value
            // itself, not a rounded display.
            const RealCheck check = CheckRealField(fmt::format("{}", x), f.min, rangeMax(f), x);
            entry.accepted = check.accepted;
            entry.message = check.message;
        }
        if (!entry.accepted) {
            entry.text = text(f.key);
            return Refusal{f.key, entry};
        }
    }
    return std::nullopt;
}

bool ConfigurationEditor::apply(ShellSettings& settings) const
{
    if (recheckAll())
        return false;
    settings.simulation = m_simulation;
    UpdateDeltMinO2(settings.simulation);
    settings.BottomAxisTitleCaption = m_axisTitle;
    settings.DefaultPenWidth = m_penWidth;
    return true;
}

void ConfigurationEditor::setDefaults(ShellSettings& settings)
{
    SetDefaultSimSettings(settings.simulation);
    settings.BottomAxisTitleCaption = kAxisTitleDefault;
    settings.DefaultPenWidth = kPenWidthDefault;
    *this = ConfigurationEditor(settings);
}

} // namespace narv

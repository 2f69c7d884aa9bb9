#include "python/CaseValues.h"

#include "core/Error.h"
#include "core/InputCheck.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"
#include "model/Temperature.h"
#include "plant/PlantEditor.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>

namespace narv::python {
namespace {

// The plant dialog's limits.
constexpr double kMinTemperature = -20.0; // [°C]
constexpr double kMaxTemperature = 100.0; // [°C]
constexpr double kZeroSludgeAge = 1e-12;  // [d]
constexpr double kUnbounded = std::numeric_limits<double>::max();

// What the indices of a name refer to.
enum class IndexKind { None, Compartment, SpeciesS, SpeciesX, Process, ProcessS, ProcessX, StateS, StateX };

// The limits a value must keep and what setting it does besides storing.
enum class Rule {
    ReadOnly,
    Flow,          // 0..1e9
    RecircFlow,    // a flow that also switches the recirculation on or off
    SludgeAge,     // minimum sludge age..1e9; ExcessRate follows
    Saturation,    // 0..1e9
    Temperature,   // the operating temperature: the model converted first
    BaseTemp,      // the model's base temperature: converted again
    Volume,        // smallest volume..1e9
    Aeration,      // kla or setpoint of a reactor: the other one is cleared
    Concentration, // >= 0
    Parameter,     // a kinetic parameter at base temperature, >= 0: converted again
    Coefficient,   // a temperature coefficient or stoichiometric coefficient: any finite value
};

struct ValueName {
    const char* name;
    IndexKind kind;
    Rule rule;
};

const std::vector<ValueName>& valueNames()
{
    static const std::vector<ValueName> table = {
        {"InfluentFlow", IndexKind::None, Rule::Flow},
        {"Influent2Flow", IndexKind::None, Rule::Flow},
        {"ReturnFlow", IndexKind::None, Rule::Flow},
        {"RecircFlow", IndexKind::None, Rule::RecircFlow},
        {"Recirc2Flow", IndexKind::None, Rule::Flow},
        {"SludgeAge", IndexKind::None, Rule::SludgeAge},
        {"ExcessRate", IndexKind::None, Rule::ReadOnly},
        {"MinimumSludgeAge", IndexKind::None, Rule::ReadOnly},
        {"O2Saturation", IndexKind::None, Rule::Saturation},
        {"OperatingTemperature", IndexKind::None, Rule::Temperature},
        {"BaseTemperature", IndexKind::None, Rule::BaseTemp},
        {"ReactorCount", IndexKind::None, Rule::ReadOnly},
        {"CompartmentCount", IndexKind::None, Rule::ReadOnly},
        {"Time", IndexKind::None, Rule::ReadOnly},
        {"Volume", IndexKind::Compartment, Rule::Volume},
        {"Kla", IndexKind::Compartment, Rule::Aeration},
        {"O2Setpoint", IndexKind::Compartment, Rule::Aeration},
        {"InfluentS", IndexKind::SpeciesS, Rule::Concentration},
        {"InfluentX", IndexKind::SpeciesX, Rule::Concentration},
        {"SIn1", IndexKind::SpeciesS, Rule::Concentration},
        {"XIn1", IndexKind::SpeciesX, Rule::Concentration},
        {"SIn2", IndexKind::SpeciesS, Rule::Concentration},
        {"XIn2", IndexKind::SpeciesX, Rule::Concentration},
        {"Kr", IndexKind::Process, Rule::Parameter},
        {"ThetaKr", IndexKind::Process, Rule::Coefficient},
        {"KrT", IndexKind::Process, Rule::ReadOnly},
        {"KS", IndexKind::ProcessS, Rule::Parameter},
        {"KX", IndexKind::ProcessX, Rule::Parameter},
        {"ThetaKS", IndexKind::ProcessS, Rule::Coefficient},
        {"ThetaKX", IndexKind::ProcessX, Rule::Coefficient},
        {"KST", IndexKind::ProcessS, Rule::ReadOnly},
        {"KXT", IndexKind::ProcessX, Rule::ReadOnly},
        {"NueS", IndexKind::ProcessS, Rule::Coefficient},
        {"NueX", IndexKind::ProcessX, Rule::Coefficient},
        {"S", IndexKind::StateS, Rule::Concentration},
        {"X", IndexKind::StateX, Rule::Concentration},
    };
    return table;
}

int indexCount(IndexKind kind)
{
    switch (kind) {
    case IndexKind::None:
        return 0;
    case IndexKind::Compartment:
    case IndexKind::SpeciesS:
    case IndexKind::SpeciesX:
    case IndexKind::Process:
        return 1;
    default:
        return 2;
    }
}

std::string lower(std::string_view text)
{
    std::string result = CollapseBlanks(TrimBlanks(text));
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::optional<int> parseIndexNumber(const std::string& text)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(),
                                     [](unsigned char c) { return std::isdigit(c) != 0; }))
        return std::nullopt;
    if (text.size() > 6)
        return 1000000;
    return std::stoi(text);
}

// A name split into its base and its index texts.
struct ParsedName {
    const ValueName* value = nullptr;
    std::vector<std::string> indices;
};

ParsedName parseName(const std::string& name)
{
    ParsedName parsed;
    std::string base = std::string(TrimBlanks(name));
    const auto open = base.find('[');
    if (open != std::string::npos) {
        if (base.back() != ']')
            throw Error(fmt::format("{}: an index list ends with ']'", name));
        std::string inner = base.substr(open + 1, base.size() - open - 2);
        base = std::string(TrimBlanks(base.substr(0, open)));
        std::size_t start = 0;
        while (true) {
            const auto comma = inner.find(',', start);
            parsed.indices.emplace_back(
                TrimBlanks(inner.substr(start, comma == std::string::npos ? std::string::npos
                                                                          : comma - start)));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
    for (const ValueName& value : valueNames())
        if (base == value.name)
            parsed.value = &value;
    if (parsed.value == nullptr)
        throw Error(fmt::format("{}: no value of that name (names are as the state file writes "
                                "them, e.g. SludgeAge, Kla[3], InfluentS[Ammonium])",
                                name));
    const int wanted = indexCount(parsed.value->kind);
    if (static_cast<int>(parsed.indices.size()) != wanted)
        throw Error(fmt::format("{}: {} takes {} {}", name, base, wanted,
                                wanted == 1 ? "index" : "indices"));
    return parsed;
}

} // namespace

namespace {

class Resolver {
public:
    Resolver(const Workspace& workspace, const std::string& name)
        : m_workspace(workspace), m_name(name)
    {
    }

    int compartment(const std::string& text) const
    {
        const auto number = parseIndexNumber(text);
        const int count = m_workspace.plant.CompartmentCount;
        if (!number)
            throw Error(fmt::format("{}: a compartment is given by its number 1..{}, not '{}'",
                                    m_name, count, text));
        if (*number < 1 || *number > count)
            throw Error(fmt::format("{}: the plant has compartments 1..{}", m_name, count));
        return *number;
    }

    int species(const std::string& text, bool dissolved) const
    {
        const TModelDef& model = m_workspace.model;
        const int count = dissolved ? model.NS : model.NX;
        const char* kind = dissolved ? "dissolved" : "particulate";
        if (const auto number = parseIndexNumber(text)) {
            if (*number < 1 || *number > count)
                throw Error(fmt::format("{}: the model has {} species 1..{}", m_name, kind, count));
            return *number;
        }
        const auto& names = dissolved ? model.NameS : model.NameX;
        // The whole name ("S Ammonium N"), the label without its kind ("Ammonium N"), or the
        // label's first word ("Ammonium"), whichever matches exactly one species first.
        const std::string wanted = lower(text);
        const std::vector<std::function<std::string(const std::string&)>> forms = {
            [](const std::string& full) { return full; },
            [](const std::string& full) { return full.size() > 2 ? full.substr(2) : full; },
            [](const std::string& full) {
                const std::string label = full.size() > 2 ? full.substr(2) : full;
                return label.substr(0, label.find(' '));
            },
        };
        for (const auto& form : forms) {
            int found = 0;
            int matches = 0;
            for (int j = 1; j <= count; ++j)
                if (form(lower(names[j])) == wanted) {
                    found = j;
                    ++matches;
                }
            if (matches == 1)
                return found;
            if (matches > 1)
                throw Error(fmt::format("{}: '{}' names more than one {} species", m_name, text,
                                        kind));
        }
        std::string list;
        for (int j = 1; j <= count; ++j)
            list += (j > 1 ? ", " : "") + CollapseBlanks(names[j]);
        throw Error(fmt::format("{}: no {} species '{}'; the model has {}", m_name, kind, text,
                                list.empty() ? "none" : list));
    }

    int process(const std::string& text) const
    {
        const TModelDef& model = m_workspace.model;
        if (const auto number = parseIndexNumber(text)) {
            if (*number < 1 || *number > model.NP)
                throw Error(fmt::format("{}: the model has processes 1..{}", m_name, model.NP));
            return *number;
        }
        const std::string wanted = lower(text);
        for (int p = 1; p <= model.NP; ++p)
            if (lower(model.ProcessName[p]) == wanted)
                return p;
        throw Error(fmt::format("{}: no process '{}' in the model", m_name, text));
    }

private:
    const Workspace& m_workspace;
    const std::string& m_name;
};

// The stored value a name refers to; first and second are the resolved indices.
double& storage(Workspace& w, const std::string& base, int first, int second)
{
    TModelDef& m = w.model;
    TPlantDef& p = w.plant;
    if (base == "InfluentFlow") return p.InfluentFlow;
    if (base == "Influent2Flow") return p.Influent2Flow;
    if (base == "ReturnFlow") return p.ReturnFlow;
    if (base == "RecircFlow") return p.RecircFlow;
    if (base == "Recirc2Flow") return p.Recirc2Flow;
    if (base == "SludgeAge") return p.SludgeAge;
    if (base == "ExcessRate") return p.ExcessRate;
    if (base == "O2Saturation") return p.O2Saturation;
    if (base == "OperatingTemperature") return p.OperatingTemperature;
    if (base == "BaseTemperature") return m.BaseTemperature;
    if (base == "Time") return w.state.Time;
    if (base == "Volume") return p.Volume[first];
    if (base == "Kla") return p.Kla[first];
    if (base == "O2Setpoint") return p.O2Setpoint[first];
    if (base == "InfluentS" || base == "SIn1") return m.InfluentS[first];
    if (base == "InfluentX" || base == "XIn1") return m.InfluentX[first];
    if (base == "SIn2") return p.SIn2[first];
    if (base == "XIn2") return p.XIn2[first];
    if (base == "Kr") return m.Kr[first];
    if (base == "ThetaKr") return m.ThetaKr[first];
    if (base == "KrT") return m.KrT[first];
    if (base == "KS") return m.KS[first][second];
    if (base == "KX") return m.KX[first][second];
    if (base == "ThetaKS") return m.ThetaKS[first][second];
    if (base == "ThetaKX") return m.ThetaKX[first][second];
    if (base == "KST") return m.KST[first][second];
    if (base == "KXT") return m.KXT[first][second];
    if (base == "NueS") return m.NueS[first][second];
    if (base == "NueX") return m.NueX[first][second];
    if (base == "S") return w.state.S[first][second];
    return w.state.X[first][second];
}

struct Resolved {
    const ValueName* value = nullptr;
    int first = 0;
    int second = 0;
};

Resolved resolve(const Workspace& workspace, const std::string& name)
{
    const ParsedName parsed = parseName(name);
    const Resolver resolver(workspace, name);
    Resolved resolved;
    resolved.value = parsed.value;
    const auto& i = parsed.indices;
    switch (parsed.value->kind) {
    case IndexKind::None:
        break;
    case IndexKind::Compartment:
        resolved.first = resolver.compartment(i[0]);
        break;
    case IndexKind::SpeciesS:
    case IndexKind::SpeciesX:
        resolved.first = resolver.species(i[0], parsed.value->kind == IndexKind::SpeciesS);
        break;
    case IndexKind::Process:
        resolved.first = resolver.process(i[0]);
        break;
    case IndexKind::ProcessS:
    case IndexKind::ProcessX:
        resolved.first = resolver.process(i[0]);
        resolved.second = resolver.species(i[1], parsed.value->kind == IndexKind::ProcessS);
        break;
    case IndexKind::StateS:
    case IndexKind::StateX:
        resolved.first = resolver.compartment(i[0]);
        resolved.second = resolver.species(i[1], parsed.value->kind == IndexKind::StateS);
        break;
    }
    return resolved;
}

// The range check of an entry, with the name in front of the program's message.
void checkRange(const std::string& name, double value, double min, double max)
{
    if (!std::isfinite(value))
        throw RangeError(fmt::format("{}: {}", name, kInvalidNumberMessage));
    if (value >= min && value <= max)
        return;
    if (max == kUnbounded)
        throw RangeError(fmt::format("{}: must not be negative", name));
    throw RangeError(name + ": Number should be between" + FormatNumber(7, 2, min) + " and" +
                     FormatNumber(7, 2, max));
}

} // namespace

double CaseValues::get(const std::string& name) const
{
    const Resolved r = resolve(m_workspace, name);
    const std::string base = r.value->name;
    if (base == "MinimumSludgeAge")
        return MinimumSludgeAge(m_workspace.plant);
    if (base == "ReactorCount")
        return m_workspace.plant.ReactorCount;
    if (base == "CompartmentCount")
        return m_workspace.plant.CompartmentCount;
    return storage(m_workspace, base, r.first, r.second);
}

bool CaseValues::settable(const std::string& name)
{
    const std::string base = std::string(TrimBlanks(name.substr(0, name.find('['))));
    for (const ValueName& value : valueNames())
        if (base == value.name)
            return value.rule != Rule::ReadOnly;
    return false;
}

void CaseValues::set(const std::string& name, double value)
{
    Workspace& w = m_workspace;
    if (w.runLasts)
        throw Error(fmt::format("{}: a computation is running", name));
    const Resolved r = resolve(w, name);
    const std::string base = r.value->name;
    TPlantDef& plant = w.plant;
    TModelDef& model = w.model;
    switch (r.value->rule) {
    case Rule::ReadOnly:
        throw Error(fmt::format("{}: this value follows from others and cannot be set", name));
    case Rule::Flow:
    case Rule::Saturation:
        checkRange(name, value, 0.0, kMaxPlantValue);
        storage(w, base, r.first, r.second) = value;
        return;
    case Rule::RecircFlow:
        checkRange(name, value, 0.0, kMaxPlantValue);
        plant.RecircFlow = value;
        plant.RecircActive = value > 0.0;
        return;
    case Rule::SludgeAge:
        checkRange(name, value, MinimumSludgeAge(plant), kMaxPlantValue);
        plant.SludgeAge = value == 0.0 ? kZeroSludgeAge : value;
        plant.ExcessRate = 1.0 / plant.SludgeAge;
        return;
    case Rule::Temperature:
        checkRange(name, value, kMinTemperature, kMaxTemperature);
        // Converted first: a failed conversion leaves model and plant at the old temperature.
        ConvertToOperatingTemperature(model, value, model.BaseTemperature);
        plant.OperatingTemperature = value;
        return;
    case Rule::BaseTemp:
        checkRange(name, value, kMinTemperature, kMaxTemperature);
        ConvertToOperatingTemperature(model, plant.OperatingTemperature, value);
        model.BaseTemperature = value;
        return;
    case Rule::Volume:
        checkRange(name, value, kMinVolume, kMaxPlantValue);
        plant.Volume[r.first] = value;
        return;
    case Rule::Aeration:
        if (r.first > plant.ReactorCount)
            throw Error(fmt::format("{}: compartment {} is a clarifier, which is not aerated", name,
                                    r.first));
        checkRange(name, value, 0.0, kMaxPlantValue);
        storage(w, base, r.first, r.second) = value;
        // Oxygen is either held at a setpoint or follows from Kla, never both.
        if (value > 0.0)
            (base == "Kla" ? plant.O2Setpoint : plant.Kla)[r.first] = 0.0;
        return;
    case Rule::Concentration:
        checkRange(name, value, 0.0, kUnbounded);
        storage(w, base, r.first, r.second) = value;
        return;
    case Rule::Parameter:
    case Rule::Coefficient: {
        if (r.value->rule == Rule::Parameter)
            checkRange(name, value, 0.0, kUnbounded);
        else
            checkRange(name, value, -kUnbounded, kUnbounded);
        double& stored = storage(w, base, r.first, r.second);
        const double previous = stored;
        stored = value;
        try {
            // The rates read only the converted parameters.
            ConvertToOperatingTemperature(model, plant.OperatingTemperature, model.BaseTemperature);
        } catch (...) {
            stored = previous;
            throw;
        }
        return;
    }
    }
}

std::vector<std::string> CaseValues::names() const
{
    const TModelDef& m = m_workspace.model;
    const TPlantDef& p = m_workspace.plant;
    std::vector<std::string> list;
    for (const ValueName& value : valueNames()) {
        const std::string base = value.name;
        if (base == "SIn1" || base == "XIn1")
            continue; // the same values as InfluentS and InfluentX
        switch (value.kind) {
        case IndexKind::None:
            list.push_back(base);
            break;
        case IndexKind::Compartment:
            for (int c = 1; c <= (base == "Volume" ? p.CompartmentCount : p.ReactorCount); ++c)
                list.push_back(fmt::format("{}[{}]", base, c));
            break;
        case IndexKind::SpeciesS:
        case IndexKind::SpeciesX:
            for (int j = 1; j <= (value.kind == IndexKind::SpeciesS ? m.NS : m.NX); ++j)
                list.push_back(fmt::format("{}[{}]", base, j));
            break;
        case IndexKind::Process:
            for (int q = 1; q <= m.NP; ++q)
                list.push_back(fmt::format("{}[{}]", base, q));
            break;
        case IndexKind::ProcessS:
        case IndexKind::ProcessX:
            for (int q = 1; q <= m.NP; ++q)
                for (int j = 1; j <= (value.kind == IndexKind::ProcessS ? m.NS : m.NX); ++j)
                    list.push_back(fmt::format("{}[{},{}]", base, q, j));
            break;
        case IndexKind::StateS:
        case IndexKind::StateX:
            for (int c = 1; c <= p.CompartmentCount; ++c)
                for (int j = 1; j <= (value.kind == IndexKind::StateS ? m.NS : m.NX); ++j)
                    list.push_back(fmt::format("{}[{},{}]", base, c, j));
            break;
        }
    }
    return list;
}

} // namespace narv::python

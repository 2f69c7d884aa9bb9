#include "python/CaseValues.h"

#include "core/Error.h"
#include "core/InputCheck.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"
#include "model/Temperature.h"
#include "plant/PlantEditor.h"
#include "special/AIEditor.h"
#include "special/SbrEditor.h"

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
enum class IndexKind {
    None,
    Compartment,
    SpeciesS,
    SpeciesX,
    Process,
    ProcessS,
    ProcessX,
    StateS,
    StateX,
    Period, // a period of the SBR cycle, 1..12
    Step,   // a time step of the variation
};

// The plants a value belongs to: an SBR plant's cycle replaces its flows, volumes and aeration.
enum class Plants { All, NotSbr, Sbr, AI };

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
    // The SBR page and the SBR control dialog.
    SbrTimesliceLength, // whole minutes 0..1440
    SbrAccuracy,        // 0.0001..0.02
    SbrInitialVolume,   // MinimumInitialVolume..1e100
    SbrTimeslices,      // whole, 288 in all periods together
    SbrVolume,          // 0..1e100, then the period check; the initial volume follows
    SbrFixed,           // fixed kla or fixed O2 concentration 0..1e100: the other one is cleared
    SbrMode,            // 0..3
    SbrSignal,          // a dissolved species 1..NS
    SbrControl,         // 0..1e9
    SbrSlope,           // -1e100..1e9
    LaneFed,            // 1 or 2
};

struct ValueName {
    const char* name;
    IndexKind kind;
    Rule rule;
    Plants plants = Plants::All;
};

const std::vector<ValueName>& valueNames()
{
    static const std::vector<ValueName> table = {
        {"InfluentFlow", IndexKind::None, Rule::Flow, Plants::NotSbr},
        {"Influent2Flow", IndexKind::None, Rule::Flow, Plants::NotSbr},
        {"ReturnFlow", IndexKind::None, Rule::Flow, Plants::NotSbr},
        {"RecircFlow", IndexKind::None, Rule::RecircFlow, Plants::NotSbr},
        {"Recirc2Flow", IndexKind::None, Rule::Flow, Plants::NotSbr},
        {"SludgeAge", IndexKind::None, Rule::SludgeAge, Plants::NotSbr},
        {"ExcessRate", IndexKind::None, Rule::ReadOnly, Plants::NotSbr},
        {"MinimumSludgeAge", IndexKind::None, Rule::ReadOnly, Plants::NotSbr},
        {"O2Saturation", IndexKind::None, Rule::Saturation},
        {"OperatingTemperature", IndexKind::None, Rule::Temperature},
        {"BaseTemperature", IndexKind::None, Rule::BaseTemp},
        {"ReactorCount", IndexKind::None, Rule::ReadOnly},
        {"CompartmentCount", IndexKind::None, Rule::ReadOnly},
        {"Time", IndexKind::None, Rule::ReadOnly},
        {"Volume", IndexKind::Compartment, Rule::Volume, Plants::NotSbr},
        {"Kla", IndexKind::Compartment, Rule::Aeration, Plants::NotSbr},
        {"O2Setpoint", IndexKind::Compartment, Rule::Aeration, Plants::NotSbr},
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
        {"TimesliceLength", IndexKind::None, Rule::SbrTimesliceLength, Plants::Sbr},
        {"InitialVolume", IndexKind::None, Rule::SbrInitialVolume, Plants::Sbr},
        {"Accuracy", IndexKind::None, Rule::SbrAccuracy, Plants::Sbr},
        {"MinimumInitialVolume", IndexKind::None, Rule::ReadOnly, Plants::Sbr},
        {"CycleLength", IndexKind::None, Rule::ReadOnly, Plants::Sbr}, // [min]
        {"InputVolume", IndexKind::None, Rule::ReadOnly, Plants::Sbr},
        {"OutputVolume", IndexKind::None, Rule::ReadOnly, Plants::Sbr},
        {"Timeslices", IndexKind::Period, Rule::SbrTimeslices, Plants::Sbr},
        {"Influent1Volume", IndexKind::Period, Rule::SbrVolume, Plants::Sbr},
        {"Influent2Volume", IndexKind::Period, Rule::SbrVolume, Plants::Sbr},
        {"SupernatantVolume", IndexKind::Period, Rule::SbrVolume, Plants::Sbr},
        {"MixedLiquorVolume", IndexKind::Period, Rule::SbrVolume, Plants::Sbr},
        {"FixedO2", IndexKind::Period, Rule::SbrFixed, Plants::Sbr},
        {"FixedKla", IndexKind::Period, Rule::SbrFixed, Plants::Sbr},
        {"AerationMode", IndexKind::Period, Rule::SbrMode, Plants::Sbr},
        {"SignalSpecies", IndexKind::Period, Rule::SbrSignal, Plants::Sbr},
        {"Slope", IndexKind::Period, Rule::SbrSlope, Plants::Sbr},
        {"SignalValue", IndexKind::Period, Rule::SbrControl, Plants::Sbr},
        {"Setpoint", IndexKind::Period, Rule::SbrControl, Plants::Sbr},
        {"UpperThreshold", IndexKind::Period, Rule::SbrControl, Plants::Sbr},
        {"LowerThreshold", IndexKind::Period, Rule::SbrControl, Plants::Sbr},
        {"ValueAbove", IndexKind::Period, Rule::SbrControl, Plants::Sbr},
        {"ValueBelow", IndexKind::Period, Rule::SbrSlope, Plants::Sbr},
        // The counts fix the compartments and their data: only the A/I plant editor changes them.
        {"PolyvalentCount", IndexKind::None, Rule::ReadOnly, Plants::AI},
        {"LaneCompartmentCount", IndexKind::None, Rule::ReadOnly, Plants::AI},
        {"PostAerationCount", IndexKind::None, Rule::ReadOnly, Plants::AI},
        {"LaneFed", IndexKind::Step, Rule::LaneFed, Plants::AI},
    };
    return table;
}

bool appliesTo(Plants plants, TFlowschemeType type)
{
    switch (plants) {
    case Plants::All:
        return true;
    case Plants::NotSbr:
        return type != TFlowschemeType::ftSBR;
    case Plants::Sbr:
        return type == TFlowschemeType::ftSBR;
    case Plants::AI:
        return type == TFlowschemeType::ftAI;
    }
    return false;
}

// Why a value does not belong to the loaded plant.
std::string notApplicable(const std::string& name, Plants plants)
{
    switch (plants) {
    case Plants::NotSbr:
        return fmt::format("{}: plays no part in an SBR plant, whose cycle sets the volumes, feeds "
                           "and aeration",
                           name);
    case Plants::Sbr:
        return fmt::format("{}: only an SBR plant has this value", name);
    default:
        return fmt::format("{}: only an A/I plant has this value", name);
    }
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
    case IndexKind::Period:
    case IndexKind::Step:
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

    int period(const std::string& text) const
    {
        const auto number = parseIndexNumber(text);
        if (!number || *number < 1 || *number > kSbrPeriodCount)
            throw Error(fmt::format("{}: the cycle has periods 1..{}", m_name, kSbrPeriodCount));
        return *number;
    }

    int step(const std::string& text) const
    {
        const auto number = parseIndexNumber(text);
        const int count = m_workspace.variation.PointCount;
        if (!number || *number < 1 || *number > count)
            throw Error(fmt::format("{}: the variation has time steps 1..{}", m_name, count));
        return *number;
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

// The stored real of an SBR value; period is the resolved index (0 for the cycle's own values).
double& sbrStorage(Workspace& w, const std::string& base, int period)
{
    TSbrCycle& cycle = w.sbr;
    if (base == "InitialVolume") return cycle.InitialVolume;
    if (base == "Accuracy") return cycle.Accuracy;
    TSbrPeriod& p = cycle.Periods[period];
    if (base == "Influent1Volume") return p.Influent1Volume;
    if (base == "Influent2Volume") return p.Influent2Volume;
    if (base == "SupernatantVolume") return p.SupernatantVolume;
    if (base == "MixedLiquorVolume") return p.MixedLiquorVolume;
    if (base == "FixedO2") return p.FixedO2;
    if (base == "FixedKla") return p.FixedKla;
    if (base == "Slope") return p.Slope;
    if (base == "SignalValue") return p.SignalValue;
    if (base == "Setpoint") return p.Setpoint;
    if (base == "UpperThreshold") return p.UpperThreshold;
    if (base == "LowerThreshold") return p.LowerThreshold;
    if (base == "ValueAbove") return p.ValueAbove;
    return p.ValueBelow;
}

struct Resolved {
    const ValueName* value = nullptr;
    int first = 0;
    int second = 0;
};

// Resolves a name for reading or, with toSet, for setting: the plant values that an SBR plant
// does not use can still be read (the state file holds them for every plant), not set.
Resolved resolve(const Workspace& workspace, const std::string& name, bool toSet)
{
    const ParsedName parsed = parseName(name);
    if ((toSet || parsed.value->plants != Plants::NotSbr) &&
        !appliesTo(parsed.value->plants, workspace.plant.PlantType))
        throw Error(notApplicable(name, parsed.value->plants));
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
    case IndexKind::Period:
        resolved.first = resolver.period(i[0]);
        break;
    case IndexKind::Step:
        resolved.first = resolver.step(i[0]);
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

// The integer entries: a whole number in min..max, with the integer check's message.
int checkWhole(const std::string& name, double value, int min, int max)
{
    if (!std::isfinite(value))
        throw RangeError(fmt::format("{}: {}", name, kInvalidNumberMessage));
    if (value != std::floor(value))
        throw RangeError(fmt::format("{}: a whole number {}..{}", name, min, max));
    if (value < min || value > max)
        throw RangeError(fmt::format("{}: Number should be between {} and {}", name, min, max));
    return static_cast<int>(value);
}

// The SBR values that are not reals: timeslices, the aeration mode and the signal species.
std::optional<double> sbrWhole(const TSbrCycle& cycle, const std::string& base, int period)
{
    if (base == "TimesliceLength")
        return cycle.TimesliceLength;
    if (base == "Timeslices")
        return cycle.Periods[period].Timeslices;
    if (base == "AerationMode")
        return static_cast<int>(cycle.Periods[period].AerationMode);
    if (base == "SignalSpecies")
        return cycle.Periods[period].SignalSpecies;
    return std::nullopt;
}

} // namespace

double CaseValues::get(const std::string& name) const
{
    const Resolved r = resolve(m_workspace, name, false);
    const std::string base = r.value->name;
    const Workspace& w = m_workspace;
    if (base == "MinimumSludgeAge")
        return MinimumSludgeAge(w.plant);
    if (base == "ReactorCount")
        return w.plant.ReactorCount;
    if (base == "CompartmentCount")
        return w.plant.CompartmentCount;
    if (r.value->plants == Plants::Sbr) {
        if (base == "MinimumInitialVolume")
            return MinimumInitialVolume(w.sbr);
        if (base == "CycleLength")
            return static_cast<double>(SbrCycleLengthMinutes(w.sbr));
        if (base == "InputVolume")
            return SbrInputVolume(w.sbr);
        if (base == "OutputVolume")
            return SbrOutputVolume(w.sbr);
        if (const auto whole = sbrWhole(w.sbr, base, r.first))
            return *whole;
        return sbrStorage(m_workspace, base, r.first);
    }
    if (base == "PolyvalentCount")
        return w.ai.PolyvalentCount;
    if (base == "LaneCompartmentCount")
        return w.ai.LaneCompartmentCount;
    if (base == "PostAerationCount")
        return w.ai.PostAerationCount;
    if (base == "LaneFed")
        return w.aiVariation.LaneFed[r.first];
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
    const Resolved r = resolve(w, name, true);
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
        // The A/I plant editor offers the recirculation only with two polyvalent reactors.
        if (plant.PlantType == TFlowschemeType::ftAI && w.ai.PolyvalentCount < 2 && value > 0.0)
            throw RangeError(fmt::format(
                "{}: an A/I plant recirculates only with 2 or more polyvalent reactors", name));
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
        if (plant.PlantType == TFlowschemeType::ftAI)
            AIPlantEditor(plant, w.ai).setVolume(r.first, value); // the twin in the other lane too
        else
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
    case Rule::SbrTimesliceLength:
        w.sbr.TimesliceLength = checkWhole(name, value, 0, kSbrMaxTimesliceLength);
        return;
    case Rule::SbrAccuracy:
        checkRange(name, value, kSbrMinAccuracy, kSbrMaxAccuracy);
        w.sbr.Accuracy = value;
        return;
    case Rule::SbrInitialVolume: {
        checkRange(name, value, 0.0, kSbrMaxVolume);
        // The SBR page raises a smaller entry to the minimum; a script is told instead.
        const double minimum = MinimumInitialVolume(w.sbr);
        if (value < minimum)
            throw RangeError(
                fmt::format("{}: {}{:.2f} m3.", name, kSbrInitialVolumeMessageStart, minimum));
        w.sbr.InitialVolume = value;
        return;
    }
    case Rule::SbrTimeslices: {
        int& stored = w.sbr.Periods[r.first].Timeslices;
        const int previous = stored;
        stored = checkWhole(name, value, 0, SbrTimeslicesBound(w.sbr, r.first));
        // An instantaneous period may fill or draw, not both.
        if (const auto refusal = CheckSbrPeriod(w.sbr, r.first)) {
            stored = previous;
            throw RangeError(fmt::format("{}: {}", name, *refusal));
        }
        return;
    }
    case Rule::SbrVolume: {
        checkRange(name, value, 0.0, kSbrMaxVolume);
        double& stored = sbrStorage(w, base, r.first);
        const double previous = stored;
        stored = value;
        if (const auto refusal = CheckSbrPeriod(w.sbr, r.first)) {
            stored = previous;
            throw RangeError(fmt::format("{}: {}", name, *refusal));
        }
        ApplySbrInitialVolumeRule(w.sbr);
        return;
    }
    case Rule::SbrFixed: {
        checkRange(name, value, 0.0, kSbrMaxVolume);
        TSbrPeriod& period = w.sbr.Periods[r.first];
        // A period holds either a fixed kla or a fixed oxygen concentration.
        period.FixedKla = base == "FixedKla" ? value : 0.0;
        period.FixedO2 = base == "FixedO2" ? value : 0.0;
        return;
    }
    case Rule::SbrMode:
        w.sbr.Periods[r.first].AerationMode =
            static_cast<TSbrAerationMode>(checkWhole(name, value, 0, kSbrAerationModeCount - 1));
        return;
    case Rule::SbrSignal:
        w.sbr.Periods[r.first].SignalSpecies = checkWhole(name, value, 1, model.NS);
        return;
    case Rule::SbrControl:
        checkRange(name, value, 0.0, kMaxPlantValue);
        sbrStorage(w, base, r.first) = value;
        return;
    case Rule::SbrSlope:
        checkRange(name, value, -kSbrMaxVolume, kMaxPlantValue);
        sbrStorage(w, base, r.first) = value;
        return;
    case Rule::LaneFed:
        if (value != 1.0 && value != 2.0)
            throw RangeError(fmt::format("{}: the lane fed is 1 or 2", name));
        w.aiVariation.LaneFed[r.first] = static_cast<int>(value);
        return;
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
        if (!appliesTo(value.plants, p.PlantType))
            continue;
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
        case IndexKind::Period:
            for (int k = 1; k <= kSbrPeriodCount; ++k)
                list.push_back(fmt::format("{}[{}]", base, k));
            break;
        case IndexKind::Step:
            for (int i = 1; i <= m_workspace.variation.PointCount; ++i)
                list.push_back(fmt::format("{}[{}]", base, i));
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

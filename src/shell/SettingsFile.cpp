#include "shell/SettingsFile.h"

#include "core/AtomicFile.h"
#include "core/Encoding.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"
#include "shell/SimulationSettingsFile.h"

#include <SimpleIni.h>
#include <fmt/format.h>

#include <ostream>
#include <system_error>

namespace narv {
namespace {

constexpr const char* kDirectories = "Directories";
constexpr const char* kStartUp = "StartUp";
constexpr const char* kCharts = "Charts";
constexpr const char* kSimulation = "Simulation";

// The text keys; written marks those the program keeps up to date. Defaults are those of
// ShellSettings.
struct TextKey {
    const char* section;
    const char* key;
    std::string ShellSettings::*member;
    bool written;
};
const TextKey kTextKeys[] = {
    {kDirectories, "User", &ShellSettings::User, true},
    {kDirectories, "NARVModel", &ShellSettings::NARVModel, false},
    {kDirectories, "Model", &ShellSettings::Model, false},
    {kStartUp, "LastProject", &ShellSettings::LastProject, true},
    {kStartUp, "LastModel", &ShellSettings::LastModel, true},
    {kStartUp, "LastPlant", &ShellSettings::LastPlant, true},
    {kStartUp, "LastVariation", &ShellSettings::LastVariation, true},
    {kCharts, "BottomAxisTitleCaption", &ShellSettings::BottomAxisTitleCaption, false},
    {kSimulation, "NameS1", &ShellSettings::NameS1, true},
};

// The numerical settings in the order of the file, each a real or a count; their reading,
// with ranges, is ParseSimulationSettings.
struct SimulationKey {
    const char* key;
    double TSimSettings::*real;
    int TSimSettings::*count;
};
const SimulationKey kSimulationKeys[] = {
    {"Eps2", &TSimSettings::Eps2, nullptr},       {"Eps", &TSimSettings::Eps, nullptr},
    {"Tdif", &TSimSettings::Tdif, nullptr},       {"loops", nullptr, &TSimSettings::loops},
    {"loopmin", nullptr, &TSimSettings::loopmin}, {"ConcMin", &TSimSettings::ConcMin, nullptr},
    {"ConcMax", &TSimSettings::ConcMax, nullptr}, {"DeltMin", &TSimSettings::DeltMin, nullptr},
};

void load(CSimpleIniA& ini, const std::string& text)
{
    ini.SetUnicode(false);
    ini.SetSpaces(false);
    if (ini.LoadData(text) < 0)
        throw IoError("The settings could not be read.");
}

void readText(const CSimpleIniA& ini, const char* section, const char* key, std::string& value)
{
    if (const char* text = ini.GetValue(section, key, nullptr))
        value = singleByteToUtf8(text);
}

void writeText(CSimpleIniA& ini, const char* section, const char* key, const std::string& value)
{
    ini.SetValue(section, key, utf8ToSingleByte(value).c_str());
}

} // namespace

std::string FormatSettingReal(double x)
{
    return std::string(TrimBlanks(fmt::format("{:12.6g}", x)));
}

ShellSettings ParseShellSettings(const std::string& iniText)
{
    CSimpleIniA ini;
    load(ini, iniText);
    ShellSettings s;
    for (const TextKey& key : kTextKeys)
        readText(ini, key.section, key.key, s.*key.member);
    s.LastContInput = s.LastPlant + ".CIN";
    s.LastContOutput = s.LastPlant + ".COU";
    readText(ini, kStartUp, "LastContInput", s.LastContInput);
    readText(ini, kStartUp, "LastContOutput", s.LastContOutput);
    s.ContSimulation = ini.GetBoolValue(kStartUp, "ContSimulation", false);
    if (const char* text = ini.GetValue(kCharts, "DefaultPenWidth", nullptr);
        text && !TrimBlanks(text).empty()) {
        // The chart pens are 1 to 5 pixels wide.
        int penWidth = 0;
        if (!parseInteger(TrimBlanks(text), penWidth) || penWidth < 1 || penWidth > 5)
            throw RangeError(fmt::format(
                "NARV.ini, [Charts] DefaultPenWidth: \"{}\" is not a width from 1 to 5.",
                EchoText(TrimBlanks(text))));
        s.DefaultPenWidth = penWidth;
    }
    s.simulation = ParseSimulationSettings(iniText);
    return s;
}

ShellSettings ReadShellSettings(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return ShellSettings{};
    return ParseShellSettings(readFileBytes(path));
}

void WriteShellSettings(const std::filesystem::path& path, const ShellSettings& s,
                        ContNamesToWrite contNames)
{
    CSimpleIniA ini;
    std::error_code ec;
    load(ini, std::filesystem::exists(path, ec) ? readFileBytes(path) : std::string());
    for (const TextKey& key : kTextKeys)
        if (key.written)
            writeText(ini, key.section, key.key, s.*key.member);
    if (contNames.input)
        writeText(ini, kStartUp, "LastContInput", s.LastContInput);
    if (contNames.output)
        writeText(ini, kStartUp, "LastContOutput", s.LastContOutput);
    ini.SetBoolValue(kStartUp, "ContSimulation", s.ContSimulation);
    for (const SimulationKey& key : kSimulationKeys) {
        const std::string value = key.real ? FormatSettingReal(s.simulation.*key.real)
                                           : std::to_string(s.simulation.*key.count);
        ini.SetValue(kSimulation, key.key, value.c_str());
    }
    // The solver keys only when a solver other than the legacy one is chosen, so the files
    // of users who keep the defaults stay as they were; but once the file has them, they are
    // kept up to date, or going back to the defaults would not last past the next start.
    const TSimSettings defaults;
    const TSimSettings& simulation = s.simulation;
    bool solverKeysInFile = false;
    for (const char* key : {"Solver", "SteadyState", "RelTol", "AbsTol"})
        if (ini.GetValue(kSimulation, key, nullptr) != nullptr)
            solverKeysInFile = true;
    if (solverKeysInFile || simulation.Solver != defaults.Solver ||
        simulation.Steady != defaults.Steady || simulation.RelTol != defaults.RelTol ||
        simulation.AbsTol != defaults.AbsTol) {
        ini.SetValue(kSimulation, "Solver", IntegratorChoiceName(simulation.Solver));
        ini.SetValue(kSimulation, "SteadyState", SteadyMethodName(simulation.Steady));
        ini.SetValue(kSimulation, "RelTol", FormatSettingReal(simulation.RelTol).c_str());
        ini.SetValue(kSimulation, "AbsTol", FormatSettingReal(simulation.AbsTol).c_str());
    }

    std::string text;
    if (ini.Save(text) < 0)
        throw IoError("The settings could not be written.");
    std::string crlf;
    for (const char c : text) {
        if (c == '\n' && (crlf.empty() || crlf.back() != '\r'))
            crlf += '\r';
        crlf += c;
    }
    writeFileAtomically(path, [&crlf](std::ostream& out) { out << crlf; });
}

} // namespace narv

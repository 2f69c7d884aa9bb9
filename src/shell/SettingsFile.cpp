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
    readText(ini, kDirectories, "User", s.User);
    readText(ini, kDirectories, "NARVModel", s.NARVModel);
    readText(ini, kDirectories, "Model", s.Model);
    readText(ini, kStartUp, "LastProject", s.LastProject);
    readText(ini, kStartUp, "LastModel", s.LastModel);
    readText(ini, kStartUp, "LastPlant", s.LastPlant);
    readText(ini, kStartUp, "LastVariation", s.LastVariation);
    s.LastContInput = s.LastPlant + ".CIN";
    s.LastContOutput = s.LastPlant + ".COU";
    readText(ini, kStartUp, "LastContInput", s.LastContInput);
    readText(ini, kStartUp, "LastContOutput", s.LastContOutput);
    s.ContSimulation = ini.GetBoolValue(kStartUp, "ContSimulation", false);
    readText(ini, kCharts, "BottomAxisTitleCaption", s.BottomAxisTitleCaption);
    int penWidth = 0;
    if (const char* text = ini.GetValue(kCharts, "DefaultPenWidth", nullptr);
        text && parseInteger(TrimBlanks(text), penWidth) && penWidth >= 1)
        s.DefaultPenWidth = penWidth;
    readText(ini, kSimulation, "NameS1", s.NameS1);
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
    writeText(ini, kDirectories, "User", s.User);
    writeText(ini, kStartUp, "LastProject", s.LastProject);
    writeText(ini, kStartUp, "LastModel", s.LastModel);
    writeText(ini, kStartUp, "LastPlant", s.LastPlant);
    writeText(ini, kStartUp, "LastVariation", s.LastVariation);
    if (contNames.input)
        writeText(ini, kStartUp, "LastContInput", s.LastContInput);
    if (contNames.output)
        writeText(ini, kStartUp, "LastContOutput", s.LastContOutput);
    ini.SetBoolValue(kStartUp, "ContSimulation", s.ContSimulation);
    writeText(ini, kSimulation, "NameS1", s.NameS1);
    const TSimSettings& sim = s.simulation;
    const auto real = [&ini](const char* key, double value) {
        ini.SetValue(kSimulation, key, FormatSettingReal(value).c_str());
    };
    const auto count = [&ini](const char* key, int value) {
        ini.SetValue(kSimulation, key, std::to_string(value).c_str());
    };
    real("Eps2", sim.Eps2);
    real("Eps", sim.Eps);
    real("Tdif", sim.Tdif);
    count("loops", sim.loops);
    count("loopmin", sim.loopmin);
    real("ConcMin", sim.ConcMin);
    real("ConcMax", sim.ConcMax);
    real("DeltMin", sim.DeltMin);

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

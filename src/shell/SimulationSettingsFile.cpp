#include "shell/SimulationSettingsFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"

#include <SimpleIni.h>
#include <fmt/format.h>

namespace narv {
namespace {

constexpr const char* kSection = "Simulation";

std::string_view trimmed(const char* text)
{
    return TrimBlanks(text ? text : "");
}

void readReal(const CSimpleIniA& ini, const char* key, double& value)
{
    double parsed = 0.0;
    if (parseReal(trimmed(ini.GetValue(kSection, key, "")), parsed))
        value = parsed;
}

void readCount(const CSimpleIniA& ini, const char* key, int& value)
{
    int parsed = 0;
    if (!parseInteger(trimmed(ini.GetValue(kSection, key, "")), parsed))
        return;
    value = parsed > 100 ? 100 : parsed < 1 ? 1 : parsed;
}

} // namespace

TSimSettings ParseSimulationSettings(const std::string& iniText)
{
    CSimpleIniA ini;
    ini.SetUnicode(false);
    if (ini.LoadData(iniText) < 0)
        throw IoError("The settings could not be read.");
    TSimSettings settings = SimSettingsForMissingKeys();
    readReal(ini, "Eps2", settings.Eps2);
    readReal(ini, "Eps", settings.Eps);
    readReal(ini, "Tdif", settings.Tdif);
    readCount(ini, "loops", settings.loops);
    readCount(ini, "loopmin", settings.loopmin);
    readReal(ini, "ConcMin", settings.ConcMin);
    readReal(ini, "ConcMax", settings.ConcMax);
    readReal(ini, "DeltMin", settings.DeltMin);
    UpdateDeltMinO2(settings);
    return settings;
}

TSimSettings ReadSimulationSettings(const std::filesystem::path& path)
{
    return ParseSimulationSettings(readFileBytes(path));
}

} // namespace narv

#include "shell/SimulationSettingsFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"

#include <SimpleIni.h>
#include <fmt/format.h>

#include <cmath>
#include <optional>
#include <string_view>

namespace narv {
namespace {

constexpr const char* kSection = "Simulation";

// Reads the keys of one section; a key that is present must hold a valid value in range.
class KeyReader {
public:
    KeyReader(const CSimpleIniA& ini, const char* section, std::string sourceName)
        : m_ini(ini), m_section(section), m_sourceName(std::move(sourceName))
    {
    }

    // A word of a list, as parse reads it; a word that is not on the list is an error, as
    // running another solver than the one asked for would go unnoticed.
    template <typename Choice>
    void word(const char* key, bool (*parse)(const std::string&, Choice&), const char* words,
              Choice& value) const
    {
        const auto found = text(key);
        if (found && !parse(std::string(*found), value))
            throw RangeError(fmt::format("{}, [{}] {} is \"{}\"; it must be {}.", m_sourceName,
                                         m_section, key, EchoText(*found), words));
    }

    // The key's text without its surrounding blanks; nothing when the key is missing or empty.
    std::optional<std::string_view> text(const char* key) const
    {
        const char* value = m_ini.GetValue(m_section, key, nullptr);
        if (value == nullptr)
            return std::nullopt;
        const std::string_view trimmed = TrimBlanks(value);
        if (trimmed.empty())
            return std::nullopt;
        return trimmed;
    }

    void real(const char* key, double low, double high, double& value) const
    {
        const auto found = text(key);
        if (!found)
            return;
        double parsed = 0.0;
        if (!parseReal(*found, parsed))
            throw NumericFormatError(fmt::format("{}, [{}] {}: \"{}\" is not a number.",
                                                 m_sourceName, m_section, key, EchoText(*found)));
        if (!(parsed >= low && parsed <= high))
            throw outOfRange(key, formatShortest(parsed), formatLimit(low), formatLimit(high));
        value = parsed;
    }

    // A count of at least low; above high it reads as high.
    void count(const char* key, int low, int high, int& value) const
    {
        const auto found = text(key);
        if (!found)
            return;
        int parsed = 0;
        if (!parseInteger(*found, parsed)) {
            // A count too large for an integer is still a count: it reads as the upper limit.
            double large = 0.0;
            if (!parseReal(*found, large) || large != std::floor(large) || large < high)
                throw NumericFormatError(fmt::format("{}, [{}] {}: \"{}\" is not a whole number.",
                                                     m_sourceName, m_section, key,
                                                     EchoText(*found)));
            parsed = high;
        }
        if (parsed < low)
            throw outOfRange(key, std::to_string(parsed), std::to_string(low),
                             std::to_string(high));
        value = parsed > high ? high : parsed;
    }

    RangeError outOfRange(const char* key, const std::string& value, const std::string& low,
                          const std::string& high) const
    {
        return RangeError(fmt::format("{}, [{}] {} is {}; it must lie between {} and {}.",
                                      m_sourceName, m_section, key, value, low, high));
    }

private:
    const CSimpleIniA& m_ini;
    const char* m_section;
    std::string m_sourceName;
};

} // namespace

TSimSettings ParseSimulationSettings(const std::string& iniText, const std::string& sourceName)
{
    CSimpleIniA ini;
    ini.SetUnicode(false);
    if (ini.LoadData(iniText) < 0)
        throw IoError(fmt::format("{} could not be read.", sourceName));
    const KeyReader keys(ini, kSection, sourceName);
    TSimSettings settings = SimSettingsForMissingKeys();
    // The Configuration dialog's ranges; Eps at most the Eps2 in force.
    keys.real("Eps2", 0.0, 0.1, settings.Eps2);
    keys.real("Eps", 0.0, settings.Eps2, settings.Eps);
    // Without its key Eps keeps its default, which a smaller Eps2 leaves out of range too.
    if (!keys.text("Eps") && settings.Eps > settings.Eps2)
        throw RangeError(fmt::format(
            "{}, [{}] Eps is missing and its default {} exceeds Eps2 {}; it must lie between 0 "
            "and {}.",
            sourceName, kSection, formatShortest(settings.Eps), formatShortest(settings.Eps2),
            formatLimit(settings.Eps2)));
    keys.real("Tdif", 0.0, 1e9, settings.Tdif);
    keys.count("loops", 1, kMaxDisplayUpdates, settings.loops);
    keys.count("loopmin", 1, kMaxDisplayUpdates, settings.loopmin);
    keys.real("ConcMin", 0.0, 1e9, settings.ConcMin);
    keys.real("ConcMax", 0.0, 1e110, settings.ConcMax);
    // Somewhat above the dialog's limit, for files edited by hand; a floor longer than a quarter
    // hour makes the integrator's accuracy moot.
    keys.real("DeltMin", 0.0, kMaxDeltMin, settings.DeltMin);
    UpdateDeltMinO2(settings);
    keys.word("Solver", ParseIntegratorChoice, "legacy or cvode", settings.Solver);
    keys.word("SteadyState", ParseSteadyMethod, "relax or newton", settings.Steady);
    keys.real("RelTol", kMinRelTol, kMaxRelTol, settings.RelTol);
    keys.real("AbsTol", kMinAbsTol, kMaxAbsTol, settings.AbsTol);
    return settings;
}

TSimSettings ReadSimulationSettings(const std::filesystem::path& path)
{
    return ParseSimulationSettings(readFileBytes(path), path.filename().string());
}

} // namespace narv

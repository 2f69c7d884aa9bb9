// The settings file: every section the program reads.
#include "FuzzSupport.h"

#include "core/Error.h"
#include "shell/SettingsFile.h"

using namespace narv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const ShellSettings settings = ParseShellSettings(fuzz::Bytes(data, size));
        if (!(settings.simulation.Eps <= settings.simulation.Eps2) ||
            settings.simulation.loops < 1 || settings.simulation.loops > 100 ||
            !(settings.simulation.DeltMin >= 0.0))
            fuzz::Fail("settings outside their ranges", "");
    } catch (const Error&) {
    }
    return 0;
}

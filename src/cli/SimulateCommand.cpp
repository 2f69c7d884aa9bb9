#include "cli/Cli.h"
#include "cli/Commands.h"
#include "core/Error.h"

namespace narv::cli {

const char* const kSimulateHelp = "Usage: narv-cli simulate (not available in this version yet)\n";

OptionSpec SimulateOptions()
{
    return {{}, {}, 0};
}

int runSimulate(const CliArguments&, std::ostream&)
{
    throw Error("The command 'simulate' is not available in this version yet.");
}

} // namespace narv::cli

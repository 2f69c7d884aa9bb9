#include "cli/Cli.h"
#include "cli/Commands.h"
#include "core/Error.h"

namespace narv::cli {

const char* const kContinuousHelp =
    "Usage: narv-cli continuous (not available in this version yet)\n";

OptionSpec ContinuousOptions()
{
    return {{}, {}, 0};
}

int runContinuous(const CliArguments&, std::ostream&)
{
    throw Error("The command 'continuous' is not available in this version yet.");
}

} // namespace narv::cli

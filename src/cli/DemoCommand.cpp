#include "cli/Cli.h"
#include "cli/Commands.h"
#include "core/Error.h"

namespace narv::cli {

const char* const kDemoHelp =
    "Usage: narv-cli demo [--out DIR] (not available in this version yet)\n";

OptionSpec DemoOptions()
{
    return {{"--out"}, {}, 0};
}

int runDemo(const CliArguments&, std::ostream&)
{
    throw Error("The command 'demo' is not available in this version yet.");
}

} // namespace narv::cli

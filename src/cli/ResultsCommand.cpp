#include "cli/Cli.h"
#include "cli/Commands.h"
#include "core/Error.h"

namespace narv::cli {

const char* const kResultsHelp = "Usage: narv-cli results (not available in this version yet)\n";

OptionSpec ResultsOptions()
{
    return {{}, {}, 0};
}

int runResults(const CliArguments&, std::ostream&)
{
    throw Error("The command 'results' is not available in this version yet.");
}

} // namespace narv::cli

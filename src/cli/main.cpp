#include "cli/Cli.h"
#include "cli/CliSupport.h"

#include <cerrno>
#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    narv::cli::InstallStopSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    errno = 0;
    int code = narv::cli::runCli(args, std::cout, std::cerr);
    // A closed pipe or a full device: what was asked for did not arrive.
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "narv-cli: cannot write to standard output"
                  << (errno != 0 ? std::string(" (") + std::strerror(errno) + ")" : std::string())
                  << ".\n";
        if (code == narv::cli::kExitSuccess)
            code = narv::cli::kExitError;
    }
    return code;
}

#include "CliRun.h"

#include "cli/Cli.h"

#include <cstdio>
#include <sstream>

#include <sys/wait.h>

namespace narv::testing {

CliRun RunCli(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    CliRun run;
    run.code = cli::runCli(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

int RunProgram(const std::string& commandLine, std::string& output)
{
    output.clear();
    FILE* pipe = ::popen(commandLine.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace narv::testing

#pragma once

#include <string>
#include <vector>

namespace narv::testing {

// What a narv-cli command gave back: its exit code and both streams.
struct CliRun {
    int code = 0;
    std::string out;
    std::string err;
};

// Runs a command in this process, as narv-cli's main does.
CliRun RunCli(const std::vector<std::string>& args);

// Runs a command line through the shell, as a calling script does, and collects its standard
// output (redirections such as 2>&1 are the caller's); the exit code, or -1 when the program
// did not exit normally.
int RunProgram(const std::string& commandLine, std::string& output);

} // namespace narv::testing

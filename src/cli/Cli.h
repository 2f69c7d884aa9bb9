#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace narv::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitError = 1; // bad input or a failed computation
inline constexpr int kExitUsage = 2; // unknown command, missing or malformed option

// Runs narv-cli with the arguments after the program name; returns the exit code.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace narv::cli

#pragma once

#include "cli/CliArguments.h"

#include <iosfwd>

namespace narv::cli {

int runCheck(const CliArguments& arguments, std::ostream& out);
int runRates(const CliArguments& arguments, std::ostream& out);
int runIntegrate(const CliArguments& arguments, std::ostream& out);
int runRelax(const CliArguments& arguments, std::ostream& out);

} // namespace narv::cli

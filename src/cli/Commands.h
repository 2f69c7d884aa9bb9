#pragma once

#include "cli/CliArguments.h"

#include <iosfwd>

namespace narv::cli {

int runCheck(const CliArguments& arguments, std::ostream& out);
int runRates(const CliArguments& arguments, std::ostream& out);
int runIntegrate(const CliArguments& arguments, std::ostream& out);
int runRelax(const CliArguments& arguments, std::ostream& out);
int runSimulate(const CliArguments& arguments, std::ostream& out);
int runContinuous(const CliArguments& arguments, std::ostream& out);
int runResults(const CliArguments& arguments, std::ostream& out);
int runDemo(const CliArguments& arguments, std::ostream& out);
int runReport(const CliArguments& arguments, std::ostream& out);
int runPicture(const CliArguments& arguments, std::ostream& out);
int runSweep(const CliArguments& arguments, std::ostream& out);
int runVerify(const CliArguments& arguments, std::ostream& out);

// Help texts and options of the commands that live in their own files.
extern const char* const kSimulateHelp;
extern const char* const kContinuousHelp;
extern const char* const kResultsHelp;
extern const char* const kDemoHelp;
extern const char* const kReportHelp;
extern const char* const kPictureHelp;
extern const char* const kSweepHelp;
extern const char* const kVerifyHelp;
OptionSpec SimulateOptions();
OptionSpec ContinuousOptions();
OptionSpec ResultsOptions();
OptionSpec DemoOptions();
OptionSpec ReportOptions();
OptionSpec PictureOptions();
OptionSpec SweepOptions();
OptionSpec VerifyOptions();

} // namespace narv::cli

#include "cli/Cli.h"

#include "cli/CliArguments.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/Error.h"
#include "core/Version.h"

#include <functional>
#include <ostream>

namespace narv::cli {
namespace {

constexpr const char* kGeneralHelp = R"(Usage: narv-cli COMMAND [OPTIONS]
       narv-cli --help | --version

Simulates activated-sludge wastewater treatment plants without a window, with the same
results as the desktop program.

Commands:
  check      read model, plant and variation files and print a summary of each
  rates      evaluate the process and conversion rates of one compartment as JSON
  integrate  integrate a plant over a number of days with constant inputs
  relax      relax a plant to its steady state
  simulate   run a plant through cycles of its variation and record the results
  continuous drive a plant through a table of measured data
  results    read a results file: its series as CSV, the statistics of its charts
  demo       run the example project end to end and write its results
  report     write the text report of a model and its plant
  picture    draw the flowscheme of a plant as a PNG or bitmap picture
  sweep      run a plant once per parameter set of a sweep, locally or on a dask cluster
  verify     solve the benchmark plant's steady state and compare it with the published one

Run 'narv-cli COMMAND --help' for the options of a command.
Exit codes: 0 success, 1 error of the input or the computation, 2 usage error.
)";

constexpr const char* kCheckHelp =
    R"(Usage: narv-cli check --model M.mod [--plant P.pln] [--variation V.vrt] [--rewrite DIR]

Reads the files as the program does and prints a one-line summary of each. Stops with
exit code 1 and the reader's message at the first bad file.

  --model FILE      the model file (required)
  --plant FILE      a plant file, checked against the model
  --variation FILE  a variation file, checked against the model
  --rewrite DIR     write each file again through the program's writer into DIR,
                    under its own file name (upgrades files of older layouts)
)";

constexpr const char* kRatesHelp =
    R"(Usage: narv-cli rates --model M.mod [--plant P.pln] [--variation V.vrt] [--compartment r]

Loads the model (and the plant, if given, with the temperature conversion that loading
does) and evaluates compartment r at its stored state; without a plant, the default plant
and the model's initial conditions are used. Prints the process rates, the conversion
rates and the oxygen rate as JSON.

  --model FILE        the model file (required)
  --plant FILE        a plant file; without it the default plant is used
  --variation FILE    a variation file, checked against the model (the rates do not use it)
  --compartment r     compartment 1..18 (default 1)
)";

constexpr const char* kIntegrateHelp =
    R"(Usage: narv-cli integrate --model M.mod --plant P.pln --days T [--settings S.ini]
                         [--save OUT.pln] [--state-json OUT.json]

Integrates the plant from its stored state over T days with constant inputs, in 'loops'
chunks, the clock starting at 0; active control loops act at every step.

  --model FILE        the model file (required)
  --plant FILE        the plant file (required)
  --days T            the end time in days (required)
  --settings FILE     numerical settings from the [Simulation] section of a settings file
  --solver NAME       legacy (default) or cvode, the error-controlled stiff integrator
  --rtol R, --atol A  relative and absolute tolerances of cvode (default 1e-6 and 1e-8)
  --save FILE         write the plant file with the final state
  --state-json FILE   write the final state as JSON
)";

constexpr const char* kRelaxHelp =
    R"(Usage: narv-cli relax --model M.mod --plant P.pln [--times X,S,O2] [--settings S.ini]
                     [--save OUT.pln] [--state-json OUT.json]

Relaxes the plant to its steady state for its constant inputs, in 'loopmin' chunks, with one
clock for particulate, dissolved and oxygen species; or, with --steady newton, solves for the
steady state by Newton's method, with the relaxation as the fallback when Newton fails.
Refused while control loops are active.

  --model FILE        the model file (required)
  --plant FILE        the plant file (required)
  --times X,S,O2      relaxation times in days (default 2, 0.2 and 0.1 x the sludge age)
  --settings FILE     numerical settings from the [Simulation] section of a settings file
  --steady METHOD     relax (default) or newton
  --save FILE         write the plant file with the final state
  --state-json FILE   write the final state as JSON
)";

OptionSpec withSolverOptions(OptionSpec options, bool steadyState = false)
{
    AddSolverOptions(options, steadyState);
    return options;
}

struct Command {
    const char* name;
    const char* help;
    OptionSpec options;
    std::function<int(const CliArguments&, std::ostream&)> run;
};

const std::vector<Command>& commands()
{
    static const std::vector<Command> list = {
        {"check",
         kCheckHelp,
         {{"--model", "--plant", "--variation", "--rewrite"}, {}, 0},
         runCheck},
        {"rates",
         kRatesHelp,
         {{"--model", "--plant", "--variation", "--compartment"}, {}, 0},
         runRates},
        {"integrate",
         kIntegrateHelp,
         withSolverOptions({{"--model", "--plant", "--days", "--settings", "--save",
                             "--state-json"},
                            {},
                            0}),
         runIntegrate},
        {"relax",
         kRelaxHelp,
         withSolverOptions(
             {{"--model", "--plant", "--times", "--settings", "--save", "--state-json"}, {}, 0},
             true),
         runRelax},
        {"simulate", kSimulateHelp, SimulateOptions(), runSimulate},
        {"continuous", kContinuousHelp, ContinuousOptions(), runContinuous},
        {"results", kResultsHelp, ResultsOptions(), runResults},
        {"demo", kDemoHelp, DemoOptions(), runDemo},
        {"report", kReportHelp, ReportOptions(), runReport},
        {"picture", kPictureHelp, PictureOptions(), runPicture},
        {"sweep", kSweepHelp, SweepOptions(), runSweep},
        {"verify", kVerifyHelp, VerifyOptions(), runVerify},
    };
    return list;
}

} // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty()) {
        err << kGeneralHelp;
        return kExitUsage;
    }
    const std::string& name = args.front();
    if (name == "--help" || name == "-h" || name == "help") {
        out << kGeneralHelp;
        return kExitSuccess;
    }
    if (name == "--version") {
        out << "NARV " << ProgramVersionText << '\n';
        return kExitSuccess;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const Command& command : commands()) {
        if (name != command.name)
            continue;
        if (!rest.empty() && (rest.front() == "--help" || rest.front() == "-h")) {
            out << command.help;
            return kExitSuccess;
        }
        try {
            const CliArguments arguments(rest, command.options);
            return command.run(arguments, out);
        } catch (const UsageError& e) {
            err << "narv-cli " << name << ": " << e.what() << "\n" << command.help;
            return kExitUsage;
        } catch (const HintedError& e) {
            err << TerminalMessage(e.what()) << '\n' << e.hint() << '\n';
            return kExitError;
        } catch (const InvalidFileError& e) {
            err << TerminalMessage(e.what()) << '\n' << "  " << TerminalMessage(e.detail()) << '\n';
            return kExitError;
        } catch (const Error& e) {
            err << TerminalMessage(e.what()) << '\n';
            return kExitError;
        } catch (const std::exception& e) {
            err << "Internal error: " << e.what() << '\n';
            return kExitError;
        }
    }
    err << "narv-cli: unknown command '" << name << "'\n" << kGeneralHelp;
    return kExitUsage;
}

} // namespace narv::cli

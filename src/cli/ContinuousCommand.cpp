#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/Error.h"
#include "dynamics/ContinuousSimulation.h"
#include "shell/Computations.h"

#include <fmt/format.h>

#include <memory>
#include <ostream>

namespace narv::cli {

const char* const kContinuousHelp =
    R"(Usage: narv-cli continuous --model M.mod --plant P.pln --input IN.cin.csv --output OUT.cou.csv
                          [--compartment d] [--settings S.ini]
                          [--save OUT.pln] [--state-json OUT.json]
       narv-cli continuous --model M.mod --template NEW.cin.csv

Drives the plant through a table of measured or prepared data. Every input row gives the time
in hours, the temperature, the five flows and the concentrations of the 1st influent; the
plant is integrated up to the row's time under the row's values (a row whose time is already
reached only sets its values), and the state of compartment d is written as one row of the
output table, after a row for the initial state. Afterwards the plant's flows, temperature, kla values and influent are those of
the plant file again; the compartment states stay as simulated.

Input: four header lines, then the rows; values separated by blanks or ";", "." as the decimal
point. Output: the same header, values in exponent form, each followed by ";".

  --model FILE        the model file (required)
  --plant FILE        the plant file (required)
  --input FILE        the input table (required)
  --output FILE       the output table, replaced only when the run succeeds (required)
  --compartment d     the compartment written to the output, 1..number of compartments
                      (default: the last one)
  --settings FILE     numerical settings from the [Simulation] section of a settings file
  --solver NAME       legacy (default) or cvode, the error-controlled stiff integrator
  --rtol R, --atol A  relative and absolute tolerances of cvode (default 1e-6 and 1e-8)
  --save FILE         write the plant file with the final state
  --state-json FILE   write the final state as JSON
  --template FILE     only write an empty input table with the model's column names
)";

OptionSpec ContinuousOptions()
{
    OptionSpec options{{"--model", "--plant", "--input", "--output", "--compartment", "--settings",
                        "--save", "--state-json", "--template"},
                       {},
                       0};
    AddSolverOptions(options);
    return options;
}

namespace {

int writeTemplate(const CliArguments& arguments, std::ostream& out)
{
    for (const char* option : {"--plant", "--input", "--output", "--compartment", "--settings",
                               "--save", "--state-json"})
        if (arguments.has(option))
            throw UsageError(std::string("--template writes the empty input table only; ") +
                             option + " does not go with it");
    auto workspace = std::make_unique<Workspace>();
    LoadCaseFiles(*workspace, arguments);
    const std::string path = arguments.required("--template");
    WriteContinuousTemplateFile(path, workspace->model);
    out << fmt::format("Empty input table for the model \"{}\" written to {}\n",
                       workspace->model.ModelName, path);
    return kExitSuccess;
}

} // namespace

int runContinuous(const CliArguments& arguments, std::ostream& out)
{
    arguments.required("--model");
    if (arguments.has("--template"))
        return writeTemplate(arguments, out);
    arguments.required("--plant");
    const std::string input = arguments.required("--input");
    const std::string output = arguments.required("--output");
    const std::optional<int> chosen = arguments.integer("--compartment");

    auto workspace = std::make_unique<Workspace>();
    const std::string keyword = LoadCaseFiles(*workspace, arguments);
    const int compartments = workspace->plant.CompartmentCount;
    const int compartment = chosen.value_or(compartments);
    if (compartment < 1 || compartment > compartments)
        throw UsageError(fmt::format("--compartment must be 1 to {} for this plant, not {}",
                                     compartments, compartment));
    const TSimSettings settings = LoadSettings(arguments);
    TerminalProgress progress;
    const ContinuousOutcome outcome =
        RunContinuousSimulation(*workspace, settings, progress, input, output, compartment);
    ThrowIfStopSignal(fmt::format("the continuous simulation ended at {:g} h; {} holds the rows "
                                  "up to then, --save and --state-json were not written.",
                                  outcome.timeHours, output));
    OutputSet outputs;
    WriteRunOutputs(*workspace, keyword, arguments, outputs);
    outputs.commit();
    out << fmt::format("Continuous simulation to {:g} h: {} input rows, {} intervals integrated, "
                       "{} rows of compartment {} written to {}\n",
                       outcome.timeHours, outcome.rowsApplied, outcome.integrations,
                       outcome.rowsWritten, compartment, output);
    return kExitSuccess;
}

} // namespace narv::cli

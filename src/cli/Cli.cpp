#include "cli/Cli.h"

#include "cli/CliArguments.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/Version.h"
#include "model/ModelFile.h"
#include "plant/ModelSetup.h"
#include "shell/Workspace.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>

namespace narv::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr const char* kGeneralHelp = R"(Usage: narv-cli COMMAND [OPTIONS]
       narv-cli --help | --version

Simulates activated-sludge wastewater treatment plants without a window, with the same
results as the desktop program.

Commands:
  check     read model (and plant, variation) files and print a summary of each
  rates     evaluate the process and conversion rates of one compartment as JSON

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
    R"(Usage: narv-cli rates --model M.mod [--plant P.pln] [--compartment r]

Loads the model (and the plant, if given) and evaluates compartment r at its stored
state. Prints the process rates, the conversion rates and the oxygen rate as JSON.

  --model FILE        the model file (required)
  --plant FILE        a plant file; without it the default plant is used
  --compartment r     compartment 1..18 (default 1)
)";

// Commands of the contract that later versions add.
const std::vector<std::string> kLaterCommands = {"integrate", "relax",   "simulate", "continuous",
                                                 "report",    "picture", "results",  "demo"};

std::string modelSummary(const TModelDef& model, const fs::path& path)
{
    return fmt::format(
        "Model {}: \"{}\", {} dissolved species, {} particulate species, {} processes",
        path.filename().string(), model.ModelName, model.NS, model.NX, model.NP);
}

void loadModel(Workspace& workspace, const CliArguments& arguments)
{
    ReadModelFile(arguments.required("--model"), workspace.model, workspace.plant, workspace.state);
    if (arguments.has("--plant") || arguments.has("--variation"))
        throw Error("Plant and variation files cannot be read by this version of narv-cli yet.");
}

int runCheck(const CliArguments& arguments, std::ostream& out)
{
    auto workspace = std::make_unique<Workspace>();
    const fs::path modelPath = arguments.required("--model");
    loadModel(*workspace, arguments);
    out << modelSummary(workspace->model, modelPath) << '\n';
    if (const auto directory = arguments.value("--rewrite")) {
        std::error_code ec;
        fs::create_directories(*directory, ec);
        if (ec)
            throw IoError(
                fmt::format("Cannot create the directory {}: {}.", *directory, ec.message()));
        const fs::path target = fs::path(*directory) / modelPath.filename();
        WriteModelFile(target, workspace->model);
        out << "Written " << target.string() << '\n';
    }
    return kExitSuccess;
}

Json numbers(const double* values, int count)
{
    Json array = Json::array();
    for (int i = 0; i < count; ++i)
        array.push_back(values[i]);
    return array;
}

int runRates(const CliArguments& arguments, std::ostream& out)
{
    auto workspace = std::make_unique<Workspace>();
    loadModel(*workspace, arguments);
    const int compartment = arguments.integer("--compartment").value_or(1);
    if (compartment < 1 || compartment > MaxCompartments)
        throw UsageError(fmt::format("--compartment must lie between 1 and {}", MaxCompartments));
    TModelDef& model = workspace->model;
    ComputeConversionRates(model, workspace->plant, workspace->state, compartment);
    Json result;
    result["compartment"] = compartment;
    result["rho"] = numbers(model.Rho.data(), model.NP);
    result["RS"] = numbers(model.RS.data(), model.NS);
    result["RX"] = numbers(model.RX.data(), model.NX);
    ComputeOxygenRate(model, workspace->plant, workspace->state, compartment);
    result["oxygen_rate"] = model.RS[1];
    out << result.dump(2) << '\n';
    return kExitSuccess;
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
        {"rates", kRatesHelp, {{"--model", "--plant", "--compartment"}, {}, 0}, runRates},
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
        } catch (const Error& e) {
            err << e.what() << '\n';
            return kExitError;
        } catch (const std::exception& e) {
            err << "Internal error: " << e.what() << '\n';
            return kExitError;
        }
    }
    for (const std::string& later : kLaterCommands) {
        if (name == later) {
            err << "narv-cli: the command '" << name << "' is not available in this version yet.\n";
            return kExitError;
        }
    }
    err << "narv-cli: unknown command '" << name << "'\n" << kGeneralHelp;
    return kExitUsage;
}

} // namespace narv::cli

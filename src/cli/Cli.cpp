#include "cli/Cli.h"

#include "cli/CliArguments.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "core/Version.h"
#include "model/ModelFile.h"
#include "plant/ModelSetup.h"
#include "plant/PlantFile.h"
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
  check     read model, plant and variation files and print a summary of each
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

// Commands of the contract that later versions add.
const std::vector<std::string> kLaterCommands = {"integrate", "relax",   "simulate", "continuous",
                                                 "report",    "picture", "results",  "demo"};

std::string modelSummary(const TModelDef& model, const fs::path& path)
{
    return fmt::format(
        "Model {}: \"{}\", {} dissolved species, {} particulate species, {} processes",
        path.filename().string(), model.ModelName, model.NS, model.NX, model.NP);
}

std::string plantSummary(const TPlantDef& plant, const std::string& keyword, const fs::path& path)
{
    return fmt::format("Plant {}: type {}, {} reactors, {} compartments, control loops {}",
                       path.filename().string(), keyword, plant.ReactorCount,
                       plant.CompartmentCount, plant.ControlLoopsActive ? "active" : "off");
}

std::string variationSummary(const TVariationDef& variation, const fs::path& path)
{
    return fmt::format("Variation {}: {} points in a cycle of {} d{}", path.filename().string(),
                       variation.PointCount, formatShortest(variation.CycleDuration),
                       variation.VaryConc2 ? ", 2nd influent varied" : "");
}

// The files of a case, read in the program's order: the model first, then the plant and the
// variation, both checked against it. keyword receives the plant's type keyword.
void loadFiles(Workspace& workspace, const CliArguments& arguments, std::string& keyword)
{
    ReadModelFile(arguments.required("--model"), workspace.model, workspace.plant, workspace.state);
    ResetVariation(workspace.variation, workspace.model, workspace.plant);
    if (const auto plant = arguments.value("--plant")) {
        keyword = ReadPlantFile(*plant, workspace.model, workspace.plant, workspace.state);
        workspace.plant.PlantType = FlowschemeTypeFromKeyword(keyword);
    }
    if (const auto variation = arguments.value("--variation"))
        ReadVariationFile(*variation, workspace.variation, workspace.model);
}

// Writes a file again into directory, under its own name.
void rewrite(const fs::path& directory, const std::string& file, std::ostream& out,
             const std::function<void(const fs::path&)>& write)
{
    const fs::path target = directory / fs::path(file).filename();
    write(target);
    out << "Written " << target.string() << '\n';
}

int runCheck(const CliArguments& arguments, std::ostream& out)
{
    auto workspace = std::make_unique<Workspace>();
    std::string keyword;
    loadFiles(*workspace, arguments, keyword);
    const std::string modelFile = arguments.required("--model");
    const auto plantFile = arguments.value("--plant");
    const auto variationFile = arguments.value("--variation");
    out << modelSummary(workspace->model, modelFile) << '\n';
    if (plantFile)
        out << plantSummary(workspace->plant, keyword, *plantFile) << '\n';
    if (variationFile)
        out << variationSummary(workspace->variation, *variationFile) << '\n';
    const auto directory = arguments.value("--rewrite");
    if (!directory)
        return kExitSuccess;
    std::error_code ec;
    fs::create_directories(*directory, ec);
    if (ec)
        throw IoError(fmt::format("Cannot create the directory {}: {}.", *directory, ec.message()));
    const Workspace& w = *workspace;
    rewrite(*directory, modelFile, out,
            [&](const fs::path& target) { WriteModelFile(target, w.model); });
    if (plantFile)
        rewrite(*directory, *plantFile, out, [&](const fs::path& target) {
            WritePlantFile(target, keyword, w.model, w.plant, w.state);
        });
    if (variationFile)
        rewrite(*directory, *variationFile, out,
                [&](const fs::path& target) { WriteVariationFile(target, w.variation, w.model); });
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
    std::string keyword;
    loadFiles(*workspace, arguments, keyword);
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
        {"rates",
         kRatesHelp,
         {{"--model", "--plant", "--variation", "--compartment"}, {}, 0},
         runRates},
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
        } catch (const InvalidFileError& e) {
            err << e.what() << '\n' << "  " << e.detail() << '\n';
            return kExitError;
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

#include "cli/Commands.h"

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "plant/ModelSetup.h"
#include "plant/PlantFile.h"
#include "special/SpecialPlantFile.h"

#include <fmt/format.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace narv::cli {
namespace {

namespace fs = std::filesystem;

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

// Writes a file again into directory, under its own name.
fs::path rewrite(const fs::path& directory, const std::string& file, OutputSet& outputs,
                 const std::function<void(const fs::path&)>& write)
{
    const fs::path target = directory / fs::path(file).filename();
    write(outputs.stage(target));
    return target;
}

} // namespace

int runCheck(const CliArguments& arguments, std::ostream& out)
{
    auto workspace = std::make_unique<Workspace>();
    const std::string keyword = LoadCaseFiles(*workspace, arguments);
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
    // All files or none: a failure on the last leaves the directory as it was.
    OutputSet outputs;
    std::vector<fs::path> written;
    written.push_back(rewrite(*directory, modelFile, outputs,
                              [&](const fs::path& target) { WriteModelFile(target, w.model); }));
    if (plantFile)
        written.push_back(rewrite(*directory, *plantFile, outputs, [&](const fs::path& target) {
            WriteAnyPlantFile(target, keyword, w.model, w.plant, w.state, w.sbr, w.ai);
        }));
    std::optional<std::string> warning;
    if (variationFile)
        written.push_back(rewrite(*directory, *variationFile, outputs, [&](const fs::path& target) {
            warning = WriteAnyVariationFile(target, w.variation, workspace->aiVariation, w.model,
                                            w.plant);
        }));
    outputs.commit();
    if (warning)
        std::cerr << TerminalMessage(*warning) << '\n';
    for (const fs::path& target : written)
        out << "Written " << target.string() << '\n';
    return kExitSuccess;
}

int runRates(const CliArguments& arguments, std::ostream& out)
{
    auto workspace = std::make_unique<Workspace>();
    const std::string keyword = LoadCaseFiles(*workspace, arguments);
    const int compartment = arguments.integer("--compartment").value_or(1);
    if (compartment < 1 || compartment > MaxCompartments)
        throw UsageError(fmt::format("--compartment must lie between 1 and {}", MaxCompartments));
    TModelDef& model = workspace->model;
    ComputeConversionRates(model, workspace->plant, workspace->state, compartment);
    Json result;
    result["compartment"] = compartment;
    result["rho"] = Numbers(model.Rho.data(), model.NP);
    result["RS"] = Numbers(model.RS.data(), model.NS);
    result["RX"] = Numbers(model.RX.data(), model.NX);
    ComputeOxygenRate(model, workspace->plant, workspace->state, compartment);
    result["oxygen_rate"] = model.RS[1];
    out << result.dump(2) << '\n';
    return kExitSuccess;
}

} // namespace narv::cli

#include "shell/Command.h"

#include <utility>

namespace narv {
namespace {

const std::vector<std::pair<Command, std::string>>& commandCaptions()
{
    static const std::vector<std::pair<Command, std::string>> captions = {
        {Command::UserDirectory, "&USER Directory"},
        {Command::NewProject, "&New Project"},
        {Command::LoadProject, "&Load Project"},
        {Command::SaveProject, "&Save Project"},
        {Command::SaveProjectAs, "Save Project &as"},
        {Command::Exit, "&Exit"},
        {Command::NewVariation, "&New Variation"},
        {Command::LoadVariation, "&Load Variation"},
        {Command::EditVariation, "&Edit Variation"},
        {Command::SaveVariation, "&Save Variation"},
        {Command::SaveVariationAs, "Save Variation &as"},
        {Command::NewModel, "&New Model"},
        {Command::LoadUserModel, "Load &USER Model"},
        {Command::LoadInstalledModel, "Load NARV &Model"},
        {Command::EditModel, "&Edit active Model"},
        {Command::SaveModel, "&Save Model"},
        {Command::SaveModelAs, "Save Model &as"},
        {Command::ShowReport, "S&how Model and Plant as Text"},
        {Command::PrintReport, "&Print Model and Plant"},
        {Command::ExportReportText, "as &Text File"},
        {Command::DefineActivatedSludge, "&Activated Sludge Reactor"},
        {Command::DefineCstr, "&CSTR (Completely Stirred Tank Reactor) "},
        {Command::DefineBatch, "&Batch Reactor"},
        {Command::DefineSbr, "&SBR (Sequencing Batch Reactor)"},
        {Command::DefineAI, "A/I Processes"},
        {Command::EditFlowscheme, "&Edit Flowscheme"},
        {Command::FlowschemeGraphic, "&Graphic of Flowscheme"},
        {Command::ShowPlantState, "&Show State of Plant"},
        {Command::InfluentConcentrations, "&Concentrations in Influent"},
        {Command::ChangeTemperature, "Change &Temperature"},
        {Command::InitialConditions, "&Initial Conditions"},
        {Command::SavePlantFile, "Save Plant &File"},
        {Command::SavePlantFileAs, "Save Plant File &as"},
        {Command::LoadPlantFile, "&Load Plant File"},
        {Command::ControlLoops, "Control &Loops"},
        {Command::Relaxation, "&Relaxation"},
        {Command::Integration, "&Integration"},
        {Command::DynamicSimulation, "&Dynamic Simulation"},
        {Command::ContinuousSimulation, "&Continuous Simulation"},
        {Command::ShowResults, "Show &Results"},
        {Command::SaveResults, "&Save Results to File"},
        {Command::LoadResultsFromFile, "Load Results from &File"},
        {Command::ShowResultsFromFile, "Show Results from File"},
    };
    return captions;
}

} // namespace

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> commands = [] {
        std::vector<Command> list;
        for (const auto& entry : commandCaptions())
            list.push_back(entry.first);
        return list;
    }();
    return commands;
}

const std::string& CommandCaption(Command command)
{
    // The table lists the commands in the order of the enumeration.
    return commandCaptions()[static_cast<std::size_t>(command)].second;
}

std::optional<Command> CommandForCaption(const std::string& caption)
{
    for (const auto& [command, text] : commandCaptions())
        if (text == caption)
            return command;
    return std::nullopt;
}

std::optional<TFlowschemeType> DefinedPlantType(Command command)
{
    switch (command) {
    case Command::DefineActivatedSludge:
        return TFlowschemeType::ftASR;
    case Command::DefineCstr:
        return TFlowschemeType::ftCSTR;
    case Command::DefineBatch:
        return TFlowschemeType::ftBatch;
    case Command::DefineSbr:
        return TFlowschemeType::ftSBR;
    case Command::DefineAI:
        return TFlowschemeType::ftAI;
    default:
        return std::nullopt;
    }
}

} // namespace narv

#pragma once

#include "plant/PlantDef.h"

#include <optional>
#include <string>
#include <vector>

namespace narv {

// The commands of the main window. A face binds its menu items and tool buttons to these;
// the captions are what it shows.
enum class Command {
    UserDirectory,
    NewProject,
    LoadProject,
    SaveProject,
    SaveProjectAs,
    Exit,
    NewVariation,
    LoadVariation,
    EditVariation,
    SaveVariation,
    SaveVariationAs,
    NewModel,
    LoadUserModel,
    LoadInstalledModel,
    EditModel,
    SaveModel,
    SaveModelAs,
    ShowReport,
    PrintReport,
    ExportReportText,
    DefineActivatedSludge,
    DefineCstr,
    DefineBatch,
    DefineSbr,
    DefineAI,
    EditFlowscheme,
    FlowschemeGraphic,
    ShowPlantState,
    InfluentConcentrations,
    ChangeTemperature,
    InitialConditions,
    SavePlantFile,
    SavePlantFileAs,
    LoadPlantFile,
    ControlLoops,
    Relaxation,
    Integration,
    DynamicSimulation,
    ContinuousSimulation,
    ShowResults,
    SaveResults,
    LoadResultsFromFile,
    ShowResultsFromFile,
};

// Every command in menu order.
const std::vector<Command>& AllCommands();

// The caption of the command's menu item, which is its key in the ActionTable.
const std::string& CommandCaption(Command command);

// The command of a menu item; nothing for a menu, a sub-menu or an item without a command.
std::optional<Command> CommandForCaption(const std::string& caption);

// The plant type a "&Define new Flowscheme" command starts; nothing for other commands.
std::optional<TFlowschemeType> DefinedPlantType(Command command);

} // namespace narv

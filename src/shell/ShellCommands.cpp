#include "shell/ShellCommands.h"

#include "core/Error.h"
#include "core/Version.h"
#include "dynamics/Variation.h"
#include "plant/ControlLoops.h"
#include "plant/ModelSetup.h"
#include "shell/Computations.h"
#include "shell/UserDialogs.h"
#include "solvers/Relaxation.h"
#include "special/AIPlant.h"
#include "special/SpecialPlantFile.h"

#include <system_error>

namespace narv {
namespace fs = std::filesystem;

namespace {

constexpr const char* kModelFilter = "Model files (*.mod)|*.mod";
constexpr const char* kPlantFilter = "Plant files (*.pln)|*.pln";
constexpr const char* kVariationFilter = "Variation files (*.vrt)|*.vrt";

// A model name becomes a file name in the project: no extension, path or pattern in it.
bool isLegalModelName(const std::string& name)
{
    return !name.empty() && name.find_first_of(".\\/*$") == std::string::npos &&
           name.find_first_not_of(' ') != std::string::npos;
}

} // namespace

ShellCommands::ShellCommands(ProjectShell& shell, Workspace& workspace, UserDialogs& dialogs,
                             WindowPort& windows)
    : m_shell(shell), m_workspace(workspace), m_dialogs(dialogs), m_windows(windows)
{
}

void ShellCommands::startUp()
{
    m_actions = ActionTable(m_shell.contSimulationVisible);
    ShellState& state = m_shell.state();
    state = ShellState{};
    m_workspace.plant.PlantType = TFlowschemeType::ftUnknown;
    SetVariation(m_actions, state, plantType(), false);
    SetPlant(m_actions, state, plantType(), false);
    SetModel(m_actions, state, false);
    SetProject(m_actions, state, false);
    // Nothing has run yet: there are no results to save.
    setResultsAvailable(false);
    refresh();
}

void ShellCommands::refresh()
{
    RefreshSaveActions(m_actions, m_shell.state());
    m_statusLines = m_shell.statusLines();
}

bool ShellCommands::run(Command command)
{
    const std::string& item = CommandCaption(command);
    if (!m_actions.enabled(item) || !m_actions[item].visible)
        return false;
    if (const auto type = DefinedPlantType(command)) {
        defineFlowscheme(*type);
        return true;
    }
    using Page = WindowPort::PlantPage;
    using Output = WindowPort::ReportOutput;
    switch (command) {
    case Command::UserDirectory:
        chooseUserDirectory();
        break;
    case Command::NewProject:
        newProject();
        break;
    case Command::LoadProject:
        loadProject();
        break;
    case Command::SaveProject:
        saveProject();
        break;
    case Command::SaveProjectAs:
        saveProjectAs();
        break;
    case Command::Exit:
        close();
        break;
    case Command::NewVariation:
        newVariation();
        break;
    case Command::LoadVariation:
        loadVariation();
        break;
    case Command::EditVariation:
        editVariation();
        break;
    case Command::SaveVariation:
        saveVariation();
        break;
    case Command::SaveVariationAs:
        saveVariationAs();
        break;
    case Command::NewModel:
        newModel();
        break;
    case Command::LoadUserModel:
        loadUserModel();
        break;
    case Command::LoadInstalledModel:
        loadInstalledModel();
        break;
    case Command::EditModel:
        editModel();
        break;
    case Command::SaveModel:
        saveModel();
        break;
    case Command::SaveModelAs:
        saveModelAs();
        break;
    case Command::ShowReport:
        report(Output::Show);
        break;
    case Command::PrintReport:
        report(Output::Print);
        break;
    case Command::ExportReportText:
        report(Output::ExportText);
        break;
    case Command::EditFlowscheme:
        showPlantEditor(Page::Current);
        break;
    case Command::FlowschemeGraphic:
        showFlowschemeGraphic();
        break;
    case Command::ShowPlantState:
        showPlantEditor(Page::StateOfPlant);
        break;
    case Command::InfluentConcentrations:
        showPlantEditor(Page::InfluentConcentrations);
        break;
    case Command::ChangeTemperature:
        showPlantEditor(Page::Definition);
        break;
    case Command::InitialConditions:
        showPlantEditor(Page::InitialConditions);
        break;
    case Command::SavePlantFile:
        savePlantFile();
        break;
    case Command::SavePlantFileAs:
        savePlantFileAs();
        break;
    case Command::LoadPlantFile:
        loadPlantFile();
        break;
    case Command::ControlLoops:
        showControlLoops();
        break;
    case Command::Relaxation:
        relaxation();
        break;
    case Command::Integration:
        integration();
        break;
    case Command::DynamicSimulation:
        dynamicSimulation();
        break;
    case Command::ContinuousSimulation:
        continuousSimulation();
        break;
    case Command::ShowResults:
        showResults();
        break;
    case Command::SaveResults:
        saveResults();
        break;
    case Command::LoadResultsFromFile:
        loadResultsFromFile();
        break;
    case Command::ShowResultsFromFile:
        showResultsFromFile();
        break;
    case Command::DefineActivatedSludge:
    case Command::DefineCstr:
    case Command::DefineBatch:
    case Command::DefineSbr:
    case Command::DefineAI:
        break; // handled above
    }
    return true;
}

// --- project --------------------------------------------------------------------------------

void ShellCommands::applyLoadedProject()
{
    ShellState& state = m_shell.state();
    SetProject(m_actions, state, state.ProjectDefined);
    if (state.ProjectDefined) {
        SetModel(m_actions, state, state.ModelLoaded);
        SetPlant(m_actions, state, plantType(), state.PlantLoaded);
        SetVariation(m_actions, state, plantType(), state.VariationLoaded);
        // The plant editor applies the loaded plant's type, as for a plant file.
        if (state.PlantLoaded)
            m_windows.reloadPlantEditor();
    }
    refresh();
}

bool ShellCommands::runStartChoice(StartChoice choice)
{
    const bool result = m_shell.runStartChoice(choice);
    applyLoadedProject();
    return result;
}

bool ShellCommands::newProject()
{
    const bool result = m_shell.newProject();
    applyLoadedProject();
    return result;
}

bool ShellCommands::loadProject()
{
    const bool result = m_shell.loadProject();
    applyLoadedProject();
    return result;
}

void ShellCommands::loadProjectFiles(const ProjectSelection& selection)
{
    m_shell.loadProjectFiles(selection);
    applyLoadedProject();
}

bool ShellCommands::chooseUserDirectory()
{
    const bool result = m_shell.chooseUserDirectory();
    refresh();
    return result;
}

bool ShellCommands::openProjectDirectory(const fs::path& dir)
{
    const bool result = m_shell.openProjectDirectory(dir);
    applyLoadedProject();
    return result;
}

bool ShellCommands::saveProject()
{
    const bool result = m_shell.saveProject();
    refresh();
    return result;
}

bool ShellCommands::saveProjectAs()
{
    const bool result = m_shell.saveProjectAs();
    applyLoadedProject();
    return result;
}

// --- model ----------------------------------------------------------------------------------

bool ShellCommands::requireModel()
{
    if (m_shell.state().ModelLoaded)
        return true;
    m_dialogs.showMessage(kNoModelMessage);
    return false;
}

FileDialogOptions ShellCommands::saveOptions(const char* filter, const char* extension,
                                             const std::string& name) const
{
    return {filter, extension,
            m_shell.state().ProjectDefined ? m_shell.projectDir() : m_shell.userDir(), name};
}

void ShellCommands::dropVariation()
{
    m_shell.checkSave("variation");
    forgetVariation();
}

void ShellCommands::forgetVariation()
{
    SetVariation(m_actions, m_shell.state(), plantType(), false);
    m_shell.state().VariationSaved = true;
    m_shell.VariationFileName.clear();
}

void ShellCommands::newModel()
{
    m_shell.checkSave("model");
    const auto name = m_dialogs.askText(
        "New Model", "Please input a file name for the new model:", m_shell.projectName());
    if (!name)
        return;
    if (!isLegalModelName(*name)) {
        m_dialogs.showMessage(kIllegalModelName, {}, UserDialogs::Icon::Warning);
        return;
    }
    // The default set-up replaces the plant too: plant and variation of the old model go.
    ShellState& state = m_shell.state();
    if (state.PlantLoaded) {
        m_shell.checkSave("plant");
        SetPlant(m_actions, state, plantType(), false);
        state.PlantSaved = true;
        m_shell.PlantFileName.clear();
    }
    if (state.VariationLoaded)
        dropVariation();
    m_shell.ModelFileName = *name;
    SetModel(m_actions, state, true);
    state.ModelSaved = false;
    TModelDef& model = m_workspace.model;
    SetUpDefaultModel(model, m_workspace.plant, m_workspace.state);
    m_workspace.plant.PlantType = TFlowschemeType::ftUnknown;
    model.NP = 4;
    model.NS = 4;
    model.NX = 4;
    model.ProgramVersion = std::string("NARV Win Vers. ") + ProgramVersionText;
    model.ModelName = *name;
    refresh();
    m_windows.showNewModelWizard();
}

void ShellCommands::loadModelFrom(const fs::path& dir)
{
    m_shell.checkSave("model");
    // Asked before the read: the variation is written in terms of the model it was made for.
    m_shell.checkSave("variation");
    const auto path = m_dialogs.chooseOpenFile({"Model files (*.mod)|*.MOD", {}, dir, {}});
    if (!path)
        return;
    try {
        ReadModelFile(*path, m_workspace.model, m_workspace.plant, m_workspace.state);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        return;
    }
    ShellState& state = m_shell.state();
    // The variation is sized by the model: it starts over. The plant keeps its layout but
    // takes the model's concentrations, so it differs from its file.
    if (state.VariationLoaded)
        forgetVariation();
    ResetVariation(m_workspace.variation, m_workspace.model, m_workspace.plant);
    m_shell.ModelFileName = path->stem().string();
    SetModel(m_actions, state, true);
    state.ModelSaved = false; // saving the project copies the model into it
    if (state.PlantLoaded) {
        SetPlant(m_actions, state, plantType(), true);
        state.PlantSaved = false;
    }
    refresh();
    m_windows.showModelEditor();
}

void ShellCommands::loadUserModel()
{
    std::error_code ec;
    if (!fs::is_directory(m_shell.userModelDir(), ec)) {
        m_dialogs.showMessage("No \\model directory in the current user directory.\n"
                              "Please choose a legal user directory!",
                              {}, UserDialogs::Icon::Warning);
        chooseUserDirectory();
        return;
    }
    loadModelFrom(m_shell.userModelDir());
}

void ShellCommands::loadInstalledModel()
{
    loadModelFrom(m_shell.installedModelDir());
}

void ShellCommands::editModel()
{
    if (!m_shell.state().ModelLoaded) {
        m_dialogs.showMessage("No model loaded.\nPlease load or define a model!");
        return;
    }
    m_windows.showModelEditor();
    m_shell.state().ModelSaved = false;
    refresh();
}

void ShellCommands::saveModel()
{
    m_shell.saveModel();
    refresh();
}

void ShellCommands::saveModelAs()
{
    if (!requireModel())
        return;
    if (!m_dialogs.askYesNo("If you are not an experienced NARV user, \nuse [Save] to save the "
                            "model instead of [Save as].\nProceed anyway?",
                            {}, UserDialogs::Icon::Information))
        return;
    const auto path =
        m_dialogs.chooseSaveFile(saveOptions(kModelFilter, "MOD", m_shell.ModelFileName));
    if (!path)
        return;
    try {
        WriteModelFile(*path, m_workspace.model);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        return;
    }
    m_shell.ModelFileName = path->stem().string();
    m_shell.state().ModelSaved = true;
    refresh();
}

void ShellCommands::report(WindowPort::ReportOutput output)
{
    if (!requireModel())
        return;
    if (output != WindowPort::ReportOutput::ExportText) {
        m_windows.showReport(output);
        return;
    }
    const auto options = m_windows.chooseReportOptions();
    if (!options)
        return;
    const auto path = m_dialogs.chooseSaveFile(
        saveOptions("Text files (*.txt)|*.TXT", "TXT", m_shell.ModelFileName));
    if (!path)
        return;
    const ReportInput input{m_workspace.model, m_workspace.plant, m_workspace.state,
                            ReportFilesName(m_shell.userDir(), m_shell.ModelFileName)};
    try {
        WriteReportFile(*path, input, *options);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        return;
    }
    m_dialogs.showMessage(
        ReportSavedMessage(path->filename().string(), path->parent_path().string()));
}

// --- plant ----------------------------------------------------------------------------------

void ShellCommands::defineFlowscheme(TFlowschemeType type)
{
    if (!requireModel())
        return;
    m_shell.checkSave("plant");
    ShellState& state = m_shell.state();
    // Variation files cannot be used together with SBR.
    if (type == TFlowschemeType::ftSBR && state.VariationLoaded)
        dropVariation();
    m_workspace.plant.PlantType = type;
    m_shell.setUpPlantTypeEditors(type);
    m_windows.startNewPlant(type);
    if (type != TFlowschemeType::ftSBR)
        m_windows.showFlowschemeGraphic();
    m_windows.showPlantEditor(WindowPort::PlantPage::Current);
    m_shell.PlantFileName = m_shell.projectName();
    SetPlant(m_actions, state, type, true);
    // A new cycle is empty: it is run only after the editor has let it go balanced.
    if (type == TFlowschemeType::ftSBR)
        m_actions.setEnabled(CommandCaption(Command::DynamicSimulation), false);
    state.PlantSaved = false;
    ResetControlLoops(m_workspace.plant.ControlLoops);
    m_workspace.plant.ControlLoopsActive = false;
    if (type == TFlowschemeType::ftAI)
        ResetLaneLoops(m_workspace.ai);
    refresh();
}

void ShellCommands::loadPlantFile()
{
    if (!requireModel())
        return;
    m_shell.checkSave("plant");
    // Offered under the model's name: a project's plant is usually named like its model.
    const auto path = m_dialogs.chooseOpenFile(
        {"Plant files (*.pln)|*.PLN", {}, m_shell.projectDir(), m_shell.ModelFileName});
    if (!path)
        return;
    Workspace& w = m_workspace;
    TFlowschemeType type = TFlowschemeType::ftUnknown;
    try {
        type = FlowschemeTypeFromKeyword(
            ReadAnyPlantFile(*path, w.model, w.plant, w.state, w.sbr, w.ai));
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        return;
    }
    w.plant.PlantType = type;
    ShellState& state = m_shell.state();
    const bool sbr = type == TFlowschemeType::ftSBR;
    if (sbr && state.VariationLoaded)
        dropVariation();
    SetPlant(m_actions, state, type, true);
    state.PlantSaved = true;
    m_shell.PlantFileName = path->stem().string();
    m_shell.setUpPlantTypeEditors(type);
    m_windows.reloadPlantEditor();
    if (sbr) {
        m_windows.showPlantEditor(WindowPort::PlantPage::Current);
    } else {
        m_windows.closeFlowschemeGraphic();
        m_windows.showFlowschemeGraphic();
    }
    refresh();
}

void ShellCommands::savePlantFile()
{
    m_shell.savePlant();
    refresh();
}

void ShellCommands::savePlantFileAs()
{
    if (!requireModel() || !m_shell.state().PlantLoaded)
        return;
    const auto path =
        m_dialogs.chooseSaveFile(saveOptions(kPlantFilter, "PLN", m_shell.PlantFileName));
    if (!path)
        return;
    const Workspace& w = m_workspace;
    try {
        WriteAnyPlantFile(*path, FlowschemeKeyword(w.plant.PlantType), w.model, w.plant, w.state,
                          w.sbr, w.ai);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        return;
    }
    m_shell.PlantFileName = path->stem().string();
    m_dialogs.showMessage("Plant " + m_shell.PlantFileName + " saved in " +
                          path->parent_path().string() + " .");
    m_shell.state().PlantSaved = true;
    refresh();
}

void ShellCommands::plantEditorClosed()
{
    m_windows.closeFlowschemeGraphic();
    m_actions.setEnabled(CommandCaption(Command::DynamicSimulation), true);
}

void ShellCommands::showPlantEditor(WindowPort::PlantPage page)
{
    m_windows.showPlantEditor(page);
}

void ShellCommands::showFlowschemeGraphic()
{
    m_windows.showFlowschemeGraphic();
}

void ShellCommands::showControlLoops()
{
    m_windows.showControlLoops();
}

// --- variation ------------------------------------------------------------------------------

bool ShellCommands::refuseSbrVariation()
{
    if (!m_shell.state().PlantLoaded || plantType() != TFlowschemeType::ftSBR)
        return false;
    m_dialogs.showMessage(kSbrVariationMessage, {}, UserDialogs::Icon::Warning);
    return true;
}

void ShellCommands::newVariation()
{
    if (refuseSbrVariation())
        return;
    m_shell.checkSave("variation");
    m_windows.startNewVariation();
    m_windows.showVariationEditor(WindowPort::VariationPage::Current);
    m_shell.VariationFileName = m_shell.projectName();
    ShellState& state = m_shell.state();
    SetVariation(m_actions, state, plantType(), true);
    state.VariationSaved = false;
    refresh();
}

void ShellCommands::loadVariation()
{
    if (!requireModel() || refuseSbrVariation())
        return;
    m_shell.checkSave("variation");
    const auto path =
        m_dialogs.chooseOpenFile({"Variation files (*.vrt)|*.VRT", {}, m_shell.projectDir(), {}});
    if (!path)
        return;
    Workspace& w = m_workspace;
    std::optional<std::string> warning;
    try {
        warning = ReadAnyVariationFile(*path, w.variation, w.aiVariation, w.model, w.plant, w.ai);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        return;
    }
    if (warning)
        m_dialogs.showMessage(*warning, {}, UserDialogs::Icon::Warning);
    ShellState& state = m_shell.state();
    SetVariation(m_actions, state, plantType(), true);
    state.VariationSaved = true;
    m_shell.VariationFileName = path->stem().string();
    m_windows.showVariationEditor(WindowPort::VariationPage::Options);
    refresh();
}

void ShellCommands::editVariation()
{
    m_windows.showVariationEditor(WindowPort::VariationPage::Current);
}

void ShellCommands::saveVariation()
{
    m_shell.saveVariation();
    refresh();
}

void ShellCommands::saveVariationAs()
{
    if (!requireModel() || !m_shell.state().VariationLoaded)
        return;
    const auto path =
        m_dialogs.chooseSaveFile(saveOptions(kVariationFilter, "VRT", m_shell.VariationFileName));
    if (!path)
        return;
    Workspace& w = m_workspace;
    try {
        const auto warning =
            WriteAnyVariationFile(*path, w.variation, w.aiVariation, w.model, w.plant);
        if (warning)
            m_dialogs.showMessage(*warning, {}, UserDialogs::Icon::Warning);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        return;
    }
    m_shell.VariationFileName = path->stem().string();
    m_shell.state().VariationSaved = true;
    refresh();
}

// --- computations ---------------------------------------------------------------------------

void ShellCommands::relaxation()
{
    if (plantType() == TFlowschemeType::ftAI) {
        m_dialogs.showMessage(kAIComputationMessage, {}, UserDialogs::Icon::Warning);
        return;
    }
    if (plantType() == TFlowschemeType::ftSBR) {
        m_dialogs.showMessage(kSbrComputationMessage, {}, UserDialogs::Icon::Warning);
        return;
    }
    if (m_workspace.plant.ControlLoopsActive) {
        m_dialogs.showMessage(kControlLoopsActiveMessage, {}, UserDialogs::Icon::Warning);
        return;
    }
    m_windows.showRelaxation();
}

void ShellCommands::integration()
{
    if (plantType() == TFlowschemeType::ftAI) {
        m_dialogs.showMessage(kAIComputationMessage, {}, UserDialogs::Icon::Warning);
        return;
    }
    if (plantType() == TFlowschemeType::ftSBR) {
        m_dialogs.showMessage(kSbrComputationMessage, {}, UserDialogs::Icon::Warning);
        return;
    }
    m_windows.showIntegration();
}

void ShellCommands::dynamicSimulation()
{
    m_windows.commitPlantEditor();
    if (m_shell.state().VariationLoaded || plantType() == TFlowschemeType::ftSBR)
        m_windows.showDynamicSimulation();
    else
        m_dialogs.showMessage(kNoVariationForDynamics, {}, UserDialogs::Icon::Warning);
}

void ShellCommands::continuousSimulation()
{
    if (m_shell.state().PlantLoaded)
        m_windows.showContinuousSimulation();
}

// --- results --------------------------------------------------------------------------------

void ShellCommands::setResultsAvailable(bool available)
{
    m_workspace.resultsAvailable = available;
    m_actions.setEnabled(CommandCaption(Command::SaveResults), available);
}

void ShellCommands::runFinished()
{
    setResultsAvailable(m_workspace.resultsAvailable);
}

void ShellCommands::showResults()
{
    m_windows.showResults();
}

void ShellCommands::saveResults()
{
    const auto path =
        m_dialogs.chooseSaveFile({"Result files (*.rlt)|*.RLT", "rlt", m_shell.projectDir(), {}});
    if (!path)
        return;
    try {
        SaveRunResults(m_workspace, *path);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
    }
}

void ShellCommands::loadResultsFromFile()
{
    const auto path =
        m_dialogs.chooseOpenFile({"Result files (*.rlt)|*.RLT", {}, m_shell.projectDir(), {}});
    if (path)
        openResultsFile(*path);
}

bool ShellCommands::openResultsFile(const fs::path& path)
{
    try {
        LoadResults(path, m_workspace.resultsFromFile);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        return false;
    }
    m_windows.openResultsFromFile(path);
    m_actions.setEnabled(CommandCaption(Command::ShowResultsFromFile), true);
    return true;
}

void ShellCommands::showResultsFromFile()
{
    m_windows.showResultsFromFile();
}

// --- closing --------------------------------------------------------------------------------

bool ShellCommands::close()
{
    // Checked first: a running simulation keeps changing what the questions would save.
    if (m_windows.continuousSimulationRunning()) {
        if (!m_windows.integrationWindowActive())
            m_windows.showContinuousSimulation();
        return false;
    }
    // Any other run is inside its window's loop: closing would pull the data from under it.
    switch (m_actions.run()) {
    case RunKind::None:
        break;
    case RunKind::Integration:
        m_windows.showIntegration();
        return false;
    case RunKind::Relaxation:
        m_windows.showRelaxation();
        return false;
    case RunKind::DynamicSimulation:
        m_windows.showDynamicSimulation();
        return false;
    case RunKind::ContinuousSimulation:
        m_windows.showContinuousSimulation();
        return false;
    }
    const bool saved = m_shell.saveProject();
    refresh();
    if (!saved || m_shell.state().SaveCancelled)
        return false;
    m_windows.closeHelp();
    return true;
}

} // namespace narv

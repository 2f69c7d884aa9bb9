#include "shell/ProjectShell.h"

#include "core/Error.h"
#include "core/TextUtil.h"
#include "core/Version.h"
#include "dynamics/Variation.h"
#include "plant/ModelSetup.h"
#include "shell/Directories.h"
#include "shell/MenuHints.h"
#include "shell/UserDialogs.h"
#include "special/SpecialPlantFile.h"

#include <system_error>

namespace narv {
namespace fs = std::filesystem;

namespace {

constexpr const char* kIllegalProjectName = "Illegal project name.\nPlease choose another name!";
constexpr const char* kCannotCreateProject =
    "Could not create project directory.\nPlease choose another name!";

// A project is one directory level below UserDir and never the user's model directory.
bool isLegalProjectName(const std::string& name)
{
    const std::string_view trimmed = TrimBlanks(name);
    return !trimmed.empty() && trimmed == name && name != "." && name != ".." &&
           ToLower(name) != "model" && name.find_first_of("\\/") == std::string::npos;
}

bool fileExists(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

} // namespace

std::string MainWindowCaption()
{
    return std::string("NARV ") + ProgramVersionText;
}

std::optional<std::string> DecimalSeparatorNotice(char localeDecimalSeparator)
{
    if (localeDecimalSeparator != ',')
        return std::nullopt;
    return "NARV uses point as decimal separator. Please input all decimals with points, not "
           "with commas";
}

ProjectShell::ProjectShell(fs::path programDir, Workspace& workspace, UserDialogs& dialogs)
    : m_programDir(std::move(programDir)), m_workspace(workspace), m_dialogs(dialogs),
      m_log(m_programDir / EventLog::kFileName)
{
}

bool ProjectShell::ensureUserDirectories()
{
    return EnsureDirectory(m_userDir, m_dialogs) && EnsureDirectory(m_userModelDir, m_dialogs);
}

bool ProjectShell::startUp()
{
    try {
        m_settings = ReadShellSettings(m_programDir / kSettingsFileName);
    } catch (const Error& error) {
        m_dialogs.showError(std::string(error.what()) + "\nThe default settings are used.");
        m_settings = ShellSettings{};
    }
    m_userDir = ResolveDirectorySetting(m_settings.User, m_programDir);
    m_userModelDir = UserModelDirOf(m_userDir, m_settings.Model);
    m_installedModelDir = InstalledModelDirOf(m_settings.NARVModel, m_programDir);
    ContInputName = m_settings.LastContInput;
    ContOutputName = m_settings.LastContOutput;
    contSimulationVisible = m_settings.ContSimulation;
    m_workspace.model.NameS[1] = m_settings.NameS1;
    if (!ensureUserDirectories())
        return false;
    m_log.add("UserDir=" + m_userDir.string());
    m_log.write();

    m_state = ShellState{};
    m_workspace.plant.PlantType = TFlowschemeType::ftUnknown;
    m_projectName.clear();
    m_projectDir.clear();
    ModelFileName.clear();
    PlantFileName.clear();
    VariationFileName.clear();
    m_helpFile = m_programDir / "NARV Help.hlp";
    if (!ensureUserDirectories())
        return false;
    m_menuHints = ReadMenuHints(m_programDir / "NARV.men");
    SetUpDefaultModel(m_workspace.model, m_workspace.plant, m_workspace.state);
    m_projects = ListProjects(m_userDir);
    m_log.add("Reading project directories!");
    return true;
}

StartDialogChoices ProjectShell::startDialogChoices() const
{
    return StartDialogChoicesFor(m_projects, m_settings.LastProject);
}

bool ProjectShell::runStartChoice(StartChoice choice)
{
    if (!startDialogChoices().enabled(choice))
        return false;
    switch (choice) {
    case StartChoice::CreateNewProject:
        return newProject();
    case StartChoice::OpenLastProject:
        loadProjectFiles({m_settings.LastProject, m_settings.LastModel, m_settings.LastPlant,
                          m_settings.LastVariation});
        return m_state.ProjectDefined;
    case StartChoice::OpenExistingProject:
        return loadProject() && m_state.ProjectDefined;
    }
    return false;
}

bool ProjectShell::newProject()
{
    if (!m_state.projectSaved()) {
        checkSave("model");
        checkSave("plant");
        checkSave("variation");
    }
    const auto name =
        m_dialogs.askText("New Project", "Please input project directory name:", m_projectName);
    if (!name)
        return false;
    if (!isLegalProjectName(*name)) {
        m_dialogs.showMessage(kIllegalProjectName, {}, UserDialogs::Icon::Warning);
        return false;
    }
    const fs::path dir = m_userDir / *name;
    std::error_code ec;
    if (fs::create_directory(dir, ec) && !ec) {
        m_dialogs.showMessage("Project directory " + dir.string() + " is created.\n" +
                              "All project data will be saved in this directory.");
    } else if (fs::is_directory(dir, ec)) {
        m_dialogs.showMessage(
            "Project directory already exists!\nData will be saved in this project.");
    } else {
        m_dialogs.showMessage(kCannotCreateProject, {}, UserDialogs::Icon::Warning);
        return false;
    }
    m_projectName = *name;
    m_projectDir = dir;
    m_projects = ListProjects(m_userDir);
    m_state.ProjectDefined = true;
    // Loaded parts count as unsaved, so that saving the project writes them into the new one.
    if (m_state.ModelLoaded)
        m_state.ModelSaved = false;
    if (m_state.PlantLoaded)
        m_state.PlantSaved = false;
    if (m_state.VariationLoaded)
        m_state.VariationSaved = false;
    return true;
}

bool ProjectShell::loadProject()
{
    ProjectChooser chooser(m_userDir);
    if (!m_dialogs.chooseProject(chooser))
        return false;
    loadProjectFiles(chooser.selection());
    return true;
}

void ProjectShell::loadProjectFiles(const ProjectSelection& selection)
{
    // Asked before the names change: an unsaved part must go to its own project, not to the
    // one being loaded.
    checkSave("model");
    checkSave("plant");
    checkSave("variation");
    m_projectName = selection.projectName;
    m_projectDir = m_projectName.empty() ? fs::path() : m_userDir / m_projectName;
    ModelFileName = selection.modelFileName;
    PlantFileName = selection.plantFileName;
    VariationFileName = selection.variationFileName;
    m_state.ProjectDefined = !m_projectName.empty();
    if (!m_state.ProjectDefined) {
        m_state.ModelLoaded = m_state.PlantLoaded = m_state.VariationLoaded = false;
        m_state.ModelSaved = m_state.PlantSaved = m_state.VariationSaved = true;
        return;
    }
    loadModel();
    loadPlant();
    loadVariation();
}

void ProjectShell::loadModel()
{
    m_state.ModelLoaded = false;
    m_state.ModelSaved = true;
    if (ModelFileName.empty())
        return;
    try {
        ReadModelFile(m_projectDir / (ModelFileName + ".mod"), m_workspace.model, m_workspace.plant,
                      m_workspace.state);
        ResetVariation(m_workspace.variation, m_workspace.model, m_workspace.plant);
        m_state.ModelLoaded = true;
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        ModelFileName.clear();
    }
}

void ProjectShell::loadPlant()
{
    m_state.PlantLoaded = false;
    m_state.PlantSaved = true;
    // A plant belongs to a model: without one its file cannot be read.
    if (PlantFileName.empty() || !m_state.ModelLoaded) {
        PlantFileName.clear();
        return;
    }
    try {
        const std::string keyword =
            ReadAnyPlantFile(m_projectDir / (PlantFileName + ".pln"), m_workspace.model,
                             m_workspace.plant, m_workspace.state, m_workspace.sbr, m_workspace.ai);
        m_workspace.plant.PlantType = FlowschemeTypeFromKeyword(keyword);
        m_state.PlantLoaded = true;
        m_log.add("Load plant:" + (m_projectDir / PlantFileName).string() + ".pln type=" + keyword);
        m_log.write();
        setUpPlantTypeEditors(m_workspace.plant.PlantType);
        m_log.add("Reactor type setting successful.");
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        PlantFileName.clear();
    }
}

void ProjectShell::loadVariation()
{
    m_state.VariationLoaded = false;
    m_state.VariationSaved = true;
    if (VariationFileName.empty() || !m_state.ModelLoaded) {
        VariationFileName.clear();
        return;
    }
    if (m_state.PlantLoaded && m_workspace.plant.PlantType == TFlowschemeType::ftSBR) {
        m_dialogs.showMessage("Variation files cannot be used together with SBR!", {},
                              UserDialogs::Icon::Warning);
        VariationFileName.clear();
        return;
    }
    try {
        const auto warning = ReadAnyVariationFile(
            m_projectDir / (VariationFileName + ".vrt"), m_workspace.variation,
            m_workspace.aiVariation, m_workspace.model, m_workspace.plant, m_workspace.ai);
        m_state.VariationLoaded = true;
        if (warning)
            m_dialogs.showMessage(*warning, {}, UserDialogs::Icon::Warning);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
        VariationFileName.clear();
    }
}

void ProjectShell::setUpPlantTypeEditors(TFlowschemeType type)
{
    if (m_editorsCreated) {
        for (const char* form : {"aFormDefFlowscheme", "aFormGraphicFlowscheme", "aFormVariation",
                                 "aFormControlLoops"})
            m_log.add(std::string("FreeForm ") + form);
    }
    const char* suffix = type == TFlowschemeType::ftAI ? "AI" : "";
    for (const char* form :
         {"TFormDefFlowscheme", "TFormGraphicFlowscheme", "TFormVariation", "TFormControlLoops"})
        m_log.add(std::string(form) + suffix + " creation successful.");
    m_editorsCreated = true;
    m_log.write();
}

bool ProjectShell::chooseUserDirectory()
{
    const auto chosen = m_dialogs.chooseDirectory(m_userDir);
    return chosen && useUserDirectory(*chosen);
}

bool ProjectShell::useUserDirectory(const fs::path& dir)
{
    const fs::path modelDir = UserModelDirOf(dir, m_settings.Model);
    if (!EnsureDirectory(modelDir, m_dialogs))
        return false;
    m_userDir = dir;
    m_userModelDir = modelDir;
    m_settings.User = DirectorySettingFor(m_userDir, m_programDir);
    m_projects = ListProjects(m_userDir);
    return true;
}

bool ProjectShell::openProjectDirectory(const fs::path& dir)
{
    std::error_code ec;
    const fs::path project = fs::canonical(dir, ec);
    if (ec || !fs::is_directory(project, ec)) {
        m_dialogs.showError("Project directory " + dir.string() + " does not exist.");
        return false;
    }
    const std::string name = project.filename().string();
    if (!isLegalProjectName(name) || project.parent_path() == project) {
        m_dialogs.showError(project.string() + " cannot be a project directory.");
        return false;
    }
    if (project.parent_path() != m_userDir && !useUserDirectory(project.parent_path()))
        return false;
    ProjectChooser chooser(m_userDir);
    const auto& names = chooser.projects();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            chooser.selectProject(static_cast<int>(i));
    loadProjectFiles(chooser.selection());
    return m_state.ProjectDefined;
}

void ProjectShell::checkSave(const std::string& kind)
{
    const bool unsaved = kind == "model"       ? m_state.ModelLoaded && !m_state.ModelSaved
                         : kind == "plant"     ? m_state.PlantLoaded && !m_state.PlantSaved
                         : kind == "variation" ? m_state.VariationLoaded && !m_state.VariationSaved
                                               : false;
    if (!unsaved || !m_dialogs.askYesNo("Active " + kind + " not saved.\nDo you like to save it?"))
        return;
    if (kind == "model")
        saveModel();
    else if (kind == "plant")
        savePlant();
    else
        saveVariation();
}

template <class Write>
bool ProjectShell::saveInProject(const char* kindWord, const std::string& name,
                                 const char* extension, bool& saved, Write write)
{
    if (!m_state.ProjectDefined) {
        m_dialogs.showMessage("No project defined.\nPlease create or load a project!", {},
                              UserDialogs::Icon::Warning);
        m_state.SaveCancelled = true;
        return false;
    }
    const fs::path target = m_projectDir / (name + extension);
    const std::string dir = m_projectDir.string();
    if (fileExists(target)) {
        switch (m_dialogs.askYesNoCancel(std::string(kindWord) + " " + name +
                                             " already exists in " + dir + ".\n" +
                                             "Do you want to overwrite it?",
                                         std::string("Save ") + kindWord)) {
        case UserDialogs::Answer::Yes:
            break;
        case UserDialogs::Answer::No:
            m_state.SaveCancelled = false;
            return false;
        case UserDialogs::Answer::Cancel:
            m_state.SaveCancelled = true;
            return false;
        }
    }
    try {
        write(target);
    } catch (const Error& error) {
        // A failed write must keep the program open like a cancelled one, or the data is lost.
        m_dialogs.showError(error.what());
        m_state.SaveCancelled = true;
        return false;
    }
    m_dialogs.showMessage(std::string(kindWord) + " " + name + " saved in " + dir + " .");
    saved = true;
    m_state.SaveCancelled = false;
    return true;
}

void ProjectShell::saveModel()
{
    if (!m_state.ModelLoaded) {
        m_dialogs.showMessage("No model loaded !");
        return;
    }
    if (m_state.ModelSaved)
        return;
    saveInProject("Model", ModelFileName, ".mod", m_state.ModelSaved,
                  [this](const fs::path& path) { WriteModelFile(path, m_workspace.model); });
}

void ProjectShell::savePlant()
{
    if (!m_state.ModelLoaded) {
        m_dialogs.showMessage("No model loaded !");
        return;
    }
    if (!m_state.PlantLoaded || m_state.PlantSaved)
        return;
    saveInProject("Plant", PlantFileName, ".pln", m_state.PlantSaved, [this](const fs::path& path) {
        const Workspace& w = m_workspace;
        WriteAnyPlantFile(path, FlowschemeKeyword(w.plant.PlantType), w.model, w.plant, w.state,
                          w.sbr, w.ai);
    });
}

void ProjectShell::saveVariation()
{
    if (!m_state.ModelLoaded) {
        m_dialogs.showMessage("No model loaded !");
        return;
    }
    if (!m_state.VariationLoaded || m_state.VariationSaved)
        return;
    std::optional<std::string> warning;
    saveInProject("Variation", VariationFileName, ".vrt", m_state.VariationSaved,
                  [this, &warning](const fs::path& path) {
                      Workspace& w = m_workspace;
                      warning =
                          WriteAnyVariationFile(path, w.variation, w.aiVariation, w.model, w.plant);
                  });
    if (warning)
        m_dialogs.showMessage(*warning, {}, UserDialogs::Icon::Warning);
}

bool ProjectShell::saveProject()
{
    m_state.SaveCancelled = false;
    bool cancelled = false;
    const auto save = [&](bool loaded, bool saved, void (ProjectShell::*command)()) {
        if (loaded && !saved) {
            (this->*command)();
            cancelled = cancelled || m_state.SaveCancelled;
        }
    };
    save(m_state.ModelLoaded, m_state.ModelSaved, &ProjectShell::saveModel);
    save(m_state.PlantLoaded, m_state.PlantSaved, &ProjectShell::savePlant);
    save(m_state.VariationLoaded, m_state.VariationSaved, &ProjectShell::saveVariation);
    // A later answer must not clear a Cancel given for an earlier part.
    m_state.SaveCancelled = cancelled;
    saveSettings();
    return !cancelled;
}

bool ProjectShell::saveProjectAs()
{
    std::string name = m_projectName;
    fs::path dir;
    for (;;) {
        const auto answer = m_dialogs.askText("Save Project as",
                                              "Project Name in " + m_userDir.string() + ":", name);
        if (!answer)
            return false;
        name = *answer;
        if (!isLegalProjectName(name)) {
            if (!m_dialogs.askOkCancel(kIllegalProjectName, "Warning!"))
                return false;
            continue;
        }
        dir = m_userDir / name;
        std::error_code ec;
        if (fs::create_directory(dir, ec) && !ec)
            break;
        if (fs::is_directory(dir, ec)) {
            const auto choice = m_dialogs.askYesNoCancel(
                "Project directory already exists!\nDo you want to choose another name?",
                "Warning!");
            if (choice == UserDialogs::Answer::Yes)
                continue;
            if (choice == UserDialogs::Answer::No)
                break;
            return false;
        }
        if (!m_dialogs.askOkCancel(kCannotCreateProject, "Warning!"))
            return false;
    }
    m_projectName = name;
    m_projectDir = dir;
    m_state.ProjectDefined = true;
    m_projects = ListProjects(m_userDir);
    const ShellState before = m_state;
    m_state.ModelSaved = m_state.PlantSaved = m_state.VariationSaved = false;
    const bool saved = saveProject();
    // A part that is not loaded keeps its mark; a loaded one is saved exactly when it was
    // written into the new project.
    if (!before.ModelLoaded)
        m_state.ModelSaved = before.ModelSaved;
    if (!before.PlantLoaded)
        m_state.PlantSaved = before.PlantSaved;
    if (!before.VariationLoaded)
        m_state.VariationSaved = before.VariationSaved;
    return saved;
}

void ProjectShell::saveSettings()
{
    const auto inProject = [this](const std::string& name, const char* extension) {
        return m_state.ProjectDefined && !name.empty() &&
               fileExists(m_projectDir / (name + extension));
    };
    const auto lastFile = [&](const std::string& name, const char* extension) {
        return inProject(name, extension) ? name : std::string();
    };
    m_settings.LastProject = m_state.ProjectDefined ? m_projectName : std::string();
    m_settings.LastModel = lastFile(ModelFileName, ".mod");
    m_settings.LastPlant = lastFile(PlantFileName, ".pln");
    m_settings.LastVariation = lastFile(VariationFileName, ".vrt");
    ContNamesToWrite contNames{inProject(ContInputName, ".csv"), inProject(ContOutputName, ".csv")};
    if (contNames.input)
        m_settings.LastContInput = ContInputName;
    if (contNames.output)
        m_settings.LastContOutput = ContOutputName;
    m_settings.ContSimulation = contSimulationVisible;
    m_settings.NameS1 = m_workspace.model.NameS[1];
    try {
        WriteShellSettings(m_programDir / kSettingsFileName, m_settings, contNames);
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
    }
}

std::array<std::string, 5> ProjectShell::statusLines() const
{
    return {m_state.ProjectDefined ? " Project: " + m_projectName : " No Project defined",
            m_state.ModelLoaded ? " Model:      " + ModelFileName : " No Model defined",
            m_state.PlantLoaded ? " Plant:     " + PlantFileName : " No Plant defined",
            m_state.VariationLoaded ? " Variation: " + VariationFileName : " No Variation defined",
            m_userDir.empty() ? " No User Directory defined"
                              : " User Directory: " + m_userDir.string()};
}

} // namespace narv

#pragma once

#include "plant/PlantDef.h"
#include "shell/EventLog.h"
#include "shell/ProjectChooser.h"
#include "shell/SettingsFile.h"
#include "shell/StartDialog.h"
#include "shell/Workspace.h"

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace narv {

class UserDialogs;

// Whether project, model, plant and variation are active and saved.
struct ShellState {
    bool ProjectDefined = false;
    bool ModelLoaded = false;
    bool PlantLoaded = false;
    bool VariationLoaded = false;
    bool ModelSaved = true;
    bool PlantSaved = true;
    bool VariationSaved = true;
    bool SaveCancelled = false; // the user answered Cancel to an overwrite question

    bool projectSaved() const { return ModelSaved && PlantSaved && VariationSaved; }
};

// The application title followed by a blank and the program version.
std::string MainWindowCaption();

// The notice shown at start-up when the user's locale writes decimals with a comma: the
// program reads and shows numbers with a point whatever the locale.
std::optional<std::string> DecimalSeparatorNotice(char localeDecimalSeparator);

// The application shell's start-up, directories, settings and project commands, acting on one
// Workspace and asking the user only through UserDialogs.
class ProjectShell {
public:
    // programDir holds the settings, menu-hint and log files (the working directory at start).
    ProjectShell(std::filesystem::path programDir, Workspace& workspace, UserDialogs& dialogs);

    // Reads the settings, makes sure of the user and user model directories, starts the log,
    // reads the menu hints, sets up the default model and lists the projects. False when a
    // directory is missing and cannot be created: the program ends.
    bool startUp();

    StartDialogChoices startDialogChoices() const;
    // Runs a choice of the start dialog. False when the start dialog has to be shown again
    // (a new project was not defined, or no project was chosen).
    bool runStartChoice(StartChoice choice);

    // "&New Project". False when no project was defined.
    bool newProject();
    // "&Load Project": the "Choose Project" dialog, then the project's files. False on Cancel.
    bool loadProject();
    // Takes the names of the selection and loads model, plant and variation in this order.
    void loadProjectFiles(const ProjectSelection& selection);
    // "&USER Directory". False when nothing changed.
    bool chooseUserDirectory();
    // Opens the project in dir as choosing it in "Choose Project" does, with the files the
    // dialog preselects; the directory above it becomes the user directory. False, after a
    // message, when dir is no project directory.
    bool openProjectDirectory(const std::filesystem::path& dir);
    // "&Save Project": every loaded and unsaved part, then the settings. False when the user
    // cancelled an overwrite question.
    bool saveProject();
    // "Save Project &as". False when the command was cancelled or a save was cancelled.
    bool saveProjectAs();
    void saveSettings();

    // The save commands of model, plant and variation into the project directory, with the
    // overwrite question; and the question whether to save an unsaved one first.
    void saveModel();
    void savePlant();
    void saveVariation();
    void checkSave(const std::string& kind);

    // Logs the discarding and creation of the plant-type dependent editors and writes the log.
    void setUpPlantTypeEditors(TFlowschemeType type);

    // Project, model, plant, variation and user directory as the status lines show them.
    std::array<std::string, 5> statusLines() const;

    ShellState& state() { return m_state; }
    const ShellState& state() const { return m_state; }
    const ShellSettings& settings() const { return m_settings; }
    ShellSettings& settings() { return m_settings; }
    TSimSettings& simSettings() { return m_settings.simulation; }
    EventLog& log() { return m_log; }
    const std::map<std::string, std::string>& menuHints() const { return m_menuHints; }
    const std::vector<std::string>& projects() const { return m_projects; }

    const std::filesystem::path& programDir() const { return m_programDir; }
    const std::filesystem::path& userDir() const { return m_userDir; }
    const std::filesystem::path& userModelDir() const { return m_userModelDir; }
    const std::filesystem::path& installedModelDir() const { return m_installedModelDir; }
    const std::filesystem::path& projectDir() const { return m_projectDir; }
    const std::filesystem::path& helpFile() const { return m_helpFile; }
    const std::string& projectName() const { return m_projectName; }

    std::string ModelFileName;
    std::string PlantFileName;
    std::string VariationFileName;
    std::string ContInputName;
    std::string ContOutputName;
    bool contSimulationVisible = false; // the settings key StartUp/ContSimulation

private:
    bool ensureUserDirectories();
    // Makes dir the user directory once its model directory exists or was created.
    bool useUserDirectory(const std::filesystem::path& dir);
    bool askProjectName(const std::string& caption, const std::string& prompt, std::string& name);
    // Writes one part into the project directory after the overwrite question.
    template <class Write>
    bool saveInProject(const char* kindWord, const std::string& name, const char* extension,
                       bool& saved, Write write);
    void loadModel();
    void loadPlant();
    void loadVariation();

    std::filesystem::path m_programDir;
    Workspace& m_workspace;
    UserDialogs& m_dialogs;
    ShellSettings m_settings;
    ShellState m_state;
    EventLog m_log;
    bool m_editorsCreated = false;
    std::map<std::string, std::string> m_menuHints;
    std::vector<std::string> m_projects;
    std::filesystem::path m_userDir;
    std::filesystem::path m_userModelDir;
    std::filesystem::path m_installedModelDir;
    std::filesystem::path m_helpFile;
    std::string m_projectName;
    std::filesystem::path m_projectDir;
};

} // namespace narv

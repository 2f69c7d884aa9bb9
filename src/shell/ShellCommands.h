#pragma once

#include "shell/ActionTable.h"
#include "shell/Command.h"
#include "shell/ProjectShell.h"
#include "shell/UserDialogs.h"
#include "shell/WindowPort.h"

#include <array>
#include <string>

namespace narv {

inline constexpr const char* kNoModelMessage = "No model loaded !";
inline constexpr const char* kIllegalModelName = "Illegal model name.\nPlease choose another name!";
inline constexpr const char* kSbrVariationMessage =
    "Variation files cannot be used together with SBR!";
inline constexpr const char* kNoVariationForDynamics =
    "To perform a dynamic simulation \nyou have to define a variation file.";

// The main window's commands and state without a window: what every command requires, asks
// and does, and which items are enabled afterwards. The window forwards its menu items here
// and copies actions() and statusLines() after each command.
class ShellCommands {
public:
    ShellCommands(ProjectShell& shell, Workspace& workspace, UserDialogs& dialogs,
                  WindowPort& windows);

    // After ProjectShell::startUp: nothing active, nothing to save.
    void startUp();
    // The saved marks, the save commands and the status lines.
    void refresh();

    // Runs a command of a menu item or tool button. False for a disabled or hidden item: such a
    // command cannot be reached from the window.
    bool run(Command command);

    bool runStartChoice(StartChoice choice);
    bool newProject();
    bool loadProject();
    void loadProjectFiles(const ProjectSelection& selection);
    bool chooseUserDirectory();
    bool openProjectDirectory(const std::filesystem::path& dir);
    bool saveProject();
    bool saveProjectAs();

    void newModel();
    void loadUserModel();
    void loadInstalledModel();
    void editModel();
    void saveModel();
    void saveModelAs();
    void report(WindowPort::ReportOutput output);

    void defineFlowscheme(TFlowschemeType type);
    void loadPlantFile();
    void savePlantFile();
    void savePlantFileAs();
    void showPlantEditor(WindowPort::PlantPage page);
    // The plant editor was closed: the picture goes with it and the dynamic simulation, held
    // while a new SBR cycle is defined, can be chosen again.
    void plantEditorClosed();
    void showFlowschemeGraphic();
    void showControlLoops();

    void newVariation();
    void loadVariation();
    void editVariation();
    void saveVariation();
    void saveVariationAs();

    void relaxation();
    void integration();
    void dynamicSimulation();
    void continuousSimulation();

    // Called when a run has produced results (or the results were discarded): only then can
    // they be saved.
    void setResultsAvailable(bool available);
    // Called by a computation window when its run ended: saving follows the workspace's
    // results.
    void runFinished();
    void showResults();
    void saveResults();
    void loadResultsFromFile();
    // The results file read and shown as "Load Results from File" does after its dialog;
    // false (after the message) when it cannot be read.
    bool openResultsFile(const std::filesystem::path& path);
    void showResultsFromFile();

    // A computation starts (its kind) or ends (RunKind::None): the commands it holds follow.
    void setRunning(RunKind run)
    {
        m_actions.setRun(run);
        m_workspace.runLasts = run != RunKind::None;
    }
    RunKind running() const { return m_actions.run(); }

    // Closing the main window ("&Exit" too). False when closing is refused.
    bool close();

    const ActionTable& actions() const { return m_actions; }
    const std::array<std::string, 5>& statusLines() const { return m_statusLines; }
    TFlowschemeType plantType() const { return m_workspace.plant.PlantType; }

private:
    // The flags after ProjectShell loaded or dropped a project's files, in load order.
    void applyLoadedProject();
    void loadModelFrom(const std::filesystem::path& dir);
    // Asks to save an unsaved variation, then forgets it.
    void dropVariation();
    void forgetVariation();
    // An SBR plant runs its own cycle: a variation is refused with a message.
    bool refuseSbrVariation();
    bool requireModel();
    // The save dialog of a part: start in the project (the user directory without one).
    FileDialogOptions saveOptions(const char* filter, const char* extension,
                                  const std::string& name) const;

    ProjectShell& m_shell;
    Workspace& m_workspace;
    UserDialogs& m_dialogs;
    WindowPort& m_windows;
    ActionTable m_actions;
    std::array<std::string, 5> m_statusLines;
};

} // namespace narv

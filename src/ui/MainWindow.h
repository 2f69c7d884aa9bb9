#pragma once

#include "shell/EventList.h"
#include "shell/ProjectShell.h"
#include "shell/ShellCommands.h"
#include "shell/WindowPort.h"
#include "shell/Workspace.h"
#include "ui/results/ResultsWindow.h"

#include <QtWidgets/QMainWindow>

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace narv {

class HelpLauncher;
class ModelForm;
class NewModelWizardWindow;
class PlantWindows;
class ResultsWindow;
class QtUserDialogs;
class RunWindowHost;
class RunWindows;
class ReportOutputs;
class VariationWindow;
class VariationWindowHost;
class SplashWindow;

// The main window ("TMainForm"): the menus and tool bar of the shell's commands, the five
// status lines and the hint line. It owns the workspace and the shell, forwards every command
// to ShellCommands, copies the enabling of the commands onto its actions after each one, and
// opens the other windows for the shell (WindowPort).
class MainWindow : public QMainWindow, public WindowPort {
    Q_OBJECT
public:
    // programDir holds the settings, menu-hint and log files. Without dialogs the window asks
    // with Qt dialogs; tests pass a scripted fake.
    explicit MainWindow(std::filesystem::path programDir, UserDialogs* dialogs = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    // The decimal-point notice when the user's locale writes decimals with a comma; then
    // settings, directories, log, menu hints, default model, project list, and the commands
    // in their state without a project. False when the program has to end.
    bool startUp(QChar localeDecimalSeparator = QLatin1Char('.'));
    // After a window changed the shell's state (an editor marked the plant unsaved, a run
    // produced results): the saved marks, enabling and status lines again.
    void shellStateChanged();
    // A run's progress when no run window shows it: in the hint line while the program is the
    // active one, otherwise as the main window's caption (what the task bar shows), which
    // comes back when the program is activated again.
    void showRunProgress(const QString& progress, const QString& inactiveCaption);
    // The splash window and the start dialog "Welcome to NARV" until a choice led somewhere.
    // False when the start dialog was cancelled: the program ends.
    bool runStartDialog();
    // "narv PROJECT_DIR": the project without the start dialog.
    bool openProjectDirectory(const std::filesystem::path& dir);
    // "narv --results FILE": that results file in its own window, as "Load Results from File".
    bool openResultsFile(const std::filesystem::path& path);

    // Runs a menu item or tool button by its caption, as choosing it does; a disabled or
    // hidden item does nothing.
    void runCommand(const std::string& caption);
    // The enabling, visibility and status lines of the shell onto the window.
    void syncActions();

    QAction* action(const std::string& caption) const;
    RunWindows& runWindows() { return *m_runWindows; }
    VariationWindow* variationWindow() { return m_variationWindow.get(); }
    QMenu* menu(const std::string& caption) const;
    QToolBar* toolBar() const { return m_toolBar; }
    QString statusLine(int index) const;

    Workspace& workspace() { return m_workspace; }
    ProjectShell& shell() { return m_shell; }
    ShellCommands& commands() { return m_commands; }
    UserDialogs& dialogs() { return m_dialogs; }
    HelpLauncher& help() { return *m_help; }
    void setHelpLauncher(std::unique_ptr<HelpLauncher> help);
    PlantWindows& plantWindows() { return *m_plantWindows; }

    // The results window of the last run and the one of the results file read last (null
    // until first shown).
    ResultsWindow* resultsWindow() const { return m_resultsWindow.get(); }
    ResultsWindow* resultsFromFileWindow() const { return m_resultsFromFileWindow.get(); }
    // A run replaced the results: the results window, when open, shows the new charts.
    void resultsChanged();

    // "&Configuration"; modal.
    void showConfiguration();

    // The model editor, the new-model wizard and the report's destinations, made on first use.
    ModelForm& modelForm();
    NewModelWizardWindow* newModelWizardWindow() const { return m_wizard.get(); }
    ReportOutputs& reportOutputs();

    // WindowPort: the windows of the later desktop parts say that they are not there yet.
    void showNewModelWizard() override;
    void showModelEditor() override;
    void showReport(ReportOutput output) override;
    std::optional<TPrintOptions> chooseReportOptions() override;
    void startNewPlant(TFlowschemeType type) override;
    void reloadPlantEditor() override;
    void commitPlantEditor() override;
    void showPlantEditor(PlantPage page) override;
    void showFlowschemeGraphic() override;
    void closeFlowschemeGraphic() override;
    void showControlLoops() override;
    void startNewVariation() override;
    void showVariationEditor(VariationPage page) override;
    void showRelaxation() override;
    void showIntegration() override;
    void showDynamicSimulation() override;
    void showContinuousSimulation() override;
    bool continuousSimulationRunning() const override;
    bool integrationWindowActive() const override;
    void showResults() override;
    void openResultsFromFile(const std::filesystem::path& path) override;
    void showResultsFromFile() override;
    void closeHelp() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusLines();
    void installHints();
    ResultsWindowContext resultsContext();
    // After a run the results window, when open, shows the new charts.
    void refreshResultsWindow();
    // Commands the window answers itself: configuration and help.
    bool runWindowCommand(const std::string& caption);

    Workspace m_workspace;
    std::unique_ptr<QtUserDialogs> m_ownDialogs;
    UserDialogs& m_dialogs;
    ProjectShell m_shell;
    ShellCommands m_commands;
    EventList m_editEvents; // the edit events that "Show &Events" lists
    std::unique_ptr<HelpLauncher> m_help;
    std::unique_ptr<PlantWindows> m_plantWindows;
    std::unique_ptr<ResultsWindow> m_resultsWindow;
    std::unique_ptr<ResultsWindow> m_resultsFromFileWindow;
    std::string m_shownRunId; // the run whose charts the results window shows
    std::map<std::string, QAction*> m_actions;
    std::map<std::string, QMenu*> m_menus;
    std::map<std::string, QAction*> m_toolActions;
    QToolBar* m_toolBar = nullptr;
    std::array<QLabel*, 5> m_statusLines{};
    QString m_captionWhileInactive; // the caption to put back on activation; empty if none
    std::unique_ptr<RunWindowHost> m_runHost;
    std::unique_ptr<RunWindows> m_runWindows;
    std::unique_ptr<VariationWindowHost> m_variationHost;
    std::unique_ptr<VariationWindow> m_variationWindow; // made when first shown
    // Declared last: the windows go before the workspace they show.
    std::unique_ptr<ModelForm> m_modelForm;
    std::unique_ptr<NewModelWizardWindow> m_wizard;
    std::unique_ptr<ReportOutputs> m_reports;
};

} // namespace narv

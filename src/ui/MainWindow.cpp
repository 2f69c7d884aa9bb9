#include "ui/MainWindow.h"

#include "core/Error.h"
#include "plant/PlantEditor.h"
#include "shell/MenuItems.h"
#include "ui/ConfigurationDialog.h"
#include "ui/DesktopFormat.h"
#include "ui/HelpLauncher.h"
#include "ui/QtUserDialogs.h"
#include "ui/SplashWindow.h"
#include "ui/StartDialogWindow.h"
#include "ui/ToolBarIcons.h"
#include "ui/model/ModelForm.h"
#include "ui/model/NewModelWizardWindow.h"
#include "ui/report/ReportOutputs.h"
#include "ui/runs/ContinuousSimulationWindow.h"
#include "ui/runs/DynamicSimulationWindow.h"
#include "ui/runs/IntegrationWindow.h"
#include "ui/runs/RelaxationWindow.h"
#include "ui/runs/RunWindows.h"
#include "ui/plant/PlantWindows.h"
#include "ui/variation/VariationWindow.h"

#include <QtCore/QLocale>
#include <QtGui/QClipboard>
#include <QtGui/QCloseEvent>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QVBoxLayout>

namespace narv {
namespace {

UserDialogs& chooseDialogs(UserDialogs* given, std::unique_ptr<QtUserDialogs>& own, QWidget* parent)
{
    if (given != nullptr)
        return *given;
    own = std::make_unique<QtUserDialogs>(parent);
    return *own;
}

// The run windows' way to the shell, the commands and the other windows.
class MainRunHost : public RunWindowHost {
public:
    explicit MainRunHost(MainWindow& window) : m_window(window) {}

    Workspace& workspace() override { return m_window.workspace(); }
    const TSimSettings& simSettings() override { return m_window.shell().simSettings(); }
    UserDialogs& dialogs() override { return m_window.dialogs(); }
    std::filesystem::path projectDir() override { return m_window.shell().projectDir(); }
    ChartSetup chartSetup() override
    {
        const ProjectShell& shell = m_window.shell();
        ChartSetup setup;
        setup.ProjectName = shell.projectName();
        setup.ModelName = shell.ModelFileName;
        setup.PlantName = shell.PlantFileName;
        setup.VariationName = shell.VariationFileName;
        setup.BottomAxisTitle = shell.settings().BottomAxisTitleCaption;
        return setup;
    }
    ContinuousNames continuousNames() override
    {
        return {m_window.shell().ContInputName, m_window.shell().ContOutputName};
    }
    void setContinuousNames(const ContinuousNames& names) override
    {
        m_window.shell().ContInputName = names.input;
        m_window.shell().ContOutputName = names.output;
    }
    void setRunning(RunKind run) override
    {
        m_window.commands().setRunning(run);
        m_window.syncActions();
        if (run == RunKind::None)
            m_window.statusBar()->clearMessage();
    }
    void markPlantModified() override
    {
        m_window.shell().state().PlantSaved = false;
        m_window.shellStateChanged();
    }
    void showPlantPage(WindowPort::PlantPage page) override { m_window.showPlantEditor(page); }
    void refreshPlantPage(WindowPort::PlantPage) override
    {
        m_window.plantWindows().refreshPlantState();
    }
    void runResultsChanged() override
    {
        m_window.commands().runFinished();
        m_window.syncActions();
        m_window.resultsChanged();
    }
    void showResults() override { m_window.showResults(); }
    void showRunProgress(const QString& progress) override
    {
        m_window.showRunProgress(progress, progress);
    }

private:
    MainWindow& m_window;
};

// The variation window's way to the shell and the event list.
class MainVariationHost : public VariationWindowHost {
public:
    MainVariationHost(MainWindow& window, EventList& events) : m_window(window), m_events(events)
    {
    }
    Workspace& workspace() override { return m_window.workspace(); }
    UserDialogs& dialogs() override { return m_window.dialogs(); }
    void variationModified() override
    {
        if (!m_window.shell().state().VariationSaved)
            return;
        m_window.shell().state().VariationSaved = false;
        m_window.shellStateChanged();
    }
    void addEvent(const std::string& line) override { m_events.add(line); }
    // The kla columns are headed as the plant editor labels its reactors.
    std::vector<std::string> reactorLabels() override
    {
        return ReactorLabels(m_window.workspace().plant);
    }
    std::string clipboardText() override
    {
        return QGuiApplication::clipboard()->text().toStdString();
    }
    void setClipboardText(const std::string& text) override
    {
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    }

private:
    MainWindow& m_window;
    EventList& m_events;
};

// The hint line holds one line: the hint's line breaks become blanks.
QString hintLine(const std::string& hint)
{
    return ToQString(hint).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
}

// Where a separator goes: after these items.
bool separatorAfter(const std::string& item)
{
    static const char* const items[] = {"&USER Directory",
                                        "Save Project &as",
                                        "Save Variation &as",
                                        "Load NARV &Model",
                                        "Save Model &as",
                                        "&Define new Flowscheme",
                                        "&Initial Conditions",
                                        "Save Plant File &as",
                                        "&Load Plant File",
                                        "Show &Results",
                                        "&Find"};
    for (const char* i : items)
        if (item == i)
            return true;
    return false;
}

} // namespace

MainWindow::MainWindow(std::filesystem::path programDir, UserDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), m_dialogs(chooseDialogs(dialogs, m_ownDialogs, this)),
      m_shell(std::move(programDir), m_workspace, m_dialogs),
      m_commands(m_shell, m_workspace, m_dialogs, *this),
      m_help(CreateHelpLauncher(this, m_editEvents)),
      m_runHost(std::make_unique<MainRunHost>(*this)),
      m_runWindows(std::make_unique<RunWindows>(*m_runHost, this)),
      m_variationHost(std::make_unique<MainVariationHost>(*this, m_editEvents))
{
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(ToQString(MainWindowCaption()));
    setAccessibleName(windowTitle());
    m_commands.startUp();
    buildMenus();
    buildToolBar();
    buildStatusLines();
    statusBar()->setObjectName(QStringLiteral("HintLine"));
    statusBar()->setAccessibleName(QStringLiteral("Hint"));
    statusBar()->setSizeGripEnabled(false);

    // The hidden command: not in a menu, only its shortcut.
    auto* events = new QAction(QStringLiteral("Show &Events"), this);
    events->setObjectName(QStringLiteral("ShowEvents1"));
    events->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+E")));
    connect(events, &QAction::triggered, this, [this] { m_help->showEvents(); });
    addAction(events);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && !m_captionWhileInactive.isEmpty()) {
                    setWindowTitle(m_captionWhileInactive);
                    m_captionWhileInactive.clear();
                }
            });

    PlantWindows::Hooks plant;
    plant.plantModified = [this] {
        m_shell.state().PlantSaved = false;
        shellStateChanged();
    };
    plant.editorClosed = [this] {
        m_commands.plantEditorClosed();
        syncActions();
    };
    plant.saveDirectory = [this] {
        return m_shell.state().ProjectDefined ? m_shell.projectDir() : m_shell.userDir();
    };
    m_plantWindows = std::make_unique<PlantWindows>(m_workspace, m_dialogs, std::move(plant), this);
    syncActions();
}

MainWindow::~MainWindow() = default;

void MainWindow::setHelpLauncher(std::unique_ptr<HelpLauncher> help)
{
    m_help = std::move(help);
}

bool MainWindow::startUp(QChar localeDecimalSeparator)
{
    // Numbers are read and shown with a point whatever the locale; the user is told once.
    QLocale::setDefault(QLocale::c());
    const char separator = localeDecimalSeparator == QLatin1Char(',') ? ',' : '.';
    if (const auto notice = DecimalSeparatorNotice(separator))
        m_dialogs.showMessage(*notice);
    if (!m_shell.startUp())
        return false;
    m_commands.startUp();
    installHints();
    syncActions();
    return true;
}

void MainWindow::showRunProgress(const QString& progress, const QString& inactiveCaption)
{
    if (QGuiApplication::applicationState() == Qt::ApplicationActive) {
        statusBar()->showMessage(progress);
        return;
    }
    if (m_captionWhileInactive.isEmpty())
        m_captionWhileInactive = windowTitle();
    setWindowTitle(inactiveCaption);
}

void MainWindow::shellStateChanged()
{
    m_commands.refresh();
    syncActions();
    refreshResultsWindow();
}

bool MainWindow::runStartDialog()
{
    SplashWindow splash;
    splash.show();
    const QRect splashFrame = splash.frameGeometry();
    for (;;) {
        StartDialogWindow start(m_shell.startDialogChoices(), this);
        start.adjustSize();
        // The lower right corner of the splash window, overlapping it by 10 pixels.
        const QSize size = start.frameGeometry().size();
        start.move(splashFrame.right() + 1 - size.width() + 10,
                   splashFrame.bottom() + 1 - size.height() + 10);
        connect(&start, &StartDialogWindow::helpRequested, this,
                [this](const QString& topic) { m_help->showTopic(topic); });
        if (start.exec() != QDialog::Accepted)
            return false;
        bool done = false;
        try {
            done = m_commands.runStartChoice(start.choice());
        } catch (const std::exception& error) {
            m_dialogs.showError(error.what());
        }
        syncActions();
        if (done)
            return true;
    }
}

bool MainWindow::openProjectDirectory(const std::filesystem::path& dir)
{
    bool opened = false;
    try {
        opened = m_commands.openProjectDirectory(dir);
    } catch (const std::exception& error) {
        m_dialogs.showError(error.what());
    }
    syncActions();
    return opened;
}

bool MainWindow::openResultsFile(const std::filesystem::path& path)
{
    const bool opened = m_commands.openResultsFile(path);
    syncActions();
    return opened;
}

void MainWindow::buildMenus()
{
    const ActionTable& table = m_commands.actions();
    for (const auto& [menuCaption, items] : table.menus()) {
        QMenu* menu = menuBar()->addMenu(ToQString(menuCaption));
        menu->setObjectName(QString::fromStdString(MenuComponentName(menuCaption)));
        m_menus[menuCaption] = menu;
        std::map<std::string, QMenu*> subMenus;
        std::set<std::string> children;
        for (const std::string& item : items)
            for (const std::string& child : table.subItems(item))
                children.insert(child);
        for (const std::string& item : items) {
            QAction* action = nullptr;
            const auto sub = table.subItems(item);
            if (!sub.empty()) {
                QMenu* subMenu = menu->addMenu(ToQString(item));
                subMenu->setObjectName(QString::fromStdString(MenuComponentName(item)));
                subMenus[item] = subMenu;
                m_menus[item] = subMenu;
                action = subMenu->menuAction();
            } else {
                QMenu* owner = menu;
                for (const auto& [parent, subMenu] : subMenus)
                    for (const std::string& child : table.subItems(parent))
                        if (child == item)
                            owner = subMenu;
                action = owner->addAction(ToQString(item));
                const std::string shortcut = table[item].shortcut;
                if (!shortcut.empty())
                    action->setShortcut(QKeySequence(QString::fromStdString(shortcut)));
                const std::string caption = item;
                connect(action, &QAction::triggered, this,
                        [this, caption] { runCommand(caption); });
            }
            action->setObjectName(QString::fromStdString(MenuComponentName(item)));
            m_actions[item] = action;
            if (separatorAfter(item) && children.count(item) == 0)
                menu->addSeparator();
        }
        m_actions[menuCaption] = menu->menuAction();
    }
}

void MainWindow::buildToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Tools"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setAccessibleName(QStringLiteral("Tool bar"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    const ActionTable& table = m_commands.actions();
    std::string previousMenu;
    for (const auto& [menuCaption, items] : table.menus()) {
        for (const std::string& item : items) {
            if (!table[item].hasToolButton)
                continue;
            if (!previousMenu.empty() && previousMenu != menuCaption)
                m_toolBar->addSeparator();
            previousMenu = menuCaption;
            auto* action = new QAction(ToolBarIcon(item), PlainCaption(item), this);
            action->setToolTip(PlainCaption(item));
            action->setObjectName(QString::fromStdString(MenuComponentName(item)) +
                                  QStringLiteral("Button"));
            const std::string caption = item;
            connect(action, &QAction::triggered, this, [this, caption] { runCommand(caption); });
            m_toolBar->addAction(action);
            m_toolActions[item] = action;
        }
    }
}

void MainWindow::buildStatusLines()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("StatusLines"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(3);
    static const char* const names[] = {"StatusProject", "StatusModel", "StatusPlant",
                                        "StatusVariation", "StatusUserDirectory"};
    for (std::size_t i = 0; i < m_statusLines.size(); ++i) {
        auto* line = new QLabel(panel);
        line->setObjectName(QString::fromLatin1(names[i]));
        line->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        line->setMinimumWidth(420);
        layout->addWidget(line);
        m_statusLines[i] = line;
    }
    layout->addStretch();
    setCentralWidget(panel);
}

void MainWindow::installHints()
{
    const auto& fileHints = m_shell.menuHints();
    for (const auto& [caption, action] : m_actions) {
        const QString hint = hintLine(MenuItemHint(caption, fileHints));
        action->setStatusTip(hint);
        const auto tool = m_toolActions.find(caption);
        if (tool != m_toolActions.end())
            tool->second->setStatusTip(hint);
    }
}

void MainWindow::syncActions()
{
    const ActionTable& table = m_commands.actions();
    for (const auto& [caption, action] : m_actions) {
        action->setEnabled(table.enabled(caption));
        action->setVisible(table[caption].visible);
    }
    for (const auto& [caption, action] : m_toolActions) {
        action->setEnabled(table.enabled(caption));
        action->setVisible(table[caption].visible && table[caption].toolButtonVisible);
    }
    const auto& lines = m_commands.statusLines();
    for (std::size_t i = 0; i < m_statusLines.size(); ++i) {
        m_statusLines[i]->setText(ToQString(lines[i]));
        m_statusLines[i]->setAccessibleName(m_statusLines[i]->text());
    }
}

QAction* MainWindow::action(const std::string& caption) const
{
    const auto found = m_actions.find(caption);
    return found == m_actions.end() ? nullptr : found->second;
}

QMenu* MainWindow::menu(const std::string& caption) const
{
    const auto found = m_menus.find(caption);
    return found == m_menus.end() ? nullptr : found->second;
}

QString MainWindow::statusLine(int index) const
{
    return m_statusLines.at(static_cast<std::size_t>(index))->text();
}

bool MainWindow::runWindowCommand(const std::string& caption)
{
    if (caption == "&Exit") {
        close();
    } else if (caption == "&Configuration") {
        showConfiguration();
    } else if (caption == "&Contents") {
        m_help->showContents();
    } else if (caption == "&Index") {
        m_help->showIndex();
    } else if (caption == "&Find") {
        m_help->showFind();
    } else if (caption == "&About...") {
        m_help->showAbout();
    } else {
        return false;
    }
    return true;
}

void MainWindow::runCommand(const std::string& caption)
{
    const ActionTable& table = m_commands.actions();
    if (!table.enabled(caption) || !table[caption].visible)
        return;
    // What is being typed in the model editor belongs to the model a command saves or reads.
    if (m_modelForm && m_modelForm->isVisible() && !m_modelForm->commit())
        return;
    try {
        if (!runWindowCommand(caption))
            if (const auto command = CommandForCaption(caption))
                m_commands.run(*command);
    } catch (const std::exception& error) {
        m_dialogs.showError(error.what());
    }
    syncActions();
}

void MainWindow::showConfiguration()
{
    ConfigurationDialog dialog(m_shell.settings(), m_dialogs, this);
    dialog.exec();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    bool close = false;
    try {
        close = m_commands.close();
    } catch (const std::exception& error) {
        m_dialogs.showError(error.what());
    }
    syncActions();
    if (close)
        event->accept();
    else
        event->ignore();
}

// --- windows ---------------------------------------------------------------------------------

ModelForm& MainWindow::modelForm()
{
    if (!m_modelForm) {
        m_modelForm = std::make_unique<ModelForm>(m_workspace.model,
                                                  m_workspace.plant.OperatingTemperature, m_dialogs);
        connect(m_modelForm.get(), &ModelForm::closed, this, &MainWindow::shellStateChanged);
    }
    return *m_modelForm;
}

ReportOutputs& MainWindow::reportOutputs()
{
    if (!m_reports)
        m_reports = std::make_unique<ReportOutputs>(this);
    return *m_reports;
}

void MainWindow::showNewModelWizard()
{
    ModelForm& form = modelForm();
    m_wizard.reset();
    form.open();
    form.show();
    m_wizard = std::make_unique<NewModelWizardWindow>(form, m_dialogs);
    connect(m_wizard.get(), &NewModelWizardWindow::finished, this, [this] {
        setEnabled(true);
        shellStateChanged();
    });
    setEnabled(false);
    m_wizard->show();
    m_wizard->move(form.frameGeometry().right() - m_wizard->width(),
                   form.frameGeometry().bottom() + 8);
}

void MainWindow::showModelEditor()
{
    ModelForm& form = modelForm();
    form.open();
    form.show();
    form.raise();
    form.activateWindow();
}

void MainWindow::showReport(ReportOutput output)
{
    const ReportDestination destination =
        output == ReportOutput::Print ? ReportDestination::Printer : ReportDestination::Window;
    const auto options =
        reportOutputs().chooseOptions(destination, m_shell.state().PlantLoaded);
    if (!options)
        return;
    const ReportInput input{m_workspace.model, m_workspace.plant, m_workspace.state,
                            ReportFilesName(m_shell.userDir(), m_shell.ModelFileName)};
    try {
        if (destination == ReportDestination::Window)
            reportOutputs().show(input, *options);
        else
            reportOutputs().print(input, *options,
                                  (m_shell.userDir() / (m_shell.ModelFileName + ".pdf")).string());
    } catch (const std::exception& error) {
        m_dialogs.showError(error.what());
    }
}

std::optional<TPrintOptions> MainWindow::chooseReportOptions()
{
    return reportOutputs().chooseOptions(ReportDestination::TextFile,
                                         m_shell.state().PlantLoaded);
}

void MainWindow::startNewPlant(TFlowschemeType type)
{
    m_plantWindows->startNewPlant(type);
}

void MainWindow::reloadPlantEditor()
{
    m_plantWindows->reloadPlantEditor();
}

void MainWindow::commitPlantEditor()
{
    m_plantWindows->commitPlantEditor();
}

void MainWindow::closeFlowschemeGraphic()
{
    m_plantWindows->closeFlowschemeGraphic();
}

void MainWindow::showPlantEditor(PlantPage page)
{
    m_plantWindows->showPlantEditor(page);
}

void MainWindow::showFlowschemeGraphic()
{
    m_plantWindows->showFlowschemeGraphic();
}

void MainWindow::showControlLoops()
{
    m_plantWindows->showControlLoops();
}

// A new variation is taken up when the window is shown next.
void MainWindow::startNewVariation()
{
    if (m_variationWindow && m_variationWindow->isVisible())
        m_variationWindow->open(true);
}

void MainWindow::showVariationEditor(VariationPage page)
{
    if (!m_variationWindow)
        m_variationWindow = std::make_unique<VariationWindow>(*m_variationHost, this);
    m_variationWindow->open(page == VariationPage::Options);
    m_variationWindow->show();
    m_variationWindow->raise();
    m_variationWindow->activateWindow();
}

void MainWindow::showRelaxation()
{
    m_runWindows->show(m_runWindows->relaxation());
}

void MainWindow::showIntegration()
{
    m_runWindows->show(m_runWindows->integration());
}

void MainWindow::showDynamicSimulation()
{
    m_runWindows->show(m_runWindows->dynamicSimulation());
}

void MainWindow::showContinuousSimulation()
{
    m_runWindows->show(m_runWindows->continuousSimulation());
}

bool MainWindow::continuousSimulationRunning() const
{
    return m_runWindows->continuousSimulationRunning();
}

bool MainWindow::integrationWindowActive() const
{
    return m_runWindows->integrationWindowActive();
}

ResultsWindowContext MainWindow::resultsContext()
{
    ResultsWindowContext context;
    context.projectDir = [this] { return m_shell.projectDir(); };
    context.chartSetup = [this] {
        ChartSetup setup;
        setup.ProjectName = m_shell.projectName();
        const auto stem = [](const std::string& file) {
            return std::filesystem::path(file).stem().string();
        };
        setup.ModelName = stem(m_shell.ModelFileName);
        setup.PlantName = stem(m_shell.PlantFileName);
        setup.VariationName = stem(m_shell.VariationFileName);
        return setup;
    };
    return context;
}

void MainWindow::resultsChanged()
{
    if (!m_resultsWindow)
        return;
    m_shownRunId = m_workspace.results.RunId;
    m_resultsWindow->refresh();
}

void MainWindow::refreshResultsWindow()
{
    if (!m_resultsWindow || m_shownRunId == m_workspace.results.RunId)
        return;
    m_shownRunId = m_workspace.results.RunId;
    m_resultsWindow->refresh();
}

void MainWindow::showResults()
{
    if (!m_resultsWindow) {
        m_resultsWindow =
            std::make_unique<ResultsWindow>(m_workspace.results, m_dialogs, resultsContext());
        m_shownRunId = m_workspace.results.RunId;
    } else {
        m_shownRunId = m_workspace.results.RunId;
        m_resultsWindow->refresh();
    }
    m_resultsWindow->present();
}

void MainWindow::openResultsFromFile(const std::filesystem::path& path)
{
    m_resultsFromFileWindow.reset();
    m_resultsFromFileWindow =
        std::make_unique<ResultsWindow>(m_workspace.resultsFromFile, m_dialogs, resultsContext());
    m_resultsFromFileWindow->setSourceFile(path);
    m_resultsFromFileWindow->present();
}

void MainWindow::showResultsFromFile()
{
    if (m_resultsFromFileWindow)
        m_resultsFromFileWindow->present();
}

void MainWindow::closeHelp()
{
    m_help->closeHelp();
}

} // namespace narv

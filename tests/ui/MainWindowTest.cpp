#include "RecordingDialogs.h"

#include "shell/ActionTable.h"
#include "ui/ChooseProjectDialog.h"
#include "ui/ConfigurationDialog.h"
#include "ui/DesktopFormat.h"
#include "ui/HelpLauncher.h"
#include "ui/MainWindow.h"
#include "ui/report/ReportOutputs.h"
#include "ui/StartDialogWindow.h"
#include "results/ResultsFile.h"
#include "ui/results/ResultsWindow.h"

#include <QtCore/QTemporaryDir>
#include <QtGui/QAccessible>
#include <QtTest/QtTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QToolBar>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>

using namespace narv;
using narv::test::RecordingDialogs;
namespace fs = std::filesystem;

namespace {

// Records the help commands instead of opening windows.
class RecordingHelp : public HelpLauncher {
public:
    std::vector<QString> calls;
    void showTopic(const QString& topic) override { calls.push_back("topic " + topic); }
    void showContents() override { calls.push_back("contents"); }
    void showIndex() override { calls.push_back("index"); }
    void showFind() override { calls.push_back("find"); }
    void showAbout() override { calls.push_back("about"); }
    void showEvents() override { calls.push_back("events"); }
    void closeHelp() override { calls.push_back("close"); }
};

// A program directory with the example project asm1-benchmark in its user directory, and a
// main window started on it.
struct Program {
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    RecordingHelp* help = nullptr;

    explicit Program(bool withExample = true, QChar decimalSeparator = QLatin1Char('.'))
    {
        if (withExample) {
            const fs::path project = root() / "user" / "asm1-benchmark";
            fs::create_directories(project);
            fs::create_directories(root() / "user" / "model");
            for (const char* ext : {".mod", ".pln", ".vrt"})
                fs::copy_file(fs::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark" /
                                  (std::string("asm1-benchmark") + ext),
                              project / (std::string("asm1-benchmark") + ext));
        }
        window = std::make_unique<MainWindow>(root(), &dialogs);
        auto recording = std::make_unique<RecordingHelp>();
        help = recording.get();
        window->setHelpLauncher(std::move(recording));
        // The report's dialogs are counted and cancelled instead of waiting for a click.
        window->reportOutputs().setDialogRunner([this](QDialog&) {
            ++dialogs.calls;
            return int(QDialog::Rejected);
        });
        if (!window->startUp(decimalSeparator))
            qFatal("start-up failed");
    }
    fs::path root() const { return ToPath(dir.path()); }

    // "&Load Project" with the preselected files of the first project.
    void loadFirstProject()
    {
        dialogs.projectChoices.push_back([](ProjectChooser&) { return true; });
        window->runCommand("&Load Project");
    }
    bool enabled(const std::string& caption) const { return window->action(caption)->isEnabled(); }
    // Messages, questions, help and the windows open besides the main window.
    int interactions() const
    {
        int windows = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget != window.get())
                ++windows;
        return dialogs.calls + static_cast<int>(help->calls.size()) + windows;
    }
};

QAction* toolButton(MainWindow& window, const QString& text)
{
    for (QAction* action : window.toolBar()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartCreatesDirectoriesAndOffersOnlyANewProject();
    void menusShowTheTableWithCaptionsAndShortcuts();
    void enablingFollowsEveryStateChange();
    void aRunHoldsTheOtherComputationsUntilItEnds();
    void noEnabledItemIsSilent();
    void aProjectDirectoryOpensWithoutTheStartDialog();
    void loadPlantFileOffersTheModelName();
    void aCommaLocaleIsToldThatNumbersUseAPoint();
    void everyControlHasAnAccessibleName();
    void resultsCommandsOpenTheResultsWindows();
};

void MainWindowTest::firstStartCreatesDirectoriesAndOffersOnlyANewProject()
{
    Program program(false);
    const fs::path user = program.root() / "user";
    QVERIFY(fs::is_directory(user));
    QVERIFY(fs::is_directory(user / "model"));
    QCOMPARE(program.dialogs.messages.size(), std::size_t(2));
    QCOMPARE(QString::fromStdString(program.dialogs.messages[0]),
             "Directory " + ToQString(user) + " created.");

    StartDialogWindow start(program.window->shell().startDialogChoices());
    QCOMPARE(start.windowTitle(), QString("Welcome to NARV"));
    QVERIFY(!start.button(StartChoice::OpenLastProject)->isEnabled());
    QVERIFY(!start.button(StartChoice::OpenExistingProject)->isEnabled());
    QVERIFY(start.button(StartChoice::CreateNewProject)->isEnabled());
    QVERIFY(start.button(StartChoice::CreateNewProject)->isChecked());

    QCOMPARE(program.window->statusLine(0), QString(" No Project defined"));
    QCOMPARE(program.window->statusLine(3), QString(" No Variation defined"));
    QCOMPARE(program.window->statusLine(4), " User Directory: " + ToQString(user));
    QVERIFY(program.window->windowTitle().startsWith("NARV "));
}

void MainWindowTest::menusShowTheTableWithCaptionsAndShortcuts()
{
    Program program;
    MainWindow& window = *program.window;
    const ActionTable& table = window.commands().actions();
    for (const auto& [menu, items] : table.menus()) {
        QVERIFY2(window.menu(menu) != nullptr, menu.c_str());
        QCOMPARE(window.menu(menu)->title(), QString::fromStdString(menu));
        for (const std::string& item : items) {
            QAction* action = window.action(item);
            QVERIFY2(action != nullptr, item.c_str());
            QCOMPARE(action->text(), QString::fromStdString(item));
            QCOMPARE(action->shortcut(),
                     QKeySequence(QString::fromStdString(table[item].shortcut)));
        }
    }
    // The continuous simulation is hidden without the settings key; its tool button as well.
    QVERIFY(!window.action("&Continuous Simulation")->isVisible());
    QVERIFY(!toolButton(window, "Continuous Simulation")->isVisible());
    QVERIFY(!toolButton(window, "New Project")->isVisible());
    QVERIFY(toolButton(window, "Load Project")->isVisible());
    // The hint line shows the long hint of the item.
    QVERIFY(!window.action("&Load Project")->statusTip().isEmpty());
}

void MainWindowTest::enablingFollowsEveryStateChange()
{
    Program program;
    // Each step changes the state; then every listed item must be in the state given.
    struct Step {
        const char* what;
        std::function<void(Program&)> act;
        std::vector<std::pair<std::string, bool>> expected;
    };
    const std::vector<Step> steps = {
        {"start-up",
         [](Program&) {},
         {{"&Load Project", true},
          {"&Save Project", false},
          {"Save Project &as", false},
          {"&Model", false},
          {"&New Model", false},
          {"&Plant Definition", false},
          {"&Variation", false},
          {"&Computations", false},
          {"&Save Results to File", false},
          {"Show Results from File", false},
          {"&Configuration", true},
          {"&Contents", true}}},
        {"new project",
         [](Program& p) {
             p.dialogs.texts.push_back(std::string("fresh"));
             p.window->runCommand("&New Project");
         },
         {{"Save Project &as", true},
          {"&New Model", true},
          {"Load NARV &Model", true},
          {"&Edit active Model", false},
          {"&Save Model", false},
          {"&Load Plant File", false},
          {"&New Variation", false},
          {"&Relaxation", false}}},
        {"project with model, plant and variation",
         [](Program& p) { p.loadFirstProject(); },
         {{"&Edit active Model", true},
          {"&Save Model", false},
          {"&Save Project", false},
          {"&Edit Flowscheme", true},
          {"Control &Loops", true},
          {"Save Plant &File", false},
          {"&Edit Variation", true},
          {"&Save Variation", false},
          {"&Relaxation", true},
          {"&Integration", true},
          {"&Dynamic Simulation", true}}},
        {"model edited",
         [](Program& p) { p.window->runCommand("&Edit active Model"); },
         {{"&Save Model", true}, {"&Save Project", true}}},
        {"SBR flowscheme",
         [](Program& p) { p.window->runCommand("&SBR (Sequencing Batch Reactor)"); },
         {{"&Variation", false},
          {"&Edit Variation", false},
          {"&Graphic of Flowscheme", false},
          {"Control &Loops", false},
          {"&Relaxation", false},
          {"&Integration", false},
          {"&Dynamic Simulation", false},
          {"Save Plant &File", true}}},
        {"SBR plant editor closed",
         [](Program& p) { p.window->findChild<QWidget*>("TFormDefFlowscheme")->close(); },
         {{"&Dynamic Simulation", true}}},
    };
    for (const Step& step : steps) {
        step.act(program);
        for (const auto& [item, enabled] : step.expected) {
            const QString where = QString("%1: %2").arg(step.what, QString::fromStdString(item));
            QVERIFY2(program.enabled(item) == enabled, qPrintable(where));
            QCOMPARE(program.enabled(item), program.window->commands().actions().enabled(item));
        }
    }
}

void MainWindowTest::aRunHoldsTheOtherComputationsUntilItEnds()
{
    Program program;
    program.loadFirstProject();
    MainWindow& window = *program.window;
    struct Case {
        RunKind run;
        std::vector<std::string> held;
        std::string own;
    };
    const std::vector<Case> cases = {
        {RunKind::Integration, {"&Relaxation", "&Dynamic Simulation"}, "&Integration"},
        {RunKind::Relaxation, {"&Integration", "&Dynamic Simulation"}, "&Relaxation"},
        {RunKind::DynamicSimulation, {"&Relaxation", "&Integration"}, "&Dynamic Simulation"},
    };
    for (const Case& c : cases) {
        window.commands().setRunning(c.run);
        window.syncActions();
        for (const std::string& item : c.held) {
            QVERIFY2(!program.enabled(item), item.c_str());
            QVERIFY(!toolButton(window, PlainCaption(item))->isEnabled());
        }
        QVERIFY2(program.enabled(c.own), c.own.c_str());
        // Nothing may replace what the run works on, and the window stays open.
        for (const char* item :
             {"&Load Project", "&New Project", "Load NARV &Model", "&Load Plant File",
              "&Load Variation", "&Activated Sludge Reactor"})
            QVERIFY2(!program.enabled(item), item);
        QVERIFY(!window.close());
        window.commands().setRunning(RunKind::None);
        window.syncActions();
        for (const std::string& item : c.held)
            QVERIFY2(program.enabled(item), item.c_str());
        QVERIFY(program.enabled("&Load Project"));
    }
}

void MainWindowTest::noEnabledItemIsSilent()
{
    // Every enabled item either asks, shows a message or opens a window: none does nothing.
    std::set<std::string> skipped = {"&Exit", "&Configuration"};
    Program reference;
    reference.loadFirstProject();
    const ActionTable& table = reference.window->commands().actions();
    for (const auto& [menu, items] : table.menus()) {
        for (const std::string& item : items) {
            if (skipped.count(item) != 0 || !table.enabled(item) || !table[item].visible ||
                !table.subItems(item).empty())
                continue;
            Program program;
            program.loadFirstProject();
            const int before = program.interactions();
            program.window->runCommand(item);
            QVERIFY2(program.interactions() > before, item.c_str());
        }
    }
}

void MainWindowTest::aProjectDirectoryOpensWithoutTheStartDialog()
{
    Program program(false);
    QTemporaryDir elsewhere;
    const fs::path project = ToPath(elsewhere.path()) / "benchmark";
    fs::create_directories(project);
    for (const char* ext : {".mod", ".pln", ".vrt"})
        fs::copy_file(fs::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark" /
                          (std::string("asm1-benchmark") + ext),
                      project / (std::string("asm1-benchmark") + ext));
    QVERIFY(program.window->openProjectDirectory(project));
    QCOMPARE(program.window->statusLine(0), QString(" Project: benchmark"));
    QCOMPARE(program.window->statusLine(1), QString(" Model:      asm1-benchmark"));
    QCOMPARE(program.window->statusLine(2), QString(" Plant:     asm1-benchmark"));
    QCOMPARE(program.window->statusLine(3), QString(" Variation: asm1-benchmark"));
    QVERIFY(program.enabled("&Dynamic Simulation"));
    QVERIFY(!program.window->openProjectDirectory(project / "missing"));
}

void MainWindowTest::loadPlantFileOffersTheModelName()
{
    Program program;
    const fs::path project = program.root() / "user" / "asm1-benchmark";
    fs::rename(project / "asm1-benchmark.pln", project / "plant.pln");
    program.loadFirstProject();
    QCOMPARE(program.window->statusLine(2), QString(" Plant:     plant"));
    program.window->runCommand("&Load Plant File");
    QCOMPARE(program.dialogs.fileDialogs.size(), std::size_t(1));
    QCOMPARE(program.dialogs.fileDialogs[0].fileName, std::string("asm1-benchmark"));
    QCOMPARE(program.dialogs.fileDialogs[0].filter, std::string("Plant files (*.pln)|*.PLN"));
}

void MainWindowTest::aCommaLocaleIsToldThatNumbersUseAPoint()
{
    for (const QChar separator : {QLatin1Char(','), QLatin1Char('.')}) {
        Program program(true, separator);
        const bool told = !program.dialogs.messages.empty() &&
                          program.dialogs.messages.front() ==
                              "NARV uses point as decimal separator. Please input all decimals "
                              "with points, not with commas";
        QCOMPARE(told, separator == QLatin1Char(','));
        QCOMPARE(QLocale().decimalPoint(), QString("."));
    }
}

void MainWindowTest::everyControlHasAnAccessibleName()
{
    // Screen readers and the end-to-end test find controls by these names.
    Program program;
    ProjectChooser chooser(program.window->shell().userDir());
    ChooseProjectDialog choose(chooser);
    StartDialogWindow start(program.window->shell().startDialogChoices());
    ConfigurationDialog configuration(program.window->shell().settings(), program.dialogs);
    const std::vector<QWidget*> windows = {program.window.get(), &choose, &start, &configuration};
    for (QWidget* window : windows) {
        window->show();
        QVERIFY(!window->windowTitle().isEmpty());
        for (QWidget* control : window->findChildren<QWidget*>()) {
            const bool interactive = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                     qobject_cast<QLineEdit*>(control) != nullptr ||
                                     qobject_cast<QAbstractItemView*>(control) != nullptr ||
                                     qobject_cast<QLabel*>(control) != nullptr;
            if (!interactive || !control->isVisibleTo(window))
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY(accessible != nullptr);
            const QString where = window->windowTitle() + ": " +
                                  control->metaObject()->className() + " " + control->objectName();
            QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(where));
        }
    }
    // The status lines read as they show.
    QCOMPARE(QAccessible::queryAccessibleInterface(
                 program.window->findChild<QLabel*>("StatusUserDirectory"))
                 ->text(QAccessible::Name),
             program.window->statusLine(4));
}

void MainWindowTest::resultsCommandsOpenTheResultsWindows()
{
    Program program;
    program.loadFirstProject();
    program.window->runCommand("Show &Results");
    ResultsWindow* results = program.window->resultsWindow();
    QVERIFY(results != nullptr);
    QVERIFY(results->isVisible());
    QCOMPARE(results->windowTitle(), QString("Show Results"));
    QVERIFY(results->menu("Add Chart")->isEnabled());
    QVERIFY(!program.enabled("Show Results from File"));

    const fs::path file = program.root() / "empty.rlt";
    SaveResultsFile(file, TResultSet{});
    program.dialogs.paths.push_back(file);
    program.window->runCommand("Load Results from &File");
    ResultsWindow* loaded = program.window->resultsFromFileWindow();
    QVERIFY(loaded != nullptr && loaded != results);
    QCOMPARE(loaded->windowTitle(), "Results from File " + ToQString(file));
    QVERIFY(!loaded->menu("Add Chart")->isEnabled());
    QVERIFY(loaded->shownCharts().empty());
    QVERIFY(program.enabled("Show Results from File"));
    loaded->hide();
    program.window->runCommand("Show Results from File");
    QVERIFY(program.window->resultsFromFileWindow()->isVisible());
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"

#include "RecordingDialogs.h"

#include "shell/CaseFiles.h"
#include "ui/MainWindow.h"
#include "ui/runs/ContinuousSimulationWindow.h"
#include "ui/runs/DynamicSimulationWindow.h"
#include "ui/runs/IntegrationWindow.h"
#include "ui/runs/RelaxationWindow.h"
#include "ui/runs/RunWindows.h"

#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtGui/QAccessible>
#include <QtTest/QtTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace narv;
using narv::test::RecordingDialogs;
namespace fs = std::filesystem;

namespace {

fs::path example(const std::string& name)
{
    return fs::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark" / ("asm1-benchmark" + name);
}

// The benchmark project in a workspace of its own; the calls to the program are recorded.
class RecordingHost : public RunWindowHost {
public:
    RecordingHost()
    {
        LoadCase(*m_workspace, {example(".mod"), example(".pln"), example(".vrt")});
        settings.loops = 10;
        settings.loopmin = 4;
    }

    Workspace& workspace() override { return *m_workspace; }
    const TSimSettings& simSettings() override { return settings; }
    UserDialogs& dialogs() override { return recorded; }
    fs::path projectDir() override { return fs::path(dir.path().toStdString()); }
    ChartSetup chartSetup() override { return {"asm1-benchmark", "m", "p", "v"}; }
    ContinuousNames continuousNames() override { return names; }
    void setContinuousNames(const ContinuousNames& given) override { names = given; }
    void setRunning(RunKind run) override
    {
        calls.push_back(run == RunKind::None ? "run ends" : "run starts");
    }
    void markPlantModified() override { calls.push_back("plantModified"); }
    void showPlantPage(WindowPort::PlantPage page) override
    {
        calls.push_back(page == WindowPort::PlantPage::StateOfPlant ? "showState" : "showPage");
    }
    void refreshPlantPage(WindowPort::PlantPage) override { ++refreshes; }
    void runResultsChanged() override { calls.push_back("resultsChanged"); }
    void showResults() override { calls.push_back("showResults"); }
    void showRunProgress(const QString& progress) override { elsewhere = progress; }

    int count(const std::string& call) const
    {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }

    QTemporaryDir dir;
    TSimSettings settings = SimSettingsForMissingKeys();
    RecordingDialogs recorded;
    ContinuousNames names{"plant1.cin", "plant1.COU"};
    std::vector<std::string> calls;
    int refreshes = 0;
    QString elsewhere;

private:
    std::unique_ptr<Workspace> m_workspace = std::make_unique<Workspace>();
};

QPushButton* button(QWidget& window, const char* name)
{
    return window.findChild<QPushButton*>(name);
}

// Runs action once, from the event loop, the first time the window's status bar shows a text
// that starts with prefix: as a user's click arrives while a run works.
void whenStatus(RunWindow& window, const QString& prefix, std::function<void()> action)
{
    auto done = std::make_shared<bool>(false);
    // Events after every step, so that the click arrives within the step it was made in.
    window.setEventInterval(0);
    QObject::connect(window.statusBar(), &QStatusBar::messageChanged, &window,
                     [done, prefix, action, &window](const QString& text) {
                         if (*done || !text.startsWith(prefix))
                             return;
                         *done = true;
                         QTimer::singleShot(0, &window, action);
                     });
}

} // namespace

class RunWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void windowsShowTheirCaptionsNamesAndAccessibleNames();
    void relaxationRunsAndAStopEndsItWithinOneIteration();
    void relaxationRefusesATimeAboveTenSludgeAges();
    void startChecksAFieldTypedButNotLeft();
    void integrationStopEndsTheRunInTheChunkItCameIn();
    void integrationStepByStepPausesAndContinues();
    void dynamicRunCannotStartTwiceAndStopRestoresTheInputs();
    void continuousPauseShowsTheStateAndStopEnds();
    void mainWindowOpensTheWindowsAndTheRunHoldsTheCommands();
};

void RunWindowsTest::windowsShowTheirCaptionsNamesAndAccessibleNames()
{
    RecordingHost host;
    IntegrationWindow integration(host);
    RelaxationWindow relaxation(host);
    DynamicSimulationWindow dynamic(host);
    ContinuousSimulationWindow continuous(host);
    struct Case {
        QWidget* window;
        QString caption;
        QStringList controls;
    };
    const std::vector<Case> cases = {
        {&integration,
         "Integration",
         {"ed_endtime", "btStart", "btStop", "btShow", "btSetConditions", "btLoadConditions",
          "StatusBar1"}},
        {&relaxation,
         "Relaxation",
         {"ed_timeO2end", "ed_timeSend", "ed_timeXend", "btStart", "btStop", "btShow"}},
        {&dynamic,
         "Dynamic Simulation",
         {"ed_endtime", "chkAllCycles", "btStart", "btStop", "btShow"}},
        {&continuous,
         "Continuous Simulation",
         {"edInputFileName", "edOutputFileName", "cbReactorNumber", "btCreateInput", "btStart",
          "btPause", "btStop"}},
    };
    for (const Case& c : cases) {
        c.window->show();
        QCOMPARE(c.window->windowTitle(), c.caption);
        for (const QString& name : c.controls)
            QVERIFY2(c.window->findChild<QWidget*>(name) != nullptr, qPrintable(name));
        for (QWidget* control : c.window->findChildren<QWidget*>()) {
            const bool interactive = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                     qobject_cast<QLineEdit*>(control) != nullptr ||
                                     qobject_cast<QComboBox*>(control) != nullptr ||
                                     qobject_cast<QLabel*>(control) != nullptr;
            if (!interactive || !control->isVisibleTo(c.window))
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(c.caption + ": " + control->objectName()));
        }
    }
    // Half the sludge age; 0.1, 0.2 and 2 sludge ages; one cycle; the last compartment.
    const double age = host.workspace().plant.SludgeAge;
    QCOMPARE(integration.findChild<QLineEdit*>("ed_endtime")->text(),
             QString::number(age / 2, 'f', 3));
    QCOMPARE(relaxation.findChild<QLineEdit*>("ed_timeXend")->text(),
             QString::number(2 * age, 'f', 3));
    QCOMPARE(dynamic.findChild<QLineEdit*>("ed_endtime")->text(), QString("1"));
    auto* compartments = continuous.findChild<QComboBox*>("cbReactorNumber");
    QCOMPARE(compartments->count(), host.workspace().plant.CompartmentCount);
    QCOMPARE(compartments->currentText(), QString::number(compartments->count()));
    QCOMPARE(continuous.findChild<QLineEdit*>("edInputFileName")->text(), QString("plant1.cin"));
    for (QWidget* window : {static_cast<QWidget*>(&integration), static_cast<QWidget*>(&relaxation),
                            static_cast<QWidget*>(&dynamic)}) {
        QVERIFY(button(*window, "btStart")->isEnabled());
        QVERIFY(!button(*window, "btStop")->isEnabled());
        QVERIFY(!button(*window, "btShow")->isEnabled());
    }
    QVERIFY(!button(continuous, "btPause")->isEnabled());
}

void RunWindowsTest::relaxationRunsAndAStopEndsItWithinOneIteration()
{
    RecordingHost host;
    RelaxationWindow window(host);
    window.show();
    bool startDuringRun = true;
    bool fieldsReadOnly = false;
    whenStatus(window, "Relaxation stands at chunk 1", [&] {
        startDuringRun = button(window, "btStart")->isEnabled();
        fieldsReadOnly = window.findChild<QLineEdit*>("ed_timeXend")->isReadOnly();
    });
    button(window, "btStart")->click();
    QVERIFY(!startDuringRun);
    QVERIFY(fieldsReadOnly);
    QCOMPARE(host.recorded.messages.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(host.recorded.messages[0]).startsWith("Time for Relaxation: "));
    QCOMPARE(host.calls, (std::vector<std::string>{"run starts", "plantModified", "run ends"}));
    QCOMPARE(window.statusBar()->currentMessage(), QString("Relaxation not started"));
    QVERIFY(button(window, "btShow")->isEnabled());
    QVERIFY(!window.findChild<QLineEdit*>("ed_timeXend")->isReadOnly());
    const double relaxed = host.workspace().state.Time;
    QVERIFY(relaxed > 0.0);

    // Stop in the first chunk: no second chunk starts.
    QStringList seen;
    connect(window.statusBar(), &QStatusBar::messageChanged, &window,
            [&](const QString& text) { seen << text; });
    whenStatus(window, "Relaxation started", [&] { button(window, "btStop")->click(); });
    button(window, "btStart")->click();
    QVERIFY2(!seen.contains("Relaxation stands at chunk 2 of 4"), qPrintable(seen.join('|')));
    QVERIFY(host.workspace().state.Time < relaxed);
    QVERIFY(button(window, "btStart")->isEnabled());
    QVERIFY(!button(window, "btStop")->isEnabled());

    // Show Results closes the window and shows the state of the plant.
    button(window, "btShow")->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(host.calls.back(), std::string("showState"));
}

void RunWindowsTest::relaxationRefusesATimeAboveTenSludgeAges()
{
    RecordingHost host;
    RelaxationWindow window(host);
    window.show();
    auto* field = window.findChild<QLineEdit*>("ed_timeXend");
    const QString before = field->text();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "1e6");
    emit field->editingFinished();
    QCOMPARE(host.recorded.messages.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(host.recorded.messages[0]).startsWith("Number should be between"));
    QCOMPARE(field->text(), before);
    QCOMPARE(window.state().fieldText(RelaxationField::Particulate), before.toStdString());
}

// Start pressed by a shortcut or a screen reader leaves the focus in the field: the run
// starts with what was typed, or not at all when it is refused.
void RunWindowsTest::startChecksAFieldTypedButNotLeft()
{
    RecordingHost host;
    RelaxationWindow relaxation(host);
    relaxation.show();
    auto* time = relaxation.findChild<QLineEdit*>("ed_timeXend");
    time->setFocus();
    time->selectAll();
    QTest::keyClicks(time, "1e6");
    button(relaxation, "btStart")->click();
    QCOMPARE(host.recorded.messages.size(), std::size_t(1));
    QCOMPARE(host.count("run starts"), 0);

    DynamicSimulationWindow dynamic(host);
    dynamic.show();
    auto* cycles = dynamic.findChild<QLineEdit*>("ed_endtime");
    cycles->setFocus();
    cycles->selectAll();
    QTest::keyClicks(cycles, "2");
    whenStatus(dynamic, "Integration stands at ", [&] { button(dynamic, "btStop")->click(); });
    button(dynamic, "btStart")->click();
    QCOMPARE(host.count("run starts"), 1);
    QCOMPARE(dynamic.state().cycleCountText(), std::string("2"));
}

void RunWindowsTest::integrationStopEndsTheRunInTheChunkItCameIn()
{
    RecordingHost host;
    IntegrationWindow window(host);
    window.show();
    auto* endTime = window.findChild<QLineEdit*>("ed_endtime");
    endTime->setText("10");
    whenStatus(window, "Integration stands at   2.", [&] {
        QVERIFY(!button(window, "btStart")->isEnabled());
        button(window, "btStop")->click();
    });
    button(window, "btStart")->click();
    QVERIFY(host.workspace().state.Time < 4.0);
    QVERIFY(host.workspace().state.Time >= 2.0);
    QCOMPARE(host.calls, (std::vector<std::string>{"run starts", "plantModified", "run ends"}));
    QVERIFY(QString::fromStdString(host.recorded.messages.at(0)).startsWith("Simulation time: "));
    QVERIFY(button(window, "btStart")->isEnabled());
    QVERIFY(button(window, "btShow")->isEnabled());
    QCOMPARE(button(window, "btShow")->text(), QString("Show Results"));

    // The saved conditions come back.
    button(window, "btSetConditions")->click();
    QVERIFY(button(window, "btLoadConditions")->isEnabled());
    const auto saved = host.workspace().state.S;
    host.workspace().state.S[1][2] += 1.0;
    button(window, "btLoadConditions")->click();
    QVERIFY(host.workspace().state.S == saved);
}

void RunWindowsTest::integrationStepByStepPausesAndContinues()
{
    RecordingHost host;
    host.settings.StepByStep = true;
    IntegrationWindow window(host);
    window.show();
    window.findChild<QLineEdit*>("ed_endtime")->setText("0.002");
    int continues = 0;
    QTimer clicker;
    connect(&clicker, &QTimer::timeout, &window, [&] {
        QPushButton* show = button(window, "btShow");
        if (show->text() != "Continue" || !show->isEnabled())
            return;
        if (++continues == 3)
            button(window, "btStop")->click();
        else
            show->click();
    });
    clicker.start(1);
    button(window, "btStart")->click();
    clicker.stop();
    QCOMPARE(continues, 3);
    QCOMPARE(host.count("showState"), 1);
    QVERIFY2(host.recorded.messages.empty(), "no elapsed time after a step-by-step run");
    QCOMPARE(button(window, "btShow")->text(), QString("Show Results"));
    QVERIFY(host.workspace().state.Time < 0.002);
}

void RunWindowsTest::dynamicRunCannotStartTwiceAndStopRestoresTheInputs()
{
    RecordingHost host;
    DynamicSimulationWindow window(host);
    window.show();
    const TPlantDef before = host.workspace().plant;
    int startsDuring = 0;
    whenStatus(window, "Integration stands at ", [&] {
        QVERIFY(!window.findChild<QWidget*>("chkAllCycles")->isEnabled());
        QPushButton* start = button(window, "btStart");
        QVERIFY(!start->isEnabled());
        start->click(); // a disabled button does nothing
        ++startsDuring;
        button(window, "btStop")->click();
    });
    button(window, "btStart")->click();
    QCOMPARE(startsDuring, 1);
    QCOMPARE(host.count("run starts"), 1);
    QCOMPARE(host.calls.back(), std::string("resultsChanged"));
    QVERIFY(host.workspace().resultsAvailable);
    QVERIFY(!host.workspace().results.Series.empty());
    QVERIFY(host.workspace().results.Series.front()->Points.size() < 289);
    QCOMPARE(host.workspace().plant.InfluentFlow, before.InfluentFlow);
    QCOMPARE(host.workspace().plant.ReturnFlow, before.ReturnFlow);
    QVERIFY(host.workspace().plant.Kla == before.Kla);
    QCOMPARE(window.statusBar()->currentMessage(), QString("Simulation not started"));
    QVERIFY(window.findChild<QWidget*>("chkAllCycles")->isEnabled());

    button(window, "btShow")->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(host.calls.back(), std::string("showResults"));
}

void RunWindowsTest::continuousPauseShowsTheStateAndStopEnds()
{
    RecordingHost host;
    ContinuousSimulationWindow window(host);
    window.show();
    host.recorded.paths.push_back(host.projectDir() / "march.cin.csv");
    button(window, "btCreateInput")->click();
    QCOMPARE(window.findChild<QLineEdit*>("edOutputFileName")->text(), QString("march.COU"));
    QCOMPARE(host.names, (ContinuousNames{"march.cin", "march.COU"}));
    // Ten rows of the benchmark's inputs, one hour apart.
    std::ofstream table(host.projectDir() / "march.cin.csv", std::ios::app);
    const TPlantDef& plant = host.workspace().plant;
    for (int hour = 1; hour <= 10; ++hour) {
        table << hour << ';' << plant.OperatingTemperature << ';' << plant.InfluentFlow << ";0;"
              << plant.ReturnFlow << ';' << plant.RecircFlow << ";0";
        for (int j = 1; j <= host.workspace().model.NS; ++j)
            table << ';' << host.workspace().model.InfluentS[j];
        for (int j = 1; j <= host.workspace().model.NX; ++j)
            table << ';' << host.workspace().model.InfluentX[j];
        table << "\r\n";
    }
    table.close();

    QString pausedStatus;
    QString pausedCaption;
    whenStatus(window, "Continuous simulation started",
               [&] { button(window, "btPause")->click(); });
    whenStatus(window, "Continuous simulation paused", [&] {
        pausedStatus = window.statusBar()->currentMessage();
        pausedCaption = button(window, "btPause")->text();
        button(window, "btStop")->click();
    });
    button(window, "btStart")->click();
    QCOMPARE(pausedCaption, QString("Continue"));
    QCOMPARE(host.count("showState"), 1);
    QCOMPARE(window.statusBar()->currentMessage(), QString("Continuous simulation not running"));
    QCOMPARE(button(window, "btPause")->text(), QString("Pause"));
    QVERIFY(!button(window, "btPause")->isEnabled());
    QVERIFY(button(window, "btStart")->isEnabled());
    QVERIFY(fs::exists(host.projectDir() / "march.COU.csv"));
    QVERIFY(host.recorded.messages.empty());
}

void RunWindowsTest::mainWindowOpensTheWindowsAndTheRunHoldsTheCommands()
{
    QTemporaryDir dir;
    const fs::path root(dir.path().toStdString());
    const fs::path project = root / "user" / "asm1-benchmark";
    fs::create_directories(project);
    fs::create_directories(root / "user" / "model");
    for (const char* ext : {".mod", ".pln", ".vrt"})
        fs::copy_file(example(ext), project / (std::string("asm1-benchmark") + ext));
    RecordingDialogs dialogs;
    MainWindow main(root, &dialogs);
    QVERIFY(main.startUp());
    dialogs.projectChoices.push_back([](ProjectChooser&) { return true; });
    main.runCommand("&Load Project");
    main.shell().simSettings().loopmin = 2;

    main.runCommand("&Relaxation");
    RelaxationWindow& relaxation = main.runWindows().relaxation();
    QVERIFY(relaxation.isVisible());
    bool held = false;
    whenStatus(relaxation, "Relaxation stands at", [&] {
        held = !main.action("&Integration")->isEnabled() &&
               !main.action("&Dynamic Simulation")->isEnabled() && !main.close();
    });
    button(relaxation, "btStart")->click();
    QVERIFY(held);
    QVERIFY(main.action("&Integration")->isEnabled());
    QVERIFY(!main.shell().state().PlantSaved);

    main.runCommand("&Dynamic Simulation");
    DynamicSimulationWindow& dynamic = main.runWindows().dynamicSimulation();
    QVERIFY(dynamic.isVisible());
    button(dynamic, "btStart")->click();
    QVERIFY(main.workspace().resultsAvailable);
    QVERIFY(main.action("&Save Results to File")->isEnabled());

    main.runCommand("&Integration");
    QVERIFY(main.runWindows().integration().isVisible());
}

QTEST_MAIN(RunWindowsTest)
#include "RunWindowsTest.moc"

#include "shell/CaseFiles.h"
#include "shell/ContinuousWindowState.h"
#include "shell/DynamicWindowState.h"
#include "shell/IntegrationWindowState.h"
#include "shell/RelaxationWindowState.h"
#include "shell/Workspace.h"

#include "core/Error.h"
#include "dynamics/DynamicSimulation.h"

#include "ScriptedDialogs.h"
#include "TempDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace narv {
namespace {

using test::ScriptedDialogs;
using test::TempDirectory;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using ::testing::StartsWith;

// Records what a run window is told; onEvents plays the user's clicks while a run processes
// events.
struct RecordingPort : RunWindowPort {
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
    std::vector<std::string> calls;
    int events = 0;
    std::function<void(int)> onEvents;

    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void processEvents() override
    {
        ++events;
        if (onEvents)
            onEvents(events);
    }
    void buttonsChanged() override {}
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void setRunning(RunKind run) override
    {
        calls.push_back(run == RunKind::None ? "run ends" : "run starts");
    }
    void markPlantModified() override { calls.push_back("plantModified"); }
    void showStatePage() override { calls.push_back("showState"); }
    void refreshStatePage() override { calls.push_back("refreshState"); }
    void refreshInitialConditions() override { calls.push_back("refreshInitial"); }
    void runResultsChanged() override { calls.push_back("resultsChanged"); }

    long count(const std::string& call) const
    {
        return std::count(calls.begin(), calls.end(), call);
    }
};

// The default model (oxygen only) in an activated-sludge plant.
struct RunWindowsTest : ::testing::Test {
    RunWindowsTest()
    {
        ApplyPlantType(TFlowschemeType::ftASR, w.model, w.plant, w.state, true);
        settings.loops = 10;
        settings.loopmin = 4;
    }

    Workspace w;
    TSimSettings settings;
    RecordingPort port;
};

TEST_F(RunWindowsTest, IntegrationRunsItsChunksAndEndsIdle)
{
    IntegrationWindowState window(w, settings, port);
    EXPECT_EQ(window.endTimeText(), "3.000"); // half the sludge age of 6 d
    EXPECT_EQ(window.buttons(), RunButtons{});
    EXPECT_FALSE(window.buttons().show);
    EXPECT_FALSE(window.buttons().loadConditions);

    RunButtons during;
    port.onEvents = [&](int) { during = window.buttons(); };
    window.setEndTimeText("0.5");
    window.start();
    EXPECT_FALSE(during.start);
    EXPECT_TRUE(during.stop);
    EXPECT_EQ(during.showCaption, "Show Results");
    EXPECT_EQ(port.count("refreshState"), 11); // after each of 10 chunks, then once more
    EXPECT_EQ(port.calls.front(), "run starts");
    EXPECT_EQ(port.calls.back(), "run ends");
    EXPECT_EQ(port.count("plantModified"), 1);
    EXPECT_EQ(port.statuses.front(), "Integration started");
    EXPECT_THAT(port.statuses, Contains(StartsWith("Integration stands at ")));
    EXPECT_EQ(window.status(), "Integration not started");
    EXPECT_THAT(port.messages, ElementsAre(StartsWith("Simulation time: 0:00:0")));
    EXPECT_TRUE(window.buttons().start);
    EXPECT_FALSE(window.buttons().stop);
    EXPECT_TRUE(window.buttons().show);
    EXPECT_EQ(window.showOrContinue(), ShowAction::CloseAndShowState);
    EXPECT_FALSE(window.running());
    EXPECT_NEAR(w.state.Time, 0.5, 1e-9); // every run starts its clock at 0
}

TEST_F(RunWindowsTest, IntegrationStopEndsTheRunEarly)
{
    IntegrationWindowState window(w, settings, port);
    window.setEndTimeText("10");
    port.onEvents = [&](int) {
        if (port.count("refreshState") == 3)
            window.stop();
    };
    window.start();
    // Three chunks, the stop early in the fourth, that chunk's refresh and the one at the end.
    EXPECT_EQ(port.count("refreshState"), 6);
    EXPECT_LT(w.state.Time, 4.0);
    EXPECT_FALSE(window.running());
    EXPECT_TRUE(window.buttons().start);
}

TEST_F(RunWindowsTest, IntegrationStepByStepPausesUntilContinue)
{
    settings.StepByStep = true;
    IntegrationWindowState window(w, settings, port);
    window.setEndTimeText("0.01");
    int continues = 0;
    port.onEvents = [&](int) {
        EXPECT_EQ(window.buttons().showCaption, "Continue");
        EXPECT_TRUE(window.buttons().show);
        if (window.showOrContinue() == ShowAction::Continued)
            ++continues;
    };
    window.start();
    EXPECT_GT(continues, 0);
    EXPECT_EQ(port.calls[2], "showState");
    EXPECT_THAT(port.messages, ::testing::IsEmpty()) << "no elapsed time after a step-by-step run";
    EXPECT_EQ(window.buttons().showCaption, "Show Results");
}

TEST_F(RunWindowsTest, IntegrationRefusesAnEndTimeThatIsNotANumber)
{
    IntegrationWindowState window(w, settings, port);
    for (const char* text : {"abc", "0", "-1"}) {
        window.setEndTimeText(text);
        window.start();
    }
    EXPECT_THAT(port.messages, ElementsAre("Input isn't a valid number",
                                           "Number should be between   0.00 and 1.00E+9 ",
                                           "Number should be between   0.00 and 1.00E+9 "));
    EXPECT_THAT(port.calls, ::testing::IsEmpty());
}

TEST_F(RunWindowsTest, SavedInitialConditionsComeBack)
{
    IntegrationWindowState window(w, settings, port);
    w.state.S[1][1] = 1.25;
    window.loadConditions(); // nothing saved yet: nothing happens
    EXPECT_EQ(w.state.S[1][1], 1.25);
    window.saveConditions();
    EXPECT_TRUE(window.buttons().loadConditions);
    w.state.S[1][1] = 7.0;
    w.state.X[18][25] = 3.0;
    window.loadConditions();
    EXPECT_EQ(w.state.S[1][1], 1.25);
    EXPECT_NE(w.state.X[18][25], 3.0);
    EXPECT_THAT(port.calls, ElementsAre("refreshInitial", "refreshState"));
}

TEST_F(RunWindowsTest, RelaxationFieldsAreCheckedAgainstTenSludgeAges)
{
    w.plant.SludgeAge = 10.0;
    RelaxationWindowState window(w, settings, port);
    EXPECT_EQ(window.fieldText(RelaxationField::Oxygen), "1.000");
    EXPECT_EQ(window.fieldText(RelaxationField::Dissolved), "2.000");
    EXPECT_EQ(window.fieldText(RelaxationField::Particulate), "20.000");

    struct Case {
        RelaxationField field;
        const char* text;
        bool accepted;
        const char* message;
    };
    const Case cases[] = {
        {RelaxationField::Particulate, "100", true, ""},
        {RelaxationField::Particulate, "100.5", false,
         "Number should be between   0.00 and 100.00"},
        {RelaxationField::Oxygen, "-0.1", false, "Number should be between   0.00 and 100.00"},
        {RelaxationField::Dissolved, "x", false, "Input isn't a valid number"},
        {RelaxationField::Oxygen, "0", true, ""},
    };
    for (const Case& c : cases) {
        const RelaxationFieldEntry entry = window.enterField(c.field, c.text);
        EXPECT_EQ(entry.accepted, c.accepted) << c.text;
        EXPECT_EQ(entry.message, c.message) << c.text;
        EXPECT_EQ(entry.returnFocus, !c.accepted) << c.text;
        EXPECT_EQ(entry.text, window.fieldText(c.field)) << c.text;
    }
    EXPECT_EQ(window.times().particulate, 100.0);
    EXPECT_EQ(window.times().dissolved, 2.0);
    EXPECT_EQ(window.times().oxygen, 0.0);
}

TEST_F(RunWindowsTest, RelaxationRunsWithItsTimerAndEndsIdle)
{
    RelaxationWindowState window(w, settings, port);
    bool timerDuringRun = false;
    std::string tick;
    port.onEvents = [&](int) {
        timerDuringRun = window.timerActive();
        tick = window.timerTick();
        EXPECT_FALSE(window.buttons().start);
    };
    window.start();
    EXPECT_TRUE(timerDuringRun);
    EXPECT_THAT(tick, StartsWith("Chi-square: "));
    EXPECT_FALSE(window.timerActive());
    EXPECT_EQ(port.count("refreshState"), 5); // four chunks, then once more
    EXPECT_EQ(port.calls.front(), "run starts");
    EXPECT_THAT(port.messages, ElementsAre(StartsWith("Time for Relaxation: ")));
    EXPECT_EQ(window.status(), "Relaxation not started");
    EXPECT_TRUE(window.buttons().show);
    EXPECT_EQ(window.showResults(), ShowAction::CloseAndShowState);

    // Stop during the next run: it ends within one iteration of its first chunk.
    port.calls.clear();
    port.onEvents = [&](int) { window.stop(); };
    window.start();
    EXPECT_EQ(port.count("refreshState"), 3); // the stop, the chunk, the end
}

TEST(ContinuousNames, ChosenFilesGiveBothNames)
{
    struct Case {
        const char* file;
        ContinuousNames names;
    };
    const Case cases[] = {
        {"/work/p/plant1.cin.csv", {"plant1.cin", "plant1.COU"}},
        {"plant1.CIN.CSV", {"plant1.CIN", "plant1.COU"}},
        {"data.csv", {"data", "data.COU"}},
        {"a.b.cin.csv", {"a.b.cin", "a.b.COU"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ContinuousNamesFromInputFile(c.file), c.names) << c.file;
    EXPECT_EQ(ContinuousOutputNameFromFile("/x/run.cou.csv"), "run.cou");

    const FileDialogOptions input = ContinuousInputDialog("/p", "plant1.cin");
    EXPECT_EQ(input.filter, "Continous Input files (*.cin.csv)|*.CIN.CSV");
    EXPECT_EQ(input.defaultExtension, "CIN.CSV");
    EXPECT_EQ(input.startDirectory, "/p");
    EXPECT_EQ(input.fileName, "plant1.cin");
    const FileDialogOptions output = ContinuousOutputDialog("/p", "plant1.COU");
    EXPECT_EQ(output.filter, "Continous Output files (*.cou.csv)|*.COU.CSV");
    EXPECT_EQ(output.defaultExtension, "COU.CSV");
}

TEST_F(RunWindowsTest, ContinuousWindowNamesPausesAndStops)
{
    TempDirectory dir;
    ScriptedDialogs dialogs;
    const int compartments = w.plant.CompartmentCount;
    w.plant.CompartmentCount = 3;
    ContinuousWindowState chooser(w, settings, port, dir.path(), {});
    EXPECT_EQ(chooser.compartment(), 3); // the last one at first
    chooser.chooseCompartment(2);
    chooser.chooseCompartment(19);
    chooser.shown();
    EXPECT_EQ(chooser.compartment(), 2);
    w.plant.CompartmentCount = 1;
    chooser.shown();
    EXPECT_EQ(chooser.compartment(), 1);
    w.plant.CompartmentCount = compartments;

    ContinuousWindowState window(w, settings, port, dir.path(), {"plant1.cin", "plant1.COU"});
    EXPECT_EQ(window.status(), "Simulation not running");

    // A cancelled dialog changes no name; a chosen file names both tables.
    dialogs.paths = {std::nullopt, dir.path() / "march.cin.csv", dir.path() / "other.cou.csv"};
    window.createEmptyInputFile(dialogs);
    EXPECT_EQ(window.names(), (ContinuousNames{"plant1.cin", "plant1.COU"}));
    window.createEmptyInputFile(dialogs);
    EXPECT_EQ(window.names(), (ContinuousNames{"march.cin", "march.COU"}));
    EXPECT_EQ(window.inputPath(), dir.path() / "march.cin.csv");
    window.chooseOutputFile(dialogs);
    EXPECT_EQ(window.outputPath(), dir.path() / "other.cou.csv");
    window.setOutputName("march.COU");

    // Rows at 1, 2 and 3 hours; pause after the first, continue, stop after the second.
    std::string table = test::readText(window.inputPath());
    for (int hour = 1; hour <= 3; ++hour)
        table += std::to_string(hour) + ";20;5;0;5;0;0;2;\r\n";
    test::writeText(window.inputPath(), table);
    std::vector<std::string> seen;
    port.onEvents = [&](int) {
        if (window.paused()) {
            seen.push_back("paused " + window.buttons().pauseCaption);
            window.pauseOrContinue();
        } else if (seen.empty()) {
            window.pauseOrContinue();
        } else if (seen.size() == 1) {
            seen.push_back("running " + window.status());
            window.stop();
        }
    };
    window.start();
    EXPECT_THAT(seen, ElementsAre("paused Continue", "running Continuous simulation running"));
    EXPECT_THAT(port.statuses, Contains("Continuous simulation started"));
    EXPECT_THAT(port.statuses, Contains("Continuous simulation paused"));
    EXPECT_EQ(window.status(), "Continuous simulation not running");
    EXPECT_EQ(port.count("showState"), 1);
    EXPECT_THAT(port.calls, Contains("run starts"));
    EXPECT_EQ(port.calls.back(), "run ends");
    EXPECT_FALSE(window.buttons().pause);
    EXPECT_EQ(window.buttons().pauseCaption, "Pause");
    EXPECT_TRUE(std::filesystem::exists(window.outputPath()));
    EXPECT_FALSE(window.running());

    // A table without data ends the run with the message as an error, and the window idle.
    test::writeText(window.inputPath(), "a\r\nb\r\n\r\nc\r\n");
    EXPECT_THROW(window.start(), Error);
    EXPECT_TRUE(window.buttons().start);
    EXPECT_EQ(window.status(), "Continuous simulation not running");
}

// The benchmark plant with its variation, as a project loads it.
std::unique_ptr<Workspace> benchmarkWorkspace()
{
    const std::filesystem::path dir =
        std::filesystem::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark";
    auto workspace = std::make_unique<Workspace>();
    LoadCase(*workspace, {dir / "asm1-benchmark.mod", dir / "asm1-benchmark.pln",
                          dir / "asm1-benchmark.vrt"});
    return workspace;
}

TEST(DynamicWindow, CycleCountIsCheckedAndSetsTheEndTimeText)
{
    auto w = benchmarkWorkspace();
    RecordingPort port;
    DynamicWindowState window(*w, TSimSettings{}, port);
    EXPECT_EQ(window.cycleCountText(), "1");
    EXPECT_EQ(window.endTimeText(), DynamicEndTimeText(1, w->variation.CycleDuration));
    EXPECT_FALSE(window.buttons().stop);
    EXPECT_FALSE(window.buttons().show);
    struct Case {
        const char* text;
        bool accepted;
        const char* message;
        int cycles;
    };
    const Case cases[] = {
        {"14", true, "", 14},
        {"0", false, "Number should be between 1 and 365", 14},
        {"366", false, "Number should be between 1 and 365", 14},
        {"2.5", false, "Input isn't a valid number", 14},
        {"365", true, "", 365},
    };
    for (const Case& c : cases) {
        const CycleCountEntry entry = window.enterCycleCount(c.text);
        EXPECT_EQ(entry.accepted, c.accepted) << c.text;
        EXPECT_THAT(entry.message, StartsWith(c.message)) << c.text;
        EXPECT_EQ(window.cycleCount(), c.cycles) << c.text;
        EXPECT_EQ(window.endTimeText(), DynamicEndTimeText(c.cycles, w->variation.CycleDuration))
            << c.text;
    }
}

TEST(DynamicWindow, RunBuildsChartsAndStopKeepsWhatWasRecorded)
{
    auto w = benchmarkWorkspace();
    const TPlantDef before = w->plant;
    RecordingPort port;
    const TSimSettings settings = SimSettingsForMissingKeys();
    DynamicWindowState window(*w, settings, port);
    RunButtons during;
    bool checkBoxDuring = true;
    port.onEvents = [&](int) {
        during = window.buttons();
        checkBoxDuring = window.allCyclesEnabled();
        window.start(); // a second start while one runs does nothing
    };
    window.start();
    EXPECT_FALSE(during.start);
    EXPECT_TRUE(during.stop);
    EXPECT_FALSE(checkBoxDuring);
    EXPECT_EQ(port.statuses.front(), "Simulation started");
    EXPECT_THAT(port.statuses, Contains(StartsWith("Simulation stands at ")));
    EXPECT_EQ(port.statuses.back(), "Simulation not started");
    EXPECT_THAT(port.messages, ElementsAre(StartsWith("Simulation time: ")));
    EXPECT_THAT(port.calls, ElementsAre("plantModified", "run starts", "run ends",
                                        "resultsChanged"));
    EXPECT_TRUE(w->resultsAvailable);
    ASSERT_FALSE(w->results.Series.empty());
    EXPECT_EQ(w->results.Series.front()->Points.size(), 289u);
    EXPECT_TRUE(window.buttons().show);
    EXPECT_TRUE(window.buttons().start);

    // A stop during step 101 of the last cycle: that step ends and is recorded, after the
    // initial point and the 100 before it; the plant's inputs come back.
    window.enterCycleCount("2");
    port.onEvents = [&](int) {
        if (!w->results.Series.empty() && w->results.Series.front()->Points.size() >= 101)
            window.stop();
    };
    window.start();
    EXPECT_EQ(w->results.Series.front()->Points.size(), 102u);
    EXPECT_TRUE(w->resultsAvailable);
    EXPECT_EQ(w->plant.InfluentFlow, before.InfluentFlow);
    EXPECT_EQ(w->plant.Kla, before.Kla);
    EXPECT_FALSE(window.running());

    // A stop before the recorded cycle leaves no series of the earlier run behind.
    port.onEvents = [&](int) { window.stop(); };
    window.start();
    EXPECT_TRUE(w->results.Series.empty());
    EXPECT_FALSE(window.running());
}

TEST(DynamicWindow, AnErrorEndsTheRunIdleWithoutCharts)
{
    auto w = benchmarkWorkspace();
    w->variation.CycleDuration = 0.0;
    RecordingPort port;
    DynamicWindowState window(*w, SimSettingsForMissingKeys(), port);
    EXPECT_THROW(window.start(), SimulationError);
    EXPECT_THAT(port.messages, ElementsAre(StartsWith("Simulation time: ")));
    EXPECT_EQ(port.calls.back(), "resultsChanged");
    EXPECT_FALSE(w->resultsAvailable);
    EXPECT_FALSE(window.running());
    EXPECT_TRUE(window.buttons().start);
    EXPECT_FALSE(window.buttons().stop);
    EXPECT_EQ(window.status(), "Simulation not started");
}

} // namespace
} // namespace narv

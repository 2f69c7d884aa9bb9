#include "shell/ShellCommands.h"

#include "solvers/Relaxation.h"
#include "special/AIPlant.h"
#include "special/SbrCycle.h"

#include "RecordingWindows.h"
#include "ScriptedDialogs.h"
#include "TempDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace narv {
namespace {

namespace fs = std::filesystem;
using test::readText;
using test::RecordingWindows;
using test::ScriptedDialogs;
using test::TempDirectory;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using Answer = UserDialogs::Answer;

const fs::path kData = NARV_TEST_DATA_DIR;

class ShellCommandsTest : public ::testing::Test {
protected:
    fs::path user() const { return m_dir.path() / "user"; }

    // A project of the small model with a plant and a variation, all named after the project.
    void makeProject(const std::string& name,
                     const fs::path& plant = kData / "plants" / "oldest.pln",
                     const fs::path& variation = kData / "variations" / "small-12.vrt")
    {
        fs::create_directories(user() / "model");
        fs::create_directories(user() / name);
        fs::copy_file(kData / "models" / "small.mod", user() / name / (name + ".mod"));
        fs::copy_file(plant, user() / name / (name + ".pln"));
        fs::copy_file(variation, user() / name / (name + ".vrt"));
    }

    void start()
    {
        ASSERT_TRUE(m_shell.startUp());
        m_commands.startUp();
        m_dialogs.shown.clear();
    }

    // The project's files; the plant editor is primed with a loaded plant, then the calls
    // of the windows start empty.
    void load(const std::string& project, const std::string& model, const std::string& plant,
              const std::string& variation)
    {
        m_commands.loadProjectFiles({project, model, plant, variation});
        if (m_shell.state().PlantLoaded)
            EXPECT_THAT(m_windows.calls, Contains("reloadPlantEditor"));
        else
            EXPECT_THAT(m_windows.calls, Not(Contains("reloadPlantEditor")));
        m_windows.calls.clear();
    }

    bool enabled(const std::string& item) const { return m_commands.actions().enabled(item); }

    TempDirectory m_dir;
    Workspace m_workspace;
    ScriptedDialogs m_dialogs;
    RecordingWindows m_windows;
    ProjectShell m_shell{m_dir.path(), m_workspace, m_dialogs};
    ShellCommands m_commands{m_shell, m_workspace, m_dialogs, m_windows};
};

TEST_F(ShellCommandsTest, EnablingBeforeAProjectWithAModelAndWithAPlant)
{
    makeProject("alpha");
    start();
    EXPECT_TRUE(enabled("&Load Project"));
    EXPECT_FALSE(enabled("&Save Project"));
    EXPECT_FALSE(enabled("&Save Results to File")) << "nothing has run yet";
    EXPECT_FALSE(enabled("&New Model"));
    EXPECT_FALSE(m_commands.run(Command::NewModel)) << "a disabled item runs nothing";
    EXPECT_THAT(m_dialogs.shown, IsEmpty());
    EXPECT_EQ(m_commands.statusLines()[0], " No Project defined");

    load("alpha", "", "", "");
    EXPECT_TRUE(enabled("&New Model"));
    EXPECT_FALSE(enabled("&Edit active Model"));
    EXPECT_FALSE(enabled("&Define new Flowscheme"));
    EXPECT_EQ(m_commands.statusLines()[0], " Project: alpha");

    load("alpha", "alpha", "", "");
    EXPECT_TRUE(enabled("&Edit active Model"));
    EXPECT_TRUE(enabled("&Define new Flowscheme"));
    EXPECT_TRUE(enabled("&Load Variation"));
    EXPECT_FALSE(enabled("&Edit Flowscheme"));
    EXPECT_FALSE(enabled("&Relaxation"));
    EXPECT_FALSE(enabled("&Save Model")) << "read from the project";

    load("alpha", "alpha", "alpha", "");
    EXPECT_TRUE(enabled("&Edit Flowscheme"));
    EXPECT_TRUE(enabled("&Relaxation"));
    EXPECT_FALSE(enabled("&Dynamic Simulation"));
    EXPECT_FALSE(enabled("&Edit Variation"));

    load("alpha", "alpha", "alpha", "alpha");
    EXPECT_TRUE(enabled("&Dynamic Simulation"));
    EXPECT_TRUE(enabled("&Edit Variation"));
    EXPECT_THAT(m_commands.statusLines(), Contains(" Variation: alpha"));

    load("", "", "", "");
    EXPECT_FALSE(enabled("&New Model"));
    EXPECT_FALSE(enabled("&Dynamic Simulation"));
}

TEST_F(ShellCommandsTest, EnablingForSbrAndAIPlants)
{
    makeProject("sbr", kData / "special" / "sbr-small.pln");
    makeProject("ai", kData / "special" / "ai-small.pln", kData / "special" / "ai-small-12.vrt");
    start();

    load("sbr", "sbr", "sbr", "sbr");
    EXPECT_THAT(m_dialogs.messages(),
                ElementsAre("Variation files cannot be used together with SBR!"));
    EXPECT_FALSE(m_shell.state().VariationLoaded);
    EXPECT_TRUE(enabled("&Dynamic Simulation")) << "the cycle needs no variation";
    EXPECT_FALSE(enabled("&Variation"));
    EXPECT_FALSE(enabled("&New Variation"));
    EXPECT_FALSE(enabled("&Graphic of Flowscheme"));
    EXPECT_FALSE(enabled("Control &Loops"));
    EXPECT_FALSE(enabled("&Relaxation"));
    EXPECT_FALSE(enabled("&Integration"));

    load("ai", "ai", "ai", "ai");
    EXPECT_EQ(m_commands.plantType(), TFlowschemeType::ftAI);
    EXPECT_TRUE(enabled("&Variation"));
    EXPECT_TRUE(enabled("&Edit Variation"));
    EXPECT_TRUE(enabled("&Graphic of Flowscheme"));
    EXPECT_TRUE(enabled("&Dynamic Simulation"));

    // The A/I processes are only simulated dynamically.
    m_dialogs.shown.clear();
    EXPECT_TRUE(m_commands.run(Command::Relaxation));
    EXPECT_TRUE(m_commands.run(Command::Integration));
    EXPECT_THAT(m_dialogs.messages(), ElementsAre(kAIComputationMessage, kAIComputationMessage));
    EXPECT_THAT(m_windows.calls, IsEmpty());
}

TEST_F(ShellCommandsTest, ComputationsCheckControlLoopsAndTheVariation)
{
    makeProject("alpha");
    start();
    load("alpha", "alpha", "alpha", "");
    m_workspace.plant.ControlLoopsActive = true;
    EXPECT_TRUE(m_commands.run(Command::Relaxation));
    EXPECT_THAT(m_dialogs.messages(), ElementsAre(kControlLoopsActiveMessage));
    EXPECT_TRUE(m_commands.run(Command::Integration)) << "integration runs the loops";
    EXPECT_THAT(m_windows.calls, ElementsAre("integration"));

    m_workspace.plant.ControlLoopsActive = false;
    EXPECT_TRUE(m_commands.run(Command::Relaxation));
    EXPECT_EQ(m_windows.calls.back(), "relaxation");

    m_windows.calls.clear();
    m_commands.dynamicSimulation();
    EXPECT_THAT(m_windows.calls, ElementsAre("commitPlantEditor"));
    EXPECT_EQ(m_dialogs.messages().back(), kNoVariationForDynamics);
}

TEST_F(ShellCommandsTest, NewFlowschemeIsNamedAfterTheProjectAndClearsItsLoops)
{
    makeProject("alpha");
    start();
    load("alpha", "alpha", "", "alpha");
    m_workspace.plant.ControlLoops[1].Active = true;
    m_workspace.plant.ControlLoopsActive = true;

    ASSERT_TRUE(m_commands.run(Command::DefineActivatedSludge));
    EXPECT_EQ(m_shell.PlantFileName, "alpha");
    EXPECT_EQ(m_commands.plantType(), TFlowschemeType::ftASR);
    EXPECT_FALSE(m_shell.state().PlantSaved);
    EXPECT_TRUE(enabled("Save Plant &File"));
    EXPECT_TRUE(enabled("&Save Project"));
    EXPECT_TRUE(enabled("&Dynamic Simulation")) << "the variation stays";
    EXPECT_FALSE(m_workspace.plant.ControlLoops[1].Active);
    EXPECT_FALSE(m_workspace.plant.ControlLoopsActive);
    EXPECT_THAT(m_windows.calls, ElementsAre("newPlant ASR", "graphic", "plantEditor Current"));
    EXPECT_EQ(m_commands.statusLines()[2], " Plant:     alpha");

    // Replacing the unsaved plant asks first; an SBR plant has no graphic and no variation.
    m_windows.calls.clear();
    m_dialogs.yesNo = {false};
    ASSERT_TRUE(m_commands.run(Command::DefineSbr));
    EXPECT_EQ(m_dialogs.shown.back().text, "Active plant not saved.\nDo you like to save it?");
    EXPECT_THAT(m_windows.calls, ElementsAre("newPlant SBR", "plantEditor Current"));
    EXPECT_FALSE(m_shell.state().VariationLoaded);
    EXPECT_FALSE(enabled("&Variation"));
    EXPECT_FALSE(enabled("&Dynamic Simulation")) << "held while the new cycle is defined";

    // Closing the editor lets the cycle run and takes the picture along.
    m_windows.calls.clear();
    m_commands.plantEditorClosed();
    EXPECT_TRUE(enabled("&Dynamic Simulation"));
    EXPECT_THAT(m_windows.calls, ElementsAre("closeGraphic"));
}

TEST_F(ShellCommandsTest, LoadingAnSbrPlantDropsTheVariationAfterAskingToSaveIt)
{
    makeProject("alpha");
    fs::copy_file(kData / "special" / "sbr-small.pln", user() / "alpha" / "cycle.pln");
    start();
    load("alpha", "alpha", "alpha", "alpha");
    m_commands.newVariation();
    EXPECT_EQ(m_shell.VariationFileName, "alpha");
    EXPECT_TRUE(enabled("&Save Variation"));

    m_dialogs.yesNo = {false};
    m_dialogs.paths = {user() / "alpha" / "cycle.pln"};
    ASSERT_TRUE(m_commands.run(Command::LoadPlantFile));
    EXPECT_EQ(m_dialogs.fileDialogs.back().filter, "Plant files (*.pln)|*.PLN");
    EXPECT_EQ(m_dialogs.fileDialogs.back().startDirectory, user() / "alpha");
    EXPECT_EQ(m_dialogs.shown[m_dialogs.shown.size() - 1].text,
              "Active variation not saved.\nDo you like to save it?");
    EXPECT_EQ(m_commands.plantType(), TFlowschemeType::ftSBR);
    EXPECT_EQ(m_shell.PlantFileName, "cycle");
    EXPECT_TRUE(m_shell.state().PlantSaved);
    EXPECT_FALSE(m_shell.state().VariationLoaded);
    EXPECT_EQ(m_shell.VariationFileName, "");
    EXPECT_TRUE(m_shell.state().projectSaved()) << "the dropped variation asks no more";
    EXPECT_TRUE(enabled("&Dynamic Simulation"));
    EXPECT_FALSE(enabled("&Variation"));
    EXPECT_THAT(m_windows.calls, ElementsAre("newVariation", "variationEditor Current",
                                             "reloadPlantEditor", "plantEditor Current"));

    // An unreadable plant file changes nothing.
    test::writeText(user() / "alpha" / "bad.pln", "no plant\r\n");
    m_dialogs.paths = {user() / "alpha" / "bad.pln"};
    m_commands.loadPlantFile();
    EXPECT_EQ(m_dialogs.fileDialogs.back().fileName, "alpha") << "preset to the model's name";
    EXPECT_EQ(m_shell.PlantFileName, "cycle");
    EXPECT_EQ(m_commands.plantType(), TFlowschemeType::ftSBR);
}

TEST_F(ShellCommandsTest, ClosingAsksToOverwriteAndCancelKeepsTheProgramOpen)
{
    makeProject("alpha");
    start();
    load("alpha", "alpha", "alpha", "alpha");
    const std::string before = readText(user() / "alpha" / "alpha.mod");
    m_commands.editModel();
    EXPECT_TRUE(enabled("&Save Model"));

    m_windows.running = true;
    EXPECT_FALSE(m_commands.close());
    EXPECT_THAT(m_dialogs.shown, IsEmpty()) << "refused before any question";
    EXPECT_EQ(m_windows.calls.back(), "continuousSimulation");
    m_windows.running = false;

    m_windows.calls.clear();
    m_dialogs.yesNoCancel = {Answer::Cancel};
    EXPECT_FALSE(m_commands.close());
    EXPECT_TRUE(m_shell.state().SaveCancelled);
    EXPECT_EQ(m_dialogs.shown.back().caption, "Save Model");
    EXPECT_EQ(m_dialogs.shown.back().text, "Model alpha already exists in " +
                                               (user() / "alpha").string() +
                                               ".\nDo you want to overwrite it?");
    EXPECT_THAT(m_windows.calls, Not(Contains("closeHelp")));

    m_dialogs.yesNoCancel = {Answer::No};
    EXPECT_TRUE(m_commands.run(Command::Exit)) << "closes by the same path";
    EXPECT_FALSE(m_shell.state().SaveCancelled);
    EXPECT_EQ(readText(user() / "alpha" / "alpha.mod"), before) << "No writes nothing";
    EXPECT_THAT(m_windows.calls, ElementsAre("closeHelp"));
}

TEST_F(ShellCommandsTest, ModelCommandsCheckTheNameAndNeedAModel)
{
    makeProject("alpha");
    start();
    load("alpha", "", "", "");
    m_commands.editModel();
    m_commands.saveModelAs();
    m_commands.report(WindowPort::ReportOutput::Print);
    m_commands.loadVariation();
    EXPECT_THAT(m_dialogs.messages(),
                ElementsAre("No model loaded.\nPlease load or define a model!", "No model loaded !",
                            "No model loaded !", "No model loaded !"));
    EXPECT_THAT(m_windows.calls, IsEmpty());

    m_dialogs.shown.clear();
    m_dialogs.texts = {std::nullopt, std::string("a.b"), std::string("sub/m"), std::string("m1")};
    m_commands.newModel();
    m_commands.newModel();
    m_commands.newModel();
    EXPECT_FALSE(m_shell.state().ModelLoaded);
    EXPECT_THAT(m_dialogs.messages(), ElementsAre(kIllegalModelName, kIllegalModelName));
    EXPECT_EQ(m_dialogs.shown[0].text, "Please input a file name for the new model:|alpha");

    ASSERT_TRUE(m_commands.run(Command::NewModel));
    EXPECT_EQ(m_shell.ModelFileName, "m1");
    EXPECT_EQ(m_workspace.model.ModelName, "m1");
    EXPECT_EQ(m_workspace.model.NP, 4);
    EXPECT_EQ(m_workspace.model.NX, 4);
    EXPECT_THAT(m_workspace.model.ProgramVersion, ::testing::StartsWith("NARV Win Vers. "));
    EXPECT_THAT(m_windows.calls, ElementsAre("newModelWizard"));
    EXPECT_TRUE(enabled("&Save Model"));
    EXPECT_EQ(m_commands.statusLines()[1], " Model:      m1");
}

TEST_F(ShellCommandsTest, SaveAsCommandsWriteWhereTheUserChose)
{
    makeProject("alpha");
    start();
    load("alpha", "alpha", "alpha", "alpha");
    m_dialogs.yesNo = {false, true};
    m_dialogs.paths = {user() / "alpha" / "copy.mod"};
    m_commands.saveModelAs();
    EXPECT_THAT(m_dialogs.fileDialogs, IsEmpty()) << "declined at the question";
    m_commands.saveModelAs();
    ASSERT_EQ(m_dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(m_dialogs.fileDialogs[0].filter, "Model files (*.mod)|*.mod");
    EXPECT_EQ(m_dialogs.fileDialogs[0].defaultExtension, "MOD");
    EXPECT_EQ(m_dialogs.fileDialogs[0].fileName, "alpha");
    EXPECT_TRUE(fs::exists(user() / "alpha" / "copy.mod"));
    EXPECT_EQ(m_shell.ModelFileName, "copy");

    m_dialogs.paths = {user() / "alpha" / "p2.pln", user() / "alpha" / "v2.vrt"};
    m_commands.savePlantFileAs();
    m_commands.saveVariationAs();
    EXPECT_TRUE(fs::exists(user() / "alpha" / "p2.pln"));
    EXPECT_TRUE(fs::exists(user() / "alpha" / "v2.vrt"));
    EXPECT_EQ(m_dialogs.messages().back(),
              "Plant p2 saved in " + (user() / "alpha").string() + " .");
    EXPECT_EQ(m_shell.VariationFileName, "v2");
    EXPECT_TRUE(m_shell.state().projectSaved());
}

TEST_F(ShellCommandsTest, LoadingAModelKeepsThePlantAndDropsTheVariation)
{
    makeProject("alpha");
    fs::copy_file(kData / "models" / "small.mod", user() / "model" / "mine.mod");
    start();
    load("alpha", "alpha", "alpha", "alpha");
    m_commands.newVariation();

    m_dialogs.yesNo = {false};
    m_dialogs.paths = {user() / "model" / "mine.mod"};
    ASSERT_TRUE(m_commands.run(Command::LoadUserModel));
    EXPECT_EQ(m_dialogs.fileDialogs.back().filter, "Model files (*.mod)|*.MOD");
    EXPECT_EQ(m_dialogs.fileDialogs.back().startDirectory, user() / "model");
    EXPECT_EQ(m_dialogs.shown.back().kind, "open") << "the variation was asked for before";
    EXPECT_EQ(m_dialogs.shown[m_dialogs.shown.size() - 2].text,
              "Active variation not saved.\nDo you like to save it?");
    EXPECT_EQ(m_shell.ModelFileName, "mine");
    EXPECT_TRUE(enabled("&Save Model")) << "saving the project copies it into the project";
    EXPECT_FALSE(m_shell.state().VariationLoaded) << "sized by the old model";
    EXPECT_TRUE(m_shell.state().PlantLoaded);
    EXPECT_TRUE(enabled("&Edit Flowscheme"));
    EXPECT_TRUE(enabled("&Relaxation"));
    EXPECT_FALSE(enabled("&Dynamic Simulation"));
    EXPECT_TRUE(enabled("Save Plant &File")) << "it took the model's concentrations";
    EXPECT_EQ(m_windows.calls.back(), "modelEditor");

    // Without its model directory the user directory has to be chosen again.
    fs::remove_all(user() / "model");
    m_windows.calls.clear();
    m_dialogs.shown.clear();
    m_dialogs.paths = {std::nullopt};
    m_commands.loadUserModel();
    EXPECT_THAT(m_dialogs.messages(),
                ElementsAre("No \\model directory in the current user directory.\n"
                            "Please choose a legal user directory!"));
    EXPECT_EQ(m_dialogs.shown.back().kind, "directory");
    EXPECT_THAT(m_windows.calls, IsEmpty());
}

TEST_F(ShellCommandsTest, ANewProjectWithALoadedModelOffersToSaveIt)
{
    makeProject("alpha");
    start();
    load("alpha", "alpha", "", "");
    EXPECT_FALSE(enabled("&Save Model"));
    m_dialogs.texts = {std::string("beta")};
    ASSERT_TRUE(m_commands.run(Command::NewProject));
    EXPECT_TRUE(enabled("&Save Model"));
    EXPECT_TRUE(enabled("&Save Project"));
    EXPECT_TRUE(enabled("&Edit active Model"));
    EXPECT_EQ(m_commands.statusLines()[0], " Project: beta");

    ASSERT_TRUE(m_commands.run(Command::SaveModel));
    EXPECT_TRUE(fs::exists(user() / "beta" / "alpha.mod"));
    EXPECT_FALSE(enabled("&Save Model"));
    EXPECT_FALSE(enabled("&Save Project"));
}

TEST_F(ShellCommandsTest, VariationCommandsAndTheirRefusalForSbr)
{
    makeProject("alpha");
    fs::copy_file(kData / "special" / "sbr-small.pln", user() / "alpha" / "cycle.pln");
    start();
    load("alpha", "alpha", "alpha", "");
    m_dialogs.paths = {user() / "alpha" / "alpha.vrt"};
    ASSERT_TRUE(m_commands.run(Command::LoadVariation));
    EXPECT_EQ(m_dialogs.fileDialogs.back().filter, "Variation files (*.vrt)|*.VRT");
    EXPECT_EQ(m_shell.VariationFileName, "alpha");
    EXPECT_TRUE(m_shell.state().VariationSaved);
    EXPECT_TRUE(enabled("&Dynamic Simulation"));
    EXPECT_THAT(m_windows.calls, ElementsAre("variationEditor Options"));

    load("alpha", "alpha", "cycle", "");
    m_windows.calls.clear();
    m_dialogs.shown.clear();
    m_commands.newVariation();
    m_commands.loadVariation();
    m_commands.relaxation();
    EXPECT_THAT(m_dialogs.messages(),
                ElementsAre(kSbrVariationMessage, kSbrVariationMessage, kSbrComputationMessage));
    EXPECT_THAT(m_windows.calls, IsEmpty());
    EXPECT_FALSE(m_shell.state().VariationLoaded);
}

TEST_F(ShellCommandsTest, ReportExportAndTheHiddenContinuousSimulation)
{
    makeProject("alpha");
    start();
    load("alpha", "alpha", "alpha", "");
    // Cancelled options: no save dialog, no file.
    m_windows.reportOptions.reset();
    ASSERT_TRUE(m_commands.run(Command::ExportReportText));
    EXPECT_TRUE(m_dialogs.fileDialogs.empty());

    m_windows.reportOptions = TPrintOptions{};
    m_dialogs.paths = {user() / "alpha" / "alpha.txt"};
    ASSERT_TRUE(m_commands.run(Command::ExportReportText));
    EXPECT_EQ(m_dialogs.fileDialogs.back().filter, "Text files (*.txt)|*.TXT");
    EXPECT_EQ(m_dialogs.fileDialogs.back().fileName, "alpha");
    EXPECT_THAT(m_windows.calls, ElementsAre("reportOptions", "reportOptions"));
    EXPECT_THAT(m_dialogs.messages(), ElementsAre("Model alpha.txt saved as Textfile in " +
                                                  (user() / "alpha").string() + " ."));
    EXPECT_THAT(readText(user() / "alpha" / "alpha.txt"),
                HasSubstr("Name of the files: " + (user() / "alpha").string()));
    EXPECT_TRUE(m_shell.state().ModelSaved);

    EXPECT_TRUE(enabled("&Continuous Simulation"));
    EXPECT_FALSE(m_commands.run(Command::ContinuousSimulation)) << "hidden by the settings";
}

TEST_F(ShellCommandsTest, ResultsAreSavedAndReadByTheShell)
{
    makeProject("alpha");
    start();
    load("alpha", "alpha", "alpha", "alpha");
    EXPECT_FALSE(enabled("Show Results from File"));
    EXPECT_FALSE(m_commands.run(Command::SaveResults)) << "no run yet";

    // A run's results are saved by the shell, into the file the user chose.
    m_workspace.results.RunStart = "01.02.2024 03:04:05";
    m_workspace.resultsAvailable = true;
    m_commands.runFinished();
    m_dialogs.paths = {user() / "alpha" / "run.rlt"};
    ASSERT_TRUE(m_commands.run(Command::SaveResults));
    EXPECT_EQ(m_dialogs.fileDialogs.back().defaultExtension, "rlt");
    EXPECT_EQ(m_dialogs.fileDialogs.back().startDirectory, user() / "alpha");
    EXPECT_TRUE(fs::exists(user() / "alpha" / "run.rlt"));

    // A file that cannot be read: its message, and no window.
    m_dialogs.paths = {user() / "alpha" / "alpha.pln"};
    ASSERT_TRUE(m_commands.run(Command::LoadResultsFromFile));
    EXPECT_EQ(m_dialogs.fileDialogs.back().filter, "Result files (*.rlt)|*.RLT");
    ASSERT_EQ(m_dialogs.messages().size(), 1u);
    EXPECT_THAT(m_dialogs.messages().back(), HasSubstr("alpha.pln"));
    EXPECT_FALSE(enabled("Show Results from File"));
    EXPECT_THAT(m_windows.calls, IsEmpty());

    m_dialogs.paths = {user() / "alpha" / "run.rlt"};
    ASSERT_TRUE(m_commands.run(Command::LoadResultsFromFile));
    EXPECT_EQ(m_workspace.resultsFromFile.RunStart, "01.02.2024 03:04:05");
    EXPECT_TRUE(m_commands.run(Command::ShowResultsFromFile));
    EXPECT_THAT(m_windows.calls, ElementsAre("resultsFromFile run.rlt", "showResultsFromFile"));

    // The same without the dialog (narv --results): a missing file is told and keeps what
    // was read before.
    EXPECT_FALSE(m_commands.openResultsFile(user() / "alpha" / "missing.rlt"));
    EXPECT_THAT(m_dialogs.messages().back(), HasSubstr("missing.rlt"));
    EXPECT_EQ(m_workspace.resultsFromFile.RunStart, "01.02.2024 03:04:05");
    EXPECT_TRUE(m_commands.openResultsFile(user() / "alpha" / "run.rlt"));
    EXPECT_EQ(m_windows.calls.back(), "resultsFromFile run.rlt");
}

TEST_F(ShellCommandsTest, PlantItemsOpenTheirEditorPages)
{
    makeProject("alpha");
    start();
    load("alpha", "alpha", "alpha", "");
    for (const Command command :
         {Command::ChangeTemperature, Command::ShowPlantState, Command::InfluentConcentrations,
          Command::InitialConditions, Command::EditFlowscheme, Command::FlowschemeGraphic,
          Command::ControlLoops})
        EXPECT_TRUE(m_commands.run(command)) << CommandCaption(command);
    EXPECT_THAT(m_windows.calls,
                ElementsAre("plantEditor Definition", "plantEditor StateOfPlant",
                            "plantEditor InfluentConcentrations", "plantEditor InitialConditions",
                            "plantEditor Current", "graphic", "controlLoops"));
}

} // namespace
} // namespace narv

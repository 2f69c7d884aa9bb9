#include "shell/ProjectShell.h"

#include "shell/UserDialogs.h"

#include "ScriptedDialogs.h"
#include "TempDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace narv {
namespace {

namespace fs = std::filesystem;
using test::readText;
using test::ScriptedDialogs;
using test::TempDirectory;
using test::writeText;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Answer = UserDialogs::Answer;

const fs::path kData = NARV_TEST_DATA_DIR;

class ProjectShellTest : public ::testing::Test {
protected:
    fs::path program() const { return m_dir.path(); }
    fs::path user() const { return m_dir.path() / "user"; }

    // A project of the small model with a plant and a variation, all named after the project.
    void makeProject(const std::string& name,
                     const fs::path& plant = kData / "plants" / "oldest.pln")
    {
        fs::create_directories(user() / "model");
        fs::create_directories(user() / name);
        fs::copy_file(kData / "models" / "small.mod", user() / name / (name + ".mod"));
        fs::copy_file(plant, user() / name / (name + ".pln"));
        fs::copy_file(kData / "variations" / "small-12.vrt", user() / name / (name + ".vrt"));
    }

    void startUp()
    {
        ASSERT_TRUE(m_shell.startUp());
        m_dialogs.shown.clear();
    }

    TempDirectory m_dir;
    Workspace m_workspace;
    ScriptedDialogs m_dialogs;
    ProjectShell m_shell{m_dir.path(), m_workspace, m_dialogs};
};

TEST_F(ProjectShellTest, FirstStartCreatesBothDirectoriesAndOffersOnlyANewProject)
{
    ASSERT_TRUE(m_shell.startUp());
    EXPECT_THAT(m_dialogs.messages(),
                ElementsAre("Directory " + user().string() + " created.",
                            "Directory " + (user() / "model").string() + " created."));
    EXPECT_EQ(m_shell.userModelDir(), user() / "model");
    EXPECT_EQ(m_shell.installedModelDir(), program() / "data" / "models");
    EXPECT_EQ(m_shell.helpFile(), program() / "NARV Help.hlp");

    const StartDialogChoices choices = m_shell.startDialogChoices();
    EXPECT_FALSE(choices.lastProjectEnabled);
    EXPECT_FALSE(choices.existingProjectEnabled);
    EXPECT_TRUE(choices.newProjectEnabled);
    EXPECT_EQ(choices.preselected, StartChoice::CreateNewProject);
    EXPECT_FALSE(m_shell.runStartChoice(StartChoice::OpenExistingProject)) << "disabled";

    EXPECT_THAT(m_shell.log().lines(),
                ElementsAre("UserDir=" + user().string(), "Reading project directories!"));
    EXPECT_EQ(readText(program() / "narv.log"), "UserDir=" + user().string() + "\r\n")
        << "the project list line waits for the next write";
    EXPECT_EQ(m_shell.statusLines()[0], " No Project defined");
    EXPECT_EQ(m_shell.statusLines()[4], " User Directory: " + user().string());
}

TEST_F(ProjectShellTest, AnUncreatableUserDirectoryEndsTheStart)
{
    writeText(program() / "NARV.ini", "[Directories]\r\nUser=\\a\\b\r\n");
    EXPECT_FALSE(m_shell.startUp());
    EXPECT_THAT(m_dialogs.messages(), ElementsAre("Directory " + (program() / "a" / "b").string() +
                                                  " could not be created."));
    EXPECT_FALSE(fs::exists(program() / "narv.log"));
}

TEST_F(ProjectShellTest, StartDialogOffersTheLastProjectOnlyWhileItExists)
{
    makeProject("alpha");
    writeText(program() / "NARV.ini", "[StartUp]\r\nLastProject=gone\r\n");
    startUp();
    StartDialogChoices choices = m_shell.startDialogChoices();
    EXPECT_FALSE(choices.lastProjectEnabled) << "the last project has vanished";
    EXPECT_TRUE(choices.existingProjectEnabled);
    EXPECT_EQ(choices.preselected, StartChoice::OpenExistingProject);

    writeText(program() / "NARV.ini", "[StartUp]\r\nLastProject=alpha\r\nLastModel=alpha\r\n");
    startUp();
    choices = m_shell.startDialogChoices();
    EXPECT_TRUE(choices.lastProjectEnabled);
    EXPECT_EQ(choices.preselected, StartChoice::OpenLastProject);
    EXPECT_TRUE(m_shell.runStartChoice(StartChoice::OpenLastProject));
    EXPECT_TRUE(m_shell.state().ModelLoaded);
    EXPECT_FALSE(m_shell.state().PlantLoaded) << "LastPlant was empty";
    EXPECT_EQ(m_shell.projectDir(), user() / "alpha");
}

TEST_F(ProjectShellTest, SettingsAreCappedFallBackAndAreWrittenBack)
{
    writeText(program() / "NARV.ini", "[Simulation]\r\nloops=250\r\nEps=\r\nNameS1=S O2\r\n"
                                      "[Directories]\r\nNARVModel=\\lib\\models\r\n");
    writeText(program() / "NARV.men", "[LoadProject1]\r\nOpen a project\r\n[End]\r\n");
    startUp();
    EXPECT_EQ(m_shell.menuHints().at("LoadProject1"), "Open a project");
    EXPECT_EQ(m_shell.simSettings().loops, 100);
    EXPECT_EQ(m_shell.simSettings().Eps, 0.02);
    EXPECT_EQ(m_shell.installedModelDir(), program() / "lib" / "models");
    EXPECT_EQ(m_workspace.model.NameS[1], "S Oxygen      O2") << "the default model names it";
    m_shell.saveSettings();
    const std::string text = readText(program() / "NARV.ini");
    EXPECT_THAT(text, HasSubstr("loops=100\r\n"));
    EXPECT_THAT(text, HasSubstr("Eps=0.02\r\n"));
    EXPECT_THAT(text, HasSubstr("NameS1=S Oxygen      O2\r\n"));
    EXPECT_THAT(text, HasSubstr("NARVModel=\\lib\\models\r\n"));
    EXPECT_THAT(text, HasSubstr("User=\\user\r\n"));
}

TEST_F(ProjectShellTest, NewProjectFromTheStartDialog)
{
    startUp();
    m_dialogs.texts = {std::nullopt, std::string("model"), std::string("p1")};
    EXPECT_FALSE(m_shell.runStartChoice(StartChoice::CreateNewProject)) << "cancelled: ask again";
    EXPECT_FALSE(m_shell.runStartChoice(StartChoice::CreateNewProject)) << "the model directory";
    EXPECT_TRUE(m_shell.runStartChoice(StartChoice::CreateNewProject));
    EXPECT_THAT(m_dialogs.messages(),
                ElementsAre("Illegal project name.\nPlease choose another name!",
                            "Project directory " + (user() / "p1").string() +
                                " is created.\nAll project data will be saved in this directory."));
    EXPECT_TRUE(m_shell.state().ProjectDefined);
    EXPECT_EQ(m_shell.projectDir(), user() / "p1");
    EXPECT_THAT(m_shell.projects(), ElementsAre("p1"));

    m_dialogs.texts = {std::string("p1")};
    EXPECT_TRUE(m_shell.newProject());
    EXPECT_EQ(m_dialogs.messages().back(),
              "Project directory already exists!\nData will be saved in this project.");
    EXPECT_EQ(m_dialogs.shown[m_dialogs.shown.size() - 2].text,
              "Please input project directory name:|p1")
        << "prefilled with the project name";
}

TEST_F(ProjectShellTest, LoadProjectReadsModelPlantAndVariationAndLogs)
{
    makeProject("alpha");
    startUp();
    m_dialogs.projectChoices.push_back([](ProjectChooser& chooser) {
        EXPECT_THAT(chooser.projects(), ElementsAre("alpha"));
        EXPECT_EQ(chooser.models().selected, 1);
        return true;
    });
    ASSERT_TRUE(m_shell.runStartChoice(StartChoice::OpenExistingProject));
    const ShellState& state = m_shell.state();
    EXPECT_TRUE(state.ProjectDefined && state.ModelLoaded && state.PlantLoaded &&
                state.VariationLoaded);
    EXPECT_TRUE(state.projectSaved());
    EXPECT_EQ(m_workspace.model.ModelName, "Small test model");
    EXPECT_EQ(m_workspace.plant.PlantType, TFlowschemeType::ftUnknown);
    EXPECT_TRUE(m_dialogs.messages().empty());

    const std::string loadLine =
        "Load plant:" + (user() / "alpha" / "alpha").string() + ".pln type=Unknown";
    EXPECT_THAT(m_shell.log().lines(),
                ElementsAre("UserDir=" + user().string(), "Reading project directories!", loadLine,
                            "TFormDefFlowscheme creation successful.",
                            "TFormGraphicFlowscheme creation successful.",
                            "TFormVariation creation successful.",
                            "TFormControlLoops creation successful.",
                            "Reactor type setting successful."));
    const std::string file = readText(program() / "narv.log");
    EXPECT_THAT(file, HasSubstr("TFormControlLoops creation successful.\r\n"));
    EXPECT_THAT(file, ::testing::Not(HasSubstr("Reactor type"))) << "waits for the next write";
    EXPECT_EQ(m_shell.statusLines()[1], " Model:      alpha");

    // Loading again discards the editors first.
    m_dialogs.projectChoices.push_back([](ProjectChooser&) { return true; });
    ASSERT_TRUE(m_shell.loadProject());
    EXPECT_THAT(m_shell.log().lines(), Contains("FreeForm aFormControlLoops"));
}

TEST_F(ProjectShellTest, AnUnreadablePlantLeavesThePlantUnloaded)
{
    makeProject("alpha");
    writeText(user() / "alpha" / "alpha.pln", "not a plant\r\n");
    startUp();
    m_shell.loadProjectFiles({"alpha", "alpha", "alpha", "alpha"});
    EXPECT_TRUE(m_shell.state().ModelLoaded);
    EXPECT_FALSE(m_shell.state().PlantLoaded);
    EXPECT_EQ(m_shell.PlantFileName, "");
    EXPECT_EQ(m_dialogs.messages().size(), 1u);
    EXPECT_TRUE(m_shell.state().VariationLoaded);
}

TEST_F(ProjectShellTest, AnUnreadableModelLoadsNothingOfTheProject)
{
    makeProject("alpha");
    writeText(user() / "alpha" / "alpha.mod", "no model\r\n");
    startUp();
    const std::string modelName = m_workspace.model.ModelName;
    m_shell.loadProjectFiles({"alpha", "alpha", "alpha", "alpha"});
    EXPECT_TRUE(m_shell.state().ProjectDefined);
    EXPECT_FALSE(m_shell.state().ModelLoaded || m_shell.state().PlantLoaded ||
                 m_shell.state().VariationLoaded);
    EXPECT_EQ(m_workspace.model.ModelName, modelName) << "the reader changes nothing";
    EXPECT_EQ(m_dialogs.messages().size(), 1u) << "one error, not one per file";
    EXPECT_EQ(m_shell.statusLines()[2], " No Plant defined");
}

TEST_F(ProjectShellTest, ContinuousNamesAreWrittenOnlyWithTheirFiles)
{
    makeProject("alpha");
    writeText(program() / "NARV.ini", "[StartUp]\r\nLastContOutput=old-out\r\n");
    startUp();
    m_shell.loadProjectFiles({"alpha", "alpha", "", ""});
    writeText(user() / "alpha" / "in.csv", "");
    m_shell.ContInputName = "in";
    m_shell.ContOutputName = "out";
    m_shell.contSimulationVisible = true;
    m_shell.saveSettings();
    const ShellSettings written = ReadShellSettings(program() / "NARV.ini");
    EXPECT_EQ(written.LastContInput, "in");
    EXPECT_EQ(written.LastContOutput, "old-out") << "out.csv does not exist";
    EXPECT_TRUE(written.ContSimulation);
}

TEST(ShellText, CaptionAndDecimalNotice)
{
    EXPECT_THAT(MainWindowCaption(),
                ::testing::MatchesRegex("NARV [0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+"));
    EXPECT_FALSE(DecimalSeparatorNotice('.'));
    EXPECT_THAT(DecimalSeparatorNotice(',').value_or(""), HasSubstr("not with commas"));
}

TEST_F(ProjectShellTest, AIProjectCreatesTheLaneEditorsAndReadsItsLanes)
{
    makeProject("ai", kData / "special" / "ai-small.pln");
    fs::copy_file(kData / "special" / "ai-small-12.vrt", user() / "ai" / "ai.vrt",
                  fs::copy_options::overwrite_existing);
    startUp();
    m_shell.loadProjectFiles({"ai", "ai", "ai", "ai"});
    EXPECT_EQ(m_workspace.plant.PlantType, TFlowschemeType::ftAI);
    EXPECT_TRUE(m_shell.state().VariationLoaded);
    EXPECT_THAT(m_shell.log().lines(), Contains("TFormControlLoopsAI creation successful."));
    EXPECT_THAT(m_shell.log().lines(),
                Contains("Load plant:" + (user() / "ai" / "ai").string() + ".pln type=AI"));
}

TEST_F(ProjectShellTest, SbrProjectRefusesItsVariation)
{
    makeProject("sbr", kData / "special" / "sbr-small.pln");
    startUp();
    m_shell.loadProjectFiles({"sbr", "sbr", "sbr", "sbr"});
    EXPECT_TRUE(m_shell.state().PlantLoaded);
    EXPECT_EQ(m_workspace.plant.PlantType, TFlowschemeType::ftSBR);
    EXPECT_FALSE(m_shell.state().VariationLoaded);
    EXPECT_EQ(m_shell.VariationFileName, "");
    EXPECT_THAT(m_dialogs.messages(),
                ElementsAre("Variation files cannot be used together with SBR!"));
}

TEST_F(ProjectShellTest, NewProjectMarksTheLoadedPartsUnsavedAndSavingWritesThem)
{
    makeProject("alpha");
    startUp();
    m_shell.loadProjectFiles({"alpha", "alpha", "", ""});
    m_dialogs.texts = {std::string("beta")};
    ASSERT_TRUE(m_shell.newProject());
    EXPECT_FALSE(m_shell.state().ModelSaved);
    EXPECT_TRUE(m_shell.state().PlantSaved) << "not loaded";
    m_dialogs.shown.clear();

    EXPECT_TRUE(m_shell.saveProject());
    EXPECT_THAT(m_dialogs.messages(),
                ElementsAre("Model alpha saved in " + (user() / "beta").string() + " ."));
    EXPECT_TRUE(fs::exists(user() / "beta" / "alpha.mod"));
    EXPECT_TRUE(m_shell.state().projectSaved());
    const ShellSettings written = ReadShellSettings(program() / "NARV.ini");
    EXPECT_EQ(written.LastProject, "beta");
    EXPECT_EQ(written.LastModel, "alpha");
    EXPECT_EQ(written.LastPlant, "");
}

TEST_F(ProjectShellTest, OverwriteQuestionsDecideWhatIsWrittenAndWhetherSavingCounts)
{
    makeProject("alpha");
    startUp();
    m_shell.loadProjectFiles({"alpha", "alpha", "alpha", "alpha"});
    writeText(user() / "alpha" / "alpha.mod", "old");
    m_shell.state().ModelSaved = false;
    m_shell.state().VariationSaved = false;
    m_dialogs.yesNoCancel = {Answer::Cancel, Answer::Yes};
    EXPECT_FALSE(m_shell.saveProject()) << "cancelled model, later variation saved";
    EXPECT_TRUE(m_shell.state().SaveCancelled);
    EXPECT_EQ(readText(user() / "alpha" / "alpha.mod"), "old");
    EXPECT_FALSE(m_shell.state().ModelSaved);
    EXPECT_TRUE(m_shell.state().VariationSaved);
    EXPECT_EQ(m_dialogs.shown[0].text, "Model alpha already exists in " +
                                           (user() / "alpha").string() +
                                           ".\nDo you want to overwrite it?");
    EXPECT_EQ(m_dialogs.shown[0].caption, "Save Model");
    EXPECT_TRUE(fs::exists(program() / "NARV.ini")) << "the settings are written all the same";

    m_dialogs.yesNoCancel = {Answer::No};
    EXPECT_TRUE(m_shell.saveProject());
    EXPECT_FALSE(m_shell.state().ModelSaved);
    EXPECT_EQ(readText(user() / "alpha" / "alpha.mod"), "old");
}

TEST_F(ProjectShellTest, LoadingAnotherProjectSavesTheOldPartIntoItsOwnProject)
{
    makeProject("alpha");
    makeProject("beta");
    startUp();
    m_shell.loadProjectFiles({"alpha", "alpha", "", ""});
    fs::remove(user() / "alpha" / "alpha.mod");
    m_shell.state().ModelSaved = false;
    m_dialogs.yesNo = {true};
    m_shell.loadProjectFiles({"beta", "beta", "", ""});
    EXPECT_TRUE(fs::exists(user() / "alpha" / "alpha.mod"));
    EXPECT_FALSE(fs::exists(user() / "beta" / "alpha.mod"));
    EXPECT_EQ(m_dialogs.shown[0].text, "Active model not saved.\nDo you like to save it?");
}

TEST_F(ProjectShellTest, SaveProjectAsAsksUntilANameFits)
{
    makeProject("alpha");
    fs::create_directories(user() / "taken");
    startUp();
    m_shell.loadProjectFiles({"alpha", "alpha", "alpha", ""});
    m_dialogs.texts = {std::string("taken"), std::string("a/b"), std::string("copy")};
    m_dialogs.yesNoCancel = {Answer::Yes};
    m_dialogs.okCancel = {true};
    ASSERT_TRUE(m_shell.saveProjectAs());
    EXPECT_EQ(m_dialogs.shown[0].text, "Project Name in " + user().string() + ":|alpha");
    EXPECT_EQ(m_dialogs.shown[1].caption, "Warning!");
    EXPECT_EQ(m_shell.projectName(), "copy");
    EXPECT_TRUE(fs::exists(user() / "copy" / "alpha.mod"));
    EXPECT_TRUE(fs::exists(user() / "copy" / "alpha.pln"));
    EXPECT_TRUE(m_shell.state().projectSaved());
    EXPECT_EQ(ReadShellSettings(program() / "NARV.ini").LastProject, "copy");

    m_dialogs.texts = {std::string("taken")};
    m_dialogs.yesNoCancel = {Answer::Cancel};
    EXPECT_FALSE(m_shell.saveProjectAs());
    EXPECT_EQ(m_shell.projectName(), "copy") << "cancel changes nothing";
}

TEST_F(ProjectShellTest, UserDirectoryChangesOnlyWithItsModelDirectory)
{
    startUp();
    fs::create_directories(program() / "work");
    m_dialogs.paths = {program() / "missing" / "deeper", program() / "work"};
    EXPECT_FALSE(m_shell.chooseUserDirectory());
    EXPECT_EQ(m_shell.userDir(), user());
    EXPECT_TRUE(m_shell.chooseUserDirectory());
    EXPECT_EQ(m_shell.userDir(), program() / "work");
    EXPECT_EQ(m_shell.userModelDir(), program() / "work" / "model");
    EXPECT_EQ(m_dialogs.messages().back(),
              "Directory " + (program() / "work" / "model").string() + " created.");
    m_shell.saveSettings();
    EXPECT_EQ(ReadShellSettings(program() / "NARV.ini").User, "\\work");
}

TEST(ProjectChooser, FileListsFollowTheProjectAndTheModel)
{
    TempDirectory dir;
    const fs::path user = dir.path();
    writeText(user / "plant1" / "B.MOD", "");
    writeText(user / "plant1" / "plant1.mod", "");
    writeText(user / "plant1" / "x.pln", "");
    writeText(user / "plant1" / "notes.txt", "");
    fs::create_directories(user / "empty");
    fs::create_directories(user / "model");

    ProjectChooser chooser(user);
    EXPECT_THAT(chooser.projects(), ElementsAre("empty", "plant1"));
    EXPECT_EQ(chooser.selectedProject(), 0);
    for (const auto* list : {&chooser.models(), &chooser.plants(), &chooser.variations()}) {
        EXPECT_FALSE(list->enabled) << "a project without files";
        EXPECT_THAT(list->entries, ElementsAre(""));
    }

    chooser.selectProject(1);
    EXPECT_THAT(chooser.models().entries, ElementsAre("", "b.mod", "plant1.mod"));
    EXPECT_EQ(chooser.models().selected, 2) << "named like the project";
    EXPECT_EQ(chooser.plants().selected, 1) << "otherwise the first file";
    EXPECT_TRUE(chooser.plants().enabled);
    EXPECT_FALSE(chooser.variations().enabled);

    chooser.selectModel(1);
    EXPECT_EQ(chooser.selection().modelFileName, "B") << "the name on disk";
    chooser.selectModel(0);
    EXPECT_FALSE(chooser.plants().enabled);
    EXPECT_EQ(chooser.plants().selected, 0);
    const ProjectSelection selection = chooser.selection();
    EXPECT_EQ(selection.projectName, "plant1");
    EXPECT_EQ(selection.modelFileName, "");
    EXPECT_EQ(selection.plantFileName, "");

    TempDirectory none;
    EXPECT_EQ(ProjectChooser(none.path() / "nothing").selection().projectName, "");
}

TEST_F(ProjectShellTest, AProjectDirectoryOpensWithTheFilesTheChooserPreselects)
{
    startUp();
    const fs::path elsewhere = m_dir.path() / "copies";
    fs::create_directories(elsewhere / "beta");
    fs::copy_file(kData / "models" / "small.mod", elsewhere / "beta" / "a.mod");
    fs::copy_file(kData / "models" / "small.mod", elsewhere / "beta" / "beta.mod");
    fs::copy_file(kData / "plants" / "oldest.pln", elsewhere / "beta" / "plant.pln");

    ASSERT_TRUE(m_shell.openProjectDirectory(elsewhere / "beta" / ""));
    EXPECT_EQ(m_shell.userDir(), fs::canonical(elsewhere));
    EXPECT_TRUE(fs::is_directory(elsewhere / "model")) << "the new user directory's models";
    EXPECT_EQ(m_shell.projectName(), "beta");
    EXPECT_EQ(m_shell.ModelFileName, "beta") << "named like the project";
    EXPECT_EQ(m_shell.PlantFileName, "plant") << "otherwise the first file";
    EXPECT_EQ(m_shell.VariationFileName, "");
    EXPECT_TRUE(m_shell.state().ModelLoaded);
    EXPECT_TRUE(m_shell.state().PlantLoaded);

    m_dialogs.shown.clear();
    const fs::path userBefore = m_shell.userDir();
    EXPECT_FALSE(m_shell.openProjectDirectory(elsewhere / "missing"));
    EXPECT_THAT(m_dialogs.messages(),
                ElementsAre("Project directory " + (elsewhere / "missing").string() +
                            " does not exist."));
    EXPECT_EQ(m_shell.userDir(), userBefore);
    EXPECT_EQ(m_shell.projectName(), "beta");
}

} // namespace
} // namespace narv

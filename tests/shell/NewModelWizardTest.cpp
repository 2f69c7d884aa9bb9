#include "shell/NewModelWizard.h"

#include "plant/ModelSetup.h"
#include "shell/Workspace.h"
#include "solvers/Relaxation.h"

#include "ScriptedDialogs.h"
#include "TempDirectory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

namespace narv {
namespace {

using test::readText;
using test::ScriptedDialogs;
using test::TempDirectory;

// A new model as the new-model command hands it to the wizard.
struct NewModelWizardTest : ::testing::Test {
    NewModelWizardTest()
    {
        workspace.model.NS = 4;
        workspace.model.NX = 4;
        workspace.model.NP = 4;
        workspace.model.ProgramVersion = "NARV Win Vers. 1.0.0.0";
        workspace.model.ModelName = "heterotrophs";
    }

    void enter(ModelGrid grid, int row, int column, const char* text)
    {
        ASSERT_TRUE(editor.cellEditable(grid, row, column)) << row << "/" << column;
        const ModelEntry entry = editor.enterCell(grid, row, column, text);
        ASSERT_TRUE(entry.accepted) << text;
        ASSERT_TRUE(entry.message.empty()) << entry.message;
    }

    // Monod with its saturation value, entered at the operating temperature.
    void chooseMonod(int row, int column, const char* saturation)
    {
        ASSERT_EQ(editor.chooseKineticType(ModelGrid::KineticsDissolved, row, column, 3),
                  KineticStep::Parameter);
        ASSERT_TRUE(editor.parameterDialog()
                        .enterField(ParameterDialog::Field::OperatingValue, saturation)
                        .accepted);
        editor.closeParameterDialog(true);
    }

    Workspace workspace;
    ScriptedDialogs dialogs;
    ModelEditor editor{workspace.model, workspace.plant.OperatingTemperature};
    NewModelWizard wizard{editor, dialogs};
};

TEST_F(NewModelWizardTest, StepsSkipHiddenPagesAndLockTheLabels)
{
    EXPECT_EQ(wizard.step(), 0);
    EXPECT_EQ(wizard.page(), std::nullopt);
    EXPECT_THAT(wizard.text(), ::testing::StartsWith("This assistant leads you"));
    EXPECT_FALSE(wizard.backEnabled());
    EXPECT_FALSE(wizard.pageAllowed(ModelPage::Info));
    EXPECT_FALSE(wizard.mainWindowEnabled());
    EXPECT_TRUE(editor.labelsLocked());

    wizard.forward();
    EXPECT_EQ(wizard.page(), ModelPage::Info);
    EXPECT_FALSE(wizard.backEnabled());
    EXPECT_FALSE(editor.labelsEditable());
    editor.enterCount(ModelCount::Particulate, "0");
    editor.enterCount(ModelCount::Processes, "0");

    struct Expected {
        ModelPage page;
        bool labels;
    };
    const Expected walk[] = {{ModelPage::StoichDissolved, true},
                             {ModelPage::KineticsDissolved, false},
                             {ModelPage::InitialConditions, false},
                             {ModelPage::InfluentConcentrations, false}};
    for (const Expected& e : walk) {
        wizard.forward();
        EXPECT_EQ(wizard.page(), e.page);
        EXPECT_TRUE(wizard.pageAllowed(e.page));
        EXPECT_FALSE(wizard.pageAllowed(ModelPage::Info));
        EXPECT_EQ(editor.labelsEditable(), e.labels);
        editor.setLabelsEditable(!e.labels); // locked: the click changes nothing
        EXPECT_EQ(editor.labelsEditable(), e.labels);
    }
    wizard.back();
    wizard.back();
    EXPECT_EQ(wizard.page(), ModelPage::KineticsDissolved);
    wizard.back();
    EXPECT_EQ(wizard.page(), ModelPage::StoichDissolved);
    wizard.back();
    EXPECT_EQ(wizard.page(), ModelPage::Info);
    EXPECT_FALSE(wizard.backEnabled());

    // No to the closing question returns to the first page; closing unlocks the labels.
    editor.enterCount(ModelCount::Processes, "1");
    for (int i = 0; i < 5; ++i)
        wizard.forward();
    EXPECT_EQ(wizard.page(), ModelPage::InfluentConcentrations);
    dialogs.yesNo = {false};
    wizard.forward();
    EXPECT_EQ(wizard.step(), 1);
    EXPECT_FALSE(wizard.closed());
    EXPECT_EQ(dialogs.shown.back().text, kWizardQuitQuestion);
    wizard.close();
    EXPECT_TRUE(wizard.mainWindowEnabled());
    EXPECT_FALSE(editor.labelsLocked());
    EXPECT_THAT(dialogs.messages(), ::testing::ElementsAre(kWizardFinishedMessage));
}

TEST_F(NewModelWizardTest, WalkThroughMakesAModelThatSavesReadsBackAndRelaxes)
{
    TModelDef& model = workspace.model;
    wizard.forward();
    editor.setModelName("heterotrophs");
    editor.setRemarks({"Growth of heterotrophs on substrate and their decay."});
    // Oxygen, substrate, ammonium; biomass; growth and decay.
    ASSERT_TRUE(editor.enterCount(ModelCount::Dissolved, "3").accepted);
    ASSERT_TRUE(editor.enterCount(ModelCount::Particulate, "1").accepted);
    ASSERT_TRUE(editor.enterCount(ModelCount::Processes, "2").accepted);

    wizard.forward();
    ASSERT_EQ(wizard.page(), ModelPage::StoichDissolved);
    const ModelGrid stoichS = ModelGrid::StoichDissolved;
    enter(stoichS, 0, 2, "Substrate  COD");
    enter(stoichS, 0, 3, "Ammonium     N");
    enter(stoichS, 1, 0, "Growth");
    enter(stoichS, 2, 0, "Decay");
    enter(stoichS, 1, 1, "-1");
    enter(stoichS, 1, 2, "-2");
    enter(stoichS, 1, 3, "-0.08");
    enter(stoichS, 2, 1, "-1");
    enter(stoichS, 2, 2, "");
    enter(stoichS, 2, 3, "0.08");

    wizard.forward();
    ASSERT_EQ(wizard.page(), ModelPage::StoichParticulate);
    enter(ModelGrid::StoichParticulate, 0, 1, "Biomass    COD");
    enter(ModelGrid::StoichParticulate, 1, 1, "1");
    enter(ModelGrid::StoichParticulate, 2, 1, "-1");

    wizard.forward();
    ASSERT_EQ(wizard.page(), ModelPage::RateConstants);
    enter(ModelGrid::RateConstants, 1, 1, "4");
    enter(ModelGrid::RateConstants, 2, 1, "0.2");

    wizard.forward();
    ASSERT_EQ(wizard.page(), ModelPage::KineticsDissolved);
    chooseMonod(1, 1, "0.2");
    chooseMonod(1, 2, "10");

    wizard.forward();
    ASSERT_EQ(wizard.page(), ModelPage::KineticsParticulate);
    ASSERT_EQ(editor.chooseKineticType(ModelGrid::KineticsParticulate, 1, 1, 1), KineticStep::Done);
    ASSERT_EQ(editor.chooseKineticType(ModelGrid::KineticsParticulate, 2, 1, 1), KineticStep::Done);

    wizard.forward();
    ASSERT_EQ(wizard.page(), ModelPage::InitialConditions);
    enter(ModelGrid::InitialDissolved, 1, 1, "2");
    enter(ModelGrid::InitialDissolved, 1, 2, "5");
    enter(ModelGrid::InitialDissolved, 1, 3, "2");
    enter(ModelGrid::InitialParticulate, 1, 1, "1000");

    wizard.forward();
    ASSERT_EQ(wizard.page(), ModelPage::InfluentConcentrations);
    enter(ModelGrid::InfluentDissolved, 1, 1, "0");
    enter(ModelGrid::InfluentDissolved, 1, 2, "300");
    enter(ModelGrid::InfluentDissolved, 1, 3, "30");
    enter(ModelGrid::InfluentParticulate, 1, 1, "0");

    dialogs.yesNo = {true};
    wizard.forward();
    ASSERT_TRUE(wizard.closed());
    EXPECT_EQ(model.NameS[2], "S Substrate  COD");
    EXPECT_EQ(model.NameX[1], "X Biomass    COD");
    EXPECT_EQ(model.ProcessName[3], "Decay");
    EXPECT_EQ(model.NueS[3][2], 0.0);
    EXPECT_EQ(model.KS[2][2], 10.0);

    // Saved, read back and saved again: the same bytes.
    TempDirectory dir;
    const std::filesystem::path first = dir.path() / "heterotrophs.mod";
    const std::filesystem::path second = dir.path() / "again.mod";
    WriteModelFile(first, model);
    Workspace loaded;
    ReadModelFile(first, loaded.model, loaded.plant, loaded.state);
    WriteModelFile(second, loaded.model);
    EXPECT_EQ(readText(second), readText(first));
    EXPECT_EQ(loaded.model.NameS, model.NameS);
    EXPECT_EQ(loaded.model.TypeS, model.TypeS);
    EXPECT_EQ(loaded.model.Remarks[1], model.Remarks[1]);

    // A default activated-sludge plant relaxes with it: substrate is taken up, biomass grows.
    ApplyPlantType(TFlowschemeType::ftASR, loaded.model, loaded.plant, loaded.state, true);
    TSimSettings settings;
    Relaxation relaxation(loaded.model, loaded.plant, loaded.state, settings);
    RunControl control;
    const RunOutcome outcome = relaxation.run(control, DefaultRelaxationTimes(loaded.plant));
    EXPECT_FALSE(outcome.stopped);
    for (int c = 1; c <= loaded.plant.ReactorCount; ++c) {
        for (int j = 1; j <= 3; ++j)
            EXPECT_TRUE(std::isfinite(loaded.state.S[c][j]));
        EXPECT_LT(loaded.state.S[c][2], 300.0);
        EXPECT_GT(loaded.state.X[c][1], 1.0);
    }
}

} // namespace
} // namespace narv

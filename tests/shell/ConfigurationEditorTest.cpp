#include "shell/ConfigurationEditor.h"

#include "shell/SettingsFile.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

struct EntryCase {
    const char* key;
    const char* typed;
    bool accepted;
    const char* message;
    const char* shown;
};

class ConfigurationEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ConfigurationEntry, ChecksStoresAndShows)
{
    const EntryCase& c = GetParam();
    ShellSettings settings; // the values of missing keys: DeltMin 1e-4
    ConfigurationEditor editor(settings);
    const std::string before = editor.text(c.key);
    const ConfigurationEditor::Entry entry = editor.enter(c.key, c.typed);
    EXPECT_EQ(entry.accepted, c.accepted);
    EXPECT_EQ(entry.message, c.message);
    EXPECT_EQ(entry.text, c.shown);
    if (!c.accepted) {
        EXPECT_EQ(editor.text(c.key), before) << "a refusal keeps the previous value";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ConfigurationEntry,
    ::testing::Values(
        EntryCase{"Eps2", "0.05", true, "", "0.05"}, EntryCase{"Eps2", " 0.1 ", true, "", "0.1"},
        EntryCase{"Eps2", "0.5", false, "Number should be between   0.00 and   0.10", "0.1"},
        EntryCase{"Eps", "0.1", true, "", "0.1"},
        EntryCase{"Eps", "-0.01", false, "Number should be between   0.00 and   0.10", "0.02"},
        EntryCase{"Tdif", "1,5", false, "Input isn't a valid number", "0.01"},
        EntryCase{"Tdif", "2e3", true, "", "2000"}, EntryCase{"loops", "100", true, "", "100"},
        EntryCase{"loops", "0", false, "Number should be between 1 and 100", "10"},
        EntryCase{"loopmin", "5.5", false, "Input isn't a valid number", "10"},
        EntryCase{"ConcMax", "1e111", false, "Number should be between   0.00 and 1.00E+110 ",
                  "1e+100"},
        EntryCase{"DeltMin", "1e-4", true, "", "0.0001"},
        EntryCase{"DeltMin", "0.5", false, "Number should be between   0.00 and 1.00E-3 ",
                  "0.0001"},
        EntryCase{"DefaultPenWidth", "5", true, "", "5"},
        EntryCase{"DefaultPenWidth", "0", false, "Number should be between 1 and 5", "3"},
        EntryCase{"BottomAxisTitleCaption", "Time [d]", true, "", "Time [d]"},
        EntryCase{"Solver", " CVODE ", true, "", "cvode"},
        EntryCase{"Solver", "euler", false, "Choose legacy or cvode", "legacy"},
        EntryCase{"SteadyState", "newton", true, "", "newton"},
        EntryCase{"SteadyState", "", false, "Choose relax or newton", "relax"},
        EntryCase{"RelTol", "1e-9", true, "", "1e-09"},
        EntryCase{"RelTol", "0.5", false, "Number should be between 1.00E-14  and   0.10", "1e-06"},
        EntryCase{"RelTol", "0", false, "Number should be between 1.00E-14  and   0.10", "1e-06"},
        EntryCase{"AbsTol", "1e-6", true, "", "1e-06"},
        EntryCase{"AbsTol", "-1e-8", false, "Number should be between 1.00E-20  and1000.00", "1e-08"}));

TEST(ConfigurationEditor, EpsIsLimitedByTheEps2BeingEdited)
{
    ShellSettings settings;
    ConfigurationEditor editor(settings);
    ASSERT_TRUE(editor.enter("Eps2", "0.05").accepted);
    const auto refused = editor.enter("Eps", "0.08");
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.message, "Number should be between   0.00 and   0.05");

    // Eps2 lowered after Eps: closing finds Eps out of its range and copies nothing.
    ASSERT_TRUE(editor.enter("Eps", "0.04").accepted);
    ASSERT_TRUE(editor.enter("Eps2", "0.03").accepted);
    const auto refusal = editor.recheckAll();
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->key, "Eps");
    EXPECT_EQ(refusal->entry.message, "Number should be between   0.00 and   0.03");
    EXPECT_FALSE(editor.apply(settings));
    EXPECT_EQ(settings.simulation.Eps2, 0.1);
    ASSERT_TRUE(editor.enter("Eps", "0.03").accepted);
    EXPECT_FALSE(editor.recheckAll().has_value()) << "Eps equal to Eps2 is allowed";
}

TEST(ConfigurationEditor, TheDefaultStepIsInRangeAndValuesKeepTheirDigits)
{
    ShellSettings settings;
    settings.simulation.ConcMin = 1.2345678e-5; // more digits than the field shows
    ConfigurationEditor editor(settings);
    EXPECT_FALSE(editor.recheckAll().has_value());
    ASSERT_TRUE(editor.apply(settings));
    EXPECT_EQ(settings.simulation.ConcMin, 1.2345678e-5);
    EXPECT_EQ(settings.simulation.DeltMin, 1e-4);
}

TEST(ConfigurationEditor, OkCopiesAllAndDerivesTheOxygenStep)
{
    ShellSettings settings;
    ConfigurationEditor editor(settings);
    ASSERT_TRUE(editor.enter("DeltMin", "2e-5").accepted);
    ASSERT_TRUE(editor.enter("loops", "40").accepted);
    ASSERT_TRUE(editor.enter("BottomAxisTitleCaption", "Zeit [h]").accepted);
    ASSERT_TRUE(editor.enter("DefaultPenWidth", "2").accepted);
    editor.setStepByStep(true);
    EXPECT_EQ(settings.simulation.loops, 10) << "the working copy only";
    ASSERT_TRUE(editor.apply(settings));
    EXPECT_EQ(settings.simulation.DeltMin, 2e-5);
    EXPECT_DOUBLE_EQ(settings.simulation.DeltMinO2, 2e-6);
    EXPECT_EQ(settings.simulation.loops, 40);
    EXPECT_TRUE(settings.simulation.StepByStep);
    EXPECT_EQ(settings.BottomAxisTitleCaption, "Zeit [h]");
    EXPECT_EQ(settings.DefaultPenWidth, 2);
}

// The solver fields reach the settings only through Ok, and the settings file from there.
TEST(ConfigurationEditor, OkCopiesTheSolverChoiceAndTolerances)
{
    ShellSettings settings;
    ConfigurationEditor editor(settings);
    ASSERT_TRUE(editor.enter("Solver", "cvode").accepted);
    ASSERT_TRUE(editor.enter("SteadyState", "Newton").accepted);
    ASSERT_TRUE(editor.enter("RelTol", "1e-8").accepted);
    ASSERT_TRUE(editor.enter("AbsTol", "1e-10").accepted);
    EXPECT_EQ(settings.simulation.Solver, IntegratorChoice::Legacy) << "the working copy only";
    ASSERT_TRUE(editor.apply(settings));
    EXPECT_EQ(settings.simulation.Solver, IntegratorChoice::Cvode);
    EXPECT_EQ(settings.simulation.Steady, SteadyMethod::Newton);
    EXPECT_EQ(settings.simulation.RelTol, 1e-8);
    EXPECT_EQ(settings.simulation.AbsTol, 1e-10);
    EXPECT_NO_THROW(CheckSolverTolerances(settings.simulation));

    // A tolerance out of range in force (a file edited by hand) keeps Ok from copying.
    ShellSettings odd;
    odd.simulation.RelTol = 0.5;
    ConfigurationEditor oddEditor(odd);
    const auto refusal = oddEditor.recheckAll();
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->key, "RelTol");
    EXPECT_FALSE(oddEditor.apply(odd));
}

TEST(ConfigurationEditor, DefaultsGoIntoForceAtOnceExceptTheStep)
{
    ShellSettings settings;
    settings.simulation.Eps = 0.01;
    settings.simulation.loopmin = 50;
    settings.simulation.ConcMax = 1e20;
    settings.simulation.DeltMin = 3e-4;
    settings.BottomAxisTitleCaption = "t";
    settings.DefaultPenWidth = 5;
    settings.simulation.Solver = IntegratorChoice::Cvode;
    settings.simulation.Steady = SteadyMethod::Newton;
    settings.simulation.RelTol = 1e-9;
    ConfigurationEditor editor(settings);
    ASSERT_TRUE(editor.enter("Tdif", "0.5").accepted);
    editor.setDefaults(settings);
    EXPECT_EQ(settings.simulation.Solver, IntegratorChoice::Legacy);
    EXPECT_EQ(settings.simulation.Steady, SteadyMethod::Relax);
    EXPECT_EQ(settings.simulation.RelTol, 1e-6);
    EXPECT_EQ(editor.text("Solver"), "legacy");
    EXPECT_EQ(settings.simulation.Eps, 0.02);
    EXPECT_EQ(settings.simulation.loopmin, 10);
    EXPECT_EQ(settings.simulation.ConcMax, 1e100);
    EXPECT_EQ(settings.simulation.DeltMin, 3e-4);
    EXPECT_EQ(settings.BottomAxisTitleCaption, "Time [h]");
    EXPECT_EQ(settings.DefaultPenWidth, 3);
    EXPECT_EQ(editor.text("Tdif"), "0.01") << "the dialog shows what is in force";
    EXPECT_EQ(editor.text("DeltMin"), "0.0003");
}

} // namespace
} // namespace narv

#include "special/SbrCycle.h"
#include "special/SbrEditor.h"

#include "plant/ModelSetup.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

TSbrCycle fillThenDraw(double fill, double draw)
{
    TSbrCycle cycle;
    ResetSbrCycle(cycle);
    cycle.Periods[1].Timeslices = 10;
    cycle.Periods[1].Influent1Volume = fill;
    cycle.Periods[2].Timeslices = 10;
    cycle.Periods[2].SupernatantVolume = draw;
    return cycle;
}

TEST(SbrCycle, MinimumInitialVolumeFollowsTheDeepestDrawOrAFifthOfTheInput)
{
    EXPECT_DOUBLE_EQ(MinimumInitialVolume(fillThenDraw(50.0, 50.0)), 10.0);

    TSbrCycle drawFirst;
    drawFirst.Periods[1].MixedLiquorVolume = 50.0;
    drawFirst.Periods[2].Influent2Volume = 50.0;
    EXPECT_DOUBLE_EQ(MinimumInitialVolume(drawFirst), 50.0);

    EXPECT_DOUBLE_EQ(MinimumInitialVolume(TSbrCycle()), 0.0001);
}

TEST(SbrCycle, ResetKeepsALargeInitialVolumeAndRaisesASmallOne)
{
    TSbrCycle cycle = fillThenDraw(50.0, 50.0);
    cycle.TimesliceLength = 9;
    cycle.Periods[3].AerationMode = TSbrAerationMode::OnOff;
    cycle.InitialVolume = 123.0;
    ResetSbrCycle(cycle);
    EXPECT_EQ(cycle.TimesliceLength, 5);
    EXPECT_EQ(cycle.Accuracy, 0.001);
    EXPECT_EQ(cycle.Periods[1], TSbrPeriod());
    EXPECT_EQ(cycle.Periods[3].AerationMode, TSbrAerationMode::FixedKla);
    EXPECT_EQ(cycle.InitialVolume, 123.0);
    cycle.InitialVolume = 0.0;
    ResetSbrCycle(cycle);
    EXPECT_EQ(cycle.InitialVolume, 0.0001);
}

TEST(SbrCycle, BalanceHoldsWithinOneThousandth)
{
    const SbrBalance empty = CheckSbrBalance(TSbrCycle());
    EXPECT_TRUE(empty.passes);
    EXPECT_EQ(empty.line, "Input Volume:      0.000 m3 = Output Volume:      0.000 m3");

    EXPECT_TRUE(CheckSbrBalance(fillThenDraw(100.0, 100.05)).passes);
    const SbrBalance off = CheckSbrBalance(fillThenDraw(100.0, 100.2));
    EXPECT_FALSE(off.passes);
    EXPECT_EQ(off.line, "Input Volume:    100.000 m3 <> Output Volume:    100.200 m3");
    // Without output the input is measured against 1e-12.
    EXPECT_FALSE(CheckSbrBalance(fillThenDraw(10.0, 0.0)).passes);
}

TEST(SbrCycle, AnInstantPeriodMayFillOrDrawButNotBoth)
{
    TSbrCycle cycle;
    cycle.Periods[4].Influent1Volume = 5.0;
    EXPECT_FALSE(CheckSbrPeriod(cycle, 4));
    cycle.Periods[4].MixedLiquorVolume = 5.0;
    EXPECT_EQ(CheckSbrPeriod(cycle, 4), std::string(kSbrPeriodMessage));
    cycle.Periods[4].Timeslices = 1;
    EXPECT_FALSE(CheckSbrPeriod(cycle, 4));
}

TEST(SbrCycle, DerivedTimesAndTexts)
{
    TSbrCycle cycle = fillThenDraw(50.0, 50.0);
    cycle.Periods[5].Timeslices = 3;
    EXPECT_EQ(SbrCumulatedCycleTime(cycle, 1), 50);
    EXPECT_EQ(SbrCumulatedCycleTime(cycle, 4), 100);
    EXPECT_EQ(SbrCycleLengthMinutes(cycle), 115);
    EXPECT_EQ(SbrCycleLengthLine(5), "Max. length of 1 cycle is 1440 minutes. (5 min * 288)");
    cycle.InitialVolume = 3.0;
    EXPECT_EQ(ApplySbrInitialVolumeRule(cycle), "Initial Volume (m3) (>=10.00):");
    EXPECT_EQ(cycle.InitialVolume, 10.0);
}

struct SbrPage : ::testing::Test {
    SbrPage() : editor(cycle) { SetUpDefaultModel(model, plant, state); }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TSbrCycle cycle;
    SbrPageEditor editor;
};

TEST_F(SbrPage, TimeslicesAreBoundedBy288InAll)
{
    cycle.Periods[1].Timeslices = 200;
    cycle.Periods[2].Timeslices = 88;
    EXPECT_TRUE(editor.enterTimeslices(2, "88").accepted);
    EXPECT_TRUE(editor.enterTimeslices(2, "80").accepted);
    EXPECT_EQ(cycle.Periods[2].Timeslices, 80);
    editor.enterTimeslices(2, "88");
    const SbrEntry raised = editor.enterTimeslices(2, "89");
    EXPECT_FALSE(raised.accepted);
    EXPECT_EQ(raised.message, "Number should be between 0 and 88");
    EXPECT_EQ(raised.text, "88");
    EXPECT_EQ(editor.enterTimeslices(3, "1").message, "Number should be between 0 and 0");
    EXPECT_EQ(editor.enterTimeslices(3, "x").message, "Input isn't a valid number");
    EXPECT_TRUE(editor.modified());
}

TEST_F(SbrPage, AVolumeThatBreaksAnInstantPeriodIsPutBack)
{
    EXPECT_TRUE(editor.enterVolume(1, SbrVolumeColumn::Influent1, "40").accepted);
    const SbrEntry refused = editor.enterVolume(1, SbrVolumeColumn::Supernatant, "40");
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.message, kSbrPeriodMessage);
    EXPECT_EQ(refused.text, "0.00");
    EXPECT_EQ(cycle.Periods[1].SupernatantVolume, 0.0);
    // The initial-volume rule runs after every volume entry.
    EXPECT_EQ(cycle.InitialVolume, 8.0);
    EXPECT_EQ(editor.enterVolume(2, SbrVolumeColumn::MixedLiquor, "12.345").text, "12.35");
    EXPECT_EQ(editor.enterVolume(2, SbrVolumeColumn::MixedLiquor, "-1").message,
              "Number should be between   0.00 and 1.00E+100 ");
}

TEST_F(SbrPage, FixedKlaAndFixedOxygenClearEachOther)
{
    cycle.Periods[3].FixedO2 = 2.0;
    const SbrValueRequest kla = editor.chooseAerationMode(3, TSbrAerationMode::FixedKla);
    EXPECT_FALSE(kla.controlDialog);
    EXPECT_EQ(kla.title, "SBR Control for period 3");
    EXPECT_EQ(kla.prompt, "Fixed kla value for this period:");
    EXPECT_EQ(kla.preset, "     0.000");
    EXPECT_TRUE(editor.enterFixedValue(3, "4").accepted);
    EXPECT_EQ(cycle.Periods[3].FixedKla, 4.0);
    EXPECT_EQ(cycle.Periods[3].FixedO2, 0.0);

    const SbrValueRequest o2 = editor.chooseAerationMode(3, TSbrAerationMode::FixedO2);
    EXPECT_EQ(o2.prompt, "Fixed S Oxygen concentration for this period:");
    EXPECT_TRUE(editor.enterFixedValue(3, "2").accepted);
    EXPECT_EQ(cycle.Periods[3].FixedO2, 2.0);
    EXPECT_EQ(cycle.Periods[3].FixedKla, 0.0);

    EXPECT_TRUE(editor.chooseAerationMode(3, TSbrAerationMode::OnOff).controlDialog);
}

TEST_F(SbrPage, FieldsCheckTheirRanges)
{
    EXPECT_TRUE(editor.enterTimesliceLength("0").accepted);
    const SbrEntry length = editor.enterTimesliceLength("1441");
    EXPECT_EQ(length.message, "Number should be between 0 and 1440");
    EXPECT_TRUE(length.returnFocus);
    EXPECT_FALSE(editor.enterAccuracy("0.05").accepted);
    EXPECT_EQ(cycle.Accuracy, 0.001);
    EXPECT_TRUE(editor.enterAccuracy("0.0001").accepted);
    EXPECT_EQ(editor.accuracyText(), " 0.000");
    cycle.Periods[1].Influent1Volume = 100.0;
    cycle.Periods[2].SupernatantVolume = 100.0;
    const SbrEntry volume = editor.enterInitialVolume("5");
    EXPECT_TRUE(volume.accepted);
    EXPECT_EQ(volume.text, "20.00"); // raised to the minimum at once
}

TEST_F(SbrPage, LeavingNeedsTheMinimumVolumeAndABalancedCycle)
{
    plant.PlantType = TFlowschemeType::ftSBR;
    cycle.Periods[1].Influent1Volume = 100.0;
    cycle.Periods[2].SupernatantVolume = 90.0;
    cycle.InitialVolume = 19.0;

    SbrLeaveCheck check = CheckLeaveSbrPage(plant, cycle, true);
    EXPECT_FALSE(check.allowed);
    EXPECT_EQ(check.message, "Initial Volume should exceed 20.00 m3.");
    EXPECT_EQ(check.focus, SbrLeaveCheck::Focus::InitialVolume);
    EXPECT_EQ(CheckLeaveSbrPage(plant, cycle, false).focus, SbrLeaveCheck::Focus::None);

    cycle.InitialVolume = 20.0;
    check = CheckLeaveSbrPage(plant, cycle, true);
    EXPECT_FALSE(check.allowed);
    EXPECT_EQ(check.message, kSbrUnbalancedMessage);
    EXPECT_EQ(check.focus, SbrLeaveCheck::Focus::Grid);
    check = CheckLeaveSbrPage(plant, cycle, false);
    EXPECT_FALSE(check.allowed);
    EXPECT_EQ(check.message, "");

    cycle.Periods[2].SupernatantVolume = 100.0;
    EXPECT_TRUE(CheckLeaveSbrPage(plant, cycle, true).allowed);
    plant.PlantType = TFlowschemeType::ftASR;
    cycle.InitialVolume = 0.0;
    EXPECT_TRUE(CheckLeaveSbrPage(plant, cycle, true).allowed);
}

TEST_F(SbrPage, ControlDialogStoresTheFieldsOfItsMode)
{
    SbrControlDialogMemory memory;
    TSbrPeriod& p = cycle.Periods[2];
    p.AerationMode = TSbrAerationMode::OnOff;
    p.ValueBelow = 10.0;
    p.UpperThreshold = 2.0;
    {
        // The first opening, in mode 3, starts the value below the lower threshold at 0.
        SbrControlDialog dialog(cycle, 2, model, memory);
        EXPECT_EQ(dialog.caption(), "SBR Control of period 2");
        EXPECT_EQ(dialog.fieldLabel(SbrControlDialog::SignalValueOrUpper),
                  "If signal is higher than");
        EXPECT_EQ(dialog.fieldText(SbrControlDialog::SlopeOrBelow), "      0.000");
        EXPECT_EQ(dialog.fieldText(SbrControlDialog::SignalValueOrUpper), "      2.000");
        EXPECT_FALSE(dialog.enterField(SbrControlDialog::ValueAbove, "2e9").accepted);
        EXPECT_TRUE(dialog.enterField(SbrControlDialog::SetpointOrLower, "1").accepted);
    }
    {
        // Cancelled before, so the stored value stays; a second mode-3 opening shows it.
        SbrControlDialog dialog(cycle, 2, model, memory);
        EXPECT_EQ(dialog.fieldText(SbrControlDialog::SlopeOrBelow), "     10.000");
        dialog.enterField(SbrControlDialog::SetpointOrLower, "1");
        editor.acceptControlDialog(dialog);
        EXPECT_EQ(p.LowerThreshold, 1.0);
        EXPECT_EQ(p.ValueBelow, 10.0);
    }
    cycle.Periods[3].AerationMode = TSbrAerationMode::Proportional;
    model.NS = 2;
    {
        SbrControlDialog dialog(cycle, 3, model, memory);
        EXPECT_FALSE(dialog.fieldVisible(SbrControlDialog::ValueAbove));
        EXPECT_EQ(dialog.fieldLabel(SbrControlDialog::SlopeOrBelow), "Slope of equation:");
        EXPECT_TRUE(dialog.enterField(SbrControlDialog::SlopeOrBelow, "-5").accepted);
        dialog.chooseSignal(3); // not a dissolved species of the model
        EXPECT_EQ(dialog.signalIndex(), 1);
        dialog.chooseSignal(2);
        dialog.ok();
        EXPECT_EQ(cycle.Periods[3].Slope, -5.0);
        EXPECT_EQ(cycle.Periods[3].SignalSpecies, 2);
    }
    {
        // After a proportional period a mode-3 opening starts at 0 again.
        SbrControlDialog dialog(cycle, 2, model, memory);
        EXPECT_EQ(dialog.fieldValue(SbrControlDialog::SlopeOrBelow), 0.0);
    }
}

} // namespace
} // namespace narv

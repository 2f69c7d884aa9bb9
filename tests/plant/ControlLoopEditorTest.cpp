#include "plant/ControlLoopEditor.h"

#include "SampleModels.h"
#include "core/InputCheck.h"
#include "plant/ControlLoops.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

struct ControlLoopEditorTest : ::testing::Test {
    ControlLoopEditorTest()
    {
        model = testing::MakeCarbonNitrogenModel();
        plant.ReactorCount = 3;
        plant.CompartmentCount = 5;
        ResetControlLoops(plant.ControlLoops);
    }

    TModelDef model;
    TPlantDef plant;
    ControlLoopList list{model, plant};
};

TEST_F(ControlLoopEditorTest, RowsFollowTheReactorsAndTheEntries)
{
    const std::vector<ControlLoopRow> rows = list.rows();
    ASSERT_EQ(rows.size(), 7u) << "four fixed entries and one per reactor, clarifiers left out";
    EXPECT_EQ(rows[0].name, "CLoop1");
    EXPECT_EQ(rows[0].caption, "Returnsludge");
    EXPECT_EQ(rows[0].description, "Signal to control Returnsludge");
    EXPECT_FALSE(rows[0].editable);
    EXPECT_EQ(rows[6].name, "CLoop7");
    EXPECT_EQ(rows[6].caption, "Kla of Reactor 3");
    EXPECT_FALSE(list.modified()) << "showing the rows changes nothing";

    plant.ControlLoops[5].OnOff = true;
    list.setActive(5, true);
    const ControlLoopRow active = list.row(5);
    EXPECT_TRUE(active.active);
    EXPECT_TRUE(active.editable);
    EXPECT_TRUE(active.onOff);
    EXPECT_EQ(active.description, DescribeControlLoop(model, plant.ControlLoops[5]));
    EXPECT_TRUE(plant.ControlLoopsActive);
    EXPECT_TRUE(list.modified());
}

TEST_F(ControlLoopEditorTest, DeactivateAllClearsTheFlag)
{
    list.setActive(1, true);
    list.setActive(7, true);
    list.setActive(1, false);
    EXPECT_TRUE(plant.ControlLoopsActive) << "entry 7 is still on";
    list.deactivateAll();
    EXPECT_FALSE(plant.ControlLoopsActive);
    for (const ControlLoopRow& row : list.rows())
        EXPECT_FALSE(row.active) << row.name;
}

TEST_F(ControlLoopEditorTest, TypeChoiceMarksThePlantUnsaved)
{
    list.chooseType(2, true);
    EXPECT_TRUE(list.modified());
}

TEST_F(ControlLoopEditorTest, DialogListsCompartmentsAndSignals)
{
    TControlLoopDef& entry = plant.ControlLoops[6];
    ControlLoopDialog dialog(model, plant, entry, ControlledQuantityCaption(6), false);
    EXPECT_EQ(dialog.caption(), "Control of Kla of Reactor 2");
    EXPECT_EQ(dialog.compartmentItems(),
              (std::vector<std::string>{"1", "2", "3", "Cl. 1", "Cl. 2"}));
    EXPECT_EQ(dialog.compartmentIndex(), 1);
    const std::vector<std::string> signals = dialog.signalItems();
    ASSERT_EQ(signals.size(), static_cast<std::size_t>(1 + model.NS + model.NX));
    EXPECT_EQ(signals[0], "Influent flowrate");
    EXPECT_EQ(signals[1], model.NameS[1]);
    EXPECT_EQ(signals[model.NS + 1], model.NameX[1]);

    // Signal 1 needs no compartment; a species needs one.
    EXPECT_EQ(dialog.signalIndex(), 0);
    EXPECT_FALSE(dialog.compartmentEnabled());
    dialog.chooseSignal(1);
    EXPECT_EQ(dialog.copy().Signal, 3);
    EXPECT_TRUE(dialog.compartmentEnabled());
    dialog.chooseSignal(model.NS + 2);
    EXPECT_EQ(dialog.copy().Signal, model.NS + 4);
    dialog.chooseCompartment(4);
    EXPECT_EQ(dialog.copy().Compartment, 5);
    dialog.chooseSignal(0);
    EXPECT_EQ(dialog.copy().Signal, 1);
    EXPECT_FALSE(dialog.compartmentEnabled());

    // Total solids, which a plant file may hold, has no item but stays until changed.
    entry.Signal = 2;
    ControlLoopDialog solids(model, plant, entry, "x", false);
    EXPECT_EQ(solids.signalIndex(), -1);
    solids.ok();
    EXPECT_EQ(entry.Signal, 2);
}

TEST_F(ControlLoopEditorTest, SwitchingToOnOffStartsBelowValueAtZeroAndCancelKeepsTheEntry)
{
    TControlLoopDef& entry = plant.ControlLoops[1];
    const TControlLoopDef before = entry;
    ControlLoopDialog dialog(model, plant, entry, "Returnsludge", true);
    EXPECT_TRUE(dialog.onOff());
    EXPECT_EQ(dialog.fieldValue(ControlLoopDialog::Steigung), 0.0);
    EXPECT_TRUE(dialog.fieldVisible(ControlLoopDialog::Stellung2));
    EXPECT_EQ(dialog.fieldLabel(ControlLoopDialog::ErwartetX), "If signal is higher than");
    EXPECT_EQ(dialog.fieldLabel(ControlLoopDialog::ErwartetY), "If signal is less than ");
    EXPECT_EQ(dialog.fieldLabel(ControlLoopDialog::Steigung), "then set value to");
    EXPECT_TRUE(dialog.enterField(ControlLoopDialog::ErwartetX, "7").accepted);
    // Closing without OK is Cancel: the entry stays an equation with its slope.
    EXPECT_FALSE(entry.OnOff);
    EXPECT_EQ(entry.Steigung, before.Steigung);
    EXPECT_EQ(entry.ErwartetX, before.ErwartetX);

    // An on/off entry keeps its value below the lower threshold.
    entry.OnOff = true;
    entry.Steigung = 12.0;
    ControlLoopDialog again(model, plant, entry, "Returnsludge", true);
    EXPECT_EQ(again.fieldValue(ControlLoopDialog::Steigung), 12.0);

    // Back to an equation: no set value above, the equation's labels.
    ControlLoopDialog equation(model, plant, entry, "Returnsludge", false);
    EXPECT_FALSE(equation.fieldVisible(ControlLoopDialog::Stellung2));
    EXPECT_EQ(equation.fieldLabel(ControlLoopDialog::ErwartetX), "signal value:");
    EXPECT_EQ(equation.fieldLabel(ControlLoopDialog::Steigung), "Slope of equation:");
    equation.ok();
    EXPECT_FALSE(entry.OnOff);
    EXPECT_EQ(entry.Steigung, 12.0);
}

TEST_F(ControlLoopEditorTest, FieldRangesAndOk)
{
    TControlLoopDef& entry = plant.ControlLoops[3];
    ControlLoopDialog dialog(model, plant, entry, "Dx=Excess sludge", false);
    EXPECT_EQ(dialog.fieldText(ControlLoopDialog::ErwartetY), "    150.000");
    struct Case {
        ControlLoopDialog::Field field;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {ControlLoopDialog::ErwartetX, "-1", false},  {ControlLoopDialog::ErwartetX, "3", true},
        {ControlLoopDialog::ErwartetY, "2e9", false}, {ControlLoopDialog::ErwartetY, "0", true},
        {ControlLoopDialog::Steigung, "-1e50", true}, {ControlLoopDialog::Steigung, "2e9", false},
        {ControlLoopDialog::Stellung2, "abc", false}, {ControlLoopDialog::Stellung2, "9", true},
    };
    for (const Case& c : cases) {
        const double before = dialog.fieldValue(c.field);
        const ControlLoopEntry result = dialog.enterField(c.field, c.text);
        EXPECT_EQ(result.accepted, c.accepted) << c.text;
        if (!c.accepted) {
            EXPECT_FALSE(result.message.empty());
            EXPECT_TRUE(result.returnFocus);
            EXPECT_EQ(dialog.fieldValue(c.field), before);
        } else {
            EXPECT_EQ(result.text, dialog.fieldText(c.field));
        }
    }
    EXPECT_EQ(entry.ErwartetX, 2.0) << "nothing reaches the entry before OK";
    dialog.ok();
    EXPECT_EQ(entry.ErwartetX, 3.0);
    EXPECT_EQ(entry.ErwartetY, 0.0);
    EXPECT_EQ(entry.Steigung, -1e50);
    EXPECT_EQ(entry.Stellung2, 9.0);
}

TEST_F(ControlLoopEditorTest, LaneLoopChoosesLanesAndStaysOnOff)
{
    TControlLoopDef lane;
    lane.OnOff = true;
    lane.Steigung = 2.0;
    lane.Stellung2 = 1.0;
    ControlLoopDialog dialog(model, plant, lane, "Lane", false, true);
    EXPECT_TRUE(dialog.onOff()) << "the lane loop is never an equation";
    EXPECT_EQ(dialog.copy().Steigung, 2.0) << "an on/off loop keeps its value below";
    EXPECT_TRUE(dialog.fieldIsLaneChoice(ControlLoopDialog::Steigung));
    EXPECT_TRUE(dialog.fieldIsLaneChoice(ControlLoopDialog::Stellung2));
    EXPECT_FALSE(dialog.fieldIsLaneChoice(ControlLoopDialog::ErwartetX));
    EXPECT_EQ(ControlLoopDialog::LaneItems(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(dialog.laneIndex(ControlLoopDialog::Steigung), 1);
    EXPECT_EQ(dialog.laneIndex(ControlLoopDialog::Stellung2), 0);
    dialog.chooseLane(ControlLoopDialog::Steigung, 0);
    dialog.chooseLane(ControlLoopDialog::Stellung2, 1);
    dialog.chooseLane(ControlLoopDialog::ErwartetX, 1); // not a lane value: ignored
    dialog.ok();
    EXPECT_EQ(lane.Steigung, 1.0);
    EXPECT_EQ(lane.Stellung2, 2.0);
    EXPECT_EQ(lane.ErwartetX, 2.0);

    // A plain loop has no lane choice.
    ControlLoopDialog plain(model, plant, plant.ControlLoops[1], "Returnsludge", true);
    EXPECT_FALSE(plain.fieldIsLaneChoice(ControlLoopDialog::Steigung));
    plain.chooseLane(ControlLoopDialog::Steigung, 1);
    EXPECT_EQ(plain.fieldValue(ControlLoopDialog::Steigung), 0.0);
}

} // namespace
} // namespace narv

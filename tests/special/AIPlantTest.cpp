#include "special/AIPlant.h"
#include "special/AIEditor.h"

#include "core/Error.h"
#include "plant/ControlLoopEditor.h"
#include "plant/ControlLoops.h"
#include "plant/ModelSetup.h"

#include <gtest/gtest.h>

#include <vector>

namespace narv {
namespace {

std::vector<int> upstream(const TAIPlant& ai, int lane, int compartments)
{
    std::vector<int> list;
    for (int k = 1; k <= compartments; ++k)
        list.push_back(ai.LaneUpstream[lane][k]);
    return list;
}

TEST(LaneUpstream, TwoPolyvalentTwoPerLaneOnePostAerationOneClarifier)
{
    TAIPlant ai;
    ai.PolyvalentCount = 2;
    ai.LaneCompartmentCount = 2;
    ai.PostAerationCount = 1;
    BuildLaneUpstream(ai, 8);
    EXPECT_EQ(upstream(ai, 1, 8), (std::vector<int>{0, 1, 2, 3, 5, 6, 4, 7}));
    EXPECT_EQ(upstream(ai, 2, 8), (std::vector<int>{0, 1, 3, 4, 2, 5, 6, 7}));
}

TEST(LaneUpstream, OnePolyvalentReactorFeedsTheFirstCompartmentOfEitherLane)
{
    TAIPlant ai;
    ai.PolyvalentCount = 1;
    ai.LaneCompartmentCount = 1;
    ai.PostAerationCount = 2;
    BuildLaneUpstream(ai, 5);
    EXPECT_EQ(upstream(ai, 1, 5), (std::vector<int>{0, 1, 3, 2, 4}));
    EXPECT_EQ(upstream(ai, 2, 5), (std::vector<int>{0, 2, 1, 3, 4}));
}

struct AISetUp : ::testing::Test {
    AISetUp() { SetUpDefaultModel(model, plant, state); }
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TAIPlant ai;
};

TEST_F(AISetUp, NewPlantKeepsOrRaisesTheReactorCount)
{
    plant.ReactorCount = 2;
    plant.CompartmentCount = 2;
    ApplyAIPlantType(model, plant, state, ai, true);
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftAI);
    EXPECT_EQ(plant.ReactorCount, 4);
    EXPECT_EQ(plant.CompartmentCount, 5);
    EXPECT_EQ(ai.PolyvalentCount, 1);
    EXPECT_EQ(ai.LaneCompartmentCount, 1);
    EXPECT_EQ(ai.PostAerationCount, 1);
    EXPECT_TRUE(plant.Influent2Enabled);
    EXPECT_TRUE(plant.SludgeSeparation);

    plant.ReactorCount = 6;
    ApplyAIPlantType(model, plant, state, ai, true);
    EXPECT_EQ(plant.ReactorCount, 6);
    EXPECT_EQ(ai.PolyvalentCount, 3);
    EXPECT_EQ(plant.CompartmentCount, 7);

    // 18 reactors leave no room for the clarifier compartment: one reactor fewer.
    plant.ReactorCount = 18;
    ApplyAIPlantType(model, plant, state, ai, true);
    EXPECT_EQ(plant.ReactorCount, 17);
    EXPECT_EQ(plant.CompartmentCount, 18);
}

TEST_F(AISetUp, LoadedPlantKeepsItsCountsAndLoops)
{
    plant.ReactorCount = 6;
    plant.CompartmentCount = 9;
    ai.PolyvalentCount = 2;
    ai.LaneLoops[2][0].Active = true;
    plant.ControlLoopsActive = true;
    plant.SludgeSeparation = false;
    ApplyAIPlantType(model, plant, state, ai, false);
    EXPECT_EQ(plant.CompartmentCount, 9);
    EXPECT_EQ(ai.PolyvalentCount, 2);
    EXPECT_TRUE(ai.LaneLoops[2][0].Active);
    EXPECT_TRUE(plant.ControlLoopsActive);
    EXPECT_TRUE(plant.SludgeSeparation);
}

TEST_F(AISetUp, LaneLoopDefaults)
{
    const TControlLoopDef& lane = ai.LaneLoops[1][kLaneLoopEntry];
    EXPECT_FALSE(lane.Active);
    EXPECT_TRUE(lane.OnOff);
    EXPECT_EQ(lane.ErwartetX, 2.0);
    EXPECT_EQ(lane.ErwartetY, 150.0);
    EXPECT_EQ(lane.Steigung, 2.0);
    EXPECT_EQ(lane.Stellung2, 1.0);
    EXPECT_EQ(lane.Signal, 1);
    EXPECT_EQ(lane.Compartment, 1);
    EXPECT_FALSE(ai.LaneLoops[2][7].OnOff);
    EXPECT_EQ(ai.LaneLoops[2][7].Compartment, 3);
    EXPECT_EQ(ai.LaneLoops[2][7].Steigung, -200.0);
}

TEST_F(AISetUp, RolesLabelsAndTwins)
{
    ai.PolyvalentCount = 1;
    ai.LaneCompartmentCount = 2;
    ai.PostAerationCount = 1;
    plant.ReactorCount = 6;
    plant.CompartmentCount = 7;
    EXPECT_EQ(AIReactorGridLabel(ai, plant, 1), "polyvalent");
    EXPECT_EQ(AIReactorGridLabel(ai, plant, 3), "lane 1");
    EXPECT_EQ(AIReactorGridLabel(ai, plant, 4), "lane 2");
    EXPECT_EQ(AIReactorGridLabel(ai, plant, 6), "post-aeration");
    EXPECT_EQ(AIReactorGridLabel(ai, plant, 7), "");
    EXPECT_EQ(AIStateGridLabel(ai, plant, 1), "polyv.");
    EXPECT_EQ(AIStateGridLabel(ai, plant, 6), "post-aer.");
    EXPECT_EQ(AIFeedLabel(ai, plant, 2), "with feed");
    EXPECT_EQ(AIFeedLabel(ai, plant, 5), "without feed");
    EXPECT_EQ(AITwinCompartment(ai, plant, 3), 5);
    EXPECT_EQ(AITwinCompartment(ai, plant, 4), 2);
    EXPECT_EQ(AITwinCompartment(ai, plant, 6), 0);

    AIPlantEditor editor(plant, ai);
    editor.setVolume(3, 500.0);
    EXPECT_EQ(plant.Volume[5], 500.0);
    editor.setVolume(6, 70.0);
    EXPECT_EQ(plant.Volume[6], 70.0);
}

TEST_F(AISetUp, StateGridTurnsTheStandardPageWithTypeAndFeedRows)
{
    ai.PolyvalentCount = 1;
    ai.LaneCompartmentCount = 2;
    ai.PostAerationCount = 1;
    plant.ReactorCount = 6;
    plant.CompartmentCount = 7;
    plant.InfluentFlow = 100.0;
    PlantEditor page(model, plant, state);
    const GridRows standard = page.statePage();
    const GridRows rows = AIStateGrid(standard, ai, plant);
    const std::size_t columns = standard[0].size(); // label, flow, species, oxygen
    ASSERT_EQ(rows.size(), columns + 2);
    const std::size_t firstCompartment = standard.size() - 7;
    for (std::size_t r = 0; r < standard.size(); ++r) {
        // Every influent and compartment is a column of its own, the cells turned over.
        ASSERT_EQ(rows[0].size(), standard.size());
        EXPECT_EQ(rows[0][r], standard[r][0]);
        EXPECT_EQ(rows[2][r], standard[r][1]);
        EXPECT_EQ(rows[3][r], standard[r][2]);
        EXPECT_EQ(rows[columns - 1][r], standard[r][columns - 2]); // the last species
        EXPECT_EQ(rows[columns + 1][r], standard[r][columns - 1]); // oxygen consumption
    }
    EXPECT_EQ(rows[1][0].text, " Type");
    EXPECT_EQ(rows[columns + 1][0].text, "Oxygen consumption");
    const std::vector<std::string> types = {"polyv.",    "lane 1", "lane 1", "lane 2",
                                            "lane 2",    "post-aer.", ""};
    const std::vector<std::string> feeds = {"", "with feed", "with feed", "without feed",
                                            "without feed", "", ""};
    for (std::size_t k = 0; k < 7; ++k) {
        EXPECT_EQ(rows[1][firstCompartment + k].text, types[k]) << k;
        EXPECT_EQ(rows[columns][firstCompartment + k].text, feeds[k]) << k;
    }
    // The influent columns carry neither a role nor a feed mark.
    ASSERT_GE(firstCompartment, 2U);
    EXPECT_EQ(rows[1][1].text, "");
    EXPECT_EQ(rows[columns][1].text, "");
    EXPECT_EQ(standard[1][0].text, "1.influent");
}

struct AIEditing : AISetUp {
    AIEditing()
    {
        // Two lanes of 3, one post-aeration reactor, two clarifier compartments.
        ai.PolyvalentCount = 1;
        ai.LaneCompartmentCount = 3;
        ai.PostAerationCount = 1;
        plant.PlantType = TFlowschemeType::ftAI;
        plant.ReactorCount = 8;
        plant.CompartmentCount = 10;
        plant.ReturnFlow = 5.0;
    }
    AIPlantEditor editor{plant, ai};
};

TEST_F(AIEditing, ItemListsFollowTheOtherCounts)
{
    AIDefinitionView view = editor.refresh();
    EXPECT_EQ(view.polyvalent, (AIItemRange{1, 9}));
    EXPECT_EQ(view.clarifier, (AIItemRange{0, 10}));
    EXPECT_EQ(editor.changePolyvalentCount(4), "");
    view = editor.view();
    EXPECT_EQ(view.laneCompartments, (AIItemRange{1, 5}));
    EXPECT_EQ(view.postAeration, (AIItemRange{1, 6}));
    EXPECT_EQ(plant.ReactorCount, 11);
    EXPECT_EQ(plant.CompartmentCount, 13);
    EXPECT_EQ(ai.LaneUpstream[2][8], 4); // the first lane-2 compartment follows reactor 4
}

TEST_F(AIEditing, TooManyPolyvalentReactorsAreLowered)
{
    EXPECT_EQ(editor.changePolyvalentCount(12), kTooManyPolyvalentMessage);
    EXPECT_EQ(ai.PolyvalentCount, 9);
    EXPECT_EQ(plant.CompartmentCount, 18);
    EXPECT_EQ(editor.changeLaneCompartmentCount(4), kTooManyPolyvalentMessage);
    EXPECT_EQ(ai.PolyvalentCount, 7);
    EXPECT_THROW(editor.changeLaneCompartmentCount(8), RangeError);
    EXPECT_EQ(ai.LaneCompartmentCount, 4);
}

TEST_F(AIEditing, RecirculationIndicesFollowThePolyvalentReactors)
{
    plant.RecircFrom = 9;
    plant.RecircTo = 1;
    plant.Recirc2From = 1;
    plant.Recirc2To = 1;
    plant.RecircFlow = 10.0;
    editor.changePolyvalentCount(3);
    EXPECT_EQ(plant.RecircFrom, 3);
    EXPECT_EQ(plant.RecircTo, 1);
    EXPECT_EQ(plant.Recirc2From, 2);
    EXPECT_EQ(plant.Recirc2To, 1);
    EXPECT_TRUE(plant.RecircActive);
    const AIDefinitionView& view = editor.view();
    EXPECT_EQ(view.recircFrom, (std::vector<int>{2, 3, 10}));
    EXPECT_EQ(view.recircTo, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(view.recirc2To, (std::vector<int>{1}));
    EXPECT_TRUE(view.recirc2Editable);

    plant.InfluentReactor = 3;
    editor.changePolyvalentCount(1);
    EXPECT_EQ(plant.RecircFrom, 1);
    EXPECT_EQ(plant.Recirc2To, 1);
    EXPECT_EQ(plant.InfluentReactor, 1);
    EXPECT_FALSE(plant.RecircActive);
    EXPECT_FALSE(editor.view().recircEditable);
}

TEST_F(AIEditing, WithoutReturnSludgeThereIsNoClarifier)
{
    plant.ReturnFlow = 0.0;
    const AIDefinitionView view = editor.refresh();
    EXPECT_FALSE(plant.SludgeSeparation);
    EXPECT_FALSE(view.sludgeAgeEditable);
    EXPECT_EQ(plant.CompartmentCount, plant.ReactorCount);
    plant.ReturnFlow = 1.0;
    editor.changeClarifierCount(3);
    EXPECT_EQ(plant.CompartmentCount, 11);
    EXPECT_TRUE(editor.view().sludgeAgeEditable);
    EXPECT_FALSE(editor.view().returnReactorEditable); // one polyvalent reactor
}

TEST_F(AIEditing, ControlLoopListCaptionsAndRules)
{
    AIControlLoopList list(model, plant, ai);
    EXPECT_EQ(list.lastEntry(), 12);
    EXPECT_EQ(list.entryCaption(0), "Lane");
    EXPECT_EQ(list.entryCaption(3), "Dx=Excess sludge");
    EXPECT_EQ(list.entryCaption(5), "Kla of Reactor 1");
    EXPECT_EQ(list.entryCaption(7), "Kla of R. 3 (lane 1)");
    EXPECT_EQ(list.entryCaption(9), "Kla of R. 5 (lane 2)");
    EXPECT_EQ(list.entryCaption(12), "Kla of Reactor 8");
    EXPECT_EQ(list.entryLine(2, 0), "Signal to control Lane");

    const TAIPlant before = ai;
    const AIControlLoopList::KindChoice lane = list.chooseKind(1, 0, false);
    EXPECT_EQ(lane.message, kOnlyOnOffMessage);
    EXPECT_TRUE(lane.onOff);
    EXPECT_TRUE(list.modified());
    // The entry keeps its kind until the settings dialog's OK: Cancel leaves the equation as it
    // was, OK stores the on/off copy with the slope cleared.
    ASSERT_FALSE(ai.LaneLoops[1][7].OnOff);
    const AIControlLoopList::KindChoice kla = list.chooseKind(1, 7, true);
    EXPECT_EQ(kla.message, "");
    EXPECT_TRUE(kla.onOff);
    {
        ControlLoopDialog cancelled(model, plant, ai.LaneLoops[1][7], list.entryCaption(7),
                                    kla.onOff);
        EXPECT_TRUE(cancelled.onOff());
        EXPECT_EQ(cancelled.copy().Steigung, 0.0);
    }
    EXPECT_FALSE(ai.LaneLoops[1][7].OnOff);
    EXPECT_EQ(ai.LaneLoops[1][7].Steigung, before.LaneLoops[1][7].Steigung);
    EXPECT_TRUE(ai.LaneLoops[1][0].OnOff);
    ControlLoopDialog confirmed(model, plant, ai.LaneLoops[1][7], list.entryCaption(7), kla.onOff);
    confirmed.ok();
    EXPECT_TRUE(ai.LaneLoops[1][7].OnOff);
    EXPECT_EQ(ai.LaneLoops[1][7].Steigung, 0.0);
    EXPECT_THROW(list.chooseKind(3, 1, true), Error);

    list.setActive(1, 0, true);
    EXPECT_TRUE(plant.ControlLoopsActive);
    EXPECT_EQ(list.entryLine(1, 0), DescribeControlLoop(model, ai.LaneLoops[1][0]));
    list.setActive(1, 0, false);
    EXPECT_FALSE(plant.ControlLoopsActive);

    ai.LaneLoops[1][7].ErwartetX = 1.5;
    ai.LaneLoops[1][7].Active = true;
    list.copyToOtherLane(1, 7);
    EXPECT_EQ(ai.LaneLoops[2][7].ErwartetX, 1.5);
    EXPECT_TRUE(ai.LaneLoops[2][7].OnOff);
    EXPECT_TRUE(plant.ControlLoopsActive);
    // Entries of clarifier compartments do not count.
    list.setActive(1, 7, false);
    list.setActive(2, 7, false);
    ai.LaneLoops[2][14].Active = true;
    EXPECT_FALSE(AnyAIControlLoopActive(plant, ai));
}

struct LanePage : ::testing::Test {
    LanePage()
    {
        variation.PointCount = 4;
        variation.CycleDuration = 1.0;
        editor.show();
    }
    std::vector<int> lanes() const
    {
        std::vector<int> list;
        for (int i = 1; i <= variation.PointCount; ++i)
            list.push_back(schedule.LaneFed[i]);
        return list;
    }
    TVariationDef variation;
    TAIVariation schedule;
    LanePageEditor editor{schedule, variation};
};

TEST_F(LanePage, DoubleClickAndSelectionSwitchLanes)
{
    EXPECT_EQ(editor.rowLabel(2), " 6-12 hrs");
    editor.select(1); // the first selection after showing the page
    EXPECT_EQ(lanes(), (std::vector<int>{1, 1, 1, 1}));
    editor.select(3);
    EXPECT_EQ(lanes(), (std::vector<int>{1, 1, 2, 1}));
    editor.doubleClick(3);
    editor.doubleClick(4);
    EXPECT_EQ(lanes(), (std::vector<int>{1, 1, 1, 2}));
    EXPECT_EQ(editor.cellText(4), "2");
    editor.changeSelection(1, 3, 2);
    EXPECT_EQ(lanes(), (std::vector<int>{2, 2, 2, 2}));
    EXPECT_TRUE(editor.modified());
    editor.show();
    editor.select(2);
    EXPECT_EQ(lanes(), (std::vector<int>{2, 2, 2, 2}));
}

TEST_F(LanePage, PasteTakesOnlyOnesAndTwos)
{
    EXPECT_EQ(editor.paste("2\r\n2\r\n", 2, 1), "");
    EXPECT_EQ(lanes(), (std::vector<int>{1, 2, 2, 1}));
    // Pasted with the label column, as copied.
    EXPECT_EQ(editor.paste("a\t2\nb\t1\n", 3, 0), "");
    EXPECT_EQ(lanes(), (std::vector<int>{1, 2, 2, 1}));
    EXPECT_EQ(editor.paste("2\r\n0\r\n", 1, 1), kLaneClipboardMessage);
    EXPECT_EQ(lanes(), (std::vector<int>{1, 2, 2, 1}));
    EXPECT_EQ(editor.cellText(2), "2");
    EXPECT_EQ(editor.paste("1.5", 4, 1), kLaneClipboardMessage);
    EXPECT_EQ(editor.cellText(4), "1");
    const std::string copied = editor.copyText();
    EXPECT_EQ(copied.substr(0, copied.find("\r\n")), "  time step  \t  lane fed   ");
    EXPECT_NE(copied.find(" 6-12 hrs\t2\r\n"), std::string::npos);
}

TEST(VariationStepLabel, WholeAndFractionalHours)
{
    EXPECT_EQ(VariationStepLabel(1, 1.0, 12), " 0- 2 hrs");
    EXPECT_EQ(VariationStepLabel(12, 0.5, 12), "11-12 hrs");
    EXPECT_EQ(VariationStepLabel(1, 1.0, 48), "   0.000-   0.500 hrs");
}

} // namespace
} // namespace narv

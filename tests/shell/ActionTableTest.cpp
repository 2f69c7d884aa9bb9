#include "shell/ActionTable.h"

#include "shell/ProjectShell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace narv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The enabled items of a menu, the menu entry included when it is enabled.
std::vector<std::string> enabledIn(const ActionTable& table, const std::string& menu)
{
    std::vector<std::string> result;
    for (const auto& [name, items] : table.menus()) {
        if (name != menu)
            continue;
        if (table.enabled(name))
            result.push_back(name);
        for (const std::string& item : items)
            if (table.enabled(item))
                result.push_back(item);
    }
    return result;
}

class ActionTableTest : public ::testing::Test {
protected:
    void startUp()
    {
        SetVariation(m_table, m_state, m_type, false);
        SetPlant(m_table, m_state, m_type, false);
        SetModel(m_table, m_state, false);
        SetProject(m_table, m_state, false);
        RefreshSaveActions(m_table, m_state);
    }
    void loadPlant(TFlowschemeType type)
    {
        startUp();
        SetProject(m_table, m_state, true);
        SetModel(m_table, m_state, true);
        m_type = type;
        SetPlant(m_table, m_state, m_type, true);
        RefreshSaveActions(m_table, m_state);
    }

    ActionTable m_table;
    ShellState m_state;
    TFlowschemeType m_type = TFlowschemeType::ftUnknown;
};

TEST_F(ActionTableTest, LayoutCaptionsShortcutsAndToolButtons)
{
    ASSERT_EQ(m_table.menus().size(), 8u);
    EXPECT_EQ(m_table.menus()[0].first, "&File");
    EXPECT_THAT(m_table.menus()[4].second,
                ElementsAre("&Relaxation", "&Integration", "&Dynamic Simulation",
                            "&Continuous Simulation"));
    EXPECT_EQ(m_table["&Edit active Model"].shortcut, "Ctrl+M");
    EXPECT_EQ(m_table["&Save Results to File"].shortcut, "Ctrl+S");
    EXPECT_EQ(m_table["&CSTR (Completely Stirred Tank Reactor) "].caption,
              "&CSTR (Completely Stirred Tank Reactor) ");
    EXPECT_TRUE(m_table["&New Project"].hasToolButton);
    EXPECT_FALSE(m_table["&New Project"].toolButtonVisible);
    EXPECT_FALSE(m_table["&Continuous Simulation"].visible) << "off unless the settings say so";
    EXPECT_TRUE(ActionTable(true)["&Continuous Simulation"].visible);
    EXPECT_FALSE(m_table.enabled("Show Results from File"));
    EXPECT_THROW(m_table["&Save Modell"], std::out_of_range);
}

TEST_F(ActionTableTest, BeforeAProjectOnlyFileResultsToolsAndHelp)
{
    startUp();
    EXPECT_THAT(enabledIn(m_table, "&File"),
                ElementsAre("&File", "&USER Directory", "&New Project", "&Load Project", "&Exit"));
    for (const char* menu : {"&Variation", "&Model", "&Plant Definition", "&Computations"})
        EXPECT_THAT(enabledIn(m_table, menu), IsEmpty()) << menu;
    EXPECT_TRUE(m_table.enabled("Show &Results"));
    EXPECT_TRUE(m_table.enabled("&About..."));
}

TEST_F(ActionTableTest, AProjectOffersToStartAModel)
{
    startUp();
    SetProject(m_table, m_state, true);
    RefreshSaveActions(m_table, m_state);
    EXPECT_TRUE(m_state.ProjectDefined);
    EXPECT_THAT(enabledIn(m_table, "&Model"),
                ElementsAre("&Model", "&New Model", "Load &USER Model", "Load NARV &Model"));
    EXPECT_TRUE(m_table.enabled("Save Project &as"));
    EXPECT_FALSE(m_table.enabled("&Save Project")) << "nothing to save";
    EXPECT_FALSE(m_table.enabled("&Save Results to File"));
    EXPECT_THAT(enabledIn(m_table, "&Plant Definition"), IsEmpty());
}

TEST_F(ActionTableTest, AModelOffersToStartAPlantAndAVariation)
{
    startUp();
    SetProject(m_table, m_state, true);
    SetModel(m_table, m_state, true);
    RefreshSaveActions(m_table, m_state);
    EXPECT_THAT(enabledIn(m_table, "&Plant Definition"),
                ElementsAre("&Plant Definition", "&Define new Flowscheme",
                            "&Activated Sludge Reactor", "&CSTR (Completely Stirred Tank Reactor) ",
                            "&Batch Reactor", "&SBR (Sequencing Batch Reactor)", "A/I Processes",
                            "&Load Plant File"));
    EXPECT_THAT(enabledIn(m_table, "&Variation"),
                ElementsAre("&Variation", "&New Variation", "&Load Variation"));
    EXPECT_TRUE(m_table.enabled("&Edit active Model"));
    EXPECT_TRUE(m_table.enabled("as &Text File"));
    EXPECT_FALSE(m_table.enabled("&Save Model")) << "a model just read is saved";
    EXPECT_THAT(enabledIn(m_table, "&Computations"), IsEmpty());

    SetModel(m_table, m_state, false);
    EXPECT_THAT(enabledIn(m_table, "&Model"),
                ElementsAre("&Model", "&New Model", "Load &USER Model", "Load NARV &Model"));
    EXPECT_FALSE(m_table.enabled("as &Text File")) << "goes with its sub-menu";
    EXPECT_THAT(enabledIn(m_table, "&Variation"), IsEmpty());
}

TEST_F(ActionTableTest, APlantEnablesTheComputationsAndAVariationTheDynamicSimulation)
{
    loadPlant(TFlowschemeType::ftASR);
    EXPECT_THAT(
        enabledIn(m_table, "&Computations"),
        ElementsAre("&Computations", "&Relaxation", "&Integration", "&Continuous Simulation"));
    EXPECT_TRUE(m_table.enabled("Control &Loops"));
    EXPECT_FALSE(m_table.enabled("&Edit Variation")) << "no variation to edit";
    EXPECT_FALSE(m_table.enabled("Save Plant &File"));

    SetVariation(m_table, m_state, m_type, true);
    m_state.VariationSaved = false;
    RefreshSaveActions(m_table, m_state);
    EXPECT_TRUE(m_table.enabled("&Dynamic Simulation"));
    EXPECT_TRUE(m_table.enabled("&Edit Variation"));
    EXPECT_TRUE(m_table.enabled("&Save Variation"));
    EXPECT_TRUE(m_table.enabled("&Save Project"));

    SetVariation(m_table, m_state, m_type, false);
    m_state.VariationSaved = true;
    RefreshSaveActions(m_table, m_state);
    EXPECT_FALSE(m_table.enabled("&Dynamic Simulation"));
    EXPECT_THAT(enabledIn(m_table, "&Variation"),
                ElementsAre("&Variation", "&New Variation", "&Load Variation"));

    SetPlant(m_table, m_state, m_type, false);
    EXPECT_THAT(enabledIn(m_table, "&Computations"), IsEmpty());
    EXPECT_FALSE(m_table.enabled("&Edit Flowscheme"));
    EXPECT_TRUE(m_table.enabled("&Load Plant File"));
}

TEST_F(ActionTableTest, AnSbrPlantRunsOnlyItsCycleAndTakesNoVariation)
{
    loadPlant(TFlowschemeType::ftSBR);
    EXPECT_THAT(enabledIn(m_table, "&Computations"),
                ElementsAre("&Computations", "&Dynamic Simulation", "&Continuous Simulation"));
    EXPECT_FALSE(m_table.enabled("&Graphic of Flowscheme"));
    EXPECT_FALSE(m_table.enabled("Control &Loops"));
    EXPECT_TRUE(m_table.enabled("&Edit Flowscheme"));
    EXPECT_THAT(enabledIn(m_table, "&Variation"), IsEmpty());

    SetVariation(m_table, m_state, m_type, false);
    EXPECT_TRUE(m_table.enabled("&Dynamic Simulation")) << "needs no variation";
    EXPECT_THAT(enabledIn(m_table, "&Variation"), IsEmpty());
}

TEST_F(ActionTableTest, AnAIPlantOffersItsGraphicLoopsAndVariation)
{
    loadPlant(TFlowschemeType::ftAI);
    EXPECT_TRUE(m_table.enabled("&Graphic of Flowscheme"));
    EXPECT_TRUE(m_table.enabled("Control &Loops"));
    EXPECT_THAT(enabledIn(m_table, "&Variation"),
                ElementsAre("&Variation", "&New Variation", "&Load Variation"));
    EXPECT_FALSE(m_table.enabled("&Dynamic Simulation")) << "an A/I plant needs its variation";
}

TEST_F(ActionTableTest, ARunHoldsTheOtherComputationsAndWhatWouldReplaceItsData)
{
    loadPlant(TFlowschemeType::ftASR);
    SetVariation(m_table, m_state, m_type, true);
    RefreshSaveActions(m_table, m_state);
    const ActionTable before = m_table;
    struct Case {
        RunKind run;
        std::vector<std::string> held;
        const char* own;
    };
    const std::vector<Case> cases = {
        {RunKind::Integration, {"&Relaxation", "&Dynamic Simulation", "&Continuous Simulation"},
         "&Integration"},
        {RunKind::Relaxation, {"&Integration", "&Dynamic Simulation"}, "&Relaxation"},
        {RunKind::DynamicSimulation, {"&Relaxation", "&Integration"}, "&Dynamic Simulation"},
        {RunKind::ContinuousSimulation, {"&Relaxation", "&Integration", "&Dynamic Simulation"},
         "&Continuous Simulation"},
    };
    for (const Case& c : cases) {
        m_table.setRun(c.run);
        for (const std::string& item : c.held)
            EXPECT_FALSE(m_table.enabled(item)) << item;
        EXPECT_TRUE(m_table.enabled(c.own)) << "its window holds the Stop button";
        for (const char* item : {"&New Project", "&Load Project", "&New Model", "Load &USER Model",
                                 "Load NARV &Model", "&Define new Flowscheme", "&Batch Reactor",
                                 "&Load Plant File", "&New Variation", "&Load Variation"})
            EXPECT_FALSE(m_table.enabled(item)) << item;
        for (const char* item : {"&Save Project", "Save Project &as", "&Edit Flowscheme",
                                 "&Edit Variation", "Show &Results", "&Configuration"})
            EXPECT_EQ(m_table.enabled(item), before.enabled(item)) << item;

        // A state change during the run does not free what the run holds...
        SetPlant(m_table, m_state, m_type, true);
        RefreshSaveActions(m_table, m_state);
        EXPECT_FALSE(m_table.enabled(c.held.front()));
        // ...and after it everything is as the state says.
        m_table.setRun(RunKind::None);
        for (const auto& [menu, items] : m_table.menus())
            for (const std::string& item : items)
                EXPECT_EQ(m_table.enabled(item), before.enabled(item)) << item;
    }
}

} // namespace
} // namespace narv

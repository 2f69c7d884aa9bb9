#include "plant/PlantEditor.h"

#include "SampleModels.h"
#include "core/InputCheck.h"
#include "core/NumberFormat.h"
#include "model/Temperature.h"
#include "plant/ModelSetup.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

struct PlantEditorTest : ::testing::Test {
    PlantEditorTest()
    {
        model = testing::MakeCarbonNitrogenModel();
        ApplyModelInitialConditions(model, state);
    }

    // An ASR plant of 3 reactors of 100 m3 and 2 clarifier compartments.
    void makeAsr()
    {
        plant.ReactorCount = 3;
        plant.CompartmentCount = 5;
        for (int c = 1; c <= 3; ++c)
            plant.Volume[c] = 100.0;
        editor.applyPlantType(TFlowschemeType::ftASR, false);
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    PlantEditor editor{model, plant, state};
};

TEST_F(PlantEditorTest, CaptionDropsAcceleratorMarks)
{
    EXPECT_EQ(PlantEditor::Caption("&ASR (activated sludge)"),
              "Flowscheme: ASR (activated sludge)");
    EXPECT_EQ(PlantEditor::Caption("C&STR && more"), "Flowscheme: CSTR & more");
}

TEST_F(PlantEditorTest, AsrWithClarifierOffersItsLists)
{
    makeAsr();
    const PlantDefinitionView& view = editor.view();
    EXPECT_EQ(plant.CompartmentCount, 5);
    EXPECT_TRUE(plant.SludgeSeparation);
    EXPECT_EQ(view.reactorCounts, (PlantItemRange{1, 18}));
    EXPECT_EQ(view.clarifierCounts, (PlantItemRange{0, 15}));
    EXPECT_EQ(view.clarifierCount, 2);
    EXPECT_EQ(view.targetReactors, (PlantItemRange{1, 3}));
    EXPECT_EQ(view.recircFrom, (PlantItemRange{2, 3}));
    EXPECT_EQ(view.recircTo, (PlantItemRange{1, 1}));
    EXPECT_TRUE(view.sludgeAgeEnabled);
    EXPECT_TRUE(view.returnReactorEnabled);
    EXPECT_EQ(view.temperatureText, "20.0 °C");
    EXPECT_EQ(view.returnFlowText, "  5.000");
    EXPECT_EQ(editor.temperatureEditText(), "20.0");

    editor.chooseReactorCount(17);
    EXPECT_EQ(plant.CompartmentCount, 18);
    EXPECT_EQ(editor.view().clarifierCount, 1);
    EXPECT_EQ(editor.view().clarifierCounts, (PlantItemRange{0, 1}));
    EXPECT_TRUE(editor.modified());
}

TEST_F(PlantEditorTest, RefreshLowersReactorNumbersAndDropsClarifierWithoutReturnSludge)
{
    makeAsr();
    plant.InfluentReactor = 7;
    plant.Influent2Reactor = 4;
    plant.ReturnReactor = 9;
    plant.ReturnFlow = 0.0;
    const PlantDefinitionView& view = editor.refresh();
    EXPECT_EQ(plant.InfluentReactor, 3);
    EXPECT_EQ(plant.Influent2Reactor, 3);
    EXPECT_EQ(plant.ReturnReactor, 3);
    EXPECT_FALSE(plant.SludgeSeparation);
    EXPECT_EQ(plant.CompartmentCount, 3);
    EXPECT_FALSE(view.sludgeAgeEnabled);
    EXPECT_FALSE(view.returnReactorEnabled);
    EXPECT_FALSE(editor.modified()); // a refresh alone changes nothing the user entered
}

TEST_F(PlantEditorTest, CstrHasNoClarifierAndNoSludgeAge)
{
    plant.ReactorCount = 2;
    plant.CompartmentCount = 4;
    const PlantDefinitionView& view = editor.applyPlantType(TFlowschemeType::ftCSTR, true);
    EXPECT_FALSE(view.sludgeAgeEnabled);
    EXPECT_FALSE(view.returnReactorEnabled);
    EXPECT_EQ(editor.reactorGrid().size(), 3u); // titles and two reactors
}

TEST_F(PlantEditorTest, UnknownTypeIsResolvedWhenShown)
{
    plant.ReturnFlow = 0.0;
    plant.InfluentFlow = 0.0;
    plant.Influent2Flow = 2.0;
    editor.applyPlantType(TFlowschemeType::ftUnknown, false);
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftCSTR);
}

TEST_F(PlantEditorTest, AIPlantTypeCanBeChosen)
{
    plant.Influent2Enabled = false;
    state.S[2][3] = 77.0;
    const PlantDefinitionView& view = editor.applyPlantType(TFlowschemeType::ftAI, true);
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftAI);
    EXPECT_TRUE(plant.Influent2Enabled);
    EXPECT_TRUE(view.influent2FlowEnabled);
    EXPECT_EQ(state.S[2][3], model.InitialS[3]) << "a chosen type starts from the model's state";
}

TEST_F(PlantEditorTest, InfluentControlsFollowFlowsAndType)
{
    plant.ReactorCount = 2;
    plant.CompartmentCount = 2;
    plant.InfluentFlow = 0.0;
    plant.Influent2Flow = 3.0;
    editor.applyPlantType(TFlowschemeType::ftCSTR, false);
    EXPECT_FALSE(editor.view().influentReactorEnabled);
    EXPECT_TRUE(editor.view().influent2FlowEnabled);
    EXPECT_TRUE(editor.view().influent2ReactorEnabled);

    editor.chooseReactorCount(1);
    EXPECT_FALSE(editor.view().influent2ReactorEnabled); // one reactor: nothing to choose

    const PlantEntry entry = editor.enterField(PlantField::InfluentFlow, "10");
    EXPECT_TRUE(entry.accepted);
    EXPECT_EQ(entry.text, " 10.000");
    EXPECT_TRUE(editor.view().influentReactorEnabled);

    editor.applyPlantType(TFlowschemeType::ftBatch, false);
    plant.Influent2Flow = 3.0;
    editor.refresh(); // a batch plant has no 2nd influent, whatever is stored
    EXPECT_EQ(plant.Influent2Flow, 0.0);
    EXPECT_FALSE(editor.view().influent2FlowEnabled);
    EXPECT_FALSE(editor.view().influent2ReactorEnabled);
}

TEST_F(PlantEditorTest, ReactorCountKeepsRecirculationsValid)
{
    plant.ReactorCount = 6;
    plant.CompartmentCount = 6;
    plant.RecircFrom = 6;
    plant.RecircTo = 5;
    plant.Recirc2From = 3;
    plant.Recirc2To = 2;
    plant.RecircFlow = 10.0;
    plant.Recirc2Flow = 4.0;
    editor.applyPlantType(TFlowschemeType::ftASR, false);
    EXPECT_TRUE(plant.RecircActive);
    EXPECT_TRUE(editor.view().recirc2Enabled);

    editor.chooseReactorCount(4);
    EXPECT_EQ(plant.RecircFrom, 4);
    EXPECT_EQ(plant.RecircTo, 3);
    EXPECT_EQ(editor.view().recircTo, (PlantItemRange{1, 3}));

    // Only a target above its lowered source is lowered; one equal to it stays.
    editor.chooseReactorCount(2);
    EXPECT_EQ(plant.RecircFrom, 2);
    EXPECT_EQ(plant.RecircTo, 1);
    EXPECT_EQ(plant.Recirc2From, 2);
    EXPECT_EQ(plant.Recirc2To, 2);

    editor.chooseReactorCount(1);
    EXPECT_EQ(plant.RecircFrom, 1);
    EXPECT_EQ(plant.RecircTo, 1);
    EXPECT_EQ(plant.Recirc2From, 1);
    EXPECT_EQ(plant.Recirc2To, 1);
    EXPECT_FALSE(plant.RecircActive); // whatever the stored flows
    EXPECT_FALSE(editor.view().recircEnabled);
    EXPECT_FALSE(editor.view().recirc2Enabled);
    EXPECT_EQ(editor.view().recircFrom, (PlantItemRange{2, 1}));

    editor.chooseReactorCount(3);
    EXPECT_EQ(plant.RecircFrom, 2);
    EXPECT_EQ(plant.RecircTo, 1);
    EXPECT_TRUE(plant.RecircActive);
}

TEST_F(PlantEditorTest, ChoosingASmallerSourceLowersItsTarget)
{
    plant.ReactorCount = 5;
    plant.CompartmentCount = 5;
    plant.RecircFrom = 5;
    plant.RecircTo = 4;
    editor.applyPlantType(TFlowschemeType::ftCSTR, false);
    editor.chooseTarget(PlantTarget::RecircFrom, 3);
    EXPECT_EQ(plant.RecircTo, 2);
    EXPECT_EQ(editor.view().recircTo, (PlantItemRange{1, 2}));
    editor.chooseTarget(PlantTarget::RecircTo, 1);
    EXPECT_EQ(plant.RecircTo, 1);
}

TEST_F(PlantEditorTest, RecirculationFlowSwitchesTheRecirculation)
{
    makeAsr();
    editor.enterField(PlantField::RecircFlow, "20");
    EXPECT_TRUE(plant.RecircActive);
    EXPECT_TRUE(editor.view().recirc2Enabled);
    editor.enterField(PlantField::RecircFlow, "0");
    EXPECT_FALSE(plant.RecircActive);
    EXPECT_FALSE(editor.view().recirc2Enabled);
}

TEST_F(PlantEditorTest, SludgeAgeHasTheResidenceTimeAsMinimum)
{
    makeAsr();
    plant.InfluentFlow = 50.0;
    plant.SludgeAge = 4.0;
    editor.refresh();
    EXPECT_EQ(editor.view().sludgeAgeLabel, "Sludge age (SRT) (>6.000)");
    EXPECT_EQ(plant.SludgeAge, 6.0);
    EXPECT_EQ(plant.ExcessRate, 1.0 / 6.0);

    const PlantEntry refused = editor.enterField(PlantField::SludgeAge, "5");
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.message, CheckRealText("5", 6.0, 1e9, 6.0).message);
    EXPECT_TRUE(refused.returnFocus);
    EXPECT_EQ(plant.SludgeAge, 6.0);

    EXPECT_TRUE(editor.enterField(PlantField::SludgeAge, "8").accepted);
    EXPECT_EQ(plant.ExcessRate, 1.0 / 8.0);

    // Without influent the minimum is 0, and a sludge age of 0 must not divide by 0.
    editor.enterField(PlantField::InfluentFlow, "0");
    EXPECT_EQ(editor.view().sludgeAgeLabel, "Sludge age (SRT) (>0.000)");
    EXPECT_TRUE(editor.enterField(PlantField::SludgeAge, "0").accepted);
    EXPECT_EQ(plant.SludgeAge, 1e-12);
    EXPECT_EQ(plant.ExcessRate, 1e12);
}

TEST_F(PlantEditorTest, LabelAndTemperatureAreFixedPointWhateverTheMagnitude)
{
    makeAsr();
    struct Case {
        double volume, flow, temperature;
        const char* label;
        const char* temperatureText;
        const char* bareTemperature;
    };
    const Case cases[] = {
        {100000.0, 1.0, 20.0, "Sludge age (SRT) (>300000.000)", "20.0 °C", "20.0"},
        {0.001, 1000.0, 0.005, "Sludge age (SRT) (>0.000)", "0.0 °C", "0.0"},
        {1.0, 300.0, -15.25, "Sludge age (SRT) (>0.010)", "-15.2 °C", "-15.2"},
    };
    for (const Case& c : cases) {
        for (int r = 1; r <= 3; ++r)
            plant.Volume[r] = c.volume;
        plant.InfluentFlow = c.flow;
        plant.OperatingTemperature = c.temperature;
        const PlantDefinitionView& view = editor.refresh();
        EXPECT_EQ(view.sludgeAgeLabel, c.label);
        EXPECT_EQ(view.temperatureText, c.temperatureText);
        EXPECT_EQ(editor.temperatureEditText(), c.bareTemperature);
    }
}

TEST_F(PlantEditorTest, InfluentGridsEditTheirConcentrations)
{
    makeAsr();
    struct Case {
        InfluentGrid grid;
        int species;
        double* value;
        int columns;
    };
    const Case cases[] = {
        {InfluentGrid::Dissolved1, 2, &model.InfluentS[2], model.NS},
        {InfluentGrid::Particulate1, 1, &model.InfluentX[1], model.NX},
        {InfluentGrid::Dissolved2, model.NS, &plant.SIn2[model.NS], model.NS},
        {InfluentGrid::Particulate2, model.NX, &plant.XIn2[model.NX], model.NX},
    };
    for (const Case& c : cases) {
        const GridRows before = editor.influentGrid(c.grid);
        ASSERT_EQ(before.size(), 2u);
        ASSERT_EQ(before[0].size(), static_cast<std::size_t>(c.columns) + 1);
        EXPECT_EQ(before[0][0].text, " Species");
        EXPECT_EQ(before[1][0].text, " values");
        EXPECT_TRUE(before[1][c.species].editable);

        const double old = *c.value;
        const PlantEntry refused = editor.enterInfluent(c.grid, c.species, "-3");
        EXPECT_FALSE(refused.accepted);
        EXPECT_FALSE(refused.returnFocus);
        EXPECT_EQ(*c.value, old);

        const PlantEntry entry = editor.enterInfluent(c.grid, c.species, "42.5");
        EXPECT_TRUE(entry.accepted);
        EXPECT_EQ(entry.text, "     42.500");
        EXPECT_EQ(*c.value, 42.5);
        EXPECT_EQ(editor.influentGrid(c.grid)[1][c.species].text, "     42.500");
    }
    // No cell beyond the species of the model.
    EXPECT_FALSE(editor.enterInfluent(InfluentGrid::Dissolved1, model.NS + 1, "1").accepted);
    EXPECT_TRUE(editor.modified());
}

TEST_F(PlantEditorTest, FieldsRefuseValuesOutsideTheirRange)
{
    makeAsr();
    const PlantEntry text = editor.enterField(PlantField::ReturnFlow, "abc");
    EXPECT_FALSE(text.accepted);
    EXPECT_EQ(text.message, kInvalidNumberMessage);
    EXPECT_FALSE(editor.enterField(PlantField::O2Saturation, "-1").accepted);
    EXPECT_FALSE(editor.enterField(PlantField::Recirc2Flow, "2e9").accepted);
    EXPECT_FALSE(editor.modified());
}

TEST_F(PlantEditorTest, TemperatureConvertsTheModel)
{
    makeAsr();
    const PlantEntry refused = editor.enterField(PlantField::OperatingTemperature, "120");
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.message, CheckRealText("120", -20.0, 100.0, 20.0).message);
    EXPECT_EQ(plant.OperatingTemperature, 20.0);

    TModelDef expected = model;
    ConvertToOperatingTemperature(expected, 25.0, expected.BaseTemperature);
    const PlantEntry entry = editor.enterField(PlantField::OperatingTemperature, "25");
    EXPECT_TRUE(entry.accepted);
    EXPECT_EQ(entry.text, "25.0 °C");
    EXPECT_EQ(plant.OperatingTemperature, 25.0);
    for (int p = 2; p <= model.NP; ++p)
        EXPECT_EQ(model.KrT[p], expected.KrT[p]) << "process " << p;
    EXPECT_NE(model.KrT[2], model.Kr[2]);
    EXPECT_TRUE(editor.modified());
}

TEST_F(PlantEditorTest, ReactorGridRowsAndAerationExclusion)
{
    makeAsr();
    const GridRows rows = editor.reactorGrid();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0][3].text, " Kla Value");
    EXPECT_EQ(rows[3][0].text, " Reactor 3");
    EXPECT_EQ(rows[5][0].text, " Clarifier 2");
    EXPECT_EQ(rows[1][1], (GridCell{"    100.000", true}));
    EXPECT_EQ(rows[4][2], (GridCell{"", false})); // clarifiers are not aerated
    EXPECT_FALSE(editor.enterReactorCell(4, ReactorColumn::Kla, "5").accepted);

    plant.O2Setpoint[2] = 2.0;
    const PlantEntry kla = editor.enterReactorCell(2, ReactorColumn::Kla, "5");
    EXPECT_TRUE(kla.accepted);
    EXPECT_EQ(kla.text, "      5.000");
    EXPECT_EQ(plant.Kla[2], 5.0);
    EXPECT_EQ(plant.O2Setpoint[2], 0.0);
    editor.enterReactorCell(2, ReactorColumn::O2Setpoint, "2");
    EXPECT_EQ(plant.O2Setpoint[2], 2.0);
    EXPECT_EQ(plant.Kla[2], 0.0);

    // Entering 0 switches nothing off in the other column.
    plant.Kla[1] = 3.0;
    editor.enterReactorCell(1, ReactorColumn::O2Setpoint, "0");
    EXPECT_EQ(plant.Kla[1], 3.0);
}

TEST_F(PlantEditorTest, VolumeMustBePositive)
{
    makeAsr();
    const PlantEntry zero = editor.enterReactorCell(4, ReactorColumn::Volume, "0");
    EXPECT_FALSE(zero.accepted);
    EXPECT_EQ(zero.message, CheckRealText("0", kMinVolume, 1e9, 1.0).message);
    EXPECT_EQ(plant.Volume[4], 1.0);
    EXPECT_TRUE(editor.enterReactorCell(4, ReactorColumn::Volume, "250").accepted);
    EXPECT_EQ(plant.Volume[4], 250.0);
}

TEST_F(PlantEditorTest, InitialConditionGridsLockClarifierOxygen)
{
    makeAsr();
    const GridRows dissolved = editor.initialConditionGrid(SpeciesKind::Dissolved);
    ASSERT_EQ(dissolved.size(), static_cast<std::size_t>(model.NS + 1));
    ASSERT_EQ(dissolved[0].size(), 6u);
    EXPECT_EQ(dissolved[1][0].text, model.NameS[1]);
    EXPECT_EQ(dissolved[1][4], (GridCell{"", false}));
    EXPECT_TRUE(dissolved[2][4].editable);
    EXPECT_EQ(editor.initialConditionGrid(SpeciesKind::Particulate)[0].size(), 4u);

    EXPECT_FALSE(editor.enterInitialCondition(SpeciesKind::Dissolved, 1, 5, "3").accepted);
    EXPECT_TRUE(editor.enterInitialCondition(SpeciesKind::Particulate, 2, 3, "42").accepted);
    EXPECT_EQ(state.X[3][2], 42.0);
}

TEST_F(PlantEditorTest, PasteSkipsTwoLinesAndTheLabelFields)
{
    makeAsr();
    model.NS = 2;
    model.NX = 1;
    const double clarifierOxygen = state.S[4][1];
    const std::string table = "title\r\nheader\r\n"
                              "S_O\tmg/l\t1\t2\t3\t4\t5\r\n"
                              "S_S\tmg/l\t11\t12\t13\t14\t15\r\n"
                              "X_S\tmg/l\t21\t22\t23\t24\t25\r\n"
                              "beyond\tmg/l\t99\r\n";
    EXPECT_EQ(editor.pasteInitialConditions(table), 3 + 5 + 3);
    EXPECT_EQ(state.S[3][1], 3.0);
    EXPECT_EQ(state.S[4][1], clarifierOxygen);
    EXPECT_EQ(state.S[5][2], 15.0);
    EXPECT_EQ(state.X[1][1], 21.0);
    EXPECT_NE(state.X[4][1], 24.0); // clarifiers carry no particulate state

    // A 2nd influent adds a third label field.
    plant.Influent2Flow = 1.0;
    editor.pasteInitialConditions("a\nb\nS_O\tmg/l\t7\t8\n");
    EXPECT_EQ(state.S[1][1], 8.0);
    EXPECT_EQ(state.S[2][1], 2.0);
}

TEST_F(PlantEditorTest, StatePageRowsAndColumns)
{
    makeAsr();
    plant.Influent2Flow = 2.0;
    GridRows rows = editor.statePage();
    ASSERT_EQ(rows.size(), 1u + 2u + 5u);
    const std::size_t columns = static_cast<std::size_t>(2 + model.NS + model.NX + 1);
    ASSERT_EQ(rows[0].size(), columns);
    EXPECT_EQ(rows[0][1].text, "Flowrate/Volumes");
    EXPECT_EQ(rows[0][2].text, model.NameS[1]);
    EXPECT_EQ(rows[0][columns - 1].text, "Oxygen consumption");
    EXPECT_EQ(rows[1][0].text, "1.influent");
    EXPECT_EQ(rows[2][0].text, "2.influent");
    EXPECT_EQ(rows[2][1].text, "      2.000");
    EXPECT_EQ(rows[3][0].text, " Reactor 1");
    EXPECT_EQ(rows[3][1].text, "    100.000");

    ComputeOxygenRate(model, plant, state, 1);
    EXPECT_EQ(rows[3][columns - 1].text, FormatNumber(11, 3, -model.RS[1]));
    EXPECT_EQ(rows[7][0].text, " Clarifier 2");
    EXPECT_EQ(rows[7][2 + model.NS].text, ""); // no particulate state in the clarifier
    EXPECT_EQ(rows[7][columns - 1].text, "");

    plant.InfluentFlow = 0.0;
    plant.Influent2Flow = 0.0;
    EXPECT_EQ(editor.statePage()[1][0].text, " Reactor 1");

    plant.PlantType = TFlowschemeType::ftSBR;
    rows = editor.statePage();
    EXPECT_EQ(rows[1][0].text, "2.influent");
    EXPECT_EQ(rows[1][1].text, "N/A");

    EXPECT_EQ(PlantEditor::TableText({{GridCell{"a"}, GridCell{"b"}}, {GridCell{"c"}}}),
              "a\tb\r\nc\r\n");
}

} // namespace
} // namespace narv

#include "model/ModelEditor.h"

#include "SampleModels.h"
#include "model/KineticTypes.h"
#include "model/Temperature.h"

#include <gtest/gtest.h>

#include <cmath>

namespace narv {
namespace {

struct ModelEditorTest : ::testing::Test {
    ModelEditorTest() { model = testing::MakeCarbonNitrogenModel(); }

    TModelDef model;
    double operatingTemperature = 20.0; // [°C] the plant's
    ModelEditor editor{model, operatingTemperature};
};

TEST_F(ModelEditorTest, CountsRefuseBadEntriesAndKeepTheirValue)
{
    struct Case {
        ModelCount count;
        const char* text;
        bool accepted;
        const char* message;
        const char* shown;
        int NS, NX, NP;
    };
    const Case cases[] = {
        {ModelCount::Dissolved, "30", false, "Number should be between 1 and 25", "7", 7, 6, 9},
        {ModelCount::Dissolved, "0", false, "Number should be between 1 and 25", "7", 7, 6, 9},
        {ModelCount::Dissolved, "x", false, "Input isn't a valid number", "7", 7, 6, 9},
        {ModelCount::Particulate, "26", false, "Number should be between 0 and 25", "6", 7, 6, 9},
        {ModelCount::Processes, "60", false, "Number should be between 0 and 49", "8", 7, 6, 9},
        {ModelCount::Processes, "49", true, "", "49", 7, 6, 50},
        {ModelCount::Dissolved, "25", true, "", "25", 25, 6, 50},
        {ModelCount::Particulate, "0", true, "", "0", 25, 0, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ModelEntry entry = editor.enterCount(c.count, c.text);
        EXPECT_EQ(entry.accepted, c.accepted);
        EXPECT_EQ(entry.message, c.message);
        EXPECT_EQ(entry.text, c.shown);
        EXPECT_EQ(entry.returnFocus, !c.accepted);
        EXPECT_EQ(model.NS, c.NS);
        EXPECT_EQ(model.NX, c.NX);
        EXPECT_EQ(model.NP, c.NP);
    }
}

TEST_F(ModelEditorTest, ZeroCountsHidePagesAndDisableParticulateGrids)
{
    for (int page = 0; page < kModelPageCount; ++page)
        EXPECT_TRUE(editor.pageVisible(static_cast<ModelPage>(page)));

    EXPECT_TRUE(editor.enterCount(ModelCount::Processes, "0").accepted);
    EXPECT_EQ(model.NP, 1);
    EXPECT_FALSE(editor.pageVisible(ModelPage::RateConstants));
    EXPECT_EQ(editor.rowCount(ModelGrid::StoichDissolved), 1); // the title row only

    EXPECT_TRUE(editor.enterCount(ModelCount::Particulate, "0").accepted);
    EXPECT_FALSE(editor.pageVisible(ModelPage::StoichParticulate));
    EXPECT_FALSE(editor.pageVisible(ModelPage::KineticsParticulate));
    EXPECT_TRUE(editor.pageVisible(ModelPage::InitialConditions));
    EXPECT_FALSE(editor.gridEnabled(ModelGrid::InitialParticulate));
    EXPECT_FALSE(editor.gridEnabled(ModelGrid::InfluentParticulate));
    EXPECT_TRUE(editor.gridEnabled(ModelGrid::InfluentDissolved));
    EXPECT_FALSE(editor.cellEditable(ModelGrid::InitialParticulate, 1, 1));

    editor.enterCount(ModelCount::Particulate, "2");
    editor.enterCount(ModelCount::Processes, "3");
    EXPECT_TRUE(editor.pageVisible(ModelPage::StoichParticulate));
    EXPECT_TRUE(editor.pageVisible(ModelPage::RateConstants));
    EXPECT_TRUE(editor.gridEnabled(ModelGrid::InitialParticulate));
}

TEST_F(ModelEditorTest, InfoTextsAndRemarks)
{
    EXPECT_STREQ(ModelPageCaption(ModelPage::Info), "   Info");
    EXPECT_STREQ(ModelPageCaption(ModelPage::InfluentConcentrations), "Influent concentrations");
    EXPECT_EQ(editor.countText(ModelCount::Processes), "8");

    std::vector<std::string> lines;
    for (int i = 1; i <= 22; ++i)
        lines.push_back("line " + std::to_string(i));
    editor.setRemarks(lines);
    EXPECT_EQ(model.RemarkCount, 19);
    EXPECT_EQ(model.Remarks[19], "line 19");
    EXPECT_EQ(editor.remarks().size(), 19u);
    editor.setRemarks({});
    EXPECT_EQ(model.RemarkCount, 0);
    EXPECT_TRUE(editor.modified());

    EXPECT_TRUE(ModelEditor::countKeyAllowed('7'));
    EXPECT_FALSE(ModelEditor::countKeyAllowed('-'));
    for (const char c : std::string("-.Ee0"))
        EXPECT_TRUE(ModelEditor::temperatureKeyAllowed(c));
    EXPECT_FALSE(ModelEditor::temperatureKeyAllowed(','));
}

TEST_F(ModelEditorTest, TemperaturesAreCheckedAndConvertTheModel)
{
    EXPECT_EQ(editor.temperatureText(ModelTemperature::Operating), " 20.0 °C");
    EXPECT_EQ(editor.temperatureEditText(ModelTemperature::Base), " 20.0");

    ModelEntry entry = editor.enterTemperature(ModelTemperature::Operating, "-30");
    EXPECT_FALSE(entry.accepted);
    EXPECT_EQ(entry.message, "Number should be between -20.00 and 100.00");
    EXPECT_EQ(entry.text, " 20.0");
    EXPECT_TRUE(entry.returnFocus);
    EXPECT_EQ(operatingTemperature, 20.0);

    model.ThetaKr[2] = std::log(2.0) / 10.0;
    entry = editor.enterTemperature(ModelTemperature::Operating, "30");
    EXPECT_TRUE(entry.accepted);
    EXPECT_EQ(entry.text, " 30.0 °C");
    EXPECT_EQ(operatingTemperature, 30.0);
    EXPECT_NEAR(model.KrT[2], 2.0 * model.Kr[2], 1e-12);

    entry = editor.enterTemperature(ModelTemperature::Base, "30");
    EXPECT_TRUE(entry.accepted);
    EXPECT_DOUBLE_EQ(model.KrT[2], model.Kr[2]);
}

TEST(FormatCoefficientTest, SinglePrecisionThreeDecimalsOrExponent)
{
    struct Case {
        double x;
        const char* text;
    };
    const Case cases[] = {
        {1.0, "    1.000  "},
        {-1.0 / 0.67, "   -1.493  "},
        {0.0, ""},
        {1e-50, ""}, // below the single-precision range
        {0.01, "  1.00E-2  "},
        {12345.0, "  1.23E+4  "},
        {-0.0123, "   -0.012  "},
        {0.0100001, "    0.010  "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatCoefficient(c.x), c.text) << c.x;
}

TEST(StoredSpeciesNameTest, LongLabelsAreCollapsedAndCut)
{
    struct Case {
        const char* typed;
        bool particulate;
        const char* stored;
        bool tooLong;
    };
    const Case cases[] = {
        {"Ammonium nitrogen NH4", false, "S Ammonium nitro", true},
        {"S Ammonium nitrogen NH4", false, "S Ammonium nitro", true},
        {"NH4  plus   ammonia", false, "S NH4 plus ammon", true},
        {"Oxygen  O2", false, "S Oxygen  O2", false}, // short labels stay as typed
        {"Biomass", true, "X Biomass", false},
        {"X Biomass      COD", true, "X Biomass COD", true},
        {"Säurekonzentration", false, "S Säurekonzentra", true}, // characters, not bytes
        {"", false, "S ", false},
    };
    for (const Case& c : cases) {
        bool tooLong = false;
        EXPECT_EQ(StoredSpeciesName(c.typed, c.particulate, &tooLong), c.stored) << c.typed;
        EXPECT_EQ(tooLong, c.tooLong) << c.typed;
    }
}

TEST_F(ModelEditorTest, NameCellsFollowLabelsEditable)
{
    EXPECT_EQ(editor.cellText(ModelGrid::StoichDissolved, 0, 0), "Process");
    EXPECT_EQ(editor.cellText(ModelGrid::StoichDissolved, 0, 5), "Ammonium     N");
    EXPECT_EQ(editor.cellText(ModelGrid::StoichDissolved, 1, 0), "Aerobic growth of heterotrophs");
    EXPECT_EQ(editor.cellText(ModelGrid::InitialDissolved, 0, 0), " Species        ");
    EXPECT_EQ(editor.cellText(ModelGrid::InitialDissolved, 1, 0), " values ");

    EXPECT_FALSE(editor.cellEditable(ModelGrid::StoichDissolved, 0, 5));
    ModelEntry entry = editor.enterCell(ModelGrid::StoichDissolved, 0, 5, "Other");
    EXPECT_FALSE(entry.accepted);
    EXPECT_EQ(model.NameS[5], "S Ammonium     N");

    editor.setLabelsEditable(true);
    entry = editor.enterCell(ModelGrid::StoichDissolved, 0, 5, "Ammonium nitrogen NH4");
    EXPECT_EQ(entry.message, kNameTooLongMessage);
    EXPECT_EQ(entry.text, "Ammonium nitro");
    EXPECT_EQ(model.NameS[5], "S Ammonium nitro");

    // Leaving an untouched cell of 28 blanks (a new species) says nothing.
    model.NameX[2] = std::string(30, ' ');
    entry = editor.enterCell(ModelGrid::StoichParticulate, 0, 2, std::string(28, ' '));
    EXPECT_TRUE(entry.message.empty());
    EXPECT_EQ(model.NameX[2], std::string(30, ' '));

    entry = editor.enterCell(ModelGrid::StoichParticulate, 3, 0, "  Growth of nitrifiers ");
    EXPECT_EQ(model.ProcessName[4], "  Growth of nitrifiers ");
    // The corner is a label: it never renames a process.
    EXPECT_FALSE(editor.enterCell(ModelGrid::StoichDissolved, 0, 0, "Renamed").accepted);
    EXPECT_EQ(model.ProcessName[1], "Aeration");
    // Grids 3 to 9 have no editable names.
    EXPECT_FALSE(editor.cellEditable(ModelGrid::RateConstants, 1, 0));
    EXPECT_FALSE(editor.cellEditable(ModelGrid::InfluentDissolved, 0, 1));

    editor.lockLabels(false);
    editor.setLabelsEditable(true);
    EXPECT_FALSE(editor.labelsEditable());
    editor.unlockLabels();
    editor.setLabelsEditable(true);
    EXPECT_TRUE(editor.labelsEditable());
}

TEST_F(ModelEditorTest, ValueCells)
{
    struct Case {
        ModelGrid grid;
        int row, column;
        const char* text;
        bool accepted;
        const char* shown;
        const double* value;
        double expected;
    };
    const double previousRate = model.Kr[3];
    const Case cases[] = {
        // Clearing a stoichiometric cell stores 0 and shows an empty cell.
        {ModelGrid::StoichDissolved, 1, 3, "", true, "", &model.NueS[2][3], 0.0},
        {ModelGrid::StoichParticulate, 1, 3, " 0.5", true, "    0.500  ", &model.NueX[2][3], 0.5},
        // A text that is not a number gives back the stored value silently.
        {ModelGrid::RateConstants, 2, 1, "abc", false, "      4.800", &model.Kr[3], previousRate},
        {ModelGrid::StoichDissolved, 1, 5, "1,5", false, "   -0.080  ", &model.NueS[2][5], -0.08},
        {ModelGrid::RateConstants, 2, 1, "", false, "      4.800", &model.Kr[3], previousRate},
        {ModelGrid::InitialDissolved, 1, 2, "12.5", true, "     12.500", &model.InitialS[2], 12.5},
        {ModelGrid::InfluentParticulate, 1, 6, "1e5", true, "     1.00E+5 ", &model.InfluentX[6],
         1e5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ModelEntry entry = editor.enterCell(c.grid, c.row, c.column, c.text);
        EXPECT_EQ(entry.accepted, c.accepted);
        EXPECT_TRUE(entry.message.empty());
        EXPECT_EQ(entry.text, c.shown);
        EXPECT_EQ(*c.value, c.expected);
    }

    // Leaving a cell without typing keeps digits that the cell does not show.
    model.InitialS[3] = 2.0 / 3.0;
    const std::string shown = editor.cellText(ModelGrid::InitialDissolved, 1, 3);
    editor.enterCell(ModelGrid::InitialDissolved, 1, 3, shown);
    EXPECT_EQ(model.InitialS[3], 2.0 / 3.0);
}

TEST_F(ModelEditorTest, RateGridConvertsBetweenTemperatures)
{
    operatingTemperature = 10.0;
    model.ThetaKr[2] = 0.0;
    editor.convertToOperatingTemperature();
    EXPECT_EQ(editor.cellText(ModelGrid::RateConstants, 1, 2), "      6.000");

    // Coefficient 0 -> 0.1 at 10 °C with a base of 20 °C: the rate at 10 °C becomes Kr / e.
    editor.enterCell(ModelGrid::RateConstants, 1, 3, "0.1");
    EXPECT_EQ(model.ThetaKr[2], 0.1);
    EXPECT_DOUBLE_EQ(model.KrT[2], 6.0 * std::exp(-1.0));
    EXPECT_EQ(model.Kr[2], 6.0);

    editor.enterCell(ModelGrid::RateConstants, 1, 2, "3");
    EXPECT_EQ(model.KrT[2], 3.0);
    EXPECT_DOUBLE_EQ(model.Kr[2], 3.0 * std::exp(1.0));

    editor.enterCell(ModelGrid::RateConstants, 1, 1, "2");
    EXPECT_EQ(model.Kr[2], 2.0);
    EXPECT_DOUBLE_EQ(model.KrT[2], 2.0 * std::exp(-1.0));

    // A coefficient that overflows the conversion is refused; the row stays as it was.
    const ModelEntry entry = editor.enterCell(ModelGrid::RateConstants, 1, 3, "-1e5");
    EXPECT_FALSE(entry.accepted);
    EXPECT_EQ(model.ThetaKr[2], 0.1);
    EXPECT_TRUE(std::isfinite(model.Kr[2]));

    EXPECT_EQ(editor.tableText(ModelGrid::RateConstants).substr(0, 60),
              "Process\tRate at base temp.\tRate at op. temp.\t Temp. coeff.\r\n");
}

TEST_F(ModelEditorTest, EnterMovesDownThenToTheNextColumn)
{
    // Grid 1: rows 1..8 (processes 2..9), columns 1..7.
    struct Case {
        GridPosition from, to;
    };
    const Case cases[] = {
        {{1, 1}, {2, 1}},
        {{8, 1}, {1, 2}},
        {{8, 7}, {1, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(editor.cellAfterEnter(ModelGrid::StoichDissolved, c.from), c.to);
    EXPECT_EQ(editor.cellAfterEnter(ModelGrid::InfluentDissolved, {1, 3}), (GridPosition{1, 4}));
    EXPECT_EQ(editor.cellAfterEnter(ModelGrid::RateConstants, {8, 3}), (GridPosition{1, 1}));
}

TEST_F(ModelEditorTest, KineticCellTextsAndTable)
{
    model.TypeS[4][3] = 5, model.Compound2S[4][3] = 4;
    model.TypeS[4][4] = 11, model.Compound2S[4][4] = 4;
    model.TypeX[4][2] = 4, model.Compound2X[4][2] = 3;
    EXPECT_EQ(editor.cellText(ModelGrid::KineticsDissolved, 1, 3), "Monod");
    EXPECT_EQ(editor.cellText(ModelGrid::KineticsDissolved, 1, 2), "");
    EXPECT_EQ(editor.cellText(ModelGrid::KineticsDissolved, 3, 3), std::string(kSecondSpeciesCellPrefix) + "S Nitrate      N");
    EXPECT_EQ(editor.cellText(ModelGrid::KineticsDissolved, 3, 4), "Stripping +S Nitrate      N");
    EXPECT_EQ(editor.cellText(ModelGrid::KineticsParticulate, 3, 2), "Inh. on X Heterotr.  COD");
    EXPECT_EQ(ModelEditor::kineticTypeNames(ModelGrid::KineticsDissolved).size(), 12u);
    EXPECT_EQ(ModelEditor::kineticTypeNames(ModelGrid::KineticsParticulate).back(),
              "Inh./Saturation");

    const std::string table = editor.tableText(ModelGrid::InitialParticulate);
    EXPECT_EQ(table.substr(0, 32), " Species        \tInert      COD\t");
    EXPECT_EQ(std::count(table.begin(), table.end(), '\t'), 12);
    EXPECT_EQ(table.substr(table.size() - 2), "\r\n");
    // Kinetic cells change only through the drop-down list.
    EXPECT_FALSE(editor.enterCell(ModelGrid::KineticsDissolved, 1, 3, "Inhibition").accepted);
}

TEST_F(ModelEditorTest, SecondSpeciesTypesNeedEnoughSpecies)
{
    editor.enterCount(ModelCount::Dissolved, "2");
    const int before = model.TypeS[2][2];
    EXPECT_EQ(editor.chooseKineticType(ModelGrid::KineticsDissolved, 1, 2, 5),
              KineticStep::Refused);
    EXPECT_EQ(editor.kineticMessage(), kSecondSpeciesNotPossibleMessage);
    EXPECT_EQ(model.TypeS[2][2], before);
    EXPECT_FALSE(editor.kineticChoicePending());

    editor.enterCount(ModelCount::Particulate, "1");
    EXPECT_EQ(editor.chooseKineticType(ModelGrid::KineticsParticulate, 1, 1, 3),
              KineticStep::Refused);
    // Types without a parameter are stored at once.
    EXPECT_EQ(editor.chooseKineticType(ModelGrid::KineticsParticulate, 1, 1, 1), KineticStep::Done);
    EXPECT_EQ(model.TypeX[2][1], 1);
}

TEST_F(ModelEditorTest, SecondSpeciesListSkipsTheOwnSpeciesExceptForStrippingIII)
{
    // Cell of process 3, species 4 (Nitrate).
    ASSERT_EQ(editor.chooseKineticType(ModelGrid::KineticsDissolved, 2, 4, 5),
              KineticStep::SecondSpecies);
    SecondSpeciesDialog dialog = editor.secondSpeciesDialog();
    EXPECT_EQ(dialog.items.size(), 6u);
    EXPECT_EQ(dialog.items[3], "Ammonium     N"); // species 5 at position 3, after the skip
    EXPECT_EQ(dialog.preselected, -1);
    EXPECT_EQ(editor.confirmSecondSpecies(-1), KineticStep::SecondSpecies); // OK without choice
    // Nothing valid is stored: Cancel asks again.
    EXPECT_EQ(editor.cancelSecondSpecies(), KineticStep::SecondSpecies);
    ASSERT_EQ(editor.confirmSecondSpecies(3), KineticStep::Parameter);
    EXPECT_EQ(editor.parameterDialog().speciesText(), "S1: Nitrate      N");
    EXPECT_EQ(editor.parameterDialog().secondSpeciesText(), "S2: Ammonium     N");
    editor.closeParameterDialog(true);
    EXPECT_EQ(model.TypeS[3][4], 5);
    EXPECT_EQ(model.Compound2S[3][4], 5);

    ASSERT_EQ(editor.chooseKineticType(ModelGrid::KineticsDissolved, 2, 4, 11),
              KineticStep::SecondSpecies);
    dialog = editor.secondSpeciesDialog();
    EXPECT_EQ(dialog.items.size(), 7u);
    EXPECT_EQ(dialog.preselected, 4);
    EXPECT_EQ(editor.confirmSecondSpecies(3), KineticStep::Parameter); // the own species
    editor.closeParameterDialog(true);
    EXPECT_EQ(model.Compound2S[3][4], 4);

    // A particulate choice is asked until confirmed.
    ASSERT_EQ(editor.chooseKineticType(ModelGrid::KineticsParticulate, 1, 1, 3),
              KineticStep::SecondSpecies);
    EXPECT_EQ(editor.cancelSecondSpecies(), KineticStep::SecondSpecies);
    EXPECT_EQ(editor.secondSpeciesDialog().items.front(), "Slowly deg.COD");
    EXPECT_EQ(editor.confirmSecondSpecies(0), KineticStep::Parameter);
    EXPECT_EQ(editor.parameterDialog().speciesText(), "X1: Inert      COD");
    editor.closeParameterDialog(true);
    EXPECT_EQ(model.Compound2X[2][1], 2);
    EXPECT_EQ(editor.cellText(ModelGrid::KineticsParticulate, 1, 1), "Ad. on X Slowly deg.COD");
}

TEST_F(ModelEditorTest, MonodIIOffersTheExponent)
{
    ASSERT_EQ(editor.chooseKineticType(ModelGrid::KineticsDissolved, 1, 3, 8),
              KineticStep::Parameter);
    ParameterDialog& dialog = editor.parameterDialog();
    EXPECT_TRUE(dialog.hasExponent());
    EXPECT_EQ(ParameterDialog::exponentItems(), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(dialog.exponent(), 1);
    dialog.chooseExponent(3);
    editor.closeParameterDialog(true);
    EXPECT_EQ(model.TypeS[2][3], 8);
    EXPECT_EQ(model.Compound2S[2][3], 3);

    // From Monod II the stored exponent is preselected; Monod has none and stores 0.
    editor.chooseKineticType(ModelGrid::KineticsDissolved, 1, 3, 9);
    EXPECT_EQ(editor.parameterDialog().exponent(), 3);
    editor.closeParameterDialog(true);
    editor.chooseKineticType(ModelGrid::KineticsDissolved, 1, 3, 3);
    EXPECT_FALSE(editor.parameterDialog().hasExponent());
    editor.closeParameterDialog(true);
    EXPECT_EQ(model.Compound2S[2][3], 0);
}

TEST_F(ModelEditorTest, ParameterDialogTextsAndConversions)
{
    operatingTemperature = 10.0;
    model.ThetaKS[2][3] = 0.1;
    editor.convertToOperatingTemperature();
    ASSERT_EQ(editor.chooseKineticType(ModelGrid::KineticsDissolved, 1, 3, 4),
              KineticStep::Parameter);
    ParameterDialog& dialog = editor.parameterDialog();
    EXPECT_EQ(dialog.processText(), "Process: Aerobic growth of heterotrophs");
    EXPECT_EQ(dialog.speciesText(), "S: Substrate  COD");
    EXPECT_EQ(dialog.secondSpeciesText(), "");
    EXPECT_EQ(dialog.oldTypeText(), "Old Process Typ: Monod     Equation: S/(Ks+S)");
    EXPECT_EQ(dialog.newTypeText(), "New Process Typ: Inhibition     Equation: Ki/(Ki+S)");
    EXPECT_EQ(dialog.oldParameterText(),
              "Saturation value Ks:       7.358  Temp.coefficient:    0.1000");
    EXPECT_EQ(dialog.operatingCaption(), "Inhibition value Ki:  at operating temperature  10.0°C");
    EXPECT_EQ(dialog.baseCaption(), "at base temperature  20.0°C");

    // 15 at 10 °C with theta 0.1 and a base of 20 °C stands for 15 e at the base.
    EXPECT_TRUE(dialog.enterField(ParameterDialog::Field::OperatingValue, "15").accepted);
    EXPECT_NEAR(dialog.baseValue(), 40.774, 1e-3);
    EXPECT_TRUE(dialog.enterField(ParameterDialog::Field::Coefficient, "0").accepted);
    EXPECT_EQ(dialog.operatingValue(), dialog.baseValue());
    EXPECT_TRUE(dialog.enterField(ParameterDialog::Field::BaseValue, "8").accepted);
    EXPECT_EQ(dialog.operatingValue(), 8.0);

    const ModelEntry refused = dialog.enterField(ParameterDialog::Field::BaseValue, "2e9");
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.message, "Number should be between-1.00E+9  and 1.00E+9 ");
    EXPECT_TRUE(refused.returnFocus);
    EXPECT_EQ(dialog.baseValue(), 8.0);

    editor.closeParameterDialog(true);
    EXPECT_EQ(model.TypeS[2][3], 4);
    EXPECT_EQ(model.KS[2][3], 8.0);
    EXPECT_EQ(model.KST[2][3], 8.0);
    EXPECT_EQ(model.ThetaKS[2][3], 0.0);
}

TEST_F(ModelEditorTest, CancelInTheParameterDialogRestoresEveryValue)
{
    model.TypeS[3][4] = 5, model.Compound2S[3][4] = 3, model.KS[3][4] = 0.5;
    model.ThetaKS[3][4] = 0.05;
    operatingTemperature = 12.0;
    editor.convertToOperatingTemperature();
    const TModelDef before = model;

    ASSERT_EQ(editor.chooseKineticType(ModelGrid::KineticsDissolved, 2, 4, 11),
              KineticStep::SecondSpecies);
    // The dialogs open over a cell that already names the chosen type, and only that cell.
    const std::string chosenName = DissolvedTypeInfo(11)->name;
    EXPECT_EQ(editor.cellText(ModelGrid::KineticsDissolved, 2, 4), chosenName);
    EXPECT_NE(editor.cellText(ModelGrid::KineticsDissolved, 2, 3), chosenName);
    EXPECT_NE(editor.cellText(ModelGrid::KineticsDissolved, 1, 4), chosenName);
    EXPECT_EQ(editor.secondSpeciesDialog().preselected, 2); // species 3 after 1 and 2
    ASSERT_EQ(editor.confirmSecondSpecies(5), KineticStep::Parameter);
    EXPECT_EQ(editor.cellText(ModelGrid::KineticsDissolved, 2, 4), chosenName);
    ParameterDialog& dialog = editor.parameterDialog();
    dialog.enterField(ParameterDialog::Field::OperatingValue, "9");
    dialog.enterField(ParameterDialog::Field::Coefficient, "0.2");
    dialog.enterField(ParameterDialog::Field::BaseValue, "7");
    EXPECT_EQ(editor.closeParameterDialog(false), KineticStep::Done);

    EXPECT_EQ(model.TypeS, before.TypeS);
    EXPECT_EQ(model.Compound2S, before.Compound2S);
    EXPECT_EQ(model.KS, before.KS);
    EXPECT_EQ(model.KST, before.KST);
    EXPECT_EQ(model.ThetaKS, before.ThetaKS);
    EXPECT_EQ(editor.cellText(ModelGrid::KineticsDissolved, 2, 4), std::string(kSecondSpeciesCellPrefix) + "S Substrate  COD");
    EXPECT_FALSE(editor.modified());
}

} // namespace
} // namespace narv

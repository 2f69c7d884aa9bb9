#pragma once

#include "model/ModelDef.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace narv {

inline constexpr const char* kNameTooLongMessage = "Name is too long. It will be truncated!";
// The kinetics cell of a dissolved species limited by a second one (type 5) shows this before
// the second species' name: "2." and the abbreviated word for species.
inline constexpr const char* kSecondSpeciesCellPrefix = "2.spe"
                                                        "c: ";
inline constexpr const char* kSecondSpeciesNotPossibleMessage =
    "2.species not possible, add more species!";
inline constexpr const char* kModelNameWarning =
    "If you change the model name then existing plant files\nsaved with the old model name "
    "cannot be loaded with the new model name.";
inline constexpr int kMaxSpeciesLabelLength = 14; // characters after the "S " / "X " prefix

// The text of a stoichiometric cell: the coefficient rounded to single precision, three
// decimals in 11 characters (two trailing blanks), empty for 0, exponent form outside
// 0.01..10000.
std::string FormatCoefficient(double x);

// A species label as the editor stores it: a label longer than 14 characters has its runs of
// blanks collapsed and is cut to 14 characters (tooLong tells the caller to say so); the
// result carries the kind's prefix "S " or "X ". A typed prefix of either kind is not part of
// the label.
std::string StoredSpeciesName(std::string_view typed, bool particulate, bool* tooLong = nullptr);

// The pages of the model editor, in page order.
enum class ModelPage {
    Info,
    StoichDissolved,
    StoichParticulate,
    RateConstants,
    KineticsDissolved,
    KineticsParticulate,
    InitialConditions,
    InfluentConcentrations
};
inline constexpr int kModelPageCount = 8;
const char* ModelPageCaption(ModelPage page);

// StringGrid1..StringGrid9; the value is the grid's number.
enum class ModelGrid {
    StoichDissolved = 1,
    StoichParticulate = 2,
    KineticsDissolved = 3,
    KineticsParticulate = 4,
    RateConstants = 5,
    InitialDissolved = 6,
    InitialParticulate = 7,
    InfluentDissolved = 8,
    InfluentParticulate = 9
};
ModelPage PageOfGrid(ModelGrid grid);

// The three counts of the "   Info" page.
enum class ModelCount { Dissolved, Particulate, Processes };
// "Base Temperature:" and "Operating Temperature:".
enum class ModelTemperature { Base, Operating };

// The outcome of one entry: accepted or not, the message to show (empty for none) and the text
// the field or cell shows afterwards.
struct ModelEntry {
    bool accepted = false;
    std::string message;
    std::string text;
    bool returnFocus = false; // an edit field keeps the focus after a refusal
};

struct GridPosition {
    int row = 0;
    int column = 0;
    bool operator==(const GridPosition&) const = default;
};

// What the window does next after a kinetic type was chosen in a drop-down list.
enum class KineticStep {
    Refused,       // show message(), the cell keeps its previous type
    SecondSpecies, // show the second-species dialog
    Parameter,     // show the parameter dialog
    Done           // the type is stored; show the cell's text again
};

// The second-species dialog "Input of 2.species".
struct SecondSpeciesDialog {
    std::string caption = "Input of 2.species";
    std::string prompt = "Please choose the second species from the list:";
    std::vector<std::string> items; // species labels
    int preselected = -1;           // item index, -1 for none
};

// The parameter dialog "Input kinetic parameters" for one kinetics cell. It works on a copy
// of the cell's parameter; the model editor takes the copy over on OK only, so Cancel leaves
// the cell exactly as it was.
class ParameterDialog {
public:
    enum class Field { OperatingValue, BaseValue, Coefficient }; // edK, edNewKBase, edTempCoeff

    struct Setup {
        bool particulate = false;
        std::string processName;
        std::string speciesLabel;
        std::string secondLabel; // empty when the new type has no second species
        int oldType = 0;
        int newType = 0;
        double operatingValue = 0.0; // KST or KXT
        double baseValue = 0.0;      // KS or KX
        double coefficient = 0.0;    // ThetaKS or ThetaKX
        int storedSecond = 0;        // Compound2S or Compound2X
        double operatingTemperature = 20.0;
        double baseTemperature = 20.0;
    };

    explicit ParameterDialog(const Setup& setup);

    static const char* caption() { return "Input kinetic parameters"; }

    const std::string& processText() const { return m_processText; } // "Process: " + name
    // "S: " + label, or "S1: " + label when the new type has a second species.
    const std::string& speciesText() const { return m_speciesText; }
    const std::string& secondSpeciesText() const { return m_secondText; } // "S2: " + label or ""
    const std::string& oldTypeText() const { return m_oldTypeText; }
    const std::string& newTypeText() const { return m_newTypeText; }
    // "No parameter values", or the old caption with value and coefficient.
    const std::string& oldParameterText() const { return m_oldParameterText; }
    const std::string& operatingCaption() const { return m_operatingCaption; }
    const std::string& baseCaption() const { return m_baseCaption; }
    static const char* coefficientCaption() { return "Temp. coefficient:"; }

    std::string fieldText(Field field) const;
    // Leaving a field: range -1e9..1e9, then the conversions. A text equal to the one shown
    // changes nothing, so that leaving a field untouched does not round its value.
    ModelEntry enterField(Field field, std::string_view text);

    // "Exponent j:" for the dissolved types 8 and 9.
    bool hasExponent() const { return m_hasExponent; }
    static std::vector<std::string> exponentItems() { return {"1", "2", "3"}; }
    int exponent() const { return m_exponent; }
    void chooseExponent(int exponent); // 1..3; others are ignored

    double operatingValue() const { return m_operating; }
    double baseValue() const { return m_base; }
    double coefficient() const { return m_coefficient; }
    // The base value OK stores: recomputed from the value at the operating temperature.
    double baseValueOnOk() const;

private:
    double& value(Field field);
    double value(Field field) const;

    Setup m_setup;
    std::string m_processText;
    std::string m_speciesText;
    std::string m_secondText;
    std::string m_oldTypeText;
    std::string m_newTypeText;
    std::string m_oldParameterText;
    std::string m_operatingCaption;
    std::string m_baseCaption;
    double m_operating = 0.0;
    double m_base = 0.0;
    double m_coefficient = 0.0;
    bool m_hasExponent = false;
    int m_exponent = 1;
};

// The rules of the model editor over the active model: the counts and texts of the "   Info"
// page with the page hiding, the two temperatures, the grids StringGrid1..9 with their name and
// value cells, and the kinetic-type choice with its second-species and parameter dialogs. The
// operating temperature is the plant's; the editor converts the model whenever a temperature,
// a rate constant or a parameter changes.
//
// Grid coordinates are those of the window: row 0 and column 0 hold the titles. In grids 1 to
// 5 row r is process r + 1 (aeration is never shown); in grids 6 to 9 row 1 holds the values.
class ModelEditor {
public:
    ModelEditor(TModelDef& model, double& operatingTemperature)
        : m_model(model), m_operatingTemperature(operatingTemperature)
    {
    }

    // Info page.
    const std::string& programVersion() const { return m_model.ProgramVersion; }
    const std::string& modelName() const { return m_model.ModelName; }
    // Key filters while typing: counts take digits, temperatures digits, "-", ".", "E", "e".
    static bool countKeyAllowed(char c);
    static bool temperatureKeyAllowed(char c);
    static const char* countCaption(ModelCount count);
    std::string countText(ModelCount count) const; // NP - 1 for the processes
    // Leaving a count field: 1..25 dissolved, 0..25 particulate, 0..49 processes.
    ModelEntry enterCount(ModelCount count, std::string_view text);
    void setModelName(std::string name);
    // The memo's first 19 lines become the remarks.
    void setRemarks(const std::vector<std::string>& lines);
    std::vector<std::string> remarks() const;

    // " 20.0 °C"; while the field is being edited the number alone.
    std::string temperatureText(ModelTemperature which) const;
    std::string temperatureEditText(ModelTemperature which) const;
    // -20..100 °C, then the model is converted to the operating temperature.
    ModelEntry enterTemperature(ModelTemperature which, std::string_view text);
    // Before the rate-constant grid is filled: KrT, KST, KXT at the operating temperature.
    // Throws FloatingPointError on an overflow, leaving the converted values as they were.
    void convertToOperatingTemperature();

    // Zero particulate species hide pages 2 and 5 and disable the particulate grids of pages 6
    // and 7; zero transformation processes hide the rate-constant page.
    bool pageVisible(ModelPage page) const;
    bool gridEnabled(ModelGrid grid) const;

    // "Labels editable": the name cells of grids 1 and 2. A locked check box (the wizard's)
    // ignores clicks.
    bool labelsEditable() const { return m_labelsEditable; }
    bool labelsLocked() const { return m_labelsLocked; }
    void setLabelsEditable(bool editable);
    void lockLabels(bool editable);
    void unlockLabels() { m_labelsLocked = false; }

    // Grids, title row and column included.
    int rowCount(ModelGrid grid) const;
    int columnCount(ModelGrid grid) const;
    std::string cellText(ModelGrid grid, int row, int column) const;
    bool cellEditable(ModelGrid grid, int row, int column) const;
    std::vector<std::vector<std::string>> gridTexts(ModelGrid grid) const;
    // "Copy Table to Clipboard": every cell, separated by a tab, rows ended by CR LF.
    std::string tableText(ModelGrid grid) const;

    // Leaving a name or value cell. Value cells: an empty stoichiometric cell is 0, a text
    // that is not a number silently gives back the stored value, a text equal to the one
    // shown changes nothing. Cells that are not editable change nothing.
    ModelEntry enterCell(ModelGrid grid, int row, int column, std::string_view text);
    // The Enter key: one row down; from the last row to the first data row of the next
    // column, from the last column to column 1.
    GridPosition cellAfterEnter(ModelGrid grid, GridPosition from) const;

    // Kinetic types (grids 3 and 4): the drop-down list, the type a cell holds.
    static std::vector<std::string> kineticTypeNames(ModelGrid grid);
    int kineticType(ModelGrid grid, int row, int column) const;
    // Choosing a type in the drop-down list of a cell starts the choice; the window follows
    // the returned steps. Choosing the cell's own type again goes through the dialogs as well.
    // Until the choice ends the cell's text is the chosen type's name, so the dialogs open over
    // a cell that already shows it; a refused type never shows.
    KineticStep chooseKineticType(ModelGrid grid, int row, int column, int type);
    const std::string& kineticMessage() const { return m_kineticMessage; }
    SecondSpeciesDialog secondSpeciesDialog() const;
    // "OK" of the second-species dialog: without a selection (item -1) the dialog stays open
    // and SecondSpecies is returned again.
    KineticStep confirmSecondSpecies(int item);
    // "Cancel" of the second-species dialog: a particulate cell, or a dissolved cell whose
    // stored second species is no valid choice, asks again; otherwise the stored choice stays.
    KineticStep cancelSecondSpecies();
    // Valid while the step is Parameter.
    ParameterDialog& parameterDialog();
    // OK stores type, parameter, coefficient and second species or exponent; Cancel keeps
    // every value of the cell as it was.
    KineticStep closeParameterDialog(bool ok);
    bool kineticChoicePending() const { return m_pending.has_value(); }
    // The window gave up the choice (closed while a dialog was open): nothing is stored.
    void abandonKineticChoice();

    // Whether an entry changed the model (or the operating temperature) since the editor was
    // made.
    bool modified() const { return m_modified; }

private:
    struct PendingKinetic {
        bool particulate = false;
        int process = 0;
        int species = 0;
        int oldType = 0;
        int newType = 0;
        int second = 0;
        std::optional<ParameterDialog> dialog;
    };

    int speciesCount(bool particulate) const;
    std::string speciesLabel(bool particulate, int species) const;
    std::string kineticCellText(bool particulate, int process, int species) const;
    bool validSecondSpecies(const PendingKinetic& pending, int second) const;
    std::vector<int> secondSpeciesChoices(const PendingKinetic& pending) const;
    KineticStep afterSecondSpecies();
    void commitKinetic();
    ModelEntry enterNameCell(ModelGrid grid, int row, int column, std::string_view text);
    ModelEntry enterValueCell(ModelGrid grid, int row, int column, std::string_view text);
    ModelEntry enterRateCell(int process, int column, std::string_view text);
    void convert();

    TModelDef& m_model;
    double& m_operatingTemperature;
    bool m_labelsEditable = false;
    bool m_labelsLocked = false;
    std::optional<PendingKinetic> m_pending;
    std::string m_kineticMessage;
    bool m_modified = false;
};

} // namespace narv

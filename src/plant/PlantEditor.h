#pragma once

#include "core/Limits.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <string>
#include <string_view>
#include <vector>

namespace narv {

// The items a combo box offers: first..last (none when last < first).
struct PlantItemRange {
    int first = 1;
    int last = 0;
    bool operator==(const PlantItemRange&) const = default;
};

// What the "Definition" page shows after a refresh.
struct PlantDefinitionView {
    PlantItemRange reactorCounts;         // cb_knkb
    PlantItemRange clarifierCounts;       // cb_cl
    PlantItemRange targetReactors;        // cb_kq, cb_kq2, cb_krue
    PlantItemRange recircFrom;            // cb_kvon, cb_kvon2
    PlantItemRange recircTo;              // cb_kzu
    PlantItemRange recirc2To;             // cb_kzu2
    int clarifierCount = 0;               // shown by cb_cl
    bool influentReactorEnabled = false;  // cb_kq and the 1st-influent grids
    bool influent2FlowEnabled = false;    // ed_Q2
    bool influent2ReactorEnabled = false; // cb_kq2 and the 2nd-influent grids
    bool sludgeAgeEnabled = false;        // ed_sa and cb_cl
    bool returnReactorEnabled = false;    // cb_krue
    bool recircEnabled = false;           // ed_rez, cb_kvon, cb_kzu
    bool recirc2Enabled = false;          // ed_rez2, cb_kvon2, cb_kzu2
    std::string sludgeAgeLabel;           // lb_sa
    std::string influentFlowText;         // ed_Q
    std::string influent2FlowText;        // ed_Q2
    std::string returnFlowText;           // ed_R
    std::string recircFlowText;           // ed_rez
    std::string recirc2FlowText;          // ed_rez2
    std::string sludgeAgeText;            // ed_sa
    std::string o2SaturationText;         // ed_sosat
    std::string temperatureText;          // ed_temp, e.g. "20.0 °C"
};

// The edit fields of the "Definition" page that take a number.
enum class PlantField {
    InfluentFlow,
    Influent2Flow,
    ReturnFlow,
    RecircFlow,
    Recirc2Flow,
    SludgeAge,
    O2Saturation,
    OperatingTemperature
};

// The reactor choices of the "Definition" page.
enum class PlantTarget {
    InfluentReactor,
    Influent2Reactor,
    ReturnReactor,
    RecircFrom,
    RecircTo,
    Recirc2From,
    Recirc2To
};

// The value columns of the reactor grid sg_reactors.
enum class ReactorColumn { Volume, O2Setpoint, Kla };

// The species grids of the "Initial conditions" page.
enum class SpeciesKind { Dissolved, Particulate };

// The grids of the "Influent concentrations" page: sg_qs, sg_qx, sg_q2s, sg_q2x.
enum class InfluentGrid { Dissolved1, Particulate1, Dissolved2, Particulate2 };

// The outcome of one entry: accepted or not, the message to show (empty for none) and the text
// the field or cell shows afterwards.
struct PlantEntry {
    bool accepted = false;
    std::string message;
    std::string text;
    bool returnFocus = false; // an edit field keeps the focus after a refusal
};

struct GridCell {
    std::string text;
    bool editable = false;
    bool operator==(const GridCell&) const = default;
};

// A grid as rows of cells; row 0 holds the column titles.
using GridRows = std::vector<std::vector<GridCell>>;

// The smallest volume the grid accepts: the solvers divide by every volume in use.
inline constexpr double kMinVolume = 1e-12; // [m3]

// The label of compartment k in the plant editor's grids: " Reactor k", or " Clarifier k"
// with k counted within the clarifier.
std::string CompartmentLabel(const TPlantDef& plant, int compartment);
// The labels of reactors 1..ReactorCount, which other editors use as column titles.
std::vector<std::string> ReactorLabels(const TPlantDef& plant);

// The rules of the plant dialog for the standard plant types: applying a type, the refresh of
// the "Definition" page, the field rules, the reactor grid, the initial-condition grids with
// their paste, and the "State of plant" page. The SBR page and the A/I dialog have editors of
// their own; for an SBR plant the caller resets the cycle and then calls refresh().
class PlantEditor {
public:
    PlantEditor(TModelDef& model, TPlantDef& plant, TPlantState& state)
        : m_model(model), m_plant(plant), m_state(state)
    {
    }

    // "Flowscheme: " + the menu command's caption without its accelerator marks.
    static std::string Caption(std::string_view menuCaption);

    // Applies the type (an ftUnknown plant is resolved first), then refreshes. chosenFromMenu:
    // the user chose the type, rather than a loaded plant being shown. ftAI is refused.
    const PlantDefinitionView& applyPlantType(TFlowschemeType type, bool chosenFromMenu);

    // The refresh of the "Definition" page: lowers reactor numbers to ReactorCount, sets
    // SludgeSeparation, raises SludgeAge to the minimum, settles the recirculation flags and
    // builds what the page shows.
    const PlantDefinitionView& refresh();

    // cb_knkb: clarifier compartments lowered to fit 18, recirculation indices kept valid. An
    // open control-loop list must be refreshed by the window afterwards.
    void chooseReactorCount(int count);
    // cb_cl: the number of clarifier compartments.
    void chooseClarifierCount(int count);
    // cb_kq, cb_kq2, cb_krue, cb_kvon, cb_kzu, cb_kvon2, cb_kzu2.
    void chooseTarget(PlantTarget target, int reactor);

    // Leaving an edit field; a refused entry keeps the stored value.
    PlantEntry enterField(PlantField field, std::string_view text);
    // ed_temp while it has the focus: the bare number.
    std::string temperatureEditText() const;

    // sg_reactors: " Reactors", " Volume", " O2 Setpoint", " Kla Value", then one row per
    // compartment. Clarifier rows show the volume only.
    GridRows reactorGrid() const;
    // " Reactor k" or " Clarifier k", k counted within the reactors or the clarifier.
    std::string compartmentLabel(int compartment) const;
    // A positive setpoint clears the row's Kla and a positive Kla its setpoint; the window
    // shows the row again.
    PlantEntry enterReactorCell(int compartment, ReactorColumn column, std::string_view text);

    // sg_s (species 1..NS by compartments 1..CompartmentCount) and sg_x (species 1..NX by
    // reactors); row 0 and column 0 hold the titles. The clarifiers' oxygen cells are blank.
    GridRows initialConditionGrid(SpeciesKind kind) const;
    PlantEntry enterInitialCondition(SpeciesKind kind, int species, int compartment,
                                     std::string_view text);
    // "Copy from Clipboard": fills both grids from a tab-separated table and returns the
    // number of cells filled.
    int pasteInitialConditions(std::string_view clipboard);

    // The influent grids: row 0 " Species" and the species names, row 1 " values" and the
    // concentrations, which the grids edit in place (the 1st influent's are the model's).
    GridRows influentGrid(InfluentGrid grid);
    // Cell of species 1..NS (or NX); 0..1e9.
    PlantEntry enterInfluent(InfluentGrid grid, int species, std::string_view text);

    // sg_state: influent rows, one row per compartment, flow or volume, the species and the
    // oxygen consumption of the reactors. It evaluates each reactor's rates, so it throws as
    // ComputeOxygenRate does; an SBR shows "N/A" as the flow of its influent rows.
    GridRows statePage();

    // "Copy Table to Clipboard": cells separated by a tab, rows ended by CR LF.
    static std::string TableText(const GridRows& rows);

    const PlantDefinitionView& view() const { return m_view; }
    // Whether an entry changed the plant since the editor was made.
    bool modified() const { return m_modified; }

private:
    double& fieldValue(PlantField field);
    int& targetValue(PlantTarget target);
    std::string speciesTitle(SpeciesKind kind, int species) const;
    SpeciesArray& influentValues(InfluentGrid grid);
    int influentSpeciesCount(InfluentGrid grid) const;

    TModelDef& m_model;
    TPlantDef& m_plant;
    TPlantState& m_state;
    PlantDefinitionView m_view;
    bool m_modified = false;
};

} // namespace narv

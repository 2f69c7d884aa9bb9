#pragma once

#include "dynamics/Variation.h"
#include "dynamics/VariationEditor.h"
#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "plant/PlantEditor.h"
#include "special/AIPlant.h"

#include <string>
#include <vector>

namespace narv {

inline constexpr const char* kTooManyPolyvalentMessage =
    "Number of polyvalent reactors is too high!\nPlease reduce number of other reactors.";
inline constexpr const char* kOnlyOnOffMessage = "Only On/Off possible for this control loop.";
inline constexpr const char* kCopyLoopQuestion = "Copy control loop settings to other lane?";
inline constexpr const char* kLaneClipboardMessage = "Clipboard must contain values of 1 or 2!";
inline constexpr const char* kLanePageHint =
    "DblClick to change lane.\nSelect range and right-click\nto change range.";

// The items a combo box of the A/I definition page offers: first..last (none when last < first).
struct AIItemRange {
    int first = 1;
    int last = 0;
    bool operator==(const AIItemRange&) const = default;
};

// What the definition page of the A/I plant editor shows after a refresh.
struct AIDefinitionView {
    AIItemRange polyvalent;             // cb_knp
    AIItemRange laneCompartments;       // cb_knai
    AIItemRange postAeration;           // cb_knnb
    AIItemRange clarifier;              // cb_cl
    std::vector<int> influentReactors;  // cb_kq, cb_kq2, cb_krue: the polyvalent reactors
    std::vector<int> recircFrom;        // cb_kvon, cb_kvon2
    std::vector<int> recircTo;          // cb_kzu
    std::vector<int> recirc2To;         // cb_kzu2
    bool sludgeAgeEditable = false;     // also cb_cl
    bool returnReactorEditable = false; // cb_krue
    bool recircEditable = false;
    bool recirc2Editable = false;
};

// The rules of the A/I plant editor: counts and their item lists, the reactor choices, the
// recirculations, and the volumes of twin compartments.
class AIPlantEditor {
public:
    AIPlantEditor(TPlantDef& plant, TAIPlant& ai) : m_plant(plant), m_ai(ai) {}

    // The refresh of the definition page: rebuilds the item lists and applies the rules that
    // follow from the counts and flows (reactor choices lowered to the polyvalent reactors,
    // sludge separation exactly with return sludge, recirculations only with 2 polyvalent
    // reactors). Also rebuilds LaneUpstream.
    AIDefinitionView refresh();

    // cb_knpChange, cb_knaiChange, cb_knnbChange: store the count, lower the polyvalent count
    // when the plant would exceed 18 compartments, fix the recirculation indices, refresh.
    // Returns the message to show, empty for none.
    std::string changePolyvalentCount(int count);
    std::string changeLaneCompartmentCount(int count);
    std::string changePostAerationCount(int count);
    // cb_cl.
    void changeClarifierCount(int count);

    // A volume of the reactor grid; an A/I compartment's twin gets the same volume.
    void setVolume(int compartment, double volume);

    const AIDefinitionView& view() const { return m_view; }
    bool modified() const { return m_modified; }

private:
    std::string applyCounts(int clarifiers);

    TPlantDef& m_plant;
    TAIPlant& m_ai;
    AIDefinitionView m_view;
    bool m_modified = false;
};

// The "State of plant" grid of the A/I editor, made from the standard page (PlantEditor's
// statePage) turned over: the influents and compartments are its columns, headed by their
// labels; below the title row the row " Type" gives each compartment's role, and below the
// species a row marks the lane-1 compartments "with feed" and the lane-2 ones "without feed".
GridRows AIStateGrid(const GridRows& standard, const TAIPlant& ai, const TPlantDef& plant);

// The A/I control-loop list ("Control Loops AI"): one page per lane with the entries
// 0..4 + ReactorCount of that lane's table.
class AIControlLoopList {
public:
    AIControlLoopList(const TModelDef& model, TPlantDef& plant, TAIPlant& ai)
        : m_model(model), m_plant(plant), m_ai(ai)
    {
    }

    static const char* caption() { return "Control Loops AI"; }
    static std::string pageTitle(int lane); // "if lane 1 is fed"
    int lastEntry() const { return 4 + m_plant.ReactorCount; }
    // "Lane", "Returnsludge", ..., "Kla of Reactor 1", "Kla of R. 3 (lane 1)".
    std::string entryCaption(int entry) const;
    // "Signal to control " + caption for an inactive entry, else the controller's text.
    std::string entryLine(int lane, int entry) const;

    // Ticking or unticking: the entry's flag, then ControlLoopsActive over both tables.
    void setActive(int lane, int entry, bool active);
    // Choosing the controller kind marks the plant modified and gives the kind the settings
    // dialog opens with: the lane loop stays on/off (with kOnlyOnOffMessage). The entry keeps
    // its kind until the dialog's OK stores its copy; after Cancel the row shows it again.
    struct KindChoice {
        bool onOff = true;
        std::string message; // empty for none
    };
    KindChoice chooseKind(int lane, int entry, bool onOff);
    // "Yes" to kCopyLoopQuestion: the whole record goes to the same entry of the other lane.
    void copyToOtherLane(int lane, int entry);

    bool modified() const { return m_modified; }

private:
    const TModelDef& m_model;
    TPlantDef& m_plant;
    TAIPlant& m_ai;
    bool m_modified = false;
};

// The lane page of the A/I variation editor: one row per time step with the lane fed.
class LanePageEditor {
public:
    LanePageEditor(TAIVariation& lanes, const TVariationDef& variation)
        : m_lanes(lanes), m_variation(variation)
    {
    }

    static std::vector<std::string> columnTitles() { return {"  time step  ", "  lane fed   "}; }
    int rowCount() const { return m_variation.PointCount; }
    // The label of step i, as the other pages label their rows: "0-2 hrs" style.
    std::string rowLabel(int step) const;
    // The lane cell as the grid holds it (after a paste it may hold any text).
    std::string cellText(int step) const;

    // The page is shown: the grid shows LaneFed, and its first selection switches nothing.
    void show();
    // A double click on a lane cell switches it between 1 and 2.
    void doubleClick(int step);
    // Selecting another lane cell switches it, except for the first selection after show().
    void select(int step);
    // "Change Selection to 1" / "... to 2" for the selected rows first..last.
    void changeSelection(int firstStep, int lastStep, int lane);
    // "Copy to Clipboard": the grid as tab-separated lines.
    std::string copyText() const;
    // "Paste from Clipboard": tab-separated lines into the grid from the given step and
    // column (0 the step labels, 1 the lanes); then every row must read as 1 or 2, or the
    // message is returned and the grid shows LaneFed again.
    std::string paste(const std::string& clipboard, int firstStep, int column);

    bool modified() const { return m_modified; }

private:
    void switchLane(int step);

    TAIVariation& m_lanes;
    const TVariationDef& m_variation;
    std::vector<std::string> m_cells; // lane column, rows 1..PointCount at [0..]
    bool m_firstSelection = true;
    int m_selected = 0;
    bool m_modified = false;
};

} // namespace narv

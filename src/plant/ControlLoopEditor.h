#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"

#include <string>
#include <vector>

namespace narv {

// One row of the window "Control Loops".
struct ControlLoopRow {
    int entry = 0;
    std::string name;        // "CLoop" + entry
    std::string caption;     // what the entry controls
    bool active = false;     // the box "Active"
    bool onOff = false;      // the choice: "On/Off" (true) or "Equation"
    bool editable = false;   // choice and description are enabled only for an active entry
    std::string description; // DescribeControlLoop, or "Signal to control " + caption
};

inline constexpr const char* kOnOffChoice = "On/Off";
inline constexpr const char* kEquationChoice = "Equation";

// The rules of the window "Control Loops" over the plant's loop table: rows 1..ReactorCount+4,
// switching entries on and off and the type choice. modified() tells the window to mark the
// plant unsaved; refreshing the rows never does.
class ControlLoopList {
public:
    ControlLoopList(const TModelDef& model, TPlantDef& plant) : m_model(model), m_plant(plant) {}

    int rowCount() const { return m_plant.ReactorCount + 4; }
    std::vector<ControlLoopRow> rows() const;
    ControlLoopRow row(int entry) const;

    // Ticking or unticking "Active"; ControlLoopsActive follows the rows in use.
    void setActive(int entry, bool active);
    // "Deactivate All".
    void deactivateAll();
    // A changed type choice marks the plant unsaved; the window then opens the settings dialog
    // with that choice.
    void chooseType(int entry, bool onOff);

    bool modified() const { return m_modified; }
    void clearModified() { m_modified = false; }

private:
    const TModelDef& m_model;
    TPlantDef& m_plant;
    bool m_modified = false;
};

// The result of leaving an edit field of the settings dialog.
struct ControlLoopEntry {
    bool accepted = false;
    std::string message;
    std::string text;
    bool returnFocus = false;
};

// The settings dialog of one loop ("Control of ..."). It works on a copy of the entry: OK puts
// the copy into the table, Cancel leaves the entry as it was. The A/I lanes use it as well.
class ControlLoopDialog {
public:
    enum Field { ErwartetX = 0, Stellung2 = 1, ErwartetY = 2, Steigung = 3 };
    static constexpr int kFieldCount = 4;

    // onOff: the type the row's choice shows now. Switching an equation to on/off starts the
    // value below the lower threshold at 0.
    // laneLoop: the loop that switches the lane fed of an A/I plant; it is on/off and its two
    // set values are lane numbers.
    ControlLoopDialog(const TModelDef& model, const TPlantDef& plant, TControlLoopDef& entry,
                      const std::string& entryCaption, bool onOff, bool laneLoop = false);

    std::string caption() const { return m_caption; } // "Control of " + entry caption
    static const char* compartmentLabel() { return "taken from reactor Nr.:"; }
    static const char* signalLabel() { return "Signal for control:  "; }

    // 1..ReactorCount, then "Cl. 1".. for the clarifier compartments.
    std::vector<std::string> compartmentItems() const;
    // The item of the copy's compartment (0-based); -1 when it lies outside the list.
    int compartmentIndex() const;
    void chooseCompartment(int index);
    bool compartmentEnabled() const { return m_copy.Signal != 1; }

    // "Influent flowrate", the dissolved names, the particulate names.
    std::vector<std::string> signalItems() const;
    // Item 0 for signal 1, item p for signal p + 2; -1 for a signal the list has no item for
    // (the total solids of a loaded plant), which the copy keeps until another is chosen.
    int signalIndex() const;
    void chooseSignal(int index);

    bool onOff() const { return m_copy.OnOff; }
    bool fieldVisible(Field field) const { return field != Stellung2 || m_copy.OnOff; }
    std::string fieldLabel(Field field) const;
    std::string fieldText(Field field) const; // shared number format, width 11, 3 decimals
    double fieldValue(Field field) const;
    // Leaving a field: the shared input check; a refused entry keeps the copy's value.
    ControlLoopEntry enterField(Field field, const std::string& text);

    // The lane loop's set values (Stellung2 above, Steigung below) are chosen from "1" and
    // "2" rather than typed.
    bool laneLoop() const { return m_laneLoop; }
    bool fieldIsLaneChoice(Field field) const
    {
        return m_laneLoop && (field == Stellung2 || field == Steigung);
    }
    static std::vector<std::string> LaneItems() { return {"1", "2"}; }
    // The item of the lane a set value holds (0: lane 1, 1: lane 2); -1 for any other value.
    int laneIndex(Field field) const;
    void chooseLane(Field field, int index);

    const TControlLoopDef& copy() const { return m_copy; }
    // "OK": the copy replaces the entry.
    void ok();

private:
    double& value(Field field);

    const TModelDef& m_model;
    const TPlantDef& m_plant;
    TControlLoopDef& m_entry;
    TControlLoopDef m_copy;
    std::string m_caption;
    bool m_laneLoop = false;
};

} // namespace narv

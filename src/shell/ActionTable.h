#pragma once

#include "plant/PlantDef.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace narv {

struct ShellState;

// The computation that is running, if any: while it lasts the commands that would start
// another one, or replace the data it works on, are disabled.
enum class RunKind { None, Integration, Relaxation, DynamicSimulation, ContinuousSimulation };

// What the window shows of one menu item and its tool button.
struct ActionState {
    std::string caption;
    std::string shortcut;
    bool enabled = true;
    bool checked = false;
    bool visible = true;
    bool hasToolButton = false;
    bool toolButtonVisible = false;
};

// Every menu entry, menu item and sub-item of the main window by its caption, which is unique:
// the window copies these states onto its actions after every change.
class ActionTable {
public:
    // contSimulationVisible: the settings key StartUp/ContSimulation.
    explicit ActionTable(bool contSimulationVisible = false);

    // The menus in order, each with its items in order; a sub-menu's items follow it.
    const std::vector<std::pair<std::string, std::vector<std::string>>>& menus() const
    {
        return m_menus;
    }
    // The items of a sub-menu ("&Define new Flowscheme", "E&xport Model and Plant"); empty for
    // a plain item.
    std::vector<std::string> subItems(const std::string& item) const
    {
        const auto children = m_children.find(item);
        return children == m_children.end() ? std::vector<std::string>{} : children->second;
    }
    // Throws std::out_of_range for a caption that is no item: a misspelt name must not pass
    // silently.
    const ActionState& operator[](const std::string& item) const { return m_items.at(item); }
    // Whether the item can be chosen: enabled by the state rules and not held by a run.
    bool enabled(const std::string& item) const
    {
        return m_items.at(item).enabled && !blockedByRun(item);
    }
    bool blockedByRun(const std::string& item) const;

    // The state rules keep working during a run; what the run holds comes back after it.
    void setRun(RunKind run) { m_run = run; }
    RunKind run() const { return m_run; }

    // An item with a sub-menu takes its sub-items along.
    void setEnabled(const std::string& item, bool enabled);
    // The menu entry itself and all its items.
    void setMenuEnabled(const std::string& menu, bool enabled);
    void setVisible(const std::string& item, bool visible) { m_items.at(item).visible = visible; }

private:
    void add(const std::string& menu, const std::string& item, const std::string& shortcut = {},
             const std::string& parent = {});

    std::vector<std::pair<std::string, std::vector<std::string>>> m_menus;
    std::map<std::string, ActionState> m_items;
    std::map<std::string, std::vector<std::string>> m_children;
    RunKind m_run = RunKind::None;
};

// The "&Define new Flowscheme" items and the plant types they carry.
const std::vector<std::pair<std::string, TFlowschemeType>>& FlowschemeTypeItems();

// The state changes of the shell: each sets its flag and what it enables.
void SetProject(ActionTable& table, ShellState& state, bool defined);
void SetModel(ActionTable& table, ShellState& state, bool loaded);
void SetPlant(ActionTable& table, ShellState& state, TFlowschemeType type, bool loaded);
void SetVariation(ActionTable& table, ShellState& state, TFlowschemeType type, bool loaded);

// The part of the refresh that follows the saved marks: the save commands are enabled only
// while there is something to save.
void RefreshSaveActions(ActionTable& table, const ShellState& state);

} // namespace narv

#include "shell/ActionTable.h"

#include "shell/ProjectShell.h"

#include <set>

namespace narv {

namespace {

constexpr const char* kFile = "&File";
constexpr const char* kVariation = "&Variation";
constexpr const char* kModel = "&Model";
constexpr const char* kPlant = "&Plant Definition";
constexpr const char* kComputations = "&Computations";
constexpr const char* kResults = "&Results";
constexpr const char* kDefineFlowscheme = "&Define new Flowscheme";
constexpr const char* kDynamic = "&Dynamic Simulation";

const char* const kModelOutput[] = {"&Edit active Model",     "&Save Model",
                                    "Save Model &as",         "S&how Model and Plant as Text",
                                    "&Print Model and Plant", "E&xport Model and Plant"};

void setAll(ActionTable& table, std::initializer_list<const char*> items, bool enabled)
{
    for (const char* item : items)
        table.setEnabled(item, enabled);
}

void disableModelOutput(ActionTable& table)
{
    for (const char* item : kModelOutput)
        table.setEnabled(item, false);
}

// All plant items off except the two that start a plant.
void plantOnlyStartable(ActionTable& table)
{
    table.setMenuEnabled(kPlant, false);
    table.setEnabled(kPlant, true);
    table.setEnabled(kDefineFlowscheme, true);
    table.setEnabled("&Load Plant File", true);
}

void variationOnlyStartable(ActionTable& table)
{
    setAll(table, {"&Edit Variation", "&Save Variation", "Save Variation &as"}, false);
}

} // namespace

const std::vector<std::pair<std::string, TFlowschemeType>>& FlowschemeTypeItems()
{
    static const std::vector<std::pair<std::string, TFlowschemeType>> items = {
        {"&Activated Sludge Reactor", TFlowschemeType::ftASR},
        {"&CSTR (Completely Stirred Tank Reactor) ", TFlowschemeType::ftCSTR},
        {"&Batch Reactor", TFlowschemeType::ftBatch},
        {"&SBR (Sequencing Batch Reactor)", TFlowschemeType::ftSBR},
        {"A/I Processes", TFlowschemeType::ftAI}};
    return items;
}

ActionTable::ActionTable(bool contSimulationVisible)
{
    add(kFile, "&USER Directory", "Ctrl+Alt+U");
    add(kFile, "&New Project");
    add(kFile, "&Load Project", "Ctrl+Alt+L");
    add(kFile, "&Save Project", "Ctrl+Alt+S");
    add(kFile, "Save Project &as");
    add(kFile, "&Exit");
    add(kVariation, "&New Variation");
    add(kVariation, "&Load Variation");
    add(kVariation, "&Edit Variation", "Ctrl+Alt+V");
    add(kVariation, "&Save Variation");
    add(kVariation, "Save Variation &as");
    add(kModel, "&New Model");
    add(kModel, "Load &USER Model");
    add(kModel, "Load NARV &Model");
    add(kModel, "&Edit active Model", "Ctrl+M");
    add(kModel, "&Save Model");
    add(kModel, "Save Model &as");
    add(kModel, "S&how Model and Plant as Text", "Ctrl+T");
    add(kModel, "&Print Model and Plant", "Ctrl+P");
    add(kModel, "E&xport Model and Plant");
    add(kModel, "as &Text File", {}, "E&xport Model and Plant");
    add(kPlant, kDefineFlowscheme);
    for (const auto& [item, type] : FlowschemeTypeItems())
        add(kPlant, item, {}, kDefineFlowscheme);
    add(kPlant, "&Edit Flowscheme", "Ctrl+E");
    add(kPlant, "&Graphic of Flowscheme", "Ctrl+G");
    add(kPlant, "&Show State of Plant");
    add(kPlant, "&Concentrations in Influent");
    add(kPlant, "Change &Temperature");
    add(kPlant, "&Initial Conditions");
    add(kPlant, "Save Plant &File");
    add(kPlant, "Save Plant File &as");
    add(kPlant, "&Load Plant File");
    add(kPlant, "Control &Loops", "Ctrl+L");
    add(kComputations, "&Relaxation", "Ctrl+R");
    add(kComputations, "&Integration", "Ctrl+I");
    add(kComputations, kDynamic, "Ctrl+D");
    add(kComputations, "&Continuous Simulation", "Ctrl+C");
    add(kResults, "Show &Results", "Ctrl+O");
    add(kResults, "&Save Results to File", "Ctrl+S");
    add(kResults, "Load Results from &File");
    add(kResults, "Show Results from File");
    add("&Tools", "&Configuration");
    add("&Help", "&Contents");
    add("&Help", "&Index", "Ctrl+H");
    add("&Help", "&Find");
    add("&Help", "&About...");

    // The commands the tool bar offers; the new-project button exists but stays hidden.
    for (const char* item :
         {"&New Project", "&Load Project", "&Save Project", "&Edit Variation", "&Edit active Model",
          "S&how Model and Plant as Text", "&Print Model and Plant", "&Edit Flowscheme",
          "&Graphic of Flowscheme", "Control &Loops", "&Relaxation", "&Integration", kDynamic,
          "&Continuous Simulation", "Show &Results", "&Index"}) {
        m_items.at(item).hasToolButton = true;
        m_items.at(item).toolButtonVisible = true;
    }
    m_items.at("&New Project").toolButtonVisible = false;
    setVisible("&Continuous Simulation", contSimulationVisible);
    m_items.at("&Continuous Simulation").toolButtonVisible = contSimulationVisible;
    setEnabled("Show Results from File", false);
}

void ActionTable::add(const std::string& menu, const std::string& item, const std::string& shortcut,
                      const std::string& parent)
{
    if (m_items.find(menu) == m_items.end()) {
        m_items[menu].caption = menu;
        m_menus.push_back({menu, {}});
    }
    m_menus.back().second.push_back(item);
    ActionState& state = m_items[item];
    state.caption = item;
    state.shortcut = shortcut;
    if (!parent.empty())
        m_children[parent].push_back(item);
}

void ActionTable::setEnabled(const std::string& item, bool enabled)
{
    m_items.at(item).enabled = enabled;
    const auto children = m_children.find(item);
    if (children != m_children.end())
        for (const std::string& child : children->second)
            m_items.at(child).enabled = enabled;
}

bool ActionTable::blockedByRun(const std::string& item) const
{
    if (m_run == RunKind::None)
        return false;
    // The running computation's own command stays: it shows the window with the Stop button.
    static const std::pair<const char*, RunKind> computations[] = {
        {"&Integration", RunKind::Integration},
        {"&Relaxation", RunKind::Relaxation},
        {kDynamic, RunKind::DynamicSimulation},
        {"&Continuous Simulation", RunKind::ContinuousSimulation}};
    for (const auto& [caption, kind] : computations)
        if (item == caption)
            return kind != m_run;
    // A run reads the model, plant and variation at every step: nothing may replace them.
    static const std::set<std::string> replacing = {
        "&New Project",      "&Load Project",    "&New Model",     "Load &USER Model",
        "Load NARV &Model",  kDefineFlowscheme,  "&Load Plant File", "&New Variation",
        "&Load Variation"};
    if (replacing.count(item) != 0)
        return true;
    for (const auto& [caption, type] : FlowschemeTypeItems())
        if (item == caption)
            return true;
    return false;
}

void ActionTable::setMenuEnabled(const std::string& menu, bool enabled)
{
    m_items.at(menu).enabled = enabled;
    for (const auto& [name, items] : m_menus)
        if (name == menu)
            for (const std::string& item : items)
                m_items.at(item).enabled = enabled;
}

void SetProject(ActionTable& table, ShellState& state, bool defined)
{
    state.ProjectDefined = defined;
    for (const char* menu : {kFile, kVariation, kModel, kPlant, kComputations})
        table.setMenuEnabled(menu, false);
    table.setMenuEnabled(kFile, true);
    if (defined) {
        table.setMenuEnabled(kModel, true);
        disableModelOutput(table);
        setAll(table, {"&Save Results to File", "Show Results from File"}, false);
    } else {
        setAll(table, {"&Save Project", "Save Project &as"}, false);
        table.setMenuEnabled(kModel, false);
    }
}

void SetModel(ActionTable& table, ShellState& state, bool loaded)
{
    state.ModelLoaded = loaded;
    table.setMenuEnabled(kModel, true);
    if (loaded) {
        plantOnlyStartable(table);
        table.setMenuEnabled(kVariation, true);
        variationOnlyStartable(table);
    } else if (state.ProjectDefined) {
        disableModelOutput(table);
        table.setMenuEnabled(kPlant, false);
        table.setMenuEnabled(kVariation, false);
    } else {
        table.setMenuEnabled(kModel, false);
    }
}

void SetPlant(ActionTable& table, ShellState& state, TFlowschemeType type, bool loaded)
{
    state.PlantLoaded = loaded;
    table.setMenuEnabled(kPlant, true);
    if (loaded) {
        const bool sbr = type == TFlowschemeType::ftSBR;
        if (sbr)
            setAll(table, {"&Graphic of Flowscheme", "Control &Loops"}, false);
        table.setMenuEnabled(kVariation, !sbr);
        if (!sbr && !state.VariationLoaded)
            variationOnlyStartable(table);
        table.setMenuEnabled(kComputations, true);
        table.setEnabled(kDynamic, state.VariationLoaded || sbr);
        // An SBR plant runs only its own cycle.
        if (sbr)
            setAll(table, {"&Relaxation", "&Integration"}, false);
    } else if (state.ModelLoaded) {
        plantOnlyStartable(table);
        table.setMenuEnabled(kComputations, false);
    } else {
        table.setMenuEnabled(kPlant, false);
    }
}

void SetVariation(ActionTable& table, ShellState& state, TFlowschemeType type, bool loaded)
{
    state.VariationLoaded = loaded;
    const bool sbr = state.PlantLoaded && type == TFlowschemeType::ftSBR;
    if (!sbr)
        table.setMenuEnabled(kVariation, true);
    if (!loaded) {
        if (state.ModelLoaded)
            variationOnlyStartable(table);
        else
            table.setMenuEnabled(kVariation, false);
        if (state.PlantLoaded && !sbr)
            table.setEnabled(kDynamic, false);
    } else if (state.PlantLoaded) {
        table.setEnabled(kDynamic, true);
    }
}

void RefreshSaveActions(ActionTable& table, const ShellState& state)
{
    table.setEnabled("&Save Model", state.ModelLoaded && !state.ModelSaved);
    table.setEnabled("Save Plant &File", state.PlantLoaded && !state.PlantSaved);
    table.setEnabled("&Save Variation", state.VariationLoaded && !state.VariationSaved);
    table.setEnabled("&Save Project", state.ProjectDefined && !state.projectSaved());
}

} // namespace narv

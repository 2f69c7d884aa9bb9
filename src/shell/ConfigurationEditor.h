#pragma once

#include "solvers/SimSettings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace narv {

struct ShellSettings;

// The rules of the "Configuration" dialog, without a window: a working copy of the numerical
// and chart settings that the fields edit, the shared input check when a field is left, and
// what "Ok", "Cancel" and "Set Default Values" do to the settings in force.
class ConfigurationEditor {
public:
    // Choice: one word of `choices`, as the settings file writes it.
    enum class Kind { Real, Integer, Text, Choice };
    struct Field {
        std::string key; // the settings key
        std::string label;
        Kind kind;
        double min;
        double max; // for Eps: the Eps2 of the working copy
        bool chartPage;
        std::vector<std::string> choices;
    };
    // What leaving a field gives: on refusal the message to show, and in both cases the text
    // the field shows afterwards. A refused field keeps the focus.
    struct Entry {
        bool accepted = true;
        std::string message;
        std::string text;
    };
    struct Refusal {
        std::string key;
        Entry entry;
    };

    // The fields in the order of the pages: "Simulation Settings", then "Chart Settings".
    static const std::vector<Field>& fields();
    static const Field& field(const std::string& key);

    // Copies the settings in force into the working copy.
    explicit ConfigurationEditor(const ShellSettings& settings);

    // The value of a field as the dialog shows it: reals as the settings file writes them, a
    // choice as its word.
    std::string text(const std::string& key) const;
    // Checks the typed text (for a choice: one of its words, in any case) and, when it is
    // accepted, stores it in the working copy.
    Entry enter(const std::string& key, std::string_view typed);
    // Checks the stored value of every field again, as closing the dialog does: the first
    // field out of its range (Eps above an Eps2 lowered after it) is refused.
    std::optional<Refusal> recheckAll() const;

    // "Ok": the working copy into the settings in force (DeltMinO2 follows DeltMin). False,
    // with nothing changed, while a field is out of range.
    bool apply(ShellSettings& settings) const;
    // "Set Default Values": the defaults go into force at once, DeltMin stays, and the
    // working copy is loaded again from what is in force.
    void setDefaults(ShellSettings& settings);

    // The check box "Integration step by step".
    void setStepByStep(bool on) { m_simulation.StepByStep = on; }

    const TSimSettings& simulation() const { return m_simulation; }
    const std::string& bottomAxisTitleCaption() const { return m_axisTitle; }
    int defaultPenWidth() const { return m_penWidth; }

private:
    double rangeMax(const Field& field) const;
    double value(const Field& field) const;
    void store(const Field& field, double value);

    TSimSettings m_simulation;
    std::string m_axisTitle;
    int m_penWidth = 3;
};

} // namespace narv

#pragma once

#include "model/ModelDef.h"
#include "plant/PlantDef.h"
#include "special/SbrCycle.h"

#include <string>
#include <vector>

namespace narv {

// The outcome of one entry on the SBR page: accepted or not, the message to show (empty for
// none) and the text the field or cell shows afterwards.
struct SbrEntry {
    bool accepted = false;
    std::string message;
    std::string text;
    bool returnFocus = false; // an edit field keeps the focus after a refusal
};

// The columns of the periods grid that hold volumes.
enum class SbrVolumeColumn { Influent1, Influent2, Supernatant, MixedLiquor };

// What the window opens to take the values of a period's aeration mode: an input box for the
// fixed modes, the SBR control dialog for the controlled ones.
struct SbrValueRequest {
    bool controlDialog = false; // modes 2 and 3
    std::string title;          // input box: "SBR Control for period k"
    std::string prompt;
    std::string preset;
};

inline constexpr const char* kSbrInitialVolumeMessageStart = "Initial Volume should exceed ";
inline constexpr const char* kSbrUnbalancedMessage =
    "Influent and effluent volume must add up to same volume per cycle!";

// Whether the SBR page (or the editor) may be left, and what to show if not.
struct SbrLeaveCheck {
    enum class Focus { None, InitialVolume, Grid };
    bool allowed = true;
    std::string message; // empty: nothing to show
    Focus focus = Focus::None;
};

// Leaving the SBR page or closing the editor: an SBR plant needs an initial volume of at least
// the minimum and a balanced cycle; other plants are never held.
SbrLeaveCheck CheckLeaveSbrPage(const TPlantDef& plant, const TSbrCycle& cycle, bool sbrPageActive);

class SbrControlDialog;

// The rules of the SBR page of the plant editor; the window passes the user's entries and
// shows what comes back.
class SbrPageEditor {
public:
    explicit SbrPageEditor(TSbrCycle& cycle) : m_cycle(cycle) {}

    // Texts of the page.
    static const std::vector<std::string>& GridColumnTitles();
    static const std::vector<std::string>& AerationModeTexts();
    std::string timesliceLengthText() const;
    std::string accuracyText() const;      // "%6.3f"
    std::string initialVolumeText() const; // "%.2f"
    std::string cycleLengthLine() const;
    std::string initialVolumeLabel() const;
    SbrBalance balance() const;
    std::string cumulatedCycleTimeText(int period) const;
    std::string volumeText(int period, SbrVolumeColumn column) const; // "%.2f"

    // ed_MinExit, ed_epsExit, ed_VoliniExit.
    SbrEntry enterTimesliceLength(const std::string& text);
    SbrEntry enterAccuracy(const std::string& text);
    SbrEntry enterInitialVolume(const std::string& text);
    // A cell of the column "No of timeslices".
    SbrEntry enterTimeslices(int period, const std::string& text);
    // A volume cell: the input check, then the period check; the balance and the initial-volume
    // rule run after either outcome.
    SbrEntry enterVolume(int period, SbrVolumeColumn column, const std::string& text);

    // Choosing an entry of "kla Control" stores the mode and opens its value entry.
    SbrValueRequest chooseAerationMode(int period, TSbrAerationMode mode);
    // The button "    Define".
    SbrValueRequest valueRequest(int period) const;
    // OK of the input box of the fixed modes: fixed kla clears the fixed O2 concentration and
    // the reverse.
    SbrEntry enterFixedValue(int period, const std::string& text);

    // btOK of the SBR control dialog of a period of this page.
    void acceptControlDialog(SbrControlDialog& dialog);

    // Every accepted change marks the plant modified.
    bool modified() const { return m_modified; }
    void clearModified() { m_modified = false; }

private:
    double& volume(int period, SbrVolumeColumn column);

    TSbrCycle& m_cycle;
    bool m_modified = false;
};

// What the SBR control dialog remembers between openings while the program runs.
struct SbrControlDialogMemory {
    bool opened = false;
    TSbrAerationMode lastMode = TSbrAerationMode::FixedKla;
};

// The SBR control dialog of a period in mode 2 ("prop. control") or 3 ("on/off control").
class SbrControlDialog {
public:
    enum Field { SignalValueOrUpper = 0, ValueAbove = 1, SetpointOrLower = 2, SlopeOrBelow = 3 };
    static constexpr int kFieldCount = 4;

    // Opens for period k with its values; remembers the opening in memory.
    SbrControlDialog(TSbrCycle& cycle, int period, const TModelDef& model,
                     SbrControlDialogMemory& memory);

    std::string caption() const; // "SBR Control of period k"
    static const char* signalLabel() { return "Signal for control:  "; }
    std::vector<std::string> signalNames() const; // the dissolved species 1..NS
    int signalIndex() const { return m_signal; }  // 1-based
    void chooseSignal(int species);

    bool fieldVisible(Field field) const;
    std::string fieldLabel(Field field) const;
    std::string fieldText(Field field) const; // shared number format, width 11, 3 decimals
    double fieldValue(Field field) const { return m_values[field]; }
    // Leaving a field: the shared input check with the field's range.
    SbrEntry enterField(Field field, const std::string& text);

    // btOK: the values of the period's mode and the signal species go into the period.
    void ok();

private:
    TSbrCycle& m_cycle;
    int m_period;
    const TModelDef& m_model;
    TSbrAerationMode m_mode;
    int m_signal;
    double m_values[kFieldCount];
};

} // namespace narv

#pragma once

#include "model/ModelEditor.h"

#include <optional>

namespace narv {

class UserDialogs;

inline constexpr const char* kWizardQuitQuestion =
    "Input of new model is finished!.\nDo you like to quit the wizard?";
inline constexpr const char* kWizardFinishedMessage =
    "Input of new model is finished.\nPlease save the model before you continue.\nYou can "
    "edit the model any time by choosing [Edit active Model].";

// The new-model wizard "Assistant for New Model Creation": a start text, then one step per
// page of the model editor in page order, pages hidden by zero counts skipped. While it runs
// the main window is disabled, the editor allows only the page of the current step, and
// "Labels editable" is locked (on for the two stoichiometry pages, off elsewhere).
class NewModelWizard {
public:
    static constexpr int kLastStep = 8;

    NewModelWizard(ModelEditor& editor, UserDialogs& dialogs);

    static const char* caption() { return "Assistant for New Model Creation"; }

    // 0 is the start text, 1..8 the editor pages "   Info".."Influent concentrations".
    int step() const { return m_step; }
    std::optional<ModelPage> page() const;
    const char* text() const;
    // The editor shows only the page of the current step (none at the start).
    bool pageAllowed(ModelPage page) const;

    bool backEnabled() const; // "<" is disabled on the first page
    // ">": the next step whose page is shown; on the last step the closing question, whose
    // No returns to step 1.
    void forward();
    // "<": the previous step whose page is shown.
    void back();
    // Closing the wizard (also "Yes" to the closing question): the editor closes, the message
    // is shown, the main window is enabled again and "Labels editable" is unlocked.
    void close();

    bool closed() const { return m_closed; }
    // The main window stays disabled while the wizard runs.
    bool mainWindowEnabled() const { return m_closed; }

private:
    void enter(int step);
    bool stepShown(int step) const;

    ModelEditor& m_editor;
    UserDialogs& m_dialogs;
    int m_step = 0;
    bool m_closed = false;
};

} // namespace narv

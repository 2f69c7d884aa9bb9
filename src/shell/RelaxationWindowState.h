#pragma once

#include "core/RunControl.h"
#include "shell/RunWindowPort.h"
#include "shell/Workspace.h"
#include "solvers/Relaxation.h"
#include "solvers/SimSettings.h"

#include <atomic>
#include <string>
#include <string_view>

namespace narv {

// The three relaxation-time fields of the relaxation window.
enum class RelaxationField {
    Oxygen,
    Dissolved,
    Particulate
}; // ed_timeO2end, ed_timeSend, ed_timeXend

struct RelaxationFieldEntry {
    bool accepted = false;
    std::string message;
    std::string text;
    bool returnFocus = false;
};

// The rules of the relaxation window "Relaxation": the three relaxation times offered and
// checked against 0..10 x sludge age, Start with its chunks, Stop, the convergence display of
// the 2-second timer, and "Show Results". start() returns when the relaxation has ended.
class RelaxationWindowState : private RunControl {
public:
    RelaxationWindowState(Workspace& workspace, const TSimSettings& settings, RunWindowPort& port);

    static const char* caption() { return "Relaxation"; }
    static const char* fieldCaption(RelaxationField field);

    // When no relaxation runs the times become 0.1, 0.2 and 2 x sludge age, 3 decimals.
    void shown();
    std::string fieldText(RelaxationField field) const;
    // Leaving a field: the shared real check for 0..10 x sludge age.
    RelaxationFieldEntry enterField(RelaxationField field, std::string_view text);
    const RelaxationTimes& times() const { return m_times; }

    const RunButtons& buttons() const { return m_buttons; }
    const std::string& status() const { return m_status; }
    bool running() const { return m_inProgress; }
    // The 2000 ms timer runs while a relaxation runs.
    bool timerActive() const { return m_timerActive; }

    // Ends with "Time for Relaxation: " and the elapsed time; an error ends the relaxation
    // with the same clean-up and is then thrown on.
    void start();
    void stop();
    // A timer tick: "Chi-square: " and the measure since the last tick, on the status bar.
    std::string timerTick();
    ShowAction showResults() const { return ShowAction::CloseAndShowState; }

private:
    bool wantsProgress() override { return m_port.wantsProgress(); }
    void progress(const std::string& text) override;
    void idle() override { m_port.processEvents(); }
    bool stopRequested() override { return m_stopRequested; }
    void setButtons(const RunButtons& buttons);
    void finish(double elapsedSeconds);
    double& time(RelaxationField field);

    Workspace& m_workspace;
    const TSimSettings& m_settings;
    RunWindowPort& m_port;
    ConvergenceMonitor m_monitor;
    RelaxationTimes m_times;
    std::string m_status = "Relaxation not started";
    RunButtons m_buttons;
    bool m_timerActive = false;
    std::atomic<bool> m_inProgress = false;
    std::atomic<bool> m_stopRequested = false;
};

} // namespace narv

#pragma once

#include "core/RunControl.h"
#include "shell/RunWindowPort.h"
#include "shell/Workspace.h"
#include "solvers/SimSettings.h"

#include <atomic>
#include <string>

namespace narv {

// The rules of the integration window: the end time offered, Start with its chunks and its
// step-by-step pauses, Stop, "Show Results" that reads "Continue" during a step-by-step run,
// and the saved initial conditions. start() returns when the run has ended; meanwhile the port
// processes events, through which stop() and showOrContinue() arrive. The stop and continue
// flags may be set from another thread.
class IntegrationWindowState : private RunControl {
public:
    IntegrationWindowState(Workspace& workspace, const TSimSettings& settings, RunWindowPort& port);

    static const char* caption() { return "Integration"; }

    // The window is shown: when no run is in progress the end time becomes half the sludge
    // age with 3 decimals.
    void shown();
    const std::string& endTimeText() const { return m_endTimeText; } // ed_endtime
    void setEndTimeText(std::string text) { m_endTimeText = std::move(text); }

    const RunButtons& buttons() const { return m_buttons; }
    const std::string& status() const { return m_status; }
    // A run is in progress (it may be ending after Stop).
    bool running() const { return m_inProgress; }

    // btStart. An end time that is not a number above 0 is refused with a message and nothing
    // runs. Ends with "Simulation time: " and the elapsed time unless the run went step by
    // step. An error ends the run with the same clean-up and is then thrown on.
    void start();
    // btStop: the run ends within one integrator step; a pause ends.
    void stop();
    // btShow.
    ShowAction showOrContinue();
    // btSetConditions / btLoadConditions (not while a run is in progress). The saved
    // conditions are the workspace's: they last as long as the program.
    void saveConditions();
    void loadConditions();

private:
    bool wantsProgress() override { return m_port.wantsProgress(); }
    void progress(const std::string& text) override;
    void idle() override;
    bool stopRequested() override { return m_stopRequested; }
    void pauseAfterStep() override;
    void setButtons(const RunButtons& buttons);
    void finish(bool stepByStep, double elapsedSeconds);

    Workspace& m_workspace;
    const TSimSettings& m_settings;
    RunWindowPort& m_port;
    std::string m_endTimeText;
    std::string m_status = "Integration not started";
    RunButtons m_buttons;
    std::atomic<bool> m_inProgress = false; // until the run has returned
    std::atomic<bool> m_stopRequested = false;
    std::atomic<bool> m_continue = false;
    bool m_stepByStep = false;
};

} // namespace narv

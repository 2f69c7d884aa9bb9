#pragma once

#include "core/RunControl.h"
#include "results/ChartModel.h"
#include "shell/RunWindowPort.h"
#include "shell/Workspace.h"
#include "solvers/SimSettings.h"

#include <atomic>
#include <string>
#include <string_view>

namespace narv {

struct CycleCountEntry {
    bool accepted = false;
    std::string message;
    std::string text;
    bool returnFocus = false;
};

// The rules of the window "Dynamic Simulation": the number of cycles and its end-time text,
// "Show all cycles in plots", Start with the run of the plant's type (standard, SBR or A/I),
// Stop and "Show Results". start() returns when the run has ended; meanwhile the port
// processes events, through which stop() arrives.
class DynamicWindowState : private RunControl {
public:
    DynamicWindowState(Workspace& workspace, const TSimSettings& settings, RunWindowPort& port);

    static const char* caption() { return "Dynamic Simulation"; }

    // The window is shown: unless a run is in progress Stop and "Show Results" are disabled,
    // the check box is enabled and the end-time text follows the variation's cycle.
    void shown();
    int cycleCount() const { return m_cycles; }
    std::string cycleCountText() const { return std::to_string(m_cycles); } // ed_endtime
    // Leaving ed_endtime: an integer 1..365; a refused entry keeps the old number.
    CycleCountEntry enterCycleCount(std::string_view text);
    const std::string& endTimeText() const { return m_endTimeText; }
    bool allCycles() const { return m_allCycles; } // chkAllCycles
    void setAllCycles(bool all) { m_allCycles = all; }
    // The check box cannot change the recording of a run in progress.
    bool allCyclesEnabled() const { return !m_inProgress; }
    // The names every chart's footnote shows.
    void setChartSetup(ChartSetup setup) { m_chartSetup = std::move(setup); }

    const RunButtons& buttons() const { return m_buttons; }
    const std::string& status() const { return m_status; }
    bool running() const { return m_inProgress; }

    // Ends with "Simulation time: " and the elapsed time, and the run's charts built in the
    // workspace's results (also after a stop). An error ends the run with the same message
    // and clean-up but without charts, and is then thrown on.
    void start();
    // Stop: the run ends within one integrator step; what was recorded stays.
    void stop();
    ShowAction showResults() const { return ShowAction::CloseAndShowState; }

private:
    bool wantsProgress() override { return m_port.wantsProgress(); }
    void progress(const std::string& text) override;
    void idle() override { m_port.processEvents(); }
    bool stopRequested() override { return m_stopRequested; }
    void setButtons(const RunButtons& buttons);
    void setStatus(const std::string& text);
    void updateEndTimeText();

    Workspace& m_workspace;
    const TSimSettings& m_settings;
    RunWindowPort& m_port;
    ChartSetup m_chartSetup;
    int m_cycles = 1;
    bool m_allCycles = false;
    std::string m_endTimeText;
    std::string m_status = "Simulation not started";
    RunButtons m_buttons;
    std::atomic<bool> m_inProgress = false;
    std::atomic<bool> m_stopRequested = false;
};

} // namespace narv

#pragma once

#include "shell/ActionTable.h"

#include <string>

namespace narv {

// What the run windows (integration, relaxation, dynamic and continuous simulation) need from
// their surroundings while their rules run in plain classes: the desktop program implements it
// with its windows, tests record the calls. A run calls processEvents after every integrator step
// and repeatedly while it is paused; a window that runs the computation on a worker thread
// must hand these calls over to its own thread (and may wait briefly in processEvents).
class RunWindowPort {
public:
    virtual ~RunWindowPort() = default;

    // The window's status bar (panel 0).
    virtual void setStatus(const std::string& text) = 0;
    // Whether the run's next progress text would be shown: a window that shows them a few
    // times a second saves the run from making the others.
    virtual bool wantsProgress() { return true; }
    // Let the user interface handle pending input (Stop, Continue, Pause, repaints).
    virtual void processEvents() = 0;
    // A paused run waits here for the user's input: a window blocks until some arrives rather
    // than spinning.
    virtual void waitForEvents() { processEvents(); }
    // The enabled states or captions of the window's buttons changed.
    virtual void buttonsChanged() = 0;
    // A message box with OK (elapsed times).
    virtual void showMessage(const std::string& text) = 0;
    // A computation starts (its kind) or ends (RunKind::None): the main window's commands
    // that it holds follow (ShellCommands::setRunning).
    virtual void setRunning(RunKind run) = 0;
    // The state belongs to the plant file: a run marks the plant as modified.
    virtual void markPlantModified() = 0;
    // The plant dialog shown on its "State of plant" page.
    virtual void showStatePage() = 0;
    // The "State of plant" page refreshed from the state, if the plant dialog is visible.
    virtual void refreshStatePage() = 0;
    // The "Initial conditions" page refreshed, if the plant dialog is visible.
    virtual void refreshInitialConditions() = 0;
    // A dynamic run ended (or failed): the results window and "Save Results" follow the
    // workspace's results.
    virtual void runResultsChanged() {}
};

// The buttons of a run window.
struct RunButtons {
    bool start = true;
    bool stop = false;
    bool show = false;                        // "Show Results" / "Continue"
    std::string showCaption = "Show Results"; // btShow
    bool saveConditions = true;               // btSetConditions (integration only)
    bool loadConditions = false;              // btLoadConditions (integration only)
    bool pause = false;                       // continuous simulation only
    std::string pauseCaption = "Pause";
    bool operator==(const RunButtons&) const = default;
};

// What "Show Results" asks of the window: during a step-by-step run it lets the run continue;
// otherwise the window closes and the plant dialog shows its "State of plant" page.
enum class ShowAction { Continued, CloseAndShowState };

} // namespace narv

#pragma once

#include <string>

namespace narv {

// How a long computation talks to whoever runs it: progress texts, a stop request that is
// honoured within one step, and the pause of a step-by-step run. The desktop program shows
// the texts and processes pending events; the command line draws a progress line; tests
// fake it. The default does nothing and never stops.
class RunControl {
public:
    virtual ~RunControl() = default;

    // Whether progress texts are shown at all; a solver builds no text when they are not.
    virtual bool wantsProgress() { return false; }
    virtual void progress(const std::string& text) { (void)text; }
    // Called after every step, so that a window stays responsive.
    virtual void idle() {}
    virtual bool stopRequested() { return false; }
    // A step-by-step run waits here until the user continues or stops.
    virtual void pauseAfterStep() {}
};

} // namespace narv

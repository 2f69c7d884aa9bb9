#pragma once

#include "core/RunControl.h"

#include <pybind11/pybind11.h>

#include <chrono>
#include <optional>

namespace narv::python {

// The stop of a run started from Python: the run goes on without the GIL, and now and then
// takes it back briefly to let Python handle its signals, so that Ctrl+C (KeyboardInterrupt)
// stops the run within one step. The exception is raised once the run has ended.
class PythonRunControl : public RunControl {
public:
    bool stopRequested() override;

    // With the GIL held after the run: raises the exception a signal handler raised, if any.
    void raiseIfInterrupted();

private:
    std::optional<pybind11::error_already_set> m_error;
    std::chrono::steady_clock::time_point m_lastCheck{};
};

} // namespace narv::python

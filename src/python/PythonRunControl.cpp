#include "python/PythonRunControl.h"

namespace narv::python {
namespace {

// Often enough for a prompt stop, rarely enough not to slow down tiny steps.
constexpr std::chrono::milliseconds kSignalCheckInterval{50};

} // namespace

bool PythonRunControl::stopRequested()
{
    if (m_error)
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastCheck < kSignalCheckInterval)
        return false;
    m_lastCheck = now;
    const pybind11::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0)
        m_error.emplace();
    return m_error.has_value();
}

void PythonRunControl::raiseIfInterrupted()
{
    if (!m_error)
        return;
    pybind11::error_already_set error = std::move(*m_error);
    m_error.reset();
    throw error;
}

} // namespace narv::python

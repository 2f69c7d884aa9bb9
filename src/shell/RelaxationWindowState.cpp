#include "shell/RelaxationWindowState.h"

#include "shell/Computations.h"

#include "core/InputCheck.h"
#include "core/TextUtil.h"

#include <fmt/format.h>

#include <chrono>

namespace narv {
namespace {

} // namespace

RelaxationWindowState::RelaxationWindowState(Workspace& workspace, const TSimSettings& settings,
                                             RunWindowPort& port)
    : m_workspace(workspace), m_settings(settings), m_port(port)
{
    m_buttons.saveConditions = false;
    shown();
}

const char* RelaxationWindowState::fieldCaption(RelaxationField field)
{
    switch (field) {
    case RelaxationField::Oxygen:
        return "Relaxation time for Oxygen: ";
    case RelaxationField::Dissolved:
        return "Relaxation time for dissolved material: ";
    case RelaxationField::Particulate:
        break;
    }
    return "Relaxation time for particulate material: ";
}

void RelaxationWindowState::shown()
{
    if (!m_inProgress)
        m_times = DefaultRelaxationTimes(m_workspace.plant);
}

double& RelaxationWindowState::time(RelaxationField field)
{
    switch (field) {
    case RelaxationField::Oxygen:
        return m_times.oxygen;
    case RelaxationField::Dissolved:
        return m_times.dissolved;
    case RelaxationField::Particulate:
        break;
    }
    return m_times.particulate;
}

std::string RelaxationWindowState::fieldText(RelaxationField field) const
{
    return fmt::format("{:.3f}", const_cast<RelaxationWindowState*>(this)->time(field));
}

RelaxationFieldEntry RelaxationWindowState::enterField(RelaxationField field, std::string_view text)
{
    if (TrimBlanks(text) == fieldText(field))
        return {true, {}, fieldText(field), false};
    const RealCheck check =
        CheckRealField(text, 0.0, 10.0 * m_workspace.plant.SludgeAge, time(field));
    // A refused entry shows the kept time as every time is shown.
    if (!check.accepted)
        return {false, check.message, fieldText(field), check.returnFocus};
    time(field) = check.value;
    return {true, {}, fieldText(field), false};
}

void RelaxationWindowState::setButtons(const RunButtons& buttons)
{
    m_buttons = buttons;
    m_port.buttonsChanged();
}

void RelaxationWindowState::progress(const std::string& text)
{
    m_status = text;
    m_port.setStatus(text);
}

void RelaxationWindowState::start()
{
    if (m_inProgress)
        return;
    m_inProgress = true;
    m_stopRequested = false;
    RunButtons running = m_buttons;
    running.start = false;
    running.stop = true;
    setButtons(running);
    m_port.setRunning(RunKind::Relaxation);
    m_port.markPlantModified();
    m_monitor.snapshot(m_workspace.model, m_workspace.plant, m_workspace.state);
    m_timerActive = true;
    const auto started = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    try {
        RunRelaxation(m_workspace, m_settings, *this, m_times,
                      [this] { m_port.refreshStatePage(); });
    } catch (...) {
        finish(elapsed());
        throw;
    }
    finish(elapsed());
}

void RelaxationWindowState::finish(double elapsedSeconds)
{
    m_timerActive = false;
    m_port.refreshStatePage();
    m_port.showMessage("Time for Relaxation: " + FormatElapsed(elapsedSeconds));
    RunButtons idle = m_buttons;
    idle.start = true;
    idle.stop = false;
    idle.show = true;
    setButtons(idle);
    m_port.setRunning(RunKind::None);
    m_stopRequested = false;
    m_inProgress = false;
    progress("Relaxation not started");
}

void RelaxationWindowState::stop()
{
    m_stopRequested = true;
    m_port.refreshStatePage();
}

std::string RelaxationWindowState::timerTick()
{
    if (!m_timerActive)
        return m_status;
    const std::string text = ConvergenceMonitor::Text(
        m_monitor.chiSquare(m_workspace.model, m_workspace.plant, m_workspace.state));
    progress(text);
    return text;
}

} // namespace narv

#include "shell/IntegrationWindowState.h"

#include "shell/Computations.h"

#include "core/Error.h"
#include "core/InputCheck.h"
#include "core/NumberFormat.h"

#include <fmt/format.h>

#include <chrono>

namespace narv {
namespace {

constexpr double kMaxEndTime = 1e9; // [d]

} // namespace

IntegrationWindowState::IntegrationWindowState(Workspace& workspace, const TSimSettings& settings,
                                               RunWindowPort& port)
    : m_workspace(workspace), m_settings(settings), m_port(port)
{
    m_buttons.loadConditions = m_workspace.savedConditions.has_value();
    shown();
}

void IntegrationWindowState::shown()
{
    if (!m_inProgress)
        m_endTimeText = fmt::format("{:.3f}", DefaultIntegrationEndTime(m_workspace.plant));
}

void IntegrationWindowState::setButtons(const RunButtons& buttons)
{
    m_buttons = buttons;
    m_port.buttonsChanged();
}

void IntegrationWindowState::progress(const std::string& text)
{
    m_status = text;
    m_port.setStatus(text);
}

void IntegrationWindowState::idle()
{
    m_port.processEvents();
}

void IntegrationWindowState::pauseAfterStep()
{
    while (!m_continue && !m_stopRequested)
        m_port.waitForEvents();
    m_continue = false;
}

void IntegrationWindowState::start()
{
    if (m_inProgress)
        return;
    // A run backwards or of no length has nothing to integrate.
    const RealCheck check = CheckRealText(m_endTimeText, 0.0, kMaxEndTime, 0.0);
    if (!check.accepted || check.value == 0.0) {
        m_port.showMessage(check.accepted ? "Number should be between" + FormatNumber(7, 2, 0.0) +
                                                " and" + FormatNumber(7, 2, kMaxEndTime)
                                          : check.message);
        return;
    }
    const double endTime = check.value;
    m_inProgress = true;
    m_stopRequested = false;
    m_continue = false;
    m_stepByStep = m_settings.StepByStep;
    RunButtons running = m_buttons;
    running.start = false;
    running.stop = true;
    running.saveConditions = false;
    running.loadConditions = false;
    if (m_stepByStep) {
        running.showCaption = "Continue";
        running.show = true;
    }
    setButtons(running);
    m_port.setRunning(RunKind::Integration);
    m_port.markPlantModified();
    if (m_stepByStep)
        m_port.showStatePage();
    const auto started = std::chrono::steady_clock::now();
    try {
        IntegrationRequest request;
        request.endTime = endTime;
        request.endTimeText = m_endTimeText;
        request.stepByStep = m_stepByStep;
        request.afterChunk = [this] { m_port.refreshStatePage(); };
        RunIntegration(m_workspace, m_settings, *this, request);
    } catch (...) {
        finish(m_stepByStep,
               std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        throw;
    }
    finish(m_stepByStep,
           std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

void IntegrationWindowState::finish(bool stepByStep, double elapsedSeconds)
{
    m_port.refreshStatePage();
    if (!stepByStep) {
        m_port.showMessage("Simulation time: " + FormatElapsed(elapsedSeconds));
        progress("Integration not started");
    }
    RunButtons idle = m_buttons;
    idle.showCaption = "Show Results";
    idle.stop = false;
    idle.start = true;
    idle.show = true;
    idle.saveConditions = true;
    idle.loadConditions = m_workspace.savedConditions.has_value();
    setButtons(idle);
    m_port.setRunning(RunKind::None);
    m_stopRequested = false;
    m_continue = false;
    m_inProgress = false;
}

void IntegrationWindowState::stop()
{
    m_continue = true;
    m_stopRequested = true;
    m_port.refreshStatePage();
}

ShowAction IntegrationWindowState::showOrContinue()
{
    if (m_inProgress && m_stepByStep) {
        m_continue = true;
        return ShowAction::Continued;
    }
    return ShowAction::CloseAndShowState;
}

void IntegrationWindowState::saveConditions()
{
    if (m_inProgress)
        return;
    SaveIntegrationConditions(m_workspace);
    if (!m_buttons.loadConditions) {
        RunButtons buttons = m_buttons;
        buttons.loadConditions = true;
        setButtons(buttons);
    }
}

void IntegrationWindowState::loadConditions()
{
    if (m_inProgress || !m_workspace.savedConditions)
        return;
    LoadIntegrationConditions(m_workspace);
    m_port.refreshInitialConditions();
    m_port.refreshStatePage();
}

} // namespace narv

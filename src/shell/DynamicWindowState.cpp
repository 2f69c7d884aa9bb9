#include "shell/DynamicWindowState.h"

#include "shell/Computations.h"

#include "core/InputCheck.h"
#include "core/TextUtil.h"
#include "dynamics/DynamicSimulation.h"
#include "solvers/IntegrationRun.h"
#include "special/SbrCycle.h"

#include <fmt/format.h>

#include <chrono>

namespace narv {

DynamicWindowState::DynamicWindowState(Workspace& workspace, const TSimSettings& settings,
                                       RunWindowPort& port)
    : m_workspace(workspace), m_settings(settings), m_port(port)
{
    m_buttons.saveConditions = false;
    shown();
}

void DynamicWindowState::updateEndTimeText()
{
    const bool sbr = m_workspace.plant.PlantType == TFlowschemeType::ftSBR;
    const double cycle = sbr ? static_cast<double>(SbrCycleLengthMinutes(m_workspace.sbr)) / 1440.0
                             : m_workspace.variation.CycleDuration;
    m_endTimeText = DynamicEndTimeText(m_cycles, cycle);
}

void DynamicWindowState::shown()
{
    if (m_inProgress)
        return;
    RunButtons idle = m_buttons;
    idle.stop = false;
    idle.show = false;
    m_buttons = idle;
    updateEndTimeText();
}

CycleCountEntry DynamicWindowState::enterCycleCount(std::string_view text)
{
    if (TrimBlanks(text) == cycleCountText())
        return {true, {}, cycleCountText(), false};
    const IntegerCheck check = CheckIntegerField(text, 1, kMaxCycles, m_cycles);
    if (!check.accepted)
        return {false, check.message, cycleCountText(), check.returnFocus};
    m_cycles = check.value;
    updateEndTimeText();
    return {true, {}, cycleCountText(), false};
}

void DynamicWindowState::setButtons(const RunButtons& buttons)
{
    m_buttons = buttons;
    m_port.buttonsChanged();
}

void DynamicWindowState::setStatus(const std::string& text)
{
    m_status = text;
    m_port.setStatus(text);
}

void DynamicWindowState::progress(const std::string& text)
{
    setStatus(text);
}

void DynamicWindowState::start()
{
    if (m_inProgress)
        return;
    m_inProgress = true;
    m_stopRequested = false;
    updateEndTimeText();
    RunButtons running = m_buttons;
    running.start = false;
    running.stop = true;
    setButtons(running);
    setStatus("Simulation started");
    m_port.markPlantModified();
    m_port.setRunning(RunKind::DynamicSimulation);
    const auto started = std::chrono::steady_clock::now();
    const auto cleanUp = [&] {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        m_port.showMessage("Simulation time: " + FormatElapsed(elapsed));
        RunButtons idle = m_buttons;
        idle.stop = false;
        idle.start = true;
        idle.show = true;
        setButtons(idle);
        m_port.setRunning(RunKind::None);
        m_stopRequested = false;
        m_inProgress = false;
        setStatus("Simulation not started");
        m_port.runResultsChanged();
    };
    try {
        DynamicRunRequest request;
        request.cycles = m_cycles;
        request.allCycles = m_allCycles;
        request.chartSetup = m_chartSetup;
        RunDynamicSimulation(m_workspace, m_settings, *this, request);
        if (m_workspace.plant.PlantType != TFlowschemeType::ftSBR)
            setStatus(fmt::format("Simulation stands at {:7.3f} of {}", m_workspace.state.Time,
                                  m_endTimeText));
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
}

void DynamicWindowState::stop()
{
    m_stopRequested = true;
}

} // namespace narv

#include "shell/ContinuousWindowState.h"

#include "dynamics/ContinuousSimulation.h"
#include "shell/Computations.h"

#include <fmt/format.h>

#include <algorithm>

namespace narv {
namespace {

namespace fs = std::filesystem;

std::string withoutLastExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

ContinuousNames ContinuousNamesFromInputFile(const fs::path& file)
{
    ContinuousNames names;
    names.input = withoutLastExtension(file.filename().string());
    names.output = withoutLastExtension(names.input) + ".COU";
    return names;
}

std::string ContinuousOutputNameFromFile(const fs::path& file)
{
    return withoutLastExtension(file.filename().string());
}

FileDialogOptions ContinuousInputDialog(const fs::path& projectDir, const std::string& inputName)
{
    return {"Continous Input files (*.cin.csv)|*.CIN.CSV", "CIN.CSV", projectDir, inputName};
}

FileDialogOptions ContinuousOutputDialog(const fs::path& projectDir, const std::string& outputName)
{
    return {"Continous Output files (*.cou.csv)|*.COU.CSV", "COU.CSV", projectDir, outputName};
}

ContinuousWindowState::ContinuousWindowState(Workspace& workspace, const TSimSettings& settings,
                                             RunWindowPort& port, fs::path projectDir,
                                             ContinuousNames names)
    : m_workspace(workspace), m_settings(settings), m_port(port),
      m_projectDir(std::move(projectDir)), m_names(std::move(names))
{
    m_buttons.saveConditions = false;
    shown();
}

int ContinuousWindowState::compartmentCount() const
{
    return m_workspace.plant.CompartmentCount;
}

void ContinuousWindowState::shown()
{
    if (m_compartment < 1 || m_compartment > compartmentCount())
        m_compartment = compartmentCount();
    if (!m_inProgress && (m_buttons.stop || m_buttons.pause)) {
        RunButtons idle = m_buttons;
        idle.stop = false;
        idle.pause = false;
        setButtons(idle);
    }
}

void ContinuousWindowState::chooseCompartment(int compartment)
{
    if (compartment >= 1 && compartment <= compartmentCount())
        m_compartment = compartment;
}

fs::path ContinuousWindowState::inputPath() const
{
    return m_projectDir / (m_names.input + ".csv");
}

fs::path ContinuousWindowState::outputPath() const
{
    return m_projectDir / (m_names.output + ".csv");
}

void ContinuousWindowState::createEmptyInputFile(UserDialogs& dialogs)
{
    const auto path = dialogs.chooseSaveFile(ContinuousInputDialog(m_projectDir, m_names.input));
    if (!path)
        return;
    WriteContinuousTemplateFile(*path, m_workspace.model);
    m_names = ContinuousNamesFromInputFile(*path);
}

void ContinuousWindowState::chooseInputFile(UserDialogs& dialogs)
{
    if (const auto path =
            dialogs.chooseOpenFile(ContinuousInputDialog(m_projectDir, m_names.input)))
        m_names = ContinuousNamesFromInputFile(*path);
}

void ContinuousWindowState::chooseOutputFile(UserDialogs& dialogs)
{
    if (const auto path =
            dialogs.chooseOpenFile(ContinuousOutputDialog(m_projectDir, m_names.output)))
        m_names.output = ContinuousOutputNameFromFile(*path);
}

void ContinuousWindowState::setStatus(const std::string& text)
{
    m_status = text;
    m_port.setStatus(text);
}

void ContinuousWindowState::setButtons(const RunButtons& buttons)
{
    m_buttons = buttons;
    m_port.buttonsChanged();
}

void ContinuousWindowState::idle()
{
    m_port.processEvents();
    while (m_paused && !m_stopRequested)
        m_port.waitForEvents();
}

void ContinuousWindowState::start()
{
    if (m_inProgress)
        return;
    m_inProgress = true;
    m_paused = false;
    m_stopRequested = false;
    RunButtons running = m_buttons;
    running.start = false;
    running.stop = true;
    running.pause = true;
    running.pauseCaption = "Pause";
    setButtons(running);
    m_port.setRunning(RunKind::ContinuousSimulation);
    setStatus("Continuous simulation started");
    const auto cleanUp = [this] {
        RunButtons idle = m_buttons;
        idle.pause = false;
        idle.pauseCaption = "Pause";
        idle.start = true;
        idle.stop = false;
        setButtons(idle);
        setStatus("Continuous simulation not running");
        m_port.setRunning(RunKind::None);
        m_stopRequested = false;
        m_paused = false;
        m_inProgress = false;
    };
    try {
        RunContinuousSimulation(m_workspace, m_settings, *this, inputPath(), outputPath(),
                                m_compartment);
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
}

void ContinuousWindowState::pauseOrContinue()
{
    if (!m_inProgress)
        return;
    RunButtons buttons = m_buttons;
    m_paused = !m_paused;
    if (m_paused) {
        buttons.pauseCaption = "Continue";
        setButtons(buttons);
        setStatus("Continuous simulation paused");
        m_port.showStatePage();
    } else {
        buttons.pauseCaption = "Pause";
        setButtons(buttons);
        setStatus("Continuous simulation running");
    }
}

void ContinuousWindowState::stop()
{
    m_stopRequested = true;
    setStatus("Continuous simulation not running");
    m_port.refreshStatePage();
}

} // namespace narv

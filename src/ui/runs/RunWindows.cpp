#include "ui/runs/RunWindows.h"

#include "ui/runs/ContinuousSimulationWindow.h"
#include "ui/runs/DynamicSimulationWindow.h"
#include "ui/runs/IntegrationWindow.h"
#include "ui/runs/RelaxationWindow.h"

#include <algorithm>

namespace narv {
namespace {

template <class Window> Window& made(QPointer<Window>& window, RunWindowHost& host, QWidget* parent)
{
    if (!window)
        window = new Window(host, parent);
    return *window;
}

} // namespace

RunWindows::RunWindows(RunWindowHost& host, QWidget* parent) : m_host(host), m_parent(parent) {}

RunWindows::~RunWindows()
{
    delete m_integration;
    delete m_relaxation;
    delete m_dynamic;
    delete m_continuous;
}

IntegrationWindow& RunWindows::integration()
{
    return made(m_integration, m_host, m_parent);
}

RelaxationWindow& RunWindows::relaxation()
{
    return made(m_relaxation, m_host, m_parent);
}

DynamicSimulationWindow& RunWindows::dynamicSimulation()
{
    return made(m_dynamic, m_host, m_parent);
}

ContinuousSimulationWindow& RunWindows::continuousSimulation()
{
    return made(m_continuous, m_host, m_parent);
}

void RunWindows::show(RunWindow& window)
{
    if (window.isVisible()) {
        window.raise();
        window.activateWindow();
        return;
    }
    window.adjustSize();
    window.resize(std::max(window.width(), 420), window.height());
    window.show();
    window.raise();
    window.activateWindow();
}

bool RunWindows::continuousSimulationRunning() const
{
    return m_continuous && m_continuous->running();
}

bool RunWindows::integrationWindowActive() const
{
    return m_integration && m_integration->isActiveWindow();
}

} // namespace narv

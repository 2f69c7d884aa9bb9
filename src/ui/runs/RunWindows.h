#pragma once

#include "ui/runs/RunWindowHost.h"

#include <QtCore/QPointer>

class QWidget;

namespace narv {

class ContinuousSimulationWindow;
class DynamicSimulationWindow;
class IntegrationWindow;
class RelaxationWindow;
class RunWindow;

// The four run windows of the main window, each made when first opened and kept (with its
// entries) until the program ends.
class RunWindows {
public:
    RunWindows(RunWindowHost& host, QWidget* parent);
    // The windows go before the host and the workspace they work on.
    ~RunWindows();
    RunWindows(const RunWindows&) = delete;
    RunWindows& operator=(const RunWindows&) = delete;

    IntegrationWindow& integration();
    RelaxationWindow& relaxation();
    DynamicSimulationWindow& dynamicSimulation();
    ContinuousSimulationWindow& continuousSimulation();

    // Shown, raised and activated.
    void show(RunWindow& window);
    bool continuousSimulationRunning() const;
    bool integrationWindowActive() const;

private:
    RunWindowHost& m_host;
    QWidget* m_parent;
    QPointer<IntegrationWindow> m_integration;
    QPointer<RelaxationWindow> m_relaxation;
    QPointer<DynamicSimulationWindow> m_dynamic;
    QPointer<ContinuousSimulationWindow> m_continuous;
};

} // namespace narv

#pragma once

#include "shell/DynamicWindowState.h"
#include "ui/runs/RunWindow.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace narv {

// "Dynamic Simulation": cycles of the variation (or of the SBR cycle) with the results
// recorded, and the run's charts built in the results window.
class DynamicSimulationWindow : public RunWindow {
    Q_OBJECT
public:
    DynamicSimulationWindow(RunWindowHost& host, QWidget* parent = nullptr);

    DynamicWindowState& state() { return m_state; }
    bool running() const override { return m_state.running(); }

    void buttonsChanged() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void start();

    DynamicWindowState m_state;
    QLineEdit* m_cycles = nullptr;
    QCheckBox* m_allCycles = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_show = nullptr;
};

} // namespace narv

#pragma once

#include "shell/ContinuousWindowState.h"
#include "ui/runs/RunWindow.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace narv {

// "Continuous Simulation": the plant driven row by row by an input table of the project, the
// state of one compartment written to an output table; a pause shows the plant's state.
class ContinuousSimulationWindow : public RunWindow {
    Q_OBJECT
public:
    ContinuousSimulationWindow(RunWindowHost& host, QWidget* parent = nullptr);

    ContinuousWindowState& state() { return m_state; }
    bool running() const override { return m_state.running(); }

    void buttonsChanged() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();
    void showNames();
    void namesChanged();
    void fillCompartments();

    ContinuousWindowState m_state;
    QLineEdit* m_input = nullptr;
    QLineEdit* m_output = nullptr;
    QComboBox* m_compartment = nullptr;
    QPushButton* m_create = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_stop = nullptr;
};

} // namespace narv

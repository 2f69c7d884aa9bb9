#pragma once

#include "shell/RelaxationWindowState.h"
#include "ui/runs/RunWindow.h"

#include <array>

class QLineEdit;
class QPushButton;
class QTimer;

namespace narv {

// "Relaxation" (TFormRelaxation): the steady state by relaxation over the three relaxation
// times, with the convergence measure every 2 seconds.
class RelaxationWindow : public RunWindow {
    Q_OBJECT
public:
    RelaxationWindow(RunWindowHost& host, QWidget* parent = nullptr);

    RelaxationWindowState& state() { return m_state; }
    bool running() const override { return m_state.running(); }

    void buttonsChanged() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void start();
    void showFields();

    RelaxationWindowState m_state;
    std::array<QLineEdit*, 3> m_fields{};
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_show = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace narv

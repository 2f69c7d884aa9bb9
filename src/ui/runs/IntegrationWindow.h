#pragma once

#include "shell/IntegrationWindowState.h"
#include "ui/runs/RunWindow.h"

class QLineEdit;
class QPushButton;

namespace narv {

// "Integration" (TFormIntegration): the plant's state advanced over ed_endtime days with
// constant inputs, optionally step by step, and the saved initial conditions.
class IntegrationWindow : public RunWindow {
    Q_OBJECT
public:
    IntegrationWindow(RunWindowHost& host, QWidget* parent = nullptr);

    IntegrationWindowState& state() { return m_state; }
    bool running() const override { return m_state.running(); }

    void buttonsChanged() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void start();
    void showOrContinue();

    IntegrationWindowState m_state;
    QLineEdit* m_endTime = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_show = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_load = nullptr;
};

} // namespace narv

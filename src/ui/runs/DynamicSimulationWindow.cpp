#include "ui/runs/DynamicSimulationWindow.h"

#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>

namespace narv {

DynamicSimulationWindow::DynamicSimulationWindow(RunWindowHost& host, QWidget* parent)
    : RunWindow(host, DynamicWindowState::caption(), parent),
      m_state(host.workspace(), host.simSettings(), *this)
{
    setObjectName("TFormDynamicSimulation");
    m_cycles = addField("ed_endtime", "Number of cycles: ");
    onLeaving(m_cycles, [this] {
        const CycleCountEntry entry = m_state.enterCycleCount(m_cycles->text().toStdString());
        m_cycles->setText(QString::fromStdString(entry.text));
        if (!entry.accepted) {
            m_host.dialogs().showMessage(entry.message);
            if (entry.returnFocus)
                m_cycles->setFocus();
        }
        return entry.accepted;
    });
    m_allCycles = new QCheckBox("Show all cycles in plots", this);
    m_allCycles->setObjectName("chkAllCycles");
    connect(m_allCycles, &QCheckBox::toggled, this,
            [this](bool checked) { m_state.setAllCycles(checked); });
    body()->addWidget(m_allCycles);

    auto* row = new QHBoxLayout;
    m_start = addButton(row, "btStart", "Start");
    m_stop = addButton(row, "btStop", "Stop");
    m_show = addButton(row, "btShow", "Show Results");
    body()->addLayout(row);
    body()->addStretch(1);

    connect(m_start, &QPushButton::clicked, this, [this] { start(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { m_state.stop(); });
    connect(m_show, &QPushButton::clicked, this, [this] {
        close();
        m_host.showResults();
    });

    statusBar()->showMessage(QString::fromStdString(m_state.status()));
    m_cycles->setText(QString::fromStdString(m_state.cycleCountText()));
    buttonsChanged();
}

void DynamicSimulationWindow::showEvent(QShowEvent* event)
{
    RunWindow::showEvent(event);
    if (m_state.running())
        return;
    m_state.shown();
    m_cycles->setText(QString::fromStdString(m_state.cycleCountText()));
    buttonsChanged();
}

void DynamicSimulationWindow::buttonsChanged()
{
    const RunButtons& buttons = m_state.buttons();
    m_start->setEnabled(buttons.start);
    m_stop->setEnabled(buttons.stop);
    m_show->setEnabled(buttons.show);
    m_allCycles->setEnabled(m_state.allCyclesEnabled());
    m_cycles->setReadOnly(m_state.running());
}

void DynamicSimulationWindow::start()
{
    if (!commitEdits())
        return;
    m_state.setChartSetup(m_host.chartSetup());
    guarded([this] { m_state.start(); });
    buttonsChanged();
}

} // namespace narv

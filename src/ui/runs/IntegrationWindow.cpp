#include "ui/runs/IntegrationWindow.h"

#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>

namespace narv {

IntegrationWindow::IntegrationWindow(RunWindowHost& host, QWidget* parent)
    : RunWindow(host, IntegrationWindowState::caption(), parent),
      m_state(host.workspace(), host.simSettings(), *this)
{
    setObjectName("TFormIntegration");
    m_endTime = addField("ed_endtime", "End time (d): ");
    connect(m_endTime, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_state.setEndTimeText(text.toStdString()); });

    auto* runRow = new QHBoxLayout;
    m_start = addButton(runRow, "btStart", "Start");
    m_stop = addButton(runRow, "btStop", "Stop");
    m_show = addButton(runRow, "btShow", "Show Results");
    body()->addLayout(runRow);
    auto* conditionsRow = new QHBoxLayout;
    m_save = addButton(conditionsRow, "btSetConditions", "Save Initial Conditions");
    m_load = addButton(conditionsRow, "btLoadConditions", "Load Initial Conditions");
    body()->addLayout(conditionsRow);
    body()->addStretch(1);

    connect(m_start, &QPushButton::clicked, this, [this] { start(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { m_state.stop(); });
    connect(m_show, &QPushButton::clicked, this, [this] { showOrContinue(); });
    connect(m_save, &QPushButton::clicked, this,
            [this] { guarded([this] { m_state.saveConditions(); }); });
    connect(m_load, &QPushButton::clicked, this,
            [this] { guarded([this] { m_state.loadConditions(); }); });

    statusBar()->showMessage(QString::fromStdString(m_state.status()));
    m_endTime->setText(QString::fromStdString(m_state.endTimeText()));
    buttonsChanged();
}

void IntegrationWindow::showEvent(QShowEvent* event)
{
    RunWindow::showEvent(event);
    if (m_state.running())
        return;
    m_state.shown();
    m_endTime->setText(QString::fromStdString(m_state.endTimeText()));
}

void IntegrationWindow::buttonsChanged()
{
    const RunButtons& buttons = m_state.buttons();
    m_start->setEnabled(buttons.start);
    m_stop->setEnabled(buttons.stop);
    m_show->setEnabled(buttons.show);
    m_show->setText(QString::fromStdString(buttons.showCaption));
    m_save->setEnabled(buttons.saveConditions);
    m_load->setEnabled(buttons.loadConditions);
    m_endTime->setReadOnly(m_state.running());
}

void IntegrationWindow::start()
{
    m_state.setEndTimeText(m_endTime->text().toStdString());
    guarded([this] { m_state.start(); });
    buttonsChanged();
}

void IntegrationWindow::showOrContinue()
{
    if (m_state.showOrContinue() == ShowAction::CloseAndShowState) {
        close();
        showStatePage();
    }
}

} // namespace narv

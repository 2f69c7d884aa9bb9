#include "ui/runs/RelaxationWindow.h"

#include <QtCore/QTimer>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>

namespace narv {
namespace {

constexpr RelaxationField kFields[] = {RelaxationField::Oxygen, RelaxationField::Dissolved,
                                       RelaxationField::Particulate};
constexpr const char* kFieldNames[] = {"ed_timeO2end", "ed_timeSend", "ed_timeXend"};

} // namespace

RelaxationWindow::RelaxationWindow(RunWindowHost& host, QWidget* parent)
    : RunWindow(host, RelaxationWindowState::caption(), parent),
      m_state(host.workspace(), host.simSettings(), *this)
{
    setObjectName("TFormRelaxation");
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const RelaxationField field = kFields[i];
        QLineEdit* edit = addField(kFieldNames[i],
                                   QString::fromUtf8(RelaxationWindowState::fieldCaption(field)));
        m_fields[i] = edit;
        onLeaving(edit, [this, edit, field] {
            const RelaxationFieldEntry entry =
                m_state.enterField(field, edit->text().toStdString());
            edit->setText(QString::fromStdString(entry.text));
            if (!entry.accepted) {
                m_host.dialogs().showMessage(entry.message);
                if (entry.returnFocus)
                    edit->setFocus();
            }
            return entry.accepted;
        });
    }
    auto* row = new QHBoxLayout;
    m_start = addButton(row, "btStart", "Start");
    m_stop = addButton(row, "btStop", "Stop");
    m_show = addButton(row, "btShow", "Show Results");
    body()->addLayout(row);
    body()->addStretch(1);

    m_timer = new QTimer(this);
    m_timer->setInterval(2000);
    connect(m_timer, &QTimer::timeout, this, [this] { m_state.timerTick(); });
    connect(m_start, &QPushButton::clicked, this, [this] { start(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { m_state.stop(); });
    connect(m_show, &QPushButton::clicked, this, [this] {
        close();
        showStatePage();
    });

    statusBar()->showMessage(QString::fromStdString(m_state.status()));
    showFields();
    buttonsChanged();
}

void RelaxationWindow::showFields()
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(QString::fromStdString(m_state.fieldText(kFields[i])));
}

void RelaxationWindow::showEvent(QShowEvent* event)
{
    RunWindow::showEvent(event);
    if (m_state.running())
        return;
    m_state.shown();
    showFields();
}

void RelaxationWindow::buttonsChanged()
{
    const RunButtons& buttons = m_state.buttons();
    m_start->setEnabled(buttons.start);
    m_stop->setEnabled(buttons.stop);
    m_show->setEnabled(buttons.show);
    for (QLineEdit* field : m_fields)
        field->setReadOnly(m_state.running());
}

void RelaxationWindow::start()
{
    if (!commitEdits())
        return;
    // The ticks before the run has taken its snapshot show the status unchanged.
    m_timer->start();
    guarded([this] { m_state.start(); });
    m_timer->stop();
    buttonsChanged();
}

} // namespace narv

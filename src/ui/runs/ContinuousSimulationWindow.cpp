#include "ui/runs/ContinuousSimulationWindow.h"

#include <QtCore/QEvent>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>

namespace narv {

ContinuousSimulationWindow::ContinuousSimulationWindow(RunWindowHost& host, QWidget* parent)
    : RunWindow(host, ContinuousWindowState::caption(), parent),
      m_state(host.workspace(), host.simSettings(), *this, host.projectDir(),
              host.continuousNames())
{
    setObjectName("TFormContinuousSimulation");
    m_input = addField("edInputFileName", "Input file: ");
    m_output = addField("edOutputFileName", "Output file: ");
    for (QLineEdit* edit : {m_input, m_output}) {
        edit->setMaximumWidth(QWIDGETSIZE_MAX);
        edit->setMinimumWidth(220);
        edit->setToolTip("Double click to choose a file");
        edit->installEventFilter(this);
    }
    connect(m_input, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_state.setInputName(text.toStdString());
        namesChanged();
    });
    connect(m_output, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_state.setOutputName(text.toStdString());
        namesChanged();
    });

    auto* compartmentRow = new QHBoxLayout;
    auto* label = new QLabel("Output for Reactor:", this);
    m_compartment = new QComboBox(this);
    m_compartment->setObjectName("cbReactorNumber");
    m_compartment->setAccessibleName("Output for Reactor");
    label->setBuddy(m_compartment);
    compartmentRow->addWidget(label, 1);
    compartmentRow->addWidget(m_compartment);
    body()->addLayout(compartmentRow);
    connect(m_compartment, &QComboBox::activated, this,
            [this](int index) { m_state.chooseCompartment(index + 1); });

    auto* fileRow = new QHBoxLayout;
    m_create = addButton(fileRow, "btCreateInput", "Create Empty Input File");
    fileRow->addStretch(1);
    body()->addLayout(fileRow);
    auto* row = new QHBoxLayout;
    m_start = addButton(row, "btStart", "Start");
    m_pause = addButton(row, "btPause", "Pause");
    m_stop = addButton(row, "btStop", "Stop");
    body()->addLayout(row);
    body()->addStretch(1);

    connect(m_create, &QPushButton::clicked, this, [this] {
        guarded([this] { m_state.createEmptyInputFile(m_host.dialogs()); });
        showNames();
        namesChanged();
    });
    connect(m_start, &QPushButton::clicked, this, [this] { start(); });
    connect(m_pause, &QPushButton::clicked, this, [this] { m_state.pauseOrContinue(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { m_state.stop(); });

    statusBar()->showMessage(QString::fromStdString(m_state.status()));
    showNames();
    fillCompartments();
    buttonsChanged();
}

bool ContinuousSimulationWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && !m_state.running() &&
        (watched == m_input || watched == m_output)) {
        guarded([&] {
            if (watched == m_input)
                m_state.chooseInputFile(m_host.dialogs());
            else
                m_state.chooseOutputFile(m_host.dialogs());
        });
        showNames();
        namesChanged();
        return true;
    }
    return RunWindow::eventFilter(watched, event);
}

void ContinuousSimulationWindow::showNames()
{
    m_input->setText(QString::fromStdString(m_state.names().input));
    m_output->setText(QString::fromStdString(m_state.names().output));
}

void ContinuousSimulationWindow::namesChanged()
{
    m_host.setContinuousNames(m_state.names());
}

void ContinuousSimulationWindow::fillCompartments()
{
    m_compartment->clear();
    for (int i = 1; i <= m_state.compartmentCount(); ++i)
        m_compartment->addItem(QString::number(i));
    m_compartment->setCurrentIndex(m_state.compartment() - 1);
}

void ContinuousSimulationWindow::showEvent(QShowEvent* event)
{
    RunWindow::showEvent(event);
    if (m_state.running())
        return;
    m_state.setProjectDir(m_host.projectDir());
    // Empty fields take the names the shell keeps.
    const ContinuousNames kept = m_host.continuousNames();
    if (m_state.names().input.empty())
        m_state.setInputName(kept.input);
    if (m_state.names().output.empty())
        m_state.setOutputName(kept.output);
    m_state.shown();
    showNames();
    fillCompartments();
    buttonsChanged();
}

void ContinuousSimulationWindow::buttonsChanged()
{
    const RunButtons& buttons = m_state.buttons();
    m_start->setEnabled(buttons.start);
    m_stop->setEnabled(buttons.stop);
    m_pause->setEnabled(buttons.pause);
    m_pause->setText(QString::fromStdString(buttons.pauseCaption));
    const bool running = m_state.running();
    m_input->setReadOnly(running);
    m_output->setReadOnly(running);
    m_compartment->setEnabled(!running);
    m_create->setEnabled(!running);
}

void ContinuousSimulationWindow::start()
{
    guarded([this] { m_state.start(); });
    buttonsChanged();
}

} // namespace narv

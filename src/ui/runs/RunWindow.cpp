#include "ui/runs/RunWindow.h"

#include <QtCore/QCoreApplication>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>

namespace narv {

RunWindow::RunWindow(RunWindowHost& host, const char* caption, QWidget* parent)
    : QWidget(parent, Qt::Window), m_host(host)
{
    setWindowTitle(QString::fromUtf8(caption));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* content = new QWidget(this);
    m_body = new QVBoxLayout(content);
    m_body->setContentsMargins(12, 12, 12, 12);
    m_body->setSpacing(8);
    outer->addWidget(content, 1);
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName("StatusBar1");
    m_statusBar->setAccessibleName("Status");
    m_statusBar->setSizeGripEnabled(false);
    // The status line reads as its message, so that screen readers (and test drivers) hear
    // the run's state rather than the word "Status".
    connect(m_statusBar, &QStatusBar::messageChanged, m_statusBar, [this](const QString& text) {
        m_statusBar->setAccessibleName(text.isEmpty() ? QStringLiteral("Status") : text);
    });
    outer->addWidget(m_statusBar);
}

QPushButton* RunWindow::addButton(QBoxLayout* row, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

QLineEdit* RunWindow::addField(const char* name, const QString& label)
{
    auto* row = new QHBoxLayout;
    auto* text = new QLabel(label, this);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setAccessibleName(label.trimmed().remove(QLatin1Char(':')));
    edit->setMaximumWidth(140);
    text->setBuddy(edit);
    row->addWidget(text, 1);
    row->addWidget(edit);
    m_body->addLayout(row);
    return edit;
}

void RunWindow::guarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        m_host.dialogs().showError(error.what());
    }
}

void RunWindow::onLeaving(QLineEdit* edit, std::function<bool()> check)
{
    m_checkedFields.push_back({edit, check});
    connect(edit, &QLineEdit::editingFinished, this,
            [this, edit, check = std::move(check)] { runCheck(edit, check); });
}

bool RunWindow::runCheck(QLineEdit* edit, const std::function<bool()>& check)
{
    if (m_checking || !edit->isModified())
        return true;
    m_checking = true;
    edit->setModified(false);
    const bool accepted = check();
    m_checking = false;
    return accepted;
}

bool RunWindow::commitEdits()
{
    for (const auto& [edit, check] : m_checkedFields) {
        if (!runCheck(edit, check))
            return false;
    }
    return true;
}

void RunWindow::setStatus(const std::string& text)
{
    const QString message = QString::fromStdString(text);
    m_statusBar->showMessage(message);
    if (!isVisible() && running())
        m_host.showRunProgress(message);
}

void RunWindow::setEventInterval(int milliseconds)
{
    const std::int64_t interval = std::int64_t{milliseconds} * 1'000'000;
    m_eventsDue.setInterval(interval);
    m_progressDue.setInterval(interval);
}

bool RunWindow::wantsProgress()
{
    return m_progressDue.due();
}

void RunWindow::processEvents()
{
    if (m_eventsDue.due())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void RunWindow::waitForEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    m_eventsDue.restart();
}

void RunWindow::showMessage(const std::string& text)
{
    m_host.dialogs().showMessage(text);
}

void RunWindow::setRunning(RunKind run)
{
    m_host.setRunning(run);
}

void RunWindow::markPlantModified()
{
    m_host.markPlantModified();
}

void RunWindow::showStatePage()
{
    m_host.showPlantPage(WindowPort::PlantPage::StateOfPlant);
}

void RunWindow::refreshStatePage()
{
    m_host.refreshPlantPage(WindowPort::PlantPage::StateOfPlant);
}

void RunWindow::refreshInitialConditions()
{
    m_host.refreshPlantPage(WindowPort::PlantPage::InitialConditions);
}

void RunWindow::runResultsChanged()
{
    m_host.runResultsChanged();
}

} // namespace narv

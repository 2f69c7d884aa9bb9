#include "ui/StartDialogWindow.h"

#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QVBoxLayout>

namespace narv {

StartDialogWindow::StartDialogWindow(const StartDialogChoices& choices, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Welcome to NARV"));
    setObjectName(QStringLiteral("TFormStart"));
    auto* group = new QGroupBox(QStringLiteral("What would you like to do?"), this);
    m_last = new QRadioButton(QStringLiteral("Open your last Project"), group);
    m_existing = new QRadioButton(QStringLiteral("Open an existing Project"), group);
    m_new = new QRadioButton(QStringLiteral("Create a new Project"), group);
    auto* groupLayout = new QVBoxLayout(group);
    for (QRadioButton* radio : {m_last, m_existing, m_new}) {
        radio->setAccessibleName(radio->text());
        groupLayout->addWidget(radio);
    }
    m_last->setEnabled(choices.lastProjectEnabled);
    m_existing->setEnabled(choices.existingProjectEnabled);
    m_new->setEnabled(choices.newProjectEnabled);
    button(choices.preselected)->setChecked(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    QPushButton* help = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    QPushButton* firstSteps =
        buttons->addButton(QStringLiteral("First Steps"), QDialogButtonBox::ActionRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this,
            [this] { emit helpRequested(QStringLiteral("projects")); });
    connect(firstSteps, &QPushButton::clicked, this,
            [this] { emit helpRequested(QStringLiteral("first-steps")); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    button(choices.preselected)->setFocus();
}

QRadioButton* StartDialogWindow::button(StartChoice choice) const
{
    switch (choice) {
    case StartChoice::OpenLastProject:
        return m_last;
    case StartChoice::OpenExistingProject:
        return m_existing;
    case StartChoice::CreateNewProject:
        return m_new;
    }
    return m_new;
}

StartChoice StartDialogWindow::choice() const
{
    if (m_last->isChecked())
        return StartChoice::OpenLastProject;
    if (m_existing->isChecked())
        return StartChoice::OpenExistingProject;
    return StartChoice::CreateNewProject;
}

} // namespace narv

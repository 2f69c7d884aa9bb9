#include "ui/model/NewModelWizardWindow.h"

#include "ui/model/ModelForm.h"

#include <QtGui/QCloseEvent>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace narv {

NewModelWizardWindow::NewModelWizardWindow(ModelForm& form, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_form(form), m_wizard(form.editor(), dialogs)
{
    setObjectName(QStringLiteral("TFormNewModelWizard"));
    setWindowTitle(QString::fromLatin1(NewModelWizard::caption()));
    setAccessibleName(windowTitle());
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("lbText"));
    m_text->setWordWrap(true);
    m_text->setMinimumSize(420, 90);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_back = new QPushButton(QStringLiteral("<"), this);
    m_forward = new QPushButton(QStringLiteral(">"), this);
    m_back->setObjectName(QStringLiteral("btBack"));
    m_forward->setObjectName(QStringLiteral("btForward"));
    m_back->setAccessibleName(QStringLiteral("Back"));
    m_forward->setAccessibleName(QStringLiteral("Next"));
    for (QPushButton* button : {m_back, m_forward}) {
        button->setAutoDefault(false);
        button->setFixedWidth(48);
    }
    connect(m_back, &QPushButton::clicked, this, &NewModelWizardWindow::back);
    connect(m_forward, &QPushButton::clicked, this, &NewModelWizardWindow::forward);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    m_form.setPageFilter([this](ModelPage page) { return m_wizard.pageAllowed(page); });
    // Closing the editor by hand ends the wizard as well: the main window must not stay off.
    connect(&m_form, &ModelForm::closed, this, [this] {
        if (!m_finished)
            close();
    });
    showStep();
}

NewModelWizardWindow::~NewModelWizardWindow()
{
    m_form.setPageFilter(nullptr);
}

void NewModelWizardWindow::showStep()
{
    m_text->setText(QString::fromLatin1(m_wizard.text())
                        .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_text->setAccessibleName(m_text->text());
    m_back->setEnabled(m_wizard.backEnabled());
    m_form.setPageFilter([this](ModelPage page) { return m_wizard.pageAllowed(page); });
    if (const auto page = m_wizard.page())
        m_form.showPage(*page);
    m_form.syncLabelsEditable();
    m_form.reload();
}

void NewModelWizardWindow::forward()
{
    // Leaving a step leaves its page: what is typed there is taken over first.
    if (m_finished || (m_wizard.step() > 0 && !m_form.commit()))
        return;
    m_wizard.forward();
    if (m_wizard.closed())
        finish();
    else
        showStep();
}

void NewModelWizardWindow::back()
{
    if (m_finished || !m_form.commit())
        return;
    m_wizard.back();
    showStep();
}

void NewModelWizardWindow::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_form.setPageFilter(nullptr);
    m_form.syncLabelsEditable();
    m_form.close();
    hide();
    emit finished();
}

void NewModelWizardWindow::closeEvent(QCloseEvent* event)
{
    if (!m_finished) {
        // Closing the window closes the wizard: the editor goes and the message is shown.
        m_form.commit();
        m_wizard.close();
        finish();
    }
    event->accept();
}

} // namespace narv

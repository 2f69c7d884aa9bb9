#include "ui/ConfigurationDialog.h"

#include "shell/SettingsFile.h"
#include "shell/UserDialogs.h"
#include "ui/DesktopFormat.h"

#include <QtCore/QSignalBlocker>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QVBoxLayout>

namespace narv {

ConfigurationDialog::ConfigurationDialog(ShellSettings& settings, UserDialogs& dialogs,
                                         QWidget* parent)
    : QDialog(parent), m_settings(settings), m_dialogs(dialogs), m_editor(settings)
{
    setWindowTitle(QStringLiteral("Configuration"));
    setObjectName(QStringLiteral("TFormConfiguration"));
    m_pages = new QTabWidget(this);
    m_pages->setAccessibleName(QStringLiteral("Settings pages"));
    auto* simulationPage = new QWidget(m_pages);
    auto* chartPage = new QWidget(m_pages);
    simulationPage->setAccessibleName(QStringLiteral("Simulation Settings"));
    chartPage->setAccessibleName(QStringLiteral("Chart Settings"));
    auto* simulationForm = new QFormLayout(simulationPage);
    auto* chartForm = new QFormLayout(chartPage);
    for (QFormLayout* form : {simulationForm, chartForm})
        form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    for (const ConfigurationEditor::Field& f : ConfigurationEditor::fields()) {
        const QString label = ToQString(f.label).trimmed();
        if (f.kind == ConfigurationEditor::Kind::Choice) {
            auto* list = new QComboBox(simulationPage);
            list->setObjectName(QString::fromStdString(f.key));
            list->setAccessibleName(label);
            list->setMinimumWidth(120); // as wide as the number fields above and below
            for (const std::string& word : f.choices)
                list->addItem(ToQString(word));
            const std::string key = f.key;
            connect(list, &QComboBox::currentTextChanged, this, [this, key](const QString& word) {
                m_editor.enter(key, ToStdString(word)); // a word of the list: always accepted
            });
            simulationForm->addRow(label, list);
            m_choices[f.key] = list;
            continue;
        }
        auto* edit = new QLineEdit(f.chartPage ? chartPage : simulationPage);
        edit->setObjectName(QString::fromStdString(f.key));
        edit->setAccessibleName(label);
        edit->setMinimumWidth(f.kind == ConfigurationEditor::Kind::Text ? 200 : 120);
        if (f.kind != ConfigurationEditor::Kind::Text)
            edit->setAlignment(Qt::AlignRight);
        edit->installEventFilter(this);
        (f.chartPage ? chartForm : simulationForm)->addRow(label, edit);
        m_fields[f.key] = edit;
    }
    m_stepByStep = new QCheckBox(QStringLiteral("Integration step by step"), simulationPage);
    m_stepByStep->setObjectName(QStringLiteral("cbDelay"));
    m_stepByStep->setAccessibleName(m_stepByStep->text());
    connect(m_stepByStep, &QCheckBox::toggled, this,
            [this](bool on) { m_editor.setStepByStep(on); });
    simulationForm->addRow(QString(), m_stepByStep);
    m_pages->addTab(simulationPage, QStringLiteral("Simulation Settings"));
    m_pages->addTab(chartPage, QStringLiteral("Chart Settings"));

    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_defaults = new QPushButton(QStringLiteral("Set Default Values"), this);
    for (QPushButton* button : {m_ok, m_cancel, m_defaults}) {
        // Enter in a field moves on; it never presses a button.
        button->setAutoDefault(false);
        button->setAccessibleName(button->text());
    }
    connect(m_ok, &QPushButton::clicked, this, &ConfigurationDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &ConfigurationDialog::reject);
    connect(m_defaults, &QPushButton::clicked, this, &ConfigurationDialog::setDefaults);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_defaults);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);
    load();
}

void ConfigurationDialog::load()
{
    for (const auto& [key, edit] : m_fields) {
        edit->setText(ToQString(m_editor.text(key)));
        edit->setModified(false);
    }
    for (const auto& [key, list] : m_choices) {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(list->findText(ToQString(m_editor.text(key))));
    }
    const QSignalBlocker blocker(m_stepByStep);
    m_stepByStep->setChecked(m_editor.simulation().StepByStep);
}

void ConfigurationDialog::refuse(const std::string& key, const ConfigurationEditor::Entry& entry)
{
    QLineEdit* edit = m_fields.at(key);
    m_dialogs.showMessage(entry.message, {}, UserDialogs::Icon::Warning);
    edit->setText(ToQString(entry.text));
    edit->setModified(false);
    for (int page = 0; page < m_pages->count(); ++page)
        if (m_pages->widget(page)->isAncestorOf(edit))
            m_pages->setCurrentIndex(page);
    edit->setFocus();
    edit->selectAll();
}

bool ConfigurationDialog::leave(const std::string& key)
{
    QLineEdit* edit = m_fields.at(key);
    // An untouched field keeps its value exactly, however it is shown.
    if (!edit->isModified())
        return true;
    const ConfigurationEditor::Entry entry = m_editor.enter(key, ToStdString(edit->text()));
    if (!entry.accepted) {
        refuse(key, entry);
        return false;
    }
    edit->setText(ToQString(entry.text)); // as the dialog shows every value
    edit->setModified(false);
    return true;
}

bool ConfigurationDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr)
        return QDialog::eventFilter(watched, event);
    const std::string key = ToStdString(edit->objectName());
    if (event->type() == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && !m_checking) {
        // A context menu or another window does not leave the field; leaving for "Cancel"
        // discards the working copy: nothing to check then.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            QApplication::focusWidget() != m_cancel) {
            m_checking = true;
            leave(key);
            m_checking = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ConfigurationDialog::accept()
{
    if (m_checking)
        return;
    m_checking = true;
    bool accepted = true;
    for (const ConfigurationEditor::Field& f : ConfigurationEditor::fields())
        if (accepted && m_fields.count(f.key) != 0 && !leave(f.key))
            accepted = false;
    if (accepted) {
        if (const auto refusal = m_editor.recheckAll()) {
            refuse(refusal->key, refusal->entry);
            accepted = false;
        }
    }
    m_checking = false;
    if (!accepted || !m_editor.apply(m_settings))
        return;
    QDialog::accept();
}

void ConfigurationDialog::setDefaults()
{
    m_editor.setDefaults(m_settings);
    load();
}

} // namespace narv

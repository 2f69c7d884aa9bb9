#include "ui/model/InputParametersDialog.h"

#include "shell/UserDialogs.h"

#include <QtGui/QFocusEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace narv {
namespace {

constexpr std::array<ParameterDialog::Field, 3> kFields = {ParameterDialog::Field::OperatingValue,
                                                           ParameterDialog::Field::BaseValue,
                                                           ParameterDialog::Field::Coefficient};

std::size_t slot(ParameterDialog::Field field)
{
    return static_cast<std::size_t>(field);
}

} // namespace

InputParametersDialog::InputParametersDialog(ParameterDialog& content, UserDialogs& dialogs,
                                             QWidget* parent)
    : QDialog(parent), m_content(content), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("TFormInputParameters"));
    setWindowTitle(QString::fromLatin1(ParameterDialog::caption()));
    const auto label = [this](const std::string& text, const char* name) {
        auto* l = new QLabel(QString::fromStdString(text), this);
        l->setObjectName(QString::fromLatin1(name));
        l->setAccessibleName(l->text().trimmed().isEmpty() ? QString::fromLatin1(name) : l->text());
        m_labels.append(l);
        return l;
    };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label(content.processText(), "lbProcess"));
    layout->addWidget(label(content.speciesText(), "lbSpecies"));
    if (!content.secondSpeciesText().empty())
        layout->addWidget(label(content.secondSpeciesText(), "lbSpecies2"));
    layout->addSpacing(6);
    layout->addWidget(label(content.oldTypeText(), "lbOldType"));
    layout->addWidget(label(content.oldParameterText(), "lbOldParameter"));
    layout->addSpacing(6);
    layout->addWidget(label(content.newTypeText(), "lbNewType"));

    auto* grid = new QGridLayout;
    const char* names[] = {"edK", "edNewKBase", "edTempCoeff"};
    const std::string captions[] = {content.operatingCaption(), content.baseCaption(),
                                    ParameterDialog::coefficientCaption()};
    const char* labelNames[] = {"lbOperating", "lbBase", "lbCoefficient"};
    for (ParameterDialog::Field f : kFields) {
        const std::size_t i = slot(f);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(names[i]));
        edit->setAccessibleName(QString::fromStdString(captions[i]));
        edit->setAlignment(Qt::AlignRight);
        edit->setMinimumWidth(120);
        edit->installEventFilter(this);
        m_fields[i] = edit;
        grid->addWidget(label(captions[i], labelNames[i]), static_cast<int>(i), 0);
        grid->addWidget(edit, static_cast<int>(i), 1);
    }
    if (content.hasExponent()) {
        m_exponent = new QComboBox(this);
        m_exponent->setObjectName(QStringLiteral("cbExponent"));
        m_exponent->setAccessibleName(QStringLiteral("Exponent j:"));
        for (const std::string& item : ParameterDialog::exponentItems())
            m_exponent->addItem(QString::fromStdString(item));
        m_exponent->setCurrentIndex(content.exponent() - 1);
        connect(m_exponent, &QComboBox::currentIndexChanged, this,
                [this](int index) { m_content.chooseExponent(index + 1); });
        grid->addWidget(label("Exponent j:", "lbExponent"), 3, 0);
        grid->addWidget(m_exponent, 3, 1);
    }
    grid->setColumnStretch(2, 1);
    layout->addSpacing(6);
    layout->addLayout(grid);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton* button : {m_ok, m_cancel}) {
        button->setAutoDefault(false);
        button->setAccessibleName(button->text());
    }
    connect(m_ok, &QPushButton::clicked, this, &InputParametersDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &InputParametersDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    showValues();
}

QLineEdit* InputParametersDialog::field(ParameterDialog::Field f) const
{
    return m_fields[slot(f)];
}

QStringList InputParametersDialog::texts() const
{
    QStringList texts;
    for (const QLabel* l : m_labels)
        texts.append(l->text());
    return texts;
}

void InputParametersDialog::showValues()
{
    for (ParameterDialog::Field f : kFields) {
        QLineEdit* edit = field(f);
        edit->setText(QString::fromStdString(m_content.fieldText(f)).trimmed());
        edit->setModified(false);
    }
}

bool InputParametersDialog::leave(ParameterDialog::Field f)
{
    QLineEdit* edit = field(f);
    if (!edit->isModified())
        return true;
    const ModelEntry entry = m_content.enterField(f, edit->text().toStdString());
    if (!entry.accepted) {
        m_dialogs.showMessage(entry.message, {}, UserDialogs::Icon::Warning);
        edit->setText(QString::fromStdString(entry.text).trimmed());
        edit->setModified(false);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    showValues(); // the conversion changed the other fields
    return true;
}

bool InputParametersDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !m_checking) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window or a context menu does not leave the field; Cancel discards it.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            QApplication::focusWidget() != m_cancel) {
            for (ParameterDialog::Field f : kFields) {
                if (watched == field(f)) {
                    m_checking = true;
                    leave(f);
                    m_checking = false;
                }
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void InputParametersDialog::accept()
{
    if (m_checking)
        return;
    m_checking = true;
    bool accepted = true;
    for (ParameterDialog::Field f : kFields)
        if (accepted && !leave(f))
            accepted = false;
    m_checking = false;
    if (accepted)
        QDialog::accept();
}

} // namespace narv

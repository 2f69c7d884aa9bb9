#include "ui/plant/ControlLoopsWindow.h"

#include "plant/ControlLoops.h"
#include "shell/UserDialogs.h"
#include "ui/plant/TypedField.h"

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QScrollArea>
#include <QtWidgets/QVBoxLayout>

#include <utility>

namespace narv {
namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

QLabel* caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setAccessibleName(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    label->setBuddy(buddy);
    buddy->setAccessibleName(label->accessibleName());
    return label;
}

constexpr int kOnOffItem = 0;
constexpr int kEquationItem = 1;

} // namespace

ControlLoopDialogWindow::ControlLoopDialogWindow(ControlLoopDialog& dialog, UserDialogs& dialogs,
                                                 QWidget* parent)
    : QDialog(parent), m_dialog(dialog), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("TFormSetControlLoop"));
    setWindowTitle(qs(dialog.caption()));
    auto* layout = new QFormLayout(this);

    m_signals = new QComboBox(this);
    m_signals->setObjectName(QStringLiteral("cb_signals"));
    for (const std::string& item : dialog.signalItems())
        m_signals->addItem(qs(item));
    m_signals->setCurrentIndex(dialog.signalIndex());
    m_compartments = new QComboBox(this);
    m_compartments->setObjectName(QStringLiteral("cb_knkb"));
    for (const std::string& item : dialog.compartmentItems())
        m_compartments->addItem(qs(item));
    m_compartments->setCurrentIndex(dialog.compartmentIndex());
    m_compartments->setEnabled(dialog.compartmentEnabled());
    connect(m_signals, &QComboBox::activated, this, [this](int index) {
        m_dialog.chooseSignal(index);
        m_compartments->setEnabled(m_dialog.compartmentEnabled());
    });
    connect(m_compartments, &QComboBox::activated, this,
            [this](int index) { m_dialog.chooseCompartment(index); });
    layout->addRow(caption(qs(ControlLoopDialog::signalLabel()), m_signals), m_signals);
    layout->addRow(caption(qs(ControlLoopDialog::compartmentLabel()), m_compartments),
                   m_compartments);

    const std::pair<ControlLoopDialog::Field, const char*> fields[] = {
        {ControlLoopDialog::ErwartetX, "ed_erwartetx"},
        {ControlLoopDialog::Stellung2, "ed_stellung2"},
        {ControlLoopDialog::ErwartetY, "ed_erwartety"},
        {ControlLoopDialog::Steigung, "ed_steigung"}};
    for (const auto& [field, name] : fields) {
        const ControlLoopDialog::Field which = field;
        if (dialog.fieldIsLaneChoice(field)) {
            auto* lanes = new QComboBox(this);
            lanes->setObjectName(QString::fromLatin1(name));
            for (const std::string& item : ControlLoopDialog::LaneItems())
                lanes->addItem(qs(item));
            lanes->setCurrentIndex(dialog.laneIndex(field));
            connect(lanes, &QComboBox::activated, this,
                    [this, which](int index) { m_dialog.chooseLane(which, index); });
            m_lanes[field] = lanes;
            layout->addRow(caption(qs(dialog.fieldLabel(field)), lanes), lanes);
            continue;
        }
        auto* edit = new QLineEdit(qs(dialog.fieldText(field)), this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAlignment(Qt::AlignRight);
        m_fields[field] = edit;
        connect(edit, &QLineEdit::editingFinished, this, [this, which] { leave(which); });
        if (dialog.fieldVisible(field))
            layout->addRow(caption(qs(dialog.fieldLabel(field)), edit), edit);
        else
            edit->hide();
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btOK"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btCancel"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);
}

bool ControlLoopDialogWindow::leave(ControlLoopDialog::Field field)
{
    return LeaveTypedField(m_fields[field], m_checking, m_dialogs, [&](const std::string& text) {
        return m_dialog.enterField(field, text);
    });
}

void ControlLoopDialogWindow::accept()
{
    // What is still being typed counts as left; a refused field keeps the dialog open with the
    // focus.
    for (int field = 0; field < ControlLoopDialog::kFieldCount; ++field)
        if (!leave(static_cast<ControlLoopDialog::Field>(field)))
            return;
    m_dialog.ok();
    QDialog::accept();
}

ControlLoopsWindow::ControlLoopsWindow(Workspace& workspace, UserDialogs& dialogs,
                                       std::function<void()> modified, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_workspace(workspace),
      m_dialogs(dialogs),
      m_modified(std::move(modified)),
      m_list(workspace.model, workspace.plant),
      m_runDialog([](ControlLoopDialogWindow& dialog) { return dialog.exec() == QDialog::Accepted; })
{
    setObjectName(QStringLiteral("TFormControlLoops"));
    setWindowTitle(tr("Control Loops"));
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    m_rowsArea = new QWidget;
    m_rowsLayout = new QGridLayout(m_rowsArea);
    m_rowsLayout->setColumnStretch(3, 1);
    scroll->setWidget(m_rowsArea);

    auto* deactivate = new QPushButton(tr("Deactivate All"), this);
    deactivate->setObjectName(QStringLiteral("btDeactivate"));
    deactivate->setAccessibleName(tr("Deactivate All"));
    connect(deactivate, &QPushButton::clicked, this, &ControlLoopsWindow::deactivateAll);
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("btClose"));
    close->setAccessibleName(tr("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(deactivate);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addLayout(buttons);
    resize(820, 420);
    rebuild();
}

void ControlLoopsWindow::rebuild()
{
    for (Row& row : m_rows) {
        delete row.caption;
        delete row.active;
        delete row.type;
        delete row.description;
    }
    m_rows.clear();
    for (const ControlLoopRow& loop : m_list.rows()) {
        const int entry = loop.entry;
        Row row;
        auto* label = new QLabel(qs(loop.caption), m_rowsArea);
        label->setObjectName(qs(loop.name));
        label->setAccessibleName(qs(loop.caption));
        label->setMinimumWidth(130);
        row.caption = label;
        row.active = new QCheckBox(tr("Active"), m_rowsArea);
        row.active->setObjectName(qs(loop.name) + QStringLiteral("Active"));
        row.active->setAccessibleName(tr("Active: ") + qs(loop.caption));
        row.type = new QComboBox(m_rowsArea);
        row.type->setObjectName(qs(loop.name) + QStringLiteral("Type"));
        row.type->setAccessibleName(tr("Type: ") + qs(loop.caption));
        row.type->addItems({QString::fromLatin1(kOnOffChoice), QString::fromLatin1(kEquationChoice)});
        row.description = new QLineEdit(m_rowsArea);
        row.description->setObjectName(qs(loop.name) + QStringLiteral("Description"));
        row.description->setAccessibleName(tr("Description: ") + qs(loop.caption));
        row.description->setReadOnly(true);
        const int line = entry - 1;
        m_rowsLayout->addWidget(row.caption, line, 0);
        m_rowsLayout->addWidget(row.active, line, 1);
        m_rowsLayout->addWidget(row.type, line, 2);
        m_rowsLayout->addWidget(row.description, line, 3);
        connect(row.active, &QCheckBox::clicked, this, [this, entry](bool checked) {
            m_list.setActive(entry, checked);
            showRow(entry);
            if (m_modified)
                m_modified();
        });
        connect(row.type, &QComboBox::activated, this,
                [this, entry](int index) { typeChosen(entry, index == kOnOffItem); });
        m_rows.push_back(row);
        showRow(entry);
    }
    m_rowsLayout->setRowStretch(static_cast<int>(m_rows.size()), 1);
}

void ControlLoopsWindow::showRow(int entry)
{
    const ControlLoopRow loop = m_list.row(entry);
    Row& row = m_rows[static_cast<std::size_t>(entry) - 1];
    const QSignalBlocker blockBox(row.active);
    const QSignalBlocker blockType(row.type);
    row.active->setChecked(loop.active);
    row.type->setCurrentIndex(loop.onOff ? kOnOffItem : kEquationItem);
    row.type->setEnabled(loop.editable);
    row.description->setText(qs(loop.description));
    row.description->setCursorPosition(0);
    row.description->setEnabled(loop.editable);
}

void ControlLoopsWindow::typeChosen(int entry, bool onOff)
{
    m_list.chooseType(entry, onOff);
    if (m_modified)
        m_modified();
    ControlLoopDialog dialog(m_workspace.model, m_workspace.plant,
                             m_workspace.plant.ControlLoops[entry],
                             ControlledQuantityCaption(entry), onOff);
    ControlLoopDialogWindow window(dialog, m_dialogs, this);
    m_runDialog(window);
    // OK changed the entry; Cancel leaves it, and the choice shows its type again.
    showRow(entry);
}

void ControlLoopsWindow::deactivateAll()
{
    const bool any = m_workspace.plant.ControlLoopsActive;
    m_list.deactivateAll();
    for (int entry = 1; entry <= static_cast<int>(m_rows.size()); ++entry)
        showRow(entry);
    if (m_modified && any)
        m_modified();
}

void ControlLoopsWindow::showEvent(QShowEvent* event)
{
    rebuild();
    QWidget::showEvent(event);
}

QCheckBox* ControlLoopsWindow::activeBox(int entry) const
{
    return m_rows.at(static_cast<std::size_t>(entry) - 1).active;
}

QComboBox* ControlLoopsWindow::typeChoice(int entry) const
{
    return m_rows.at(static_cast<std::size_t>(entry) - 1).type;
}

QLineEdit* ControlLoopsWindow::description(int entry) const
{
    return m_rows.at(static_cast<std::size_t>(entry) - 1).description;
}

} // namespace narv

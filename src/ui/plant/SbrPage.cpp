#include "ui/plant/SbrPage.h"

#include "shell/UserDialogs.h"
#include "ui/plant/TypedField.h"

#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableView>
#include <QtWidgets/QVBoxLayout>

#include <utility>

namespace narv {
namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

constexpr int kColumnTimeslices = 1;
constexpr int kColumnCumulated = 2;
constexpr int kColumnFirstVolume = 3;
constexpr int kColumnMode = 7;
constexpr int kColumnDefine = 8;

SbrVolumeColumn volumeColumn(int column)
{
    return static_cast<SbrVolumeColumn>(column - kColumnFirstVolume);
}

QLabel* caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setAccessibleName(text);
    label->setBuddy(buddy);
    buddy->setAccessibleName(text);
    return label;
}

} // namespace

SbrGridModel::SbrGridModel(SbrPageEditor& editor, TSbrCycle& cycle, UserDialogs& dialogs,
                           QObject* parent)
    : QAbstractTableModel(parent), m_editor(editor), m_cycle(cycle), m_dialogs(dialogs)
{
}

void SbrGridModel::reload()
{
    // Not a reset: that would drop the mode lists and buttons the view holds in its cells.
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int SbrGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kSbrPeriodCount;
}

int SbrGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(SbrPageEditor::GridColumnTitles().size());
}

QVariant SbrGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const int period = index.row() + 1;
    switch (index.column()) {
    case 0:
        return period;
    case kColumnTimeslices:
        return m_cycle.Periods[period].Timeslices;
    case kColumnCumulated:
        return qs(m_editor.cumulatedCycleTimeText(period));
    case kColumnMode: // the mode list of the cell shows it
    case kColumnDefine:
        return {};
    default:
        return qs(m_editor.volumeText(period, volumeColumn(index.column())));
    }
}

QVariant SbrGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return qs(SbrPageEditor::GridColumnTitles()[static_cast<std::size_t>(section)]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags SbrGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    const int column = index.column();
    if (column == kColumnTimeslices || (column >= kColumnFirstVolume && column < kColumnMode))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool SbrGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int period = index.row() + 1;
    const std::string text = value.toString().toStdString();
    const SbrEntry entry = index.column() == kColumnTimeslices
                               ? m_editor.enterTimeslices(period, text)
                               : m_editor.enterVolume(period, volumeColumn(index.column()), text);
    if (!entry.message.empty())
        m_dialogs.showMessage(entry.message);
    // The cumulated times of every later period follow.
    emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, columnCount() - 1));
    emit entered();
    return entry.accepted;
}

SbrPage::SbrPage(Workspace& workspace, UserDialogs& dialogs, std::function<void()> changed,
                 QWidget* parent)
    : QWidget(parent),
      m_workspace(workspace),
      m_dialogs(dialogs),
      m_changed(std::move(changed)),
      m_editor(workspace.sbr)
{
    setObjectName(QStringLiteral("TabSheet6"));
    m_timeslice = new QLineEdit(this);
    m_timeslice->setObjectName(QStringLiteral("ed_Min"));
    m_accuracy = new QLineEdit(this);
    m_accuracy->setObjectName(QStringLiteral("ed_eps"));
    m_initialVolume = new QLineEdit(this);
    m_initialVolume->setObjectName(QStringLiteral("ed_Volini"));
    for (QLineEdit* edit : {m_timeslice, m_accuracy, m_initialVolume})
        edit->setMaximumWidth(140);
    connect(m_timeslice, &QLineEdit::editingFinished, this,
            [this] { leave(m_timeslice, &SbrPageEditor::enterTimesliceLength); });
    connect(m_accuracy, &QLineEdit::editingFinished, this,
            [this] { leave(m_accuracy, &SbrPageEditor::enterAccuracy); });
    connect(m_initialVolume, &QLineEdit::editingFinished, this,
            [this] { leave(m_initialVolume, &SbrPageEditor::enterInitialVolume); });

    m_cycleLength = new QLabel(this);
    m_cycleLength->setObjectName(QStringLiteral("lb_cyclelength"));
    m_balance = new QLabel(this);
    m_balance->setObjectName(QStringLiteral("lb_sum_input_output"));
    auto* note = new QLabel(tr("(If value is small then calculation is slow but accurate)"), this);
    note->setAccessibleName(note->text());
    auto* fields = new QFormLayout;
    fields->addRow(caption(tr("Duration of 1 timeslice (minutes): "), m_timeslice), m_timeslice);
    fields->addRow(caption(tr("Integration Accuracy (0.0001..0.02):"), m_accuracy), m_accuracy);
    fields->addRow(QString(), note);
    m_initialVolumeLabel = caption(QString(), m_initialVolume);
    m_initialVolumeLabel->setObjectName(QStringLiteral("lb_Volini"));
    fields->addRow(m_initialVolumeLabel, m_initialVolume);

    m_model = new SbrGridModel(m_editor, workspace.sbr, dialogs, this);
    connect(m_model, &SbrGridModel::entered, this, [this] { accepted(); });
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("AdvStringGrid1"));
    m_grid->setAccessibleName(QStringLiteral("AdvStringGrid1"));
    m_grid->setModel(m_model);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setAccessibleName(QStringLiteral("AdvStringGrid1 rows"));
    m_grid->horizontalHeader()->setAccessibleName(QStringLiteral("AdvStringGrid1 columns"));
    for (QAbstractButton* corner : m_grid->findChildren<QAbstractButton*>())
        corner->setAccessibleName(QStringLiteral("AdvStringGrid1 select all"));
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int row = 0; row < kSbrPeriodCount; ++row) {
        const int period = row + 1;
        auto* mode = new QComboBox(m_grid);
        mode->setObjectName(QStringLiteral("kla Control %1").arg(period));
        mode->setAccessibleName(tr("kla Control of period %1").arg(period));
        for (const std::string& text : SbrPageEditor::AerationModeTexts())
            mode->addItem(qs(text));
        connect(mode, &QComboBox::activated, this, [this, period](int index) {
            const SbrValueRequest request =
                m_editor.chooseAerationMode(period, static_cast<TSbrAerationMode>(index));
            defineValues(period, request);
        });
        m_grid->setIndexWidget(m_model->index(row, kColumnMode), mode);
        auto* define = new QPushButton(tr("    Define"), m_grid);
        define->setObjectName(QStringLiteral("Define %1").arg(period));
        define->setAccessibleName(tr("Define the aeration of period %1").arg(period));
        connect(define, &QPushButton::clicked, this,
                [this, period] { defineValues(period, m_editor.valueRequest(period)); });
        m_grid->setIndexWidget(m_model->index(row, kColumnDefine), define);
    }
    m_grid->setColumnWidth(kColumnMode, 130);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_cycleLength);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_balance);
    reload();
}

void SbrPage::reload()
{
    m_timeslice->setText(qs(m_editor.timesliceLengthText()));
    m_accuracy->setText(qs(m_editor.accuracyText()));
    m_initialVolume->setText(qs(m_editor.initialVolumeText()));
    for (QLineEdit* edit : {m_timeslice, m_accuracy, m_initialVolume})
        edit->setModified(false);
    m_model->reload();
    for (int row = 0; row < kSbrPeriodCount; ++row) {
        auto* mode = qobject_cast<QComboBox*>(m_grid->indexWidget(m_model->index(row, kColumnMode)));
        if (mode != nullptr) {
            const QSignalBlocker block(mode);
            mode->setCurrentIndex(static_cast<int>(m_workspace.sbr.Periods[row + 1].AerationMode));
        }
    }
    showLines();
}

void SbrPage::showLines()
{
    m_cycleLength->setText(qs(m_editor.cycleLengthLine()));
    m_cycleLength->setAccessibleName(m_cycleLength->text());
    const SbrBalance balance = m_editor.balance();
    m_balance->setText(qs(balance.line));
    m_balance->setAccessibleName(m_balance->text());
    m_balance->setStyleSheet(balance.passes ? QStringLiteral("color: blue")
                                            : QStringLiteral("color: red"));
    m_initialVolumeLabel->setText(qs(m_editor.initialVolumeLabel()));
    m_initialVolume->setText(qs(m_editor.initialVolumeText()));
    m_initialVolume->setModified(false);
}

void SbrPage::accepted()
{
    showLines();
    if (m_editor.modified() && m_changed) {
        m_editor.clearModified();
        m_changed();
    }
}

bool SbrPage::commit()
{
    return leave(m_timeslice, &SbrPageEditor::enterTimesliceLength) &&
           leave(m_accuracy, &SbrPageEditor::enterAccuracy) &&
           leave(m_initialVolume, &SbrPageEditor::enterInitialVolume);
}

bool SbrPage::leave(QLineEdit* edit, SbrEntry (SbrPageEditor::*enter)(const std::string&))
{
    if (m_checking || !edit->isModified())
        return true;
    m_checking = true;
    const SbrEntry entry = (m_editor.*enter)(edit->text().toStdString());
    if (!entry.message.empty())
        m_dialogs.showMessage(entry.message);
    edit->setText(qs(entry.text));
    edit->setModified(false);
    m_model->reload();
    accepted();
    if (!entry.accepted && entry.returnFocus)
        edit->setFocus();
    m_checking = false;
    return entry.accepted;
}

void SbrPage::focus(SbrLeaveCheck::Focus focus)
{
    if (focus == SbrLeaveCheck::Focus::InitialVolume)
        m_initialVolume->setFocus();
    else if (focus == SbrLeaveCheck::Focus::Grid)
        m_grid->setFocus();
}

void SbrPage::defineValues(int period, const SbrValueRequest& request)
{
    if (request.controlDialog) {
        SbrControlDialog dialog(m_workspace.sbr, period, m_workspace.model, m_memory);
        SbrControlDialogWindow window(dialog, m_dialogs, this);
        window.exec();
    } else if (const auto text = m_dialogs.askText(request.title, request.prompt, request.preset)) {
        const SbrEntry entry = m_editor.enterFixedValue(period, *text);
        if (!entry.message.empty())
            m_dialogs.showMessage(entry.message);
    }
    // Choosing the mode changed the period already, whatever the value entry did.
    m_model->reload();
    if (m_changed)
        m_changed();
    m_editor.clearModified();
    showLines();
}

SbrControlDialogWindow::SbrControlDialogWindow(SbrControlDialog& dialog, UserDialogs& dialogs,
                                               QWidget* parent)
    : QDialog(parent), m_dialog(dialog), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("TFormSetControlLoopSBR"));
    setWindowTitle(qs(dialog.caption()));
    auto* layout = new QFormLayout(this);
    auto* signals_ = new QComboBox(this);
    signals_->setObjectName(QStringLiteral("cb_signals"));
    for (const std::string& name : dialog.signalNames())
        signals_->addItem(qs(name));
    signals_->setCurrentIndex(dialog.signalIndex() - 1);
    connect(signals_, &QComboBox::activated, this,
            [this](int index) { m_dialog.chooseSignal(index + 1); });
    layout->addRow(caption(qs(SbrControlDialog::signalLabel()), signals_), signals_);
    const std::pair<SbrControlDialog::Field, const char*> fields[] = {
        {SbrControlDialog::SignalValueOrUpper, "ed_erwartetx"},
        {SbrControlDialog::ValueAbove, "ed_stellung2"},
        {SbrControlDialog::SetpointOrLower, "ed_erwartety"},
        {SbrControlDialog::SlopeOrBelow, "ed_steigung"}};
    for (const auto& [field, name] : fields) {
        auto* edit = new QLineEdit(qs(dialog.fieldText(field)), this);
        edit->setObjectName(QString::fromLatin1(name));
        m_fields[field] = edit;
        const SbrControlDialog::Field which = field;
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

bool SbrControlDialogWindow::leave(SbrControlDialog::Field field)
{
    return LeaveTypedField(m_fields[field], m_checking, m_dialogs, [&](const std::string& text) {
        return m_dialog.enterField(field, text);
    });
}

void SbrControlDialogWindow::accept()
{
    // What is still typed counts as left; a refused field keeps the dialog open with the focus.
    for (int field = 0; field < SbrControlDialog::kFieldCount; ++field)
        if (!leave(static_cast<SbrControlDialog::Field>(field)))
            return;
    m_dialog.ok();
    QDialog::accept();
}

} // namespace narv

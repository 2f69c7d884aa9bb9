#include "ui/plant/AIControlLoopsWindow.h"

#include "plant/ControlLoopEditor.h"
#include "shell/UserDialogs.h"
#include "ui/plant/ControlLoopsWindow.h"

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QScrollArea>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QVBoxLayout>

#include <utility>

namespace narv {
namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

constexpr int kOnOffItem = 0;
constexpr int kEquationItem = 1;

} // namespace

AIControlLoopsWindow::AIControlLoopsWindow(Workspace& workspace, UserDialogs& dialogs,
                                           std::function<void()> modified, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_workspace(workspace),
      m_dialogs(dialogs),
      m_modified(std::move(modified)),
      m_list(workspace.model, workspace.plant, workspace.ai),
      m_runDialog([](ControlLoopDialogWindow& dialog) { return dialog.exec() == QDialog::Accepted; })
{
    setObjectName(QStringLiteral("TFormControlLoopsAI"));
    setWindowTitle(qs(AIControlLoopList::caption()));
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto* close = new QPushButton(tr("Close"), this);
    close->setObjectName(QStringLiteral("btClose"));
    close->setAccessibleName(tr("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);
    resize(860, 480);
    rebuild();
}

void AIControlLoopsWindow::rebuild()
{
    const int current = m_pages->currentIndex();
    while (m_pages->count() > 0) {
        QWidget* page = m_pages->widget(0);
        m_pages->removeTab(0);
        delete page;
    }
    for (int lane = 1; lane <= kLaneCount; ++lane) {
        auto* scroll = new QScrollArea;
        scroll->setObjectName(QStringLiteral("TabSheet%1").arg(lane));
        scroll->setWidgetResizable(true);
        auto* area = new QWidget;
        auto* grid = new QGridLayout(area);
        grid->setColumnStretch(3, 1);
        std::vector<Row>& rows = m_rows[static_cast<std::size_t>(lane) - 1];
        rows.clear();
        for (int entry = 0; entry <= m_list.lastEntry(); ++entry) {
            const QString caption = qs(m_list.entryCaption(entry));
            const QString name = QStringLiteral("CLoop%1_%2").arg(lane).arg(entry);
            auto* label = new QLabel(caption, area);
            label->setObjectName(name);
            label->setAccessibleName(caption);
            Row row;
            row.active = new QCheckBox(tr("Active"), area);
            row.active->setObjectName(name + QStringLiteral("Active"));
            row.active->setAccessibleName(tr("Active: ") + caption);
            row.type = new QComboBox(area);
            row.type->setObjectName(name + QStringLiteral("Type"));
            row.type->setAccessibleName(tr("Type: ") + caption);
            row.type->addItems({QString::fromLatin1(kOnOffChoice),
                                QString::fromLatin1(kEquationChoice)});
            row.description = new QLineEdit(area);
            row.description->setObjectName(name + QStringLiteral("Description"));
            row.description->setAccessibleName(tr("Description: ") + caption);
            row.description->setReadOnly(true);
            grid->addWidget(label, entry, 0);
            grid->addWidget(row.active, entry, 1);
            grid->addWidget(row.type, entry, 2);
            grid->addWidget(row.description, entry, 3);
            connect(row.active, &QCheckBox::clicked, this, [this, lane, entry](bool checked) {
                m_list.setActive(lane, entry, checked);
                showRow(lane, entry);
                changed();
            });
            connect(row.type, &QComboBox::activated, this, [this, lane, entry](int index) {
                typeChosen(lane, entry, index == kOnOffItem);
            });
            rows.push_back(row);
            showRow(lane, entry);
        }
        grid->setRowStretch(m_list.lastEntry() + 1, 1);
        scroll->setWidget(area);
        m_pages->addTab(scroll, qs(AIControlLoopList::pageTitle(lane)));
    }
    if (current >= 0)
        m_pages->setCurrentIndex(current);
}

void AIControlLoopsWindow::showRow(int lane, int entry)
{
    const TControlLoopDef& loop = m_workspace.ai.LaneLoops[lane][entry];
    Row& row = m_rows[static_cast<std::size_t>(lane) - 1][static_cast<std::size_t>(entry)];
    const QSignalBlocker blockBox(row.active);
    const QSignalBlocker blockType(row.type);
    row.active->setChecked(loop.Active);
    row.type->setCurrentIndex(loop.OnOff ? kOnOffItem : kEquationItem);
    row.type->setEnabled(loop.Active);
    row.description->setText(qs(m_list.entryLine(lane, entry)));
    row.description->setCursorPosition(0);
    row.description->setEnabled(loop.Active);
}

void AIControlLoopsWindow::changed()
{
    if (m_modified)
        m_modified();
}

void AIControlLoopsWindow::typeChosen(int lane, int entry, bool onOff)
{
    const AIControlLoopList::KindChoice choice = m_list.chooseKind(lane, entry, onOff);
    if (!choice.message.empty()) {
        m_dialogs.showMessage(choice.message);
        showRow(lane, entry);
    }
    changed();
    TControlLoopDef& loop = m_workspace.ai.LaneLoops[lane][entry];
    ControlLoopDialog dialog(m_workspace.model, m_workspace.plant, loop, m_list.entryCaption(entry),
                             choice.onOff, entry == kLaneLoopEntry);
    ControlLoopDialogWindow window(dialog, m_dialogs, this);
    // OK stores the copy with the chosen kind; Cancel leaves the entry, whose kind the row shows
    // again below.
    m_runDialog(window);
    if (m_dialogs.askYesNo(kCopyLoopQuestion, {}, UserDialogs::Icon::Information)) {
        m_list.copyToOtherLane(lane, entry);
        showRow(lane == 1 ? 2 : 1, entry);
        changed();
    }
    showRow(lane, entry);
}

void AIControlLoopsWindow::showEvent(QShowEvent* event)
{
    rebuild();
    QWidget::showEvent(event);
}

QCheckBox* AIControlLoopsWindow::activeBox(int lane, int entry) const
{
    return m_rows.at(static_cast<std::size_t>(lane) - 1).at(static_cast<std::size_t>(entry)).active;
}

QComboBox* AIControlLoopsWindow::typeChoice(int lane, int entry) const
{
    return m_rows.at(static_cast<std::size_t>(lane) - 1).at(static_cast<std::size_t>(entry)).type;
}

QLineEdit* AIControlLoopsWindow::description(int lane, int entry) const
{
    return m_rows.at(static_cast<std::size_t>(lane) - 1)
        .at(static_cast<std::size_t>(entry))
        .description;
}

} // namespace narv

#include "ui/variation/VariationWindow.h"

#include <QtCore/QAbstractTableModel>
#include <QtCore/QEvent>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QBoxLayout>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QInputDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStyleOption>
#include <QtWidgets/QStylePainter>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QTableView>

#include <algorithm>

namespace narv {
namespace {

constexpr VariationGrid kGrids[] = {VariationGrid::Inflows, VariationGrid::Dissolved,
                                    VariationGrid::Particulate, VariationGrid::Kla,
                                    VariationGrid::Temperature};

VariationPage pageOf(VariationGrid grid)
{
    return static_cast<VariationPage>(static_cast<int>(grid) + 1);
}

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// Lets through only what can be part of a number (and the editing keys).
class NumberKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (text.size() == 1 && text[0].isPrint() &&
                !VariationEditor::durationKeyAllowed(text[0].toLatin1()))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// The corner cell of a grid's headers: the QTableCornerButton, which draws no text of its own.
QAbstractButton* cornerButton(QTableView* grid)
{
    for (QAbstractButton* button : grid->findChildren<QAbstractButton*>())
        if (qstrcmp(button->metaObject()->className(), "QTableCornerButton") == 0)
            return button;
    return nullptr;
}

// Draws the corner button's text as a header cell, as the title of the row labels.
class CornerText : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return QObject::eventFilter(watched, event);
        auto* button = static_cast<QAbstractButton*>(watched);
        QStyleOptionHeader option;
        option.initFrom(button);
        option.rect = button->rect();
        option.text = button->text();
        option.textAlignment = Qt::AlignCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.orientation = Qt::Horizontal;
        QStylePainter painter(button);
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
};

void nameCorner(QTableView* grid, const QString& name)
{
    if (QAbstractButton* button = cornerButton(grid)) {
        button->setAccessibleName(name.trimmed());
        button->setToolTip(name.trimmed());
    }
}

// The corner shows the text; the row labels below it are at least as wide.
void titleCorner(QTableView* grid, const QString& text)
{
    QAbstractButton* button = cornerButton(grid);
    if (button == nullptr)
        return;
    nameCorner(grid, text);
    button->setText(text);
    button->installEventFilter(new CornerText(button));
    grid->verticalHeader()->setMinimumWidth(grid->fontMetrics().horizontalAdvance(text) + 16);
}

} // namespace

// The steps of one grid: rows the steps 1..N, columns the quantities.
class StepGridModel : public QAbstractTableModel {
public:
    StepGridModel(VariationWindow& window, VariationGrid grid, std::function<void()> edited)
        : QAbstractTableModel(&window), m_window(window), m_grid(grid), m_edited(std::move(edited))
    {
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        const VariationEditor* editor = m_window.editor();
        return parent.isValid() || editor == nullptr ? 0 : editor->pointCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        const VariationEditor* editor = m_window.editor();
        return parent.isValid() || editor == nullptr ? 0 : editor->columnCount(m_grid);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return qs(m_window.editor()->cellText(m_grid, index.row() + 1, index.column() + 1));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || m_window.editor() == nullptr)
            return {};
        if (orientation == Qt::Horizontal)
            return qs(m_window.editor()->columnTitle(m_grid, section + 1));
        return qs(m_window.editor()->rowLabel(section + 1));
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
        return m_window.readOnly() ? flags : flags | Qt::ItemIsEditable;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole || m_window.readOnly())
            return false;
        const VariationEntry entry = m_window.editor()->enterCell(
            m_grid, index.row() + 1, index.column() + 1, value.toString().toStdString());
        m_lastEntry = entry;
        m_edited();
        return entry.accepted;
    }
    void reset()
    {
        beginResetModel();
        endResetModel();
    }
    VariationEntry takeEntry() { return std::exchange(m_lastEntry, {true, {}, {}, false}); }

private:
    VariationWindow& m_window;
    VariationGrid m_grid;
    std::function<void()> m_edited;
    VariationEntry m_lastEntry{true, {}, {}, false};
};

// The averages rows below a grid.
class AverageGridModel : public QAbstractTableModel {
public:
    AverageGridModel(VariationWindow& window, VariationGrid grid, std::function<void()> edited)
        : QAbstractTableModel(&window), m_window(window), m_grid(grid), m_edited(std::move(edited))
    {
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        const VariationEditor* editor = m_window.editor();
        return parent.isValid() || editor == nullptr
                   ? 0
                   : static_cast<int>(editor->averageRowTitles(m_grid).size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        const VariationEditor* editor = m_window.editor();
        return parent.isValid() || editor == nullptr ? 0 : editor->columnCount(m_grid);
    }
    AverageRow row(int index) const
    {
        // The temperature grid has its "Average" only.
        return m_grid == VariationGrid::Temperature ? AverageRow::Average
                                                    : static_cast<AverageRow>(index);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return qs(m_window.editor()->averageText(m_grid, row(index.row()), index.column() + 1));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || m_window.editor() == nullptr)
            return {};
        if (orientation == Qt::Horizontal)
            return qs(m_window.editor()->columnTitle(m_grid, section + 1));
        const auto titles = m_window.editor()->averageRowTitles(m_grid);
        return section < static_cast<int>(titles.size()) ? qs(titles[section]) : QVariant();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags flags = QAbstractTableModel::flags(index);
        if (m_window.editor() != nullptr && !m_window.readOnly() &&
            m_window.editor()->averageEditable(m_grid, row(index.row())))
            flags |= Qt::ItemIsEditable;
        return flags;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (role != Qt::EditRole || m_window.readOnly())
            return false;
        const VariationEntry entry = m_window.editor()->enterAverage(
            m_grid, row(index.row()), index.column() + 1, value.toString().toStdString());
        m_lastEntry = entry;
        m_edited();
        return entry.accepted;
    }
    void reset()
    {
        beginResetModel();
        endResetModel();
    }
    VariationEntry takeEntry() { return std::exchange(m_lastEntry, {true, {}, {}, false}); }

private:
    VariationWindow& m_window;
    VariationGrid m_grid;
    std::function<void()> m_edited;
    VariationEntry m_lastEntry{true, {}, {}, false};
};

// The lane fed per step of an A/I variation.
class LaneGridModel : public QAbstractTableModel {
public:
    explicit LaneGridModel(VariationWindow& window)
        : QAbstractTableModel(&window), m_window(window)
    {
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        const LanePageEditor* lanes = m_window.laneEditor();
        return parent.isValid() || lanes == nullptr ? 0 : lanes->rowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 1;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        return qs(m_window.laneEditor()->cellText(index.row() + 1));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole || m_window.laneEditor() == nullptr)
            return {};
        if (orientation == Qt::Horizontal)
            return qs(LanePageEditor::columnTitles()[1]);
        return qs(m_window.laneEditor()->rowLabel(section + 1));
    }
    void reset()
    {
        beginResetModel();
        endResetModel();
    }

private:
    VariationWindow& m_window;
};

VariationWindow::VariationWindow(VariationWindowHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), m_host(host)
{
    setObjectName("TFormVariation");
    setWindowTitle("Variation");
    m_chooseSource = [this](const std::vector<CopySource>& sources) {
        QStringList labels;
        for (const CopySource& source : sources)
            labels << qs(source.label);
        bool ok = false;
        const QString chosen =
            QInputDialog::getItem(this, VariationEditor::copyCaption(),
                                  VariationEditor::copyPrompt(), labels, 0, false, &ok);
        return ok ? static_cast<int>(labels.indexOf(chosen)) : -1;
    };
    auto* layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName("PageControl1");
    m_pages->setAccessibleName("Pages");
    layout->addWidget(m_pages);
    m_pages->addTab(buildOptionsPage(), VariationPageCaption(VariationPage::Options));
    for (const VariationGrid grid : kGrids)
        m_pages->addTab(buildGridPage(grid), VariationPageCaption(pageOf(grid)));
    m_lanePage = buildLanePage();
    m_lanePage->hide(); // until an A/I plant's window shows its tab
    resize(900, 560);
}

VariationWindow::~VariationWindow() = default;

QWidget* VariationWindow::buildOptionsPage()
{
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    m_cycleHours = new QLineEdit(page);
    m_cycleHours->setObjectName("ed_ttgl");
    m_cycleHours->setAccessibleName("Duration of a cycle (hours)");
    m_cycleHours->setMaximumWidth(140);
    m_cycleHours->installEventFilter(new NumberKeyFilter(m_cycleHours));
    form->addRow("Duration of a cycle (hours):", m_cycleHours);
    connect(m_cycleHours, &QLineEdit::editingFinished, this, [this] {
        if (m_filling || m_editor == nullptr || !m_cycleHours->isModified() || readOnly())
            return;
        m_cycleHours->setModified(false);
        const VariationEntry entry =
            m_editor->enterCycleHours(m_cycleHours->text().toStdString());
        m_cycleHours->setText(qs(entry.text));
        edited();
        showEntry(entry);
        if (!entry.accepted && entry.returnFocus)
            m_cycleHours->setFocus();
    });
    m_points = new QComboBox(page);
    m_points->setObjectName("cb_punkte");
    m_points->setAccessibleName("Number of points in a cycle");
    m_points->setMaximumWidth(140);
    for (const int points : VariationEditor::pointChoices())
        m_points->addItem(QString::number(points), points);
    form->addRow("Number of points in a cycle:", m_points);
    connect(m_points, &QComboBox::activated, this, [this](int index) {
        if (m_editor == nullptr || readOnly()) {
            showOptions();
            return;
        }
        m_editor->choosePointCount(m_points->itemData(index).toInt());
        // The lane page follows the new number of steps.
        Workspace& w = m_host.workspace();
        if (m_lanes)
            m_lanes = std::make_unique<LanePageEditor>(w.aiVariation, w.variation);
        edited();
    });
    m_varyConc2 = new QCheckBox("Variable concentrations in 2. influent", page);
    m_varyConc2->setObjectName("ckb_VaryConc2");
    form->addRow(m_varyConc2);
    connect(m_varyConc2, &QCheckBox::clicked, this, [this](bool checked) {
        if (m_editor == nullptr || readOnly()) {
            showOptions();
            return;
        }
        m_editor->setVaryConc2(checked);
        edited();
    });
    return page;
}

QWidget* VariationWindow::buildGridPage(VariationGrid grid)
{
    const auto i = static_cast<std::size_t>(grid);
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* steps = new QTableView(page);
    steps->setObjectName(VariationGridName(grid));
    steps->setAccessibleName(VariationPageCaption(pageOf(grid)));
    steps->horizontalHeader()->setToolTip("Click a column title to copy values into it");
    steps->horizontalHeader()->setSectionsClickable(true);
    steps->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* averages = new QTableView(page);
    averages->setObjectName(VariationAverageGridName(grid));
    averages->setAccessibleName(QString(VariationPageCaption(pageOf(grid))) + " averages");
    averages->horizontalHeader()->hide();
    auto* stepModel = new StepGridModel(*this, grid, [this] { edited(); });
    auto* averageModel = new AverageGridModel(*this, grid, [this] { edited(); });
    steps->setModel(stepModel);
    averages->setModel(averageModel);
    // The corner cell reads "time step"; the lower grid's corner selects it all.
    titleCorner(steps, QString::fromLatin1(VariationEditor::cornerTitle()));
    nameCorner(averages, QStringLiteral("Select all"));
    m_stepGrids[i] = steps;
    m_averageGrids[i] = averages;
    m_stepModels[i] = stepModel;
    m_averageModels[i] = averageModel;
    layout->addWidget(steps, 1);
    layout->addWidget(averages);
    const int rowHeight = fontMetrics().height() + 8;
    for (QTableView* view : {steps, averages})
        view->verticalHeader()->setDefaultSectionSize(rowHeight);
    const int averageRows = grid == VariationGrid::Temperature ? 1
                            : grid == VariationGrid::Dissolved || grid == VariationGrid::Particulate
                                ? 4
                                : 3;
    averages->setFixedHeight(averageRows * rowHeight + 2 * averages->frameWidth() +
                             averages->horizontalScrollBar()->sizeHint().height());
    // The lower grid scrolls with the upper one and keeps its column widths.
    connect(steps->horizontalScrollBar(), &QScrollBar::valueChanged,
            averages->horizontalScrollBar(), &QScrollBar::setValue);
    connect(steps->horizontalHeader(), &QHeaderView::sectionResized, averages,
            [averages](int column, int, int width) { averages->setColumnWidth(column, width); });
    connect(steps->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this, grid](int column) {
                if (grid != VariationGrid::Temperature)
                    copyFromColumn(grid, column + 1);
            });
    return page;
}

QWidget* VariationWindow::buildLanePage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    m_laneGrid = new QTableView(page);
    m_laneGrid->setObjectName("sg_lane");
    m_laneGrid->setAccessibleName("lane fed");
    m_laneGrid->setToolTip("DblClick to change lane.\nSelect range and right-click\nto change "
                           "range.");
    m_laneGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_laneGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_laneModel = new LaneGridModel(*this);
    m_laneGrid->setModel(m_laneModel);
    titleCorner(m_laneGrid, qs(LanePageEditor::columnTitles()[0]));
    m_laneGrid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    layout->addWidget(m_laneGrid);
    connect(m_laneGrid, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!m_lanes || readOnly())
            return;
        m_lanes->doubleClick(index.row() + 1);
        edited();
    });
    m_laneGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_laneGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction("Change Selection to 1", this, [this] { changeLaneSelection(1); });
        menu.addAction("Change Selection to 2", this, [this] { changeLaneSelection(2); });
        menu.addAction("Copy to Clipboard", this, [this] { copyLanes(); });
        menu.addAction("Paste from Clipboard", this, [this] { pasteLanes(); });
        menu.exec(m_laneGrid->viewport()->mapToGlobal(at));
    });
    return page;
}

QTableView* VariationWindow::stepGrid(VariationGrid grid) const
{
    return m_stepGrids[static_cast<std::size_t>(grid)];
}

QTableView* VariationWindow::averageGrid(VariationGrid grid) const
{
    return m_averageGrids[static_cast<std::size_t>(grid)];
}

void VariationWindow::rebuildEditor()
{
    Workspace& w = m_host.workspace();
    m_editor = std::make_unique<VariationEditor>(w.variation, w.model, w.plant,
                                                 m_host.reactorLabels());
    const bool ai = w.plant.PlantType == TFlowschemeType::ftAI;
    if (ai)
        m_lanes = std::make_unique<LanePageEditor>(w.aiVariation, w.variation);
    else
        m_lanes.reset();
    setObjectName(ai ? "TFormVariationAI" : "TFormVariation");
    setWindowTitle(ai ? "Variation AI" : "Variation");
    const int lanePage = m_pages->indexOf(m_lanePage);
    if (ai && lanePage < 0)
        m_pages->addTab(m_lanePage, "lane");
    else if (!ai && lanePage >= 0) {
        m_pages->removeTab(lanePage);
        m_lanePage->hide();
    }
    if (m_lanes)
        m_lanes->show();
}

void VariationWindow::open(bool optionsPage)
{
    const int previous = m_pages->currentIndex();
    rebuildEditor();
    showOptions();
    refreshGrids();
    m_pages->setCurrentIndex(0);
    if (!optionsPage && previous > 0 && previous < m_pages->count())
        m_pages->setCurrentIndex(previous);
}

void VariationWindow::showOptions()
{
    m_filling = true;
    m_cycleHours->setText(qs(m_editor->cycleHoursText()));
    m_cycleHours->setModified(false);
    m_points->setCurrentIndex(m_points->findData(m_editor->pointCount()));
    m_varyConc2->setChecked(m_host.workspace().variation.VaryConc2);
    m_filling = false;
}

void VariationWindow::refreshGrids()
{
    for (StepGridModel* model : m_stepModels)
        model->reset();
    for (AverageGridModel* model : m_averageModels)
        model->reset();
    m_laneModel->reset();
    // The averages stand under their columns: the same header width and column widths.
    for (std::size_t i = 0; i < m_stepGrids.size(); ++i) {
        QTableView* steps = m_stepGrids[i];
        QTableView* averages = m_averageGrids[i];
        steps->resizeColumnsToContents();
        const int header = std::max(steps->verticalHeader()->sizeHint().width(),
                                    averages->verticalHeader()->sizeHint().width());
        steps->verticalHeader()->setFixedWidth(header);
        averages->verticalHeader()->setFixedWidth(header);
        for (int column = 0; column < steps->model()->columnCount(); ++column) {
            const int width = std::max(steps->columnWidth(column), 80);
            steps->setColumnWidth(column, width);
            averages->setColumnWidth(column, width);
        }
    }
}

void VariationWindow::showEntry(const VariationEntry& entry)
{
    if (!entry.accepted && !entry.message.empty())
        m_host.dialogs().showMessage(entry.message);
}

void VariationWindow::edited()
{
    if (m_editor == nullptr)
        return;
    for (const std::string& line : m_editor->events())
        m_host.addEvent(line);
    m_editor->clearEvents();
    if (m_editor->modified() || (m_lanes && m_lanes->modified()))
        m_host.variationModified();
    // The variation holds every edit at once: whatever replaces the model or the variation
    // while the window is open cannot meet an older working copy.
    m_editor->writeBack();
    // A refused cell shows its message once the model has taken the entry back.
    for (StepGridModel* model : m_stepModels)
        showEntry(model->takeEntry());
    for (AverageGridModel* model : m_averageModels)
        showEntry(model->takeEntry());
    refreshGrids();
}

void VariationWindow::copyFromColumn(VariationGrid grid, int column)
{
    if (m_editor == nullptr || readOnly())
        return;
    m_editor->headerClicked(grid, column);
    const std::string clipboard = m_host.clipboardText();
    const std::vector<CopySource> sources = m_editor->copySources(clipboard);
    const int chosen = m_chooseSource(sources);
    if (chosen >= 0 && chosen < static_cast<int>(sources.size()))
        m_editor->copyInto(grid, column, sources[static_cast<std::size_t>(chosen)], clipboard);
    edited();
}

void VariationWindow::changeLaneSelection(int lane)
{
    if (!m_lanes || readOnly())
        return;
    const QModelIndexList rows = m_laneGrid->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    int first = rows.front().row();
    int last = first;
    for (const QModelIndex& row : rows) {
        first = std::min(first, row.row());
        last = std::max(last, row.row());
    }
    m_lanes->changeSelection(first + 1, last + 1, lane);
    edited();
}

void VariationWindow::copyLanes()
{
    if (m_lanes)
        m_host.setClipboardText(m_lanes->copyText());
}

void VariationWindow::pasteLanes()
{
    if (!m_lanes || readOnly())
        return;
    const QModelIndex current = m_laneGrid->currentIndex();
    const int firstStep = current.isValid() ? current.row() + 1 : 1;
    const std::string message = m_lanes->paste(m_host.clipboardText(), firstStep, 1);
    if (!message.empty())
        m_host.dialogs().showMessage(message);
    edited();
}

void VariationWindow::writeBack()
{
    if (m_editor != nullptr)
        m_editor->writeBack();
}

void VariationWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || m_editor == nullptr)
        return;
    if (!isActiveWindow())
        writeBack();
    else
        // Another window may have loaded a variation, model or plant meanwhile.
        open(false);
}

void VariationWindow::hideEvent(QHideEvent* event)
{
    writeBack();
    QWidget::hideEvent(event);
}

} // namespace narv

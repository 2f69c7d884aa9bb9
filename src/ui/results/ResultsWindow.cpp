#include "ui/results/ResultsWindow.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "results/ChartFile.h"
#include "results/SeriesText.h"
#include "ui/DesktopFormat.h"
#include "ui/results/ChartWidget.h"
#include "ui/results/ResultsDialogs.h"

#include <QtCore/QBuffer>
#include <QtCore/QCoreApplication>
#include <QtCore/QTimer>
#include <QtGui/QClipboard>
#include <QtGui/QFontDatabase>
#include <QtGui/QGuiApplication>
#include <QtGui/QPainter>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtSvg/QSvgGenerator>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QVBoxLayout>

#include <algorithm>
#include <ostream>

namespace narv {
namespace {

const char* const kShowResults = "Show Results";
const char* const kChartFilter = "Chart files (*.tee)|*.TEE";
const char* const kDataFilter =
    "Data files (*.txt,*.prn,*.dat,*.?)|*.TXT;*.PRN;*.DAT;*.?| All files (*.*)|*.*";

struct ViewToggle {
    const char* caption;
    ViewOption option;
};

constexpr ViewToggle kViewToggles[] = {
    {"Legends", ViewOption::Legends},
    {"Titles", ViewOption::Titles},
    {"Bottom Axis Titles", ViewOption::BottomAxisTitles},
    {"Footnotes", ViewOption::Footnotes},
    {"Vertical Grid", ViewOption::VerticalGrid},
    {"Horizontal Grid", ViewOption::HorizontalGrid},
    {"Maximized for Tile ", ViewOption::MaximizedForTile},
};

bool viewOptionOn(const ResultViewOptions& view, ViewOption option)
{
    switch (option) {
    case ViewOption::MaximizedForTile:
        return view.MaximizedForTile;
    case ViewOption::Legends:
        return view.Legends;
    case ViewOption::Titles:
        return view.Titles;
    case ViewOption::BottomAxisTitles:
        return view.BottomAxisTitles;
    case ViewOption::Footnotes:
        return view.Footnotes;
    case ViewOption::VerticalGrid:
        return view.VerticalGrid;
    case ViewOption::HorizontalGrid:
        return view.HorizontalGrid;
    }
    return false;
}

std::tm systemLocalTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

ResultsWindow::ResultsWindow(TResultSet& results, UserDialogs& dialogs,
                             ResultsWindowContext context, QWidget* parent)
    : QMainWindow(parent), m_results(results), m_dialogs(dialogs), m_context(std::move(context))
{
    setObjectName(QStringLiteral("TFormShowPlots"));
    setWindowTitle(QString::fromLatin1(kShowResults));
    setAccessibleName(windowTitle());
    choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    localTime = systemLocalTime;

    m_area = new QWidget(this);
    m_area->setObjectName(QStringLiteral("ChartArea"));
    m_area->setAutoFillBackground(true);
    QPalette palette = m_area->palette();
    palette.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    m_area->setPalette(palette);
    m_prepareTimer = new QTimer(this);
    m_prepareTimer->setSingleShot(true);
    m_prepareTimer->setInterval(20);
    connect(m_prepareTimer, &QTimer::timeout, this, &ResultsWindow::prepareNextChart);
    m_grid = new QGridLayout(m_area);
    m_grid->setContentsMargins(2, 2, 2, 2);
    m_grid->setSpacing(2);
    setCentralWidget(m_area);
    buildMenus();
    resize(1000, 700);
    refresh();
}

ResultsWindow::~ResultsWindow()
{
    delete m_statisticsWindow;
}

void ResultsWindow::setSourceFile(const std::filesystem::path& path)
{
    m_fromFile = true;
    setWindowTitle(QStringLiteral("Results from File ") + ToQString(path));
    setAccessibleName(windowTitle());
    m_addChartMenu->setEnabled(false);
    m_addChartMenu->menuAction()->setEnabled(false);
}

std::filesystem::path ResultsWindow::projectDir() const
{
    return m_context.projectDir ? m_context.projectDir() : std::filesystem::path();
}

TChart& ResultsWindow::chartAt(int chart)
{
    CheckChartIndex(m_results, chart);
    return m_results.Charts[static_cast<std::size_t>(chart)];
}

// --- menus ----------------------------------------------------------------------------------

void ResultsWindow::buildMenus()
{
    m_singleMenu = menuBar()->addMenu(QStringLiteral("View Single Chart"));
    m_tileMenu = menuBar()->addMenu(QStringLiteral("Choose Charts for Tile"));
    m_addChartMenu = menuBar()->addMenu(QStringLiteral("Add Chart"));
    QMenu* options = menuBar()->addMenu(QStringLiteral("View Options"));
    m_menus = {{m_singleMenu->title(), m_singleMenu},
               {m_tileMenu->title(), m_tileMenu},
               {m_addChartMenu->title(), m_addChartMenu},
               {options->title(), options}};

    QAction* define = m_addChartMenu->addAction(QStringLiteral("Define New"));
    connect(define, &QAction::triggered, this, &ResultsWindow::defineNewChart);
    m_actions[define->text()] = define;

    for (const ViewToggle& toggle : kViewToggles) {
        if (toggle.option == ViewOption::MaximizedForTile)
            options->addSeparator();
        QAction* action = options->addAction(QString::fromLatin1(toggle.caption));
        action->setCheckable(true);
        const ViewOption option = toggle.option;
        connect(action, &QAction::triggered, this, [this, option] { toggleViewOption(option); });
        m_actions[action->text()] = action;
    }
}

void ResultsWindow::rebuildChartMenus()
{
    m_singleMenu->clear();
    m_tileMenu->clear();
    const std::vector<std::string>& captions = ChartCategoryCaptions();
    std::vector<QMenu*> single;
    std::vector<QMenu*> tiled;
    for (const std::string& caption : captions) {
        single.push_back(m_singleMenu->addMenu(ToQString(caption)));
        tiled.push_back(m_tileMenu->addMenu(ToQString(caption)));
    }
    for (const int chart : MenuOrder(m_results)) {
        const TChart& each = m_results.Charts[static_cast<std::size_t>(chart)];
        const auto category = static_cast<std::size_t>(each.Category);
        if (category >= captions.size())
            continue;
        // Titles may hold "&": it is no accelerator here.
        const QString title = ToQString(each.Title).replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* show = single[category]->addAction(title);
        connect(show, &QAction::triggered, this,
                [this, chart] { guarded([&] { showChart(chart); }); });
        QAction* check = tiled[category]->addAction(title);
        check->setCheckable(true);
        check->setChecked(IsChartChecked(m_results, chart));
        connect(check, &QAction::toggled, this,
                [this, chart](bool on) { guarded([&] { setChartChecked(chart, on); }); });
    }
    for (std::size_t i = 0; i < captions.size(); ++i) {
        single[i]->setEnabled(!single[i]->isEmpty());
        tiled[i]->setEnabled(!tiled[i]->isEmpty());
    }
    m_tileMenu->addSeparator();
    QAction* tileNow = m_tileMenu->addAction(QStringLiteral("Tile Checked Charts"));
    connect(tileNow, &QAction::triggered, this, [this] { tile(); });
    m_actions[tileNow->text()] = tileNow;

    for (const ViewToggle& toggle : kViewToggles)
        m_actions[QString::fromLatin1(toggle.caption)]->setChecked(
            viewOptionOn(m_results.View, toggle.option));
}

QMenu* ResultsWindow::menu(const QString& caption) const
{
    if (const auto found = m_menus.find(caption); found != m_menus.end())
        return found->second;
    for (QMenu* top : {m_singleMenu, m_tileMenu})
        for (QAction* entry : top->actions())
            if (entry->menu() != nullptr &&
                top->title() + QLatin1Char('/') + entry->text() == caption)
                return entry->menu();
    return nullptr;
}

QAction* ResultsWindow::action(const QString& caption) const
{
    const auto found = m_actions.find(caption);
    return found == m_actions.end() ? nullptr : found->second;
}

// --- views ----------------------------------------------------------------------------------

void ResultsWindow::refresh()
{
    // The run's series may have new points under the same series objects.
    forgetCharts();
    rebuildChartMenus();
    if (m_results.TileMode) {
        try {
            TileCharts(m_results);
        } catch (const RangeError&) {
            m_results.TileMode = false; // the checked charts went with the run's charts
        }
    }
    if (!m_results.TileMode) {
        const int chart = ChartToShow(m_results);
        if (chart >= 0)
            m_results.CurrentChart = chart;
    }
    rebuildView();
}

void ResultsWindow::present()
{
    if (m_results.TileMode && m_results.View.MaximizedForTile)
        showMaximized();
    else
        show();
    raise();
    activateWindow();
}

void ResultsWindow::rebuildView()
{
    std::vector<int> charts;
    int columns = 1;
    if (m_results.TileMode) {
        const TileLayout layout = TileCharts(m_results);
        for (const TileCell& cell : layout.Cells)
            charts.push_back(cell.Chart);
        columns = layout.Grid.Columns;
    } else if (const int chart = m_results.CurrentChart;
               chart >= 0 && static_cast<std::size_t>(chart) < m_results.Charts.size()) {
        charts.push_back(chart);
    }
    // The same charts in the same cells: only the charts that changed are drawn again.
    if (charts == m_layoutCharts && columns == m_layoutColumns && m_shown.size() == charts.size()) {
        for (const int chart : charts)
            m_shown[chart]->setChart(chart, m_results.Charts[static_cast<std::size_t>(chart)]);
        return;
    }
    layoutCharts(charts, columns);
}

void ResultsWindow::prepareCheckedCharts()
{
    if (!m_prepareTimer->isActive())
        m_prepareTimer->start();
}

void ResultsWindow::prepareNextChart()
{
    // One chart per pass of the event loop, so that the window keeps answering meanwhile.
    for (const int chart : m_results.CheckedCharts)
        if (chart >= 0 && static_cast<std::size_t>(chart) < m_results.Charts.size() &&
            m_built.find(chart) == m_built.end()) {
            widgetFor(chart); // hidden until the tile shows it
            m_prepareTimer->start();
            return;
        }
}

void ResultsWindow::forgetCharts()
{
    // Later: the widget being replaced may be the one whose signal led here.
    for (auto& [chart, widget] : m_built) {
        m_grid->removeWidget(widget);
        widget->hide();
        widget->deleteLater();
    }
    m_built.clear();
    m_shown.clear();
    m_layoutCharts.clear();
}

ChartWidget* ResultsWindow::widgetFor(int chart)
{
    const TChart& model = m_results.Charts[static_cast<std::size_t>(chart)];
    if (const auto found = m_built.find(chart); found != m_built.end()) {
        found->second->setChart(chart, model);
        return found->second;
    }
    auto* widget = new ChartWidget(chart, model, m_area);
    connect(widget, &ChartWidget::partClicked, this,
            [this, widget](int index, ChartPart part, int series, Qt::KeyboardModifiers modifiers,
                           QPoint position) {
                ClickModifier modifier = ClickModifier::None;
                if (modifiers & Qt::ShiftModifier)
                    modifier = ClickModifier::Shift;
                else if (modifiers & Qt::ControlModifier)
                    modifier = ClickModifier::Ctrl;
                guarded([&] {
                    clickPart(index, part, series, modifier, widget->leftAxisValueAt(position),
                              widget->shownLeftAxis());
                });
            });
    connect(widget, &ChartWidget::legendEntryClicked, this,
            [this](int index, int series) { guarded([&] { toggleSeries(index, series); }); });
    connect(widget, &ChartWidget::doubleClicked, this,
            [this](int index) { guarded([&] { toggleView(index); }); });
    connect(widget, &ChartWidget::contextMenuRequested, this,
            [this](int index, QPoint at) { guarded([&] { showPopup(index, at); }); });
    connect(widget, &ChartWidget::zoomRequested, this,
            [this](int index, double bottomMinimum, double bottomMaximum, double leftMinimum,
                   double leftMaximum) {
                guarded([&] {
                    if (ZoomChart(chartAt(index), {bottomMinimum, bottomMaximum},
                                  {leftMinimum, leftMaximum}))
                        rebuildView();
                });
            });
    connect(widget, &ChartWidget::zoomUndone, this,
            [this](int index) { runChartCommand(QStringLiteral("Undo Zoom"), index); });
    m_built[chart] = widget;
    return widget;
}

void ResultsWindow::layoutCharts(const std::vector<int>& charts, int columns)
{
    for (auto& [chart, widget] : m_shown) {
        m_grid->removeWidget(widget);
        if (std::find(charts.begin(), charts.end(), chart) == charts.end())
            widget->hide();
    }
    m_shown.clear();
    // Equal cells: stretch every row and column of the grid, also empty ones.
    for (int i = 0; i < m_grid->rowCount(); ++i)
        m_grid->setRowStretch(i, 0);
    for (int i = 0; i < m_grid->columnCount(); ++i)
        m_grid->setColumnStretch(i, 0);
    const int rows = charts.empty() ? 1 : static_cast<int>((charts.size() + columns - 1) / columns);
    const TileGrid grid =
        charts.size() > 1 ? TileGridFor(static_cast<int>(charts.size())) : TileGrid{1, 1};
    for (int row = 0; row < std::max(rows, grid.Rows); ++row)
        m_grid->setRowStretch(row, 1);
    for (int column = 0; column < columns; ++column)
        m_grid->setColumnStretch(column, 1);

    for (std::size_t k = 0; k < charts.size(); ++k) {
        const int chart = charts[k];
        ChartWidget* widget = widgetFor(chart);
        const int position = static_cast<int>(k);
        m_grid->addWidget(widget, position / columns, position % columns);
        m_shown[chart] = widget;
    }
    m_layoutCharts = charts;
    m_layoutColumns = columns;
    // Every chart gets its cell before any shows: shown one by one, each would lay out the
    // grid, and the charts shown before it would be laid out again at a passing size.
    m_grid->activate();
    for (const auto& [chart, widget] : m_shown)
        widget->show(); // at once, not when the layout gets to it
    prepareCheckedCharts();
    // Qt Charts lays out axes, labels and series in posted events, and every round of them
    // drew the charts once more; laid out here, the first picture of each chart is its last.
    for (int round = 0; round < 2; ++round)
        for (const auto& [chart, widget] : m_shown) {
            QCoreApplication::sendPostedEvents(widget->chart(), QEvent::LayoutRequest);
            QCoreApplication::sendPostedEvents(widget->view()->scene(), QEvent::MetaCall);
        }
}

std::vector<int> ResultsWindow::shownCharts() const
{
    std::vector<std::pair<int, int>> placed;
    for (const auto& [chart, widget] : m_shown) {
        const int index = m_grid->indexOf(widget);
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        m_grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        placed.emplace_back(row * 100 + column, chart);
    }
    std::sort(placed.begin(), placed.end());
    std::vector<int> charts;
    for (const auto& [position, chart] : placed)
        charts.push_back(chart);
    return charts;
}

ChartWidget* ResultsWindow::chartWidget(int chart) const
{
    const auto found = m_shown.find(chart);
    return found == m_shown.end() ? nullptr : found->second;
}

void ResultsWindow::showChart(int chart)
{
    ShowSingleChart(m_results, chart);
    rebuildView();
}

bool ResultsWindow::tile()
{
    try {
        TileCharts(m_results);
    } catch (const RangeError& refused) {
        m_dialogs.showMessage(refused.what());
        return false;
    }
    if (m_results.View.MaximizedForTile && isVisible())
        showMaximized();
    rebuildView();
    return true;
}

void ResultsWindow::toggleView(int chart)
{
    if (m_results.TileMode)
        showChart(chart);
    else
        tile();
}

void ResultsWindow::setChartChecked(int chart, bool checked)
{
    if (IsChartChecked(m_results, chart) == checked)
        return;
    SetChartChecked(m_results, chart, checked);
    if (m_results.TileMode)
        tile();
    else
        prepareCheckedCharts();
}

void ResultsWindow::toggleViewOption(ViewOption option)
{
    ToggleViewOption(m_results, option);
    for (const ViewToggle& toggle : kViewToggles)
        m_actions[QString::fromLatin1(toggle.caption)]->setChecked(
            viewOptionOn(m_results.View, toggle.option));
    if (option != ViewOption::MaximizedForTile)
        rebuildView();
}

void ResultsWindow::chartsChanged()
{
    forgetCharts();
    rebuildChartMenus();
    rebuildView();
}

// --- "Add Chart" ----------------------------------------------------------------------------

void ResultsWindow::defineNewChart()
{
    if (m_fromFile)
        return;
    ChooseSeriesDialog dialog(m_results, m_dialogs, m_context.chartSetup, this);
    dialog.exec();
    forgetCharts(); // charts may have gone and others moved down
    rebuildChartMenus();
    if (m_results.TileMode)
        tile();
    else
        rebuildView();
}

// --- popup menu -----------------------------------------------------------------------------

const QStringList& ResultsWindow::popupCaptions()
{
    static const QStringList captions = {
        QStringLiteral("Legend"),
        QStringLiteral("Undo Zoom"),
        QStringLiteral("Copy Chart to Clipboard"),
        QStringLiteral("Print Chart"),
        QStringLiteral("Edit Chart"),
        QStringLiteral("Time Series Statistics"),
        QStringLiteral("Copy Series to Clipboard"),
        QStringLiteral("Load Series from File"),
        QStringLiteral("Save as Chart"),
        QStringLiteral("Save Checked Charts"),
        QStringLiteral("Load  from File"),
        QStringLiteral("Load as Template"),
        QStringLiteral("Save as Metafile"),
    };
    return captions;
}

void ResultsWindow::showPopup(int chart, const QPoint& globalPosition)
{
    QMenu popup(this);
    popup.setObjectName(QStringLiteral("ChartPopup"));
    for (const QString& caption : popupCaptions()) {
        if (caption == QStringLiteral("Time Series Statistics") ||
            caption == QStringLiteral("Save as Chart") ||
            caption == QStringLiteral("Load  from File"))
            popup.addSeparator();
        QAction* entry = popup.addAction(caption);
        if (caption == QStringLiteral("Legend")) {
            entry->setCheckable(true);
            entry->setChecked(chartAt(chart).LegendVisible);
        }
        connect(entry, &QAction::triggered, this,
                [this, caption, chart] { runChartCommand(caption, chart); });
    }
    popup.exec(globalPosition);
}

template <class Action> void ResultsWindow::guarded(Action&& action)
{
    try {
        action();
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
    }
}

void ResultsWindow::runChartCommand(const QString& caption, int chart)
{
    try {
        TChart& target = chartAt(chart);
        if (caption == QStringLiteral("Legend")) {
            ToggleLegend(target);
            rebuildView();
        } else if (caption == QStringLiteral("Undo Zoom")) {
            UndoZoom(target);
            rebuildView();
        } else if (caption == QStringLiteral("Copy Chart to Clipboard")) {
            QGuiApplication::clipboard()->setPixmap(chartPicture(chart));
        } else if (caption == QStringLiteral("Print Chart")) {
            printChart(chart);
        } else if (caption == QStringLiteral("Edit Chart")) {
            editChart(chart);
        } else if (caption == QStringLiteral("Time Series Statistics")) {
            showStatistics(chart);
        } else if (caption == QStringLiteral("Copy Series to Clipboard")) {
            QGuiApplication::clipboard()->setText(QString::fromStdString(CopySeriesAsText(target)));
        } else if (caption == QStringLiteral("Load Series from File")) {
            // Each file is read on its own: a bad one is reported, the others still load.
            for (const auto& path : m_dialogs.chooseOpenFiles({kDataFilter, "", projectDir(), ""}))
                guarded([&] { LoadSeriesFromFile(m_results, chart, path); });
            rebuildView();
        } else if (caption == QStringLiteral("Save as Chart")) {
            const auto path = m_dialogs.chooseSaveFile(
                {kChartFilter, "TEE", projectDir(), ProposedChartFileName(m_results, target)});
            if (path)
                SaveChartAs(m_results, chart, *path, localTime());
        } else if (caption == QStringLiteral("Save Checked Charts")) {
            SaveCheckedCharts(m_results, projectDir(), localTime());
        } else if (caption == QStringLiteral("Load  from File") ||
                   caption == QStringLiteral("Load as Template")) {
            int loaded = -1;
            for (const auto& path :
                 m_dialogs.chooseOpenFiles({kChartFilter, "TEE", projectDir(), ""}))
                guarded([&] {
                    loaded = caption == QStringLiteral("Load as Template")
                                 ? LoadTemplateFromFile(m_results, path)
                                 : LoadChartFromFile(m_results, path);
                });
            rebuildChartMenus();
            if (loaded >= 0)
                showChart(loaded);
        } else if (caption == QStringLiteral("Save as Metafile")) {
            saveAsMetafile(chart);
        }
    } catch (const Error& error) {
        m_dialogs.showError(error.what());
    }
}

QPixmap ResultsWindow::chartPicture(int chart)
{
    // Drawn apart from the window: without legend check boxes, and without the legend when a
    // single series shows.
    const TChart plain = ChartForCopy(chartAt(chart));
    QSize size(900, 600);
    if (ChartWidget* shown = chartWidget(chart); shown != nullptr && shown->isVisible())
        size = shown->size();
    ChartWidget picture(chart, plain, nullptr, false);
    picture.resize(size);
    picture.ensurePolished();
    picture.layout()->activate();
    return picture.picture();
}

void ResultsWindow::printChart(int chart)
{
    if (m_results.TileMode) {
        QGuiApplication::clipboard()->setPixmap(m_area->grab());
        m_dialogs.showMessage(kTilePrintMessage);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!choosePrinter(printer))
        return;
    const QPixmap picture = chartPicture(chart);
    QPainter painter;
    if (!painter.begin(&printer))
        throw IoError("The chart could not be printed: the printer did not start.");
    const QRect page = painter.viewport();
    QSize size = picture.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(picture.rect());
    painter.drawPixmap(0, 0, picture);
    painter.end();
}

void ResultsWindow::saveAsMetafile(int chart)
{
    const TChart& target = chartAt(chart);
    const std::filesystem::path file = projectDir() / MetafileName(m_results, target);
    const TChart plain = ChartForCopy(target);
    ChartWidget picture(chart, plain, nullptr, false);
    QSize size(900, 600);
    if (ChartWidget* shown = chartWidget(chart); shown != nullptr && shown->isVisible())
        size = shown->size();
    picture.resize(size);
    picture.layout()->activate();

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(ToQString(target.Title));
    {
        QPainter painter(&generator);
        picture.render(&painter);
    }
    const QByteArray svg = buffer.data();
    writeFileAtomically(file, [&](std::ostream& out) {
        out.write(svg.constData(), static_cast<std::streamsize>(svg.size()));
    });
}

void ResultsWindow::editChart(int chart)
{
    ChartEditorDialog editor(chartAt(chart), m_dialogs, this);
    if (editor.exec() == QDialog::Accepted)
        chartsChanged();
}

void ResultsWindow::showStatistics(int chart)
{
    const std::vector<std::string> lines = SeriesStatistics(m_results, chartAt(chart));
    QString text;
    for (const std::string& line : lines)
        text += ToQString(line) + QLatin1Char('\n');
    if (m_statisticsWindow == nullptr) {
        m_statisticsWindow = new QWidget(nullptr, Qt::Window);
        m_statisticsWindow->setObjectName(QStringLiteral("TFormStatistics"));
        m_statisticsWindow->setWindowTitle(QStringLiteral("Time Series Statistics"));
        m_statisticsWindow->setAccessibleName(m_statisticsWindow->windowTitle());
        m_statistics = new QPlainTextEdit(m_statisticsWindow);
        m_statistics->setObjectName(QStringLiteral("Memo"));
        m_statistics->setAccessibleName(QStringLiteral("Time Series Statistics"));
        m_statistics->setReadOnly(true);
        m_statistics->setLineWrapMode(QPlainTextEdit::NoWrap);
        QFont font(QStringLiteral("Courier New"));
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
        m_statistics->setFont(font);
        // Tab stops every 12 characters keep the columns aligned: no field is wider.
        m_statistics->setTabStopDistance(
            QFontMetricsF(m_statistics->font()).horizontalAdvance(QLatin1Char('0')) * 12);
        auto* layout = new QVBoxLayout(m_statisticsWindow);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_statistics);
        m_statisticsWindow->resize(820, 360);
    }
    m_statistics->setPlainText(text);
    m_statisticsWindow->show();
    m_statisticsWindow->raise();
}

// --- mouse ----------------------------------------------------------------------------------

void ResultsWindow::clickPart(int chart, ChartPart part, int series, ClickModifier modifier,
                              double value, const ShownRange& shown)
{
    TChart& target = chartAt(chart);
    switch (ClickAction(part, modifier)) {
    case ChartClickAction::None:
        return;
    case ChartClickAction::ShowSeriesExtremes:
        if (series >= 0 && static_cast<std::size_t>(series) < target.Series.size() &&
            target.Series[static_cast<std::size_t>(series)])
            m_dialogs.showMessage(
                SeriesExtremesMessage(*target.Series[static_cast<std::size_t>(series)]));
        return;
    case ChartClickAction::AskCaption: {
        const CaptionQuestion question = CaptionQuestionFor(target, part);
        const std::optional<std::string> answer =
            m_dialogs.askText(question.caption, question.prompt, question.current);
        if (!answer)
            return;
        SetCaption(target, part, *answer);
        if (part == ChartPart::Title)
            rebuildChartMenus();
        rebuildView();
        return;
    }
    case ChartClickAction::SetAxisMaximum:
        if (ApplyAxisMaximumClick(target.LeftAxis, shown, value))
            rebuildView();
        return;
    case ChartClickAction::SetAxisMinimum:
        if (ApplyAxisMinimumClick(target.LeftAxis, shown, value))
            rebuildView();
        return;
    }
}

void ResultsWindow::toggleSeries(int chart, int series)
{
    TChart& target = chartAt(chart);
    if (series < 0 || static_cast<std::size_t>(series) >= target.Series.size() ||
        !target.Series[static_cast<std::size_t>(series)])
        return;
    TResultSeries& toggled = *target.Series[static_cast<std::size_t>(series)];
    toggled.Active = !toggled.Active;
    rebuildView();
}

} // namespace narv

#include "ui/results/ResultsWindow.h"
#include "RecordingDialogs.h"
#include "SampleRun.h"
#include "results/ChartFile.h"
#include "results/ChartModel.h"
#include "results/ResultsFile.h"
#include "render/QtChart.h"
#include "results/SeriesText.h"
#include "ui/DesktopFormat.h"
#include "ui/results/ChartWidget.h"
#include "ui/results/ResultsDialogs.h"

#include <QtCharts/QXYSeries>
#include <QtCore/QTemporaryDir>
#include <QtWidgets/QGraphicsTextItem>
#include <QtGui/QAccessible>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtPrintSupport/QPrinter>
#include <QtTest/QtTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableView>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace narv;
using narv::test::RecordingDialogs;
namespace fs = std::filesystem;

namespace {

// The results of runs of a two-reactor plant with a clarifier layer (15 run charts), and a
// window over them.
struct Runs {
    QTemporaryDir dir;
    TModelDef model = testing::MakeFourProcessModel();
    TPlantDef plant = testing::MakeCascade(2, 1, 10.0);
    RunChartContext context = MakeRunChartContext(model, plant);
    TResultSet results;
    RecordingDialogs dialogs;
    std::unique_ptr<ResultsWindow> window;

    Runs()
    {
        context.Setup.ProjectName = "Proj1";
        run(1.0);
        window = std::make_unique<ResultsWindow>(results, dialogs, windowContext());
        window->resize(1000, 700);
    }
    ResultsWindowContext windowContext() const
    {
        ResultsWindowContext windowContext;
        const fs::path project = projectDir();
        windowContext.projectDir = [project] { return project; };
        const ChartSetup setup = this->context.Setup;
        windowContext.chartSetup = [setup] { return setup; };
        return windowContext;
    }
    fs::path projectDir() const { return ToPath(dir.path()); }
    void run(double level)
    {
        RemoveRunCharts(results);
        testing::RecordSampleRun(results, model, plant, 5, level);
        results.RunStart = "01.02.2024 03:04:05";
        results.RunId = " 20240201030405";
        BuildRunCharts(results, context);
        if (window)
            window->refresh();
    }
    QString lastMessage() const
    {
        return dialogs.messages.empty() ? QString() : ToQString(dialogs.messages.back());
    }
};

QStringList entries(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text();
    return texts;
}

void checkCharts(TResultSet& results, int count)
{
    results.CheckedCharts.clear();
    for (int chart = 0; chart < count; ++chart)
        SetChartChecked(results, chart, true);
}

void checkAccessibleNames(QWidget* window)
{
    window->show();
    QVERIFY(!window->windowTitle().isEmpty());
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const bool interactive = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                 qobject_cast<QLineEdit*>(control) != nullptr ||
                                 qobject_cast<QAbstractItemView*>(control) != nullptr ||
                                 qobject_cast<QLabel*>(control) != nullptr ||
                                 qobject_cast<ChartWidget*>(control) != nullptr;
        if (!interactive || !control->isVisibleTo(window))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible != nullptr);
        const QString where = window->windowTitle() + ": " + control->metaObject()->className() +
                              " " + control->objectName();
        QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(where));
    }
}

} // namespace

class ResultsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void menusListTheChartsByCategory();
    void viewsSwitchBetweenSingleChartAndTile();
    void tilingIsRefusedForNoneOrTooManyCharts();
    void viewOptionsToggleEveryChart();
    void statisticsShowTheTextOfTheChart();
    void savingAndLoadingKeepsEveryProperty();
    void aUserChartFollowsASecondRun();
    void chartFilesLoadAsChartsAndTemplates();
    void clicksAskForCaptionsAndSetTheAxis();
    void theMouseOnAChartClicksAndTogglesTheView();
    void aRubberBandZoomsTheChartModelAndSurvivesRedraws();
    void longLinesAreDrawnWithThePointsThePixelsNeed();
    void everyTickOfAnAxisHasItsLabel();
    void legendCheckBoxesShowAndHideSeries();
    void theChartEditorAppliesOrNamesTheBadEntry();
    void printingCopyingAndPictures();
    void seriesComeFromDataFilesAndGoToTheClipboard();
    void everyControlHasAnAccessibleName();
};

void ResultsWindowTest::menusListTheChartsByCategory()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    QCOMPARE(window.windowTitle(), QString("Show Results"));
    QCOMPARE(window.objectName(), QString("TFormShowPlots"));
    QCOMPARE(entries(window.menu("View Single Chart")),
             QStringList({"Flow Rates", "Dissolved Species", "Particulate Species", "Process Rates",
                          "Others", "User defined", "Loaded from File"}));
    QCOMPARE(entries(window.menu("View Single Chart/Flow Rates")),
             QStringList({"Flow Rates", "Dx: Excess sludge removal"}));
    QCOMPARE(entries(window.menu("View Single Chart/Process Rates")),
             QStringList({"Growth of biomass of all reactors", "Decay of all reactors",
                          "Hydrolysis of all reactors"}));
    QVERIFY(!window.menu("View Single Chart/User defined")->isEnabled());
    QCOMPARE(entries(window.menu("View Options")),
             QStringList({"Legends", "Titles", "Bottom Axis Titles", "Footnotes", "Vertical Grid",
                          "Horizontal Grid", "Maximized for Tile "}));
    for (const QString& option : entries(window.menu("View Options")))
        QVERIFY(window.action(option)->isChecked());
    QCOMPARE(entries(window.menu("Add Chart")), QStringList({"Define New"}));
    QVERIFY(window.menu("Add Chart")->isEnabled());

    // The first run chart is shown; choosing an entry shows that chart alone.
    QCOMPARE(window.shownCharts(), std::vector<int>({0}));
    window.menu("View Single Chart/Others")->actions().at(1)->trigger();
    QCOMPARE(window.shownCharts(), std::vector<int>({13}));
    QCOMPARE(runs.results.CurrentChart, 13);
}

void ResultsWindowTest::viewsSwitchBetweenSingleChartAndTile()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    runs.results.View.MaximizedForTile = false;
    QAction* decay = window.menu("Choose Charts for Tile/Process Rates")->actions().at(1);
    QAction* flows = window.menu("Choose Charts for Tile/Flow Rates")->actions().at(0);
    QVERIFY(decay->isCheckable());
    decay->setChecked(true);
    flows->setChecked(true);
    QCOMPARE(runs.results.CheckedCharts.size(), std::size_t(2));
    QVERIFY(!runs.results.TileMode);

    window.action("Tile Checked Charts")->trigger();
    QVERIFY(runs.results.TileMode);
    QCOMPARE(window.shownCharts(), std::vector<int>({0, 10})); // menu order, row by row

    // While tiled, checking another chart tiles again at once.
    window.menu("Choose Charts for Tile/Others")->actions().at(0)->setChecked(true);
    QCOMPARE(window.shownCharts(), std::vector<int>({0, 10, 12}));

    // A double click toggles: the chart alone, then the tile again.
    window.toggleView(10);
    QVERIFY(!runs.results.TileMode);
    QCOMPARE(window.shownCharts(), std::vector<int>({10}));
    window.toggleView(10);
    QCOMPARE(window.shownCharts(), std::vector<int>({0, 10, 12}));

    // 13 charts: four columns, the cells filled row by row.
    checkCharts(runs.results, 13);
    window.show();
    QVERIFY(window.tile());
    window.centralWidget()->layout()->activate();
    QCOMPARE(window.shownCharts().size(), std::size_t(13));
    ChartWidget* fifth = window.chartWidget(window.shownCharts()[4]);
    ChartWidget* first = window.chartWidget(window.shownCharts()[0]);
    QVERIFY(fifth->geometry().top() > first->geometry().top());
    QCOMPARE(fifth->geometry().left(), first->geometry().left());
}

void ResultsWindowTest::tilingIsRefusedForNoneOrTooManyCharts()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    // 21 charts: the run's 15 and 6 user charts.
    for (int i = 0; i < 6; ++i)
        AddUserChart(runs.results, "User " + std::to_string(i), runs.context.Setup);
    window.refresh();
    checkCharts(runs.results, 21);
    QVERIFY(!window.tile());
    QCOMPARE(runs.lastMessage(), QString("Tile not possible. Too many charts!"));
    QVERIFY(!runs.results.TileMode);
    QCOMPARE(window.shownCharts(), std::vector<int>({0}));

    runs.results.CheckedCharts.clear();
    QVERIFY(!window.tile());
    QCOMPARE(runs.lastMessage(), QString("No Charts selected for Tile!"));
    QCOMPARE(window.shownCharts(), std::vector<int>({0}));

    // Refused while tiled: the tile stays as it was.
    checkCharts(runs.results, 20);
    QVERIFY(window.tile());
    QCOMPARE(window.shownCharts().size(), std::size_t(20));
    SetChartChecked(runs.results, 20, true);
    QVERIFY(!window.tile());
    QVERIFY(runs.results.TileMode);
    QCOMPARE(window.shownCharts().size(), std::size_t(20));
}

void ResultsWindowTest::viewOptionsToggleEveryChart()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    window.action("Legends")->trigger();
    window.action("Horizontal Grid")->trigger();
    window.action("Footnotes")->trigger();
    QVERIFY(!window.action("Legends")->isChecked());
    for (const TChart& chart : runs.results.Charts) {
        QVERIFY(!chart.LegendVisible);
        QVERIFY(!chart.LeftAxis.GridVisible);
        QVERIFY(chart.BottomAxis.GridVisible);
        QVERIFY(!chart.FootnoteVisible);
    }
    ChartWidget* shown = window.chartWidget(0);
    QVERIFY(!shown->legend()->isVisibleTo(shown));
    QVERIFY(!shown->footnote()->isVisibleTo(shown));

    // The popup's "Legend" acts on its chart only.
    window.runChartCommand("Legend", 0);
    QVERIFY(runs.results.Charts[0].LegendVisible);
    QVERIFY(!runs.results.Charts[1].LegendVisible);
    QVERIFY(window.chartWidget(0)->legend()->isVisibleTo(window.chartWidget(0)));
}

void ResultsWindowTest::statisticsShowTheTextOfTheChart()
{
    Runs runs;
    const int chart = 4; // the first dissolved species in every compartment
    runs.window->runChartCommand("Time Series Statistics", chart);
    QPlainTextEdit* text = runs.window->statisticsText();
    QVERIFY(text != nullptr);
    QCOMPARE(text->window()->windowTitle(), QString("Time Series Statistics"));
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->font().family(), QString("Courier New"));
    const std::vector<std::string> lines = SeriesStatistics(runs.results, runs.results.Charts[4]);
    QStringList expected;
    for (const std::string& line : lines)
        expected << QString::fromStdString(line);
    QCOMPARE(text->toPlainText(), expected.join('\n') + '\n');
    // Concentrations of a run have a load mean: five tab-separated fields after the title.
    QCOMPARE(expected.at(1).count('\t'), 4);
}

void ResultsWindowTest::savingAndLoadingKeepsEveryProperty()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    runs.results.View.MaximizedForTile = false;
    AddUserChart(runs.results, "Mine", runs.context.Setup);
    AddSeriesToChart(runs.results, 15, {10, 11});
    window.refresh();
    SetChartChecked(runs.results, 15, true);
    SetChartChecked(runs.results, 2, true);
    SetChartChecked(runs.results, 9, true);
    window.action("Titles")->trigger();
    window.action("Vertical Grid")->trigger();
    QVERIFY(window.tile());
    const fs::path file = runs.projectDir() / "saved.rlt";
    SaveResultsFile(file, runs.results);

    TResultSet loaded;
    LoadResultsFile(file, loaded);
    ResultsWindow fromFile(loaded, runs.dialogs, runs.windowContext());
    fromFile.setSourceFile(file);
    QCOMPARE(fromFile.windowTitle(), "Results from File " + ToQString(file));
    QVERIFY(!fromFile.menu("Add Chart")->isEnabled());
    QVERIFY(fromFile.fromFile());
    QVERIFY(loaded.TileMode);
    QCOMPARE(fromFile.shownCharts(), window.shownCharts());
    QCOMPARE(loaded.CheckedCharts, runs.results.CheckedCharts);
    QVERIFY(loaded.View == runs.results.View);
    for (const QString& option : entries(window.menu("View Options")))
        QCOMPARE(fromFile.action(option)->isChecked(), window.action(option)->isChecked());
    QCOMPARE(entries(fromFile.menu("View Single Chart/User defined")), QStringList({"Mine"}));
    QCOMPARE(loaded.Charts[15].Series.size(), std::size_t(2));
    QCOMPARE(loaded.Charts[15].Series[1]->Points, runs.results.Series[11]->Points);

    // Loading never touches the main window's results; showing a single chart of the loaded
    // window changes only the loaded set.
    fromFile.showChart(3);
    QCOMPARE(loaded.CurrentChart, 3);
    QVERIFY(runs.results.TileMode);
}

void ResultsWindowTest::aUserChartFollowsASecondRun()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    ChooseSeriesDialog choose(runs.results, runs.dialogs, runs.windowContext().chartSetup);
    QCOMPARE(choose.windowTitle(), QString("Choose Series to show"));
    QCOMPARE(choose.charts()->count(), 15);
    choose.selectChart(0);
    QVERIFY(!choose.button("Add Series")->isEnabled()); // a run chart
    QVERIFY(!choose.button("Remove Chart")->isEnabled());

    runs.dialogs.texts.push_back(std::string()); // an empty title cancels
    choose.addChart();
    QCOMPARE(choose.charts()->count(), 15);
    runs.dialogs.texts.push_back(std::string("Oxygen"));
    choose.addChart();
    QCOMPARE(runs.dialogs.questions.back(), std::string("Please enter a title for the new chart:"));
    QCOMPARE(choose.selectedChart(), 15);
    QVERIFY(choose.button("Add Series")->isEnabled());
    std::vector<int> offered;
    choose.chooseSeries = [&](const std::vector<int>& series) {
        offered = series;
        return std::optional<std::vector<int>>(std::vector<int>{10, 20});
    };
    choose.addSeries();
    QCOMPARE(offered, SelectableSeries(runs.results));
    QCOMPARE(choose.series()->count(), 2);
    // Ticking a chart on the left checks it for the tile.
    choose.charts()->item(15)->setCheckState(Qt::Checked);
    QVERIFY(IsChartChecked(runs.results, 15));
    window.refresh();
    QCOMPARE(entries(window.menu("View Single Chart/User defined")), QStringList({"Oxygen"}));

    // The second run: the user chart moves to index 0 and holds the new run's points.
    runs.run(7.0);
    QCOMPARE(runs.results.Charts[0].Title, std::string("Oxygen"));
    QCOMPARE(runs.results.FirstAutoChart, 1);
    const TChart& user = runs.results.Charts[0];
    QCOMPARE(user.Series.size(), std::size_t(2));
    for (const SeriesPointer& series : user.Series) {
        bool found = false;
        for (const SeriesPointer& run : runs.results.Series)
            if (run && run->Title == series->Title) {
                QCOMPARE(series->Points, run->Points);
                found = true;
            }
        QVERIFY(found);
    }
    QCOMPARE(entries(window.menu("View Single Chart/User defined")), QStringList({"Oxygen"}));
    window.showChart(0);
    QCOMPARE(window.chartWidget(0)->chart()->series().size(), 2);

    // "Select Series": OK only with a selection.
    SelectSeriesDialog select(runs.results, SelectableSeries(runs.results));
    QCOMPARE(select.windowTitle(), QString("Select Series"));
    QVERIFY(!select.okButton()->isEnabled());
    select.list()->item(2)->setSelected(true);
    QVERIFY(select.okButton()->isEnabled());
    QCOMPARE(select.selected(), std::vector<int>({SelectableSeries(runs.results)[2]}));
    SelectSeriesDialog none(runs.results, {});
    QVERIFY(!none.okButton()->isEnabled());
}

void ResultsWindowTest::chartFilesLoadAsChartsAndTemplates()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    const fs::path file = runs.projectDir() / "speciesA.tee";
    runs.dialogs.paths.push_back(file);
    window.runChartCommand("Save as Chart", 4);
    QCOMPARE(runs.dialogs.fileDialogs.back().filter, std::string("Chart files (*.tee)|*.TEE"));
    QCOMPARE(runs.dialogs.fileDialogs.back().fileName,
             ProposedChartFileName(runs.results, runs.results.Charts[4]));
    QVERIFY(fs::exists(file));

    runs.dialogs.paths.push_back(file);
    window.runChartCommand("Load  from File", 0);
    QCOMPARE(runs.results.Charts.size(), std::size_t(16));
    QCOMPARE(runs.results.Charts[15].Title, runs.results.Charts[4].Title + " (from File)");
    QCOMPARE(window.shownCharts(), std::vector<int>({15}));
    QCOMPARE(entries(window.menu("View Single Chart/Loaded from File")).size(), 1);

    // A template follows the current run: its series take the points of the run's series of
    // the same title, also after the next run.
    runs.dialogs.paths.push_back(file);
    window.runChartCommand("Load as Template", 0);
    QCOMPARE(runs.results.Charts.size(), std::size_t(17));
    const TChart& templ = runs.results.Charts[16];
    QCOMPARE(templ.Title, runs.results.Charts[4].Title);
    QCOMPARE(templ.Category, ChartCategory::UserDefined);
    QCOMPARE(entries(window.menu("View Single Chart/User defined")),
             QStringList({ToQString(templ.Title)}));
    runs.run(3.0);
    const TChart& refilled = runs.results.Charts[1]; // user charts go before the run's
    QCOMPARE(refilled.Category, ChartCategory::UserDefined);
    const TChart& species = runs.results.Charts[runs.results.FirstAutoChart + 4];
    QCOMPARE(refilled.Series.size(), species.Series.size());
    for (std::size_t i = 0; i < species.Series.size(); ++i)
        QCOMPARE(refilled.Series[i]->Points, species.Series[i]->Points);

    // A file that is no chart file is refused with a message and changes nothing.
    const fs::path bad = runs.projectDir() / "bad.tee";
    std::ofstream(bad) << "not a chart";
    runs.dialogs.paths.push_back(bad);
    const std::size_t before = runs.results.Charts.size();
    window.runChartCommand("Load  from File", 0);
    QCOMPARE(runs.results.Charts.size(), before);
    QVERIFY(runs.lastMessage().contains("bad.tee"));

    // "Save Checked Charts" writes every checked chart beside the project, without asking.
    checkCharts(runs.results, 2);
    const int asked = runs.dialogs.calls;
    window.runChartCommand("Save Checked Charts", 0);
    QCOMPARE(runs.dialogs.calls, asked);
    QVERIFY(fs::exists(runs.projectDir() /
                       ProposedChartFileName(runs.results, runs.results.Charts[0])));
}

void ResultsWindowTest::clicksAskForCaptionsAndSetTheAxis()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    const TChart& chart = runs.results.Charts[4];
    window.showChart(4);
    window.clickPart(4, ChartPart::Series, 1, ClickModifier::None, 0.0, {});
    QCOMPARE(runs.lastMessage(),
             ToQString(SeriesExtremesMessage(*runs.results.Charts[4].Series[1])));

    runs.dialogs.texts.push_back(std::string("Oxygen everywhere"));
    window.clickPart(4, ChartPart::Title, -1, ClickModifier::None, 0.0, {});
    QCOMPARE(chart.Title, std::string("Oxygen everywhere"));
    QVERIFY(
        entries(window.menu("View Single Chart/Dissolved Species")).contains("Oxygen everywhere"));
    QCOMPARE(window.chartWidget(4)->chart()->title(), QString("Oxygen everywhere"));

    runs.dialogs.texts.push_back(std::nullopt); // cancelled: nothing changes
    window.clickPart(4, ChartPart::Footnote, -1, ClickModifier::None, 0.0, {});
    QCOMPARE(chart.Footnote, runs.results.Charts[3].Footnote);

    const ShownRange shown = window.chartWidget(4)->shownLeftAxis();
    QVERIFY(shown.maximum > shown.minimum);
    const double half = (shown.minimum + shown.maximum) / 2.0;
    window.clickPart(4, ChartPart::LeftAxis, -1, ClickModifier::Shift, half, shown);
    QVERIFY(!chart.LeftAxis.AutomaticMaximum);
    QCOMPARE(window.chartWidget(4)->shownLeftAxis().maximum, half);
    window.clickPart(4, ChartPart::LeftAxis, -1, ClickModifier::Ctrl, half / 2.0,
                     window.chartWidget(4)->shownLeftAxis());
    QCOMPARE(window.chartWidget(4)->shownLeftAxis().minimum, half / 2.0);
    window.runChartCommand("Undo Zoom", 4);
    QVERIFY(chart.LeftAxis.AutomaticMaximum);
    QCOMPARE(window.chartWidget(4)->shownLeftAxis().minimum, 0.0);

    // A legend entry's check box hides the series and shows it again.
    window.toggleSeries(4, 0);
    QVERIFY(!chart.Series[0]->Active);
    QCOMPARE(window.chartWidget(4)->chart()->series().size(), int(chart.Series.size()) - 1);
    QVERIFY(window.chartWidget(4)->chart()->series().at(0)->property("narvSeriesIndex") == 1);
    window.toggleSeries(4, 0);
    QVERIFY(chart.Series[0]->Active);
}

namespace {

// Where a point of a series is drawn, in the pixels of the chart view's viewport.
QPoint pixelOf(ChartWidget* widget, const ResultPoint& point)
{
    const PixelMap map = widget->pixelMap();
    const double x = map.left + (point.x - map.bottom.minimum) /
                                    (map.bottom.maximum - map.bottom.minimum) * map.width;
    const double y = map.top + map.height -
                     (point.y - map.leftAxis.minimum) /
                         (map.leftAxis.maximum - map.leftAxis.minimum) * map.height;
    return QPoint(qRound(x), qRound(y));
}

struct ShownWindow : Runs {
    ShownWindow()
    {
        results.View.MaximizedForTile = false;
        window->resize(1000, 700);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    ChartWidget* shown(int chart)
    {
        ChartWidget* widget = window->chartWidget(chart);
        if (widget != nullptr)
            widget->layout()->activate();
        QCoreApplication::processEvents();
        return widget;
    }
    QWidget* plot(int chart) { return shown(chart)->view()->viewport(); }
};

} // namespace

void ResultsWindowTest::theMouseOnAChartClicksAndTogglesTheView()
{
    ShownWindow runs;
    ResultsWindow& window = *runs.window;
    window.showChart(4);
    ChartWidget* widget = runs.shown(4);
    const TChart& chart = runs.results.Charts[4];

    // A series: its maximum and minimum, after the double-click interval.
    const SeriesPointer& last = chart.Series.back();
    const QPoint onSeries = pixelOf(widget, last->Points[last->Points.size() / 2]);
    const std::optional<int> hit =
        SeriesAt(chart, widget->pixelMap(), onSeries.x(), onSeries.y());
    QVERIFY(hit.has_value());
    QTest::mouseClick(runs.plot(4), Qt::LeftButton, {}, onSeries);
    QTRY_COMPARE(runs.lastMessage(),
                 ToQString(SeriesExtremesMessage(*chart.Series[static_cast<std::size_t>(*hit)])));

    // Plain clicks on the axes, the title and the footnote ask for their caption.
    const PixelMap map = widget->pixelMap();
    const int middleX = qRound(map.left + map.width / 2);
    const int middleY = qRound(map.top + map.height / 2);
    struct CaptionClick {
        QWidget* target;
        QPoint at;
        const std::string* caption;
    };
    const CaptionClick clicks[] = {
        {runs.plot(4), QPoint(qRound(map.left) - 8, middleY), &chart.LeftAxis.Title},
        {runs.plot(4), QPoint(middleX, qRound(map.top + map.height) + 8),
         &chart.BottomAxis.Title},
        {runs.plot(4), QPoint(middleX, qRound(map.top / 2)), &chart.Title},
        {widget->footnote(), widget->footnote()->rect().center(), &chart.Footnote},
    };
    int answer = 0;
    for (const CaptionClick& click : clicks) {
        const std::string text = "caption " + std::to_string(++answer);
        runs.dialogs.texts.push_back(text);
        const std::size_t asked = runs.dialogs.questions.size();
        QTest::mouseClick(click.target, Qt::LeftButton, {}, click.at);
        QTRY_COMPARE(runs.dialogs.questions.size(), asked + 1);
        QCOMPARE(runs.dialogs.questions.back(), std::string("Change Caption:"));
        QCOMPARE(*click.caption, text);
    }
    QCOMPARE(widget->chart()->title(), QString("caption 3"));
    QCOMPARE(widget->footnote()->text(), QString("caption 4"));

    // Shift on the left axis: the maximum at the mouse; near the shown maximum: automatic.
    // Ctrl: the minimum at the mouse.
    // The new captions may have moved the plot: its layout is done by posted events.
    QApplication::processEvents();
    ShownRange shown = widget->shownLeftAxis();
    const PixelMap now = widget->pixelMap();
    const QPoint upperQuarter(qRound(now.left) - 8, qRound(now.top + now.height / 4));
    const double valueThere = widget->leftAxisValueAt(
        widget->view()->mapTo(widget, upperQuarter));
    QTest::mouseClick(runs.plot(4), Qt::LeftButton, Qt::ShiftModifier, upperQuarter);
    QTRY_VERIFY(!chart.LeftAxis.AutomaticMaximum);
    QCOMPARE(chart.LeftAxis.Maximum, valueThere);
    QVERIFY(qAbs(valueThere - (shown.minimum + 0.75 * (shown.maximum - shown.minimum))) <
            0.02 * (shown.maximum - shown.minimum));
    QCOMPARE(widget->shownLeftAxis().maximum, valueThere);

    QApplication::processEvents();
    const PixelMap zoomed = widget->pixelMap();
    QTest::mouseClick(runs.plot(4), Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(qRound(zoomed.left) - 8, qRound(zoomed.top) + 1));
    QTRY_VERIFY(chart.LeftAxis.AutomaticMaximum);

    QApplication::processEvents();
    shown = widget->shownLeftAxis();
    const PixelMap again = widget->pixelMap();
    QTest::mouseClick(runs.plot(4), Qt::LeftButton, Qt::ControlModifier,
                      QPoint(qRound(again.left) - 8, qRound(again.top + again.height / 2)));
    QTRY_VERIFY(chart.LeftAxis.Minimum > 0.0);
    QVERIFY(qAbs(chart.LeftAxis.Minimum - (shown.minimum + shown.maximum) / 2) <
            0.02 * (shown.maximum - shown.minimum));
    window.runChartCommand("Undo Zoom", 4);

    // A double click tiles the checked charts; on a tiled chart it shows that chart alone, and
    // neither opens the click's message.
    SetChartChecked(runs.results, 4, true);
    SetChartChecked(runs.results, 9, true);
    const std::size_t messages = runs.dialogs.messages.size();
    QTest::mouseDClick(runs.plot(4), Qt::LeftButton, {}, QPoint(middleX, middleY));
    QVERIFY(runs.results.TileMode);
    QCOMPARE(window.shownCharts(), std::vector<int>({4, 9}));
    QTest::mouseDClick(runs.plot(9), Qt::LeftButton, {}, runs.plot(9)->rect().center());
    QVERIFY(!runs.results.TileMode);
    QCOMPARE(window.shownCharts(), std::vector<int>({9}));
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QCOMPARE(runs.dialogs.messages.size(), messages);
}

void ResultsWindowTest::aRubberBandZoomsTheChartModelAndSurvivesRedraws()
{
    ShownWindow runs;
    ResultsWindow& window = *runs.window;
    window.showChart(4);
    ChartWidget* widget = runs.shown(4);
    TChart& chart = runs.results.Charts[4];
    const ChartAxis bottomBefore = chart.BottomAxis;
    const PixelMap map = widget->pixelMap();
    const QPoint from(qRound(map.left + map.width * 0.25), qRound(map.top + map.height * 0.2));
    const QPoint to(qRound(map.left + map.width * 0.5), qRound(map.top + map.height * 0.6));
    const auto valueAt = [&](const QPoint& pixel) {
        return std::pair{AxisValueAt(pixel.x(), map.left, map.left + map.width, map.bottom),
                         AxisValueAt(pixel.y(), map.top + map.height, map.top, map.leftAxis)};
    };
    const auto [fromX, fromY] = valueAt(from);
    const auto [toX, toY] = valueAt(to);

    QTest::mousePress(runs.plot(4), Qt::LeftButton, {}, from);
    QTest::mouseMove(runs.plot(4), (from + to) / 2);
    QTest::mouseMove(runs.plot(4), to);
    QTest::mouseRelease(runs.plot(4), Qt::LeftButton, {}, to);
    QVERIFY(chart.UnzoomedBottomAxis.has_value());
    QCOMPARE(chart.BottomAxis.Minimum, fromX);
    QCOMPARE(chart.BottomAxis.Maximum, toX);
    QCOMPARE(chart.LeftAxis.Minimum, toY);
    QCOMPARE(chart.LeftAxis.Maximum, fromY);
    const auto drawnAsZoomed = [&](ChartWidget* drawn) {
        return drawn->shownBottomAxis().minimum == fromX &&
               drawn->shownBottomAxis().maximum == toX &&
               drawn->shownLeftAxis().minimum == toY && drawn->shownLeftAxis().maximum == fromY;
    };
    QVERIFY(drawnAsZoomed(widget));
    // A drag is no click: no message follows.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY(runs.dialogs.messages.empty());

    // The zoom is the chart's: it stays through other views, the tile and redrawn options.
    window.showChart(5);
    window.showChart(4);
    QVERIFY(drawnAsZoomed(runs.shown(4)));
    SetChartChecked(runs.results, 4, true);
    SetChartChecked(runs.results, 0, true);
    QVERIFY(window.tile());
    QVERIFY(drawnAsZoomed(runs.shown(4)));
    window.action("Vertical Grid")->trigger();
    QVERIFY(drawnAsZoomed(runs.shown(4)));

    // Dragging from the bottom right to the top left undoes the zoom.
    const PixelMap tiled = runs.shown(4)->pixelMap();
    const QPoint bottomRight(qRound(tiled.left + tiled.width * 0.8),
                             qRound(tiled.top + tiled.height * 0.8));
    QTest::mousePress(runs.plot(4), Qt::LeftButton, {}, bottomRight);
    QTest::mouseMove(runs.plot(4), bottomRight - QPoint(30, 30));
    QTest::mouseRelease(runs.plot(4), Qt::LeftButton, {}, bottomRight - QPoint(30, 30));
    QCOMPARE(chart.BottomAxis, bottomBefore);
    QVERIFY(!chart.UnzoomedBottomAxis.has_value());
    QVERIFY(chart.LeftAxis.AutomaticMaximum);
    QCOMPARE(chart.LeftAxis.Minimum, 0.0);
    QCOMPARE(runs.shown(4)->shownLeftAxis().minimum, 0.0);

    // "Undo Zoom" of the popup does the same.
    QVERIFY(ZoomChart(chart, {2.0, 3.0}, {0.5, 0.7}));
    window.runChartCommand("Undo Zoom", 4);
    QCOMPARE(chart.BottomAxis, bottomBefore);
    QCOMPARE(runs.shown(4)->shownBottomAxis().minimum, 0.0);
}

namespace {

QList<QPointF> drawnPoints(ChartWidget* widget, int series)
{
    for (QAbstractSeries* drawn : widget->chart()->series())
        if (drawn->property(kSeriesIndexProperty).toInt() == series)
            return static_cast<QXYSeries*>(drawn)->points();
    return {};
}

int plotColumns(ChartWidget* widget)
{
    return static_cast<int>(std::ceil(widget->chart()->plotArea().width()));
}

} // namespace

void ResultsWindowTest::longLinesAreDrawnWithThePointsThePixelsNeed()
{
    ShownWindow runs;
    ResultsWindow& window = *runs.window;
    TChart& chart = runs.results.Charts[4];
    // A long wavy line with a spike and a dip one point wide.
    constexpr int kPoints = 6000;
    TResultSeries& series = *chart.Series[0];
    series.Points.clear();
    for (int i = 0; i < kPoints; ++i)
        series.Points.push_back({i * 0.001, 1.0 + std::sin(i * 0.01)});
    series.Points[3001].y = 9.0;
    series.Points[4502].y = -3.0;
    window.showChart(4);
    ChartWidget* widget = runs.shown(4);
    const auto checkThinned = [&] {
        const QList<QPointF> points = drawnPoints(widget, 0);
        QCOMPARE(widget->lineColumns(), plotColumns(widget));
        QVERIFY2(points.size() <= 4 * plotColumns(widget) + 4, qPrintable(QString::number(points.size())));
        QVERIFY(points.contains(QPointF(series.Points[3001].x, 9.0)));
        QVERIFY(points.contains(QPointF(series.Points[4502].x, -3.0)));
        QCOMPARE(points.front(), QPointF(0.0, 1.0));
    };
    checkThinned();
    // Other sizes thin anew.
    window.resize(1400, 900);
    runs.shown(4);
    checkThinned();

    // Zoomed in, every point of the range shows, with the neighbours outside it.
    QVERIFY(ZoomChart(chart, {2.9995, 3.1005}, {0.0, 10.0}));
    window.showChart(4);
    widget = runs.shown(4);
    const QList<QPointF> zoomed = drawnPoints(widget, 0);
    QCOMPARE(zoomed.size(), 101 + 4); // x 3.000 to 3.100, and two points on each side
    QCOMPARE(zoomed[1], QPointF(series.Points[2999].x, series.Points[2999].y));
    window.runChartCommand("Undo Zoom", 4);
    widget = runs.shown(4);
    checkThinned();

    // Clicks, statistics and copies read the chart model; pictures draw every point.
    ChartWidget picture(4, chart, nullptr, false);
    picture.resize(600, 400);
    picture.layout()->activate();
    QCOMPARE(picture.lineColumns(), 0);
    QCOMPARE(drawnPoints(&picture, 0).size(), kPoints);
}

void ResultsWindowTest::everyTickOfAnAxisHasItsLabel()
{
    ShownWindow runs;
    ResultsWindow& window = *runs.window;
    TChart& chart = runs.results.Charts[4];
    // Three steps of 0.1 add up to a little more than 0.3: the tick at the end is drawn, as
    // Qt Charts allows for rounding there, but its label was not.
    chart.LeftAxis.AutomaticMinimum = false;
    chart.LeftAxis.AutomaticMaximum = false;
    chart.LeftAxis.AutomaticIncrement = false;
    chart.LeftAxis.Minimum = 0.0;
    chart.LeftAxis.Maximum = 0.3;
    chart.LeftAxis.Increment = 0.1;
    chart.LeftAxis.LabelFormat = "0.0";
    window.showChart(4);
    ChartWidget* widget = runs.shown(4);
    QStringList labels;
    for (QGraphicsItem* item : widget->view()->scene()->items())
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text != nullptr && text->isVisible())
            labels << text->toPlainText();
    for (const char* label : {"0.0", "0.1", "0.2", "0.3"})
        QVERIFY2(labels.contains(label), qPrintable(labels.join('|')));
}

void ResultsWindowTest::legendCheckBoxesShowAndHideSeries()
{
    ShownWindow runs;
    ResultsWindow& window = *runs.window;
    window.showChart(4);
    const TChart& chart = runs.results.Charts[4];
    ChartWidget* widget = runs.shown(4);
    QVERIFY(widget->legend()->isVisible());
    QVERIFY(!widget->chart()->legend()->isVisible()); // the check boxes are the legend
    const std::vector<QCheckBox*>& boxes = widget->legendBoxes();
    QCOMPARE(boxes.size(), chart.Series.size());
    // The legend rule: only the part that differs; the full title is the accessible name.
    const std::vector<std::string> texts = LegendTexts(chart);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        QCOMPARE(boxes[i]->text(), ToQString(texts[i]));
        QCOMPARE(boxes[i]->accessibleName(), ToQString(chart.Series[i]->Title));
        QVERIFY(boxes[i]->isChecked());
    }

    QTest::mouseClick(widget->legendBoxes()[0], Qt::LeftButton);
    QVERIFY(!chart.Series[0]->Active);
    QVERIFY(!widget->legendBoxes()[0]->isChecked());
    QCOMPARE(widget->chart()->series().size(), int(chart.Series.size()) - 1);
    QTest::mouseClick(widget->legendBoxes()[0], Qt::LeftButton);
    QVERIFY(chart.Series[0]->Active);
    QCOMPARE(widget->chart()->series().size(), int(chart.Series.size()));

    // Hidden with the "Legends" option; a chart of one series has none; pictures draw the
    // chart's own legend without boxes.
    window.action("Legends")->trigger();
    QVERIFY(!runs.shown(4)->legend()->isVisible());
    window.action("Legends")->trigger();
    QVERIFY(runs.shown(4)->legend()->isVisible());
    window.showChart(1); // "Dx: Excess sludge removal"
    QVERIFY(!runs.shown(1)->legend()->isVisible());
    ChartWidget picture(4, chart, nullptr, false);
    QVERIFY(picture.legend() == nullptr);
    QVERIFY(picture.chart()->legend()->isVisible());
}

void ResultsWindowTest::theChartEditorAppliesOrNamesTheBadEntry()
{
    Runs runs;
    TChart& chart = runs.results.Charts[0];
    ChartEditorDialog editor(chart, runs.dialogs);
    QCOMPARE(editor.windowTitle(), QString("Editing Flow Rates"));
    editor.field("left_title")->setText("Q [m3/d]");
    editor.checkBox("left_automaximum")->setChecked(false);
    editor.field("left_maximum")->setText("abc");
    editor.accept();
    QCOMPARE(editor.result(), int(QDialog::Rejected)); // stays open
    QCOMPARE(runs.lastMessage(), QString("Left axis, Maximum: \"abc\" is not a number."));
    QCOMPARE(chart.LeftAxis.Title, std::string());

    editor.field("left_maximum")->setText("40");
    QAbstractItemModel* grid = editor.seriesGrid()->model();
    QVERIFY(grid->setData(grid->index(0, SeriesFieldsModel::ColorColumn), "#112233"));
    QVERIFY(grid->setData(grid->index(1, SeriesFieldsModel::WidthColumn), 1));
    QVERIFY(grid->setData(grid->index(2, SeriesFieldsModel::VisibleColumn), Qt::Unchecked,
                          Qt::CheckStateRole));
    editor.accept();
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(chart.LeftAxis.Title, std::string("Q [m3/d]"));
    QCOMPARE(chart.LeftAxis.Maximum, 40.0);
    QCOMPARE(chart.Series[0]->Color, 0x112233u);
    QCOMPARE(chart.Series[1]->PenWidth, 1);
    QVERIFY(!chart.Series[2]->Active);
}

void ResultsWindowTest::printingCopyingAndPictures()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    window.show();
    const fs::path pdf = runs.projectDir() / "chart.pdf";
    window.choosePrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(ToQString(pdf));
        return true;
    };
    window.runChartCommand("Print Chart", 0);
    QVERIFY(fs::exists(pdf) && fs::file_size(pdf) > 1000);
    QVERIFY(runs.dialogs.messages.empty());

    window.runChartCommand("Copy Chart to Clipboard", 1);
    QVERIFY(!QGuiApplication::clipboard()->pixmap().isNull());

    runs.results.View.MaximizedForTile = false;
    checkCharts(runs.results, 2);
    QVERIFY(window.tile());
    QGuiApplication::clipboard()->clear();
    window.runChartCommand("Print Chart", 0);
    QCOMPARE(runs.lastMessage(), ToQString(std::string(kTilePrintMessage)));
    QVERIFY(!QGuiApplication::clipboard()->pixmap().isNull());

    window.runChartCommand("Save as Metafile", 2);
    const fs::path svg = runs.projectDir() / MetafileName(runs.results, runs.results.Charts[2]);
    QVERIFY(fs::exists(svg));
    std::ifstream in(svg);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QVERIFY(text.find("<svg") != std::string::npos);
}

void ResultsWindowTest::seriesComeFromDataFilesAndGoToTheClipboard()
{
    Runs runs;
    ResultsWindow& window = *runs.window;
    window.runChartCommand("Copy Series to Clipboard", 4);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::fromStdString(CopySeriesAsText(runs.results.Charts[4])));

    const fs::path data = runs.projectDir() / "measured.txt";
    std::ofstream(data) << "measured\nS Oxygen lab\nh mg/l\n0 1.5\n2 2.5\n";
    runs.dialogs.paths.push_back(data);
    const std::size_t before = runs.results.Charts[4].Series.size();
    window.showChart(4);
    window.runChartCommand("Load Series from File", 4);
    QCOMPARE(runs.dialogs.fileDialogs.back().startDirectory, runs.projectDir());
    QCOMPARE(runs.results.Charts[4].Series.size(), before + 1);
    QVERIFY(runs.results.Charts[4].Series.back()->PointsOnly);
    QCOMPARE(window.chartWidget(4)->chart()->series().size(), int(before + 1));

    std::ofstream(data) << "measured\nS Oxygen lab\nh mg/l\n0 1.5\n2 x\n";
    runs.dialogs.paths.push_back(data);
    window.runChartCommand("Load Series from File", 4);
    QCOMPARE(runs.results.Charts[4].Series.size(), before + 1);
    QCOMPARE(runs.lastMessage(), QString("Error loading data file.\nPlease check data format!"));
}

void ResultsWindowTest::everyControlHasAnAccessibleName()
{
    Runs runs;
    runs.results.View.MaximizedForTile = false;
    checkCharts(runs.results, 3);
    runs.window->tile();
    checkAccessibleNames(runs.window.get());
    ChartEditorDialog editor(runs.results.Charts[0], runs.dialogs);
    checkAccessibleNames(&editor);
    ChooseSeriesDialog choose(runs.results, runs.dialogs, {});
    checkAccessibleNames(&choose);
    SelectSeriesDialog select(runs.results, SelectableSeries(runs.results));
    checkAccessibleNames(&select);
    runs.window->runChartCommand("Time Series Statistics", 0);
    checkAccessibleNames(runs.window->statisticsText()->window());
}

QTEST_MAIN(ResultsWindowTest)
#include "ResultsWindowTest.moc"

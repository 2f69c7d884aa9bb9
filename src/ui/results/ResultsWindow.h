#pragma once

#include "results/ChartInteraction.h"
#include "results/ChartModel.h"
#include "results/ResultSet.h"
#include "shell/UserDialogs.h"

#include <QtWidgets/QMainWindow>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <vector>

class QAction;
class QGridLayout;
class QMenu;
class QPrinter;
class QPlainTextEdit;
class QTimer;

namespace narv {

class ChartWidget;

// What a results window needs from the program around it.
struct ResultsWindowContext {
    std::function<std::filesystem::path()> projectDir; // start of the file dialogs
    std::function<ChartSetup()> chartSetup;            // the footnote of a new chart
};

// The results window ("Show Results", TFormShowPlots) over a result set: one chart or the
// checked charts tiled, the menus of the charts and views, and the popup commands of a chart.
// Every rule lives in the chart model; the window draws what the result set holds.
class ResultsWindow : public QMainWindow {
    Q_OBJECT
public:
    ResultsWindow(TResultSet& results, UserDialogs& dialogs, ResultsWindowContext context,
                  QWidget* parent = nullptr);
    ~ResultsWindow() override;

    // A window of results read from a file: "Results from File " + path, without "Add Chart".
    void setSourceFile(const std::filesystem::path& path);
    bool fromFile() const { return m_fromFile; }

    // After the result set changed (a run, a load): menus and charts again, showing the tiled
    // charts in tile mode, else the current chart.
    void refresh();
    // Shows the window as the results command does: maximized in tile mode.
    void present();

    void showChart(int chart);
    // Tiles the checked charts; refused with its message (false) for none or too many.
    bool tile();
    void toggleView(int chart);
    void setChartChecked(int chart, bool checked);
    void toggleViewOption(ViewOption option);

    // The commands of the popup menu, on chart.
    void runChartCommand(const QString& caption, int chart);
    // A click on a part of chart: value is the left axis value under the mouse, shown the
    // drawn range of that axis.
    void clickPart(int chart, ChartPart part, int series, ClickModifier modifier, double value,
                   const ShownRange& shown);
    // A click on a legend entry's check box.
    void toggleSeries(int chart, int series);

    QMenu* menu(const QString& caption) const;
    QAction* action(const QString& caption) const;
    static const QStringList& popupCaptions();
    // The charts shown, in layout order.
    std::vector<int> shownCharts() const;
    ChartWidget* chartWidget(int chart) const;
    QPlainTextEdit* statisticsText() const { return m_statistics; }

    // Where "Print Chart" prints; the system print dialog unless a test replaces it.
    std::function<bool(QPrinter&)> choosePrinter;
    // The local time that names chart copies.
    std::function<std::tm()> localTime;

private:
    // Runs a command; an error of the core becomes its message.
    template <class Action> void guarded(Action&& action);
    void buildMenus();
    void rebuildChartMenus();
    void rebuildView();
    void layoutCharts(const std::vector<int>& charts, int columns);
    // The widget of chart, drawn as the chart is now; built once and kept while hidden, so that
    // switching views draws only what changed.
    ChartWidget* widgetFor(int chart);
    // Drops every kept widget: after the charts were renumbered or their series refilled.
    void forgetCharts();
    // Draws the charts checked for the tile ahead, while the window waits for the user, so
    // that tiling has only to place them.
    void prepareCheckedCharts();
    void prepareNextChart();
    void showPopup(int chart, const QPoint& globalPosition);
    void defineNewChart();
    void showStatistics(int chart);
    void editChart(int chart);
    void printChart(int chart);
    void saveAsMetafile(int chart);
    QPixmap chartPicture(int chart);
    void chartsChanged();
    std::filesystem::path projectDir() const;
    TChart& chartAt(int chart);

    TResultSet& m_results;
    UserDialogs& m_dialogs;
    ResultsWindowContext m_context;
    bool m_fromFile = false;
    QWidget* m_area = nullptr;
    QGridLayout* m_grid = nullptr;
    std::map<int, ChartWidget*> m_shown;
    std::map<int, ChartWidget*> m_built;
    std::vector<int> m_layoutCharts; // what the grid shows, in cell order
    int m_layoutColumns = 0;
    QTimer* m_prepareTimer = nullptr;
    std::map<QString, QMenu*> m_menus;
    std::map<QString, QAction*> m_actions;
    QMenu* m_singleMenu = nullptr;
    QMenu* m_tileMenu = nullptr;
    QMenu* m_addChartMenu = nullptr;
    QPlainTextEdit* m_statistics = nullptr;
    QWidget* m_statisticsWindow = nullptr;
};

} // namespace narv

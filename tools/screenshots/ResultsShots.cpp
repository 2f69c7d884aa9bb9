// Pictures and timings of the results window over a results file, drawn offscreen:
// narv-results-screenshots RESULTS.rlt OUTDIR. Prints how long opening the window and tiling
// 20 charts take.
#include "results/ChartInteraction.h"
#include "results/ChartModel.h"
#include "results/ResultsFile.h"
#include "shell/UserDialogs.h"
#include "ui/DesktopFormat.h"
#include "ui/results/ChartWidget.h"
#include "ui/results/ResultsDialogs.h"
#include "ui/results/ResultsWindow.h"

#include <QtCore/QElapsedTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QPlainTextEdit>

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;
using namespace narv;

namespace {

void save(QWidget& window, const fs::path& out, const std::string& name, const QSize& screen)
{
    const fs::path file = out / (name + "-" + std::to_string(screen.width()) + "x" +
                                 std::to_string(screen.height()) + ".png");
    if (!window.grab().save(ToQString(file)))
        std::cerr << "could not write " << file << '\n';
    else
        std::cout << file.string() << '\n';
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "Usage: narv-results-screenshots RESULTS.rlt OUTDIR\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const fs::path out = argv[2];
    fs::create_directories(out);

    for (const QSize screen : {QSize(1280, 800), QSize(1920, 1080)}) {
        TResultSet results;
        LoadResultsFile(argv[1], results);
        SilentDialogs dialogs(&std::cerr);
        QElapsedTimer clock;
        clock.start();
        // The offscreen screen is smaller than the sizes drawn here: no maximizing.
        results.View.MaximizedForTile = false;
        ResultsWindow window(results, dialogs, {});
        window.resize(screen);
        window.show();
        settle();
        const qint64 opened = clock.elapsed();
        save(window, out, "results-single", screen);

        results.CheckedCharts.clear();
        for (const int chart : MenuOrder(results))
            if (results.CheckedCharts.size() < 20)
                SetChartChecked(results, chart, true);
        clock.restart();
        window.tile();
        window.resize(screen);
        const qint64 built = clock.elapsed();
        settle();
        const qint64 tiled = clock.elapsed();
        std::cout << "built " << built << " ms\n";
        save(window, out, "results-tile20", screen);

        results.CheckedCharts.clear();
        for (const int chart : {0, 2, 4, 5, 8, 20})
            SetChartChecked(results, chart, true);
        window.tile();
        window.resize(screen);
        settle();
        save(window, out, "results-tile6", screen);
        std::cout << "open " << opened << " ms, tile of 20 charts " << tiled << " ms\n";

        window.showChart(4);
        settle();
        // A zoom into the second quarter of the time axis and the lower half of the values.
        TChart& species = results.Charts[4];
        if (const ChartWidget* shown = window.chartWidget(4)) {
            const ShownRange bottom = shown->shownBottomAxis();
            const ShownRange left = shown->shownLeftAxis();
            const double quarter = (bottom.maximum - bottom.minimum) / 4.0;
            ZoomChart(species, {bottom.minimum + quarter, bottom.minimum + 2.0 * quarter},
                      {left.minimum, (left.minimum + left.maximum) / 2.0});
            window.showChart(4);
            settle();
            save(window, out, "results-zoomed", screen);
            window.runChartCommand(QStringLiteral("Undo Zoom"), 4);
            settle();
        }
        ChartEditorDialog editor(results.Charts[4], dialogs, &window);
        editor.show();
        settle();
        save(editor, out, "results-chart-editor", screen);
        window.runChartCommand(QStringLiteral("Time Series Statistics"), 4);
        settle();
        save(*window.statisticsText()->window(), out, "results-statistics", screen);
    }
    return 0;
}

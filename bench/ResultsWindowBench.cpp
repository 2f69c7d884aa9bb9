// The results window over the benchmark example's results of 14 cycles (the last cycle, or all
// cycles with "Show all cycles in plots"): opening it on its first chart, and switching from
// that chart to a tile of 20 charts: at once after checking them (every chart built and drawn
// anew), after a pause (the window built the checked charts meanwhile) and again (the window
// keeps the charts it drew). Times include drawing, on the offscreen platform at 1280 x 800.
#include "shell/CaseFiles.h"
#include "shell/Computations.h"
#include "shell/UserDialogs.h"
#include "ui/results/ChartWidget.h"
#include "ui/results/ResultsWindow.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QEvent>
#include <QtWidgets/QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>

namespace {

using namespace narv;
namespace fs = std::filesystem;

constexpr int kCycles = 14;
constexpr int kTiled = 20;
const QSize kScreen(1280, 800);

// The run's results, computed once per recording mode.
const TResultSet& benchmarkResults(bool allCycles)
{
    static std::map<bool, TResultSet> computed;
    if (const auto found = computed.find(allCycles); found != computed.end())
        return found->second;
    const fs::path dir = fs::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark";
    Workspace workspace;
    LoadCase(workspace, {dir / "asm1-benchmark.mod", dir / "asm1-benchmark.pln",
                         dir / "asm1-benchmark.vrt"});
    DynamicRunRequest request;
    request.cycles = kCycles;
    request.allCycles = allCycles;
    RunControl control;
    RunDynamicSimulation(workspace, SimSettingsForMissingKeys(), control, request);
    return computed.emplace(allCycles, workspace.results).first->second;
}

// Counts the pictures drawn, to make sure the time measured includes them.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Lets the window lay out and draw everything that is due.
void drawPending()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

struct Window {
    TResultSet results;
    SilentDialogs dialogs;
    std::unique_ptr<ResultsWindow> window;

    explicit Window(bool allCycles) : results(benchmarkResults(allCycles))
    {
        results.View.MaximizedForTile = false; // the offscreen screen is smaller
    }
    void open()
    {
        window = std::make_unique<ResultsWindow>(results, dialogs, ResultsWindowContext{});
        window->resize(kScreen);
        window->show();
        drawPending();
    }
    // As the menu "Choose Charts for Tile" checks them.
    void checkTwenty()
    {
        for (const int chart : MenuOrder(results))
            if (static_cast<int>(results.CheckedCharts.size()) < kTiled)
                window->setChartChecked(chart, true);
    }
    // The user looks at the window a while: it draws the checked charts ahead.
    void idle()
    {
        QElapsedTimer clock;
        clock.start();
        while (window->findChildren<ChartWidget*>().size() < kTiled && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    int paintsOfShownCharts(PaintCounter& counter)
    {
        for (const int chart : window->shownCharts())
            window->chartWidget(chart)->view()->viewport()->installEventFilter(&counter);
        return counter.paints;
    }
};

void BM_OpenResultsWindow(benchmark::State& state)
{
    const bool allCycles = state.range(0) != 0;
    benchmarkResults(allCycles);
    for (auto _ : state) {
        state.PauseTiming();
        Window window(allCycles);
        state.ResumeTiming();
        window.open();
    }
    state.SetLabel(allCycles ? "all 14 cycles" : "last of 14 cycles");
}
BENCHMARK(BM_OpenResultsWindow)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3);

// How the tile was reached: at once after checking the charts, after a pause, or again after
// it was shown before.
enum TileCase { kAtOnce, kAfterPause, kAgain };

void BM_TileTwentyCharts(benchmark::State& state)
{
    const bool allCycles = state.range(0) != 0;
    const auto tileCase = static_cast<TileCase>(state.range(1));
    benchmarkResults(allCycles);
    int paints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Closing the window is not part of the switch: it closes while the clock stands.
        auto closing = std::make_unique<Window>(allCycles);
        Window& window = *closing;
        window.open();
        window.checkTwenty();
        const int current = window.results.CurrentChart;
        if (tileCase == kAfterPause)
            window.idle();
        if (tileCase == kAgain) {
            window.window->tile();
            drawPending();
            window.window->showChart(current);
            drawPending();
        }
        PaintCounter counter;
        state.ResumeTiming();
        window.window->tile();
        window.paintsOfShownCharts(counter);
        drawPending();
        state.PauseTiming();
        paints += counter.paints;
        if (window.window->shownCharts().size() != kTiled)
            state.SkipWithError("the tile does not show 20 charts");
        closing.reset();
        state.ResumeTiming();
    }
    state.counters["paints"] = benchmark::Counter(paints, benchmark::Counter::kAvgIterations);
    const char* const cases[] = {", at once", ", after a pause", ", again"};
    state.SetLabel(std::string(allCycles ? "all 14 cycles" : "last of 14 cycles") +
                   cases[tileCase]);
}
BENCHMARK(BM_TileTwentyCharts)
    ->Args({0, kAtOnce})
    ->Args({0, kAfterPause})
    ->Args({0, kAgain})
    ->Args({1, kAtOnce})
    ->Args({1, kAfterPause})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3);

} // namespace

// The dynamic simulation of the benchmark example, 14 cycles, once through the window
// "Dynamic Simulation" (its Start button, its status bar, events every 40 ms) and once through
// the use case alone as narv-cli simulate runs it: what the window costs a run.
#include "shell/CaseFiles.h"
#include "shell/Computations.h"
#include "ui/runs/DynamicSimulationWindow.h"

#include <QtCore/QCoreApplication>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

using namespace narv;
namespace fs = std::filesystem;

constexpr int kCycles = 14;

std::unique_ptr<Workspace> benchmarkExample()
{
    const fs::path dir = fs::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark";
    auto workspace = std::make_unique<Workspace>();
    LoadCase(*workspace, {dir / "asm1-benchmark.mod", dir / "asm1-benchmark.pln",
                          dir / "asm1-benchmark.vrt"});
    return workspace;
}

class BenchHost : public RunWindowHost {
public:
    Workspace& workspace() override { return *m_workspace; }
    const TSimSettings& simSettings() override { return m_settings; }
    UserDialogs& dialogs() override { return m_dialogs; }
    fs::path projectDir() override { return fs::temp_directory_path(); }
    ChartSetup chartSetup() override { return {}; }
    ContinuousNames continuousNames() override { return {}; }
    void setContinuousNames(const ContinuousNames&) override {}
    void setRunning(RunKind) override {}
    void markPlantModified() override {}
    void showPlantPage(WindowPort::PlantPage) override {}
    void refreshPlantPage(WindowPort::PlantPage) override {}
    void runResultsChanged() override {}
    void showResults() override {}
    void showRunProgress(const QString&) override {}

private:
    std::unique_ptr<Workspace> m_workspace = benchmarkExample();
    TSimSettings m_settings = SimSettingsForMissingKeys();
    SilentDialogs m_dialogs;
};

void BM_DynamicWindow14Cycles(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        BenchHost host;
        DynamicSimulationWindow window(host);
        window.show();
        auto* cycles = window.findChild<QLineEdit*>("ed_endtime");
        cycles->setText(QString::number(kCycles));
        cycles->setModified(true);
        emit cycles->editingFinished();
        // The window is on the screen, laid out and drawn, before the user can press Start.
        QCoreApplication::processEvents();
        state.ResumeTiming();
        window.findChild<QPushButton*>("btStart")->click();
    }
}
BENCHMARK(BM_DynamicWindow14Cycles)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void BM_DynamicUseCase14Cycles(benchmark::State& state)
{
    RunControl control;
    for (auto _ : state) {
        state.PauseTiming();
        auto workspace = benchmarkExample();
        DynamicRunRequest request;
        request.cycles = kCycles;
        state.ResumeTiming();
        RunDynamicSimulation(*workspace, SimSettingsForMissingKeys(), control, request);
    }
}
BENCHMARK(BM_DynamicUseCase14Cycles)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace

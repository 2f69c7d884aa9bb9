// The 30 default charts of one simulated day of the benchmark plant drawn and written as PNG
// files, as `narv-cli demo` and `simulate --charts` write them.
#include "BenchmarkPlant.h"
#include "core/RunControl.h"
#include "dynamics/DynamicSimulation.h"
#include "render/ChartRenderer.h"
#include "results/ChartModel.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace {

using namespace narv;

std::vector<TChart> runCharts()
{
    auto plant = std::make_unique<bench::BenchmarkPlant>();
    auto variation = std::make_unique<TVariationDef>();
    ResetVariation(*variation, plant->model, plant->plant);
    auto results = std::make_unique<TResultSet>();
    RunControl control;
    DynamicSimulation simulation(plant->model, plant->plant, plant->state, *variation,
                                 plant->settings, *results);
    simulation.run(control, 1, false);
    RunChartContext context = MakeRunChartContext(plant->model, plant->plant);
    context.CycleCount = 1;
    context.CycleDuration = variation->CycleDuration;
    BuildRunCharts(*results, context);
    std::vector<TChart> charts;
    for (int n = results->FirstAutoChart; n <= results->LastAutoChart; ++n)
        charts.push_back(results->Charts[static_cast<std::size_t>(n)]);
    return charts;
}

void BM_RenderRunCharts(benchmark::State& state)
{
    const std::vector<TChart> charts = runCharts();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("narv-chart-bench-" + std::to_string(::getpid()));
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        const auto files = RenderChartsToDirectory(charts, dir);
        bytes = 0;
        for (const auto& file : files)
            bytes += std::filesystem::file_size(file);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    state.counters["charts"] = static_cast<double>(charts.size());
    state.counters["kB_per_chart"] =
        static_cast<double>(bytes) / 1024.0 / static_cast<double>(charts.size());
}
BENCHMARK(BM_RenderRunCharts)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();

// A 14-cycle dynamic simulation of the benchmark plant with a 12-step diurnal variation: the
// wall time and the share of it spent in recording the results.
#include "BenchmarkPlant.h"
#include "core/RunControl.h"
#include "dynamics/DynamicSimulation.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace narv;

// Dry-weather pattern of flow and load: low at night, peaks in the late morning and evening.
void setDiurnalVariation(TVariationDef& variation, const TModelDef& model, const TPlantDef& plant)
{
    ResetVariation(variation, model, plant);
    const double flow[12] = {0.62, 0.55, 0.58, 0.85, 1.18, 1.30,
                             1.22, 1.12, 1.08, 1.20, 1.25, 1.05};
    const double load[12] = {0.55, 0.48, 0.52, 0.90, 1.25, 1.38,
                             1.25, 1.12, 1.05, 1.22, 1.28, 1.00};
    for (int i = 1; i <= 12; ++i) {
        variation.Values[0][i] = flow[i - 1];
        for (int j = 1; j <= model.NS + model.NX; ++j)
            if (j != 1)
                variation.Values[4 + j][i] = load[i - 1];
    }
}

void BM_DynamicSimulation14Cycles(benchmark::State& state)
{
    RunControl control;
    double recording = 0.0;
    double total = 0.0;
    for (auto _ : state) {
        auto plant = std::make_unique<bench::BenchmarkPlant>();
        auto variation = std::make_unique<TVariationDef>();
        setDiurnalVariation(*variation, plant->model, plant->plant);
        auto results = std::make_unique<TResultSet>();
        DynamicSimulation simulation(plant->model, plant->plant, plant->state, *variation,
                                     plant->settings, *results);
        const RunOutcome outcome = simulation.run(control, 14, false);
        recording += simulation.recordingSeconds();
        total += outcome.elapsedSeconds;
    }
    state.counters["recording_pct"] = 100.0 * recording / total;
}
BENCHMARK(BM_DynamicSimulation14Cycles)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();

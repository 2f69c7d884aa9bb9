// The solvers on an ASM1 plant in the layout of the well-known benchmark plant: two anoxic
// reactors of 1000 m3, three aerated ones of 1333 m3, an ideal clarifier of two compartments.
#include "BenchmarkPlant.h"
#include "core/RunControl.h"
#include "model/Rates.h"
#include "solvers/Integrator.h"
#include "solvers/Relaxation.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

using namespace narv;
using bench::BenchmarkPlant;

// (a) integrator steps and simulated days per second over 14 days; (b) the share of the time
// spent outside the rate evaluation, from the number of rate calls and their measured cost.
void BM_Integrate14Days(benchmark::State& state)
{
    long steps = 0;
    long oxygenSubSteps = 0;
    double seconds = 0.0;
    RunControl control;
    CompartmentArray neutral;
    neutral.fill(1.0);
    for (auto _ : state) {
        auto plant = std::make_unique<BenchmarkPlant>();
        Integrator integrator(plant->model, plant->plant, plant->state, plant->settings);
        const auto start = std::chrono::steady_clock::now();
        integrator.integrate(control, false, 0, neutral, 0.0, 14.0, "14");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        steps += integrator.steps();
        oxygenSubSteps += integrator.oxygenSubSteps();
    }

    // The cost of one rate call of each kind at the state the run ended in.
    auto plant = std::make_unique<BenchmarkPlant>();
    const RatePlan plan(plant->model);
    const int calls = 200000;
    auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        plan.computeConversionRates(plant->model, plant->state.S[3], plant->state.X[3], 240.0, 8.0);
    const double conversionCost =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() / calls;
    begin = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        plan.computeOxygenRate(plant->model, plant->state.S[3], plant->state.X[3], 240.0, 8.0);
    const double oxygenCost =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count() / calls;
    const double rateSeconds = steps * 5.0 * conversionCost + oxygenSubSteps * 5.0 * oxygenCost;

    const double runs = static_cast<double>(state.iterations());
    state.counters["steps_per_s"] = steps / seconds;
    state.counters["days_per_s"] = 14.0 * runs / seconds;
    state.counters["steps"] = steps / runs;
    state.counters["O2_substeps"] = oxygenSubSteps / runs;
    state.counters["outside_rates_pct"] = 100.0 * (1.0 - rateSeconds / seconds);
}
BENCHMARK(BM_Integrate14Days)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// (c) one relaxation with the default times (2, 0.2 and 0.1 x the sludge age).
void BM_RelaxDefaultTimes(benchmark::State& state)
{
    RunControl control;
    long iterations = 0;
    for (auto _ : state) {
        auto plant = std::make_unique<BenchmarkPlant>();
        Relaxation relaxation(plant->model, plant->plant, plant->state, plant->settings);
        relaxation.run(control, DefaultRelaxationTimes(plant->plant));
        iterations += relaxation.iterations();
    }
    state.counters["iterations"] =
        static_cast<double>(iterations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RelaxDefaultTimes)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();

// Rate evaluation of one compartment: the innermost computation of every solver.
#include "CountingAllocator.h"
#include "SampleModels.h"
#include "model/Rates.h"

#include <benchmark/benchmark.h>

static void BM_ComputeConversionRates(benchmark::State& state)
{
    narv::TModelDef model = narv::testing::MakeCarbonNitrogenModel();
    narv::SpeciesArray S;
    narv::SpeciesArray X;
    narv::testing::FillTypicalState(S, X);
    const long allocationsBefore = narv::testing::AllocationCount();
    for (auto _ : state) {
        narv::ComputeConversionRates(model, S, X, 120.0, 9.0);
        benchmark::DoNotOptimize(model.RS.data());
        benchmark::ClobberMemory();
    }
    state.counters["allocations"] =
        static_cast<double>(narv::testing::AllocationCount() - allocationsBefore) /
        static_cast<double>(state.iterations());
}
BENCHMARK(BM_ComputeConversionRates)->Repetitions(5)->ReportAggregatesOnly(true);

// The sparse plan the solvers use: the same results, only the non-zero factors and terms.
static void BM_RatePlanConversionRates(benchmark::State& state)
{
    narv::TModelDef model = narv::testing::MakeCarbonNitrogenModel();
    const narv::RatePlan plan(model);
    narv::SpeciesArray S;
    narv::SpeciesArray X;
    narv::testing::FillTypicalState(S, X);
    const long allocationsBefore = narv::testing::AllocationCount();
    for (auto _ : state) {
        plan.computeConversionRates(model, S, X, 120.0, 9.0);
        benchmark::DoNotOptimize(model.RS.data());
        benchmark::ClobberMemory();
    }
    state.counters["allocations"] =
        static_cast<double>(narv::testing::AllocationCount() - allocationsBefore) /
        static_cast<double>(state.iterations());
}
BENCHMARK(BM_RatePlanConversionRates)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();

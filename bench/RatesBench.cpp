// Rate evaluation of one compartment: the innermost computation of every solver.
#include "SampleModels.h"
#include "model/Rates.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocationCount{0};
}

void* operator new(std::size_t size)
{
    ++allocationCount;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

static void BM_ComputeConversionRates(benchmark::State& state)
{
    narv::TModelDef model = narv::testing::MakeCarbonNitrogenModel();
    narv::SpeciesArray S;
    narv::SpeciesArray X;
    narv::testing::FillTypicalState(S, X);
    const long allocationsBefore = allocationCount.load();
    for (auto _ : state) {
        narv::ComputeConversionRates(model, S, X, 120.0, 9.0);
        benchmark::DoNotOptimize(model.RS.data());
        benchmark::ClobberMemory();
    }
    state.counters["allocations"] =
        static_cast<double>(allocationCount.load() - allocationsBefore) /
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
    const long allocationsBefore = allocationCount.load();
    for (auto _ : state) {
        plan.computeConversionRates(model, S, X, 120.0, 9.0);
        benchmark::DoNotOptimize(model.RS.data());
        benchmark::ClobberMemory();
    }
    state.counters["allocations"] =
        static_cast<double>(allocationCount.load() - allocationsBefore) /
        static_cast<double>(state.iterations());
}
BENCHMARK(BM_RatePlanConversionRates)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();

// The accurate solvers against the legacy ones on the benchmark example:
//  - the steady state of the published benchmark case by Newton (time, deviation from the
//    published table) and by the relaxation of the example;
//  - 14 days of the example under the benchmark's dry-weather influent in 15-minute rows
//    (data/benchmark/dryweather.cin.csv): time of each integrator, and the largest deviation
//    of any reactor trajectory from a run of CVODE at tolerance 1e-10, relative to that
//    trajectory's peak.
#include "BenchmarkCase.h"
#include "core/RunControl.h"
#include "dynamics/ContinuousSimulation.h"
#include "model/Temperature.h"
#include "plant/ModelSetup.h"
#include "plant/PlantFile.h"
#include "solvers/CvodeIntegrator.h"
#include "solvers/PlantIntegrator.h"
#include "solvers/Relaxation.h"
#include "solvers/SteadyStateNewton.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace narv;

const char* const kExample = NARV_SOURCE_DIR "/examples/asm1-benchmark/asm1-benchmark";
const char* const kDryWeather = NARV_SOURCE_DIR "/data/benchmark/dryweather.cin.csv";
const char* const kPublished = NARV_SOURCE_DIR "/data/benchmark/openloop-steady-state.json";

struct Example {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;

    Example()
    {
        SetUpDefaultModel(model, plant, state);
        ReadModelFile(std::string(kExample) + ".mod", model, plant, state);
        ReadPlantFile(std::string(kExample) + ".pln", model, plant, state);
    }
};

// Every reactor concentration after every row: one trajectory per column.
struct Trajectories {
    int columns = 0;
    std::vector<std::string> names; // "S O in 2": species and reactor of each column
    std::vector<double> values;
    double seconds = 0.0;
    long steps = 0; // of the accurate integrator
    long restarts = 0;
    long evaluations = 0;
    long jacobians = 0;
    long setups = 0;
    long approximateSetups = 0;
};

Trajectories runDryWeather(const TSimSettings& settings, bool cvodeCorrector = false)
{
    static const auto table = [] {
        Example example;
        return ReadContinuousInputFile(kDryWeather, example.model);
    }();
    auto example = std::make_unique<Example>();
    TModelDef& model = example->model;
    TPlantDef& plant = example->plant;
    TPlantState& state = example->state;
    Trajectories result;
    result.columns = plant.ReactorCount * (model.NS + model.NX);
    for (int i = 1; i <= plant.ReactorCount; ++i) {
        for (int j = 1; j <= model.NS; ++j)
            result.names.push_back(model.NameS[j] + " in " + std::to_string(i));
        for (int j = 1; j <= model.NX; ++j)
            result.names.push_back(model.NameX[j] + " in " + std::to_string(i));
    }
    RunControl control;
    CompartmentArray neutral;
    neutral.fill(1.0);
    const auto started = std::chrono::steady_clock::now();
    const std::unique_ptr<PlantIntegrator> integrator =
        MakeSelectedIntegrator(model, plant, state, settings);
    if (auto* cvode = dynamic_cast<CvodeIntegrator*>(integrator.get()))
        cvode->useCvodeCorrector(cvodeCorrector);
    double clockHours = 0.0;
    for (const ContinuousInputRow& row : table.rows) {
        plant.OperatingTemperature = row.temperature;
        plant.InfluentFlow = row.influentFlow;
        plant.Influent2Flow = row.influent2Flow;
        plant.ReturnFlow = row.returnFlow;
        plant.RecircFlow = row.recircFlow;
        plant.Recirc2Flow = row.recirc2Flow;
        for (int j = 1; j <= model.NS; ++j)
            model.InfluentS[j] = row.SIn1[j];
        for (int j = 1; j <= model.NX; ++j)
            model.InfluentX[j] = row.XIn1[j];
        ConvertToOperatingTemperature(model, plant.OperatingTemperature, model.BaseTemperature);
        integrator->integrate(control, false, 0, neutral, clockHours / 24.0, row.timeHours / 24.0,
                              "14");
        clockHours = row.timeHours;
        for (int i = 1; i <= plant.ReactorCount; ++i) {
            for (int j = 1; j <= model.NS; ++j)
                result.values.push_back(state.S[i][j]);
            for (int j = 1; j <= model.NX; ++j)
                result.values.push_back(state.X[i][j]);
        }
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (const auto* cvode = dynamic_cast<const CvodeIntegrator*>(integrator.get())) {
        result.steps = cvode->steps();
        result.restarts = cvode->restarts();
        result.evaluations = cvode->evaluations();
        result.jacobians = cvode->jacobians();
        result.setups = cvode->matrixSetups();
        result.approximateSetups = cvode->approximateSetups();
    }
    return result;
}

const Trajectories& reference()
{
    static const Trajectories trajectories = [] {
        TSimSettings settings = SimSettingsForMissingKeys();
        settings.Solver = IntegratorChoice::Cvode;
        settings.RelTol = 1e-10;
        settings.AbsTol = 1e-12;
        return runDryWeather(settings);
    }();
    return trajectories;
}

struct ColumnDeviation {
    double relative = 0.0; // of the peak
    double absolute = 0.0;
    double peak = 0.0;
    int column = 0;
};

// Every trajectory's largest |value - reference| and its peak |reference|, worst first.
// NARV_BENCH_PEAK_FLOOR=c [g/m3] relates the deviations to max(peak, c) instead of the peak,
// so that a trajectory that stays near 0 does not decide alone.
std::vector<ColumnDeviation> columnDeviations(const Trajectories& run)
{
    const char* floorText = std::getenv("NARV_BENCH_PEAK_FLOOR");
    const double floor = floorText ? std::strtod(floorText, nullptr) : 0.0;
    const Trajectories& ref = reference();
    const int n = ref.columns;
    const std::size_t rows = ref.values.size() / static_cast<std::size_t>(n);
    std::vector<ColumnDeviation> columns;
    for (int c = 0; c < n; ++c) {
        ColumnDeviation d;
        d.column = c;
        for (std::size_t r = 0; r < rows; ++r) {
            const std::size_t k = r * static_cast<std::size_t>(n) + static_cast<std::size_t>(c);
            d.peak = std::max(d.peak, std::fabs(ref.values[k]));
            d.absolute = std::max(d.absolute, std::fabs(run.values[k] - ref.values[k]));
        }
        if (d.peak > 0.0) {
            d.relative = d.absolute / std::max(d.peak, floor);
            columns.push_back(d);
        }
    }
    std::sort(
        columns.begin(), columns.end(),
        [](const ColumnDeviation& a, const ColumnDeviation& b) { return a.relative > b.relative; });
    return columns;
}

// The largest |value - reference| of any trajectory over that trajectory's peak |reference|.
// NARV_BENCH_WORST=N prints the N worst trajectories to stderr.
double largestDeviation(const Trajectories& run)
{
    const std::vector<ColumnDeviation> columns = columnDeviations(run);
    if (const char* worst = std::getenv("NARV_BENCH_WORST")) {
        const std::size_t shown =
            std::min<std::size_t>(columns.size(), std::strtoul(worst, nullptr, 10));
        for (std::size_t k = 0; k < shown; ++k)
            std::fprintf(stderr, "  %-24s peak %-12.5g deviation %-12.5g %.5f %%\n",
                         run.names[static_cast<std::size_t>(columns[k].column)].c_str(),
                         columns[k].peak, columns[k].absolute, 100.0 * columns[k].relative);
    }
    return columns.empty() ? 0.0 : columns.front().relative;
}

// A hash of the bits of every value (FNV-1a, 52 bits so that a counter holds it exactly): equal
// fingerprints show that a change left the run's arithmetic as it was.
double fingerprint(const Trajectories& run)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const double value : run.values) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int b = 0; b < 8; ++b) {
            hash ^= (bits >> (8 * b)) & 0xffu;
            hash *= 1099511628211ull;
        }
    }
    return static_cast<double>(hash >> 12);
}

// NARV_BENCH_NO_REFERENCE=1 leaves the reference run out (for profiling one solver alone); the
// deviation is then not reported.
bool withReference()
{
    const char* skip = std::getenv("NARV_BENCH_NO_REFERENCE");
    return !(skip && *skip && std::string(skip) != "0");
}

void dryWeather(benchmark::State& state, TSimSettings settings, bool cvodeCorrector = false)
{
    if (withReference())
        reference();
    Trajectories last;
    double seconds = 0.0;
    for (auto _ : state) {
        last = runDryWeather(settings, cvodeCorrector);
        seconds += last.seconds;
    }
    state.counters["run_s"] = seconds / static_cast<double>(state.iterations());
    if (withReference())
        state.counters["deviation_pct_of_peak"] = 100.0 * largestDeviation(last);
    state.counters["fingerprint"] = fingerprint(last);
    if (last.steps > 0) {
        state.counters["steps"] = static_cast<double>(last.steps);
        state.counters["restarts"] = static_cast<double>(last.restarts);
        state.counters["rhs"] = static_cast<double>(last.evaluations);
        state.counters["jacobians"] = static_cast<double>(last.jacobians);
        state.counters["lu"] = static_cast<double>(last.setups);
        state.counters["lu_approximate"] = static_cast<double>(last.approximateSetups);
    }
}

void BM_DryWeather14DaysLegacy(benchmark::State& state)
{
    dryWeather(state, SimSettingsForMissingKeys());
}

// Argument: -log10 of the relative tolerance; the absolute one is 100 times smaller.
void BM_DryWeather14DaysCvode(benchmark::State& state)
{
    TSimSettings settings = SimSettingsForMissingKeys();
    settings.Solver = IntegratorChoice::Cvode;
    if (state.range(0) > 0) {
        settings.RelTol = std::pow(10.0, -static_cast<double>(state.range(0)));
        settings.AbsTol = settings.RelTol * 1e-2;
    } else {
        // NARV_BENCH_RTOL and NARV_BENCH_ATOL set other tolerances for argument 0.
        if (const char* rtol = std::getenv("NARV_BENCH_RTOL"))
            settings.RelTol = std::strtod(rtol, nullptr);
        if (const char* atol = std::getenv("NARV_BENCH_ATOL"))
            settings.AbsTol = std::strtod(atol, nullptr);
    }
    dryWeather(state, settings);
}

// The default run with CVODE's own Newton iteration for the corrector: the same fingerprint
// as BM_DryWeather14DaysCvode/0, in more time.
void BM_DryWeather14DaysCvodeCorrector(benchmark::State& state)
{
    TSimSettings settings = SimSettingsForMissingKeys();
    settings.Solver = IntegratorChoice::Cvode;
    dryWeather(state, settings, true);
}

// The legacy integrator at finer accuracies (Eps2 = Eps = 10^-argument).
void BM_DryWeather14DaysLegacyFine(benchmark::State& state)
{
    TSimSettings settings = SimSettingsForMissingKeys();
    settings.Eps2 = std::pow(10.0, -static_cast<double>(state.range(0)));
    settings.Eps = settings.Eps2;
    // Below Eps 1e-4 the steps sit at the minimal time step; NARV_BENCH_DELTMIN lowers it.
    if (const char* deltMin = std::getenv("NARV_BENCH_DELTMIN")) {
        settings.DeltMin = std::strtod(deltMin, nullptr);
        UpdateDeltMinO2(settings);
    }
    dryWeather(state, settings);
}

double publishedDeviation(const modelgen::BenchmarkCase& benchmark)
{
    double worst = 0.0;
    for (const modelgen::PublishedValue& p : benchmark.published) {
        const double value = p.dissolved ? benchmark.state.S[p.reactor][p.species]
                                         : benchmark.state.X[p.reactor][p.species];
        worst = std::max(worst, std::fabs(value - p.value) / std::fabs(p.value));
    }
    return worst;
}

// Newton from the model's initial conditions on the published case at full precision.
void BM_SteadyStateNewton(benchmark::State& state)
{
    const modelgen::BenchmarkCase original = modelgen::LoadBenchmarkCase(kPublished);
    auto benchmark = std::make_unique<modelgen::BenchmarkCase>(original);
    const TSimSettings settings = SimSettingsForMissingKeys();
    RunControl control;
    for (auto _ : state) {
        *benchmark = original;
        SteadyStateNewton newton(benchmark->model, benchmark->plant, benchmark->state, settings);
        double residual = 0.0;
        long iterations = 0;
        long evaluations = 0;
        if (!newton.solve(residual, iterations, evaluations))
            state.SkipWithError("Newton did not converge");
    }
    state.counters["deviation_from_published"] = publishedDeviation(*benchmark);
}

// The default relaxation of the same case, for comparison.
void BM_SteadyStateRelaxation(benchmark::State& state)
{
    const modelgen::BenchmarkCase original = modelgen::LoadBenchmarkCase(kPublished);
    auto benchmark = std::make_unique<modelgen::BenchmarkCase>(original);
    const TSimSettings settings = SimSettingsForMissingKeys();
    RunControl control;
    for (auto _ : state) {
        *benchmark = original;
        Relaxation relaxation(benchmark->model, benchmark->plant, benchmark->state, settings);
        relaxation.run(control, DefaultRelaxationTimes(benchmark->plant));
    }
    state.counters["deviation_from_published"] = publishedDeviation(*benchmark);
}

} // namespace

BENCHMARK(BM_SteadyStateNewton)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SteadyStateRelaxation)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DryWeather14DaysLegacy)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DryWeather14DaysLegacyFine)
    ->Arg(3)
    ->Arg(4)
    ->Arg(5)
    ->Arg(6)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_DryWeather14DaysCvodeCorrector)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DryWeather14DaysCvode)
    ->Arg(0)
    ->Arg(4)
    ->Arg(5)
    ->Arg(6)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_MAIN();

#include "cli/Commands.h"

#include "BenchmarkCase.h"
#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "core/Error.h"
#include "solvers/SteadyStateNewton.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <ostream>
#include <vector>

namespace narv::cli {

const char* const kVerifyHelp =
    R"(Usage: narv-cli verify [--data FILE.json]

The built-in verification: builds the benchmark plant (five reactors, ideal clarifier) with
the published open-loop influent and ASM1 parameters at full precision, solves its steady
state by Newton's method (the relaxation as the fallback) and prints, per reactor and
species, the value, the published value and the relative deviation, the worst deviation
last. Exit code 0 when every deviation is within 1e-4, 1 otherwise.

  --data FILE   the published case (default: data/benchmark/openloop-steady-state.json
                beside the program or in its source tree)
)";

OptionSpec VerifyOptions()
{
    return {{"--data"}, {}, 0};
}

namespace {

namespace fs = std::filesystem;

constexpr double kAllowedDeviation = 1e-4;

fs::path findData(const CliArguments& arguments)
{
    if (const auto data = arguments.value("--data"))
        return *data;
    const fs::path relative = fs::path("data") / "benchmark" / "openloop-steady-state.json";
    std::error_code ec;
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        for (fs::path directory = executable.parent_path(); !directory.empty();
             directory = directory.parent_path()) {
            if (fs::is_regular_file(directory / relative, ec))
                return directory / relative;
            if (directory == directory.parent_path())
                break;
        }
#ifdef NARV_SOURCE_DIR
    if (fs::is_regular_file(fs::path(NARV_SOURCE_DIR) / relative, ec))
        return fs::path(NARV_SOURCE_DIR) / relative;
#endif
    throw Error(fmt::format("The published benchmark case {} was not found beside the program; "
                            "give it with --data FILE.",
                            relative.string()));
}

struct Row {
    const modelgen::PublishedValue* published;
    double value;
    double deviation;
};

} // namespace

int runVerify(const CliArguments& arguments, std::ostream& out)
{
    const fs::path data = findData(arguments);
    auto benchmark = std::make_unique<modelgen::BenchmarkCase>(modelgen::LoadBenchmarkCase(data));
    TSimSettings settings = SimSettingsForMissingKeys();
    settings.Steady = SteadyMethod::Newton;
    RunControl quiet;
    SteadyStateNewton newton(benchmark->model, benchmark->plant, benchmark->state, settings);
    const RelaxationTimes times = DefaultRelaxationTimes(benchmark->plant);
    const SteadyStateOutcome outcome = newton.run(quiet, times);

    std::vector<Row> rows;
    for (const modelgen::PublishedValue& published : benchmark->published) {
        const TPlantState& state = benchmark->state;
        const double value = published.dissolved ? state.S[published.reactor][published.species]
                                                 : state.X[published.reactor][published.species];
        rows.push_back({&published, value, std::fabs(value - published.value) /
                                               std::fabs(published.value)});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.deviation < b.deviation; });
    out << fmt::format("Benchmark open-loop steady state ({})\n", data.filename().string());
    out << SteadyStateSummary(outcome) << '\n';
    out << fmt::format("{:>7}  {:<7}{:>22}{:>22}{:>14}\n", "reactor", "species", "value",
                       "published", "deviation");
    for (const Row& row : rows)
        out << fmt::format("{:>7}  {:<7}{:>22.15g}{:>22.15g}{:>14.3e}\n", row.published->reactor,
                           row.published->name, row.value, row.published->value, row.deviation);
    const Row& worst = rows.back();
    const bool passed = outcome.converged && worst.deviation <= kAllowedDeviation;
    out << fmt::format("Largest deviation {:.3e} ({} in reactor {}): {} the allowed {:g}.\n",
                       worst.deviation, worst.published->name, worst.published->reactor,
                       passed ? "within" : "NOT within", kAllowedDeviation);
    return passed ? kExitSuccess : kExitError;
}

} // namespace narv::cli

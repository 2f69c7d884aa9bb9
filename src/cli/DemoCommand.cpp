#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/TextUtil.h"
#include "dynamics/Variation.h"
#include "model/ModelFile.h"
#include "plant/PlantFile.h"
#include "shell/CaseFiles.h"
#include "shell/Computations.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace narv::cli {

const char* const kDemoHelp =
    R"(Usage: narv-cli demo [--out DIR] [--project DIR]

Runs the example project asm1-benchmark end to end: ASM1 with the benchmark's parameters at
15 °C on the benchmark plant (two anoxic and three aerated reactors, an ideal clarifier of two
compartments). The plant is relaxed to its steady state under the constant influent, then
driven through 3 days of the project's diurnal variation, the last day recorded. Writes into
DIR:
  asm1-benchmark.rlt   the results file of the run
  asm1-benchmark.csv   every recorded series as CSV
  charts/*.png         every chart of the run (where narv-cli has the chart renderer)
  steady-state.pln     the plant at its steady state
  summary.txt          effluent and reactors: the steady state, and mean, minimum and
                       maximum over the recorded day
and prints the summary.

  --out DIR       the output directory, created when missing (default narv-demo-output)
  --project DIR   the directory of the example project (default: examples/asm1-benchmark in
                  the source tree narv-cli was built in)
)";

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kProject = "asm1-benchmark";
constexpr const char* kDefaultOutput = "narv-demo-output";
constexpr int kCycles = 3;

fs::path projectFile(const fs::path& directory, const char* extension)
{
    return directory / (std::string(kProject) + extension);
}

std::vector<fs::path> projectFiles(const fs::path& directory)
{
    return {projectFile(directory, kModelFileExtension),
            projectFile(directory, kPlantFileExtension),
            projectFile(directory, kVariationFileExtension)};
}

bool holdsProject(const fs::path& directory)
{
    std::error_code ec;
    for (const fs::path& file : projectFiles(directory))
        if (!fs::is_regular_file(file, ec))
            return false;
    return true;
}

// --project, else examples/asm1-benchmark in a directory above the executable (a build tree
// inside the source tree), else in the source tree the program was built from.
fs::path findProject(const CliArguments& arguments)
{
    if (const auto given = arguments.value("--project")) {
        std::error_code ec;
        for (const fs::path& file : projectFiles(*given))
            if (!fs::is_regular_file(file, ec))
                throw Error(fmt::format("{} does not hold the example project {}: {} is missing.",
                                        *given, kProject, file.string()));
        return *given;
    }
    const fs::path relative = fs::path("examples") / kProject;
    std::error_code ec;
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        for (fs::path directory = executable.parent_path(); !directory.empty();
             directory = directory.parent_path()) {
            if (holdsProject(directory / relative))
                return directory / relative;
            if (directory == directory.parent_path())
                break;
        }
#ifdef NARV_SOURCE_DIR
    if (holdsProject(fs::path(NARV_SOURCE_DIR) / relative))
        return fs::path(NARV_SOURCE_DIR) / relative;
#endif
    throw Error(fmt::format(
        "The example project {} was not found: there is no {} in the directories above {}. "
        "Give the project's directory with --project DIR.",
        kProject, relative.string(),
        ec ? std::string("the program") : executable.parent_path().string()));
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Mean over time (trapezoidal, as the points are values at instants), minimum and maximum.
struct SeriesSummary {
    double mean = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
};

SeriesSummary summarize(const TResultSeries& series)
{
    const std::vector<ResultPoint>& points = series.Points;
    if (points.empty())
        throw Error(fmt::format("The run recorded no values of \"{}\".", series.Title));
    SeriesSummary summary;
    summary.minimum = summary.maximum = points.front().y;
    double area = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        summary.minimum = std::min(summary.minimum, points[i].y);
        summary.maximum = std::max(summary.maximum, points[i].y);
        if (i > 0)
            area += (points[i].x - points[i - 1].x) * (points[i].y + points[i - 1].y) / 2.0;
    }
    const double span = points.back().x - points.front().x;
    summary.mean = span > 0.0 ? area / span : points.front().y;
    return summary;
}

// One line of the table: where a value comes from in the steady state and in the run.
struct SummaryRow {
    std::string species;
    double steadyState;
    std::string seriesTitle;
};

struct SummaryBlock {
    std::string title;
    std::vector<SummaryRow> rows;
};

std::string reactorDescription(const TPlantDef& plant, int reactor)
{
    std::string aeration = "not aerated";
    if (plant.O2Setpoint[reactor] > 0.0)
        aeration = fmt::format("oxygen held at {:g} g/m3", plant.O2Setpoint[reactor]);
    else if (plant.Kla[reactor] > 0.0)
        aeration = fmt::format("aerated, kla {:g} 1/d", plant.Kla[reactor]);
    return fmt::format("Reactor {} ({:g} m3, {})", reactor, plant.Volume[reactor], aeration);
}

// The effluent is the last clarifier compartment for the dissolved species; the clarifier
// carries no particulate species and leaves oxygen as it was, so those come from the last
// reactor. Then every reactor.
std::vector<SummaryBlock> summaryBlocks(const TModelDef& model, const TPlantDef& plant,
                                        const TPlantState& steady)
{
    const int lastReactor = plant.ReactorCount;
    const int last = plant.CompartmentCount;
    const auto name = [](const std::string& stored) { return CollapseBlanks(stored); };
    const auto reactorTitle = [&](int r, const std::string& species) {
        return fmt::format("R {}: {}", r, species);
    };
    std::vector<SummaryBlock> blocks;

    SummaryBlock effluent;
    if (last > lastReactor) {
        effluent.title = fmt::format("Effluent (dissolved species of clarifier compartment {}, "
                                     "oxygen and particulate species of reactor {})",
                                     last - lastReactor, lastReactor);
        for (int j = 1; j <= model.NS; ++j) {
            const std::string species = name(model.NameS[j]);
            if (j == 1)
                effluent.rows.push_back(
                    {species, steady.S[lastReactor][j], reactorTitle(lastReactor, species)});
            else
                effluent.rows.push_back({species, steady.S[last][j],
                                         fmt::format("Cl {}: {}", last - lastReactor, species)});
        }
    } else {
        effluent.title = fmt::format("Effluent (reactor {})", lastReactor);
        for (int j = 1; j <= model.NS; ++j)
            effluent.rows.push_back({name(model.NameS[j]), steady.S[lastReactor][j],
                                     reactorTitle(lastReactor, name(model.NameS[j]))});
    }
    for (int j = 1; j <= model.NX; ++j)
        effluent.rows.push_back({name(model.NameX[j]), steady.X[lastReactor][j],
                                 reactorTitle(lastReactor, name(model.NameX[j]))});
    blocks.push_back(std::move(effluent));

    for (int r = 1; r <= lastReactor; ++r) {
        SummaryBlock reactor{reactorDescription(plant, r), {}};
        for (int j = 1; j <= model.NS; ++j)
            reactor.rows.push_back(
                {name(model.NameS[j]), steady.S[r][j], reactorTitle(r, name(model.NameS[j]))});
        for (int j = 1; j <= model.NX; ++j)
            reactor.rows.push_back(
                {name(model.NameX[j]), steady.X[r][j], reactorTitle(r, name(model.NameX[j]))});
        blocks.push_back(std::move(reactor));
    }
    return blocks;
}

std::string summaryText(const TModelDef& model, const TPlantDef& plant, const TPlantState& steady,
                        const TResultSet& results, double cycleDuration)
{
    std::map<std::string, const TResultSeries*> seriesByTitle;
    for (const SeriesPointer& series : results.Series)
        if (series)
            seriesByTitle.emplace(series->Title, series.get());

    const std::vector<SummaryBlock> blocks = summaryBlocks(model, plant, steady);
    std::size_t nameWidth = 7;
    for (const SummaryBlock& block : blocks)
        for (const SummaryRow& row : block.rows)
            nameWidth = std::max(nameWidth, row.species.size());
    // Three decimals, or three digits in exponent form for the traces of oxygen in anoxic
    // reactors, which three decimals would show as 0.
    const auto number = [](double value) {
        return value == 0.0 || std::fabs(value) >= 0.01 ? fmt::format("{:13.3f}", value)
                                                        : fmt::format("{:13.2e}", value);
    };

    std::string text = fmt::format(
        "{}: the steady state under the constant influent, then mean, minimum and maximum\n"
        "over the last of {} cycles of {:g} d of the diurnal variation.\n"
        "Concentrations in g/m3, alkalinity in mol/m3; the mean is taken over time.\n",
        kProject, kCycles, cycleDuration);
    for (const SummaryBlock& block : blocks) {
        text += fmt::format("\n{}\n  {:<{}}{:>13}{:>13}{:>13}{:>13}\n", block.title, "Species",
                            nameWidth, "Steady state", "Mean", "Minimum", "Maximum");
        for (const SummaryRow& row : block.rows) {
            const auto found = seriesByTitle.find(row.seriesTitle);
            if (found == seriesByTitle.end())
                throw Error(fmt::format("The run recorded no series \"{}\".", row.seriesTitle));
            const SeriesSummary cycle = summarize(*found->second);
            text +=
                fmt::format("  {:<{}}{}{}{}{}\n", row.species, nameWidth, number(row.steadyState),
                            number(cycle.mean), number(cycle.minimum), number(cycle.maximum));
        }
    }
    return text;
}

// The run's own charts as PNG files; a narv-cli without the renderer says so and goes on.
std::string drawCharts(const TResultSet& results, const fs::path& directory, OutputSet& outputs)
{
    if (!ChartRendererAvailable())
        return "no charts drawn: this narv-cli was built without the chart renderer";
    const auto files = outputs.stageDirectory(
        directory, [&](const fs::path& staging) { DrawRunCharts(results, staging); });
    return fmt::format("{} charts drawn into {}", files.size(), directory.string());
}

// Removes the output directory again when the demo created it and then failed, so that a
// failed demo leaves no empty directory behind.
class CreatedDirectory {
public:
    explicit CreatedDirectory(const fs::path& directory) : m_directory(directory)
    {
        std::error_code ec;
        m_created = !fs::exists(directory, ec);
        fs::create_directories(directory, ec);
        if (ec || !fs::is_directory(directory))
            throw IoError(fmt::format("The output directory {} cannot be created: {}",
                                      directory.string(),
                                      ec ? ec.message() : "a file of that name exists"));
    }
    ~CreatedDirectory()
    {
        std::error_code ignored;
        if (m_created && !m_kept)
            fs::remove_all(m_directory, ignored);
    }
    CreatedDirectory(const CreatedDirectory&) = delete;
    CreatedDirectory& operator=(const CreatedDirectory&) = delete;
    void keep() { m_kept = true; }

private:
    fs::path m_directory;
    bool m_created = false;
    bool m_kept = false;
};

} // namespace

OptionSpec DemoOptions()
{
    return {{"--out", "--project"}, {}, 0};
}

int runDemo(const CliArguments& arguments, std::ostream& out)
{
    const fs::path project = findProject(arguments);
    const fs::path output = arguments.value("--out").value_or(kDefaultOutput);
    CreatedDirectory directory(output);
    OutputSet outputs; // declared after the directory: its staged files go first

    auto workspace = std::make_unique<Workspace>();
    const TModelDef& model = workspace->model;
    const TPlantDef& plant = workspace->plant;
    const std::string keyword =
        LoadCase(*workspace, {projectFile(project, kModelFileExtension),
                              projectFile(project, kPlantFileExtension),
                              projectFile(project, kVariationFileExtension)})
            .plantKeyword;
    const TSimSettings settings = SimSettingsForMissingKeys();
    out << fmt::format("Example project {} in {}\n", kProject, project.string());

    TerminalProgress progress;
    const RelaxationTimes times = DefaultRelaxationTimes(plant);
    const Clock::time_point relaxationStart = Clock::now();
    const RelaxationOutcome relaxation = RunRelaxation(*workspace, settings, progress, times);
    const double relaxationSeconds = secondsSince(relaxationStart);
    out << fmt::format("Relaxed to the steady state over {:g} d in {} iterations\n",
                       times.particulate, relaxation.iterations);
    const auto steady = std::make_unique<TPlantState>(workspace->state);
    SavePlant(*workspace, keyword, outputs.stage(output / "steady-state.pln"));

    DynamicRunRequest request;
    request.cycles = kCycles;
    request.chartSetup.ProjectName = kProject;
    request.chartSetup.ModelName = kProject;
    request.chartSetup.PlantName = kProject;
    request.chartSetup.VariationName = kProject;
    const Clock::time_point dynamicStart = Clock::now();
    const DynamicRunOutcome dynamic = RunDynamicSimulation(*workspace, settings, progress, request);
    ThrowIfStopSignal("the demo ended early; no output was written.");
    const double dynamicSeconds = secondsSince(dynamicStart);
    const TResultSet& results = workspace->results;
    out << fmt::format("Simulated {} cycles of the diurnal variation, the last one recorded\n",
                       kCycles);

    const Clock::time_point writeStart = Clock::now();
    const std::string summary = summaryText(model, plant, *steady, results, dynamic.cycleDuration);
    SaveRunResults(*workspace, outputs.stage(output / (std::string(kProject) + ".rlt")));
    WriteRunSeriesCsv(results, outputs.stage(output / (std::string(kProject) + ".csv")));
    writeFileAtomically(outputs.stage(output / "summary.txt"),
                        [&](std::ostream& file) { file << summary; });
    const Clock::time_point chartStart = Clock::now();
    const std::string charts = drawCharts(results, output / "charts", outputs);
    const double chartSeconds = secondsSince(chartStart);
    outputs.commit();
    directory.keep();
    const double writeSeconds = secondsSince(writeStart);

    out << '\n' << summary << '\n';
    out << fmt::format("Results file, CSV, summary and steady state written to {}; {}.\n",
                       output.string(), charts);
    out << fmt::format("Time: relaxation {:.3f} s, dynamic simulation {:.3f} s, writing the "
                       "outputs {:.3f} s (of which the charts {:.3f} s).\n",
                       relaxationSeconds, dynamicSeconds, writeSeconds, chartSeconds);
    return kExitSuccess;
}

} // namespace narv::cli

#include "cli/Commands.h"

#include "cli/Cli.h"
#include "cli/CliSupport.h"
#include "core/Error.h"
#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "core/TextUtil.h"
#include "shell/Computations.h"

#include <fmt/format.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <sstream>

namespace narv::cli {
namespace {

// "X,S,O2": the three relaxation times in days.
RelaxationTimes parseTimes(const std::string& text)
{
    std::stringstream in(text);
    std::string part;
    double values[3] = {};
    int count = 0;
    while (std::getline(in, part, ',')) {
        if (count == 3 || !parseReal(part, values[count]) || values[count] < 0.0)
            throw UsageError("--times needs three non-negative numbers X,S,O2, not '" + text + "'");
        ++count;
    }
    if (count != 3)
        throw UsageError("--times needs three non-negative numbers X,S,O2, not '" + text + "'");
    return {values[0], values[1], values[2]};
}

// The dissolved species of the last compartment (the effluent of a plant with a clarifier)
// and the particulate species of the last reactor: what a user looks at first.
void printEffluent(std::ostream& out, const Workspace& workspace)
{
    const TModelDef& model = workspace.model;
    const TPlantDef& plant = workspace.plant;
    const TPlantState& state = workspace.state;
    const int last = plant.CompartmentCount;
    out << fmt::format("Dissolved species in compartment {}:\n", last);
    for (int j = 1; j <= model.NS; ++j)
        out << fmt::format("  {:<20}{}\n", CollapseBlanks(model.NameS[j]),
                           FormatNumber(12, 3, state.S[last][j]));
    if (model.NX == 0)
        return;
    out << fmt::format("Particulate species in reactor {}:\n", plant.ReactorCount);
    for (int j = 1; j <= model.NX; ++j)
        out << fmt::format("  {:<20}{}\n", CollapseBlanks(model.NameX[j]),
                           FormatNumber(12, 3, state.X[plant.ReactorCount][j]));
}

} // namespace

int runIntegrate(const CliArguments& arguments, std::ostream& out)
{
    arguments.required("--plant");
    const double days = RealOption(arguments, "--days");
    if (days < 0.0 || days > kMaxRunDays)
        throw UsageError(fmt::format("--days must lie between 0 and {}", formatLimit(kMaxRunDays)));
    auto workspace = std::make_unique<Workspace>();
    const std::string keyword = LoadCaseFiles(*workspace, arguments);
    RefuseSpecialPlantComputation(*workspace);
    const TSimSettings settings = LoadSettings(arguments);
    TerminalProgress progress;
    IntegrationRequest request;
    request.endTime = days;
    request.endTimeText = arguments.required("--days");
    const RunOutcome outcome = RunIntegration(*workspace, settings, progress, request);
    ThrowIfStopSignal(fmt::format("the integration ended at {:g} d; no output was written.",
                                  workspace->state.Time));
    OutputSet outputs;
    WriteRunOutputs(*workspace, keyword, arguments, outputs);
    outputs.commit();
    out << fmt::format("Integrated {:g} d in {} chunks; simulation time: {}\n", days,
                       outcome.chunks, FormatElapsed(outcome.elapsedSeconds));
    printEffluent(out, *workspace);
    return kExitSuccess;
}

int runRelax(const CliArguments& arguments, std::ostream& out)
{
    arguments.required("--plant");
    auto workspace = std::make_unique<Workspace>();
    const std::string keyword = LoadCaseFiles(*workspace, arguments);
    RefuseSpecialPlantComputation(*workspace);
    const TSimSettings settings = LoadSettings(arguments);
    const auto timesText = arguments.value("--times");
    const RelaxationTimes times =
        timesText ? parseTimes(*timesText) : DefaultRelaxationTimes(workspace->plant);
    // The relaxation window's limit, and the longest run of any command.
    const double longest = std::min(10.0 * workspace->plant.SludgeAge, kMaxRunDays);
    for (const double time : {times.particulate, times.dissolved, times.oxygen})
        if (time > longest)
            throw UsageError(fmt::format("--times: a relaxation time of {:g} d exceeds {:g} d (10 "
                                         "times the sludge age, at most {})",
                                         time, longest, formatLimit(kMaxRunDays)));
    TerminalProgress progress;
    const RelaxationOutcome outcome = RunRelaxation(*workspace, settings, progress, times);
    ThrowIfStopSignal("the relaxation ended early; no output was written.");
    OutputSet outputs;
    WriteRunOutputs(*workspace, keyword, arguments, outputs);
    outputs.commit();
    if (outcome.newton) {
        out << SteadyStateSummary(*outcome.newton) << '\n';
        printEffluent(out, *workspace);
        return kExitSuccess;
    }
    out << fmt::format(
        "Relaxed over {} d (particulate), {} d (dissolved), {} d (oxygen) in {} iterations; time "
        "for relaxation: {}\n",
        fmt::format("{:g}", times.particulate), fmt::format("{:g}", times.dissolved),
        fmt::format("{:g}", times.oxygen), outcome.iterations,
        FormatElapsed(outcome.run.elapsedSeconds));
    printEffluent(out, *workspace);
    return kExitSuccess;
}

} // namespace narv::cli

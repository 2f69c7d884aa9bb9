#include "cli/CliSupport.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/NumberFormat.h"
#include "shell/CaseFiles.h"
#ifdef NARV_HAS_CHART_RENDERER
#include "cli/RendererModule.h"
#endif

#include <fmt/format.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <signal.h>
#include <unistd.h>

namespace narv::cli {

std::string LoadCaseFiles(Workspace& workspace, const CliArguments& arguments)
{
    CaseFiles files;
    files.model = arguments.required("--model");
    if (const auto plant = arguments.value("--plant"))
        files.plant = *plant;
    if (const auto variation = arguments.value("--variation"))
        files.variation = *variation;
    const LoadedCase loaded = LoadCase(workspace, files);
    if (loaded.variationWarning)
        std::cerr << TerminalMessage(*loaded.variationWarning) << '\n';
    return loaded.plantKeyword;
}

TSimSettings LoadSettings(const CliArguments& arguments)
{
    const auto path = arguments.value("--settings");
    TSimSettings settings = LoadSimulationSettings(
        path ? std::optional<std::filesystem::path>(*path) : std::nullopt);
    // The solver options override the keys of the settings file.
    if (const auto solver = arguments.value("--solver"))
        if (!ParseIntegratorChoice(*solver, settings.Solver))
            throw UsageError("--solver must be legacy or cvode, not '" + *solver + "'");
    if (const auto steady = arguments.value("--steady"))
        if (!ParseSteadyMethod(*steady, settings.Steady))
            throw UsageError("--steady must be relax or newton, not '" + *steady + "'");
    if (arguments.has("--rtol")) {
        settings.RelTol = RealOption(arguments, "--rtol");
        if (!(settings.RelTol > 0.0 && settings.RelTol < 1.0))
            throw UsageError("--rtol needs a number between 0 and 1, not '" +
                             arguments.required("--rtol") + "'");
    }
    if (arguments.has("--atol")) {
        settings.AbsTol = RealOption(arguments, "--atol");
        if (!(settings.AbsTol > 0.0) || !std::isfinite(settings.AbsTol))
            throw UsageError("--atol needs a positive number, not '" +
                             arguments.required("--atol") + "'");
    }
    return settings;
}

void AddSolverOptions(OptionSpec& options, bool steadyState)
{
    options.withValue.insert({"--solver", "--rtol", "--atol"});
    if (steadyState)
        options.withValue.insert("--steady");
}

double RealOption(const CliArguments& arguments, const std::string& name)
{
    double value = 0.0;
    const std::string text = arguments.required(name);
    if (!parseReal(text, value))
        throw UsageError("option " + name + " needs a number, not '" + text + "'");
    return value;
}

Json Numbers(const double* values, int count)
{
    Json array = Json::array();
    for (int i = 0; i < count; ++i)
        array.push_back(values[i]);
    return array;
}

Json StateJson(const Workspace& workspace, const SbrRunState* sbr)
{
    const TModelDef& model = workspace.model;
    const TPlantDef& plant = workspace.plant;
    const TPlantState& state = workspace.state;
    const int compartments = plant.CompartmentCount;
    Json json;
    json["time"] = state.Time;
    Json list = Json::array();
    for (int c = 1; c <= compartments; ++c) {
        Json compartment;
        compartment["S"] = Numbers(state.S[c].data(), model.NS);
        compartment["X"] = Numbers(state.X[c].data(), model.NX);
        list.push_back(compartment);
    }
    json["compartments"] = list;
    Json inputs;
    inputs["InfluentFlow"] = plant.InfluentFlow;
    inputs["Influent2Flow"] = plant.Influent2Flow;
    inputs["ReturnFlow"] = plant.ReturnFlow;
    inputs["RecircFlow"] = plant.RecircFlow;
    inputs["Recirc2Flow"] = plant.Recirc2Flow;
    inputs["ExcessRate"] = plant.ExcessRate;
    inputs["OperatingTemperature"] = plant.OperatingTemperature;
    inputs["Kla"] = Numbers(plant.Kla.data(), compartments);
    inputs["O2Setpoint"] = Numbers(plant.O2Setpoint.data(), compartments);
    json["plant"] = inputs;
    if (sbr != nullptr) {
        Json tank;
        tank["volume"] = sbr->volume;
        tank["time"] = sbr->time;
        json["sbr"] = tank;
    }
    return json;
}

void WriteTextFile(const std::filesystem::path& path, const std::string& text)
{
    writeFileAtomically(path, [&](std::ostream& out) { out << text; });
}

void WriteRunOutputs(const Workspace& workspace, const std::string& keyword,
                     const CliArguments& arguments, OutputSet& outputs, const SbrRunState* sbr)
{
    if (const auto path = arguments.value("--save"))
        SavePlant(workspace, keyword, outputs.stage(*path));
    if (const auto path = arguments.value("--state-json"))
        WriteTextFile(outputs.stage(*path), StateJson(workspace, sbr).dump(2) + "\n");
}

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void onStopSignal(int signal)
{
    g_stopSignal = signal;
}

} // namespace

void InstallStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

bool StopSignalReceived()
{
    return g_stopSignal != 0;
}

void ThrowIfStopSignal(const std::string& what)
{
    if (g_stopSignal != 0)
        throw Error(
            fmt::format("Stopped by {}: {}", g_stopSignal == SIGINT ? "Ctrl-C" : "SIGTERM", what));
}

bool ChartRendererAvailable()
{
#ifdef NARV_HAS_CHART_RENDERER
    return true;
#else
    return false;
#endif
}

std::vector<std::filesystem::path> DrawRunCharts(const TResultSet& results,
                                                 const std::filesystem::path& directory)
{
#ifdef NARV_HAS_CHART_RENDERER
    // Qt wants a private runtime directory; without a session there is none.
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const std::filesystem::path runtime =
            std::filesystem::temp_directory_path() / fmt::format("narv-runtime-{}", ::getuid());
        std::error_code ec;
        std::filesystem::create_directories(runtime, ec);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all, ec);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    }
    std::vector<TChart> charts;
    if (results.FirstAutoChart >= 0)
        for (int n = results.FirstAutoChart; n <= results.LastAutoChart; ++n)
            charts.push_back(results.Charts[static_cast<std::size_t>(n)]);
    return DrawChartsToDirectory(charts, directory);
#else
    (void)results;
    (void)directory;
    throw Error(
        "This narv-cli was built without the chart renderer (NARV_BUILD_UI=OFF): charts are "
        "not available.");
#endif
}

std::string TerminalMessage(const std::string& message)
{
    std::string text;
    text.reserve(message.size());
    for (const char c : message) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    return text;
}

TerminalProgress::TerminalProgress() : m_terminal(::isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress()
{
    if (m_shown)
        std::cerr << '\n';
}

bool TerminalProgress::wantsProgress()
{
    if (!m_terminal)
        return false;
    return std::chrono::steady_clock::now() - m_last > std::chrono::milliseconds(200);
}

bool TerminalProgress::stopRequested()
{
    return StopSignalReceived();
}

void TerminalProgress::progress(const std::string& text)
{
    if (!m_terminal)
        return;
    m_last = std::chrono::steady_clock::now();
    std::cerr << '\r' << text << "\033[K" << std::flush;
    m_shown = true;
}

} // namespace narv::cli

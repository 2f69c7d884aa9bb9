#include "core/Error.h"
#include "core/InputCheck.h"
#include "dynamics/ContinuousSimulation.h"
#include "dynamics/DynamicSimulation.h"
#include "dynamics/Variation.h"
#include "model/Temperature.h"
#include "plant/ModelSetup.h"
#include "python/CaseValues.h"
#include "python/PythonRunControl.h"
#include "results/ResultSet.h"
#include "shell/CaseFiles.h"
#include "shell/Computations.h"
#include "shell/SimulationSettingsFile.h"
#include "special/SbrEditor.h"
#include "special/SpecialPlantFile.h"
#include "core/TextUtil.h"

#include <fmt/format.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace narv::python {
namespace {

// A copy of the plant and its state travels as bytes to another process of the same build.
static_assert(std::is_trivially_copyable_v<TPlantDef>);
static_assert(std::is_trivially_copyable_v<TPlantState>);

using Path = std::filesystem::path;

// One loaded case: the workspace with the files it came from, its numerical settings and the
// values set since loading (replayed when the case is copied to another process).
struct Case {
    std::unique_ptr<Workspace> workspace = std::make_unique<Workspace>();
    CaseFiles files;
    std::optional<Path> settingsFile;
    std::string keyword;
    std::optional<std::string> variationWarning;
    TSimSettings settings;
    std::vector<std::pair<std::string, double>> changes;
    TSbrCycle loadedCycle; // the SBR cycle as its file holds it
    std::atomic<bool> busy{false};
};

// Refuses a second use of a case while a run of it goes on without the GIL in another thread.
class BusyGuard {
public:
    explicit BusyGuard(Case& c) : m_case(c)
    {
        if (m_case.busy.exchange(true))
            throw Error("This case is running a computation in another thread.");
    }
    ~BusyGuard() { m_case.busy = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    Case& m_case;
};

void checkIdle(const Case& c)
{
    if (c.busy)
        throw Error("This case is running a computation in another thread.");
}

std::unique_ptr<Case> loadCase(const Path& model, const std::optional<Path>& plant,
                               const std::optional<Path>& variation,
                               const std::optional<Path>& settings)
{
    auto c = std::make_unique<Case>();
    c->files.model = model;
    c->files.plant = plant;
    c->files.variation = variation;
    c->settingsFile = settings;
    c->settings = LoadSimulationSettings(settings);
    const LoadedCase loaded = LoadCase(*c->workspace, c->files);
    c->loadedCycle = c->workspace->sbr;
    c->keyword = loaded.plantKeyword;
    c->variationWarning = loaded.variationWarning;
    return c;
}

py::dict runOutcome(const RunOutcome& outcome)
{
    py::dict result;
    result["stopped"] = outcome.stopped;
    result["chunks"] = outcome.chunks;
    result["seconds"] = outcome.elapsedSeconds;
    return result;
}

// Runs a computation without the GIL; a KeyboardInterrupt during the run stops it and is
// raised when it has ended.
template <class Function> auto runReleased(Case& c, Function&& function)
{
    const BusyGuard busy(c);
    PythonRunControl control;
    std::optional<decltype(function(control))> outcome;
    {
        const py::gil_scoped_release release;
        outcome.emplace(function(control));
    }
    control.raiseIfInterrupted();
    return std::move(*outcome);
}

py::dict relax(Case& c, const std::optional<std::vector<double>>& times)
{
    RelaxationTimes relaxation = DefaultRelaxationTimes(c.workspace->plant);
    if (times) {
        if (times->size() != 3)
            throw Error("times: three relaxation times (particulate, dissolved, oxygen) [d]");
        for (const double t : *times)
            if (!(t >= 0.0) || !std::isfinite(t))
                throw RangeError("times: relaxation times must not be negative");
        relaxation = {(*times)[0], (*times)[1], (*times)[2]};
    }
    const RelaxationOutcome outcome = runReleased(c, [&](RunControl& control) {
        return RunRelaxation(*c.workspace, c.settings, control, relaxation);
    });
    py::dict result = runOutcome(outcome.run);
    result["iterations"] = outcome.iterations;
    return result;
}

py::dict integrate(Case& c, double days)
{
    if (!(days >= 0.0) || !std::isfinite(days))
        throw RangeError("days: the end time must not be negative");
    IntegrationRequest request;
    request.endTime = days;
    request.endTimeText = fmt::format("{}", days);
    const RunOutcome outcome = runReleased(c, [&](RunControl& control) {
        return RunIntegration(*c.workspace, c.settings, control, request);
    });
    return runOutcome(outcome);
}

std::string stem(const std::optional<Path>& file)
{
    return file ? file->stem().string() : std::string();
}

py::dict simulate(Case& c, int cycles, bool allCycles)
{
    Workspace& w = *c.workspace;
    if (cycles < 1 || cycles > kMaxCycles)
        throw RangeError(fmt::format("cycles: between 1 and {}", kMaxCycles));
    const bool sbr = w.plant.PlantType == TFlowschemeType::ftSBR;
    const bool ai = w.plant.PlantType == TFlowschemeType::ftAI;
    if (sbr && c.files.variation)
        throw Error("An SBR plant runs its own cycle and takes no variation.");
    if (!sbr && !c.files.variation)
        throw Error(ai ? kAIComputationMessage
                       : "A dynamic simulation of this plant needs a variation: load it with "
                         "variation=.");
    // A cycle changed value by value must balance in the end, as the SBR page requires before
    // it lets the user go; a stored cycle runs as narv-cli runs it.
    if (sbr && !(w.sbr == c.loadedCycle)) {
        const SbrBalance balance = CheckSbrBalance(w.sbr);
        if (!balance.passes)
            throw Error(fmt::format("{}\n{}", kSbrUnbalancedMessage, balance.line));
    }
    DynamicRunRequest request;
    request.cycles = cycles;
    request.allCycles = allCycles;
    // The names every chart's footnote shows, as the command line gives them.
    ChartSetup& setup = request.chartSetup;
    setup.ProjectName =
        c.files.plant ? std::filesystem::absolute(*c.files.plant).parent_path().filename().string()
                      : "";
    setup.ModelName = stem(c.files.model);
    setup.PlantName = stem(c.files.plant);
    setup.VariationName = stem(c.files.variation);
    const DynamicRunOutcome outcome = runReleased(c, [&](RunControl& control) {
        return RunDynamicSimulation(w, c.settings, control, request);
    });
    py::dict result = runOutcome(outcome.run);
    result["cycle_days"] = outcome.cycleDuration;
    return result;
}

py::dict continuous(Case& c, const Path& input, const Path& output, std::optional<int> compartment)
{
    const int d = compartment ? *compartment : c.workspace->plant.CompartmentCount;
    const ContinuousOutcome outcome = runReleased(c, [&](RunControl& control) {
        return RunContinuousSimulation(*c.workspace, c.settings, control, input, output, d);
    });
    py::dict result;
    result["stopped"] = outcome.stopped;
    result["rows_applied"] = outcome.rowsApplied;
    result["integrations"] = outcome.integrations;
    result["rows_written"] = outcome.rowsWritten;
    result["hours"] = outcome.timeHours;
    return result;
}

// Compartments by species of one kind, as float64.
py::array_t<double> concentrations(const Case& c, bool dissolved)
{
    const Workspace& w = *c.workspace;
    const int rows = w.plant.CompartmentCount;
    const int columns = dissolved ? w.model.NS : w.model.NX;
    py::array_t<double> array({rows, columns});
    auto view = array.mutable_unchecked<2>();
    for (int r = 1; r <= rows; ++r)
        for (int j = 1; j <= columns; ++j)
            view(r - 1, j - 1) = dissolved ? w.state.S[r][j] : w.state.X[r][j];
    return array;
}

std::vector<std::string> collapsed(const auto& names, int count)
{
    std::vector<std::string> list;
    for (int i = 1; i <= count; ++i)
        list.push_back(CollapseBlanks(names[i]));
    return list;
}

// (title, x [h], y) of every recorded series, in series order.
py::list seriesList(const TResultSet& results)
{
    py::list list;
    for (const SeriesPointer& series : results.Series) {
        if (!series)
            continue;
        const auto count = static_cast<py::ssize_t>(series->Points.size());
        py::array_t<double> x(count);
        py::array_t<double> y(count);
        auto xs = x.mutable_unchecked<1>();
        auto ys = y.mutable_unchecked<1>();
        for (py::ssize_t i = 0; i < count; ++i) {
            xs(i) = series->Points[static_cast<std::size_t>(i)].x;
            ys(i) = series->Points[static_cast<std::size_t>(i)].y;
        }
        list.append(py::make_tuple(series->Title, x, y));
    }
    return list;
}

py::dict settingsDict(const TSimSettings& s)
{
    py::dict d;
    d["Eps2"] = s.Eps2;
    d["Eps"] = s.Eps;
    d["Tdif"] = s.Tdif;
    d["loops"] = s.loops;
    d["loopmin"] = s.loopmin;
    d["ConcMin"] = s.ConcMin;
    d["ConcMax"] = s.ConcMax;
    d["DeltMin"] = s.DeltMin;
    return d;
}

// The settings as a [Simulation] section, every value written so that it reads back exactly.
std::string settingsSection(const TSimSettings& s, const std::string& key, double value)
{
    const auto line = [&](const char* name, double current) {
        return fmt::format("{}={}\n", name, key == name ? value : current);
    };
    return "[Simulation]\n" + line("Eps2", s.Eps2) + line("Eps", s.Eps) + line("Tdif", s.Tdif) +
           line("loops", s.loops) + line("loopmin", s.loopmin) + line("ConcMin", s.ConcMin) +
           line("ConcMax", s.ConcMax) + line("DeltMin", s.DeltMin);
}

// A setting changed with the ranges of the settings file, which are the Configuration dialog's
// (Eps at most Eps2, ...): the settings with the new value are read as that section.
void setSetting(Case& c, const std::string& key, double value)
{
    checkIdle(c);
    TSimSettings& s = c.settings;
    double TSimSettings::*real = key == "Eps2"      ? &TSimSettings::Eps2
                                 : key == "Eps"     ? &TSimSettings::Eps
                                 : key == "Tdif"    ? &TSimSettings::Tdif
                                 : key == "ConcMin" ? &TSimSettings::ConcMin
                                 : key == "ConcMax" ? &TSimSettings::ConcMax
                                 : key == "DeltMin" ? &TSimSettings::DeltMin
                                                    : nullptr;
    const bool count = key == "loops" || key == "loopmin";
    if (real == nullptr && !count)
        throw Error(fmt::format("{}: no such setting (Eps2, Eps, Tdif, loops, loopmin, ConcMin, "
                                "ConcMax, DeltMin)",
                                key));
    if (!std::isfinite(value))
        throw RangeError(fmt::format("{}: {}", key, kInvalidNumberMessage));
    // The file reads a larger count as 100; a script is told.
    if (count && (value != std::floor(value) || value < 1.0 || value > kMaxDisplayUpdates))
        throw RangeError(fmt::format("{}: a whole number 1..{}", key, kMaxDisplayUpdates));
    const TSimSettings read = ParseSimulationSettings(settingsSection(s, key, value), "set_setting");
    if (count)
        (key == "loops" ? s.loops : s.loopmin) = static_cast<int>(value);
    else
        s.*real = read.*real;
    UpdateDeltMinO2(s);
}

std::optional<std::string> optionalPath(const std::optional<Path>& path)
{
    return path ? std::optional<std::string>(path->string()) : std::nullopt;
}

py::bytes rawBytes(const void* data, std::size_t size)
{
    return {static_cast<const char*>(data), size};
}

template <class T> void fromBytes(T& target, const py::bytes& bytes)
{
    const std::string text = bytes;
    if (text.size() != sizeof(T))
        throw Error("This case was copied from a different build of narv.");
    std::memcpy(static_cast<void*>(&target), text.data(), sizeof(T));
}

py::tuple caseState(const Case& c)
{
    checkIdle(c);
    py::list changes;
    for (const auto& [name, value] : c.changes)
        changes.append(py::make_tuple(name, value));
    const Workspace& w = *c.workspace;
    return py::make_tuple(c.files.model.string(), optionalPath(c.files.plant),
                          optionalPath(c.files.variation), optionalPath(c.settingsFile), changes,
                          settingsDict(c.settings), rawBytes(&w.plant, sizeof(w.plant)),
                          rawBytes(&w.state, sizeof(w.state)));
}

std::unique_ptr<Case> caseFromState(const py::tuple& t)
{
    if (t.size() != 8)
        throw Error("This case was copied from a different version of narv.");
    auto optional = [](const py::handle& h) {
        return h.is_none() ? std::nullopt : std::optional<Path>(h.cast<std::string>());
    };
    auto c = loadCase(t[0].cast<std::string>(), optional(t[1]), optional(t[2]), optional(t[3]));
    CaseValues values(*c->workspace);
    for (const auto& change : t[4].cast<py::list>()) {
        const auto pair = change.cast<std::pair<std::string, double>>();
        values.set(pair.first, pair.second);
        c->changes.push_back(pair);
    }
    for (const auto& [key, value] : t[5].cast<py::dict>())
        setSetting(*c, key.cast<std::string>(), value.cast<double>());
    // Runs move the state and, through control loops, flows and aeration.
    Workspace& w = *c->workspace;
    fromBytes(w.plant, t[6].cast<py::bytes>());
    fromBytes(w.state, t[7].cast<py::bytes>());
    ConvertToOperatingTemperature(w.model, w.plant.OperatingTemperature, w.model.BaseTemperature);
    return c;
}

std::string plantKeyword(const Case& c)
{
    return c.keyword.empty() ? FlowschemeKeyword(c.workspace->plant.PlantType) : c.keyword;
}

void requireResults(const Case& c)
{
    if (!c.workspace->resultsAvailable)
        throw Error("There are no results yet: run simulate() first.");
}

} // namespace

PYBIND11_MODULE(_narv, m)
{
    m.doc() = "NARV activated-sludge simulation: the compiled core of the narv package.";

    static py::exception<Error> errorType(m, "Error", PyExc_RuntimeError);
    py::register_exception_translator([](std::exception_ptr pointer) {
        try {
            if (pointer)
                std::rethrow_exception(pointer);
        } catch (const InvalidFileError& e) {
            // As the command line prints it: the message, then where and why.
            const std::string text = std::string(e.what()) + "\n  " + e.detail();
            PyErr_SetString(errorType.ptr(), text.c_str());
        } catch (const Error& e) {
            PyErr_SetString(errorType.ptr(), e.what());
        }
    });

    py::class_<Case>(m, "Case", "A model with its plant, variation and numerical settings.")
        .def_property_readonly("model_file", [](const Case& c) { return c.files.model; })
        .def_property_readonly("plant_file", [](const Case& c) { return c.files.plant; })
        .def_property_readonly("variation_file", [](const Case& c) { return c.files.variation; })
        .def_property_readonly("settings_file", [](const Case& c) { return c.settingsFile; })
        .def_property_readonly("variation_warning",
                               [](const Case& c) { return c.variationWarning; })
        .def_property_readonly("plant_type", &plantKeyword,
                               "The plant file's type keyword: Batch, CSTR, ASR, SBR, AI, Unknown")
        .def_property_readonly("model_name", [](const Case& c) { return c.workspace->model.ModelName; })
        .def_property_readonly("dissolved_species",
                               [](const Case& c) {
                                   return collapsed(c.workspace->model.NameS, c.workspace->model.NS);
                               })
        .def_property_readonly("particulate_species",
                               [](const Case& c) {
                                   return collapsed(c.workspace->model.NameX, c.workspace->model.NX);
                               })
        .def_property_readonly("processes",
                               [](const Case& c) {
                                   return collapsed(c.workspace->model.ProcessName,
                                                    c.workspace->model.NP);
                               })
        .def_property_readonly("reactor_count",
                               [](const Case& c) { return c.workspace->plant.ReactorCount; })
        .def_property_readonly("compartment_count",
                               [](const Case& c) { return c.workspace->plant.CompartmentCount; })
        .def(
            "get",
            [](const Case& c, const std::string& name) {
                checkIdle(c);
                return CaseValues(*c.workspace).get(name);
            },
            py::arg("name"), "A value by name, e.g. 'SludgeAge', 'Kla[3]', 'S[6,Ammonium]'.")
        .def(
            "set",
            [](Case& c, const std::string& name, double value) {
                checkIdle(c);
                CaseValues(*c.workspace).set(name, value);
                c.changes.emplace_back(name, value);
            },
            py::arg("name"), py::arg("value"),
            "Sets a value by name with the plant dialog's and model editor's rules.")
        .def("names", [](const Case& c) { return CaseValues(*c.workspace).names(); },
             "Every value name of this case, indices as numbers.")
        .def_static("settable", &CaseValues::settable, py::arg("name"))
        .def_property_readonly("settings", [](const Case& c) { return settingsDict(c.settings); },
                               "The numerical settings of the runs.")
        .def("set_setting", &setSetting, py::arg("key"), py::arg("value"))
        .def_property_readonly(
            "S", [](const Case& c) { return concentrations(c, true); },
            "Dissolved species of every compartment: an array compartments x species.")
        .def_property_readonly(
            "X", [](const Case& c) { return concentrations(c, false); },
            "Particulate species of every compartment: an array compartments x species.")
        .def_property_readonly("time", [](const Case& c) { return c.workspace->state.Time; })
        .def("relax", &relax, py::arg("times") = py::none(),
             "Relaxes a standard plant to its steady state; times (particulate, dissolved, "
             "oxygen) [d] default to 2, 0.2 and 0.1 times the sludge age.")
        .def("integrate", &integrate, py::arg("days"),
             "Integrates a standard plant over days with constant inputs.")
        .def("simulate", &simulate, py::arg("cycles"), py::arg("all_cycles") = false,
             "The dynamic simulation through cycles of the variation (an SBR its own cycle).")
        .def("_continuous", &continuous, py::arg("input"), py::arg("output"),
             py::arg("compartment") = py::none())
        .def("_series", [](const Case& c) { return seriesList(c.workspace->results); })
        .def_property_readonly("has_results",
                               [](const Case& c) { return c.workspace->resultsAvailable; })
        .def("save_conditions", [](Case& c) { checkIdle(c); SaveIntegrationConditions(*c.workspace); })
        .def("load_conditions", [](Case& c) { checkIdle(c); LoadIntegrationConditions(*c.workspace); })
        .def(
            "save_model", [](const Case& c, const Path& path) { WriteModelFile(path, c.workspace->model); },
            py::arg("path"))
        .def(
            "save_plant",
            [](const Case& c, const Path& path) { SavePlant(*c.workspace, plantKeyword(c), path); },
            py::arg("path"), "The plant file with the current state, under its type keyword.")
        .def(
            "save_variation",
            [](Case& c, const Path& path) {
                Workspace& w = *c.workspace;
                return WriteAnyVariationFile(path, w.variation, w.aiVariation, w.model, w.plant);
            },
            py::arg("path"))
        .def(
            "save_results",
            [](const Case& c, const Path& path) {
                requireResults(c);
                SaveRunResults(*c.workspace, path);
            },
            py::arg("path"), "The results file (*.rlt) of the last dynamic simulation.")
        .def(
            "save_csv",
            [](const Case& c, const Path& path) {
                requireResults(c);
                WriteRunSeriesCsv(c.workspace->results, path);
            },
            py::arg("path"), "Every series of the last dynamic simulation as CSV.")
        .def(
            "save_continuous_template",
            [](const Case& c, const Path& path) {
                WriteContinuousTemplateFile(path, c.workspace->model);
            },
            py::arg("path"))
        .def(py::pickle([](const Case& c) { return caseState(c); },
                        [](const py::tuple& t) { return caseFromState(t); }));

    m.def("load", &loadCase, py::arg("model"), py::arg("plant") = py::none(),
          py::arg("variation") = py::none(), py::arg("settings") = py::none(),
          "Reads a model and optionally a plant of any type, a variation and the [Simulation] "
          "section of a settings file, as the program reads them.");
    m.def(
        "_read_results",
        [](const Path& path) {
            auto results = std::make_unique<TResultSet>();
            LoadResults(path, *results);
            return seriesList(*results);
        },
        py::arg("path"));
}

} // namespace narv::python

#pragma once

#include "cli/CliArguments.h"
#include "core/OutputSet.h"
#include "core/RunControl.h"
#include "shell/Workspace.h"
#include "solvers/SimSettings.h"
#include "special/SbrSimulation.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace narv::cli {

using Json = nlohmann::ordered_json;

// The files of a case, read in the program's order: the model first, then the plant and the
// variation, both checked against it. Returns the plant's type keyword ("" without a plant).
std::string LoadCaseFiles(Workspace& workspace, const CliArguments& arguments);

// --settings FILE, or the values for missing keys; then --solver, --steady, --rtol and --atol.
TSimSettings LoadSettings(const CliArguments& arguments);

// --solver, --rtol and --atol of the run commands; --steady too for a steady-state command.
void AddSolverOptions(OptionSpec& options, bool steadyState = false);

// A real option; UsageError when it is not a number.
double RealOption(const CliArguments& arguments, const std::string& name);

Json Numbers(const double* values, int count);

// The final state: time, every compartment's concentrations, the plant's inputs; for an SBR
// plant also the tank volume and the SBR clock at the end of the run.
Json StateJson(const Workspace& workspace, const SbrRunState* sbr = nullptr);

// Writes text through a temporary file and a rename.
void WriteTextFile(const std::filesystem::path& path, const std::string& text);

// --save and --state-json of the run commands, staged into outputs (the caller commits them
// together with its other outputs); sbr is the end of an SBR run, if any.
void WriteRunOutputs(const Workspace& workspace, const std::string& keyword,
                     const CliArguments& arguments, OutputSet& outputs,
                     const SbrRunState* sbr = nullptr);

// Ctrl-C (SIGINT) and SIGTERM ask the run in progress to stop at its next step; a command then
// writes no output and ends with exit code 1. SIGPIPE is ignored, so that a closed standard
// output is a write error the command reports.
void InstallStopSignals();
bool StopSignalReceived();
// Throws the message of a run stopped by a signal; nothing when no signal came.
void ThrowIfStopSignal(const std::string& what);

// Whether this narv-cli was built with the chart renderer.
bool ChartRendererAvailable();

// The charts the last run built, one PNG each in directory; the files written. Throws when the
// renderer is not built.
std::vector<std::filesystem::path> DrawRunCharts(const TResultSet& results,
                                                 const std::filesystem::path& directory);

// A message of the core for the terminal. The core breaks the lines of its messages with "\n";
// narv-cli has always written them with CR LF, and scripts compare its messages byte for byte.
std::string TerminalMessage(const std::string& message);

// Progress on stderr while it is a terminal, at most a few times a second; nothing otherwise.
class TerminalProgress : public RunControl {
public:
    TerminalProgress();
    ~TerminalProgress() override;
    bool wantsProgress() override;
    void progress(const std::string& text) override;
    bool stopRequested() override;

private:
    bool m_terminal = false;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_last;
};

} // namespace narv::cli

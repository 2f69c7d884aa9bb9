#include "cli/Cli.h"
#include "cli/Commands.h"
#include "core/Error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace narv::cli {

const char* const kSweepHelp =
    R"(Usage: narv-cli sweep SWEEP.json [--out OUT.csv] [--scheduler ADDRESS] [--workers N]

Runs one simulation per parameter set of the sweep that SWEEP.json describes and writes one
CSV row per set: the parameters, then the outputs. The runs go to a local process pool, or
to the workers of the dask.distributed scheduler at ADDRESS. Relative file names in the
description are relative to its directory.

  SWEEP.json           {"case": {"model": M, "plant": P, "variation": V, "settings": S}
                               or {"example": NAME},
                       "parameters": {"SludgeAge": [8, 12, 16], ...}  (every combination)
                                     or [{"SludgeAge": 8, "Kla[3]": 200}, ...],
                       "run": ["relax", {"simulate": {"cycles": 2}}],
                       "outputs": ["effluent_mean:Ammonium", "S[6,Ammonium]", ...]}
  --out FILE          the CSV file; without it the CSV goes to stdout
  --scheduler ADDRESS a dask.distributed scheduler, e.g. tcp://10.0.0.5:8786; its workers
                      need the narv Python package
  --workers N         the size of the local process pool (default: the processors)

The sweep runs in Python 3 through the narv package (NARV_PYTHON names another interpreter).
)";

OptionSpec SweepOptions()
{
    return {{"--out", "--scheduler", "--workers"}, {}, 1};
}

namespace {

// The interpreter and the package directory of this build, where one was built.
#ifdef NARV_PYTHON_EXECUTABLE
constexpr const char* kPythonExecutable = NARV_PYTHON_EXECUTABLE;
constexpr const char* kPythonBuildDir = NARV_PYTHON_BUILD_DIR;
#else
constexpr const char* kPythonExecutable = nullptr;
constexpr const char* kPythonBuildDir = nullptr;
#endif

// The environment of the helper: the build tree's package first on the module path, so that
// a narv-cli run from its build directory uses its own module.
std::vector<std::string> helperEnvironment()
{
    std::vector<std::string> entries;
    std::string pythonPath;
    if (kPythonBuildDir != nullptr &&
        std::filesystem::exists(std::filesystem::path(kPythonBuildDir) / "narv" / "__init__.py"))
        pythonPath = kPythonBuildDir;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.rfind("PYTHONPATH=", 0) == 0) {
            const std::string value = text.substr(11);
            if (!value.empty())
                pythonPath += (pythonPath.empty() ? "" : ":") + value;
            continue;
        }
        entries.push_back(text);
    }
    if (!pythonPath.empty())
        entries.push_back("PYTHONPATH=" + pythonPath);
    return entries;
}

} // namespace

int runSweep(const CliArguments& arguments, std::ostream& out)
{
    if (const auto workers = arguments.integer("--workers"); workers && *workers < 1)
        throw UsageError("--workers needs a number of at least 1");
    const char* chosen = std::getenv("NARV_PYTHON");
    const std::string python =
        chosen != nullptr && *chosen != '\0' ? chosen
        : kPythonExecutable != nullptr       ? kPythonExecutable
                                             : "";
    if (python.empty())
        throw Error("This narv-cli was built without the Python package narv, which runs the "
                    "sweeps; set NARV_PYTHON to an interpreter that has it.");

    std::vector<std::string> args = {python, "-m", "narv.sweep_cli",
                                     arguments.positionals().front()};
    for (const char* option : {"--out", "--scheduler", "--workers"})
        if (const auto value = arguments.value(option)) {
            args.emplace_back(option);
            args.push_back(*value);
        }
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = helperEnvironment();
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    // The helper writes to the same streams: what is buffered here goes first.
    out.flush();
    std::cout.flush();
    std::cerr.flush();
    pid_t child = 0;
    const int failed =
        posix_spawn(&child, python.c_str(), nullptr, nullptr, argv.data(), envp.data());
    if (failed != 0)
        throw Error("The sweep needs Python 3 with the narv package, but " + python +
                    " could not be started: " + std::strerror(failed));
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            throw Error(std::string("The sweep's Python process was lost: ") + std::strerror(errno));
    if (WIFEXITED(status)) {
        const int code = WEXITSTATUS(status);
        // The helper keeps to the exit codes of narv-cli; anything else is a failed run.
        return code == kExitSuccess || code == kExitUsage ? code : kExitError;
    }
    std::cerr << "The sweep's Python process ended by signal " << WTERMSIG(status) << ".\n";
    return kExitError;
}

} // namespace narv::cli

// narv-cli as a calling script meets it when things go wrong: signals, a standard output that
// cannot be written, failed outputs, paths of the wrong kind.
#include "cli/Cli.h"

#include "CliRun.h"

#include "TempPath.h"
#include "core/AtomicFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace narv::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const std::string kExample = std::string(NARV_SOURCE_DIR) + "/examples/carbon-nitrogen/";

using narv::testing::CliRun;

CliRun run(const std::vector<std::string>& args)
{
    return narv::testing::RunCli(args);
}

// The real program through the shell: stdout and stderr together.
int runShell(const std::string& command, std::string& output)
{
    return narv::testing::RunProgram(command, output);
}

// Whether process pid has a handler for signal: its start-up is over.
bool catches(pid_t pid, int signal)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("SigCgt:", 0) == 0)
            return ((std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1) != 0;
    return false;
}

class Reliability : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = testing::UniqueTempPath(
            std::string("narv-reliability-") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::vector<std::string> filesIn(const fs::path& directory) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(directory))
            names.push_back(fs::relative(entry.path(), directory).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_dir;
};

TEST_F(Reliability, SigtermStopsARunWithoutOutputAndWithoutTemporaryFiles)
{
    const fs::path saved = m_dir / "after.pln";
    writeFileAtomically(saved, [](std::ostream& out) { out << "earlier output"; });
    const std::string json = (m_dir / "state.json").string();
    for (const int signal : {SIGTERM, SIGINT}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::freopen("/dev/null", "w", stdout);
            ::freopen((m_dir / "stderr.txt").c_str(), "w", stderr);
            ::execl(NARV_CLI_PATH, NARV_CLI_PATH, "integrate", "--model",
                    (kExample + "carbon-nitrogen.mod").c_str(), "--plant",
                    (kExample + "carbon-nitrogen.pln").c_str(), "--days", "50000", "--save",
                    saved.c_str(), "--state-json", json.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        while (!catches(pid, signal))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_THAT(readFileBytes(m_dir / "stderr.txt"),
                    HasSubstr(signal == SIGTERM ? "Stopped by SIGTERM" : "Stopped by Ctrl-C"));
        EXPECT_EQ(readFileBytes(saved), "earlier output");
        EXPECT_EQ(filesIn(m_dir), (std::vector<std::string>{"after.pln", "stderr.txt"}));
    }
}

TEST_F(Reliability, StandardOutputThatCannotBeWrittenIsAnError)
{
    std::string output;
    const std::string cli = NARV_CLI_PATH;
    EXPECT_EQ(runShell(cli + " --help 2>&1 >/dev/full", output), 1);
    EXPECT_THAT(output, HasSubstr("narv-cli: cannot write to standard output"));
    EXPECT_EQ(runShell(cli + " report --model " + kExample + "carbon-nitrogen.mod 2>&1 >/dev/full",
                       output),
              1);
    EXPECT_EQ(runShell(cli + " --help 2>&1 >/dev/null", output), 0);
    EXPECT_EQ(output, "");
}

TEST_F(Reliability, PathsOfTheWrongKindAreNamed)
{
    const CliRun results = run({"results", m_dir.string()});
    EXPECT_EQ(results.code, 1);
    EXPECT_THAT(results.err,
                HasSubstr(m_dir.string() + " is a directory; a file is expected there."));
    const CliRun model = run({"check", "--model", m_dir.string()});
    EXPECT_EQ(model.code, 1);
    EXPECT_THAT(model.err, HasSubstr("is a directory"));
    fs::create_directories(m_dir / "out.json");
    const CliRun state = run({"integrate", "--model", kExample + "carbon-nitrogen.mod", "--plant",
                              kExample + "carbon-nitrogen.pln", "--days", "0.01", "--state-json",
                              (m_dir / "out.json").string()});
    EXPECT_EQ(state.code, 1);
    EXPECT_THAT(state.err, HasSubstr("out.json is a directory; a file is expected there."));
}

TEST_F(Reliability, SimulateWithoutAVariationGivesTheProgramsTextAndTheHint)
{
    const CliRun simulate = run({"simulate", "--model", kExample + "carbon-nitrogen.mod", "--plant",
                                 kExample + "carbon-nitrogen.pln", "--cycles", "1"});
    EXPECT_EQ(simulate.code, 1);
    EXPECT_EQ(simulate.err, "To perform a dynamic simulation \r\nyou have to define a variation "
                            "file.\n(narv-cli: give the variation file with --variation FILE.)\n");
}

TEST_F(Reliability, AFailedOutputReplacesNoneOfTheOthers)
{
    const fs::path saved = m_dir / "after.pln";
    const fs::path json = m_dir / "state.json";
    writeFileAtomically(saved, [](std::ostream& out) { out << "earlier plant"; });
    writeFileAtomically(json, [](std::ostream& out) { out << "earlier state"; });
    // The third output cannot be written: its directory does not exist.
    const CliRun simulate =
        run({"simulate", "--model", kExample + "carbon-nitrogen.mod", "--plant",
             kExample + "carbon-nitrogen.pln", "--variation", kExample + "carbon-nitrogen.vrt",
             "--cycles", "1", "--save", saved.string(), "--state-json", json.string(), "--csv",
             (m_dir / "missing" / "series.csv").string()});
    EXPECT_EQ(simulate.code, 1);
    EXPECT_EQ(readFileBytes(saved), "earlier plant");
    EXPECT_EQ(readFileBytes(json), "earlier state");
    EXPECT_EQ(filesIn(m_dir), (std::vector<std::string>{"after.pln", "state.json"}));
}

TEST_F(Reliability, AFailedDemoLeavesNoDirectory)
{
    const fs::path project = m_dir / "project";
    fs::create_directories(project);
    for (const char* extension : {".mod", ".pln", ".vrt"})
        fs::copy_file(kExample + "carbon-nitrogen" + extension,
                      project / (std::string("carbon-nitrogen") + extension));
    const std::string plant = readFileBytes(project / "carbon-nitrogen.pln").substr(0, 400);
    writeFileAtomically(project / "carbon-nitrogen.pln", [&](std::ostream& out) { out << plant; });
    const CliRun demo =
        run({"demo", "--project", project.string(), "--out", (m_dir / "new" / "out").string()});
    EXPECT_EQ(demo.code, 1);
    EXPECT_FALSE(fs::exists(m_dir / "new" / "out"));
}

TEST_F(Reliability, RunsAndCyclesHaveUpperLimits)
{
    const std::string model = kExample + "carbon-nitrogen.mod";
    const std::string plant = kExample + "carbon-nitrogen.pln";
    EXPECT_EQ(run({"integrate", "--model", model, "--plant", plant, "--days", "1e6"}).code, 2);
    EXPECT_EQ(run({"relax", "--model", model, "--plant", plant, "--times", "1e9,1,1"}).code, 2);
    EXPECT_EQ(run({"simulate", "--model", model, "--plant", plant, "--variation",
                   kExample + "carbon-nitrogen.vrt", "--cycles", "366"})
                  .code,
              2);
}

} // namespace
} // namespace narv::cli

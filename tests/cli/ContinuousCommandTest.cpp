#include "cli/Cli.h"
#include "core/AtomicFile.h"
#include "dynamics/ContinuousSimulation.h"
#include "plant/ModelSetup.h"
#include "plant/PlantFile.h"
#include "shell/Workspace.h"

#include "CliRun.h"
#include "TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace narv {
namespace {

using ::testing::HasSubstr;

const std::filesystem::path kData = NARV_TEST_DATA_DIR;
const std::string kModel = (kData / "models" / "small.mod").string();
const std::string kPlant = (kData / "plants" / "asr-clarifier.pln").string();
const std::string kInput = (kData / "continuous" / "small.cin.csv").string();

struct ContinuousCommand : ::testing::Test {
    int cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), "continuous");
        const testing::CliRun run = testing::RunCli(args);
        stdoutText = run.out;
        stderrText = run.err;
        return run.code;
    }
    std::vector<std::string> runArgs(const std::string& input, const std::string& output)
    {
        return {"--model", kModel, "--plant", kPlant, "--input", input, "--output", output};
    }
    std::string path(const char* name) const { return (dir / name).string(); }

    testing::TempFolder folder{"narv-continuous-cli"};
    std::filesystem::path dir = folder.path();
    std::string stdoutText;
    std::string stderrText;
};

TEST_F(ContinuousCommand, GivesTheLibraryResultForTheLastCompartment)
{
    auto args = runArgs(kInput, path("out.cou.csv"));
    args.insert(args.end(), {"--save", path("after.pln"), "--state-json", path("state.json")});
    ASSERT_EQ(cli(args), cli::kExitSuccess) << stderrText;
    EXPECT_THAT(stdoutText, HasSubstr("3 input rows, 2 intervals integrated, 4 rows of "
                                      "compartment 3"));

    Workspace expected;
    ReadModelFile(kModel, expected.model, expected.plant, expected.state);
    const std::string keyword =
        ReadPlantFile(kPlant, expected.model, expected.plant, expected.state);
    expected.plant.PlantType = FlowschemeTypeFromKeyword(keyword);
    const TSimSettings settings = SimSettingsForMissingKeys();
    std::ostringstream table;
    RunControl control;
    ContinuousSimulation(expected.model, expected.plant, expected.state, settings)
        .run(control, ReadContinuousInputFile(kInput, expected.model), 3, table);
    EXPECT_EQ(readFileBytes(path("out.cou.csv")), table.str());

    // The saved plant has its own inputs back and the simulated state.
    Workspace saved;
    ReadModelFile(kModel, saved.model, saved.plant, saved.state);
    ReadPlantFile(path("after.pln"), saved.model, saved.plant, saved.state);
    EXPECT_EQ(saved.plant.InfluentFlow, 5.0);
    EXPECT_EQ(saved.model.InfluentS[2], 200.0);
    EXPECT_NEAR(saved.state.S[1][2], expected.state.S[1][2], 1e-3 * expected.state.S[1][2]);
    EXPECT_TRUE(std::filesystem::exists(path("state.json")));
}

TEST_F(ContinuousCommand, UsageErrorsAndBadInput)
{
    auto args = runArgs(kInput, path("out.cou.csv"));
    args.insert(args.end(), {"--compartment", "4"});
    EXPECT_EQ(cli(args), cli::kExitUsage);
    EXPECT_THAT(stderrText, HasSubstr("--compartment must be 1 to 3"));
    args.back() = "0";
    EXPECT_EQ(cli(args), cli::kExitUsage);
    EXPECT_EQ(cli({"--model", kModel, "--plant", kPlant, "--input", kInput}), cli::kExitUsage);
    EXPECT_THAT(stderrText, HasSubstr("missing option --output"));

    writeFileAtomically(path("bad.cin.csv"),
                        [](std::ostream& out) { out << "\n\n\n\n1 20 5 0 5 0 0 0 2OO 10\n"; });
    EXPECT_EQ(cli(runArgs(path("bad.cin.csv"), path("out.cou.csv"))), cli::kExitError);
    EXPECT_EQ(stderrText, "bad.cin.csv, line 5: \"2OO\" (S Substrate   COD) is not a number.\n");
    EXPECT_FALSE(std::filesystem::exists(path("out.cou.csv")));

    writeFileAtomically(path("empty.cin.csv"), [](std::ostream& out) { out << "\n\n\n\n"; });
    EXPECT_EQ(cli(runArgs(path("empty.cin.csv"), path("out.cou.csv"))), cli::kExitError);
    EXPECT_THAT(stderrText, HasSubstr("Input file contains no data!\n"));
}

TEST_F(ContinuousCommand, WritesTheTemplateOfTheModel)
{
    ASSERT_EQ(cli({"--model", kModel, "--template", path("new.cin.csv")}), cli::kExitSuccess)
        << stderrText;
    EXPECT_THAT(readFileBytes(path("new.cin.csv")),
                ::testing::StartsWith("NARV 1.0.0.0\r\nSmall test model\r\n\r\nTime_in_hours;"));
    EXPECT_EQ(cli({"--model", kModel, "--template", path("new.cin.csv"), "--plant", kPlant}),
              cli::kExitUsage);
}

} // namespace
} // namespace narv

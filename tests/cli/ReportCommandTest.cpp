#include "core/AtomicFile.h"

#include "CliRun.h"
#include "Golden.h"
#include "TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace narv {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kData = NARV_TEST_DATA_DIR;

using narv::testing::CliRun;
using narv::testing::RunCli;

// The golden text holds "<models>" where the report names the models directory, which depends
// on where the sources lie.
std::string ExpectedWithModelsDirectory(const std::string& golden)
{
    const std::string models = fs::absolute(kData / "models").lexically_normal().string();
    std::string text = golden;
    const std::string marker = "<models>";
    if (const auto at = text.find(marker); at != std::string::npos)
        text.replace(at, marker.size(), models);
    return text;
}

TEST(ReportCommand, WritesTheTextFileReportToStdoutOrAFile)
{
    const narv::testing::TempFolder folder("narv-report-cli");
    const fs::path& dir = folder.path();
    const std::string model = (kData / "models" / "small.mod").string();
    const std::string plant = (kData / "plants" / "asr-clarifier.pln").string();

    const CliRun toStdout = RunCli({"report", "--model", model, "--plant", plant});
    ASSERT_EQ(toStdout.code, 0) << toStdout.err;
    const fs::path golden = kData / "report" / "small-asr-clarifier.txt";
    if (narv::testing::UpdatingGoldens()) {
        const std::string models = fs::absolute(kData / "models").lexically_normal().string();
        std::string text = toStdout.out;
        text.replace(text.find(models), models.size(), "<models>");
        std::ofstream(golden, std::ios::binary) << text;
    }
    EXPECT_EQ(toStdout.out, ExpectedWithModelsDirectory(readFileBytes(golden)));

    const fs::path target = dir / "small.txt";
    const CliRun toFile =
        RunCli({"report", "--model", model, "--plant", plant, "--out", target.string()});
    ASSERT_EQ(toFile.code, 0) << toFile.err;
    EXPECT_EQ(readFileBytes(target), toStdout.out);
    EXPECT_EQ(toFile.out, "Model small.txt saved as Textfile in " + dir.string() + " .\n");

    // Without a plant the plant sections are left out.
    const CliRun modelOnly = RunCli({"report", "--model", model});
    ASSERT_EQ(modelOnly.code, 0) << modelOnly.err;
    EXPECT_THAT(modelOnly.out, HasSubstr("Names of the biological processes"));
    EXPECT_THAT(modelOnly.out, ::testing::Not(HasSubstr("The flowscheme")));
    EXPECT_THAT(modelOnly.out, ::testing::Not(HasSubstr("State of the plant")));

    // A bad model writes no file.
    const CliRun missing = RunCli(
        {"report", "--model", (dir / "none.mod").string(), "--out", (dir / "x.txt").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_FALSE(fs::exists(dir / "x.txt"));
    EXPECT_EQ(RunCli({"report"}).code, 2);
}

} // namespace
} // namespace narv

#include "cli/Cli.h"

#include "core/AtomicFile.h"
#include "TempPath.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace narv {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kData = NARV_TEST_DATA_DIR;

struct ReportRun {
    int code;
    std::string out;
    std::string err;
};

ReportRun RunCli(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = cli::runCli(args, out, err);
    return {code, out.str(), err.str()};
}

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
    const fs::path dir = narv::testing::UniqueTempPath("narv-report-cli");
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string model = (kData / "models" / "small.mod").string();
    const std::string plant = (kData / "plants" / "asr-clarifier.pln").string();

    const ReportRun toStdout = RunCli({"report", "--model", model, "--plant", plant});
    ASSERT_EQ(toStdout.code, 0) << toStdout.err;
    const fs::path golden = kData / "report" / "small-asr-clarifier.txt";
    if (const char* update = std::getenv("NARV_UPDATE_GOLDEN"); update && *update == '1') {
        const std::string models = fs::absolute(kData / "models").lexically_normal().string();
        std::string text = toStdout.out;
        text.replace(text.find(models), models.size(), "<models>");
        std::ofstream(golden, std::ios::binary) << text;
    }
    EXPECT_EQ(toStdout.out, ExpectedWithModelsDirectory(readFileBytes(golden)));

    const fs::path target = dir / "small.txt";
    const ReportRun toFile =
        RunCli({"report", "--model", model, "--plant", plant, "--out", target.string()});
    ASSERT_EQ(toFile.code, 0) << toFile.err;
    EXPECT_EQ(readFileBytes(target), toStdout.out);
    EXPECT_EQ(toFile.out, "Model small.txt saved as Textfile in " + dir.string() + " .\n");

    // Without a plant the plant sections are left out.
    const ReportRun modelOnly = RunCli({"report", "--model", model});
    ASSERT_EQ(modelOnly.code, 0) << modelOnly.err;
    EXPECT_THAT(modelOnly.out, HasSubstr("Names of the biological processes"));
    EXPECT_THAT(modelOnly.out, ::testing::Not(HasSubstr("The flowscheme")));
    EXPECT_THAT(modelOnly.out, ::testing::Not(HasSubstr("State of the plant")));

    // A bad model writes no file.
    const ReportRun missing = RunCli(
        {"report", "--model", (dir / "none.mod").string(), "--out", (dir / "x.txt").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_FALSE(fs::exists(dir / "x.txt"));
    EXPECT_EQ(RunCli({"report"}).code, 2);
    fs::remove_all(dir);
}

} // namespace
} // namespace narv

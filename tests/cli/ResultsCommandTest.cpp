#include "cli/Cli.h"

#include "../results/SampleRun.h"
#include "CliRun.h"
#include "TempFolder.h"
#include "core/AtomicFile.h"
#include "results/ChartModel.h"
#include "results/ResultsFile.h"
#include "results/SeriesText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace narv {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

struct ResultsCommand : ::testing::Test {
    ResultsCommand() : folder("narv-results-command"), dir(folder.path())
    {
        const TModelDef model = testing::MakeFourProcessModel();
        const TPlantDef plant = testing::MakeCascade(2, 1, 10.0);
        testing::RecordSampleRun(results, model, plant, 3, 1.0);
        results.RunStart = "01.02.2024 03:04:05";
        BuildRunCharts(results, MakeRunChartContext(model, plant));
        SaveResultsFile(dir / "run.rlt", results);
    }
    int run(const std::vector<std::string>& args)
    {
        last = testing::RunCli(args);
        return last.code;
    }

    testing::TempFolder folder;
    std::filesystem::path dir;
    TResultSet results;
    testing::CliRun last;
};

TEST_F(ResultsCommand, PrintsTheStatisticsOfEveryChart)
{
    const std::string file = (dir / "run.rlt").string();
    ASSERT_EQ(run({"results", file, "--stats"}), cli::kExitSuccess) << last.err;
    TResultSet loaded;
    LoadResultsFile(file, loaded);
    std::string expected;
    for (const TChart& chart : loaded.Charts) {
        expected += chart.Title + "\n";
        for (const std::string& line : SeriesStatistics(loaded, chart))
            expected += line + "\n";
        expected += "\n";
    }
    EXPECT_EQ(last.out, expected);
    EXPECT_THAT(last.out,
                StartsWith("Flow Rates\n     Title                  \t Maximum \t Minimum \t  "
                           "Mean   \tLoad Mean\n 1.influent flowrate      \t    4.000\t    "
                           "2.000\t    3.000\n"));

    ASSERT_EQ(run({"results", file}), cli::kExitSuccess);
    EXPECT_EQ(last.out, file + ": run 01.02.2024 03:04:05, 42 series (33 in charts), 3 points, "
                                "15 charts\n");
}

TEST_F(ResultsCommand, WritesTheSeriesAsCsv)
{
    const std::string csv = (dir / "run.csv").string();
    ASSERT_EQ(run({"results", (dir / "run.rlt").string(), "--csv", csv}), cli::kExitSuccess)
        << last.err;
    EXPECT_EQ(last.out, "");
    const std::string text = readFileBytes(csv);
    EXPECT_THAT(text, StartsWith("X,1.influent flowrate,Return sludge flowrate,"));
    EXPECT_THAT(text, HasSubstr(",2.influent flowrate\r\n0,2,3,4,5,6,"));
    EXPECT_THAT(text, HasSubstr("\r\n4,4,5,6,7,8,"));
}

TEST_F(ResultsCommand, BadFilesAndArgumentsGiveTheirExitCodes)
{
    writeFileAtomically(dir / "bad.rlt", [](std::ostream& stream) { stream << "no results"; });
    EXPECT_EQ(run({"results", (dir / "bad.rlt").string(), "--csv", (dir / "bad.csv").string()}),
              cli::kExitError);
    EXPECT_THAT(last.err, HasSubstr("is not a results file of this program, or it is damaged."));
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.csv"));
    EXPECT_EQ(run({"results", (dir / "missing.rlt").string()}), cli::kExitError);
    EXPECT_EQ(run({"results"}), cli::kExitUsage);
    EXPECT_EQ(run({"results", "a.rlt", "b.rlt"}), cli::kExitUsage);
    EXPECT_EQ(run({"results", "a.rlt", "--csv"}), cli::kExitUsage);
}

} // namespace
} // namespace narv

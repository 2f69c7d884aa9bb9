#include "cli/Cli.h"

#include "CliRun.h"

#include "core/AtomicFile.h"
#include "model/ModelDef.h"
#include "plant/ModelSetup.h"
#include "plant/PlantDef.h"
#include "plant/PlantFile.h"
#include "results/ResultsFile.h"
#include "TempPath.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace narv::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using narv::testing::CliRun;

CliRun run(const std::vector<std::string>& args)
{
    return narv::testing::RunCli(args);
}

fs::path freshDirectory(const std::string& name)
{
    const fs::path directory = narv::testing::UniqueTempPath("narv-demo-test-" + name);
    fs::remove_all(directory);
    fs::create_directories(directory);
    return directory;
}

// One run of the demo, shared by the tests that look at its outputs.
class Demo : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_directory = new fs::path(freshDirectory("run"));
        s_run = new CliRun(run({"demo", "--out", (*s_directory / "out").string()}));
    }
    static void TearDownTestSuite()
    {
        fs::remove_all(*s_directory);
        delete s_run;
        delete s_directory;
    }
    static fs::path output() { return *s_directory / "out"; }

    static fs::path* s_directory;
    static CliRun* s_run;
};

fs::path* Demo::s_directory = nullptr;
CliRun* Demo::s_run = nullptr;

TEST_F(Demo, WritesEveryOutput)
{
    ASSERT_EQ(s_run->code, 0) << s_run->err;
    for (const char* file :
         {"asm1-benchmark.rlt", "asm1-benchmark.csv", "summary.txt", "steady-state.pln"}) {
        std::error_code ec;
        EXPECT_GT(fs::file_size(output() / file, ec), 0u) << file;
    }
    auto results = std::make_unique<TResultSet>();
    LoadResultsFile(output() / "asm1-benchmark.rlt", *results);
    EXPECT_FALSE(results->Charts.empty());
    // The last of three cycles: 288 output steps and the start of the cycle.
    const std::string csv = readFileBytes(output() / "asm1-benchmark.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 289);
    EXPECT_THAT(csv, HasSubstr("R 5: S Ammonium N"));
#ifdef NARV_HAS_CHART_RENDERER
    std::size_t pictures = 0;
    for (const auto& entry : fs::directory_iterator(output() / "charts")) {
        EXPECT_EQ(entry.path().extension(), ".png");
        EXPECT_EQ(readFileBytes(entry.path()).substr(1, 3), "PNG") << entry.path();
        ++pictures;
    }
    EXPECT_EQ(pictures, results->Charts.size());
#endif
    // What the demo prints is what it writes.
    EXPECT_THAT(s_run->out, HasSubstr(readFileBytes(output() / "summary.txt")));
}

// Every row of the summary: the steady state, then mean, minimum and maximum over the last
// cycle; every value finite and not negative, the mean between minimum and maximum.
TEST_F(Demo, SummaryHasAnOrderedRowPerSpeciesAndPlace)
{
    ASSERT_EQ(s_run->code, 0) << s_run->err;
    std::istringstream summary(readFileBytes(output() / "summary.txt"));
    std::string line;
    int blocks = 0;
    int rows = 0;
    while (std::getline(summary, line)) {
        if (line.starts_with("Effluent") || line.starts_with("Reactor "))
            ++blocks;
        if (!line.starts_with("  S ") && !line.starts_with("  X "))
            continue;
        // The species name has blanks of its own: the four numbers are the last four fields.
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;)
            words.push_back(word);
        ASSERT_GE(words.size(), 6u) << line;
        std::vector<double> values;
        for (std::size_t i = words.size() - 4; i < words.size(); ++i)
            values.push_back(std::stod(words[i]));
        for (double value : values) {
            EXPECT_TRUE(std::isfinite(value)) << line;
            EXPECT_GE(value, 0.0) << line;
        }
        EXPECT_LE(values[2], values[1] * (1.0 + 1e-6)) << line;
        EXPECT_LE(values[1], values[3] * (1.0 + 1e-6)) << line;
        ++rows;
    }
    EXPECT_EQ(blocks, 1 + 5);
    EXPECT_EQ(rows, (1 + 5) * (7 + 6));
}

// The steady state as the program reads it back: plausible for the benchmark plant.
TEST_F(Demo, SteadyStateNitrifiesInTheAeratedReactors)
{
    ASSERT_EQ(s_run->code, 0) << s_run->err;
    auto model = std::make_unique<TModelDef>();
    TPlantDef plant;
    TPlantState state;
    SetUpDefaultModel(*model, plant, state);
    const fs::path project = fs::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark";
    ReadModelFile(project / "asm1-benchmark.mod", *model, plant, state);
    ReadPlantFile(output() / "steady-state.pln", *model, plant, state);
    ASSERT_EQ(plant.ReactorCount, 5);
    ASSERT_EQ(plant.CompartmentCount, 7);
    for (int c = 1; c <= plant.CompartmentCount; ++c) {
        for (int j = 1; j <= model->NS; ++j) {
            EXPECT_TRUE(std::isfinite(state.S[c][j])) << c << " S " << j;
            EXPECT_GE(state.S[c][j], 0.0) << c << " S " << j;
        }
        for (int j = 1; j <= model->NX; ++j) {
            EXPECT_TRUE(std::isfinite(state.X[c][j])) << c << " X " << j;
            EXPECT_GE(state.X[c][j], 0.0) << c << " X " << j;
        }
    }
    constexpr int oxygen = 1, nitrate = 4, ammonium = 5, autotrophs = 4;
    const double influentAmmonium = model->InfluentS[ammonium];
    EXPECT_LT(state.S[5][ammonium], 0.1 * influentAmmonium);
    EXPECT_LT(state.S[5][ammonium], state.S[3][ammonium]); // falls along the aerated reactors
    EXPECT_GT(state.S[5][nitrate], 5.0);                   // the influent holds none
    EXPECT_LT(state.S[2][nitrate], state.S[5][nitrate]);   // denitrified in the anoxic zone
    EXPECT_LT(state.S[1][oxygen], 0.1);
    EXPECT_GT(state.S[3][oxygen], 1.0);
    EXPECT_GT(state.X[5][autotrophs], 50.0);
}

TEST(DemoProject, AnotherCopyIsUsedWithProject)
{
    const fs::path directory = freshDirectory("copy");
    const fs::path source = fs::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark";
    for (const char* extension : {".mod", ".pln", ".vrt"})
        fs::copy_file(source / (std::string("asm1-benchmark") + extension),
                      directory / (std::string("asm1-benchmark") + extension));
    const CliRun demo =
        run({"demo", "--project", directory.string(), "--out", (directory / "out").string()});
    EXPECT_EQ(demo.code, 0) << demo.err;
    EXPECT_THAT(demo.out, HasSubstr("in " + directory.string() + "\n"));
    EXPECT_TRUE(fs::exists(directory / "out" / "summary.txt"));
    fs::remove_all(directory);
}

TEST(DemoProject, MissingProjectAndUnusableOutputAreClearErrors)
{
    const fs::path directory = freshDirectory("errors");
    const CliRun empty =
        run({"demo", "--project", directory.string(), "--out", (directory / "out").string()});
    EXPECT_EQ(empty.code, 1);
    EXPECT_THAT(empty.err, HasSubstr("does not hold the example project asm1-benchmark"));
    EXPECT_THAT(empty.err, HasSubstr("asm1-benchmark.mod is missing"));
    EXPECT_FALSE(fs::exists(directory / "out"));

    writeFileAtomically(directory / "taken", [](std::ostream& out) { out << "a file"; });
    const CliRun blocked = run({"demo", "--out", (directory / "taken").string()});
    EXPECT_EQ(blocked.code, 1);
    EXPECT_THAT(blocked.err, HasSubstr("cannot be created"));

    EXPECT_EQ(run({"demo", "--bogus"}).code, 2);
    fs::remove_all(directory);
}

} // namespace
} // namespace narv::cli

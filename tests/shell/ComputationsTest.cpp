#include "shell/Computations.h"
#include "shell/CaseFiles.h"

#include "FakeRunControl.h"
#include "TempPath.h"
#include "core/Error.h"
#include "results/ResultsFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace narv {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

CaseFiles example(const std::string& name, bool withVariation = true)
{
    const fs::path dir = fs::path(NARV_SOURCE_DIR) / "examples" / name;
    CaseFiles files{dir / (name + ".mod"), dir / (name + ".pln"), std::nullopt};
    if (withVariation)
        files.variation = dir / (name + ".vrt");
    return files;
}

struct DynamicCase {
    const char* project;
    bool variation;
    TFlowschemeType type;
};

class DynamicSimulationUseCase : public ::testing::TestWithParam<DynamicCase> {};

// Every plant type runs through the one use case and leaves its charts in the workspace.
TEST_P(DynamicSimulationUseCase, BuildsTheRunsChartsInTheWorkspace)
{
    const DynamicCase& c = GetParam();
    auto workspace = std::make_unique<Workspace>();
    const LoadedCase loaded = LoadCase(*workspace, example(c.project, c.variation));
    EXPECT_EQ(workspace->plant.PlantType, c.type) << loaded.plantKeyword;
    testing::FakeRunControl control;
    DynamicRunRequest request;
    request.cycles = 1;
    request.chartSetup.ProjectName = c.project;
    std::tm start{};
    start.tm_year = 124;
    start.tm_mday = 2;
    request.startTime = start;
    const DynamicRunOutcome outcome =
        RunDynamicSimulation(*workspace, SimSettingsForMissingKeys(), control, request);
    EXPECT_FALSE(outcome.run.stopped);
    EXPECT_GT(outcome.cycleDuration, 0.0);
    EXPECT_TRUE(workspace->resultsAvailable);
    EXPECT_FALSE(workspace->runLasts);
    EXPECT_EQ(workspace->sbrRun.has_value(), c.type == TFlowschemeType::ftSBR);
    const TResultSet& results = workspace->results;
    EXPECT_EQ(results.RunStart, "02.01.2024 00:00:00");
    ASSERT_FALSE(results.Series.empty());
    EXPECT_GT(results.Series.front()->Points.size(), 1u);
    ASSERT_GE(results.FirstAutoChart, 0);
    EXPECT_THAT(results.Charts[static_cast<std::size_t>(results.FirstAutoChart)].Footnote,
                HasSubstr(c.project));

    // A second run replaces the first run's charts instead of adding to them.
    const std::size_t charts = results.Charts.size();
    RunDynamicSimulation(*workspace, SimSettingsForMissingKeys(), control, request);
    EXPECT_EQ(workspace->results.Charts.size(), charts);
}

INSTANTIATE_TEST_SUITE_P(PlantTypes, DynamicSimulationUseCase,
                         ::testing::Values(DynamicCase{"asm1-benchmark", true,
                                                       TFlowschemeType::ftASR},
                                           DynamicCase{"ai-demo", true, TFlowschemeType::ftAI},
                                           DynamicCase{"sbr-demo", false, TFlowschemeType::ftSBR}),
                         [](const auto& parameter) {
                             std::string name = parameter.param.project;
                             std::erase(name, '-');
                             return name;
                         });

TEST(ComputationUseCases, RefuseSpecialPlantsAndClearTheRunFlagOnErrors)
{
    auto sbr = std::make_unique<Workspace>();
    LoadCase(*sbr, example("sbr-demo", false));
    testing::FakeRunControl control;
    const TSimSettings settings = SimSettingsForMissingKeys();
    EXPECT_THROW(RunIntegration(*sbr, settings, control, {1.0, "1", false, {}}), Error);
    EXPECT_THROW(RunRelaxation(*sbr, settings, control, {1.0, 1.0, 1.0}), Error);

    auto standard = std::make_unique<Workspace>();
    LoadCase(*standard, example("asm1-benchmark"));
    standard->plant.ControlLoopsActive = true;
    try {
        RunRelaxation(*standard, settings, control, {1.0, 0.1, 0.1});
        FAIL() << "a relaxation with active control loops ran";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), kControlLoopsActiveMessage);
    }
    EXPECT_FALSE(standard->runLasts);
}

TEST(ComputationUseCases, IntegrationConditionsAreSavedInTheWorkspace)
{
    auto workspace = std::make_unique<Workspace>();
    LoadCase(*workspace, example("asm1-benchmark"));
    EXPECT_THROW(LoadIntegrationConditions(*workspace), SimulationError);
    SaveIntegrationConditions(*workspace);
    const TPlantState before = workspace->state;
    testing::FakeRunControl control;
    const RunOutcome outcome =
        RunIntegration(*workspace, SimSettingsForMissingKeys(), control, {0.2, "0.2", false, {}});
    EXPECT_EQ(outcome.chunks, SimSettingsForMissingKeys().loops);
    EXPECT_NE(workspace->state.S[1][3], before.S[1][3]); // the substrate
    LoadIntegrationConditions(*workspace);
    EXPECT_EQ(workspace->state.S, before.S);
    EXPECT_EQ(workspace->state.X, before.X);
}

TEST(ComputationUseCases, ResultsSavedAndLoadedAgain)
{
    auto workspace = std::make_unique<Workspace>();
    LoadCase(*workspace, example("sbr-demo", false));
    testing::FakeRunControl control;
    RunDynamicSimulation(*workspace, SimSettingsForMissingKeys(), control, {});
    const fs::path file = narv::testing::UniqueTempPath("narv-use-case-results.rlt");
    SaveRunResults(*workspace, file);
    TResultSet loaded;
    LoadResults(file, loaded);
    EXPECT_EQ(loaded.Charts.size(), workspace->results.Charts.size());
    EXPECT_EQ(loaded.RunStart, workspace->results.RunStart);
    // A file that cannot be read leaves what was loaded.
    EXPECT_THROW(LoadResults(file.string() + ".missing", loaded), Error);
    EXPECT_EQ(loaded.Charts.size(), workspace->results.Charts.size());
    fs::remove(file);
}

} // namespace
} // namespace narv

#include "SpecialExamples.h"

#include "core/AtomicFile.h"
#include "dynamics/Variation.h"
#include "plant/ModelSetup.h"
#include "results/ResultSet.h"
#include "special/AIDynamicSimulation.h"
#include "special/SbrCycle.h"
#include "special/SbrSimulation.h"
#include "special/SpecialPlantFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace narv {
namespace {

namespace fs = std::filesystem;

fs::path projectDirectory(const std::string& project)
{
    return fs::path(NARV_SOURCE_DIR) / "examples" / project;
}

void expectGeneratorFiles(const std::string& project,
                          const std::vector<modelgen::ExampleFile>& files)
{
    for (const modelgen::ExampleFile& file : files)
        EXPECT_TRUE(readFileBytes(projectDirectory(project) / file.fileName) == file.bytes)
            << "examples/" << project << "/" << file.fileName
            << " differs from its tables in tools/modelgen: run the target "
               "narv_regenerate_examples and "
               "review the diff.";
}

struct Project {
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TVariationDef variation;
    TSbrCycle sbr;
    TAIPlant ai;
    TAIVariation lanes;
    TResultSet results;
    std::string keyword;

    explicit Project(const std::string& name)
    {
        const fs::path directory = projectDirectory(name);
        SetUpDefaultModel(model, plant, state);
        ReadModelFile(directory / (name + ".mod"), model, plant, state);
        keyword = ReadAnyPlantFile(directory / (name + ".pln"), model, plant, state, sbr, ai);
        if (fs::exists(directory / (name + ".vrt")))
            ReadAnyVariationFile(directory / (name + ".vrt"), variation, lanes, model, plant, ai);
    }
};

TEST(SbrDemoProject, FilesAreWhatTheGeneratorWritesAndTheCycleBalances)
{
    expectGeneratorFiles(modelgen::kSbrDemoProject, modelgen::SbrDemoProjectFiles());
    auto project = std::make_unique<Project>(modelgen::kSbrDemoProject);
    EXPECT_EQ(project->keyword, "SBR");
    EXPECT_TRUE(CheckSbrBalance(project->sbr).passes);
    EXPECT_EQ(SbrCycleLengthMinutes(project->sbr), 360);
}

TEST(SbrDemoProject, NitrifiesAndKeepsItsVolume)
{
    auto project = std::make_unique<Project>(modelgen::kSbrDemoProject);
    SbrSimulation simulation(project->model, project->plant, project->state, project->sbr,
                             project->results);
    RunControl control;
    simulation.run(control, 8, false);
    EXPECT_NEAR(simulation.runState().volume, project->sbr.InitialVolume,
                0.01 * project->sbr.InitialVolume);
    const double influentAmmonium = project->model.InfluentS[5];
    EXPECT_LT(project->state.S[1][5], 0.3 * influentAmmonium) << "ammonium is nitrified";
    EXPECT_GT(project->state.S[1][4], 0.0) << "nitrate is produced";
}

TEST(AIDemoProject, FilesAreWhatTheGeneratorWritesAndLanesAlternate)
{
    expectGeneratorFiles(modelgen::kAIDemoProject, modelgen::AIDemoProjectFiles());
    auto project = std::make_unique<Project>(modelgen::kAIDemoProject);
    EXPECT_EQ(project->keyword, "AI");
    EXPECT_EQ(project->lanes.LaneFed[1], 1);
    EXPECT_EQ(project->lanes.LaneFed[2], 2);
    RunControl control;
    const TSimSettings settings = SimSettingsForMissingKeys(); // the simulation keeps a reference
    AIDynamicSimulation simulation(project->model, project->plant, project->state, project->ai,
                                   project->variation, project->lanes, settings, project->results);
    simulation.run(control, 3, false);
    const int last = project->plant.ReactorCount;
    EXPECT_LT(project->state.S[last][5], project->model.InfluentS[5]) << "ammonium is removed";
    for (int c = 1; c <= project->plant.CompartmentCount; ++c)
        for (int j = 1; j <= project->model.NS; ++j)
            EXPECT_GE(project->state.S[c][j], 0.0);
}

} // namespace
} // namespace narv

#include "DeliveredModels.h"
#include "DeliveredModelFiles.h"

#include "model/Rates.h"
#include "plant/ModelSetup.h"
#include "plant/PlantDef.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>

namespace narv::modelgen {

// Test names and messages show the file, not the bytes of the parameter.
void PrintTo(const DeliveredModel& delivered, std::ostream* out)
{
    *out << delivered.fileName;
}

} // namespace narv::modelgen

namespace narv {
namespace {

using modelgen::DeliveredModel;
using testing::DeliveredModelPath;

class DeliveredModelFile : public ::testing::TestWithParam<DeliveredModel> {
protected:
    std::string fileName() const { return GetParam().fileName; }
    std::string shippedBytes() const { return readFileBytes(DeliveredModelPath(fileName())); }
};

std::string writeModel(const TModelDef& model)
{
    std::ostringstream out;
    WriteModelText(out, model);
    return out.str();
}

TEST_P(DeliveredModelFile, IsWhatItsGeneratorWrites)
{
    const auto model = std::make_unique<TModelDef>(GetParam().make());
    EXPECT_TRUE(writeModel(*model) == shippedBytes())
        << "data/models/" << fileName() << " differs from its tables in tools/modelgen: run "
        << "narv-modelgen data/models (target narv_regenerate_models) and review the diff.";
}

TEST_P(DeliveredModelFile, ReadsAndRewritesByteForByte)
{
    auto model = std::make_unique<TModelDef>();
    TPlantDef plant;
    TPlantState state;
    ReadModelFile(DeliveredModelPath(fileName()), *model, plant, state);
    EXPECT_TRUE(writeModel(*model) == shippedBytes());
}

TEST_P(DeliveredModelFile, KeepsOxygenFirstAndAerationFirst)
{
    const auto model = testing::LoadDeliveredModel(fileName());
    EXPECT_EQ(model->NameS[1], kOxygenSpeciesName);
    for (int j = 1; j <= model->NS; ++j)
        EXPECT_TRUE(model->NameS[j].size() <= 16 && model->NameS[j].starts_with("S "))
            << model->NameS[j];
    for (int j = 1; j <= model->NX; ++j)
        EXPECT_TRUE(model->NameX[j].size() <= 16 && model->NameX[j].starts_with("X "))
            << model->NameX[j];
    EXPECT_EQ(model->ProcessName[1], "Aeration");
    EXPECT_EQ(model->Kr[1], 1.0);
    for (int j = 1; j <= model->NS; ++j)
        EXPECT_EQ(model->NueS[1][j], 0.0) << j;
    for (int p = 1; p <= model->NP; ++p)
        EXPECT_LE(model->ProcessName[p].size(), 30u) << model->ProcessName[p];
}

TEST_P(DeliveredModelFile, EvaluatesFinitePositiveRatesAtItsInitialConditions)
{
    auto model = std::make_unique<TModelDef>();
    TPlantDef plant;
    TPlantState state;
    ReadModelFile(DeliveredModelPath(fileName()), *model, plant, state);
    plant.Kla[1] = 240.0;
    ComputeConversionRates(*model, plant, state, 1);
    // Every initial concentration is positive, so every process runs.
    for (int p = 1; p <= model->NP; ++p) {
        EXPECT_TRUE(std::isfinite(model->Rho[p])) << model->ProcessName[p];
        EXPECT_GT(model->Rho[p], 0.0) << model->ProcessName[p];
    }
    for (int j = 1; j <= MaxSpecies; ++j) {
        EXPECT_TRUE(std::isfinite(model->RS[j])) << j;
        EXPECT_TRUE(std::isfinite(model->RX[j])) << j;
    }
    EXPECT_LT(model->RS[1], 0.0); // the processes consume oxygen
}

INSTANTIATE_TEST_SUITE_P(DeliveredModels, DeliveredModelFile,
                         ::testing::ValuesIn(modelgen::DeliveredModels()),
                         [](const ::testing::TestParamInfo<DeliveredModel>& paramInfo) {
                             return std::filesystem::path(paramInfo.param.fileName).stem().string();
                         });

TEST(DeliveredModels, EveryShippedModelHasAGenerator)
{
    std::set<std::string> generated;
    for (const DeliveredModel& delivered : modelgen::DeliveredModels())
        generated.insert(delivered.fileName);
    for (const auto& entry : std::filesystem::directory_iterator(DeliveredModelPath(""))) {
        if (entry.path().extension() != kModelFileExtension)
            continue;
        EXPECT_TRUE(generated.contains(entry.path().filename().string()))
            << entry.path() << " is not written by narv-modelgen";
    }
}

} // namespace
} // namespace narv

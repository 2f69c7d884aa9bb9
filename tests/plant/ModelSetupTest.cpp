#include "plant/ModelSetup.h"

#include "SampleModels.h"
#include "core/AtomicFile.h"
#include "core/Error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace narv {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kModels = fs::path(NARV_TEST_DATA_DIR) / "models";

class ModelSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                (std::string("narv-setup-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        SetUpDefaultModel(model, plant, state);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path write(const std::string& name, const std::string& bytes)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path m_dir;
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
};

TEST_F(ModelSetup, DefaultsOfModelPlantAndState)
{
    EXPECT_EQ(model.NS, 1);
    EXPECT_EQ(model.NX, 0);
    EXPECT_EQ(model.NP, 1);
    EXPECT_EQ(model.NameS[1], "S Oxygen      O2");
    EXPECT_EQ(model.NameS[2], std::string(30, ' '));
    EXPECT_EQ(model.NameX[25], std::string(30, ' '));
    EXPECT_EQ(model.ProcessName[50], std::string(30, ' '));
    for (int p = 1; p <= MaxProcesses; ++p) {
        EXPECT_DOUBLE_EQ(model.ThetaKr[p], 0.0693147180559945);
        EXPECT_EQ(model.KrT[p], 1.0);
        EXPECT_EQ(model.KST[p][25], 10.0);
        EXPECT_EQ(model.KXT[p][1], 1.0);
        EXPECT_EQ(model.ThetaKS[p][3], 0.0);
    }
    EXPECT_EQ(model.BaseTemperature, 20.0);
    EXPECT_EQ(plant.OperatingTemperature, 20.0);
    EXPECT_EQ(model.InfluentS[25], 100.0);
    EXPECT_EQ(model.InitialX[1], 100.0);
    EXPECT_EQ(plant.XIn2[7], 100.0);
    EXPECT_EQ(state.Time, 0.0);
    EXPECT_EQ(state.S[18][25], 100.0);
    EXPECT_EQ(state.X[1][1], 100.0);
    EXPECT_FALSE(model.IsPHModel);
}

TEST_F(ModelSetup, ReadingRunsThePostLoadSteps)
{
    model.ThetaKr[1] = 0.3;
    plant.OperatingTemperature = 8.0;
    plant.CompartmentCount = 4;
    ReadModelFile(kModels / "small.mod", model, plant, state);
    EXPECT_EQ(model.ThetaKr[1], 0.0);
    EXPECT_EQ(plant.OperatingTemperature, 20.0);
    EXPECT_EQ(model.KrT[2], model.Kr[2]);
    EXPECT_EQ(model.KST[2][1], 10.0);
    EXPECT_EQ(plant.SIn2[2], 200.0);
    EXPECT_EQ(plant.XIn2[1], 10.0);
    EXPECT_EQ(plant.SIn2[3], 100.0); // beyond NS: the kept influent slot is copied as well
    for (int c = 1; c <= MaxCompartments; ++c) {
        EXPECT_EQ(state.S[c][2], 50.0);
        EXPECT_EQ(state.X[c][1], 1000.0);
    }
    EXPECT_FALSE(model.IsPHModel);
}

TEST_F(ModelSetup, BaseTemperatureOfTheFileBecomesTheOperatingTemperature)
{
    ReadModelFile(kModels / "nx0.mod", model, plant, state);
    EXPECT_EQ(plant.OperatingTemperature, 15.0);
    EXPECT_EQ(model.KST[2][1], 0.2);
}

TEST_F(ModelSetup, PHModelIsRecognisedAndForgottenByANewModel)
{
    std::string bytes = readFileBytes(kModels / "nx0.mod");
    bytes.replace(bytes.find("S Substrate   COD"), 17, "- pH Value   [-]");
    ReadModelFile(write("ph.mod", bytes), model, plant, state);
    EXPECT_TRUE(model.IsPHModel);
    SetUpDefaultModel(model, plant, state);
    EXPECT_FALSE(model.IsPHModel);
}

TEST_F(ModelSetup, FailedReadLeavesEverythingAsItWas)
{
    ReadModelFile(kModels / "small.mod", model, plant, state);
    plant.OperatingTemperature = 12.0;
    state.S[3][2] = 4.5;
    const std::string good = readFileBytes(kModels / "small.mod");
    const std::string bads[] = {
        good.substr(0, good.find("Base temperature")),
        std::string(good).replace(good.find(" 2  1  2"), 8, "26  1  2"),
        std::string(good).replace(good.find(" 1.000000E+0003 X"), 16, " 1.0000x0E+0003"),
    };
    for (const std::string& bad : bads) {
        const TModelDef modelBefore = model;
        const TPlantState stateBefore = state;
        const TPlantDef plantBefore = plant;
        EXPECT_THROW(ReadModelFile(write("bad.mod", bad), model, plant, state), Error);
        EXPECT_EQ(std::memcmp(&stateBefore, &state, sizeof state), 0);
        EXPECT_EQ(plant.OperatingTemperature, plantBefore.OperatingTemperature);
        EXPECT_EQ(plant.SIn2, plantBefore.SIn2);
        EXPECT_EQ(model.ModelName, modelBefore.ModelName);
        EXPECT_EQ(model.NS, modelBefore.NS);
        EXPECT_EQ(model.InitialX, modelBefore.InitialX);
        EXPECT_EQ(model.InfluentS, modelBefore.InfluentS);
        EXPECT_EQ(model.BaseTemperature, modelBefore.BaseTemperature);
    }
    EXPECT_THROW(ReadModelFile(m_dir / "missing.mod", model, plant, state), IoError);
}

TEST_F(ModelSetup, WriteThenReadReproducesTheModel)
{
    TModelDef original = testing::MakeCarbonNitrogenModel();
    WriteModelFile(m_dir / "cn.mod", original);
    ReadModelFile(m_dir / "cn.mod", model, plant, state);
    EXPECT_EQ(model.NS, original.NS);
    EXPECT_EQ(model.NP, original.NP);
    EXPECT_EQ(model.Remarks[2], original.Remarks[2]); // "°" survives
    for (int p = 1; p <= model.NP; ++p) {
        EXPECT_EQ(model.ProcessName[p], original.ProcessName[p]);
        EXPECT_NEAR(model.Kr[p], original.Kr[p], 1e-6 * std::fabs(original.Kr[p]));
        for (int j = 1; j <= model.NS; ++j) {
            EXPECT_EQ(model.TypeS[p][j], original.TypeS[p][j]);
            EXPECT_NEAR(model.NueS[p][j], original.NueS[p][j],
                        1e-6 * std::fabs(original.NueS[p][j]));
        }
        for (int j = 1; j <= model.NX; ++j)
            EXPECT_EQ(model.Compound2X[p][j], original.Compound2X[p][j]);
    }
    // Written again, the file is unchanged: the seven digits are a fixed point.
    WriteModelFile(m_dir / "again.mod", model);
    EXPECT_EQ(readFileBytes(m_dir / "again.mod"), readFileBytes(m_dir / "cn.mod"));
}

TEST_F(ModelSetup, UpdatePHInInfluentsAndCompartmentsInUse)
{
    plant.CompartmentCount = 2;
    model.InfluentS[3] = 1e-4; // pH 7
    plant.SIn2[3] = 0.0;       // no protons: 14
    state.S[1][3] = 1e-5;
    state.S[2][3] = -1.0;
    state.S[3][3] = 1e-5;
    state.S[3][2] = 55.0;
    UpdatePH(model, plant, state);
    EXPECT_DOUBLE_EQ(model.InfluentS[2], 7.0);
    EXPECT_EQ(plant.SIn2[2], 14.0);
    EXPECT_DOUBLE_EQ(state.S[1][2], 8.0);
    EXPECT_EQ(state.S[2][2], 14.0);
    EXPECT_EQ(state.S[3][2], 55.0); // beyond CompartmentCount
    EXPECT_EQ(PHFromProton(1000.0), 0.0);
}

TEST_F(ModelSetup, RatesOfACompartmentUseItsStateAndAeration)
{
    model = testing::MakeCarbonNitrogenModel();
    ApplyModelInitialConditions(model, state);
    plant.Kla[2] = 50.0;
    plant.O2Saturation = 8.0;
    state.S[2][1] = 1.0;
    ComputeConversionRates(model, plant, state, 2);
    EXPECT_EQ(model.Rho[1], (8.0 - 1.0) * 50.0);
    const double oxygen = model.RS[1];
    ComputeOxygenRate(model, plant, state, 2);
    EXPECT_EQ(model.RS[1], oxygen);
    EXPECT_THROW(ComputeProcessRates(model, plant, state, 19), IndexError);
    EXPECT_THROW(ComputeProcessRates(model, plant, state, 0), IndexError);
}

} // namespace
} // namespace narv

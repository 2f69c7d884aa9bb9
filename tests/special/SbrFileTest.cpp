#include "special/SbrFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/TextReader.h"
#include "plant/ModelSetup.h"
#include "special/SpecialFormat.h"
#include "TempPath.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace narv {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kData = NARV_TEST_DATA_DIR;

TEST(FixedFileReal, WritesPascalFixedFieldsRoundedHalfUp)
{
    using detail::FormatFixedFileReal;
    EXPECT_EQ(FormatFixedFileReal(50.0, 12, 6), "   50.000000");
    EXPECT_EQ(FormatFixedFileReal(-200.0, 12, 6), " -200.000000");
    EXPECT_EQ(FormatFixedFileReal(0.0000005, 12, 6), "    0.000001");
    EXPECT_EQ(FormatFixedFileReal(0.0000004999, 12, 6), "    0.000000");
    EXPECT_EQ(FormatFixedFileReal(-0.0000001, 12, 6), "    0.000000");
    EXPECT_EQ(FormatFixedFileReal(9.9999996, 12, 6), "   10.000000");
    EXPECT_EQ(FormatFixedFileReal(123456789.5, 12, 6), "123456789.500000");
    EXPECT_EQ(FormatFixedFileReal(1e21, 4, 0), "1000000000000000000000");
}

struct SbrFile : ::testing::Test {
    SbrFile() { ReadModelFile(kData / "models" / "small.mod", model, plant, state); }

    void read(const std::string& bytes)
    {
        TextReader in(bytes, "sbr.pln");
        ReadSbrPlantText(in, "sbr.pln", model, plant, state, cycle);
    }
    std::string write() const
    {
        std::ostringstream out;
        WriteSbrPlantText(out, model, plant, state, cycle);
        return out.str();
    }
    // The golden file with line (1-based) replaced.
    std::string goldenWith(int line, const std::string& text) const
    {
        std::string bytes = golden;
        std::size_t start = 0;
        for (int i = 1; i < line; ++i)
            start = bytes.find("\r\n", start) + 2;
        return bytes.replace(start, bytes.find("\r\n", start) - start, text);
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TSbrCycle cycle;
    const std::string golden = readFileBytes(kData / "special" / "sbr-small.pln");
};

TEST_F(SbrFile, GoldenFileReadsAndWritesBackByteForByte)
{
    plant.O2Saturation = 8.5;
    read(golden);
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftSBR);
    EXPECT_EQ(plant.ReactorCount, 1);
    EXPECT_EQ(plant.CompartmentCount, 1);
    EXPECT_TRUE(plant.Influent2Enabled);
    EXPECT_EQ(plant.O2Saturation, 8.5);
    EXPECT_EQ(cycle.TimesliceLength, 5);
    EXPECT_EQ(cycle.InitialVolume, 100.0);
    EXPECT_EQ(cycle.Accuracy, 0.001);
    EXPECT_EQ(cycle.Periods[2].Timeslices, 60);
    EXPECT_EQ(cycle.Periods[1].FixedKla, 240.0);
    EXPECT_EQ(cycle.Periods[2].Influent2Volume, 10.5);
    EXPECT_EQ(cycle.Periods[4].MixedLiquorVolume, 30.5);
    EXPECT_EQ(cycle.Periods[2].AerationMode, TSbrAerationMode::OnOff);
    EXPECT_EQ(cycle.Periods[2].UpperThreshold, 2.0);
    EXPECT_EQ(cycle.Periods[2].LowerThreshold, 1.0);
    EXPECT_EQ(cycle.Periods[2].ValueBelow, 10.0);
    EXPECT_EQ(cycle.Periods[4].AerationMode, TSbrAerationMode::FixedO2);
    EXPECT_EQ(cycle.Periods[4].SignalSpecies, 2);
    EXPECT_EQ(cycle.Periods[4].Slope, -200.0);
    EXPECT_EQ(cycle.Periods[4].Setpoint, 150.0);
    EXPECT_EQ(model.InfluentS[2], 200.0);
    EXPECT_EQ(plant.SIn2[2], 150.0);
    EXPECT_EQ(state.S[1][1], 2.0);
    EXPECT_EQ(plant.XIn2[1], 12.5);
    EXPECT_EQ(state.X[1][1], 1000.0);
    EXPECT_EQ(write(), golden);
}

TEST_F(SbrFile, RoundTripKeepsSixDecimals)
{
    read(golden);
    cycle.InitialVolume = 123.456789012345;
    cycle.Accuracy = 0.0123;
    cycle.Periods[7].Timeslices = 3;
    cycle.Periods[7].SupernatantVolume = 1.2345674;
    cycle.Periods[9].ValueAbove = 1e6 / 3.0;
    state.S[1][2] = 1.0 / 3.0;
    const std::string first = write();
    const TSbrCycle written = cycle;
    read(first);
    EXPECT_EQ(cycle.InitialVolume, 123.456789012345);
    EXPECT_EQ(cycle.Accuracy, 0.0123);
    EXPECT_EQ(cycle.Periods[7].SupernatantVolume, 1.234567);
    EXPECT_NEAR(cycle.Periods[9].ValueAbove, written.Periods[9].ValueAbove, 5e-7);
    EXPECT_EQ(state.S[1][2], 0.333333);
    EXPECT_EQ(write(), first);
}

TEST_F(SbrFile, FileWriteGoesThroughATemporaryFile)
{
    read(golden);
    const fs::path dir = narv::testing::UniqueTempPath("narv-sbr-file");
    fs::create_directories(dir);
    WriteSbrPlantFile(dir / "plant.pln", model, plant, state, cycle);
    EXPECT_EQ(readFileBytes(dir / "plant.pln"), golden);
    TSbrCycle other;
    ReadSbrPlantFile(dir / "plant.pln", model, plant, state, other);
    EXPECT_EQ(other, cycle);
    fs::remove_all(dir);
}

TEST_F(SbrFile, BadFilesAreRefusedAndChangeNothing)
{
    plant.PlantType = TFlowschemeType::ftASR;
    plant.ReactorCount = 3;
    cycle.TimesliceLength = 7;
    const TPlantState stateBefore = state;
    const SpeciesArray influentBefore = model.InfluentS;
    const auto expectRefused = [&](const std::string& bytes, const std::string& detail) {
        try {
            read(bytes);
            ADD_FAILURE() << "accepted: " << detail;
        } catch (const InvalidFileError& e) {
            EXPECT_STREQ(e.what(), "sbr.pln is not valid for this model!");
            EXPECT_THAT(e.detail(), HasSubstr(detail));
        }
        EXPECT_EQ(plant.PlantType, TFlowschemeType::ftASR);
        EXPECT_EQ(plant.ReactorCount, 3);
        EXPECT_EQ(cycle.TimesliceLength, 7);
        EXPECT_TRUE(state.S == stateBefore.S);
        EXPECT_TRUE(model.InfluentS == influentBefore);
    };
    expectRefused(goldenWith(2, "Another model"), "does not name the model");
    expectRefused(goldenWith(3, "ASR"), "is not an SBR plant");
    expectRefused(goldenWith(4, "1441"), "timeslice length");
    expectRefused(goldenWith(5, " 1.0E+0002 5.0E-0002"), "accuracy");
    expectRefused(goldenWith(6, " 200  100    0    0    0    0    0    0    0    0    0    0"),
                  "at most 288");
    expectRefused(goldenWith(7, "   50.000000    -1.000000"), "2nd influent");
    expectRefused(goldenWith(23, "   4    1 "), "aeration mode");
    expectRefused(goldenWith(23, "   0    3 "), "signal species");
    expectRefused(goldenWith(20, "  200.000000   abc"), "abc");
    expectRefused(golden.substr(0, golden.size() - 200), "end of file");
}

} // namespace
} // namespace narv

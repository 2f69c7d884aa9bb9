#include "special/AIFile.h"
#include "special/SpecialPlantFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/TextReader.h"
#include "plant/ModelSetup.h"
#include "plant/PlantFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace narv {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kData = NARV_TEST_DATA_DIR;

struct AIFiles : ::testing::Test {
    AIFiles()
    {
        ReadModelFile(kData / "models" / "small.mod", model, plant, state);
        m_dir = fs::temp_directory_path() /
                (std::string("narv-ai-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    ~AIFiles() override { fs::remove_all(m_dir); }

    void read(const std::string& bytes)
    {
        TextReader in(bytes, "ai.pln");
        ReadAIPlantText(in, "ai.pln", model, plant, state, ai);
    }
    std::string write() const
    {
        std::ostringstream out;
        WriteAIPlantText(out, model, plant, state, ai);
        return out.str();
    }
    fs::path file(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(m_dir / name, std::ios::binary) << bytes;
        return m_dir / name;
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TAIPlant ai;
    TSbrCycle sbr;
    TVariationDef variation;
    TAIVariation lanes;
    fs::path m_dir;
    const std::string golden = readFileBytes(kData / "special" / "ai-small.pln");
};

TEST_F(AIFiles, GoldenPlantReadsAndWritesBackByteForByte)
{
    read(golden);
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftAI);
    EXPECT_EQ(plant.CompartmentCount, 6);
    EXPECT_EQ(plant.ReactorCount, 5);
    EXPECT_TRUE(plant.ControlLoopsActive);
    EXPECT_EQ(ai.PolyvalentCount, 1);
    EXPECT_EQ(ai.LaneCompartmentCount, 1);
    EXPECT_EQ(ai.PostAerationCount, 2);
    const TControlLoopDef& lane1 = ai.LaneLoops[1][0];
    EXPECT_TRUE(lane1.Active);
    EXPECT_TRUE(lane1.OnOff);
    EXPECT_EQ(lane1.Signal, 3);
    EXPECT_EQ(lane1.Compartment, 2);
    EXPECT_EQ(ai.LaneLoops[2][0].ErwartetX, 1e9);
    EXPECT_EQ(ai.LaneLoops[2][0].ErwartetY, 0.5);
    EXPECT_TRUE(ai.LaneLoops[1][6].Active);
    EXPECT_FALSE(ai.LaneLoops[2][6].Active);
    EXPECT_EQ(ai.LaneLoops[2][10].Compartment, 6);
    EXPECT_EQ(plant.Volume[3], 300.0);
    EXPECT_EQ(plant.O2Setpoint[4], 2.0);
    EXPECT_EQ(plant.Recirc2From, 2);
    EXPECT_EQ(state.X[5][1], 1600.0);
    EXPECT_EQ(model.InfluentS[2], 200.0);
    EXPECT_EQ(plant.OperatingTemperature, 15.0);
    EXPECT_EQ(write(), golden);
}

TEST_F(AIFiles, TwoBlocksOfCompartmentCountPlusFiveTriples)
{
    read(golden);
    const std::string text = write();
    EXPECT_NE(text.find(" loop  0\r\nFALSE\r\nFALSE\r\n"), std::string::npos);
    std::size_t loops = 0;
    for (std::size_t at = text.find(" loop "); at != std::string::npos;
         at = text.find(" loop ", at + 1))
        ++loops;
    EXPECT_EQ(loops, 2u * 11u);
    EXPECT_NE(text.find(" loop 10\r\nTRUE\r\nTRUE\r\n 1.000E+0009"), std::string::npos);
}

TEST_F(AIFiles, LoopCodesBelowOneReadAsOne)
{
    std::string bytes = golden;
    const std::string entry = "  3  2 loop  0";
    bytes.replace(bytes.find(entry), entry.size(), " -2  0 loop  0");
    read(bytes);
    EXPECT_EQ(ai.LaneLoops[1][0].Signal, 1);
    EXPECT_EQ(ai.LaneLoops[1][0].Compartment, 1);
}

TEST_F(AIFiles, FileWithoutTheLastLinesKeepsCountsAndRecirculation)
{
    read(golden);
    plant.Recirc2From = 3;
    ai.PolyvalentCount = 1;
    const std::size_t cut = golden.rfind("  2   1 ");
    read(golden.substr(0, cut));
    EXPECT_EQ(plant.Recirc2From, 3);
    EXPECT_EQ(ai.PostAerationCount, 2);
}

TEST_F(AIFiles, BadPlantFilesChangeNothing)
{
    const auto expectRefused = [&](const std::string& bytes, const std::string& detail) {
        const TPlantDef plantBefore = plant;
        const TAIPlant aiBefore = ai;
        try {
            read(bytes);
            ADD_FAILURE() << "accepted: " << detail;
        } catch (const InvalidFileError& e) {
            EXPECT_STREQ(e.what(), "ai.pln is not valid for this model!");
            EXPECT_THAT(e.detail(), HasSubstr(detail));
        }
        EXPECT_EQ(plant.CompartmentCount, plantBefore.CompartmentCount);
        EXPECT_EQ(plant.PlantType, plantBefore.PlantType);
        EXPECT_EQ(ai.PolyvalentCount, aiBefore.PolyvalentCount);
    };
    std::string counts = golden;
    counts.replace(counts.rfind("  1  1  2"), 9, "  2  1  2");
    expectRefused(counts, "make 6");
    std::string model2 = golden;
    model2.replace(model2.find("Small test model"), 16, "Large test model");
    expectRefused(model2, "does not name the model");
    expectRefused(golden.substr(0, golden.find("loop  5")), "end of file");
}

TEST_F(AIFiles, DispatchHandsEachTypeToItsReaderAndWriter)
{
    EXPECT_EQ(ReadAnyPlantFile(file("ai.pln", golden), model, plant, state, sbr, ai), "AI");
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftAI);
    WriteAnyPlantFile(m_dir / "ai2.pln", "AI", model, plant, state, sbr, ai);
    EXPECT_EQ(readFileBytes(m_dir / "ai2.pln"), golden);

    const std::string sbrGolden = readFileBytes(kData / "special" / "sbr-small.pln");
    EXPECT_EQ(ReadAnyPlantFile(file("sbr.pln", sbrGolden), model, plant, state, sbr, ai), "SBR");
    EXPECT_EQ(plant.PlantType, TFlowschemeType::ftSBR);
    EXPECT_EQ(plant.CompartmentCount, 1);
    WriteAnyPlantFile(m_dir / "sbr2.pln", "SBR", model, plant, state, sbr, ai);
    EXPECT_EQ(readFileBytes(m_dir / "sbr2.pln"), sbrGolden);

    const fs::path asr = kData / "plants" / "asr-clarifier.pln";
    EXPECT_EQ(ReadAnyPlantFile(asr, model, plant, state, sbr, ai), "ASR");
    WriteAnyPlantFile(m_dir / "asr.pln", "ASR", model, plant, state, sbr, ai);
    WritePlantFile(m_dir / "standard.pln", "ASR", model, plant, state);
    EXPECT_EQ(readFileBytes(m_dir / "asr.pln"), readFileBytes(m_dir / "standard.pln"));

    EXPECT_THROW(ReadAnyPlantFile(file("short.pln", "NARV\r\n"), model, plant, state, sbr, ai),
                 InvalidFileError);
}

TEST_F(AIFiles, VariationLaneLineRoundTrip)
{
    read(golden);
    const std::string bytes = readFileBytes(kData / "special" / "ai-small-12.vrt");
    TextReader in(bytes, "ai.vrt");
    EXPECT_FALSE(ReadAIVariationText(in, "ai.vrt", variation, lanes, model, plant, ai));
    EXPECT_EQ(variation.PointCount, 12);
    EXPECT_EQ(lanes.LaneFed[3], 2);
    EXPECT_EQ(lanes.LaneFed[12], 1);
    EXPECT_EQ(lanes.LaneFed[13], 1);
    EXPECT_EQ(ai.LaneUpstream[2][3], 1); // rebuilt for the plant
    std::ostringstream out;
    WriteAIVariationText(out, variation, lanes, model);
    EXPECT_EQ(out.str(), bytes);
    const std::string last = bytes.substr(bytes.rfind("\r\n", bytes.size() - 3) + 2);
    EXPECT_EQ(last, " 1 1 2 2 1 1 1 2 2 2 1 1\r\n");
}

TEST_F(AIFiles, VariationWithoutLaneLineFeedsLaneOne)
{
    read(golden);
    lanes.LaneFed[5] = 2;
    const fs::path path = kData / "variations" / "small-12.vrt";
    const std::optional<std::string> warning =
        ReadAnyVariationFile(path, variation, lanes, model, plant, ai);
    ASSERT_TRUE(warning);
    EXPECT_EQ(*warning, "Variation file is not of type A/I!\nlane is set to 1.");
    for (int i = 1; i <= 288; ++i)
        ASSERT_EQ(lanes.LaneFed[i], 1) << i;

    // What saving a variation without lanes writes reads as a variation without lanes.
    std::string zeros = readFileBytes(kData / "special" / "ai-small-12.vrt");
    zeros.replace(zeros.size() - 26, 26, " 0 0 0 0 0 0 0 0 0 0 0 0\r\n");
    lanes.LaneFed[5] = 2;
    TextReader in(zeros, "zeros.vrt");
    EXPECT_TRUE(ReadAIVariationText(in, "zeros.vrt", variation, lanes, model, plant, ai));
    EXPECT_EQ(lanes.LaneFed[5], 1);
}

TEST_F(AIFiles, LaneValuesOtherThanOneOrTwoAreRefusedWithTheirStep)
{
    read(golden);
    const std::string good = readFileBytes(kData / "special" / "ai-small-12.vrt");
    struct Bad {
        const char* line;
        const char* detail;
    };
    const Bad bads[] = {
        {" 1 1 2 2 1 1 1 2 2 2 3 1\r\n", "the lane fed in time step 11 is 3; it must be 1 or 2."},
        {" 1 1 2 2 1-1 1 2 2 2 1 1\r\n", "\"1-1\" is not a valid integer."},
        {" 1 1 2 2 1 1 1 2 2 2 1 0\r\n", "the lane fed in time step 12 is 0; it must be 1 or 2."},
        {" 1 1 2 2 1 1 1 2 2 2 1 99999999999\r\n", "is not a valid integer."},
    };
    for (const Bad& bad : bads) {
        std::string bytes = good;
        bytes.replace(bytes.size() - 26, 26, bad.line); // the lane line
        lanes.LaneFed.fill(2);
        TextReader in(bytes, "bad.vrt");
        try {
            ReadAIVariationText(in, "bad.vrt", variation, lanes, model, plant, ai);
            FAIL() << bad.line;
        } catch (const InvalidFileError& e) {
            EXPECT_THAT(e.detail(), ::testing::HasSubstr(bad.detail));
        }
        EXPECT_EQ(lanes.LaneFed[1], 2) << "nothing changed";
    }
}

TEST_F(AIFiles, UnreadableLaneLineChangesNothing)
{
    read(golden);
    variation.PointCount = 24;
    std::string bad = readFileBytes(kData / "special" / "ai-small-12.vrt");
    bad.replace(bad.rfind(" 1 1\r\n"), 6, " x 1\r\n");
    TextReader in(bad, "bad.vrt");
    EXPECT_THROW(ReadAIVariationText(in, "bad.vrt", variation, lanes, model, plant, ai),
                 InvalidFileError);
    EXPECT_EQ(variation.PointCount, 24);
}

TEST_F(AIFiles, SavingAVariationWithoutLanesWarnsAfterwards)
{
    lanes.LaneFed.fill(0);
    const auto warning = WriteAIVariationFile(m_dir / "v.vrt", variation, lanes, model);
    EXPECT_TRUE(warning);
    EXPECT_EQ(lanes.LaneFed[288], 1);
    const std::string bytes = readFileBytes(m_dir / "v.vrt");
    EXPECT_EQ(bytes.substr(bytes.size() - 26), " 0 0 0 0 0 0 0 0 0 0 0 0\r\n");
}

} // namespace
} // namespace narv

#include "plant/PlantFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/TextReader.h"
#include "plant/ModelSetup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace narv {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kData = NARV_TEST_DATA_DIR;

class PlantFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                (std::string("narv-plant-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        loadModel("small.mod");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void loadModel(const char* name)
    {
        ReadModelFile(kData / "models" / name, model, plant, state);
    }

    std::string read(const std::string& bytes, const std::string& name = "test.pln")
    {
        TextReader in(bytes, name);
        return ReadStandardPlantText(in, name, model, plant, state);
    }
    std::string write(const std::string& keyword)
    {
        std::ostringstream out;
        WriteStandardPlantText(out, keyword, model, plant, state);
        return out.str();
    }
    fs::path file(const std::string& name, const std::string& bytes)
    {
        std::ofstream(m_dir / name, std::ios::binary) << bytes;
        return m_dir / name;
    }

    fs::path m_dir;
    TModelDef model;
    TPlantDef plant;
    TPlantState state;
};

TEST_F(PlantFile, ClarifierPlantRoundTripsByteForByte)
{
    const std::string bytes = readFileBytes(kData / "plants" / "asr-clarifier.pln");
    model.ModelName = "Small test model";
    EXPECT_EQ(read(bytes), "ASR");
    EXPECT_EQ(plant.ReactorCount, 1);
    EXPECT_EQ(plant.CompartmentCount, 3);
    EXPECT_TRUE(plant.SludgeSeparation);
    EXPECT_FALSE(plant.RecircActive);
    EXPECT_TRUE(plant.ControlLoopsActive);
    EXPECT_EQ(plant.Volume[2], 500.0);
    EXPECT_EQ(state.X[2][1], -0.25);
    EXPECT_EQ(state.S[3][2], 3.333);
    EXPECT_EQ(model.InfluentS[2], 200.0);
    EXPECT_EQ(plant.SIn2[2], 150.0);
    EXPECT_EQ(plant.XIn2[1], 12.5);
    EXPECT_EQ(plant.ExcessRate, 1.0 / 6.0)
        << "1.667E-0001 differs from 1/SRT by more than 1e-5: repaired";
    const TControlLoopDef& loop = plant.ControlLoops[1];
    EXPECT_TRUE(loop.Active);
    EXPECT_TRUE(loop.OnOff);
    EXPECT_EQ(loop.Signal, 4);
    EXPECT_EQ(loop.Stellung2, 20.0);
    EXPECT_TRUE(plant.ControlLoops[5].Active);
    EXPECT_EQ(plant.Recirc2From, 2);

    // The model's name replaces line 2 on writing; everything else is as read.
    std::string expected = bytes;
    expected.replace(expected.find("Small test model with one reactor"), 33, "Small test model");
    EXPECT_EQ(write("ASR"), expected);
}

TEST_F(PlantFile, NoParticulateSpeciesRoundTrip)
{
    loadModel("nx0.mod");
    const std::string bytes = readFileBytes(kData / "plants" / "cstr-nx0.pln");
    EXPECT_EQ(read(bytes), "CSTR");
    EXPECT_EQ(plant.OperatingTemperature, 12.5);
    EXPECT_EQ(state.S[2][2], 0.001234);
    EXPECT_EQ(plant.Recirc2Flow, 17.5);
    EXPECT_EQ(write("CSTR"), bytes);
    EXPECT_THAT(bytes, HasSubstr("\r\n X Influent 1\r\n"));
    EXPECT_THAT(bytes, HasSubstr("\r\n X  2\r\n"));
}

TEST_F(PlantFile, OldestLayoutWithoutTypeAndLastLine)
{
    plant.Recirc2From = 3;
    plant.Recirc2To = 2;
    plant.Recirc2Flow = 8.0;
    EXPECT_EQ(read(readFileBytes(kData / "plants" / "oldest.pln")), "Unknown");
    EXPECT_FALSE(plant.SludgeSeparation);
    EXPECT_FALSE(plant.ControlLoopsActive);
    EXPECT_EQ(plant.SludgeAge, 4.0);
    EXPECT_EQ(plant.OperatingTemperature, 15.0);
    EXPECT_EQ(plant.Recirc2From, 3) << "a missing last line keeps the 2nd recirculation";
    EXPECT_EQ(plant.Recirc2Flow, 8.0);
}

TEST_F(PlantFile, TemperatureConversionAfterReading)
{
    read(readFileBytes(kData / "plants" / "oldest.pln")); // 15 °C, model base 20 °C
    EXPECT_DOUBLE_EQ(model.KrT[2], 2.0 * std::exp(0.06931472 * -5.0));
}

TEST_F(PlantFile, ModelNameMustOccurInLineTwo)
{
    const std::string bytes = readFileBytes(kData / "plants" / "oldest.pln");
    const auto withName = [&](const std::string& line2) {
        std::string text = bytes;
        text.replace(text.find("Small test model"), 16, line2);
        return text;
    };
    model.ModelName = "M1";
    EXPECT_EQ(read(withName("M1 with P")), "Unknown");
    try {
        read(withName("M3"), "plant1.pln");
        FAIL() << "accepted";
    } catch (const InvalidFileError& e) {
        EXPECT_STREQ(e.what(), "plant1.pln is not valid for this model!");
    }
    model.ModelName = "";
    EXPECT_THROW(read(withName("anything")), InvalidFileError);
}

TEST_F(PlantFile, ExcessRateRepairOnlyBeyondTolerance)
{
    std::string bytes = readFileBytes(kData / "plants" / "oldest.pln"); // SRT 4, rate 0.25
    read(bytes);
    EXPECT_EQ(plant.ExcessRate, 0.25);
    bytes.replace(bytes.find(" 2.500E-0001"), 12, " 2.500E-0001"); // unchanged: exact
    std::string close = bytes;
    close.replace(close.find(" 2.500E-0001"), 12, " 2.5000E-01 "); // other tools' notation
    read(close);
    EXPECT_EQ(plant.ExcessRate, 0.25);
    std::string off = bytes;
    off.replace(off.find(" 2.500E-0001"), 12, " 2.501E-0001");
    read(off);
    EXPECT_EQ(plant.ExcessRate, 0.25) << "2.501e-1 differs by 1e-4: repaired";
    std::string within = bytes;
    within.replace(within.find(" 2.500E-0001"), 12, " 0.250005   ");
    read(within);
    EXPECT_EQ(plant.ExcessRate, 0.250005) << "within 1e-5: kept";
}

TEST_F(PlantFile, PlantTypeWithoutSecondInfluentClearsIt)
{
    plant.Influent2Enabled = false; // a batch reactor was in force
    model.ModelName = "Small test model";
    read(readFileBytes(kData / "plants" / "asr-clarifier.pln"));
    EXPECT_EQ(plant.Influent2Flow, 0.0);
    EXPECT_EQ(plant.Recirc2Flow, 0.0);
}

TEST_F(PlantFile, BadFilesChangeNothing)
{
    model.ModelName = "Small test model";
    const std::string good = readFileBytes(kData / "plants" / "asr-clarifier.pln");
    struct Bad {
        std::string bytes;
        const char* detail;
    };
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const Bad bads[] = {
        {replaced("  3  5.000E+0000", " 19  5.000E+0000"), "compartments 19 lies outside 1..18"},
        {replaced(" 6.000E+0000  1.667E-0001", " 0.000E+0000  1.667E-0001"), "sludge age is 0"},
        {replaced(" 2.000E+0001  4  1 loop  1", " 2.000E+0001  4 19 loop  1"),
         "measuring compartment"},
        {replaced(" 1.500E+0000  1.250E+0001", " 1.500E+0000  1.2x0E+0001"),
         "is not a valid number"},
        {good.substr(0, good.find("TRUE\r\nTRUE\r\n 3.000E+0000")), "unexpected end of file"},
    };
    for (const Bad& bad : bads) {
        const TPlantDef plantBefore = plant;
        const TPlantState stateBefore = state;
        const SpeciesArray influentBefore = model.InfluentS;
        const ProcessArray rateBefore = model.KrT;
        try {
            read(bad.bytes, "bad.pln");
            FAIL() << "accepted: " << bad.detail;
        } catch (const InvalidFileError& e) {
            EXPECT_STREQ(e.what(), "bad.pln is not valid for this model!");
            EXPECT_THAT(e.detail(), HasSubstr(bad.detail));
        }
        EXPECT_EQ(std::memcmp(&stateBefore, &state, sizeof state), 0);
        EXPECT_EQ(plant.CompartmentCount, plantBefore.CompartmentCount);
        EXPECT_EQ(plant.SludgeAge, plantBefore.SludgeAge);
        EXPECT_EQ(plant.Volume, plantBefore.Volume);
        EXPECT_EQ(plant.SIn2, plantBefore.SIn2);
        EXPECT_EQ(plant.ControlLoops[1].Active, plantBefore.ControlLoops[1].Active);
        EXPECT_EQ(model.InfluentS, influentBefore);
        EXPECT_EQ(model.KrT, rateBefore);
    }
}

TEST_F(PlantFile, ImpossibleValuesAreRefusedWithFieldAndLimits)
{
    model.ModelName = "Small test model";
    const std::string good = readFileBytes(kData / "plants" / "asr-clarifier.pln");
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::string head = "  3  5.000E+0000  0.000E+0000  5.000E+0000  0.000E+0000";
    struct Bad {
        std::string bytes;
        const char* detail;
    };
    const Bad bads[] = {
        {replaced(head, "  3 -5.000E+0000  0.000E+0000  5.000E+0000  0.000E+0000"),
         "bad.pln, line 7: the flow of the 1st influent is -5; it must lie between 0 and 1e9."},
        {replaced(head, "  3  5.000E+0000  0.000E+0000  5.000E+0010  0.000E+0000"),
         "bad.pln, line 7: the return sludge flow is 50000000000; it must lie between 0 and 1e9."},
        {replaced("1.667E-0001  1.000E+0001  2.000E+0001", "1.667E-0001  1.000E+0001  1.200E+0002"),
         "the operating temperature is 120; it must lie between -20 and 100."},
        {replaced("1.667E-0001  1.000E+0001  2.000E+0001", "1.667E-0001  1.000E+0001 -3.000E+0002"),
         "the operating temperature is -300"},
        {replaced("1.667E-0001  1.000E+0001", "1.667E-0001 -1.000E+0001"),
         "the oxygen saturation is -10"},
        {replaced(" 6.000E+0000  1.667E-0001", "-6.000E+0000  1.667E-0001"),
         "the sludge age is -6"},
        {replaced(" 5.000E+0002  0.000E+0000  0.000E+0000 V O2 kla  2",
                  "-5.000E+0002  0.000E+0000  0.000E+0000 V O2 kla  2"),
         "bad.pln, line 15: the volume of compartment 2 is -500"},
        {replaced(" 1.000E+0003  2.000E+0000  0.000E+0000 V",
                  " 1.000E+0003  2.000E+0000 -1.000E+0000 V"),
         "the kla of compartment 1 is -1"},
        {replaced(" 2.000E+0000  5.000E+0001  S  1", " 2.000E+0000 -5.000E+0001  S  1"),
         "bad.pln, line 13: the concentration of \"S Substrate COD\" in compartment 1 is -50; a "
         "concentration cannot be negative."},
        {replaced("  1.250E+0001 X Influent 2", " -1.250E+0001 X Influent 2"),
         "the concentration of \"X Biomass COD\" in the 2nd influent is -12.5"},
        {replaced(" 1.500E+0000  1.250E+0001  S  2", " 1.500E+0000  nan  S  2"),
         "\"nan\" is not a valid number."},
        {replaced(" 1.500E+0000  1.250E+0001  S  2", " 1.500E+0000  1e400  S  2"),
         "\"1e400\" is not a valid number."},
        {replaced(" 2  1  0.000E+0000", " 2  1 -1.000E+0000"), "the 2nd recirculation flow is -1"},
    };
    for (const Bad& bad : bads) {
        const TPlantDef plantBefore = plant;
        const TPlantState stateBefore = state;
        try {
            read(bad.bytes, "bad.pln");
            FAIL() << "accepted: " << bad.detail;
        } catch (const InvalidFileError& e) {
            EXPECT_STREQ(e.what(), "bad.pln is not valid for this model!");
            EXPECT_THAT(e.detail(), HasSubstr(bad.detail));
        }
        EXPECT_EQ(std::memcmp(&stateBefore, &state, sizeof state), 0);
        EXPECT_EQ(plant.InfluentFlow, plantBefore.InfluentFlow);
    }
    // The particulate species of a clarifier compartment are stored but never used: the
    // golden file's -0.25 there is read as it is.
    EXPECT_NO_THROW(read(good));
    EXPECT_EQ(state.X[2][1], -0.25);
}

TEST_F(PlantFile, SpecialTypesAreRefusedClearly)
{
    model.ModelName = "Small test model";
    std::string sbr = readFileBytes(kData / "plants" / "asr-clarifier.pln");
    sbr.replace(sbr.find("\r\nASR\r\n"), 7, "\r\nSBR\r\n");
    EXPECT_EQ(ReadPlantFileKeyword(file("sbr.pln", sbr), model), "SBR");
    try {
        ReadPlantFile(m_dir / "sbr.pln", model, plant, state);
        FAIL();
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("type SBR is read by the reader of its type"));
    }
    EXPECT_THROW(WritePlantFile(m_dir / "out.pln", "AI", model, plant, state), Error);
    EXPECT_EQ(ReadPlantFileKeyword(kData / "plants" / "oldest.pln", model), "Unknown");
}

TEST_F(PlantFile, WriteThenReadKeepsFourDigits)
{
    plant.SludgeAge = 6.0;
    plant.ExcessRate = 1.0 / 6.0;
    plant.InfluentFlow = 1234.56;
    plant.Volume[1] = 1.0 / 3.0;
    WritePlantFile(m_dir / "p.pln", "ASR", model, plant, state);
    TPlantDef other;
    TPlantState otherState;
    EXPECT_EQ(ReadPlantFile(m_dir / "p.pln", model, other, otherState), "ASR");
    EXPECT_EQ(other.ExcessRate, 1.0 / 6.0);
    EXPECT_EQ(other.InfluentFlow, 1235.0);
    EXPECT_EQ(other.Volume[1], 0.3333);
    EXPECT_THROW(ReadPlantFile(m_dir / "missing.pln", model, other, otherState), IoError);
}

} // namespace
} // namespace narv

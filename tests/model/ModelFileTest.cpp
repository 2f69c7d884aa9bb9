#include "model/ModelFile.h"

#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/TextReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace narv {
namespace {

using ::testing::HasSubstr;

std::string goldenBytes(const std::string& name)
{
    return readFileBytes(std::string(NARV_TEST_DATA_DIR) + "/models/" + name);
}

TModelDef readModel(const std::string& bytes, const std::string& name = "test.mod")
{
    TModelDef model;
    TextReader in(bytes, name);
    ReadModelText(in, model);
    return model;
}

std::string writeModel(const TModelDef& model)
{
    std::ostringstream out;
    WriteModelText(out, model);
    return out.str();
}

std::string replaceOnce(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

class GoldenModelFile : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenModelFile, ReadsAndWritesBackByteForByte)
{
    const std::string bytes = goldenBytes(GetParam());
    EXPECT_EQ(writeModel(readModel(bytes)), bytes);
}

INSTANTIATE_TEST_SUITE_P(ModelFile, GoldenModelFile,
                         ::testing::Values("small.mod", "nx0.mod", "np1.mod"));

TEST(ModelFile, ReadsEveryField)
{
    const TModelDef model = readModel(goldenBytes("small.mod"));
    EXPECT_EQ(model.ProgramVersion, "NARV 1.0.0.0");
    EXPECT_EQ(model.ModelName, "Small test model");
    EXPECT_EQ(model.RemarkCount, 2);
    EXPECT_EQ(model.Remarks[2], "Second remark, with trailing blanks   ");
    EXPECT_EQ(model.NS, 2);
    EXPECT_EQ(model.NX, 1);
    EXPECT_EQ(model.NP, 2);
    EXPECT_EQ(model.NameS[2], "S Substrate   COD");
    EXPECT_EQ(model.ProcessName[1], "Aeration                      ");
    EXPECT_EQ(model.TypeS[2][1], 3);
    EXPECT_EQ(model.TypeX[2][1], 1);
    EXPECT_EQ(model.NueS[2][1], -1.0);
    EXPECT_EQ(model.NueS[2][2], -0.4);
    EXPECT_EQ(model.NueX[2][1], 1.0);
    EXPECT_EQ(model.Kr[2], 2.0);
    EXPECT_EQ(model.KS[2][1], 10.0);
    EXPECT_EQ(model.ThetaKr[2], 0.06931472);
    EXPECT_EQ(model.BaseTemperature, 20.0);
    EXPECT_EQ(model.InfluentS[2], 200.0);
    EXPECT_EQ(model.InfluentX[1], 10.0);
    EXPECT_EQ(model.InitialS[1], 2.0);
    EXPECT_EQ(model.InitialX[1], 1000.0);
}

TEST(ModelFile, NoParticulateSpeciesWritesLabelsAlone)
{
    const std::string text = writeModel(readModel(goldenBytes("nx0.mod")));
    EXPECT_THAT(text, HasSubstr("\r\nType X\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\nCompound 2 X\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\nNue X\r\n"));
    EXPECT_THAT(text, HasSubstr("\r\nKx\r\n"));
    EXPECT_THAT(text, HasSubstr(" S\r\n X\r\nTypical initial conditions\r\n"));
    EXPECT_EQ(readModel(goldenBytes("nx0.mod")).NueS[2][1], -0.05);
}

TEST(ModelFile, OnlyAerationHasNoTemperatureBlock)
{
    const std::string text = writeModel(readModel(goldenBytes("np1.mod")));
    EXPECT_THAT(text, HasSubstr("Temperature koefficients\r\nBase temperature\r\n"));
    // Single-byte characters survive the round trip through the program's UTF-8.
    EXPECT_EQ(readModel(goldenBytes("np1.mod")).Remarks[1],
              "Only the oxygen transfer at 20 \u00B0C \u00B7 kla.");
}

TEST(ModelFile, OldestLayoutHasFiveRemarksAndIsUpgradedOnWriting)
{
    const TModelDef model = readModel(goldenBytes("legacy.mod"));
    EXPECT_EQ(model.RemarkCount, 5);
    EXPECT_EQ(model.Remarks[1], "Growth model");
    EXPECT_EQ(model.Remarks[3], "   3");
    EXPECT_EQ(model.Remarks[4], "");
    EXPECT_EQ(model.Remarks[5], "fifth remark");
    EXPECT_EQ(model.NS, 2);
    EXPECT_EQ(model.NP, 2);
    EXPECT_EQ(writeModel(model), goldenBytes("legacy-rewritten.mod"));
}

TEST(ModelFile, ReadsFilesOfOtherToolsWithLineFeedsAndFreeNumberForms)
{
    std::string bytes = goldenBytes("small.mod");
    std::string unix;
    for (char c : bytes)
        if (c != '\r')
            unix += c;
    unix = replaceOnce(unix, " 2.000000E+0000 Rate", "2 Rate");
    unix = replaceOnce(unix, "-1.000000E+0000 -4.000000E-0001 Nue S", "-1\t-0.4 Nue S");
    EXPECT_EQ(writeModel(readModel(unix)), bytes);
}

TEST(ModelFile, WritesRealsWithSevenSignificantDigits)
{
    TModelDef model = readModel(goldenBytes("small.mod"));
    model.Kr[2] = 1.0 / 3.0;
    model.InfluentS[1] = -0.05;
    const std::string text = writeModel(model);
    EXPECT_THAT(text, HasSubstr(" 3.333333E-0001 Rate"));
    EXPECT_THAT(text, HasSubstr("\r\n -5.000000E-0002  2.000000E+0002 S\r\n"));
    EXPECT_THROW(readModel(text), RangeError) << "no concentration is negative";
    model.InfluentS[1] = 0.05;
    EXPECT_EQ(readModel(writeModel(model)).Kr[2], 0.3333333);
}

TEST(ModelFile, ZeroRemarks)
{
    const std::string bytes = goldenBytes("nx0.mod");
    EXPECT_EQ(bytes.substr(bytes.find("\r\n0\r\n") + 5, 9), " 3  0  2\r");
    EXPECT_EQ(readModel(bytes).RemarkCount, 0);
}

struct MalformedCase {
    const char* from;
    const char* to;
    const char* errorKind;
    const char* message;
};

class MalformedModelFile : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedModelFile, GivesTheRightError)
{
    const MalformedCase& c = GetParam();
    const std::string bytes = replaceOnce(goldenBytes("small.mod"), c.from, c.to);
    try {
        readModel(bytes, "bad.mod");
        FAIL() << "no error";
    } catch (const NumericFormatError& e) {
        EXPECT_STREQ(c.errorKind, "format");
        EXPECT_STREQ(e.what(), c.message);
    } catch (const RangeError& e) {
        EXPECT_STREQ(c.errorKind, "range");
        EXPECT_STREQ(e.what(), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ModelFile, MalformedModelFile,
    ::testing::Values(
        MalformedCase{"-4.000000E-0001 Nue S", "-4.0000O0E-0001 Nue S", "format",
                      "bad.mod, line 27: \"-4.0000O0E-0001\" is not a valid number."},
        MalformedCase{" 3  0 Type S", " 3  x Type S", "format",
                      "bad.mod, line 23: \"x\" is not a valid integer."},
        MalformedCase{" 2  1  2\r\n", "26  1  2\r\n", "range",
                      "bad.mod, line 6: the number of dissolved species is 26; it must lie between "
                      "1 and 25."},
        MalformedCase{" 2  1  2\r\n", " 2 26  2\r\n", "range",
                      "bad.mod, line 6: the number of particulate species is 26; it must lie "
                      "between 0 and 25."},
        MalformedCase{
            " 2  1  2\r\n", " 2  1 51\r\n", "range",
            "bad.mod, line 6: the number of processes is 51; it must lie between 1 and 50."},
        MalformedCase{
            " 2  1  2\r\n", " 2  1  0\r\n", "range",
            "bad.mod, line 6: the number of processes is 0; it must lie between 1 and 50."},
        MalformedCase{
            "Small test model\r\n2\r\n", "Small test model\r\n21\r\n", "range",
            "bad.mod, line 3: the number of remark lines is 21; it must lie between 0 and 20."},
        MalformedCase{"Base temperature\r\n 2.000000E+0001", "Base temperature\r\n-3.000000E+0002",
                      "range",
                      "bad.mod, line 38: the base temperature is -300; it must lie between -20 "
                      "and 100."},
        MalformedCase{"  0.000000E+0000  2.000000E+0002 S", "  0.000000E+0000 -2.000000E+0002 S",
                      "range",
                      "bad.mod, line 40: the concentration of \"S Substrate COD\" in the influent "
                      "is -200; a concentration cannot be negative."},
        MalformedCase{"  1.000000E+0003 X", " -1.000000E+0003 X", "range",
                      "bad.mod, line 44: the concentration of \"X Biomass COD\" in the initial "
                      "conditions is -1000; a concentration cannot be negative."},
        MalformedCase{" 2.000000E+0000 Rate", " inf Rate", "format",
                      "bad.mod, line 29: \"inf\" is not a valid number."}));

TEST(ModelFile, TruncatedFileIsAnError)
{
    const std::string bytes = goldenBytes("small.mod");
    for (const char* cut :
         {"Typical initial conditions", "Base temperature", "Growth\r\n 3", "S Substrate"}) {
        const std::string truncated = bytes.substr(0, bytes.find(cut));
        try {
            readModel(truncated, "cut.mod");
            FAIL() << "no error when cut before " << cut;
        } catch (const IoError& e) {
            EXPECT_THAT(e.what(), HasSubstr("cut.mod, line "));
            EXPECT_THAT(e.what(), HasSubstr("unexpected end of file"));
        }
    }
}

TEST(ModelFile, MissingLastLineEndStillReads)
{
    std::string bytes = goldenBytes("small.mod");
    bytes.resize(bytes.size() - 2);
    EXPECT_EQ(readModel(bytes).InitialX[1], 1000.0);
}

TEST(ModelFile, WriterRefusesCountsBeyondCapacity)
{
    TModelDef model;
    model.RemarkCount = 21;
    std::ostringstream out;
    EXPECT_THROW(WriteModelText(out, model), RangeError);
    model.RemarkCount = 0;
    model.NX = 26;
    EXPECT_THROW(WriteModelText(out, model), RangeError);
}

} // namespace
} // namespace narv

#include "dynamics/Variation.h"

#include "SampleModels.h"
#include "core/AtomicFile.h"
#include "core/Error.h"
#include "core/TextReader.h"
#include "plant/ModelSetup.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace narv {
namespace {

using ::testing::HasSubstr;

const std::filesystem::path kData = NARV_TEST_DATA_DIR;

struct VariationFile : ::testing::Test {
    VariationFile() { ReadModelFile(kData / "models" / "small.mod", model, plant, state); }

    void read(const std::string& bytes, const std::string& name = "test.vrt")
    {
        TextReader in(bytes, name);
        ReadVariationText(in, name, variation, model);
    }
    std::string write() const
    {
        std::ostringstream out;
        WriteVariationText(out, variation, model);
        return out.str();
    }
    static std::string golden(const char* name)
    {
        return readFileBytes(kData / "variations" / name);
    }

    TModelDef model;
    TPlantDef plant;
    TPlantState state;
    TVariationDef variation;
};

TEST_F(VariationFile, TwelvePointsRoundTripByteForByte)
{
    const std::string bytes = golden("small-12.vrt");
    read(bytes);
    EXPECT_EQ(variation.PointCount, 12);
    EXPECT_EQ(variation.CycleDuration, 1.0);
    EXPECT_TRUE(variation.VaryConc2);
    EXPECT_EQ(variation.Values[0][1], 0.6);
    EXPECT_EQ(variation.Values[0][13], 1.0);
    EXPECT_EQ(variation.Values[6][13], 2.0) << "the factor of the substrate row";
    EXPECT_EQ(variation.Values[VariationKlaRow(model, 1)][2], 0.0);
    EXPECT_EQ(variation.Values[VariationTemperatureRow(model)][2], -2.5);
    EXPECT_EQ(variation.Values[0][0], 1.0) << "neutral column";
    EXPECT_EQ(variation.Values[VariationTemperatureRow(model)][0], 0.0);
    EXPECT_EQ(write(), bytes);
}

TEST_F(VariationFile, TwoHundredEightyEightPointsHaveTheFactorsLast)
{
    const std::string bytes = golden("small-288.vrt");
    read(bytes);
    EXPECT_EQ(variation.PointCount, 288);
    EXPECT_EQ(variation.CycleDuration, 2.5);
    EXPECT_FALSE(variation.VaryConc2);
    EXPECT_EQ(variation.Values[3][289], 1.0 + 0.001 * ((288 * 7 + 3) % 50));
    EXPECT_EQ(write(), bytes);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 4 + 289);
}

TEST_F(VariationFile, TwelveKlaRowsOfEarlierReleasesAreRecognisedByTheirCount)
{
    // Written by the same version as the running program: the number of values decides.
    read(golden("old-12kla.vrt"));
    EXPECT_EQ(variation.PointCount, 4);
    EXPECT_EQ(variation.Values[0][3], 1.5);
    EXPECT_EQ(variation.Values[VariationKlaRow(model, 1)][3], 0.0);
    EXPECT_EQ(variation.Values[VariationKlaRow(model, 12)][2], 0.5);
    EXPECT_EQ(variation.Values[VariationKlaRow(model, 13)][2], 1.0) << "rows 13..18 stay neutral";
    EXPECT_EQ(variation.Values[VariationTemperatureRow(model)][4], 2.0);
    // Written back, it has the current layout of 18 kla rows.
    const std::string rewritten = write();
    TVariationDef again = variation;
    read(rewritten);
    EXPECT_EQ(variation.Values, again.Values);
    EXPECT_THAT(rewritten, HasSubstr(" 1.000E+0000 \r\n"));
}

TEST_F(VariationFile, ModelNameMustOccurInLineTwo)
{
    const std::string bytes = golden("small-12.vrt");
    model.ModelName = "Small test";
    read(bytes);
    model.ModelName = "Small test model 2";
    const TVariationDef before = variation;
    try {
        read(bytes, "day.vrt");
        FAIL();
    } catch (const InvalidFileError& e) {
        EXPECT_STREQ(e.what(), "day.vrt is not valid for this model!");
    }
    EXPECT_EQ(variation.Values, before.Values);
}

TEST_F(VariationFile, BadFilesChangeNothing)
{
    const std::string good = golden("small-12.vrt");
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    read(golden("small-288.vrt"));
    const TVariationDef before = variation;
    for (const std::string& bad :
         {replaced("      12\r\n", "      13\r\n"), replaced(" 6.000E-0001", " 6.0x0E-0001"),
          replaced(" 1.0E+0000      12", "-1.0E+0000      12"),
          good.substr(0, good.size() - 200)}) {
        EXPECT_THROW(read(bad), Error);
        EXPECT_EQ(variation.PointCount, before.PointCount);
        EXPECT_EQ(variation.Values, before.Values);
    }
}

TEST_F(VariationFile, ImpossibleValuesAreRefusedWithTheirPlace)
{
    const std::string good = golden("small-12.vrt");
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Bad {
        std::string bytes;
        const char* message;
    };
    const Bad bads[] = {
        {replaced("TRUE\r\n 6.000E-0001", "TRUE\r\n-6.000E-0001"),
         "bad.vrt, line 5: the relative influent flow in time step 1 is -0.6; it must lie between "
         "0 and 1e20."},
        {replaced("TRUE\r\n 6.000E-0001  1.000E+0000", "TRUE\r\n 6.000E-0001  2.000E+0021"),
         "bad.vrt, line 5: the relative return sludge flow in time step 1 is 2e+21; it must lie "
         "between 0 and 1e20."},
        {replaced(" 9.000E-0001  1.000E+0000  1.000E+0000  1.000E+0000  1.000E+0000  1.000E+0000 ",
                  " 9.000E-0001  1.000E+0000  1.000E+0000  1.000E+0000  1.000E+0000 -1.000E+0000 "),
         "bad.vrt, line 8: the relative concentration of"},
        {replaced(" 9.000E-0001", " 1e999"), "bad.vrt, line 8: \"1e999\" is not a valid number."},
    };
    for (const Bad& bad : bads) {
        try {
            read(bad.bytes, "bad.vrt");
            FAIL() << bad.message;
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr(bad.message));
        }
        EXPECT_EQ(variation.Values, TVariationDef().Values);
    }
}

TEST(VersionNumber, CombinesTheParts)
{
    EXPECT_EQ(VersionNumber("1.2.3"), 10203);
    EXPECT_EQ(VersionNumber("2.0.1.5"), 2000105);
    EXPECT_EQ(VersionNumber("NARV 1.0.0.0"), 1000000);
    EXPECT_THROW(VersionNumber("NARV"), NumericFormatError);
    EXPECT_THROW(VersionNumber("1..2"), NumericFormatError);
}

TEST(VersionNumber, RefusesTextsThatWouldOverflow)
{
    EXPECT_EQ(VersionNumber("9999.9999.9999.9999"),
              9999LL * 1000000 + 9999 * 10000 + 9999 * 100 + 9999);
    const std::string hundredDigits(100, '7');
    for (const std::string& text :
         {std::string("NARV 1.1.1.1.1.1.1.1.1.1.1"), std::string("1.2.3.4.5"),
          "NARV " + hundredDigits, "1." + hundredDigits, std::string("1.99999")}) {
        try {
            VersionNumber(text);
            FAIL() << text;
        } catch (const NumericFormatError& e) {
            EXPECT_THAT(e.what(), ::testing::HasSubstr("is not a valid version number")) << text;
            EXPECT_LT(std::string(e.what()).size(), 130u) << "the text is echoed shortened";
        }
    }
}

struct ApplyPoint : ::testing::Test {
    ApplyPoint()
    {
        model = testing::MakeCarbonNitrogenModel();
        plant.CompartmentCount = 2;
        plant.Kla[1] = 100.0;
        plant.Kla[2] = 50.0;
        plant.Kla[3] = 7.0;
        plant.Influent2Flow = 3.0;
        ResetVariation(variation, model, plant);
        base = SavePlantBaseValues(model, plant);
    }
    TModelDef model;
    TPlantDef plant;
    TVariationDef variation;
    PlantBaseValues base;
};

TEST_F(ApplyPoint, NeutralVariationChangesNothing)
{
    EXPECT_TRUE(variation.VaryConc2);
    const double rate = model.KrT[2];
    for (int step = 1; step <= 12; ++step) {
        ApplyVariationPoint(variation, step, base, model, plant);
        EXPECT_EQ(plant.InfluentFlow, base.InfluentFlow);
        EXPECT_EQ(plant.Kla[2], 50.0);
        EXPECT_EQ(model.InfluentS, base.SIn1);
        EXPECT_EQ(plant.OperatingTemperature, 20.0);
        EXPECT_EQ(model.KrT[2], rate);
    }
}

TEST_F(ApplyPoint, FlowsConcentrationsKlaAndTemperature)
{
    variation.PointCount = 1;
    variation.Values[0][1] = 1.5;
    variation.Values[0][2] = 2.0; // factor
    variation.Values[3][1] = 0.5;
    variation.Values[VariationSpeciesRowS(3)][1] = 0.25;
    variation.Values[VariationSpeciesRowX(model, 2)][1] = 3.0;
    variation.Values[VariationKlaRow(model, 2)][1] = 0.0;
    variation.Values[VariationKlaRow(model, 3)][1] = 0.0;
    variation.Values[VariationTemperatureRow(model)][1] = -10.0;
    ApplyVariationPoint(variation, 1, base, model, plant);
    EXPECT_EQ(plant.InfluentFlow, base.InfluentFlow * 1.5 * 2.0);
    EXPECT_EQ(plant.ExcessRate, base.ExcessRate * 0.5);
    EXPECT_EQ(model.InfluentS[3], base.SIn1[3] * 0.25);
    EXPECT_EQ(plant.SIn2[3], base.SIn2[3] * 0.25);
    EXPECT_EQ(model.InfluentX[2], base.XIn1[2] * 3.0);
    EXPECT_EQ(plant.Kla[1], 100.0);
    EXPECT_EQ(plant.Kla[2], 0.0);
    EXPECT_EQ(plant.Kla[3], 7.0) << "beyond CompartmentCount";
    EXPECT_EQ(plant.OperatingTemperature, 10.0);
    EXPECT_DOUBLE_EQ(model.KrT[2], model.Kr[2] * std::exp(model.ThetaKr[2] * -10.0));
}

TEST_F(ApplyPoint, TemperatureIsFlooredAtZeroAndSecondInfluentMayStay)
{
    variation.VaryConc2 = false;
    variation.Values[VariationTemperatureRow(model)][1] = -30.0;
    variation.Values[VariationSpeciesRowS(3)][1] = 0.25;
    variation.Values[4][1] = 2.0;
    ApplyVariationPoint(variation, 1, base, model, plant);
    EXPECT_EQ(plant.OperatingTemperature, 0.0);
    EXPECT_EQ(plant.SIn2[3], base.SIn2[3]);
    EXPECT_EQ(plant.Influent2Flow, 6.0);
}

TEST_F(ApplyPoint, RelativeKlaForTheControlLoops)
{
    variation.Values[VariationKlaRow(model, 4)][3] = 0.0;
    const CompartmentArray step3 = RelativeKlaOfStep(variation, model, 3);
    EXPECT_EQ(step3[4], 0.0);
    EXPECT_EQ(step3[5], 1.0);
    const TVariationDef fresh;
    EXPECT_EQ(RelativeKlaOfStep(fresh, model, 0)[18], 1.0) << "neutral from the start";
}

} // namespace
} // namespace narv

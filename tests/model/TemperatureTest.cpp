#include "model/Temperature.h"

#include "SampleModels.h"
#include "core/Error.h"

#include <gtest/gtest.h>

#include <cmath>

namespace narv {
namespace {

TEST(Temperature, AtTheBaseTemperatureEveryValueIsItsBaseValue)
{
    TModelDef model = testing::MakeCarbonNitrogenModel();
    ConvertToOperatingTemperature(model, 12.0, 20.0);
    ConvertToOperatingTemperature(model, 20.0, 20.0);
    for (int p = 1; p <= model.NP; ++p) {
        EXPECT_EQ(model.KrT[p], model.Kr[p]);
        for (int j = 1; j <= model.NS; ++j) {
            if (model.TypeS[p][j] > 1) {
                EXPECT_EQ(model.KST[p][j], model.KS[p][j]);
            }
        }
        for (int j = 1; j <= model.NX; ++j) {
            if (model.TypeX[p][j] > 1) {
                EXPECT_EQ(model.KXT[p][j], model.KX[p][j]);
            }
        }
    }
}

TEST(Temperature, DoublingPerTenDegrees)
{
    TModelDef model;
    model.NP = 3;
    model.Kr[2] = 1.5;
    model.Kr[3] = 4.0;
    ConvertToOperatingTemperature(model, 30.0, 20.0);
    EXPECT_DOUBLE_EQ(model.KrT[2], 3.0);
    EXPECT_DOUBLE_EQ(model.KrT[3], 8.0);
    ConvertToOperatingTemperature(model, 10.0, 20.0);
    EXPECT_DOUBLE_EQ(model.KrT[2], 0.75);
    EXPECT_DOUBLE_EQ(TemperatureFactor(std::log(2.0) / 10.0, 10.0, 20.0), 0.5);
}

TEST(Temperature, AerationIsNeverConverted)
{
    TModelDef model;
    model.NP = 1;
    model.Kr[1] = 2.0;
    model.ThetaKr[1] = 0.5;
    ConvertToOperatingTemperature(model, 35.0, 20.0);
    EXPECT_EQ(model.KrT[1], 2.0);
    model.NP = 2;
    ConvertToOperatingTemperature(model, 5.0, 20.0);
    EXPECT_EQ(model.KrT[1], 2.0);
}

TEST(Temperature, TypesWithoutParameterKeepTheirConvertedValue)
{
    TModelDef model;
    model.NS = 2;
    model.NX = 1;
    model.NP = 2;
    model.TypeS[2][1] = 1;
    model.KS[2][1] = 3.0;
    model.ThetaKS[2][1] = 0.1;
    model.KST[2][1] = 42.0;
    model.TypeS[2][2] = 3;
    model.KS[2][2] = 3.0;
    model.ThetaKS[2][2] = 0.1;
    model.TypeX[2][1] = 0;
    model.KXT[2][1] = 43.0;
    for (int i = 0; i < 3; ++i)
        ConvertToOperatingTemperature(model, 10.0 + i, 20.0);
    EXPECT_EQ(model.KST[2][1], 42.0);
    EXPECT_EQ(model.KXT[2][1], 43.0);
    EXPECT_DOUBLE_EQ(model.KST[2][2], 3.0 * std::exp(0.1 * -8.0));
}

TEST(Temperature, OverflowLeavesTheConvertedValues)
{
    TModelDef model;
    model.NP = 3;
    model.Kr[2] = 1.0;
    model.Kr[3] = 1.0;
    model.ThetaKr[3] = 100.0;
    model.KrT[2] = 7.0;
    EXPECT_THROW(ConvertToOperatingTemperature(model, 100.0, 20.0), FloatingPointError);
    EXPECT_EQ(model.KrT[2], 7.0);
}

TEST(Temperature, CellConversionsOfTheParameterDialog)
{
    EXPECT_NEAR(BaseValueFromOperatingValue(15.0, 0.1, 10.0, 20.0), 15.0 * std::exp(1.0), 1e-12);
    EXPECT_NEAR(BaseValueFromOperatingValue(15.0, 0.1, 10.0, 20.0), 40.774, 5e-4);
    EXPECT_DOUBLE_EQ(OperatingValueFromBaseValue(15.0 * std::exp(1.0), 0.1, 10.0, 20.0), 15.0);
    EXPECT_DOUBLE_EQ(OperatingValueForNewCoefficient(10.0, 0.0, 10.0, 20.0), 10.0);
    EXPECT_DOUBLE_EQ(OperatingValueForNewCoefficient(10.0, std::log(2.0) / 10.0, 30.0, 20.0), 20.0);
}

} // namespace
} // namespace narv

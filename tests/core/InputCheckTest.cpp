#include "core/InputCheck.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

TEST(CheckRealText, OutOfRangeKeepsStoredValueAndShowsIt)
{
    const RealCheck check = CheckRealText("0.5", 0.0, 0.1, 0.02);
    EXPECT_FALSE(check.accepted);
    EXPECT_EQ(check.message, "Number should be between   0.00 and   0.10");
    EXPECT_EQ(check.value, 0.02);
    EXPECT_EQ(check.text, "  0.0");
    EXPECT_FALSE(check.returnFocus);
}

TEST(CheckRealText, TemperatureRangeMessage)
{
    const RealCheck check = CheckRealText("150", -20.0, 100.0, 12.0);
    EXPECT_EQ(check.message, "Number should be between -20.00 and 100.00");
    EXPECT_EQ(check.text, " 12.0");
}

TEST(CheckRealText, CommaAndTextAreNotNumbers)
{
    for (const char* text : {"1,5", "abc", "", "1.5 kg"}) {
        const RealCheck check = CheckRealText(text, 0.0, 10.0, 3.0);
        EXPECT_FALSE(check.accepted) << text;
        EXPECT_EQ(check.message, "Input isn't a valid number") << text;
        EXPECT_EQ(check.value, 3.0);
    }
}

TEST(CheckRealText, AcceptsTrimmedTextAndBounds)
{
    RealCheck check = CheckRealText("  1e-5 ", 0.0, 1.0, 0.5);
    EXPECT_TRUE(check.accepted);
    EXPECT_EQ(check.value, 1e-5);
    EXPECT_TRUE(check.message.empty());
    EXPECT_TRUE(CheckRealText("0", 0.0, 1.0, 0.5).accepted);
    EXPECT_TRUE(CheckRealText("1", 0.0, 1.0, 0.5).accepted);
    EXPECT_FALSE(CheckRealText("-0.0001", 0.0, 1.0, 0.5).accepted);
}

TEST(CheckIntegerText, RangeMessageWithPlainBounds)
{
    const IntegerCheck check = CheckIntegerText("30", 1, 25, 7);
    EXPECT_FALSE(check.accepted);
    EXPECT_EQ(check.message, "Number should be between 1 and 25");
    EXPECT_EQ(check.value, 7);
    EXPECT_EQ(check.text, "7");
}

TEST(CheckIntegerText, NotAnInteger)
{
    for (const char* text : {"2.5", "x", "", "3 "}) {
        const IntegerCheck check = CheckIntegerText(text, 1, 25, 7);
        EXPECT_FALSE(check.accepted) << text;
        EXPECT_EQ(check.message, "Input isn't a valid number") << text;
    }
    EXPECT_TRUE(CheckIntegerText(" 3", 1, 25, 7).accepted);
}

TEST(CheckFields, RefusedFieldKeepsTheFocus)
{
    EXPECT_TRUE(CheckIntegerField("0", 1, 25, 7).returnFocus);
    EXPECT_FALSE(CheckIntegerField("5", 1, 25, 7).returnFocus);
    EXPECT_TRUE(CheckRealField("x", 0.0, 1.0, 0.5).returnFocus);
    EXPECT_EQ(CheckRealField("0.25", 0.0, 1.0, 0.5).value, 0.25);
}

} // namespace
} // namespace narv

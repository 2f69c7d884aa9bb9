#include "core/NumberFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

namespace narv {
namespace {

TEST(FormatNumber, FixedInsideTheOpenRange)
{
    EXPECT_EQ(FormatNumber(11, 3, 2.5), "      2.500");
    EXPECT_EQ(FormatNumber(11, 3, -2.5), "     -2.500");
    EXPECT_EQ(FormatNumber(11, 3, 9999.9994), "   9999.999");
    EXPECT_EQ(FormatNumber(5, 3, 123.25), "123.250"); // a wider number takes its room
}

TEST(FormatNumber, ZeroAndTinyValuesAreZeroWithDecimals)
{
    EXPECT_EQ(FormatNumber(11, 3, 0.0), "      0.000");
    EXPECT_EQ(FormatNumber(11, 3, 1e-120), "      0.000");
    EXPECT_EQ(FormatNumber(11, 3, -1e-120), "      0.000");
}

TEST(FormatNumber, BoundsThemselvesUseExponentForm)
{
    // The exponent form has the field width plus 3, with a blank appended.
    EXPECT_EQ(FormatNumber(11, 3, 0.01), "     1.00E-2 ");
    EXPECT_EQ(FormatNumber(11, 3, 10000.0), "     1.00E+4 ");
    EXPECT_EQ(FormatNumber(11, 3, -123456.0), "    -1.23E+5 ");
    EXPECT_EQ(FormatNumber(11, 3, 1e-100), "     1.00E-100 ");
}

TEST(FormatExponent, ExampleAndRounding)
{
    EXPECT_EQ(FormatExponent(11, 123456.0), "  1.23E+5 ");
    EXPECT_EQ(FormatExponent(11, 0.0012345), "  1.23E-3 ");
    EXPECT_EQ(FormatExponent(11, 99999.0), "  1.00E+5 ");
    EXPECT_EQ(FormatExponent(3, 5e200), "5.00E+200 ");
}

TEST(FormatFixed, MatchesPrintfFieldRules)
{
    EXPECT_EQ(FormatFixed(5, 1, 0.02), "  0.0");
    EXPECT_EQ(FormatFixed(7, 2, -20.0), " -20.00");
    EXPECT_EQ(FormatFixed(1, 0, 12345.0), "12345");
}

TEST(FormatScientific, FileFieldsWithFourExponentDigits)
{
    EXPECT_EQ(formatScientific(1.0, 6, 4), " 1.000000E+0000");
    EXPECT_EQ(formatScientific(100.0, 6, 4), " 1.000000E+0002");
    EXPECT_EQ(formatScientific(-0.05, 6, 4), "-5.000000E-0002");
    EXPECT_EQ(formatScientific(0.0, 6, 4), " 0.000000E+0000");
    EXPECT_EQ(formatScientific(-0.0, 6, 4), " 0.000000E+0000");
    EXPECT_EQ(formatScientific(1.23456789e-300, 6, 4), " 1.234568E-0300");
    EXPECT_EQ(formatScientific(9.9999996, 6, 4), " 1.000000E+0001");
}

TEST(ParseReal, AcceptsTheNumberForms)
{
    double value = 0.0;
    for (const auto& [text, expected] :
         std::initializer_list<std::pair<const char*, double>>{{"1", 1.0},
                                                               {"-0.05", -0.05},
                                                               {"+2.5", 2.5},
                                                               {"1e-5", 1e-5},
                                                               {"1.000000E+0002", 100.0},
                                                               {".5", 0.5},
                                                               {"5.", 5.0},
                                                               {"1e-400", 0.0}}) {
        ASSERT_TRUE(parseReal(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(ParseReal, RefusesEverythingElse)
{
    double value = 7.0;
    for (const char* text : {"", "1,5", "1.5.", "abc", "nan", "inf", "-inf", "1e400", "--1", "+-1",
                             "0x10", "1.5x", " 1", "1 ", "."}) {
        EXPECT_FALSE(parseReal(text, value)) << text;
    }
    EXPECT_EQ(value, 7.0);
}

TEST(ParseReal, IgnoresTheLocale)
{
    // A comma locale must not change how "." is read (where such a locale is installed).
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) {
        double value = 0.0;
        EXPECT_TRUE(parseReal("1.5", value));
        EXPECT_EQ(value, 1.5);
        EXPECT_EQ(FormatFixed(5, 1, 1.5), "  1.5");
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(ParseInteger, SignsAndRange)
{
    int value = 0;
    EXPECT_TRUE(parseInteger("+12", value));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(parseInteger("-3", value));
    EXPECT_EQ(value, -3);
    EXPECT_FALSE(parseInteger("3.0", value));
    EXPECT_FALSE(parseInteger("99999999999", value));
    EXPECT_FALSE(parseInteger("+-3", value));
    EXPECT_FALSE(parseInteger("", value));
}

} // namespace
} // namespace narv

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

TEST(FormatFileReal, ModelFileFieldsOfFifteen)
{
    EXPECT_EQ(FormatFileReal(1.0, 15), " 1.000000E+0000");
    EXPECT_EQ(FormatFileReal(100.0, 15), " 1.000000E+0002");
    EXPECT_EQ(FormatFileReal(-0.05, 15), "-5.000000E-0002");
    EXPECT_EQ(FormatFileReal(0.0, 15), " 0.000000E+0000");
    EXPECT_EQ(FormatFileReal(-0.0, 15), " 0.000000E+0000");
    EXPECT_EQ(FormatFileReal(1.23456789e-300, 15), " 1.234568E-0300");
    EXPECT_EQ(FormatFileReal(9.9999996, 15), " 1.000000E+0001");
    EXPECT_EQ(FormatFileReal(5e-324, 15), " 5.000000E-0324"); // shortest form of the smallest double
}

TEST(FormatFileReal, PlantFileFieldsOfTwelveRoundHalfUp)
{
    EXPECT_EQ(FormatFileReal(5.0, 12), " 5.000E+0000");
    EXPECT_EQ(FormatFileReal(1.0 / 6.0, 12), " 1.667E-0001");
    EXPECT_EQ(FormatFileReal(-2.5, 12), "-2.500E+0000");
    EXPECT_EQ(FormatFileReal(1.2345, 12), " 1.235E+0000");  // a fifth digit of 5 rounds up
    EXPECT_EQ(FormatFileReal(1.0625, 12), " 1.063E+0000");  // also on an exact binary tie
    EXPECT_EQ(FormatFileReal(-1.2344999, 12), "-1.234E+0000");
    EXPECT_EQ(FormatFileReal(99999.0, 12), " 1.000E+0005"); // the carry moves the exponent
    EXPECT_EQ(FormatFileReal(1e-5, 12), " 1.000E-0005");
}

TEST(FormatFileReal, NarrowFieldsOverflowWithTwoDigits)
{
    EXPECT_EQ(FormatFileReal(1.0, 8), " 1.0E+0000");
    EXPECT_EQ(FormatFileReal(0.5, 8), " 5.0E-0001");
    EXPECT_EQ(FormatFileReal(288.0, 8), " 2.9E+0002");
    EXPECT_EQ(FormatFileReal(1.0, 30), "     1.00000000000000000E+0000");
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

TEST(FormatLimit, ExponentsWithoutPlusAndZeros)
{
    EXPECT_EQ(formatLimit(1e9), "1e9");
    EXPECT_EQ(formatLimit(1e-9), "1e-9");
    EXPECT_EQ(formatLimit(1e110), "1e110");
    EXPECT_EQ(formatLimit(-20.0), "-20");
    EXPECT_EQ(formatLimit(0.1), "0.1");
    EXPECT_EQ(formatLimit(0.0), "0");
}

} // namespace
} // namespace narv

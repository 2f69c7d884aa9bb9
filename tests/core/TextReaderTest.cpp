#include "core/TextReader.h"

#include "core/Error.h"
#include "core/TextUtil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace narv {
namespace {

using ::testing::HasSubstr;

TEST(TextReader, NumbersContinueOverLineEndsAndLabelsAreSkipped)
{
    TextReader in("  1  2\r\n 3 Label text 4\r\nnext line\r\n", "a.mod");
    EXPECT_EQ(in.readInt(), 1);
    EXPECT_EQ(in.readInt(), 2);
    EXPECT_EQ(in.readInt(), 3);
    in.skipLine();
    EXPECT_EQ(in.readLine(), "next line");
    EXPECT_TRUE(in.atEnd());
}

TEST(TextReader, AcceptsLineFeedsAndTabs)
{
    TextReader in("1.5\t-2e3\nline\n\nlast", "b.mod");
    EXPECT_EQ(in.readReal(), 1.5);
    EXPECT_EQ(in.readReal(), -2000.0);
    in.skipLine();
    EXPECT_EQ(in.readLine(), "line");
    EXPECT_EQ(in.readLine(), "");
    EXPECT_EQ(in.readLine(), "last"); // no line end at the end of the file
    EXPECT_TRUE(in.atEnd());
    in.skipLine(); // nothing left: no error
}

TEST(TextReader, TextLinesKeepTrailingBlanksAndConvertToUtf8)
{
    TextReader in("S Oxygen      O2  \r\n20 \xB0"
                  "C\r\n",
                  "c.mod");
    EXPECT_EQ(in.readLine(), "S Oxygen      O2  ");
    EXPECT_EQ(in.readLine(), "20 \u00B0C");
}

TEST(TextReader, BadNumberNamesFileLineAndToken)
{
    TextReader in("1\r\n2\r\n 3 1.2.3\r\n", "plant1.mod");
    in.readInt();
    in.readInt();
    in.readReal();
    try {
        in.readReal();
        FAIL() << "no error";
    } catch (const NumericFormatError& e) {
        EXPECT_STREQ(e.what(), "plant1.mod, line 3: \"1.2.3\" is not a valid number.");
    }
    TextReader ints("2.5", "x.mod");
    EXPECT_THROW(ints.readInt(), NumericFormatError);
}

TEST(TextReader, EndOfFileIsAnError)
{
    TextReader in("1\r\n", "short.mod");
    in.readInt();
    try {
        in.readInt();
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_THAT(e.what(), HasSubstr("short.mod, line 2: unexpected end of file"));
    }
    TextReader lines("", "empty.mod");
    EXPECT_THROW(lines.readLine(), IoError);
}

TEST(TextReader, LoneCarriageReturnEndsALine)
{
    TextReader in("first\rsecond\r\n1 2\r3\rlast", "mac.pln");
    EXPECT_EQ(in.readLine(), "first");
    EXPECT_EQ(in.readLine(), "second");
    EXPECT_EQ(in.readInt(), 1);
    in.skipLine(); // the 2 goes with its line
    EXPECT_EQ(in.readInt(), 3);
    EXPECT_EQ(in.lineNumber(), 4);
    in.skipLine();
    EXPECT_EQ(in.readLine(), "last");
}

TEST(TextReader, RangeChecksNameTheValueAndTheLimits)
{
    struct Case {
        const char* text;
        const char* message; // empty: accepted
    };
    const Case cases[] = {
        {"0", ""},
        {"1e9", ""},
        {"-0.5", "p.pln, line 1: the flow is -0.5; it must lie between 0 and 1e9."},
        {"1.5e9", "p.pln, line 1: the flow is 1500000000; it must lie between 0 and 1e9."},
        {"nan", "p.pln, line 1: \"nan\" is not a valid number."},
        {"1e400", "p.pln, line 1: \"1e400\" is not a valid number."},
        {"-inf", "p.pln, line 1: \"-inf\" is not a valid number."},
    };
    for (const Case& c : cases) {
        TextReader in(c.text, "p.pln");
        try {
            in.readReal(0.0, 1e9, "the flow");
            EXPECT_STREQ(c.message, "") << c.text;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), c.message) << c.text;
        }
    }
    TextReader concentrations("-1e-12 -1e-3 2e110", "c.pln");
    EXPECT_EQ(concentrations.readConcentration("\"S_S\""), -1e-12) << "rounding";
    EXPECT_THAT([&] { concentrations.readConcentration("\"S_S\" in compartment 2"); },
                ::testing::ThrowsMessage<RangeError>(HasSubstr(
                    "the concentration of \"S_S\" in compartment 2 is -0.001; a concentration "
                    "cannot be negative.")));
    EXPECT_THROW(concentrations.readConcentration("x"), RangeError);
    TextReader counts("19", "m.mod");
    EXPECT_THAT([&] { counts.readInt(1, 18, "the count"); },
                ::testing::ThrowsMessage<RangeError>(
                    "m.mod, line 1: the count is 19; it must lie between 1 and 18."));
}

TEST(TextReader, EchoesAtMostEightyCharactersOfAToken)
{
    const std::string garbage(100000, 'x');
    TextReader in(garbage, "big.pln");
    try {
        in.readReal();
        FAIL();
    } catch (const NumericFormatError& e) {
        const std::string expected =
            "big.pln, line 1: \"" + std::string(77, 'x') + "...\" is not a valid number.";
        EXPECT_EQ(e.what(), expected);
    }
    EXPECT_EQ(EchoText(std::string(80, 'y')), std::string(80, 'y'));
    EXPECT_EQ(EchoText(std::string(81, 'y')), std::string(77, 'y') + "...");
    // Counted in characters, never cut inside one: 81 two-byte characters.
    std::string umlauts;
    for (int i = 0; i < 81; ++i)
        umlauts += "\xC3\xA4";
    EXPECT_EQ(EchoText(umlauts), umlauts.substr(0, 154) + "...");
    EXPECT_EQ(QuotedName("  S_NH   Ammonium "), "\"S_NH Ammonium\"");
}

} // namespace
} // namespace narv

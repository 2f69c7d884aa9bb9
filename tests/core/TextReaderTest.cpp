#include "core/TextReader.h"

#include "core/Error.h"

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

} // namespace
} // namespace narv

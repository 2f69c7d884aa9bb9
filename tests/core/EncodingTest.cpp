#include "core/Encoding.h"

#include <gtest/gtest.h>

namespace narv {
namespace {

TEST(Encoding, EverySingleByteRoundTrips)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToSingleByte(singleByteToUtf8(all)), all);
}

TEST(Encoding, SpecialCharactersOfTheProgram)
{
    EXPECT_EQ(singleByteToUtf8("\xB7"), "\u00B7"); // middle dot of the formula texts
    EXPECT_EQ(singleByteToUtf8("\xD7"), "\u00D7"); // multiplication sign
    EXPECT_EQ(singleByteToUtf8("20 \xB0"
                               "C"),
              "20 \u00B0C");
    EXPECT_EQ(singleByteToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(utf8ToSingleByte("\u00D7"), "\xD7");
}

TEST(Encoding, UnmappableAndMalformedText)
{
    EXPECT_EQ(utf8ToSingleByte("\u4E2D"), "?");
    EXPECT_EQ(utf8ToSingleByte("a\xB0"), "a\xB0");       // already single-byte: passes through
    EXPECT_EQ(utf8ToSingleByte("\xE2\x82"), "\xE2\x82"); // truncated sequence
}

} // namespace
} // namespace narv

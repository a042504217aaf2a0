#include "core/text.h"

#include <gtest/gtest.h>

#include "core/errors.h"

namespace core {
namespace {

TEST(IncludeBackslash, AddsExactlyOne) {
    EXPECT_EQ(IncludeBackslash(""), "");
    EXPECT_EQ(IncludeBackslash("C:\\Program Files"), "C:\\Program Files\\");
    EXPECT_EQ(IncludeBackslash("C:\\Program Files\\"), "C:\\Program Files\\");
    EXPECT_EQ(IncludeBackslash("C:\\"), "C:\\");
    EXPECT_EQ(IncludeBackslash("Korvalix"), "Korvalix\\");
    EXPECT_EQ(IncludeBackslash("C:/"), "C:/\\");  // only "\" counts as a separator
}

TEST(StrToInt, DecimalWithBlanksAndSign) {
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("488960"), 488960);
    EXPECT_EQ(StrToInt("   42"), 42);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("007"), 7);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

TEST(StrToInt, HexadecimalPrefixes) {
    EXPECT_EQ(StrToInt("$10"), 16);
    EXPECT_EQ(StrToInt("x1f"), 31);
    EXPECT_EQ(StrToInt("X1F"), 31);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("0XfF"), 255);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("$80000000"), INT32_MIN);
}

TEST(StrToInt, RejectsWhatIsNoWholeNumber) {
    for (const char* bad : {"", " ", "-", "+", "$", "0x", "12 ", "1.5", "1e3", "abc", "2147483648", "-2147483649",
                            "$100000000", "\t5", "5b", "- 5", "$-5", "0x-5"}) {
        EXPECT_FALSE(TryStrToInt(bad).has_value()) << '"' << bad << '"';
        EXPECT_THROW(StrToInt(bad), ConvertError) << '"' << bad << '"';
    }
}

TEST(StrToInt, ConvertErrorNamesThePiece) {
    try {
        StrToInt("1b");
        FAIL();
    } catch (const ConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "'1b' n'est pas une valeur entière correcte");
    }
}

TEST(IniValueToInt, ZeroXMeansHexadecimalAndBadTextGivesTheDefault) {
    EXPECT_EQ(IniValueToInt("0x10", 0), 16);
    EXPECT_EQ(IniValueToInt("0X10", 0), 16);
    EXPECT_EQ(IniValueToInt("$10", 0), 16);
    EXPECT_EQ(IniValueToInt("17", 0), 17);
    EXPECT_EQ(IniValueToInt("0x", -1), -1);  // too short to be hexadecimal, and no number either
    EXPECT_EQ(IniValueToInt("sept", 0), 0);
    EXPECT_EQ(IniValueToInt("", -1), -1);
    EXPECT_EQ(IniValueToInt("0xZZ", -1), -1);
}

TEST(CheckedArithmetic, OverflowRaisesTheRuntimeError) {
    EXPECT_EQ(CheckedAdd(2147483600, 47), 2147483647);
    EXPECT_THROW(CheckedAdd(2147483647, 1), OverflowError);
    EXPECT_THROW(CheckedAdd(INT32_MIN, -1), OverflowError);
    EXPECT_EQ(CheckedMultiply(214748, 10000), 2147480000);
    EXPECT_THROW(CheckedMultiply(214749, 10000), OverflowError);
    EXPECT_EQ(std::string(OverflowError().what()), "Dépassement de capacité d'entier");
}

TEST(EqualsIgnoreCase, OnlyAsciiLettersFold) {
    EXPECT_TRUE(EqualsIgnoreCase("Fichier_1", "FICHIER_1"));
    EXPECT_FALSE(EqualsIgnoreCase("Fichier_1", "Fichier_10"));
    EXPECT_FALSE(EqualsIgnoreCase("a", "b"));
}

}  // namespace
TEST(HexText, DigitsPaddedToTheWidthInEitherCase) {
    EXPECT_EQ(core::HexText(0x80004005u, 8), "80004005");  // an OLE error code
    EXPECT_EQ(core::HexText(0x2Au, 8), "0000002A");
    EXPECT_EQ(core::HexText(0u), "0");
    EXPECT_EQ(core::HexText(0xFFFFFFFFu), "FFFFFFFF");
    EXPECT_EQ(core::HexText(0xBEEFu, 1, false), "beef");  // as a process id in a file name
}

}  // namespace core

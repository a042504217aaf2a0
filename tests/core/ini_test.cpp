#include "core/ini.h"

#include <gtest/gtest.h>

namespace core {
namespace {

std::string Read(const IniFile& file, const char* section, const char* key, const char* fallback = "?",
                 size_t buffer = 250) {
    return file.ReadString(section, key, fallback, buffer);
}

TEST(IniFile, SectionsAndKeysIgnoreCaseValuesKeepIt) {
    auto file = IniFile::Parse("[Setup]\r\nNom=Korvalix32\r\n[fichier_1]\r\nNOM=korvalix.exe\r\n");
    EXPECT_EQ(Read(file, "setup", "nom"), "Korvalix32");
    EXPECT_EQ(Read(file, "FICHIER_1", "Nom"), "korvalix.exe");
    EXPECT_EQ(Read(file, "Fichier_2", "Nom"), "?");
}

TEST(IniFile, BlanksAroundLinesKeysAndValuesAreDropped) {
    auto file = IniFile::Parse("  [Setup]  \n  Nom   =   Korvalix 32   \n\tVersion\t=\t2.1\t\n");
    EXPECT_EQ(Read(file, "Setup", "Nom"), "Korvalix 32");
    EXPECT_EQ(Read(file, "Setup", "Version"), "2.1");
    EXPECT_EQ(Read(file, " Setup ", " Nom "), "Korvalix 32");  // names asked for are trimmed too
}

TEST(IniFile, BlanksInsideTheBracketsAreDropped) {
    auto file = IniFile::Parse("[ Setup ]\nNom=a\n");
    EXPECT_EQ(Read(file, "Setup", "Nom"), "a");
}

TEST(IniFile, HeaderRunsToTheLastBracket) {
    auto file = IniFile::Parse("[Set]up] trailing\nNom=a\n[Other\nNom=b\n");
    EXPECT_EQ(Read(file, "Set]up", "Nom"), "a");
    // "[Other" has no "]": it is a key line of the section before it.
    EXPECT_EQ(Read(file, "Set]up", "[Other"), "?");
}

TEST(IniFile, OnePairOfMatchingQuotesIsRemoved) {
    auto file = IniFile::Parse("[S]\na=\"quoted\"\nb='single'\nc=\"mixed'\nd=\"\"\ne=\"\nf=\"in\"side\"\ng=x\"y\"\n");
    EXPECT_EQ(Read(file, "S", "a"), "quoted");
    EXPECT_EQ(Read(file, "S", "b"), "single");
    EXPECT_EQ(Read(file, "S", "c"), "\"mixed'");
    EXPECT_EQ(Read(file, "S", "d"), "");
    EXPECT_EQ(Read(file, "S", "e"), "\"");
    EXPECT_EQ(Read(file, "S", "f"), "in\"side");
    EXPECT_EQ(Read(file, "S", "g"), "x\"y\"");
}

TEST(IniFile, MissingAndEmptyValues) {
    auto file = IniFile::Parse("[S]\nempty=\nnoequals\n");
    EXPECT_EQ(Read(file, "S", "empty"), "");
    EXPECT_EQ(Read(file, "S", "noequals"), "?");  // a line without "=" holds no value
    EXPECT_EQ(Read(file, "S", "missing", "rien"), "rien");
    EXPECT_EQ(Read(file, "S", "missing", "rien   "), "rien");  // the default loses trailing blanks
}

TEST(IniFile, FirstSectionAndFirstKeyOfANameWin) {
    auto file = IniFile::Parse("[S]\nk=1\nk=2\n[T]\nk=3\n[s]\nk=4\nonly=5\n");
    EXPECT_EQ(Read(file, "S", "k"), "1");
    EXPECT_EQ(Read(file, "S", "only"), "?");  // the second [s] is never searched
    EXPECT_EQ(Read(file, "T", "k"), "3");
}

TEST(IniFile, ValuesAreCutToTheBuffer) {
    const std::string longValue(300, 'v');
    auto file = IniFile::Parse("[S]\nk=" + longValue + "\nq=\"abc\"\n");
    EXPECT_EQ(Read(file, "S", "k").size(), 249u);
    EXPECT_EQ(Read(file, "S", "k", "?", 2048), longValue);
    EXPECT_EQ(Read(file, "S", "q", "?", 5), "abc");  // room for the closing quote: removed
    EXPECT_EQ(Read(file, "S", "q", "?", 4), "ab");   // the quote is dropped from a value already cut
    EXPECT_EQ(Read(file, "S", "q", "?", 3), "ab");
}

TEST(IniFile, LineEndingsOfEveryKind) {
    auto file = IniFile::Parse("[S]\rA=1\r\nB=2\nC=3\n\rD=4");
    EXPECT_EQ(Read(file, "S", "A"), "1");
    EXPECT_EQ(Read(file, "S", "B"), "2");
    EXPECT_EQ(Read(file, "S", "C"), "3");
    EXPECT_EQ(Read(file, "S", "D"), "4");
}

TEST(IniFile, KeysBeforeTheFirstHeaderBelongToNoSection) {
    auto file = IniFile::Parse("k=0\n[S]\nk=1\n");
    EXPECT_EQ(Read(file, "", "k"), "0");
    EXPECT_EQ(Read(file, "S", "k"), "1");
}

TEST(IniFile, ReadIntFollowsThePlatform) {
    auto file = IniFile::Parse("[S]\na=4\nb= -12\nc=12abc\nd=abc\ne=\nf=0x10\ng=4294967295\nh=\"7\"\n");
    EXPECT_EQ(file.ReadInt("S", "a", -1), 4);
    EXPECT_EQ(file.ReadInt("S", "b", -1), -12);
    EXPECT_EQ(file.ReadInt("S", "c", -1), 12);
    EXPECT_EQ(file.ReadInt("S", "d", -1), 0);   // present but no number
    EXPECT_EQ(file.ReadInt("S", "e", -1), -1);  // empty counts as missing
    EXPECT_EQ(file.ReadInt("S", "f", -1), 16);
    EXPECT_EQ(file.ReadInt("S", "g", -1), -1);  // wraps at 32 bits
    EXPECT_EQ(file.ReadInt("S", "h", -1), 7);
    EXPECT_EQ(file.ReadInt("S", "missing", -1), -1);
}

TEST(IniFile, AccentedBytesPassUnchanged) {
    auto file = IniFile::Parse("[Setup]\nuninstall.exe=d\xE9sinstallation\n");
    EXPECT_EQ(Read(file, "Setup", "uninstall.exe"), "d\xE9sinstallation");
}

}  // namespace
}  // namespace core

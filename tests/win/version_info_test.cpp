// Reading the version of files already on disk, from version resources the
// test build makes.

#include <gtest/gtest.h>

#include "core/version.h"
#include "support/test_support.h"
#include "win/version_info.h"

using testing_support::TestFolder;

namespace {

TEST(GetFileVersionText, ThreeNumbersWithoutTheBuild) {
    EXPECT_EQ(win::GetFileVersionText(TestFolder() + "version_5_0_2195_1.exe"), "5.0.2195");
    EXPECT_EQ(win::GetFileVersionText(TestFolder() + "version_2_1_1_0.exe"), "2.1.1");
    EXPECT_EQ(win::GetFileVersionText(TestFolder() + "version_2_1_1_77.exe"), "2.1.1");
    EXPECT_EQ(win::GetFileVersionText(TestFolder() + "version_65535_65535_65535_65535.exe"), "65535.65535.65535");
}

TEST(GetFileVersionText, OnlyTheFileVersionCounts) {
    // This one's product version says 9.9.9.9.
    EXPECT_EQ(win::GetFileVersionText(TestFolder() + "version_1_100_0_0.exe"), "1.100.0");
}

TEST(GetFileVersionText, NoVersionInformationGivesTheEmptyText) {
    EXPECT_EQ(win::GetFileVersionText(TestFolder() + "version_none.exe"), "");
    EXPECT_EQ(win::GetFileVersionText(TestFolder() + "absent.exe"), "");
    EXPECT_EQ(win::GetFileVersionText("C:\\dossier\\absent\\fichier.dll"), "");
    EXPECT_EQ(win::GetFileVersionText(""), "");
}

TEST(GetFileVersionText, BuildNumbersDoNotMakeVersionsDiffer) {
    EXPECT_EQ(core::VersionToNumber(win::GetFileVersionText(TestFolder() + "version_2_1_1_0.exe")),
              core::VersionToNumber(win::GetFileVersionText(TestFolder() + "version_2_1_1_77.exe")));
    EXPECT_EQ(core::VersionToNumber(win::GetFileVersionText(TestFolder() + "version_2_1_1_0.exe")), 20101);
    EXPECT_EQ(core::VersionToNumber(win::GetFileVersionText(TestFolder() + "version_65535_65535_65535_65535.exe")),
              661969035);
}

}  // namespace

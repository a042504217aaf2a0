// install.exe started as a user starts it, with its work folder made to
// fail in the ways a user's machine can.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "support/expected_texts.h"
#include "support/test_support.h"
#include "win/files.h"

using namespace testing_support;

namespace {

const char* const kCaption = "Installation de Korvalix32";
const char* const kAbsentFolder = "TMP=C:\\dossier\\absent\\";

std::string Installer(const std::string& name) { return TestFolder() + name + ".exe"; }

// The work copy of the manifest in the installer's private work folder
// inside `folder`, or empty when there is none.
std::string WorkCopyIn(const std::string& folder) {
    for (const std::string& name : ListFolder(folder))
        if (name.rfind("inst", 0) == 0 && win::FileExists(folder + name + "\\SETUP.LST"))
            return folder + name + "\\SETUP.LST";
    return {};
}

// A work copy, a probe file or a work folder of the installer.
bool HoldsWorkCopy(const std::string& folder) {
    for (const std::string& name : ListFolder(folder))
        if (_stricmp(name.c_str(), "SETUP.LST") == 0 || name.rfind("tmpinst", 0) == 0 ||
            (name.rfind("inst", 0) == 0 && win::FolderExists(folder + name)))
            return true;
    return false;
}

// Expects the start-up error box and no other window, answers it, and
// expects the program to end with 1, the code of a start that could not be
// made.
void ExpectStartUpErrorThenExit(ChildProcess& installer) {
    HWND box = robot::WaitForCaption(installer.Id(), "Erreur");
    ASSERT_NE(box, nullptr);
    char text[1024];
    const UINT length = ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_EQ(std::string(text, length), kStartUpError);
    const std::vector<HWND> buttons = ChildrenOfClass(box, "Button");
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(robot::Text(buttons[0]), "Annuler");
    EXPECT_EQ(robot::TopLevelWindows(installer.Id()).size(), 1u) << "no wizard window may show";
    ASSERT_TRUE(robot::Click(buttons[0]));
    EXPECT_EQ(installer.WaitForExit(), 1u);
}

// Expects the installer's main window, closes it and expects the program to
// end normally.
void ExpectMainWindowThenClose(ChildProcess& installer, const std::string& workFolder) {
    HWND main = robot::WaitForClass(installer.Id(), "TSetupForm");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(robot::Text(main), kCaption);
    EXPECT_FALSE(WorkCopyIn(workFolder).empty()) << "the work copy serves the whole run, in a folder of its own";
    EXPECT_FALSE(win::FileExists(workFolder + "SETUP.LST"));
    robot::Close(main);
    HWND question = robot::WaitForCaption(installer.Id(), "Confirmation");
    ASSERT_NE(question, nullptr) << "closing the background asks first";
    ASSERT_TRUE(robot::Click(robot::FindControl(question, "&Oui", "Button")));
    EXPECT_EQ(installer.WaitForExit(), 0u);
    EXPECT_FALSE(HoldsWorkCopy(workFolder));
}

TEST(StartUpAsAUser, StartsWithTheTemporaryFolderAndCleansUp) {
    ScratchFolder temp("tmp");
    ChildProcess installer(Installer("installer_default"), {"TMP=" + temp.Path()});
    ExpectMainWindowThenClose(installer, temp.Path());
}

TEST(StartUpAsAUser, AManifestWithoutFilesStartsNormally) {
    ScratchFolder temp("tmp");
    ChildProcess installer(Installer("installer_no_files"), {"TMP=" + temp.Path()});
    ExpectMainWindowThenClose(installer, temp.Path());
}

TEST(StartUpAsAUser, UnwritableTemporaryFolderFallsBackToTheProgramFolder) {
    ScratchFolder downloads("downloads");
    ASSERT_TRUE(CopyFileTo(Installer("installer_default"), downloads.Path() + "install.exe"));
    ChildProcess installer(downloads.Path() + "install.exe", {kAbsentFolder});
    ExpectMainWindowThenClose(installer, downloads.Path());
    EXPECT_EQ(ListFolder(downloads.Path()), std::vector<std::string>{"install.exe"});
}

TEST(StartUpAsAUser, NeitherFolderWritableGivesTheErrorBoxAndDeletesNothing) {
    ScratchFolder downloads("downloads");
    // Root ignores permissions.  A program folder so deep that the program's
    // own path just fits MAX_PATH leaves no room for any probe file name.
    std::string deep = downloads.Path();
    while (deep.size() < 248) {
        deep += std::string(std::min<size_t>(248 - deep.size() - 1, 40), 'd') + "\\";
        ASSERT_TRUE(::CreateDirectoryA(deep.c_str(), nullptr)) << deep;
    }
    ASSERT_EQ(deep.size(), 248u);
    ASSERT_TRUE(CopyFileTo(Installer("installer_default"), deep + "install.exe"));
    const std::vector<std::string> before = ListFolder(deep);
    ChildProcess installer(deep + "install.exe", {kAbsentFolder});
    ExpectStartUpErrorThenExit(installer);
    EXPECT_EQ(ListFolder(deep), before);
}

TEST(StartUpAsAUser, ManifestWithoutNameGivesTheErrorBoxAndLeavesNoWorkCopy) {
    ScratchFolder temp("tmp");
    ChildProcess installer(Installer("installer_no_name"), {"TMP=" + temp.Path()});
    ExpectStartUpErrorThenExit(installer);
    EXPECT_TRUE(ListFolder(temp.Path()).empty());
}

// The stub that mkinstall packs carries no manifest at all.
TEST(StartUpAsAUser, NoEmbeddedManifestGivesTheErrorBoxAndLeavesNoWorkCopy) {
    ScratchFolder temp("tmp");
    ChildProcess installer(INSTALL_STUB, {"TMP=" + temp.Path()});
    ExpectStartUpErrorThenExit(installer);
    EXPECT_TRUE(ListFolder(temp.Path()).empty());
}

TEST(StartUpAsAUser, ManifestWithoutFileCountGivesTheErrorBox) {
    ScratchFolder temp("tmp");
    ChildProcess installer(Installer("installer_no_file_count"), {"TMP=" + temp.Path()});
    ExpectStartUpErrorThenExit(installer);
    EXPECT_TRUE(ListFolder(temp.Path()).empty());
}

}  // namespace

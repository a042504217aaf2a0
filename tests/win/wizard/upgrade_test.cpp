// Version 2 over version 1, as a user and a deployment tool meet it: the
// earlier installation's folder is proposed and used, its uninstall entry
// stays true, an older version is not installed over a newer one by
// accident, and two runs never work at once.  install.exe is version 2.1;
// installer_version1.exe packs the same payloads as version 1.0, with a
// file that version 2 drops, none that it adds, and another shortcut name.
// One case per fresh prefix.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>

#include "core/upgrade.h"
#include "support/test_support.h"
#include "win/files.h"
#include "win/named_lock.h"
#include "wizard/installation_checks.h"
#include "wizard/wizard_driver.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ChildProcess;

const std::string kFolder = "C:\\Logiciels\\Démo 2\\";

std::string Version1Exe() {
    std::string path = VERSION1_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

DWORD RunToEnd(const std::string& program, const std::string& arguments) {
    ChildProcess process("\"" + program + "\" " + arguments);
    return process.WaitForExit(120s);
}

DWORD EntrySize() {
    DWORD number = 0;
    DWORD size = sizeof number;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvalix",
                       "EstimatedSize", RRF_RT_REG_DWORD, nullptr, &number, &size) != ERROR_SUCCESS)
        return 0xDEADBEEF;
    return number;
}

uint64_t SizeOf(const std::string& path) { return testing_support::ReadWholeFile(path).size(); }

// The text of the first message box a process shows.
std::string BoxText(HWND box) {
    std::string text;
    for (HWND control : robot::Controls(box))
        if (_stricmp(robot::ClassName(control).c_str(), "Static") == 0) text += robot::Text(control);
    return text;
}

class Upgrade : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
};

TEST_F(Upgrade, VersionTwoOverVersionOneThenTheRemovalLeavesTheDriveAsItWas) {
    const std::set<std::string> before = wizard::DriveContents();
    ASSERT_EQ(RunToEnd(Version1Exe(), "/S /DESKTOP /DIR=\"" + kFolder + "\""), 0u);
    const std::string name = wizard::UninstallValue("DisplayName");
    const std::string command = wizard::UninstallValue("UninstallString");
    ASSERT_EQ(wizard::UninstallValue("DisplayVersion"), "1.0");
    ASSERT_TRUE(win::FileExists(wizard::kProgramsGroup + "\\Korvalix 1.lnk"));

    // No /DIR: the update goes where version 1 is.
    ASSERT_EQ(RunToEnd(wizard::InstallExe(), "/S /DESKTOP"), 0u);
    EXPECT_FALSE(win::FolderExists(wizard::kDestinationFolder)) << "not beside it";
    EXPECT_TRUE(win::FileExists(kFolder + "erreurs.log")) << "version 2's new file";
    EXPECT_TRUE(win::FileExists(wizard::kProgramsGroup + "\\Korvalix.lnk")) << "version 2's shortcut";

    // The name and command as version 1 wrote them; the rest tells version 2,
    // the size counting every file the log lists, version 1's included.
    EXPECT_EQ(wizard::UninstallValue("DisplayName"), name);
    EXPECT_EQ(wizard::UninstallValue("UninstallString"), command);
    EXPECT_EQ(wizard::UninstallValue("DisplayVersion"), "2.1");
    EXPECT_EQ(wizard::UninstallValue("InstallLocation"), kFolder);
    const uint64_t bytes = SizeOf(wizard::WindowsFolder() + "uninst_Korvalix.exe") + SizeOf(kFolder + "korvalix.exe") +
                           SizeOf(kFolder + "korvalix32.hlp");
    EXPECT_EQ(EntrySize(), (bytes + 1023) / 1024);

    // Both versions' files and shortcuts go, and the folder the first
    // installation made above its own.
    ASSERT_EQ(RunToEnd(wizard::WindowsFolder() + "uninst_Korvalix.exe", "/S \"" + kFolder + "setup.log\""), 0u);
    EXPECT_TRUE(robot::WaitUntil([] { return !win::FileExists(wizard::WindowsFolder() + "uninst_Korvalix.exe"); }, 20s));
    wizard::ExpectSameDrive(before);
}

TEST_F(Upgrade, AnOlderVersionIsInstalledOnlyWhenAskedFor) {
    ASSERT_EQ(RunToEnd(wizard::InstallExe(), "/S"), 0u);
    const std::string help = testing_support::ReadWholeFile(wizard::kDestinationFolder + "korvalix32.hlp");

    // Silent: nothing changes, and the code says why.
    EXPECT_EQ(RunToEnd(Version1Exe(), "/S"), 5u);
    EXPECT_EQ(wizard::UninstallValue("DisplayVersion"), "2.1");
    EXPECT_FALSE(win::FileExists(wizard::kDestinationFolder + "ancien.log"));

    // A person is asked, with "&Non" the default: Enter keeps version 2.
    {
        ChildProcess setup("\"" + Version1Exe() + "\"");
        const HWND box = robot::WaitForCaption(setup.Id(), "Confirmation");
        ASSERT_NE(box, nullptr);
        EXPECT_NE(BoxText(box).find("La version 2.1 de Korvalix32, plus récente, est déjà installée"),
                  std::string::npos)
            << BoxText(box);
        ASSERT_TRUE(robot::PressKeys(box, "Return"));
        EXPECT_EQ(setup.WaitForExit(20s), 0u);
        EXPECT_TRUE(robot::TopLevelWindows(setup.Id()).empty());
    }
    EXPECT_EQ(wizard::UninstallValue("DisplayVersion"), "2.1");
    EXPECT_FALSE(win::FileExists(wizard::kDestinationFolder + "ancien.log"));

    // /SUPPRESSMSGBOXES gives the question its default answer: a shown box
    // would wait for a person, and the program would not end by itself.
    EXPECT_EQ(RunToEnd(Version1Exe(), "/SUPPRESSMSGBOXES"), 2u) << "cancelled, in the switches' table";
    EXPECT_EQ(wizard::UninstallValue("DisplayVersion"), "2.1");

    // The administrator's switch installs it.
    EXPECT_EQ(RunToEnd(Version1Exe(), "/S /ALLOWDOWNGRADE"), 0u);
    EXPECT_EQ(wizard::UninstallValue("DisplayVersion"), "1.0");
    EXPECT_TRUE(win::FileExists(wizard::kDestinationFolder + "ancien.log"));
    EXPECT_EQ(testing_support::ReadWholeFile(wizard::kDestinationFolder + "korvalix32.hlp"), help);
}

TEST_F(Upgrade, TheWizardProposesTheEarlierFolderAndSaysItUpdates) {
    ASSERT_EQ(RunToEnd(Version1Exe(), "/S /DIR=\"" + kFolder + "\""), 0u);

    wizard::Installer installer;
    ASSERT_TRUE(installer.Started());
    ASSERT_TRUE(installer.Click(1, "Suivant"));
    ASSERT_NE(installer.Page(2), nullptr);
    EXPECT_EQ(installer.Destination(), "C:\\Logiciels\\Démo 2");
    ASSERT_TRUE(installer.Click(2, "Suivant"));
    const HWND summary = installer.Page(3);
    ASSERT_NE(summary, nullptr);
    EXPECT_NE(robot::FindControl(summary, "2.1 (1.0 installée dans ce dossier)", "Static"), nullptr);
    EXPECT_NE(robot::FindControl(summary, core::kUpdateStartText, "Static"), nullptr);
    EXPECT_NE(robot::FindControl(summary, kFolder, "Static"), nullptr);
}

TEST_F(Upgrade, OneInstallationAtATime) {
    ASSERT_EQ(RunToEnd(wizard::InstallExe(), "/S"), 0u);
    const std::string uninstaller = wizard::WindowsFolder() + "uninst_Korvalix.exe";
    const std::string log = "\"" + wizard::kDestinationFolder + "setup.log\"";
    {
        // Another run holds the application's lock.
        const auto held = win::NamedLock::TryAcquire(core::InstallationLockName("Korvalix"));
        ASSERT_TRUE(held);
        EXPECT_EQ(RunToEnd(wizard::InstallExe(), "/S /DIR=C:\\Ailleurs"), 6u);
        EXPECT_FALSE(win::FolderExists("C:\\Ailleurs"));
        EXPECT_EQ(RunToEnd(uninstaller, "/S " + log), 6u);
        EXPECT_TRUE(win::FileExists(wizard::kDestinationFolder + "korvalix.exe"));

        // A person is told, once, and the program ends.
        ChildProcess setup("\"" + wizard::InstallExe() + "\"");
        const HWND box = robot::WaitForCaption(setup.Id(), "Avertissement");
        ASSERT_NE(box, nullptr);
        EXPECT_NE(BoxText(box).find("est déjà en cours"), std::string::npos) << BoxText(box);
        ASSERT_TRUE(robot::PressKeys(box, "Return"));
        EXPECT_EQ(setup.WaitForExit(20s), 0u);
    }
    // Once the lock is free, the same command works.
    EXPECT_EQ(RunToEnd(uninstaller, "/S " + log), 0u);
    EXPECT_FALSE(win::FileExists(wizard::kDestinationFolder + "korvalix.exe"));
}

}  // namespace

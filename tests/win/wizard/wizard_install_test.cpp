// The whole installation of the embedded manifest, as a person does it:
// through the four pages with the default choices, or with both shortcut
// options, then "Terminer".  Afterwards the files, setup.log, the shortcuts
// (read back through IShellLinkW) and the uninstall entry are checked.  Each
// case runs in its own fresh prefix (see CMakeLists.txt).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "win/files.h"
#include "win/wide_text.h"
#include "wizard/installation_checks.h"
#include "wizard/wizard_driver.h"

namespace {

using namespace wizard;

class WizardInstall : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    // Through the pages, the run to its end, and "Terminer".
    void Install(bool startMenu, bool desktop) {
        ASSERT_FALSE(win::FileExists(kDestinationFolder + "setup.log")) << "the prefix is fresh";
        win::DeleteFileIfPresent(wizard::WorkCopy());
        wizard::Installer installer;
        ASSERT_TRUE(installer.Started());
        ASSERT_TRUE(installer.Click(1, "Suivant"));
        ASSERT_NE(installer.Page(2), nullptr);
        EXPECT_EQ(installer.Destination(), wizard::kDefaultDestination);
        ASSERT_TRUE(installer.SetChecked("Ajouter un groupe de programme dans le menu démarrer", startMenu));
        ASSERT_TRUE(installer.SetChecked("Ajouter un raccourci sur le bureau", desktop));
        ASSERT_TRUE(installer.Click(2, "Suivant"));
        ASSERT_NE(installer.Page(3), nullptr);
        ASSERT_TRUE(installer.Click(3, "Suivant"));
        HWND page4 = installer.Page(4);
        ASSERT_NE(page4, nullptr);

        HWND terminer = robot::FindControl(page4, "Terminer", "Button");
        ASSERT_NE(terminer, nullptr);
        ASSERT_TRUE(robot::WaitUntil([&] { return robot::IsEnabled(terminer); }, std::chrono::seconds(120)))
            << "the run did not end";
        EXPECT_FALSE(robot::IsEnabled(robot::FindControl(page4, "Annuler", "Button")));
        EXPECT_NE(robot::FindControl(page4, "L'installation s'est terminée avec succès !", "Static"), nullptr);
        HWND bar = robot::FindControlOfClass(page4, "msctls_progress32");
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(::SendMessageA(bar, PBM_GETPOS, 0, 0), 100);

        ASSERT_TRUE(robot::Click(terminer));
        EXPECT_EQ(installer.WaitForExit(), 0u);
        EXPECT_FALSE(win::FileExists(wizard::WorkCopy()));
    }
};

TEST_F(WizardInstall, DefaultChoices) {
    Install(true, false);
    ExpectFilesAndLogHead(6);
    const std::string log = kDestinationFolder + "setup.log";
    EXPECT_EQ(Profile(log, "Setup", "DossierDemarrage"), kProgramsGroup);
    EXPECT_EQ(Profile(log, "Fichier_5", "Nom"), kProgramsGroup + "\\Korvalix.lnk");
    EXPECT_EQ(Profile(log, "Fichier_6", "Nom"), kProgramsGroup + "\\Aide de Korvalix.lnk");
    EXPECT_EQ(LinkTarget(kProgramsGroup + "\\Korvalix.lnk"), kDestinationFolder + "korvalix.exe");
    EXPECT_EQ(LinkTarget(kProgramsGroup + "\\Aide de Korvalix.lnk"), kDestinationFolder + "korvalix32.hlp");
    EXPECT_FALSE(win::FileExists(DesktopFolder() + "Korvalix.lnk"));
}

TEST_F(WizardInstall, BothShortcutOptions) {
    Install(true, true);
    ExpectFilesAndLogHead(7);
    const std::string log = kDestinationFolder + "setup.log";
    EXPECT_EQ(Profile(log, "Fichier_5", "Nom"), kProgramsGroup + "\\Korvalix.lnk");
    EXPECT_EQ(Profile(log, "Fichier_6", "Nom"), "%desktop%\\Korvalix.lnk");
    EXPECT_EQ(Profile(log, "Fichier_7", "Nom"), kProgramsGroup + "\\Aide de Korvalix.lnk");
    EXPECT_EQ(LinkTarget(kProgramsGroup + "\\Korvalix.lnk"), kDestinationFolder + "korvalix.exe");
    EXPECT_EQ(LinkTarget(DesktopFolder() + "Korvalix.lnk"), kDestinationFolder + "korvalix.exe");
}

TEST_F(WizardInstall, NoShortcuts) {
    Install(false, false);
    ExpectFilesAndLogHead(4);
    EXPECT_FALSE(win::FileExists(kProgramsGroup + "\\Korvalix.lnk"));
    EXPECT_FALSE(win::FileExists(DesktopFolder() + "Korvalix.lnk"));
    EXPECT_EQ(Profile(kDestinationFolder + "setup.log", "Setup", "DossierDemarrage"), "<absent>");
}

// Removes the installation through its entry's quiet command, started with
// `environment`; true when it said everything went.
bool RemoveQuietly(const std::vector<std::wstring>& environment = {}) {
    testing_support::ChildProcess removal(win::AnsiToWide(UninstallValue("QuietUninstallString")), environment);
    if (removal.WaitForExit(std::chrono::seconds(60)) != 0) return false;
    // The uninstaller's own file goes once its first instance has ended.
    return robot::WaitUntil([] { return !win::FileExists(WindowsFolder() + "uninst_Korvalix.exe"); },
                            std::chrono::seconds(20));
}

// A user whose name Windows-1252 cannot write (see UserNamedLukasz): the
// wizard starts from his folder, works in his temporary folder, and is
// walked with Enter alone.
TEST_F(WizardInstall, ForAUserNamedLukasz) {
    const UserNamedLukasz user;
    wizard::Installer installer(user.installer, user.environment);
    ASSERT_TRUE(installer.Started());
    for (int page = 1; page <= 3; ++page) {
        HWND window = installer.Page(page);
        ASSERT_NE(window, nullptr) << page;
        ASSERT_TRUE(robot::PressKeys(window, "Return")) << page;
    }
    HWND page4 = installer.Page(4);
    ASSERT_NE(page4, nullptr);
    HWND terminer = robot::FindControl(page4, "Terminer", "Button");
    ASSERT_TRUE(robot::WaitUntil([&] { return robot::IsEnabled(terminer); }, std::chrono::seconds(120)));
    EXPECT_NE(robot::FindControl(page4, "L'installation s'est terminée avec succès !", "Static"), nullptr);
    ASSERT_TRUE(robot::PressKeys(page4, "Return"));
    EXPECT_EQ(installer.WaitForExit(), 0u);
    ExpectFilesAndLogHead(6);

    EXPECT_TRUE(RemoveQuietly(user.environment));
    ExpectNothingLeft();
}

// A folder Windows-1252 cannot write, chosen in the folder dialog with the
// keyboard (typing can only give what the code page holds): the edit box
// gets its short form, and the files go into that very folder.
TEST_F(WizardInstall, AFolderChosenInTheDialogOutsideWindows1252) {
    const std::wstring folder = L"C:\\Programmes\\\u0141\u00f3d\u017a";
    ASSERT_TRUE(::CreateDirectoryW(L"C:\\Programmes", nullptr));
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::string shortForm = win::AnsiPath(folder).value_or("<none>");

    wizard::Installer installer;
    ASSERT_TRUE(installer.Started());
    ASSERT_TRUE(installer.Click(1, "Suivant"));
    HWND page2 = installer.Page(2);
    ASSERT_NE(page2, nullptr);
    robot::Type(installer.Edit(), "C:\\Programmes");
    // The dialog opens on C:\Programmes; its only folder is one key away.
    ASSERT_TRUE(robot::PressKeys(page2, "alt+p"));
    HWND dialog = robot::WaitForCaption(installer.Id(), "Veuillez choisir le répertoire d'installation");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(wizard::PickFirstFolderInside(dialog));
    ASSERT_TRUE(robot::PressKeys(dialog, "Return"));
    ASSERT_TRUE(robot::WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_TRUE(robot::WaitUntil([&] { return installer.Destination() == shortForm; })) << installer.Destination();

    ASSERT_TRUE(installer.Click(2, "Suivant"));
    ASSERT_TRUE(installer.Click(3, "Suivant"));
    HWND page4 = installer.Page(4);
    ASSERT_NE(page4, nullptr);
    HWND terminer = robot::FindControl(page4, "Terminer", "Button");
    ASSERT_TRUE(robot::WaitUntil([&] { return robot::IsEnabled(terminer); }, std::chrono::seconds(120)));
    ASSERT_TRUE(robot::Click(terminer));
    EXPECT_EQ(installer.WaitForExit(), 0u);

    for (const wchar_t* name : {L"korvalix.exe", L"korvalix32.hlp", L"erreurs.log", L"setup.log"})
        EXPECT_NE(::GetFileAttributesW((folder + L"\\" + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
    EXPECT_EQ(Profile(shortForm + "\\setup.log", "Setup", "DossierInstall"), shortForm + "\\");
    EXPECT_TRUE(RemoveQuietly());
    EXPECT_EQ(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the folder is gone";
    EXPECT_EQ(UninstallValue("UninstallString"), "<absent>");
}

}  // namespace

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

#include "win/files.h"
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

}  // namespace

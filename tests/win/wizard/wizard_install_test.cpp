// The whole installation of the embedded manifest, as a person does it:
// through the four pages with the default choices, or with both shortcut
// options, then "Terminer".  Afterwards the files, setup.log, the shortcuts
// (read back through IShellLinkA) and the uninstall entry are checked.  Each
// case runs in its own fresh prefix (see CMakeLists.txt).
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "win/files.h"
#include "win/handle.h"
#include "win/shell.h"
#include "wizard/wizard_driver.h"

namespace {

const std::string kDestination = "C:\\Program Files\\Korvalix\\";
const std::string kPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix";

std::string WindowsFolder() { return win::WindowsFolder() + "\\"; }
std::string DesktopFolder() { return win::SpecialFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\"; }

std::string Profile(const std::string& file, const char* section, const char* key) {
    char value[1024];
    const DWORD length = ::GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, file.c_str());
    return std::string(value, length);
}

DWORD FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0xFFFFFFFF;
    return data.nFileSizeLow;
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return "<unreadable " + path + ">";
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read) bytes.append(buffer, read);
    return bytes;
}

std::string Uninstall(const char* value) {
    char text[1024];
    DWORD size = sizeof text;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvalix", value,
                       RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "<absent>";
    return text;
}

// The target of a shortcut file, read back through the shell's link object.
std::string LinkTarget(const std::string& path) {
    win::ShellLink link;
    return link.Load(path) ? link.GetPath() : "<unreadable>";
}

class WizardInstall : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }

    // Through the pages, the run to its end, and "Terminer".
    void Install(bool startMenu, bool desktop) {
        ASSERT_FALSE(win::FileExists(kDestination + "setup.log")) << "the prefix is fresh";
        win::DeleteFileIfPresent(wizard::WorkCopy());
        wizard::Installer installer;
        ASSERT_TRUE(installer.Started());
        installer.Click(1, "Suivant");
        ASSERT_NE(installer.Page(2), nullptr);
        EXPECT_EQ(installer.Destination(), wizard::kDefaultDestination);
        installer.SetChecked("Ajouter un groupe de programme dans le menu démarrer", startMenu);
        installer.SetChecked("Ajouter un raccourci sur le bureau", desktop);
        installer.Click(2, "Suivant");
        ASSERT_NE(installer.Page(3), nullptr);
        installer.Click(3, "Suivant");
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

        robot::Click(terminer);
        EXPECT_EQ(installer.WaitForExit(), 0u);
        EXPECT_FALSE(win::FileExists(wizard::WorkCopy()));
    }

    void ExpectFilesAndLogHead(int entries) {
        const std::string uninstaller = WindowsFolder() + "uninst_Korvalix.exe";
        // Each file inflated to the very bytes it was packed from.
        const std::string payloads = PAYLOAD_DIR "\\";
        EXPECT_EQ(ReadFile(uninstaller), ReadFile(payloads + "uninst_Korvalix.exe"));
        EXPECT_EQ(ReadFile(kDestination + "korvalix.exe"), ReadFile(payloads + "korvalix.exe"));
        EXPECT_EQ(ReadFile(kDestination + "korvalix32.hlp"), ReadFile(payloads + "korvalix32.hlp"));
        EXPECT_EQ(FileSize(kDestination + "erreurs.log"), 0u);
        EXPECT_FALSE(win::FileExists(kDestination + "korvalix.quit"));

        const std::string log = kDestination + "setup.log";
        EXPECT_EQ(Profile(log, "Information", "Attention"), "NE PAS SUPPRIMER CE FICHIER");
        EXPECT_EQ(Profile(log, "Setup", "Nom"), "Korvalix32");
        EXPECT_EQ(Profile(log, "Setup", "DossierInstall"), kDestination);
        EXPECT_EQ(Profile(log, "Setup", "Desinstall"), "Korvalix");
        EXPECT_EQ(Profile(log, "Setup", "Run"), "Korvalix32");
        EXPECT_EQ(Profile(log, "Setup", "Fichiers"), std::to_string(entries));
        EXPECT_EQ(Profile(log, "Fichier_1", "Nom"), uninstaller);
        EXPECT_EQ(Profile(log, "Fichier_2", "Nom"), kDestination + "korvalix.exe");
        EXPECT_EQ(Profile(log, "Fichier_3", "Nom"), kDestination + "korvalix32.hlp");
        EXPECT_EQ(Profile(log, "Fichier_4", "Nom"), kDestination + "erreurs.log");
        EXPECT_EQ(Profile(log, ("Fichier_" + std::to_string(entries + 1)).c_str(), "Nom"), "<absent>");

        EXPECT_EQ(Uninstall("DisplayName"), "Korvalix32");
        EXPECT_EQ(Uninstall("UninstallString"), uninstaller + " \"" + log + "\"");
    }
};

TEST_F(WizardInstall, DefaultChoices) {
    Install(true, false);
    ExpectFilesAndLogHead(6);
    const std::string log = kDestination + "setup.log";
    EXPECT_EQ(Profile(log, "Setup", "DossierDemarrage"), kPrograms);
    EXPECT_EQ(Profile(log, "Fichier_5", "Nom"), kPrograms + "\\Korvalix.lnk");
    EXPECT_EQ(Profile(log, "Fichier_6", "Nom"), kPrograms + "\\Aide de Korvalix.lnk");
    EXPECT_EQ(LinkTarget(kPrograms + "\\Korvalix.lnk"), kDestination + "korvalix.exe");
    EXPECT_EQ(LinkTarget(kPrograms + "\\Aide de Korvalix.lnk"), kDestination + "korvalix32.hlp");
    EXPECT_FALSE(win::FileExists(DesktopFolder() + "Korvalix.lnk"));
}

TEST_F(WizardInstall, BothShortcutOptions) {
    Install(true, true);
    ExpectFilesAndLogHead(7);
    const std::string log = kDestination + "setup.log";
    EXPECT_EQ(Profile(log, "Fichier_5", "Nom"), kPrograms + "\\Korvalix.lnk");
    EXPECT_EQ(Profile(log, "Fichier_6", "Nom"), "%desktop%\\Korvalix.lnk");
    EXPECT_EQ(Profile(log, "Fichier_7", "Nom"), kPrograms + "\\Aide de Korvalix.lnk");
    EXPECT_EQ(LinkTarget(kPrograms + "\\Korvalix.lnk"), kDestination + "korvalix.exe");
    EXPECT_EQ(LinkTarget(DesktopFolder() + "Korvalix.lnk"), kDestination + "korvalix.exe");
}

TEST_F(WizardInstall, NoShortcuts) {
    Install(false, false);
    ExpectFilesAndLogHead(4);
    EXPECT_FALSE(win::FileExists(kPrograms + "\\Korvalix.lnk"));
    EXPECT_FALSE(win::FileExists(DesktopFolder() + "Korvalix.lnk"));
    EXPECT_EQ(Profile(kDestination + "setup.log", "Setup", "DossierDemarrage"), "<absent>");
}

}  // namespace

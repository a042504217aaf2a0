#include "core/uninstall_plan.h"

#include <gtest/gtest.h>

namespace core {
namespace {

ProtectedFolders Folders() {
    return {"C:\\windows",
            "C:\\Program Files",
            "C:\\users\\root\\Desktop",
            {"C:\\windows\\system32", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"}};
}

const char* const kSetup =
    "[Setup]\r\n"
    "Nom=Korvalix32\r\n"
    "DossierInstall=C:\\Program Files\\Korvalix\\\r\n"
    "Desinstall=Korvalix\r\n"
    "Run=Korvalix32\r\n";

std::vector<std::string> Paths(const UninstallPlan& plan) {
    std::vector<std::string> paths;
    for (const PlannedItem& item : plan.files) paths.push_back(item.path);
    return paths;
}

UninstallPlan Plan(const std::string& log, const PathCanonicaliser& canonical = {}) {
    auto plan = MakeUninstallPlan(IniFile::Parse(log), Folders(), canonical);
    EXPECT_TRUE(plan);
    return plan ? *plan : UninstallPlan{};
}

TEST(UninstallPlan, ExampleLogNewestFirstWithTheDesktopResolved) {
    const UninstallPlan plan =
        Plan(std::string(kSetup) +
             "Fichiers=4\r\n"
             "DossierDemarrage=C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix\r\n"
             "[Fichier_1]\r\nNom=C:\\windows\\uninst_Korvalix.exe\r\n"
             "[Fichier_2]\r\nNom=C:\\Program Files\\Korvalix\\korvalix.exe\r\n"
             "[Fichier_3]\r\nNom=%desktop%\\Korvalix.lnk\r\n"
             "[Fichier_4]\r\nNom=C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix\\Aide.lnk\r\n");
    EXPECT_EQ(plan.appName, "Korvalix32");
    EXPECT_EQ(plan.uninstallKey.path, "Korvalix");
    EXPECT_EQ(plan.uninstallKey.refusal, Refusal::None);
    EXPECT_EQ(plan.installFolder.path, "C:\\Program Files\\Korvalix\\");
    EXPECT_EQ(plan.installFolder.refusal, Refusal::None);
    EXPECT_EQ(plan.startMenuFolder.path, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix");
    EXPECT_EQ(plan.startMenuFolder.refusal, Refusal::None);
    EXPECT_EQ(Paths(plan), (std::vector<std::string>{
                               "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix\\Aide.lnk",
                               "C:\\users\\root\\Desktop\\Korvalix.lnk",
                               "C:\\Program Files\\Korvalix\\korvalix.exe",
                               "C:\\windows\\uninst_Korvalix.exe",
                           }));
    for (const PlannedItem& item : plan.files) EXPECT_EQ(item.refusal, Refusal::None) << item.path;
    EXPECT_EQ(plan.files[1].logged, "%desktop%\\Korvalix.lnk");
}

TEST(UninstallPlan, NoSetupSectionIsNoPlan) {
    EXPECT_FALSE(MakeUninstallPlan(IniFile::Parse(""), Folders()));
    EXPECT_FALSE(MakeUninstallPlan(IniFile::Parse("[Fichier_1]\r\nNom=C:\\a\\b.exe\r\n"), Folders()));
    EXPECT_TRUE(MakeUninstallPlan(IniFile::Parse("[setup]\r\n"), Folders()));
}

TEST(UninstallPlan, TheSectionsPresentAreTheInventoryWhateverTheCounter) {
    for (const char* counter : {"Fichiers=2147483647", "Fichiers=abc", "Fichiers=0", "Fichiers=-5", ""}) {
        const UninstallPlan plan = Plan(std::string(kSetup) + counter + "\r\n" +
                                        "[Fichier_2]\r\nNom=C:\\k\\b.exe\r\n"
                                        "[Fichier_1]\r\nNom=C:\\k\\a.exe\r\n"
                                        "[Fichier_10]\r\nNom=C:\\k\\j.exe\r\n");
        EXPECT_EQ(Paths(plan), (std::vector<std::string>{"C:\\k\\j.exe", "C:\\k\\b.exe", "C:\\k\\a.exe"})) << counter;
    }
}

TEST(UninstallPlan, OnlyWellFormedEntrySectionsCount) {
    const UninstallPlan plan = Plan(std::string(kSetup) +
                                    "[Fichier_0]\r\nNom=C:\\k\\zero.exe\r\n"
                                    "[Fichier_01]\r\nNom=C:\\k\\padded.exe\r\n"
                                    "[Fichier_x]\r\nNom=C:\\k\\x.exe\r\n"
                                    "[Fichier_2147483648]\r\nNom=C:\\k\\big.exe\r\n"
                                    "[Fichier_]\r\nNom=C:\\k\\none.exe\r\n"
                                    "[Fichier_3]\r\nNom=\r\n"
                                    "[Fichier_4]\r\n"
                                    "[FICHIER_2147483647]\r\nNom=\"C:\\k\\last.exe\"\r\n"
                                    "[Fichier_5]\r\nNom=C:\\k\\first copy.exe\r\n"
                                    "[Fichier_5]\r\nNom=C:\\k\\second copy.exe\r\n");
    // The platform reads the first of two sections with the same name.
    EXPECT_EQ(Paths(plan), (std::vector<std::string>{"C:\\k\\last.exe", "C:\\k\\first copy.exe"}));
}

TEST(UninstallPlan, AContinuedLogRemovesEachPathOnceFromTheNewestEntry) {
    const UninstallPlan plan = Plan(std::string(kSetup) +
                                    "Fichiers=4\r\n"
                                    "[Fichier_1]\r\nNom=C:\\k\\a.exe\r\n"
                                    "[Fichier_2]\r\nNom=C:\\k\\b.exe\r\n"
                                    "[Fichier_3]\r\nNom=C:\\K\\A.EXE\r\n"
                                    "[Fichier_4]\r\nNom=C:\\k\\c.exe\r\n");
    EXPECT_EQ(Paths(plan), (std::vector<std::string>{"C:\\k\\c.exe", "C:\\K\\A.EXE", "C:\\k\\b.exe"}));
}

Refusal FileRefusal(const std::string& path) { return CheckFile(NormalisePath(path), Folders()); }
Refusal FolderRefusal(const std::string& path) { return CheckFolder(NormalisePath(path), Folders()); }

TEST(UninstallPlan, DangerousFileEntriesAreRefused) {
    EXPECT_EQ(FileRefusal("C:\\"), Refusal::DriveRoot);
    EXPECT_EQ(FileRefusal("d:"), Refusal::Relative);
    EXPECT_EQ(FileRefusal("C:\\\\"), Refusal::DriveRoot);
    EXPECT_EQ(FileRefusal("C:/"), Refusal::DriveRoot);
    EXPECT_EQ(FileRefusal("\\\\server\\share"), Refusal::DriveRoot);
    EXPECT_EQ(FileRefusal("\\\\server\\share\\"), Refusal::DriveRoot);
    EXPECT_EQ(FileRefusal("C:\\WINDOWS"), Refusal::WindowsFolder);
    EXPECT_EQ(FileRefusal("c:/windows/"), Refusal::WindowsFolder);
    EXPECT_EQ(FileRefusal("C:\\windows."), Refusal::TrailingDot);
    EXPECT_EQ(FileRefusal("C:\\windows \\x.exe"), Refusal::TrailingDot);
    EXPECT_EQ(FileRefusal("C:\\windows\\...\\x.exe"), Refusal::TrailingDot);
    EXPECT_EQ(FileRefusal("C:\\Program Files"), Refusal::ProgramFilesFolder);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\"), Refusal::ProgramFilesFolder);
    EXPECT_EQ(FileRefusal("C:\\users\\root\\Desktop"), Refusal::DesktopFolder);
    EXPECT_EQ(FileRefusal("C:\\windows\\system32"), Refusal::ProtectedFolder);
    EXPECT_EQ(FileRefusal("C:\\windows\\system32\\kernel32.dll"), Refusal::InsideSystemFolder);
    EXPECT_EQ(FileRefusal("korvalix.exe"), Refusal::Relative);
    EXPECT_EQ(FileRefusal("\\windows\\x.exe"), Refusal::Relative);
    EXPECT_EQ(FileRefusal("C:korvalix.exe"), Refusal::Relative);
    EXPECT_EQ(FileRefusal("\\\\server"), Refusal::Relative);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\..\\..\\windows\\win.ini"), Refusal::DotComponent);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\.\\a.exe"), Refusal::DotComponent);
    EXPECT_EQ(FileRefusal("\\\\?\\C:\\windows\\x.exe"), Refusal::DevicePath);
    EXPECT_EQ(FileRefusal("\\\\.\\PhysicalDrive0"), Refusal::DevicePath);
    EXPECT_EQ(FileRefusal("C:\\k\\*.exe"), Refusal::BadCharacter);
    EXPECT_EQ(FileRefusal("C:\\k\\a.exe:stream"), Refusal::BadCharacter);
    EXPECT_EQ(FileRefusal("C:\\k\\a\tb.exe"), Refusal::BadCharacter);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\"), Refusal::NamesFolder);
    EXPECT_EQ(FileRefusal("C:\\" + std::string(300, 'a')), Refusal::TooLong);
}

TEST(UninstallPlan, OrdinaryFileEntriesPass) {
    EXPECT_EQ(FileRefusal("C:\\windows\\uninst_Korvalix.exe"), Refusal::None);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\korvalix.exe"), Refusal::None);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\..data"), Refusal::None);
    EXPECT_EQ(FileRefusal("C:\\users\\root\\Desktop\\Korvalix.lnk"), Refusal::None);
    EXPECT_EQ(FileRefusal("\\\\server\\share\\Korvalix\\korvalix.exe"), Refusal::None);
    EXPECT_EQ(FileRefusal("D:\\Jeux\\Korvalix àé\\korvalix.exe"), Refusal::None);
}

TEST(UninstallPlan, FoldersOfTheSystemAreNeverRemoved) {
    EXPECT_EQ(FolderRefusal("C:\\Program Files\\Korvalix\\"), Refusal::None);
    EXPECT_EQ(FolderRefusal("C:\\windows\\Korvalix\\"), Refusal::None);
    EXPECT_EQ(FolderRefusal("C:\\Program Files\\"), Refusal::ProgramFilesFolder);
    EXPECT_EQ(FolderRefusal("C:\\"), Refusal::DriveRoot);
    EXPECT_EQ(FolderRefusal("C:\\windows\\"), Refusal::WindowsFolder);
    EXPECT_EQ(FolderRefusal("C:\\windows\\system32\\"), Refusal::ProtectedFolder);
    EXPECT_EQ(FolderRefusal("C:\\windows\\system32\\drivers"), Refusal::InsideSystemFolder);
    EXPECT_EQ(FolderRefusal("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"), Refusal::ProtectedFolder);
    EXPECT_EQ(FolderRefusal("C:\\users\\root\\desktop\\"), Refusal::DesktopFolder);
    EXPECT_EQ(FolderRefusal("Korvalix\\"), Refusal::Relative);
}

TEST(UninstallPlan, DangerousEntriesOfALogAreKeptInThePlanAsRefused) {
    const UninstallPlan plan = Plan(
        "[Setup]\r\nNom=K\r\nDossierInstall=C:\\\r\nDossierDemarrage=C:\\ProgramData\\Microsoft\\Windows\\Start "
        "Menu\\Programs\r\n"
        "Desinstall=..\\..\\Run\r\n"
        "[Fichier_1]\r\nNom=C:\\windows\r\n"
        "[Fichier_2]\r\nNom=%desktop%\\\r\n"
        "[Fichier_3]\r\nNom=%DESKTOP%\\..\\secret.txt\r\n"
        "[Fichier_4]\r\nNom=setup.log\r\n");
    EXPECT_EQ(plan.installFolder.refusal, Refusal::DriveRoot);
    EXPECT_EQ(plan.startMenuFolder.refusal, Refusal::ProtectedFolder);
    EXPECT_EQ(plan.uninstallKey.logged, "..\\..\\Run");
    EXPECT_EQ(plan.uninstallKey.refusal, Refusal::BadKeyName);
    ASSERT_EQ(plan.files.size(), 4u);
    EXPECT_EQ(plan.files[0].refusal, Refusal::Relative);
    EXPECT_EQ(plan.files[1].refusal, Refusal::DotComponent);
    EXPECT_EQ(plan.files[2].refusal, Refusal::DesktopFolder);
    EXPECT_EQ(plan.files[3].refusal, Refusal::WindowsFolder);
    for (const PlannedItem& item : plan.files) EXPECT_STRNE(RefusalText(item.refusal), "");
}

TEST(UninstallPlan, DesktopEntriesWithoutADesktopAreRefused) {
    ProtectedFolders folders = Folders();
    folders.desktop.clear();
    const auto plan =
        MakeUninstallPlan(IniFile::Parse(std::string(kSetup) + "[Fichier_1]\r\nNom=%desktop%\\K.lnk\r\n"), folders);
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->files.size(), 1u);
    EXPECT_EQ(plan->files[0].refusal, Refusal::NoDesktop);
}

TEST(UninstallPlan, AnInstallationInsideTheWindowsFolderKeepsItsFiles) {
    const UninstallPlan plan = Plan(
        "[Setup]\r\nDossierInstall=C:\\windows\\Korvalix\\\r\n"
        "[Fichier_1]\r\nNom=C:\\windows\\Korvalix\\korvalix.exe\r\n"
        "[Fichier_2]\r\nNom=C:\\windows\\system32\\korvalix.dll\r\n");
    ASSERT_EQ(plan.files.size(), 2u);
    EXPECT_EQ(plan.files[0].refusal, Refusal::InsideSystemFolder);
    EXPECT_EQ(plan.files[1].refusal, Refusal::None);
}

TEST(UninstallPlan, ShortNamesAreCheckedInTheirLongForm) {
    auto canonical = [](const std::string& path) {
        return path.rfind("C:\\PROGRA~1", 0) == 0 ? "C:\\Program Files" + path.substr(11) : path;
    };
    const UninstallPlan plan = Plan(
        "[Setup]\r\nDossierInstall=C:\\PROGRA~1\\\r\n"
        "[Fichier_1]\r\nNom=C:\\PROGRA~1\\Korvalix\\k.exe\r\n",
        canonical);
    EXPECT_EQ(plan.installFolder.refusal, Refusal::ProgramFilesFolder);
    ASSERT_EQ(plan.files.size(), 1u);
    EXPECT_EQ(plan.files[0].path, "C:\\Program Files\\Korvalix\\k.exe");
}

TEST(UninstallPlan, PathsNormaliseAndCompareAsTheSystemDoes) {
    EXPECT_EQ(NormalisePath("C:/a//b\\\\c"), "C:\\a\\b\\c");
    EXPECT_EQ(NormalisePath("\\\\server\\\\share"), "\\\\server\\share");
    EXPECT_EQ(FolderKey("C:\\"), "C:\\");
    EXPECT_EQ(FolderKey("C:\\a\\\\"), "C:\\a");
}

TEST(UninstallPlan, TheUninstallEntryMustNameThisLog) {
    const std::string entry = "C:\\windows\\uninst_Korvalix.exe \"C:\\Program Files\\Korvalix\\setup.log\"";
    EXPECT_TRUE(UninstallStringNamesLog(entry, "C:\\Program Files\\Korvalix\\setup.log"));
    EXPECT_TRUE(UninstallStringNamesLog(entry, "c:\\program files\\korvalix\\SETUP.LOG"));
    EXPECT_FALSE(UninstallStringNamesLog(entry, "D:\\Korvalix\\setup.log"));
    EXPECT_FALSE(UninstallStringNamesLog("C:\\windows\\uninst_Korvalix.exe", "C:\\windows\\uninst_Korvalix.exe"));
    // An unclosed quote runs to the end, as Windows reads it.
    EXPECT_TRUE(UninstallStringNamesLog("x \"C:\\a\\setup.log", "C:\\a\\setup.log"));

    // The installer quotes an uninstaller path that holds a blank.
    const std::string quoted =
        "\"C:\\Program Files\\Korvalix\\uninst_Korvalix.exe\" \"C:\\Program Files\\Korvalix\\setup.log\"";
    EXPECT_TRUE(UninstallStringNamesLog(quoted, "C:\\Program Files\\Korvalix\\setup.log"));
    EXPECT_FALSE(UninstallStringNamesLog(quoted, "C:\\Program Files\\Korvalix\\uninst_Korvalix.exe"));
    EXPECT_FALSE(UninstallStringNamesLog("\"C:\\a b\\setup.log\"", "C:\\a b\\setup.log"));  // a program, no log
}

}  // namespace
}  // namespace core

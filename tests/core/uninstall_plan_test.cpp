#include "core/uninstall_plan.h"

#include <gtest/gtest.h>

#include <map>

#include "common/setup_log_text.h"

namespace core {
namespace {

const char* const kPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

ProtectedFolders Folders() {
    return {"C:\\windows",
            "C:\\Program Files",
            "C:\\users\\root\\Desktop",
            "C:\\users\\Public\\Desktop",
            {kPrograms, "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
            {"C:\\windows\\system32", "C:\\Program Files (x86)", "C:\\users\\root\\Documents", "C:\\users\\root"}};
}

const char* const kSetup =
    "[Setup]\r\n"
    "Nom=Korvalix32\r\n"
    "DossierInstall=C:\\Program Files\\Korvalix\\\r\n"
    "Desinstall=Korvalix\r\n"
    "Run=Korvalix32\r\n"
    "DossierDemarrage=C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix\r\n";
const char* const kLog = "C:\\Program Files\\Korvalix\\setup.log";

std::vector<std::string> Paths(const UninstallPlan& plan) {
    std::vector<std::string> paths;
    for (const PlannedItem& item : plan.files) paths.push_back(item.path);
    return paths;
}

UninstallPlan Plan(const std::string& log, const PathRules& rules = {}, const std::string& logPath = kLog) {
    auto plan = MakeUninstallPlan(IniFile::Parse(log), logPath, Folders(), rules);
    EXPECT_TRUE(plan);
    return plan ? *plan : UninstallPlan{};
}

// The refusal of one entry of an ordinary log.
Refusal FileRefusal(const std::string& path, const PathRules& rules = {}) {
    const UninstallPlan plan = Plan(std::string(kSetup) + "[Fichier_1]\r\nNom=" + path + "\r\n", rules);
    EXPECT_EQ(plan.files.size(), 1u) << path;
    return plan.files.empty() ? Refusal::None : plan.files[0].refusal;
}

// The refusal of a log's installation folder.
Refusal FolderRefusal(const std::string& path) {
    return Plan("[Setup]\r\nDossierInstall=" + path + "\r\n").installFolder.refusal;
}

TEST(UninstallPlan, ExampleLogNewestFirstWithTheDesktopResolved) {
    const UninstallPlan plan =
        Plan(std::string(kSetup) +
             "Fichiers=4\r\n"
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
    EXPECT_EQ(plan.logFile.path, kLog);
    EXPECT_EQ(plan.logFile.refusal, Refusal::None);
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
    EXPECT_FALSE(MakeUninstallPlan(IniFile::Parse(""), kLog, Folders()));
    EXPECT_FALSE(MakeUninstallPlan(IniFile::Parse("[Fichier_1]\r\nNom=C:\\a\\b.exe\r\n"), kLog, Folders()));
    EXPECT_TRUE(MakeUninstallPlan(IniFile::Parse("[setup]\r\n"), kLog, Folders()));
}

TEST(UninstallPlan, TheSectionsPresentAreTheInventoryWhateverTheCounter) {
    for (const char* counter : {"Fichiers=2147483647", "Fichiers=abc", "Fichiers=0", "Fichiers=-5", ""}) {
        const UninstallPlan plan = Plan(std::string(kSetup) + counter + "\r\n" +
                                        "[Fichier_2]\r\nNom=C:\\windows\\b.exe\r\n"
                                        "[Fichier_1]\r\nNom=C:\\windows\\a.exe\r\n"
                                        "[Fichier_10]\r\nNom=C:\\windows\\j.exe\r\n");
        EXPECT_EQ(Paths(plan), (std::vector<std::string>{"C:\\windows\\j.exe", "C:\\windows\\b.exe", "C:\\windows\\a.exe"}))
            << counter;
    }
}

TEST(UninstallPlan, OnlyWellFormedEntrySectionsCount) {
    const UninstallPlan plan = Plan(std::string(kSetup) +
                                    "[Fichier_0]\r\nNom=C:\\windows\\zero.exe\r\n"
                                    "[Fichier_01]\r\nNom=C:\\windows\\padded.exe\r\n"
                                    "[Fichier_x]\r\nNom=C:\\windows\\x.exe\r\n"
                                    "[Fichier_2147483648]\r\nNom=C:\\windows\\big.exe\r\n"
                                    "[Fichier_]\r\nNom=C:\\windows\\none.exe\r\n"
                                    "[Fichier_3]\r\nNom=\r\n"
                                    "[Fichier_4]\r\n"
                                    "[FICHIER_2147483647]\r\nNom=\"C:\\windows\\last.exe\"\r\n"
                                    "[Fichier_5]\r\nNom=C:\\windows\\first copy.exe\r\n"
                                    "[Fichier_5]\r\nNom=C:\\windows\\second copy.exe\r\n");
    // The platform reads the first of two sections with the same name.
    EXPECT_EQ(Paths(plan), (std::vector<std::string>{"C:\\windows\\last.exe", "C:\\windows\\first copy.exe"}));
}

TEST(UninstallPlan, AContinuedLogRemovesEachPathOnceFromTheNewestEntry) {
    const UninstallPlan plan = Plan(std::string(kSetup) +
                                    "Fichiers=4\r\n"
                                    "[Fichier_1]\r\nNom=C:\\windows\\a.exe\r\n"
                                    "[Fichier_2]\r\nNom=C:\\windows\\b.exe\r\n"
                                    "[Fichier_3]\r\nNom=C:\\WINDOWS\\A.EXE\r\n"
                                    "[Fichier_4]\r\nNom=C:\\windows\\c.exe\r\n");
    EXPECT_EQ(Paths(plan), (std::vector<std::string>{"C:\\windows\\c.exe", "C:\\WINDOWS\\A.EXE", "C:\\windows\\b.exe"}));
}

// What a log may name and what it may not, where anyone may have edited it.
TEST(UninstallPlan, OnlyWhatTheInstallerCreatesWhereItCreatesIt) {
    for (const char* ours :
         {"C:\\windows\\uninst_Korvalix.exe", "C:\\WINDOWS\\shared.dll", "C:\\Program Files\\Korvalix\\korvalix.exe",
          "C:\\Program Files\\Korvalix\\..data", "%desktop%\\Korvalix.lnk", "%DESKTOP%\\Aide.LNK",
          "%commondesktop%\\Korvalix.lnk", "C:\\users\\Public\\Desktop\\Korvalix.lnk",
          "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix\\Aide de Korvalix.lnk"})
        EXPECT_EQ(FileRefusal(ours), Refusal::None) << ours;

    EXPECT_EQ(FileRefusal("C:\\Program Files\\Other\\app.exe"), Refusal::OutsideInstallation);
    EXPECT_EQ(FileRefusal("C:\\Users\\X\\Documents\\a.docx"), Refusal::OutsideInstallation);
    EXPECT_EQ(FileRefusal("C:\\bootmgr"), Refusal::OutsideInstallation);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\Sauvegardes\\partie1.sav"), Refusal::OutsideInstallation);
    EXPECT_EQ(FileRefusal("C:\\windows\\system32\\kernel32.dll"), Refusal::InsideSystemFolder);
    EXPECT_EQ(FileRefusal("C:\\windows\\Sysnative\\drivers\\etc\\hosts"), Refusal::InsideSystemFolder);
    EXPECT_EQ(FileRefusal("%desktop%\\lettre.docx"), Refusal::NotAShortcut);
    EXPECT_EQ(FileRefusal("%commondesktop%\\lettre.docx"), Refusal::NotAShortcut);
    EXPECT_EQ(FileRefusal("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix\\lisezmoi.txt"),
              Refusal::NotAShortcut);
    EXPECT_EQ(FileRefusal("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Autre.lnk"),
              Refusal::OutsideInstallation);
    EXPECT_EQ(FileRefusal("\\\\localhost\\C$\\Windows\\System32\\drivers\\etc\\hosts"), Refusal::NetworkPath);
    EXPECT_EQ(FileRefusal("\\\\server\\share\\Korvalix\\korvalix.exe"), Refusal::NetworkPath);
    EXPECT_EQ(FileRefusal("//server/share/x.exe"), Refusal::NetworkPath);
}

TEST(UninstallPlan, PathsOfNoUsableShapeAreRefused) {
    EXPECT_EQ(FileRefusal("C:\\"), Refusal::DriveRoot);
    EXPECT_EQ(FileRefusal("d:"), Refusal::Relative);
    EXPECT_EQ(FileRefusal("C:\\\\"), Refusal::DriveRoot);
    EXPECT_EQ(FileRefusal("C:/"), Refusal::DriveRoot);
    EXPECT_EQ(FileRefusal("\\\\server\\share"), Refusal::NetworkPath);
    EXPECT_EQ(FileRefusal("C:\\WINDOWS"), Refusal::WindowsFolder);
    EXPECT_EQ(FileRefusal("c:/windows/"), Refusal::WindowsFolder);
    EXPECT_EQ(FileRefusal("C:\\windows."), Refusal::TrailingDot);
    EXPECT_EQ(FileRefusal("C:\\windows \\x.exe"), Refusal::TrailingDot);
    EXPECT_EQ(FileRefusal("C:\\windows\\...\\x.exe"), Refusal::TrailingDot);
    EXPECT_EQ(FileRefusal("C:\\Program Files"), Refusal::ProgramFilesFolder);
    EXPECT_EQ(FileRefusal("C:\\Program Files (x86)\\"), Refusal::ProtectedFolder);
    EXPECT_EQ(FileRefusal("C:\\users\\root\\Desktop"), Refusal::DesktopFolder);
    EXPECT_EQ(FileRefusal("C:\\windows\\system32"), Refusal::ProtectedFolder);
    EXPECT_EQ(FileRefusal("korvalix.exe"), Refusal::Relative);
    EXPECT_EQ(FileRefusal("\\windows\\x.exe"), Refusal::Relative);
    EXPECT_EQ(FileRefusal("C:korvalix.exe"), Refusal::Relative);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\..\\..\\windows\\win.ini"), Refusal::DotComponent);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\.\\a.exe"), Refusal::DotComponent);
    EXPECT_EQ(FileRefusal("\\\\?\\C:\\windows\\x.exe"), Refusal::DevicePath);
    EXPECT_EQ(FileRefusal("\\\\.\\PhysicalDrive0"), Refusal::DevicePath);
    EXPECT_EQ(FileRefusal("\\?" "?\\C:\\windows\\x.exe"), Refusal::DevicePath);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\*.exe"), Refusal::BadCharacter);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\a.exe:stream"), Refusal::BadCharacter);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\a.exe::$DATA"), Refusal::BadCharacter);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\a\tb.exe"), Refusal::BadCharacter);
    EXPECT_EQ(FileRefusal("C:\\Program Files\\Korvalix\\"), Refusal::NamesFolder);
    EXPECT_EQ(FileRefusal("C:\\" + std::string(300, 'a')), Refusal::TooLong);
}

// An installation folder in or at a folder of the system is refused whole:
// nothing in it is ever the installation's.  The installer judges its
// destination by the same rule, so that it never installs where the
// uninstaller would remove nothing.
TEST(UninstallPlan, FoldersOfTheSystemAreNeitherRemovedNorInstallationFolders) {
    const std::pair<const char*, Refusal> cases[] = {
        {"C:\\Program Files\\Korvalix\\", Refusal::None},
        {"D:\\Jeux\\Korvalix \xE0\xE9\\", Refusal::None},
        {"C:\\Korvalix", Refusal::None},
        {"C:/Jeux//Korvalix", Refusal::None},
        {"C:\\users\\root\\Documents\\Korvalix\\", Refusal::None},
        {"C:\\windows\\Korvalix\\", Refusal::InsideSystemFolder},
        {"C:\\WINDOWS\\Korvalix", Refusal::InsideSystemFolder},
        {"C:\\Windows\\Sysnative\\", Refusal::InsideSystemFolder},
        {"C:\\Windows\\WinSxS", Refusal::InsideSystemFolder},
        {"C:\\Windows\\INF", Refusal::InsideSystemFolder},
        {"C:\\windows\\system32\\drivers", Refusal::InsideSystemFolder},
        {"C:\\Program Files\\", Refusal::ProgramFilesFolder},
        {"c:\\program files", Refusal::ProgramFilesFolder},
        {"C:\\Program Files (x86)", Refusal::ProtectedFolder},
        {"C:\\", Refusal::DriveRoot},
        {"D:\\", Refusal::DriveRoot},
        {"C:\\windows\\", Refusal::WindowsFolder},
        {"C:\\windows\\system32\\", Refusal::ProtectedFolder},
        {kPrograms, Refusal::ProtectedFolder},
        {"C:\\users\\root\\desktop\\", Refusal::DesktopFolder},
        {"C:\\users\\root\\", Refusal::ProtectedFolder},
        {"Korvalix\\", Refusal::Relative},
        {"C:Korvalix", Refusal::Relative},
        {"\\\\server\\share\\Korvalix\\", Refusal::NetworkPath},
        {"\\\\?\\C:\\Korvalix", Refusal::DevicePath},
        {"C:\\Program Files\\..\\windows", Refusal::DotComponent},
    };
    for (const auto& [folder, refusal] : cases) {
        EXPECT_EQ(FolderRefusal(folder), refusal) << "the uninstaller: " << folder;
        EXPECT_EQ(InstallationFolderRefusal(folder, Folders()), refusal) << "the installer: " << folder;
    }
    // Final blanks, which a log's value cannot even hold, as a person types them.
    EXPECT_EQ(InstallationFolderRefusal("   ", Folders()), Refusal::Relative);
    EXPECT_EQ(InstallationFolderRefusal("C:\\Program Files\\Korvalix ", Folders()), Refusal::TrailingDot);

    const UninstallPlan plan = Plan(
        "[Setup]\r\nDossierInstall=C:\\Windows\\WinSxS\\\r\n"
        "[Fichier_1]\r\nNom=C:\\Windows\\WinSxS\\manifest.xml\r\n"
        "[Fichier_2]\r\nNom=C:\\Windows\\uninst_Korvalix.exe\r\n",
        {}, "C:\\Windows\\WinSxS\\setup.log");
    ASSERT_EQ(plan.files.size(), 2u);
    EXPECT_EQ(plan.files[0].refusal, Refusal::None) << "directly in the Windows folder";
    EXPECT_EQ(plan.files[1].refusal, Refusal::InsideSystemFolder);
    EXPECT_EQ(plan.logFile.refusal, Refusal::InsideSystemFolder);
}

TEST(UninstallPlan, TheGroupIsInAProgramsFolderAndTheLogInItsInstallationFolder) {
    auto group = [](const std::string& folder) {
        return Plan("[Setup]\r\nDossierDemarrage=" + folder + "\r\n").startMenuFolder.refusal;
    };
    EXPECT_EQ(group(std::string(kPrograms) + "\\Editeur\\Korvalix"), Refusal::None);
    EXPECT_EQ(group("C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix"),
              Refusal::None);
    EXPECT_EQ(group(kPrograms), Refusal::ProtectedFolder);
    EXPECT_EQ(group("C:\\users\\root\\Documents\\Korvalix"), Refusal::OutsideInstallation);
    EXPECT_EQ(group("C:\\Program Files\\Korvalix"), Refusal::OutsideInstallation);

    EXPECT_EQ(Plan(kSetup, {}, "C:\\Program Files\\Korvalix\\setup.log").logFile.refusal, Refusal::None);
    EXPECT_EQ(Plan(kSetup, {}, "C:\\users\\root\\Documents\\setup.log").logFile.refusal,
              Refusal::OutsideInstallation);
    EXPECT_EQ(Plan("[Setup]\r\n", {}, "C:\\Korvalix\\setup.log").logFile.refusal, Refusal::OutsideInstallation);
}

TEST(UninstallPlan, DangerousEntriesOfALogAreKeptInThePlanAsRefused) {
    const UninstallPlan plan = Plan(
        "[Setup]\r\nNom=K\r\nDossierInstall=C:\\\r\nDossierDemarrage=C:\\ProgramData\\Microsoft\\Windows\\Start "
        "Menu\\Programs\r\n"
        "Desinstall=..\\..\\Run\r\n"
        "[Fichier_1]\r\nNom=C:\\windows\r\n"
        "[Fichier_2]\r\nNom=%desktop%\\\r\n"
        "[Fichier_3]\r\nNom=%DESKTOP%\\..\\secret.txt\r\n"
        "[Fichier_4]\r\nNom=setup.log\r\n"
        "[Fichier_5]\r\nNom=C:\\bootmgr\r\n",
        {}, "C:\\setup.log");
    EXPECT_EQ(plan.installFolder.refusal, Refusal::DriveRoot);
    EXPECT_EQ(plan.startMenuFolder.refusal, Refusal::ProtectedFolder);
    EXPECT_EQ(plan.uninstallKey.logged, "..\\..\\Run");
    EXPECT_EQ(plan.uninstallKey.refusal, Refusal::BadKeyName);
    EXPECT_EQ(plan.logFile.refusal, Refusal::DriveRoot);
    ASSERT_EQ(plan.files.size(), 5u);
    EXPECT_EQ(plan.files[0].refusal, Refusal::DriveRoot) << "in a refused installation folder: the same reason";
    EXPECT_EQ(plan.files[1].refusal, Refusal::Relative);
    EXPECT_EQ(plan.files[2].refusal, Refusal::DotComponent);
    EXPECT_EQ(plan.files[3].refusal, Refusal::DesktopFolder);
    EXPECT_EQ(plan.files[4].refusal, Refusal::WindowsFolder);
    for (const PlannedItem& item : plan.files) EXPECT_STRNE(RefusalText(item.refusal), "");
}

TEST(UninstallPlan, DesktopEntriesWithoutADesktopAreRefused) {
    ProtectedFolders folders = Folders();
    folders.desktop.clear();
    const auto plan = MakeUninstallPlan(IniFile::Parse(std::string(kSetup) + "[Fichier_1]\r\nNom=%desktop%\\K.lnk\r\n"),
                                        kLog, folders);
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->files.size(), 1u);
    EXPECT_EQ(plan->files[0].refusal, Refusal::NoDesktop);
}

// Links, junctions and short names resolved by the system: the final forms
// are judged, and removed.
TEST(UninstallPlan, FinalFormsAreJudged) {
    const std::map<std::string, std::string> finalFolders = {
        {"C:\\PROGRA~1\\Korvalix", "C:\\Program Files\\Korvalix"},
        {"C:\\Korvalix", "C:\\windows\\system32"},               // a junction
        {"C:\\Jeux\\Lien", "C:\\windows\\system32\\drivers"},     // a link inside an accepted folder
    };
    const std::map<std::string, std::string> finalFiles = {
        {"C:\\users\\root\\Desktop\\LETTRE~1.LNK", "C:\\users\\root\\Desktop\\lettre.lnkdoc"},
        {"C:\\PROGRA~1\\Korvalix\\KORVAL~1.EXE", "C:\\Program Files\\Korvalix\\korvalix.exe"},
    };
    PathRules rules;
    rules.finalFolder = [&](const std::string& path) {
        const auto found = finalFolders.find(path);
        return found == finalFolders.end() ? std::string() : found->second;
    };
    rules.finalFile = [&](const std::string& path) {
        const auto found = finalFiles.find(path);
        return found == finalFiles.end() ? std::string() : found->second;
    };

    const UninstallPlan shortNames = Plan(
        "[Setup]\r\nDossierInstall=C:\\PROGRA~1\\Korvalix\\\r\n"
        "[Fichier_1]\r\nNom=C:\\PROGRA~1\\Korvalix\\KORVAL~1.EXE\r\n"
        "[Fichier_2]\r\nNom=%desktop%\\LETTRE~1.LNK\r\n",
        rules);
    EXPECT_EQ(shortNames.installFolder.path, "C:\\Program Files\\Korvalix\\");
    EXPECT_EQ(shortNames.installFolder.refusal, Refusal::None);
    ASSERT_EQ(shortNames.files.size(), 2u);
    EXPECT_EQ(shortNames.files[1].path, "C:\\Program Files\\Korvalix\\korvalix.exe");
    EXPECT_EQ(shortNames.files[1].refusal, Refusal::None);
    EXPECT_EQ(shortNames.files[0].path, "C:\\users\\root\\Desktop\\lettre.lnkdoc");
    EXPECT_EQ(shortNames.files[0].refusal, Refusal::NotAShortcut);

    const UninstallPlan junction = Plan(
        "[Setup]\r\nDossierInstall=C:\\Korvalix\\\r\n"
        "[Fichier_1]\r\nNom=C:\\Korvalix\\kernel32.dll\r\n",
        rules, "C:\\Korvalix\\setup.log");
    EXPECT_EQ(junction.installFolder.refusal, Refusal::ProtectedFolder);
    ASSERT_EQ(junction.files.size(), 1u);
    EXPECT_EQ(junction.files[0].path, "C:\\windows\\system32\\kernel32.dll");
    EXPECT_NE(junction.files[0].refusal, Refusal::None);
    EXPECT_NE(junction.logFile.refusal, Refusal::None);

    const UninstallPlan link = Plan(
        "[Setup]\r\nDossierInstall=C:\\Jeux\\\r\n"
        "[Fichier_1]\r\nNom=C:\\Jeux\\Lien\\null.sys\r\n",
        rules, "C:\\Jeux\\setup.log");
    EXPECT_EQ(link.installFolder.refusal, Refusal::None);
    ASSERT_EQ(link.files.size(), 1u);
    EXPECT_EQ(link.files[0].refusal, Refusal::InsideSystemFolder);
}

// The one rule for "the same path", on which every decision of the
// uninstaller rests: letters as Windows' file systems fold them, accented
// ones too; the shape as NormalisePath and FolderKey make it.
TEST(UninstallPlan, SamePathFoldsLettersAsTheFileSystemDoes) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"C:\\Programmes\\Korvalix.exe", "c:\\PROGRAMMES\\korvalix.EXE", true},
        {"C:\\users\\Zo\xE9", "C:\\USERS\\ZO\xC9", true},            // é and É
        {"\xE0\xE7\xEF\xF4\xFE", "\xC0\xC7\xCF\xD4\xDE", true},       // àçïôþ and ÀÇÏÔÞ
        {"\xFF\x9A\x9C\x9E", "\x9F\x8A\x8C\x8E", true},                 // ÿšœž and ŸŠŒŽ
        {"\xF7", "\xD7", false},                                        // ÷ and × are no letters
        {"stra\xDF" "e", "STRASSE", false},                              // ß has no capital
        {"\x83", "F", false},                                            // nor ƒ, in Windows-1252
        {"C:\\e\xE9", "C:\\ee", false},                                  // an accent is not dropped
        {"C:/Jeux//Korvalix", "C:\\Jeux\\Korvalix", true},
        {"C:\\Jeux\\Korvalix\\", "C:\\Jeux\\Korvalix", true},
        {"\\\\serveur\\partage\\", "\\\\SERVEUR\\partage", true},
        {"C:\\", "c:\\", true},
        {"C:\\", "C:", false},  // "C:" is the current folder of drive C
        {"C:\\Jeux.", "C:\\Jeux", false},
        {"C:\\Jeux", "C:\\Jeu", false},
    };
    for (const auto& c : cases) EXPECT_EQ(SamePath(c.a, c.b), c.same) << c.a << " | " << c.b;
}

// The uninstaller's judge compares the desktop by that rule.
TEST(UninstallPlan, TheDesktopIsKnownWhateverTheCaseOfItsLetters) {
    ProtectedFolders zoe = Folders();
    zoe.desktop = "C:\\Users\\Zo\xE9\\Desktop";
    auto plan = MakeUninstallPlan(
        IniFile::Parse("[Setup]\r\nDossierInstall=C:\\Users\\ZO\xC9\\Desktop\\\r\n"
                       "[Fichier_1]\r\nNom=C:\\Users\\ZO\xC9\\Desktop\\lettre.docx\r\n"),
        "C:\\Users\\ZO\xC9\\Desktop\\setup.log", zoe);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->installFolder.refusal, Refusal::DesktopFolder);
    ASSERT_EQ(plan->files.size(), 1u);
    EXPECT_EQ(plan->files[0].refusal, Refusal::NotAShortcut);
}

// A newer file that the installation found and left is another program's.
// The folders an installation made above its own go too, up to the one it
// recorded, and never a folder of the system or one that is not above it.
TEST(UninstallPlan, TheFoldersMadeAboveTheInstallationFolder) {
    struct Case {
        const char* installFolder;
        const char* created;
        std::vector<std::string> folders;
        std::vector<Refusal> refusals;
    } cases[] = {
        {"C:\\Logiciels\\Démo 2\\", "C:\\Logiciels", {"C:\\Logiciels"}, {Refusal::None}},
        {"C:\\A\\B\\C\\", "c:\\a\\", {"C:\\A\\B", "C:\\A"}, {Refusal::None, Refusal::None}},
        {"C:\\A\\B\\C\\", "C:\\A\\B", {"C:\\A\\B"}, {Refusal::None}},
        // Not above the installation folder, or no folder at all: nothing.
        {"C:\\A\\B\\C\\", "C:\\Ailleurs", {}, {}},
        {"C:\\A\\B\\C\\", "C:\\A\\B\\C", {}, {}},
        {"C:\\A\\B\\C\\", "C:\\", {}, {}},
        {"C:\\A\\B\\C\\", "", {}, {}},
        // A log that names the system's folders gets them refused.
        {"C:\\Program Files\\K\\", "C:\\Program Files", {"C:\\Program Files"}, {Refusal::ProgramFilesFolder}},
    };
    for (const Case& c : cases) {
        const UninstallPlan plan = Plan(std::string("[Setup]\r\nDossierInstall=") + c.installFolder +
                                        "\r\nDossierCree=" + c.created + "\r\n");
        std::vector<std::string> folders;
        std::vector<Refusal> refusals;
        for (const PlannedItem& folder : plan.createdFolders) {
            folders.push_back(folder.path);
            refusals.push_back(folder.refusal);
        }
        EXPECT_EQ(folders, c.folders) << c.installFolder << " up to " << c.created;
        EXPECT_EQ(refusals, c.refusals) << c.installFolder << " up to " << c.created;
    }
}

TEST(UninstallPlan, FilesTheInstallationKeptAreLeft) {
    const UninstallPlan plan = Plan(std::string(kSetup) +
                                    "[Fichier_1]\r\nConserver=1\r\nNom=C:\\windows\\partage.dll\r\n"
                                    "[Fichier_2]\r\nNom=C:\\Program Files\\Korvalix\\korvalix.exe\r\n"
                                    "[Fichier_3]\r\nConserver=1\r\nNom=C:\\Program Files\\Korvalix\\korvalix.exe\r\n"
                                    "[Fichier_4]\r\nConserver=1\r\nNom=C:\\windows\\commun.dll\r\n"
                                    "[Fichier_5]\r\nConserver=1\r\nNom=C:\\windows\\commun.dll\r\n"
                                    "[Fichier_6]\r\nConserver=0\r\nNom=C:\\windows\\ancien.dll\r\n");
    // korvalix.exe: an earlier installation into the same folder wrote it.
    EXPECT_EQ(Paths(plan),
              (std::vector<std::string>{"C:\\windows\\ancien.dll", "C:\\Program Files\\Korvalix\\korvalix.exe"}));
}

TEST(UninstallPlan, WhatIsLeftIsWrittenAsTheInstallerWritesALog) {
    const UninstallPlan plan = Plan(std::string(kSetup) +
                                    "Fichiers=5\r\n"
                                    "[Fichier_1]\r\nNom=C:\\windows\\uninst_Korvalix.exe\r\n"
                                    "[Fichier_2]\r\nNom=C:\\Program Files\\Korvalix\\korvalix.exe\r\n"
                                    "[Fichier_3]\r\nNom=C:\\bootmgr\r\n"
                                    "[Fichier_4]\r\nNom=%desktop%\\Korvalix.lnk\r\n");
    ASSERT_EQ(plan.files.size(), 4u);
    EXPECT_EQ(LogOfWhatIsLeft(plan, {plan.files[0], plan.files[1]}),
              kSetupLogInformation + ExampleSetupSection(2) +
              "[Fichier_1]\r\nNom=C:\\bootmgr\r\n"
              "[Fichier_2]\r\nNom=%desktop%\\Korvalix.lnk\r\n");
    // What the log lacked stays out.
    const UninstallPlan bare = Plan("[Setup]\r\nNom=K\r\n[Fichier_7]\r\nNom=C:\\windows\\k.exe\r\n");
    EXPECT_EQ(LogOfWhatIsLeft(bare, bare.files),
              kSetupLogInformation + "[Setup]\r\nNom=K\r\nFichiers=1\r\n[Fichier_1]\r\nNom=C:\\windows\\k.exe\r\n");
}

TEST(UninstallPlan, PathsNormaliseAsTheSystemDoes) {
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

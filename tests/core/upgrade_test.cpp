#include "core/upgrade.h"

#include <gtest/gtest.h>

namespace {

using namespace core;

TEST(EarlierInstallation, TheFolderOfAnEntry) {
    struct Case {
        const char* installLocation;
        const char* uninstallString;
        const char* folder;
    } cases[] = {
        // InstallLocation wins, with its final "\" made sure.
        {"C:\\Logiciels\\Démo 2\\", "C:\\windows\\uninst_K.exe \"D:\\Ailleurs\\setup.log\"", "C:\\Logiciels\\Démo 2\\"},
        {"C:\\Logiciels\\Démo 2", "", "C:\\Logiciels\\Démo 2\\"},
        // An entry written without one: the folder of its log.
        {"", "C:\\windows\\uninst_Korvalix.exe \"C:\\Program Files\\Korvalix\\setup.log\"",
         "C:\\Program Files\\Korvalix\\"},
        {"", "\"C:\\Mes programmes\\uninst_K.exe\" \"C:\\Mes programmes\\K\\setup.log\"", "C:\\Mes programmes\\K\\"},
        {"", "\"C:\\Mes programmes\\uninst_K.exe\" /S \"C:\\K\\setup.log\"", "C:\\K\\"},
        // Nothing that names a log.
        {"", "", ""},
        {"", "C:\\windows\\uninst_Korvalix.exe", ""},
        {"", "\"C:\\Mes programmes\\uninst_K.exe", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FolderOfEntry(c.installLocation, c.uninstallString), c.folder)
            << c.installLocation << " | " << c.uninstallString;
}

TEST(EarlierInstallation, OnlyAComparableNewerVersionIsNewer) {
    struct Case {
        const char* installed;
        const char* offered;
        bool newer;
    } cases[] = {
        {"2.1", "1.0", true},   {"1.0", "2.1", false}, {"2.1", "2.1", false}, {"2.1.1", "2.1", true},
        {"1.100", "2.0", false},                                     // the same number: 20000
        {"", "1.0", false},     {"2.1b", "1.0", false}, {"2.1", "1.0b", false},  // cannot be compared
        {"214749.0", "1.0", false},                                  // overflows: cannot be compared
    };
    for (const Case& c : cases) EXPECT_EQ(InstalledIsNewer(c.installed, c.offered), c.newer) << c.installed << " / " << c.offered;
}

TEST(EarlierInstallation, TheFilesEarlierRunsRecordedWithoutShortcutsOrKeptFiles) {
    const IniFile log = IniFile::Parse(
        "[Setup]\r\nFichiers=6\r\n"
        "[Fichier_1]\r\nNom=C:\\windows\\uninst_K.exe\r\n"
        "[Fichier_2]\r\nNom=C:\\K\\k.exe\r\n"
        "[Fichier_3]\r\nNom=C:\\windows\\partagé.dll\r\nConserver=1\r\n"
        "[Fichier_4]\r\nNom=P\\K\\K.LNK\r\n"
        "[Fichier_5]\r\nNom=%desktop%\\K.lnk\r\n"
        "[Fichier_6]\r\nNom=C:\\K\\nouveau.dat\r\n");
    EXPECT_EQ(EarlierInstalledFiles(log, 5), (std::vector<std::string>{"C:\\windows\\uninst_K.exe", "C:\\K\\k.exe"}));
    EXPECT_EQ(EarlierInstalledFiles(log, 0), std::vector<std::string>{});
}

TEST(EarlierInstallation, TheLockNameStaysInTheGlobalNamespace) {
    EXPECT_EQ(InstallationLockName("Korvalix"), "Global\\Installation de Korvalix");
    EXPECT_EQ(InstallationLockName("a\\b"), "Global\\Installation de a/b");
}

}  // namespace

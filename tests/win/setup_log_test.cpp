// The uninstall log against Wine's real profile functions: the file's text is
// the contract with the uninstaller, so the tests compare it byte for byte.

#include "SetupLog/SetupLog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <climits>

#include "core/errors.h"
#include "support/test_support.h"
#include "win/files.h"
#include "common/setup_log_text.h"

namespace {

void WriteText(const std::string& path, const std::string& text) {
    ASSERT_TRUE(win::WriteWholeFile(path, {reinterpret_cast<const uint8_t*>(text.data()), text.size()}));
}

// The paths of this prefix in place of the example's.
const char* const kInstallDir = "C:\\Program Files\\Korvalix\\";
const char* const kLogPath = "C:\\Program Files\\Korvalix\\setup.log";
const char* const kGroup = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix";

const std::string& kHeader = kSetupLogInformation;

// A log after an installation of the current manifest with both shortcut
// options chosen.
const std::string kExampleLog =
    kSetupLogInformation + ExampleSetupSection(7) +
    "[Fichier_1]\r\n"
    "Nom=C:\\windows\\uninst_Korvalix.exe\r\n"
    "[Fichier_2]\r\n"
    "Nom=C:\\Program Files\\Korvalix\\korvalix.exe\r\n"
    "[Fichier_3]\r\n"
    "Nom=C:\\Program Files\\Korvalix\\korvalix32.hlp\r\n"
    "[Fichier_4]\r\n"
    "Nom=C:\\Program Files\\Korvalix\\erreurs.log\r\n"
    "[Fichier_5]\r\n"
    "Nom=C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix\\Korvalix.lnk\r\n"
    "[Fichier_6]\r\n"
    "Nom=%desktop%\\Korvalix.lnk\r\n"
    "[Fichier_7]\r\n"
    "Nom=C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix\\Aide de Korvalix.lnk\r\n";

class SetupLogTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(win::ForceDirectories(kInstallDir));
        win::DeleteFileIfPresent(kLogPath);
    }
    void TearDown() override { win::DeleteFileIfPresent(kLogPath); }

    // The calls of the run, in its order.
    static void WriteSetup(TSetupLog& log) {
        log.SetName("Korvalix32");
        log.SetInstallFolder(kInstallDir);
        log.SetUninstallName("Korvalix");
        log.SetRunName("Korvalix32");
    }

    static void InstallExample() {
        TSetupLog log(kLogPath);
        WriteSetup(log);
        log.AddFile("C:\\windows\\uninst_Korvalix.exe");
        log.AddFile(std::string(kInstallDir) + "korvalix.exe");
        log.AddFile(std::string(kInstallDir) + "korvalix32.hlp");
        log.AddFile(std::string(kInstallDir) + "erreurs.log");
        log.SetStartMenuFolder(kGroup);
        log.AddFile(std::string(kGroup) + "\\Korvalix.lnk");
        log.AddFile("%desktop%\\Korvalix.lnk");
        log.AddFile(std::string(kGroup) + "\\Aide de Korvalix.lnk");
        EXPECT_EQ(log.EntryCount(), 7);
    }
};

TEST_F(SetupLogTest, FreshLogHoldsTheExampleText) {
    InstallExample();
    EXPECT_EQ(testing_support::ReadWholeFile(kLogPath), kExampleLog);
}

TEST_F(SetupLogTest, AccentedCommentIsWindows1252) {
    { TSetupLog log(kLogPath); }
    const std::string text = testing_support::ReadWholeFile(kLogPath);
    EXPECT_NE(text.find("sert \xE0 la d\xE9sinstallation"), std::string::npos);
}

TEST_F(SetupLogTest, SecondInstallationContinuesAfterSevenEntries) {
    InstallExample();
    {
        TSetupLog log(kLogPath);
        EXPECT_EQ(log.EntryCount(), 7);
        WriteSetup(log);
        log.AddFile("C:\\Program Files\\Korvalix\\korvalix.exe");
        log.AddFile("C:\\Program Files\\Korvalix\\nouveau.dat");
        EXPECT_EQ(log.EntryCount(), 9);
    }
    std::string expected = kExampleLog;
    expected.replace(expected.find("Fichiers=7"), 10, "Fichiers=9");
    expected +=
        "[Fichier_8]\r\n"
        "Nom=C:\\Program Files\\Korvalix\\korvalix.exe\r\n"
        "[Fichier_9]\r\n"
        "Nom=C:\\Program Files\\Korvalix\\nouveau.dat\r\n";
    EXPECT_EQ(testing_support::ReadWholeFile(kLogPath), expected);
}

TEST_F(SetupLogTest, HexadecimalCountContinuesAfterIt) {
    WriteText(kLogPath, "[Setup]\r\nFichiers=0x10\r\n");
    {
        TSetupLog log(kLogPath);
        EXPECT_EQ(log.EntryCount(), 16);
        log.AddFile("C:\\a.txt");
        EXPECT_EQ(log.EntryCount(), 17);
    }
    EXPECT_EQ(testing_support::ReadWholeFile(kLogPath), "[Setup]\r\nFichiers=17\r\n" + std::string(kHeader) + "[Fichier_17]\r\nNom=C:\\a.txt\r\n");
}

TEST_F(SetupLogTest, CountThatIsNoNumberRestartsAndOverwritesEntries) {
    WriteText(kLogPath, "[Setup]\r\nFichiers=sept\r\n[Fichier_1]\r\nNom=C:\\ancien.txt\r\n[Fichier_2]\r\nNom=C:\\garde.txt\r\n");
    {
        TSetupLog log(kLogPath);
        EXPECT_EQ(log.EntryCount(), 0);
        log.AddFile("C:\\nouveau.txt");
    }
    EXPECT_EQ(testing_support::ReadWholeFile(kLogPath),
              "[Setup]\r\nFichiers=1\r\n[Fichier_1]\r\nNom=C:\\nouveau.txt\r\n[Fichier_2]\r\nNom=C:\\garde.txt\r\n" +
                  std::string(kHeader));
}

TEST_F(SetupLogTest, NegativeCountRestartsAtTheFirstEntry) {
    WriteText(kLogPath, "[Setup]\r\nFichiers=-3\r\n");
    TSetupLog log(kLogPath);
    EXPECT_EQ(log.EntryCount(), 0);
    log.AddFile("C:\\a.txt");
    EXPECT_EQ(log.EntryCount(), 1);
}

TEST_F(SetupLogTest, RunThatRecordsNothingLeavesNoCount) {
    {
        TSetupLog log(kLogPath);
        WriteSetup(log);
        EXPECT_EQ(log.EntryCount(), 0);
    }
    EXPECT_EQ(testing_support::ReadWholeFile(kLogPath), std::string(kHeader) +
                                      "[Setup]\r\n"
                                      "Nom=Korvalix32\r\n"
                                      "DossierInstall=C:\\Program Files\\Korvalix\\\r\n"
                                      "Desinstall=Korvalix\r\n"
                                      "Run=Korvalix32\r\n");
}

TEST_F(SetupLogTest, GroupThatCouldNotBeMadeIsRecordedEmpty) {
    {
        TSetupLog log(kLogPath);
        WriteSetup(log);
        log.AddFile("C:\\Program Files\\Korvalix\\korvalix.exe");
        log.SetStartMenuFolder("");
    }
    EXPECT_EQ(testing_support::ReadWholeFile(kLogPath), std::string(kHeader) +
                                      "[Setup]\r\n"
                                      "Nom=Korvalix32\r\n"
                                      "DossierInstall=C:\\Program Files\\Korvalix\\\r\n"
                                      "Desinstall=Korvalix\r\n"
                                      "Run=Korvalix32\r\n"
                                      "Fichiers=1\r\n"
                                      "DossierDemarrage=\r\n"
                                      "[Fichier_1]\r\n"
                                      "Nom=C:\\Program Files\\Korvalix\\korvalix.exe\r\n");
}

TEST_F(SetupLogTest, SetFileCountRewritesTheCountInPlace) {
    InstallExample();
    {
        TSetupLog log(kLogPath);
        log.SetFileCount(3);
        EXPECT_EQ(log.EntryCount(), 3);
        log.AddFile("C:\\quatre.txt");
    }
    std::string expected = kExampleLog;
    expected.replace(expected.find("Fichiers=7"), 10, "Fichiers=4");
    expected.replace(expected.find("C:\\Program Files\\Korvalix\\erreurs.log"), 37, "C:\\quatre.txt");
    EXPECT_EQ(testing_support::ReadWholeFile(kLogPath), expected);
}

TEST_F(SetupLogTest, LogInMissingFolderRaisesItsPath) {
    const std::string path = "C:\\Program Files\\Absent\\setup.log";
    try {
        TSetupLog log(path);
        FAIL() << "no error raised";
    } catch (const core::Error& error) {
        EXPECT_STREQ(error.what(), "Impossible d'\xE9" "crire dans C:\\Program Files\\Absent\\setup.log");
    }
    EXPECT_FALSE(win::FileExists(path));
    EXPECT_FALSE(win::FolderExists("C:\\Program Files\\Absent"));
}

TEST_F(SetupLogTest, LogPathThatIsAFolderRaisesTheError) {
    ASSERT_TRUE(win::ForceDirectories(kLogPath));
    EXPECT_THROW(TSetupLog log(kLogPath), core::Error);
    ::RemoveDirectoryA(kLogPath);
}

TEST_F(SetupLogTest, CountAtTheLimitOverflowsWithoutWriting) {
    for (const char* count : {"2147483647", "0x7FFFFFFF"}) {
        const std::string before = std::string(kHeader) + "[Setup]\r\nFichiers=" + count + "\r\n";
        WriteText(kLogPath, before);
        TSetupLog log(kLogPath);
        EXPECT_EQ(log.EntryCount(), INT32_MAX);
        EXPECT_THROW(log.AddFile("C:\\trop.txt"), core::OverflowError);
        EXPECT_EQ(log.EntryCount(), INT32_MAX);
        EXPECT_EQ(testing_support::ReadWholeFile(kLogPath), before);
    }
}

// The writer puts on the disk only what each call changed, where the
// platform's functions write the whole file again: for logs of every shape,
// the entries of a long installation must leave exactly the platform's bytes,
// through the count's growth from one digit to three.
TEST_F(SetupLogTest, ManyEntriesLeaveThePlatformsBytes) {
    const std::string platformPath = std::string(kInstallDir) + "platform.log";
    struct Case {
        const char* what;
        std::string before;  // empty: no file
    };
    const Case cases[] = {
        {"no log", ""},
        {"the example", kExampleLog},
        {"a log of another form", "\r\n  [setup]  \r\n\r\nfichiers = 0x10 \r\n;note\r\n=a\r\n=b\r\n[ Fichier_17 ]\r\n"
                                  "Nom=C:\\ancien.txt\r\n[INFORMATION]\r\nattention=autre\r\nk\r\n[x"},
        {"a count that is no number", "[Setup]\r\nFichiers=sept\r\n[Fichier_2]\r\nNom=C:\\garde.txt\r\n"},
        {"an UTF-8 log", "\xEF\xBB\xBF[Setup]\r\nFichiers=3\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        win::DeleteFileIfPresent(kLogPath);
        win::DeleteFileIfPresent(platformPath);
        if (!c.before.empty()) {
            WriteText(kLogPath, c.before);
            WriteText(platformPath, c.before);
        }
        int32_t count = 0;
        {
            TSetupLog log(kLogPath);
            WriteSetup(log);
            for (int i = 1; i <= 120; ++i) log.AddFile(std::string(kInstallDir) + "fichier " + std::to_string(i) + ".dat");
            log.AddKeptFile("C:\\windows\\partag\xE9.dll");
            log.SetStartMenuFolder(std::string(" ") + kGroup);
            log.AddFile("%desktop%\\Korvalix.lnk");
            count = log.EntryCount();
        }
        // The same calls through the platform's functions.
        auto write = [&](const std::string& section, const std::string& key, const std::string& value) {
            ASSERT_TRUE(::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), platformPath.c_str()));
        };
        write("Information", "Attention", "NE PAS SUPPRIMER CE FICHIER");
        write("Information", "Commentaire", "Ce fichier sert \xE0 la d\xE9sinstallation du logiciel");
        int32_t n = count - 122;
        write("Setup", "Nom", "Korvalix32");
        write("Setup", "DossierInstall", kInstallDir);
        write("Setup", "Desinstall", "Korvalix");
        write("Setup", "Run", "Korvalix32");
        auto add = [&](const std::string& path, bool kept) {
            ++n;
            write("Setup", "Fichiers", std::to_string(n));
            if (kept) write("Fichier_" + std::to_string(n), "Conserver", "1");
            write("Fichier_" + std::to_string(n), "Nom", path);
        };
        for (int i = 1; i <= 120; ++i) add(std::string(kInstallDir) + "fichier " + std::to_string(i) + ".dat", false);
        add("C:\\windows\\partag\xE9.dll", true);
        write("Setup", "DossierDemarrage", std::string(" ") + kGroup);
        add("%desktop%\\Korvalix.lnk", false);
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, platformPath.c_str());

        EXPECT_EQ(testing_support::ReadWholeFile(kLogPath), testing_support::ReadWholeFile(platformPath));
    }
    win::DeleteFileIfPresent(platformPath);
}

}  // namespace

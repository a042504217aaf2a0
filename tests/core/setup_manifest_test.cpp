#include "core/setup_manifest.h"

#include <gtest/gtest.h>

namespace core {
namespace {

const char* const kExampleManifest =
    "[Setup]\r\n"
    "Nom=Korvalix32\r\n"
    "Version=2.1\r\n"
    "DossierInstall=Korvalix\r\n"
    "DossierDemarrage=Korvalix\r\n"
    "Desinstall=Korvalix\r\n"
    "Run=Korvalix32\r\n"
    "Fichiers=4\r\n"
    "[Fichier_1]\r\n"
    "Nom=uninst_Korvalix.exe\r\n"
    "Dossier=windows\r\n"
    "Taille=488960\r\n"
    "Version=1.0.0\r\n"
    "[Fichier_3]\r\n"
    "Nom=korvalix32.hlp\r\n"
    "Raccourci=Aide de Korvalix\r\n"
    "Taille=65695\r\n";

uint8_t Status(const std::string& text, SetupValues* values = nullptr) {
    SetupValues scratch;
    return ReadSetupSection(IniFile::Parse(text), values ? *values : scratch);
}

TEST(ReadSetupSection, TheExampleManifest) {
    SetupValues values;
    ASSERT_EQ(Status(kExampleManifest, &values), SetupOk);
    EXPECT_EQ(values.AppName, "Korvalix32");
    EXPECT_EQ(values.AppVersion, "2.1");
    EXPECT_EQ(values.DefaultFolderName, "Korvalix");
    EXPECT_EQ(values.StartMenuGroupName, "Korvalix");
    EXPECT_EQ(values.UninstallName, "Korvalix");
    EXPECT_EQ(values.RunName, "Korvalix32");
    EXPECT_EQ(values.FileCount, 4);
    EXPECT_EQ(values.Publisher, "") << "no Editeur";
}

TEST(ReadSetupSection, TheOptionalPublisher) {
    const std::string head = "[Setup]\nNom=A\nDossierInstall=B\nVersion=C\nDossierDemarrage=D\nFichiers=0\n";
    SetupValues values;
    ASSERT_EQ(Status(head + "Editeur=\"Éditions Korvalix\"\n", &values), SetupOk);
    EXPECT_EQ(values.Publisher, "Éditions Korvalix");
    for (const char* none : {"Editeur=\n", "Editeur=rien\n", ""}) {
        SetupValues without;
        EXPECT_EQ(Status(head + none, &without), SetupOk) << none;
        EXPECT_EQ(without.Publisher, "") << none;
    }
}

// Each key that is missing, empty or "rien" gives its own status.
TEST(ReadSetupSection, EachKeyHasItsStatus) {
    const std::string full = "Nom=A\nDossierInstall=B\nVersion=C\nDossierDemarrage=D\nDesinstall=E\nRun=F\nFichiers=0\n";
    struct Case {
        const char* key;
        uint8_t status;
    };
    for (const Case& c : {Case{"Nom", 1}, Case{"DossierInstall", 2}, Case{"Version", 3},
                          Case{"DossierDemarrage", 4}, Case{"Desinstall", 5}, Case{"Run", 5}}) {
        const std::string line = std::string(c.key) + "=";
        const size_t at = full.find(line);
        const size_t end = full.find('\n', at);
        const std::string without = full.substr(0, at) + full.substr(end + 1);
        const std::string empty = full.substr(0, at) + line + "\n" + full.substr(end + 1);
        const std::string rien = full.substr(0, at) + line + "rien\n" + full.substr(end + 1);
        EXPECT_EQ(Status("[Setup]\n" + empty), c.status) << c.key << " empty";
        EXPECT_EQ(Status("[Setup]\n" + rien), c.status) << c.key << " rien";
        // Desinstall and Run fall back to Nom when missing.
        const uint8_t missingStatus = (c.status == 5) ? uint8_t{SetupOk} : c.status;
        EXPECT_EQ(Status("[Setup]\n" + without), missingStatus) << c.key << " missing";
    }
}

TEST(ReadSetupSection, DesinstallAndRunDefaultToTheName) {
    SetupValues values;
    ASSERT_EQ(Status("[Setup]\nNom=Appli\nDossierInstall=B\nVersion=C\nDossierDemarrage=D\nFichiers=0\n", &values),
              SetupOk);
    EXPECT_EQ(values.UninstallName, "Appli");
    EXPECT_EQ(values.RunName, "Appli");
    EXPECT_EQ(values.FileCount, 0);
}

TEST(ReadSetupSection, RienIsCaseSensitive) {
    SetupValues values;
    EXPECT_EQ(Status("[Setup]\nNom=Rien\nDossierInstall=B\nVersion=C\nDossierDemarrage=D\nFichiers=1\n", &values),
              SetupOk);
    EXPECT_EQ(values.AppName, "Rien");
    EXPECT_EQ(Status("[Setup]\nNom=rien\n"), SetupBadName);
}

TEST(ReadSetupSection, FileCount) {
    const std::string head = "[Setup]\nNom=A\nDossierInstall=B\nVersion=C\nDossierDemarrage=D\n";
    EXPECT_EQ(Status(head), SetupBadFileCount);
    EXPECT_EQ(Status(head + "Fichiers=-1\n"), SetupBadFileCount);
    EXPECT_EQ(Status(head + "Fichiers=\n"), SetupBadFileCount);  // empty counts as missing
    SetupValues values;
    EXPECT_EQ(Status(head + "Fichiers=deux\n", &values), SetupOk);  // no number reads as 0
    EXPECT_EQ(values.FileCount, 0);
    EXPECT_EQ(Status(head + "Fichiers=12\n", &values), SetupOk);
    EXPECT_EQ(values.FileCount, 12);
}

TEST(ReadSetupSection, ValuesReadBeforeAFailureAreKept) {
    SetupValues values;
    EXPECT_EQ(Status("[Setup]\nNom=A\nDossierInstall=B\nVersion=\n", &values), SetupBadVersion);
    EXPECT_EQ(values.AppName, "A");
    EXPECT_EQ(values.DefaultFolderName, "B");
    EXPECT_EQ(values.AppVersion, "");
}

TEST(ReadSetupSection, AnUnreadableManifestHasNoName) {
    EXPECT_EQ(Status(""), SetupBadName);
}

TEST(ReadSetupSection, ValuesHoldAtMost249Characters) {
    SetupValues values;
    const std::string longName(400, 'n');
    Status("[Setup]\nNom=" + longName + "\n", &values);
    EXPECT_EQ(values.AppName, std::string(249, 'n'));
}

TEST(ReadFileEntry, DefaultsOfAMissingSection) {
    const FileEntry entry = ReadFileEntry(IniFile::Parse(kExampleManifest), 2);
    EXPECT_EQ(entry.Nom, "");
    EXPECT_EQ(entry.Dossier, "program");
    EXPECT_EQ(entry.Taille, -1);
    EXPECT_EQ(entry.Version, "0");
    EXPECT_EQ(entry.Raccourci, "");
    EXPECT_EQ(entry.RaccourciBureau, "");
}

TEST(ReadFileEntry, ValuesOfTheExample) {
    const auto manifest = IniFile::Parse(kExampleManifest);
    const FileEntry first = ReadFileEntry(manifest, 1);
    EXPECT_EQ(first.Nom, "uninst_Korvalix.exe");
    EXPECT_EQ(first.Dossier, "windows");
    EXPECT_EQ(first.Taille, 488960);
    EXPECT_EQ(first.Version, "1.0.0");
    const FileEntry third = ReadFileEntry(manifest, 3);
    EXPECT_EQ(third.Raccourci, "Aide de Korvalix");
    EXPECT_EQ(third.Version, "0");
}

TEST(ReadFileEntry, SizeFollowsTheIntegerConversion) {
    auto size = [](const char* text) {
        return ReadFileEntry(IniFile::Parse(std::string("[Fichier_1]\nTaille=") + text + "\n"), 1).Taille;
    };
    EXPECT_EQ(size("0"), 0);
    EXPECT_EQ(size("$10"), 16);
    EXPECT_EQ(size("0x10"), 16);
    EXPECT_EQ(size("12abc"), -1);
    EXPECT_EQ(size("beaucoup"), -1);
    EXPECT_EQ(size("-5"), -5);
}

}  // namespace
}  // namespace core

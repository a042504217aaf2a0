#include "core/manifest_check.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace core {
namespace {

const std::map<std::string, uint64_t> kFolder = {
    {"uninst_Korvalix.exe", 488960}, {"korvalix.exe", 574464}, {"korvalix32.hlp", 65695}};

const char* const kValid =
    "[Setup]\r\nNom=Korvalix32\r\nVersion=2.1\r\nDossierInstall=Korvalix\r\nDossierDemarrage=Korvalix\r\n"
    "Desinstall=Korvalix\r\nRun=Korvalix32\r\nFichiers=4\r\n"
    "[Fichier_1]\r\nNom=uninst_Korvalix.exe\r\nDossier=windows\r\nTaille=488960\r\nVersion=1.0.0\r\n"
    "[Fichier_2]\r\nNom=korvalix.exe\r\nDossier=program\r\nTaille=574464\r\nVersion=2.1.1\r\n"
    "[Fichier_3]\r\nNom=korvalix32.hlp\r\nDossier=program\r\nTaille=65695\r\n"
    "[Fichier_4]\r\nNom=erreurs.log\r\nDossier=program\r\nTaille=0\r\n";

std::vector<ManifestProblem> Check(const std::string& text) {
    return CheckManifest(IniFile::Parse(text), [](const std::string& name) -> std::optional<uint64_t> {
        const auto found = kFolder.find(name);
        if (found == kFolder.end()) return std::nullopt;
        return found->second;
    });
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

// "E [Section] Key" or "W [Section] Key" for each problem, in order.
std::vector<std::string> Summary(const std::vector<ManifestProblem>& problems) {
    std::vector<std::string> out;
    for (const ManifestProblem& p : problems)
        out.push_back(std::string(p.severity == ManifestProblem::Severity::Error ? "E [" : "W [") + p.section + "] " +
                      p.key);
    return out;
}

using Lines = std::vector<std::string>;

TEST(CheckManifest, TheExampleManifestIsClean) { EXPECT_TRUE(Check(kValid).empty()); }

TEST(CheckManifest, EachSetupKeyFollowsTheStartUpRules) {
    EXPECT_EQ(Summary(Check(Replace(kValid, "Nom=Korvalix32\r\n", ""))), Lines{"E [Setup] Nom"});
    EXPECT_EQ(Summary(Check(Replace(kValid, "Nom=Korvalix32", "Nom=rien"))), Lines{"E [Setup] Nom"});
    EXPECT_TRUE(Check(Replace(kValid, "Nom=Korvalix32", "Nom=Rien")).empty());
    EXPECT_EQ(Summary(Check(Replace(kValid, "Version=2.1", "Version="))), Lines{"E [Setup] Version"});
    EXPECT_EQ(Summary(Check(Replace(kValid, "DossierInstall=Korvalix", "DossierInstall=rien"))),
              Lines{"E [Setup] DossierInstall"});
    EXPECT_EQ(Summary(Check(Replace(kValid, "DossierDemarrage=Korvalix\r\n", ""))),
              Lines{"E [Setup] DossierDemarrage"});
    EXPECT_EQ(Summary(Check(Replace(kValid, "Run=Korvalix32", "Run="))), Lines{"E [Setup] Run"});
    EXPECT_EQ(Summary(Check(Replace(kValid, "Fichiers=4", "Fichiers=-1"))), (Lines{"E [Setup] Fichiers",
              "W [Fichier_1] ", "W [Fichier_2] ", "W [Fichier_3] ", "W [Fichier_4] ", "W [Setup] Desinstall"}));
}

TEST(CheckManifest, ReportsEveryProblemAtOnce) {
    std::string text = Replace(kValid, "Nom=Korvalix32\r\n", "");
    text = Replace(text, "Version=2.1\r\n", "");
    text = Replace(text, "Taille=574464", "Taille=12");
    const auto problems = Check(text);
    EXPECT_EQ(Summary(problems), (Lines{"E [Setup] Nom", "E [Setup] Version", "E [Fichier_2] Taille"}));
    EXPECT_TRUE(HasErrors(problems));
    EXPECT_EQ(Describe(problems[2]), "error: [Fichier_2] Taille: is 12 but \"korvalix.exe\" holds 574464 bytes");
}

TEST(CheckManifest, DesinstallAndRunDefaultToTheName) {
    std::string text = Replace(kValid, "Desinstall=Korvalix\r\n", "");
    text = Replace(text, "Run=Korvalix32\r\n", "");
    // The uninstaller is then looked for as uninst_Korvalix32.exe.
    EXPECT_EQ(Summary(Check(text)), Lines{"W [Setup] Desinstall"});
}

TEST(CheckManifest, TheOptionalPublisher) {
    const auto withPublisher = [](const std::string& line) { return Replace(kValid, "Fichiers=4\r\n", "Fichiers=4\r\n" + line); };
    EXPECT_TRUE(Check(withPublisher("Editeur=Éditions Korvalix\r\n")).empty());
    EXPECT_EQ(Summary(Check(withPublisher("Editeur=\r\n"))), Lines{"W [Setup] Editeur"});
    EXPECT_EQ(Summary(Check(withPublisher("Editeur=rien\r\n"))), Lines{"W [Setup] Editeur"});
    EXPECT_EQ(Summary(Check(withPublisher("Editeur=" + std::string(250, 'e') + "\r\n"))), Lines{"W [Setup] Editeur"});
    EXPECT_FALSE(HasErrors(Check(withPublisher("Editeur=\r\n")))) << "it never stops a build";
}

TEST(CheckManifest, FileCountAgainstTheSections) {
    EXPECT_EQ(Summary(Check(Replace(kValid, "Fichiers=4", "Fichiers=6"))), Lines{"E [Fichier_5] "});
    EXPECT_EQ(Summary(Check(Replace(kValid, "Fichiers=4", "Fichiers=3"))), Lines{"W [Fichier_4] "});
    EXPECT_EQ(Summary(Check(Replace(kValid, "[Fichier_2]", "[Fichier_7]"))),
              (Lines{"E [Fichier_2] ", "W [Fichier_7] "}));
    // A huge count is reported once, not section by section.
    EXPECT_EQ(Summary(Check(Replace(kValid, "Fichiers=4", "Fichiers=2000000000"))), Lines{"E [Fichier_5] "});
    // So is a gap between sections, however wide.
    const auto gap = Check(Replace(kValid, "Fichiers=4", "Fichiers=9") + "[Fichier_9]\r\nNom=fin.txt\r\nTaille=0\r\n");
    EXPECT_EQ(Summary(gap), Lines{"E [Fichier_5] "});
    EXPECT_EQ(Describe(gap[0]),
              "error: [Fichier_5] the section is missing (and every section up to Fichier_8) but Fichiers is 9: "
              "the run fails");
    const std::string far = "[Fichier_999999999]\r\nNom=fin.txt\r\nTaille=0\r\n";
    EXPECT_EQ(Summary(Check(Replace(kValid, "Fichiers=4", "Fichiers=999999999") + far)), Lines{"E [Fichier_5] "});
    EXPECT_EQ(Summary(Check(Replace(kValid, "Fichiers=4", "Fichiers=2000000000") + far)),
              (Lines{"E [Fichier_5] ", "E [Fichier_1000000000] "}));
}

TEST(CheckManifest, NomMustBeAPlainFileName) {
    // Windows drops a final dot or blank: the log would name a file that is not there.
    for (const char* bad : {"", "..", "sub\\korvalix.exe", "sub/korvalix.exe", "C:korvalix.exe", "a|b", "a?",
                            "\"korvalix32.hlp.\"", "\"korvalix32.hlp \""}) {
        const auto problems = Check(Replace(kValid, "Nom=korvalix32.hlp", std::string("Nom=") + bad));
        ASSERT_FALSE(problems.empty()) << bad;
        EXPECT_EQ(Summary(problems)[0], "E [Fichier_3] Nom") << bad;
    }
    EXPECT_TRUE(IsPlainFileName("Aide de Korvalix.hlp"));
    EXPECT_TRUE(IsPlainFileName("..hidden"));
}

TEST(CheckManifest, ShortcutAndGroupNamesStayWhereTheyBelong) {
    const std::string withShortcuts = Replace(kValid, "Taille=574464\r\n", "Taille=574464\r\nRaccourci=Korvalix\r\n"
                                                                         "RaccourciBureau=Korvalix\r\n");
    EXPECT_TRUE(Check(withShortcuts).empty());
    for (const char* bad : {"..\\..\\Startup\\x", "C:\\x", "a/b", "Korvalix.", "NUL"}) {
        EXPECT_EQ(Summary(Check(Replace(withShortcuts, "Raccourci=Korvalix", std::string("Raccourci=") + bad))),
                  Lines{"E [Fichier_2] Raccourci"}) << bad;
        EXPECT_EQ(Summary(Check(Replace(withShortcuts, "RaccourciBureau=Korvalix", std::string("RaccourciBureau=") + bad))),
                  Lines{"E [Fichier_2] RaccourciBureau"}) << bad;
    }
    for (const char* bad : {"..", "..\\..\\Startup", "Editeur\\..\\..", "\\Korvalix", "Korvalix\\", "C:\\Korvalix",
                            "Editeur\\\\Korvalix", "Korvalix ", "a:b"})
        EXPECT_EQ(Summary(Check(Replace(kValid, "DossierDemarrage=Korvalix", std::string("DossierDemarrage=\"") + bad + "\""))),
                  Lines{"E [Setup] DossierDemarrage"}) << bad;
    EXPECT_TRUE(IsGroupName("Editeur\\Korvalix 2"));
    EXPECT_TRUE(IsGroupName("Korvalix"));
}

TEST(CheckManifest, DeviceNamesAreNoFileNames) {
    // Written to, these would feed a device instead of making a file.
    for (const char* device : {"NUL", "nul", "CON.hlp", "aux.txt.log", "Com1", "LPT9.exe", "prn ", "NUL. ", "conin$"})
        EXPECT_FALSE(IsPlainFileName(device)) << device;
    for (const char* file : {"NULL", "console.exe", "COM10", "LPT0", "aux_", "my nul.txt", "com"})
        EXPECT_TRUE(IsPlainFileName(file)) << file;
}

TEST(CheckManifest, Taille) {
    EXPECT_EQ(Summary(Check(Replace(kValid, "Taille=65695", "Taille=-3"))), Lines{"E [Fichier_3] Taille"});
    EXPECT_EQ(Summary(Check(Replace(kValid, "Taille=65695", "Taille=beaucoup"))), Lines{"E [Fichier_3] Taille"});
    EXPECT_EQ(Summary(Check(Replace(kValid, "Taille=65695\r\n", ""))), Lines{"E [Fichier_3] Taille"});
    EXPECT_EQ(Summary(Check(Replace(kValid, "Taille=65695", "Taille=65696"))), Lines{"E [Fichier_3] Taille"});
    // The installer reads hexadecimal too.
    EXPECT_TRUE(Check(Replace(kValid, "Taille=65695", "Taille=0x1009F")).empty());
    // A file with no payload needs no file in the folder.
    EXPECT_TRUE(Check(Replace(kValid, "Nom=erreurs.log", "Nom=absent.txt")).empty());
    EXPECT_EQ(Summary(Check(Replace(kValid, "Nom=korvalix32.hlp", "Nom=absent.hlp"))),
              Lines{"E [Fichier_3] Taille"});
}

TEST(CheckManifest, DossierOtherThanWindowsOrProgramInstallsNothing) {
    EXPECT_EQ(Summary(Check(Replace(kValid, "Dossier=program\r\nTaille=65695", "Dossier=Program\r\nTaille=65695"))),
              Lines{"W [Fichier_3] Dossier"});
    // Ignored when there is no payload.
    EXPECT_TRUE(Check(Replace(kValid, "Dossier=program\r\nTaille=0", "Dossier=ailleurs\r\nTaille=0")).empty());
    // The uninstaller in another folder leaves the uninstall entry pointing nowhere.
    EXPECT_EQ(Summary(Check(Replace(kValid, "Dossier=windows", "Dossier=program"))), Lines{"W [Setup] Desinstall"});
}

TEST(CheckManifest, VersionMustConvert) {
    // An empty version counts as 0, as the installer reads it.
    EXPECT_TRUE(Check(Replace(kValid, "Version=2.1.1", "Version=")).empty());
    for (const char* bad : {"2.1.1b", "2..1", "214749.0.0", "x"}) {
        const auto problems = Check(Replace(kValid, "Version=2.1.1", std::string("Version=") + bad));
        EXPECT_EQ(Summary(problems), Lines{"E [Fichier_2] Version"}) << bad;
    }
}

TEST(CheckManifest, ManifestWithoutFilesOnlyWarns) {
    const char* const text =
        "[Setup]\r\nNom=Vide\r\nVersion=1\r\nDossierInstall=Vide\r\nDossierDemarrage=Vide\r\nFichiers=0\r\n";
    const auto problems = Check(text);
    EXPECT_EQ(Summary(problems), Lines{"W [Setup] Desinstall"});
    EXPECT_FALSE(HasErrors(problems));
}

TEST(CheckManifest, DuplicateNamesShareAPayload) {
    EXPECT_EQ(Summary(Check(Replace(kValid, "Nom=erreurs.log", "Nom=KORVALIX.exe"))), Lines{"W [Fichier_4] Nom"});
}

}  // namespace
}  // namespace core

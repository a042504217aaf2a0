#include "core/uninstall_report.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(UninstallReport, EverythingRemovedIsOneSentence) {
    UninstallReport report{"Korvalix32", {}};
    report.Add("C:\\a\\x.exe", Outcome::Removed);
    report.Add("C:\\a\\gone.exe", Outcome::Missing);
    report.Add("C:\\a\\", Outcome::Removed);
    EXPECT_FALSE(report.SomethingLeft());
    EXPECT_EQ(report.RemovedCount(), 2);
    EXPECT_EQ(ReportText(report), "Korvalix32 a été désinstallé.\r\r2 éléments ont été supprimés.");
}

TEST(UninstallReport, CountsAgreeInNumber) {
    UninstallReport report{"", {}};
    EXPECT_EQ(ReportText(report), "Le logiciel a été désinstallé.\r\rAucun élément n'a été supprimé.");
    report.Add("C:\\a\\x.exe", Outcome::Removed);
    EXPECT_EQ(ReportText(report), "Le logiciel a été désinstallé.\r\r1 élément a été supprimé.");
}

TEST(UninstallReport, ListsWhatIsLeftWithItsReason) {
    UninstallReport report{"Korvalix32", {}};
    report.Add("C:\\a\\x.exe", Outcome::Scheduled, "fichier en cours d'utilisation");
    report.Add("C:\\", Outcome::Refused, "racine d'un lecteur");
    report.Add("C:\\a\\", Outcome::NotEmpty);
    report.Add("C:\\a\\y.dll", Outcome::Removed);
    report.Add("l'entrée « K »", Outcome::Kept);
    report.Add("C:\\a\\z.dat", Outcome::Failed, "accès refusé");
    EXPECT_TRUE(report.SomethingLeft());
    EXPECT_EQ(
        ReportText(report),
        "La désinstallation de Korvalix32 est terminée, mais les éléments suivants n'ont pas été supprimés :\r"
        "- C:\\a\\x.exe : suppression prévue au prochain redémarrage de l'ordinateur (fichier en cours d'utilisation)\r"
        "- C:\\ : suppression refusée par sécurité (racine d'un lecteur)\r"
        "- C:\\a\\ : dossier conservé car il contient d'autres fichiers\r"
        "- l'entrée « K » : entrée conservée car elle appartient à une autre installation\r"
        "- C:\\a\\z.dat : suppression impossible (accès refusé)\r"
        "\r1 élément a été supprimé.");
}

// Deployment tools read "done, restart needed" only when nothing else is left.
TEST(UninstallReport, OnlyTheRestartLeftWhenEverythingElseWent) {
    struct Case {
        std::vector<Outcome> outcomes;
        bool left, onlyRestart;
    } cases[] = {
        {{Outcome::Removed, Outcome::Missing}, false, false},
        {{Outcome::Removed, Outcome::Scheduled, Outcome::Scheduled}, true, true},
        {{Outcome::Scheduled, Outcome::Failed}, true, false},
        {{Outcome::Scheduled, Outcome::NotEmpty}, true, false},
        {{Outcome::Scheduled, Outcome::Refused}, true, false},
        {{Outcome::Kept}, true, false},
    };
    for (const Case& c : cases) {
        UninstallReport report{"Korvalix32", {}};
        for (const Outcome outcome : c.outcomes) report.Add("C:\\a\\x", outcome);
        EXPECT_EQ(report.SomethingLeft(), c.left);
        EXPECT_EQ(report.OnlyTheRestartLeft(), c.onlyRestart);
    }
}

TEST(UninstallReport, LongListsAreCut) {
    UninstallReport report{"K", {}};
    for (int i = 0; i < 5; ++i) report.Add("f" + std::to_string(i), Outcome::Failed);
    const std::string text = ReportText(report, 3);
    EXPECT_NE(text.find("- f2 : "), std::string::npos);
    EXPECT_EQ(text.find("- f3 : "), std::string::npos);
    EXPECT_NE(text.find("- et 2 autres éléments.\r"), std::string::npos);
    EXPECT_NE(ReportText(report, 4).find("- et 1 autre élément.\r"), std::string::npos);
}

TEST(UninstallReport, ConfirmationNamesTheApplicationAndItsFolder) {
    EXPECT_EQ(ConfirmationText("Korvalix32", "C:\\Program Files\\Korvalix\\"),
              "Voulez-vous vraiment désinstaller Korvalix32 et supprimer tous ses éléments ?\r\r"
              "Le dossier C:\\Program Files\\Korvalix\\ sera supprimé s'il ne contient plus d'autres fichiers.");
    EXPECT_EQ(ConfirmationText("", ""),
              "Voulez-vous vraiment désinstaller ce logiciel et supprimer tous ses éléments ?");
}

}  // namespace
}  // namespace core

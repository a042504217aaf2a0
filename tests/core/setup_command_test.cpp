#include "core/setup_command.h"

#include <gtest/gtest.h>

#include "core/journal.h"

namespace core {
namespace {

SetupOptions Sound(const std::string& line) {
    const SetupCommandLine parsed = ParseSetupCommandLine(line);
    EXPECT_EQ(parsed.problem, "") << line;
    return parsed.options;
}

TEST(SetupCommandLine, ABareStartHasNoSwitches) {
    for (const char* line : {"", "   ", "\t "}) {
        const SetupOptions options = Sound(line);
        EXPECT_FALSE(options.switchesGiven) << line;
        EXPECT_EQ(options.mode, SetupMode::Wizard);
        EXPECT_FALSE(options.noStartMenu || options.desktop || options.help);
        EXPECT_EQ(options.installDir, "");
        EXPECT_EQ(options.logPath, "");
    }
}

TEST(SetupCommandLine, EverySwitchInAnyCaseWithEitherPrefix) {
    EXPECT_EQ(Sound("/S").mode, SetupMode::VerySilent);
    EXPECT_EQ(Sound("-s").mode, SetupMode::VerySilent);
    EXPECT_EQ(Sound("/VerySilent").mode, SetupMode::VerySilent);
    EXPECT_EQ(Sound("-SILENT").mode, SetupMode::Silent);
    EXPECT_EQ(Sound("/silent").mode, SetupMode::Silent);
    EXPECT_TRUE(Sound("-nostartmenu").noStartMenu);
    EXPECT_TRUE(Sound("/Desktop").desktop);
    EXPECT_TRUE(Sound("/allowdowngrade").allowDowngrade);
    // What deployment tools add by habit.
    const SetupOptions habits = Sound("/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /SP- /NOCANCEL /LOG");
    EXPECT_EQ(habits.mode, SetupMode::VerySilent);
    EXPECT_TRUE(habits.suppressBoxes && habits.noCancel && habits.logInTemp);
    EXPECT_EQ(habits.logPath, "") << "a bare /LOG names no file";
    EXPECT_FALSE(Sound("/S /LOG=j.txt").logInTemp);
    EXPECT_FALSE(Sound("/S").allowDowngrade);
    EXPECT_TRUE(Sound("/?").help);
    EXPECT_TRUE(Sound("-help").help);
    EXPECT_EQ(Sound("-log=C:\\journal.txt").logPath, "C:\\journal.txt");
    EXPECT_EQ(Sound("/dir=D:\\Apps").installDir, "D:\\Apps");

    const SetupOptions all = Sound("/SILENT /NOSTARTMENU /DESKTOP /LOG=\"install log.txt\" /DIR=\"C:\\Mes Apps\"");
    EXPECT_TRUE(all.switchesGiven);
    EXPECT_EQ(all.mode, SetupMode::Silent);
    EXPECT_TRUE(all.noStartMenu && all.desktop);
    EXPECT_FALSE(all.help);
    EXPECT_EQ(all.logPath, "install log.txt");  // relative to the current folder
    EXPECT_EQ(all.installDir, "C:\\Mes Apps");
}

TEST(SetupCommandLine, FoldersWithBlanksAndAccents) {
    const std::string folder = "C:\\Program Files\\Société Korvalix";
    EXPECT_EQ(Sound("/S /DIR=\"" + folder + "\"").installDir, folder);
    EXPECT_EQ(Sound("/S \"/DIR=" + folder + "\"").installDir, folder) << "the whole word quoted";
    EXPECT_EQ(Sound("/DIR=\"" + folder + "\\\"").installDir, folder + "\\") << "no escape before the quote";
    EXPECT_EQ(Sound("/DIR=\\\\serveur\\partage\\Korvalix").installDir, "\\\\serveur\\partage\\Korvalix");
    EXPECT_EQ(Sound("/DIR=C:/Korvalix/2.1").installDir, "C:\\Korvalix\\2.1");

    // /D takes the rest of the line, blanks and quotes-free, after the others.
    const SetupOptions last = Sound("-S /NOSTARTMENU /D=" + folder + "  ");
    EXPECT_EQ(last.installDir, folder);
    EXPECT_EQ(last.mode, SetupMode::VerySilent);
    EXPECT_TRUE(last.noStartMenu);
    EXPECT_EQ(Sound("/d=\"" + folder + "\"").installDir, folder);
    const SetupOptions rest = Sound("/D=C:\\a -DESKTOP");
    EXPECT_EQ(rest.installDir, "C:\\a -DESKTOP") << "nothing after /D is a switch";
    EXPECT_FALSE(rest.desktop);

    // The last folder given wins; the quietest mode wins.
    EXPECT_EQ(Sound("/DIR=C:\\a /DIR=C:\\b").installDir, "C:\\b");
    EXPECT_EQ(Sound("/S /SILENT").mode, SetupMode::VerySilent);
    EXPECT_EQ(Sound("/SILENT /VERYSILENT").mode, SetupMode::VerySilent);
}

// Each fault is reported once, names what was typed wrong, and leaves the
// rest of the line read, so that a silent run stays silent.
TEST(SetupCommandLine, FaultsNameTheirSwitch) {
    struct Case {
        const char* line;
        const char* named;
    };
    for (const Case& c : {
             Case{"/FOO", "« /FOO »"},
             Case{"/S /X=1", "« /X=1 »"},
             Case{"/", "« / »"},
             Case{"--S", "« --S »"},
             Case{"/S=1", "« /S »"},
             Case{"-Desktop=oui", "« -Desktop »"},
             Case{"/S Korvalix", "« Korvalix »"},
             Case{"/S \"\"", "Argument inattendu"},
             Case{"/DIR", "/DIR"},
             Case{"/DIR=", "/DIR"},
             Case{"/DIR=\"\"", "/DIR"},
             Case{"/DIR=Korvalix", "« Korvalix »"},
             Case{"/DIR=C:Korvalix", "« C:Korvalix »"},
             Case{"/DIR=\\Korvalix", "« \\Korvalix »"},
             Case{"/DIR=\"\\\\\\server\\share\\x\"", "« \\\\\\server\\share\\x »"},
             Case{"/DIR=C:\\a|b", "« C:\\a|b »"},
             Case{"/DIR=C:\\a*", "/DIR"},
             Case{"/DIR=C:\\a:b", "/DIR"},
             Case{"/DIR=\"C:\\Korvalix \"", "« C:\\Korvalix  »"},
             Case{"/DIR=C:\\Korvalix.\\2", "« C:\\Korvalix.\\2 »"},
             Case{"/DIR=\"C:\\Program Files\\..\\Korvalix\"", "/DIR"},
             Case{"/D=C:\\.\\Korvalix", "/D"},
             Case{"/D=", "/D"},
             Case{"/D=rel ative", "« rel ative »"},
             Case{"/D=C:\\a\"b", "/D"},
             Case{"/LOG=", "/LOG"},
             Case{"/NORESTARTS", "« /NORESTARTS »"},
             Case{"/SP", "« /SP »"},
             Case{"/NOCANCEL=1", "« /NOCANCEL »"},
             Case{"/LOG=C:\\journaux\\", "« C:\\journaux\\ »"},
             Case{"/LOG=a?.txt", "/LOG"},
             Case{"/S /DIR=\"C:\\Program Files", "« /DIR=\"C:\\Program Files »"},
         }) {
        const SetupCommandLine parsed = ParseSetupCommandLine(c.line);
        EXPECT_NE(parsed.problem.find(c.named), std::string::npos) << c.line << "\n" << parsed.problem;
        EXPECT_TRUE(parsed.options.switchesGiven) << c.line;
    }

    const SetupCommandLine parsed = ParseSetupCommandLine("/FOO /S /LOG=C:\\j.txt /BAR /DIR=x");
    EXPECT_EQ(parsed.problem, "Option inconnue : « /FOO ».") << "the first fault";
    EXPECT_EQ(parsed.options.mode, SetupMode::VerySilent);
    EXPECT_EQ(parsed.options.logPath, "C:\\j.txt");
    EXPECT_EQ(parsed.options.installDir, "") << "a refused folder is not kept";
    EXPECT_EQ(CommandLineErrorText(parsed.problem),
              "Option inconnue : « /FOO ».\r\rRien n'a été installé. La liste des options s'obtient avec /?.");
}

TEST(SetupCommandLine, TheHelpListsEverySwitchAndExitCode) {
    const std::string help = SetupHelpText();
    for (const char* item : {"/S ", "/VERYSILENT", "/SILENT", "/DIR=\"<dossier>\"", "/D=<dossier>", "/NOSTARTMENU",
                             "/DESKTOP", "/LOG=\"<fichier>\"", "/?", "/HELP", "0 installé", "1 échec", "2 annulé",
                             "3 démarrage impossible", "4 ligne de commande incorrecte", "/ALLOWDOWNGRADE",
                             "5 version plus récente déjà installée", "6 autre installation en cours",
                             "/SUPPRESSMSGBOXES", "/NOCANCEL", "/NORESTART", "/SP-"})
        EXPECT_NE(help.find(item), std::string::npos) << item;
    EXPECT_EQ(help.find('\n'), std::string::npos) << "lines end with a single carriage return";
}

TEST(SetupExitCode, TheTableWithSwitchesAndTheOldCodesWithout) {
    EXPECT_EQ(SetupExitCode(SetupResult::Installed, true), 0);
    EXPECT_EQ(SetupExitCode(SetupResult::Failed, true), 1);
    EXPECT_EQ(SetupExitCode(SetupResult::Cancelled, true), 2);
    EXPECT_EQ(SetupExitCode(SetupResult::CannotStart, true), 3);
    EXPECT_EQ(SetupExitCode(SetupResult::BadCommandLine, true), 4);
    EXPECT_EQ(SetupExitCode(SetupResult::Downgrade, true), 5);
    EXPECT_EQ(SetupExitCode(SetupResult::InProgress, true), 6);
    // A person's start: 0 after the wizard, whatever happened there.
    EXPECT_EQ(SetupExitCode(SetupResult::Installed, false), 0);
    EXPECT_EQ(SetupExitCode(SetupResult::Failed, false), 0);
    EXPECT_EQ(SetupExitCode(SetupResult::Cancelled, false), 0);
    EXPECT_EQ(SetupExitCode(SetupResult::CannotStart, false), 1);
}

TEST(JournalLine, DateTimeThenTheEventOnOneLine) {
    const LocalTime time{2024, 5, 7, 9, 3, 1};
    EXPECT_EQ(JournalLine(time, "Fichier installé : C:\\a.exe"),
              "2024-05-07 09:03:01  Fichier installé : C:\\a.exe\r\n");
    EXPECT_EQ(JournalLine(time, "Erreur : première ligne,\rseconde\r\rfin.\r"),
              "2024-05-07 09:03:01  Erreur : première ligne, seconde fin.\r\n");
    EXPECT_EQ(JournalLine(time, ""), "2024-05-07 09:03:01  \r\n");
    EXPECT_EQ(CompactDate(time), "20240507");
    EXPECT_EQ(CompactDate({1999, 12, 31, 23, 59, 59}), "19991231");
}

}  // namespace
}  // namespace core

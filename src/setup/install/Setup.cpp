#include "install/Setup.h"

#include <windows.h>

#include <optional>

#include "Chemin/Chemin.h"
#include "Deroulement/InstallationRun.h"
#include "General/Integrity.h"
#include "General/Shell.h"
#include "General/WorkDir.h"
#include "Journal/Journal.h"
#include "Variable/Variable.h"
#include "core/setup_command.h"
#include "core/text.h"
#include "core/upgrade.h"
#include "install/CommandLinePaths.h"
#include "install/MainWindows.h"
#include "install/StartUp.h"
#include "ui/application.h"
#include "ui/message_dialog.h"
#include "core/journal.h"
#include "win/account.h"
#include "win/files.h"
#include "win/local_time.h"
#include "win/named_lock.h"
#include "win/wide_text.h"

namespace {

const char* Verdict(core::SetupResult result) {
    switch (result) {
    case core::SetupResult::Installed: return "L'installation s'est terminée avec succès.";
    case core::SetupResult::Failed: return "L'installation a échoué.";
    case core::SetupResult::Cancelled: return "L'installation a été annulée.";
    case core::SetupResult::CannotStart: return "L'installation n'a pas pu démarrer.";
    case core::SetupResult::BadCommandLine: return "La ligne de commande est incorrecte : rien n'a été installé.";
    case core::SetupResult::Downgrade: return "Une version plus récente est installée : elle a été gardée.";
    case core::SetupResult::InProgress: return "Une autre installation est en cours : rien n'a été installé.";
    }
    return "";
}

int Finish(core::SetupResult result) {
    const int code = core::SetupExitCode(result, Installer.Switches.Given());
    Journal.Write(std::string(Verdict(result)) + " Code de sortie : " + std::to_string(code) + ".");
    return code;
}

// Finds the installation that this one updates.  Over a newer one, goes on
// only when the command line allows it or the person says yes; a silent run
// is answered no.
bool AcceptEarlierInstallation() {
    Installer.Earlier = FindEarlierInstallation(Installer.UninstallName);
    const core::EarlierInstallation& earlier = Installer.Earlier;
    if (!earlier.Found()) return true;
    Journal.Write("Installation existante : version " + (earlier.version.empty() ? "inconnue" : earlier.version) +
                  " dans " + earlier.folder);
    if (Installer.Switches.AllowsDowngrade() || !core::InstalledIsNewer(earlier.version, Installer.AppVersion))
        return true;
    if (ui::ShowDialog(ui::DialogKind::Confirmation,
                       core::DowngradeQuestion(Installer.AppName, earlier, Installer.AppVersion),
                       ui::DialogButtons::NoYes) == ui::DialogResult::Yes)
        return true;
    Installer.Result = Installer.Switches.NobodyAnswers() ? core::SetupResult::Downgrade : core::SetupResult::Cancelled;
    return false;
}

// Each box takes the answer of its default button, as a person pressing
// Enter would.
ui::DialogResult DefaultAnswer(const ui::DialogRequest& box) {
    switch (box.buttons) {
    case ui::DialogButtons::Ok: return ui::DialogResult::Ok;
    case ui::DialogButtons::Cancel: return ui::DialogResult::Cancel;
    case ui::DialogButtons::YesNo: return ui::DialogResult::Yes;
    case ui::DialogButtons::NoYes: return ui::DialogResult::No;
    }
    return ui::DialogResult::Cancel;
}

// Where /LOG writes: the file it names, or, bare, a file in the temporary
// folder that says what it is and when the installer started.
std::string JournalPath(const core::SetupOptions& options) {
    if (!options.logInTemp || !options.logPath.empty()) return options.logPath;
    return core::IncludeBackslash(win::TempFolder()) + core::JournalFileName(win::LocalNow());
}

// What the options page would have stored, from the command line.
void ChooseWithoutAPerson() {
    Installer.InstallDir = core::IncludeBackslash(DefaultDestination());
    Installer.WantStartMenu = Installer.Switches.WantsStartMenu();
    Installer.WantDesktop = Installer.Switches.WantsDesktop();
}

}  // namespace

int RunSetup(const std::string& arguments) {
    core::SetupCommandLine commandLine = core::ParseSetupCommandLine(arguments);
    // The paths as Windows holds them, not as the "A" line spells them.
    CommandLinePaths paths(commandLine, win::CommandLineArguments());
    const core::SetupOptions& options = commandLine.options;
    Installer.Switches = SetupSwitches(options);
    const SetupSwitches& switches = Installer.Switches;
    Installer.RunsAsSystem = win::RunsAsLocalSystem();

    // In the silent modes nothing waits for a person: every box is answered
    // as closing it would answer, and the run goes on or stops as it does
    // after that box.  Nor may the system ask for a disk.
    std::optional<ui::ScopedDialogCapture> noBoxes;
    if (switches.NobodyAnswers()) {
        noBoxes.emplace();
        ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    } else if (switches.AnswersBoxesByDefault()) {
        noBoxes.emplace(DefaultAnswer);
    }
    const ui::ScopedDialogObserver journalOfBoxes(JournalBox);

    // The whole line is judged before the journal is touched: a refused
    // line changes nothing anywhere, not even the journal's file.
    std::string problem = commandLine.problem;
    if (problem.empty() && !switches.Destination().empty())
        if (const std::string why = DestinationRefusal(switches.Destination()); !why.empty())
            problem = "Le dossier « " + switches.Destination() + " » de l'option /DIR ou /D ne peut pas recevoir " +
                      "l'installation : " + why + ". Le programme de désinstallation n'y supprimerait rien.";
    const std::string journal = JournalPath(options);
    if (problem.empty() && !journal.empty() && !Journal.Open(journal))
        problem = "Le journal « " + journal +
                  " » ne peut pas être créé : vérifiez son dossier et vos droits ; un dossier, un lien ou un " +
                  "fichier qui porte d'autres noms n'est pas accepté (option /LOG).";
    Journal.Write("Ligne de commande : " + arguments);
    if (!problem.empty()) {
        ui::ShowErrorBox(core::CommandLineErrorText(problem));
        return Finish(core::SetupResult::BadCommandLine);
    }
    if (options.help) {
        ui::ShowDialog(ui::DialogKind::Information, core::SetupHelpText(), ui::DialogButtons::Ok);
        return 0;
    }

    if (!StartUp()) return Finish(core::SetupResult::CannotStart);
    std::string destination = switches.Destination();
    if (!paths.MakeDestination(destination)) {
        RemoveWorkDir();
        return Finish(core::SetupResult::CannotStart);
    }
    Installer.Switches.SetDestination(destination);
    Journal.Write("Installation de " + Installer.AppName + " " + Installer.AppVersion + " ; dossier de travail : " +
                  Installer.WorkDir);
    // One installation or uninstallation of the application at a time, for
    // as long as this process lives.
    const auto lock = win::NamedLock::TryAcquire(core::InstallationLockName(Installer.UninstallName));
    if (!lock) {
        ui::ShowDialog(ui::DialogKind::Warning, core::InProgressText(Installer.AppName), ui::DialogButtons::Ok);
        RemoveWorkDir();
        return Finish(core::SetupResult::InProgress);
    }
    if (!AcceptEarlierInstallation()) {
        RemoveWorkDir();
        return Finish(Installer.Result);
    }
    if (switches.NobodyAnswers()) ChooseWithoutAPerson();

    if (switches.ShowsNoWindow()) {
        UnseenProgress progress;  // /S: no window
        if (VerifyInstaller(progress)) RunInstallationShowingErrors(progress);
        RemoveWorkDir();
    } else {
        // The windows live until the loop ends and are destroyed in reverse
        // order of creation, before the installer state is released.
        MainWindows windows;
        windows.Show();
        ui::Application::Current()->Run();
    }
    return Finish(Installer.Result);
}

#include "Deroulement/InstallationRun.h"

#include <windows.h>

#include "General/Payload.h"
#include "General/Shell.h"
#include "General/WorkDir.h"
#include "SetupLog/SetupLog.h"
#include "Variable/Variable.h"
#include "core/manifest_check.h"
#include "core/setup_manifest.h"
#include "core/text.h"
#include "core/version.h"
#include "ui/application.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/profile.h"

namespace {

const char* const kManifestError = "Le fichier des paramètres d'installation est erroné !";

// Asks running copies of the application to close before their files are
// replaced: a signal file that lives for two seconds.  Any failure just ends
// the attempt.
void SignalRunningCopiesToQuit(RunProgress& page) {
    page.SetStatus("Vérifications en cours...", false);
    page.Step();
    const std::string signal = Installer.InstallDir + kQuitSignalName;
    if (!win::CreateEmptyFile(signal)) return;
    ::Sleep(2000);
    win::DeleteFileIfPresent(signal);
}

class Run {
public:
    explicit Run(RunProgress& page)
        : page_(page), log_(Installer.InstallDir + "setup.log"), manifest_(Installer.WorkDir + kSetupListName) {}

    void InstallFiles() {
        for (int32_t number = 1; number <= Installer.FileCount; ++number) {
            // A cancel request is honoured between files, as a failure, so the
            // rest of the run still records and registers what was installed.
            if (page_.CancelRequested()) failed_ = true;
            if (failed_) continue;
            InstallFile(core::ReadFileEntry(manifest_, number));
        }
    }

    void CreateStartMenuGroupIfWanted() {
        if (!Installer.WantStartMenu) return;
        page_.SetStatus("Création du dossier de démarrage...");
        // A name with "..", a drive or a final dot would put the group, and
        // its shortcuts, outside the Programs folder.
        if (core::IsGroupName(Installer.StartMenuGroupName))
            groupDir_ = CreateStartMenuGroup(Installer.StartMenuGroupName);
        else
            ReportManifestError();
        log_.SetStartMenuFolder(groupDir_);
        page_.Step();
    }

    void CreateShortcuts() {
        if (!Installer.WantStartMenu && !Installer.WantDesktop) return;
        for (int32_t number = 1; number <= Installer.FileCount; ++number) {
            if (failed_) continue;
            const core::FileEntry entry = core::ReadFileEntry(manifest_, number);
            const std::string target = Installer.InstallDir + entry.Nom;
            const bool inGroup = Installer.WantStartMenu && !entry.Raccourci.empty() && !groupDir_.empty();
            const bool onDesktop = Installer.WantDesktop && !entry.RaccourciBureau.empty();
            // Like file names, shortcut names must not lead out of their folder.
            if ((inGroup && !core::IsPlainFileName(entry.Raccourci)) ||
                (onDesktop && !core::IsPlainFileName(entry.RaccourciBureau))) {
                ReportManifestError();
                continue;
            }
            // Only a link that exists is recorded; one that could not be made
            // is said, and the run goes on: the application itself is there.
            if (inGroup) {
                page_.SetStatus("Création du raccourci dans le dossier de démarrage...");
                if (CreateShortcut(target, groupDir_, entry.Raccourci))
                    log_.AddFile(core::IncludeBackslash(groupDir_) + entry.Raccourci + ".lnk");
                else
                    ReportShortcutNotMade(entry.Raccourci, "dans le dossier de démarrage");
            }
            if (onDesktop) {
                page_.SetStatus("Création du raccourci sur le bureau...");
                if (CreateDesktopShortcut(target, entry.RaccourciBureau))
                    log_.AddFile("%desktop%\\" + entry.RaccourciBureau + ".lnk");
                else
                    ReportShortcutNotMade(entry.RaccourciBureau, "sur le bureau");
            }
            page_.Step();
        }
    }

    void Register() {
        RegisterUninstaller(Installer.UninstallName, Installer.AppName,
                            windowsFileDir_ + "uninst_" + Installer.UninstallName + ".exe",
                            Installer.InstallDir + "setup.log");
    }

    void RecordSetupValues() {
        log_.SetName(Installer.AppName);
        log_.SetInstallFolder(Installer.InstallDir);
        log_.SetUninstallName(Installer.UninstallName);
        log_.SetRunName(Installer.RunName);
    }

    bool Failed() const { return failed_; }

private:
    void ReportManifestError() {
        failed_ = true;
        ui::ShowErrorBox(kManifestError);
    }

    static void ReportShortcutNotMade(const std::string& name, const char* where) {
        ui::ShowDialog(ui::DialogKind::Warning,
                       "Le raccourci \"" + name + "\" n'a pas pu être créé " + where + ".", ui::DialogButtons::Ok);
    }

    void InstallFile(const core::FileEntry& entry) {
        // A name that is not a plain file name could write outside the
        // destination ("..\..\windows\system32\x.dll"): the manifest is wrong.
        if (!core::IsPlainFileName(entry.Nom)) return ReportManifestError();
        if (entry.Taille > 0) return InstallPayload(entry);
        if (entry.Taille == 0) return InstallEmptyFile(entry);
        ReportManifestError();
    }

    void InstallPayload(const core::FileEntry& entry) {
        page_.SetStatus("Extraction du fichier " + entry.Nom + "...");
        if (!ExtractPayload(entry.Nom + ".Z")) {
            failed_ = true;
            ui::ShowErrorBox("Impossible d'extraire le fichier \"" + entry.Nom +
                             "\". Le fichier install.exe est probablement erroné.");
            return;
        }
        page_.Step();
        page_.SetStatus("Décompression du fichier " + entry.Nom + "...");

        const int32_t version = core::VersionToNumber(entry.Version);
        auto keepResponsive = [this] { page_.ProcessMessages(); };
        // Installs into the folder unless the version gate keeps the newer
        // file there; true on failure.
        auto installInto = [&](const std::string& folder, bool& kept) {
            kept = KeepsNewerVersion(folder + entry.Nom, version);
            return !kept &&
                   DecompressPayload(Installer.WorkDir, folder, entry.Nom, entry.Taille, version, keepResponsive);
        };
        bool kept = false;
        if (entry.Dossier == "windows") {
            windowsFileDir_ = core::IncludeBackslash(GetWindowsDir());
            failed_ = installInto(windowsFileDir_, kept);
            if (!failed_) {
                Record(windowsFileDir_ + entry.Nom, kept);
            } else {
                // The Windows folder refused it: the destination folder will do.
                windowsFileDir_ = Installer.InstallDir;
                failed_ = installInto(Installer.InstallDir, kept);
                Record(Installer.InstallDir + entry.Nom, kept);
            }
        } else if (entry.Dossier == "program") {
            failed_ = installInto(Installer.InstallDir, kept);
            Record(Installer.InstallDir + entry.Nom, kept);
        }
        // Any other destination installs nothing, and is no failure.
        win::DeleteFileIfPresent(Installer.WorkDir + entry.Nom + ".Z");
        page_.Step();
    }

    // A file that the version gate kept belongs to whoever put it there.
    void Record(const std::string& path, bool kept) {
        if (kept)
            log_.AddKeptFile(path);
        else
            log_.AddFile(path);
    }

    void InstallEmptyFile(const core::FileEntry& entry) {
        const std::string path = Installer.InstallDir + entry.Nom;
        if (!win::FileExists(path)) win::CreateEmptyFile(path);  // a failure here is not reported
        log_.AddFile(path);
        page_.Step();
    }

    // The log opens before the manifest reader and is released after it.
    RunProgress& page_;
    TSetupLog log_;
    win::ProfileFile manifest_;
    bool failed_ = false;
    std::string windowsFileDir_;
    std::string groupDir_;
};

}  // namespace

ProgressPlan PlanProgress(int32_t fileCount) {
    const int64_t units = (static_cast<int64_t>(fileCount) + 1) * 3;
    if (units > 0 && 100 / units >= 1) return {100, static_cast<int32_t>(100 / units)};
    // The bar cannot hold more than this many distinct positions anyway.
    const int64_t maximum = units < 1 ? 1 : (units > 1000000 ? 1000000 : units);
    return {static_cast<int32_t>(maximum), 1};
}

void RunInstallation(RunProgress& page) {
    const ProgressPlan plan = PlanProgress(Installer.FileCount);
    page.SetBar(plan.maximum, plan.step);

    win::ForceDirectories(Installer.InstallDir);  // a failure shows when the log cannot be written
    SignalRunningCopiesToQuit(page);

    Run run(page);
    run.RecordSetupValues();
    run.InstallFiles();
    run.CreateStartMenuGroupIfWanted();
    run.CreateShortcuts();
    run.Register();
    page.Complete(run.Failed());
}

void RunInstallationShowingErrors(RunProgress& page) {
    try {
        RunInstallation(page);
    } catch (...) {
        ui::Application::Current()->HandleException(std::current_exception());
        page.Complete(true);
    }
}

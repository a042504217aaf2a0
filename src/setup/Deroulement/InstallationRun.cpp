#include "Deroulement/InstallationRun.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <vector>

#include "General/Payload.h"
#include "General/Shell.h"
#include "General/WorkDir.h"
#include "Journal/Journal.h"
#include "Journal/JournaledProgress.h"
#include "SetupLog/SetupLog.h"
#include "Variable/Variable.h"
#include "core/file_names.h"
#include "core/ini.h"
#include "core/progress_plan.h"
#include "core/setup_manifest.h"
#include "core/uninstall_plan.h"
#include "core/text.h"
#include "core/upgrade.h"
#include "core/version.h"
#include "ui/application.h"
#include "ui/message_dialog.h"
#include "win/file_io.h"
#include "win/files.h"
#include "win/profile.h"
#include "win/shell.h"

namespace {

const char* const kManifestError = "Le fichier des paramètres d'installation est erroné !";

// A real log holds a few kilobytes a hundred files.
constexpr uint64_t kLogSizeLimit = 64 << 20;


// Asks running copies of the application to close before their files are
// replaced: a signal file that lives for two seconds (the installer state's
// wait).  Any failure just ends the attempt.
void SignalRunningCopiesToQuit(RunProgress& page) {
    page.SetStatus("Vérifications en cours...", false);
    page.Step();
    const std::string signal = Installer.InstallDir + kQuitSignalName;
    if (!win::CreateEmptyFile(signal)) return;
    ::Sleep(Installer.QuitSignalWait);
    win::DeleteFileIfPresent(signal);
}

class Run {
public:
    // `madeTheFolder`: the destination folder did not exist before this run.
    Run(RunProgress& page, bool madeTheFolder)
        : page_(page),
          log_(Installer.InstallDir + "setup.log"),
          earlierEntries_(log_.EntryCount()),
          manifest_(ReadManifest()),
          madeTheFolder_(madeTheFolder) {
        NotePut(Installer.InstallDir, "setup.log");
    }

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
        if (core::IsGroupName(Installer.StartMenuGroupName)) {
            groupDir_ = CreateStartMenuGroup(Installer.StartMenuGroupName);
            Journal.Write(groupDir_.empty() ? "Le groupe du menu Démarrer n'a pas pu être créé."
                                            : "Groupe du menu Démarrer : " + groupDir_);
        } else {
            ReportManifestError();
        }
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
                const std::string link = core::IncludeBackslash(groupDir_) + entry.Raccourci + ".lnk";
                if (CreateShortcut(target, groupDir_, entry.Raccourci)) {
                    log_.AddFile(link);
                    Journal.Write("Raccourci créé : " + link);
                } else {
                    ReportShortcutNotMade(entry.Raccourci, "dans le dossier de démarrage");
                }
            }
            if (onDesktop) {
                page_.SetStatus("Création du raccourci sur le bureau...");
                // Under the SYSTEM account, the desktop every user sees.
                const bool allUsers = Installer.RunsAsSystem;
                if (CreateDesktopShortcut(target, entry.RaccourciBureau, allUsers)) {
                    log_.AddFile((allUsers ? std::string(core::kCommonDesktopPrefix) : std::string("%desktop%\\")) +
                                 entry.RaccourciBureau + ".lnk");
                    const int desktop = allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP;
                    Journal.Write("Raccourci créé : " + core::IncludeBackslash(win::SpecialFolderPath(desktop)) +
                                  entry.RaccourciBureau + ".lnk");
                } else {
                    ReportShortcutNotMade(entry.RaccourciBureau, "sur le bureau");
                }
            }
            page_.Step();
        }
    }

    void Register() {
        const std::string uninstaller = windowsFileDir_ + "uninst_" + Installer.UninstallName + ".exe";
        UninstallEntryDetails details;
        details.version = Installer.AppVersion;
        details.installFolder = Installer.InstallDir;
        details.icon = ProgramOfTheFirstShortcut();
        if (details.icon.empty()) details.icon = uninstaller;
        details.publisher = Installer.Publisher;
        details.installedBytes = installedBytes_ + EarlierFilesBytes();
        const EntryWritten written = RegisterUninstaller(Installer.UninstallName, Installer.AppName, uninstaller,
                                                         Installer.InstallDir + "setup.log", details);
        const std::string key = "HKEY_LOCAL_MACHINE\\" + UninstallKeyPath(Installer.UninstallName);
        switch (written) {
        case EntryWritten::Created: Journal.Write("Entrée de désinstallation créée : " + key); break;
        case EntryWritten::Updated: Journal.Write("Entrée de désinstallation mise à jour : " + key); break;
        case EntryWritten::No:
            Journal.Write("Entrée de désinstallation non écrite (les droits manquent) : " + key);
            break;
        }
    }

    void RecordSetupValues(const std::string& createdAbove) {
        log_.SetName(Installer.AppName);
        log_.SetInstallFolder(Installer.InstallDir);
        log_.SetUninstallName(Installer.UninstallName);
        log_.SetRunName(Installer.RunName);
        // Recorded only when made, so that an update keeps what the first
        // installation recorded.
        if (!createdAbove.empty() && win::FolderExists(createdAbove)) log_.SetCreatedFolder(createdAbove);
    }

    bool Failed() const { return failed_; }

private:
    void ReportManifestError() {
        failed_ = true;
        ui::ShowErrorBox(kManifestError);
    }

    // A link that could not be made is said; in the silent modes the box goes
    // to the journal.
    static void ReportShortcutNotMade(const std::string& name, const char* where) {
        ui::ShowDialog(ui::DialogKind::Warning,
                       "Le raccourci \"" + name + "\" n'a pas pu être créé " + where + ".", ui::DialogButtons::Ok);
    }

    // The installed program that the first shortcut of the manifest points
    // to; empty when there is none.
    std::string ProgramOfTheFirstShortcut() const {
        for (int32_t number = 1; number <= Installer.FileCount; ++number) {
            const core::FileEntry entry = core::ReadFileEntry(manifest_, number);
            if (entry.Raccourci.empty() && entry.RaccourciBureau.empty()) continue;
            const std::string program = Installer.InstallDir + entry.Nom;
            return core::IsPlainFileName(entry.Nom) && win::FileExists(program) ? program : std::string();
        }
        return {};
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

        if (entry.Dossier == "windows") {
            windowsFileDir_ = core::IncludeBackslash(GetWindowsDir());
            Placed placed = PlaceInto(windowsFileDir_, entry, false);
            if (placed.failed) {
                // The Windows folder refused it: the destination folder will do.
                windowsFileDir_ = Installer.InstallDir;
                placed = PlaceInto(Installer.InstallDir, entry, false);
            }
            failed_ = placed.failed;
            Record(windowsFileDir_ + entry.Nom, placed);
        } else if (entry.Dossier == "program") {
            const Placed placed = PlaceInto(Installer.InstallDir, entry, true);
            failed_ = placed.failed;
            Record(Installer.InstallDir + entry.Nom, placed);
        } else {
            // Any other destination installs nothing, and is no failure.
            Journal.Write("Fichier ignoré, son dossier « " + entry.Dossier + " » n'est ni « windows » ni « program » : " +
                          entry.Nom);
        }
        win::DeleteFileIfPresent(Installer.WorkDir + entry.Nom + ".Z");
        page_.Step();
    }

    // What the files of earlier installations into this folder, which the log
    // lists before this run's, still weigh: the entry tells the size of the
    // whole installation.  A file this run wrote again is counted once: the
    // run and the log spell a path alike but for the case of its letters.
    uint64_t EarlierFilesBytes() const {
        if (earlierEntries_ <= 0) return 0;
        const auto bytes = win::ReadWholeFile(Installer.InstallDir + "setup.log", kLogSizeLimit);
        if (!bytes) return 0;
        std::set<std::string> counted;
        uint64_t total = 0;
        for (const std::string& path : core::EarlierInstalledFiles(core::IniFile::Parse(*bytes), earlierEntries_)) {
            const std::string key = core::PathKey(path);
            if (recorded_.count(key) || !counted.insert(key).second) continue;
            total += win::FileSizeOf(path);
        }
        return total;
    }

    // What a crash left of an earlier installation of this application in a
    // folder goes before the first file is written into it.
    void RemoveLeftoversOnce(const std::string& folder) {
        if (std::find(tidiedFolders_.begin(), tidiedFolders_.end(), folder) != tidiedFolders_.end()) return;
        tidiedFolders_.push_back(folder);
        RemoveInstallLeftovers(folder);
    }

    // How a payload went into its folder.
    struct Placed {
        bool failed = false;
        bool kept = false;         // the version gate left a newer file there
        bool loggedAhead = false;  // its log entry was written before it
    };

    // Installs the entry's payload into the folder unless the version gate
    // keeps the newer file there.  The version is read only here: an entry
    // that installs nothing never needs one.
    Placed PlaceInto(const std::string& folder, const core::FileEntry& entry, bool mayLogAhead) {
        RemoveLeftoversOnce(folder);
        const std::string path = folder + entry.Nom;
        Placed placed;
        // Each look-up of a missing name goes through the whole folder under
        // Wine: with thousands of files, the name is looked up once at most.
        const bool exists = HasFile(folder, entry.Nom);
        if (exists && KeepsNewerVersion(path, core::VersionToNumber(entry.Version))) {
            Journal.Write("Fichier conservé, celui en place a une version plus récente : " + path);
            placed.kept = true;
            return placed;
        }
        // A new file is written under its own name, its entry in the log
        // first: a crash half-way leaves a file the uninstaller removes, and
        // there is no temporary name to make, nor a move.  The log records the
        // path whatever the outcome, so its bytes are the same either way.
        placed.loggedAhead = mayLogAhead && !exists;
        if (placed.loggedAhead) log_.AddFile(path);
        const Placement placement = exists              ? Placement::Replacing
                                    : placed.loggedAhead ? Placement::FreshName
                                                         : Placement::MovedIntoPlace;
        placed.failed = InflatePayload(Installer.WorkDir + entry.Nom + ".Z", folder, entry.Nom, entry.Taille, placement,
                                       [this] { page_.ProcessMessages(); });
        if (!placed.failed) NotePut(folder, entry.Nom);
        return placed;
    }

    // Whether a file has that name in the folder.  The folder this run made
    // holds only what the run put there, and its names are answered from
    // that list: asked of the disk, a missing name is searched for through
    // the whole folder under Wine, so thousands of new files would cost the
    // square of their number a second time.
    bool HasFile(const std::string& folder, const std::string& name) const {
        if (IsTheFolderThisRunMade(folder)) return putThere_.count(core::PathKey(folder + name)) > 0;
        return win::FileExists(folder + name);
    }

    void NotePut(const std::string& folder, const std::string& name) {
        if (IsTheFolderThisRunMade(folder)) putThere_.insert(core::PathKey(folder + name));
    }

    bool IsTheFolderThisRunMade(const std::string& folder) const {
        return madeTheFolder_ && folder == Installer.InstallDir;
    }

    // Records a payload in the uninstall log, unless it is there already.
    void Record(const std::string& path, const Placed& placed) {
        if (placed.loggedAhead)
            CountSize(path);
        else
            Record(path, placed.kept);
    }

    // Records a file in the uninstall log, and its size for the uninstall
    // entry.  A file that the version gate kept belongs to whoever put it
    // there: it is marked so, and not counted.
    void Record(const std::string& path, bool kept = false) {
        if (kept) {
            log_.AddKeptFile(path);
            return;
        }
        log_.AddFile(path);
        CountSize(path);
    }

    void CountSize(const std::string& path) {
        installedBytes_ += win::FileSizeOf(path);
        if (earlierEntries_ > 0) recorded_.insert(core::PathKey(path));
    }

    void InstallEmptyFile(const core::FileEntry& entry) {
        const std::string path = Installer.InstallDir + entry.Nom;
        if (HasFile(Installer.InstallDir, entry.Nom)) {
            Journal.Write("Fichier vide déjà présent, conservé : " + path);
        } else if (win::CreateEmptyFile(path)) {  // a failure here is not reported to the person
            NotePut(Installer.InstallDir, entry.Nom);
            Journal.Write("Fichier vide créé : " + path);
        } else {
            Journal.Write("Le fichier vide n'a pas pu être créé : " + path);
        }
        Record(path);
        page_.Step();
    }

    // The work copy of the manifest, read once with the platform's rules: the
    // platform's functions open the file again for every value, which costs
    // more than installing a small file.
    static core::IniFile ReadManifest() {
        const std::optional<std::string> bytes = win::ReadWholeFile(Installer.WorkDir + kSetupListName);
        return core::IniFile::Parse(bytes ? *bytes : std::string());
    }

    // The log opens before the manifest is read.
    RunProgress& page_;
    TSetupLog log_;
    int32_t earlierEntries_;  // the entries the log held before this run
    core::IniFile manifest_;
    bool failed_ = false;
    uint64_t installedBytes_ = 0;
    std::set<std::string> recorded_;  // this run's files, when earlier ones are counted too
    bool madeTheFolder_;
    std::set<std::string> putThere_;  // the files this run put into the folder it made
    std::string windowsFileDir_;
    std::string groupDir_;
    std::vector<std::string> tidiedFolders_;
};

}  // namespace

// The outermost folder above `folder` that does not exist yet, which making
// `folder` will make too; empty when its parent exists.
std::string OutermostMissingFolderAbove(const std::string& folder) {
    std::string missing;
    for (std::string parent = core::FolderKey(folder);;) {
        const size_t split = parent.find_last_of('\\');
        if (split == std::string::npos || split < 3) break;
        parent.resize(split);
        if (win::FolderExists(parent)) break;
        missing = parent;
    }
    return missing;
}

void RunInstallation(RunProgress& shownPage) {
    JournaledProgress page(shownPage);
    Journal.Write("Dossier d'installation : " + Installer.InstallDir + " ; groupe du menu Démarrer : " +
                  (Installer.WantStartMenu ? "oui" : "non") + " ; raccourci sur le bureau : " +
                  (Installer.WantDesktop ? "oui" : "non"));
    const core::ProgressPlan plan = core::PlanProgress(Installer.FileCount);
    page.SetBar(plan.maximum, plan.step);

    const std::string createdAbove = OutermostMissingFolderAbove(Installer.InstallDir);
    const bool madeTheFolder = !win::FolderExists(Installer.InstallDir);
    win::ForceDirectories(Installer.InstallDir);  // a failure shows when the log cannot be written
    SignalRunningCopiesToQuit(page);

    Run run(page, madeTheFolder);
    run.RecordSetupValues(createdAbove);
    run.InstallFiles();
    run.CreateStartMenuGroupIfWanted();
    run.CreateShortcuts();
    run.Register();
    // A cancel request is honoured as a failure: it is what ended the run
    // when it came.
    Installer.Result = !run.Failed()              ? core::SetupResult::Installed
                       : page.CancelRequested() ? core::SetupResult::Cancelled
                                                : core::SetupResult::Failed;
    page.Complete(run.Failed());
}

void RunInstallationShowingErrors(RunProgress& page) {
    try {
        RunInstallation(page);
    } catch (...) {
        ui::Application::Current()->HandleException(std::current_exception());
        Installer.Result = core::SetupResult::Failed;
        page.Complete(true);
    }
}

#include "Uninstaller.h"

#include <windows.h>

#include <set>

#include "HandOver.h"
#include "ProgressWindow.h"
#include "Removal.h"
#include "core/installation_folder.h"
#include "core/upgrade.h"
#include "win/system_folders.h"
#include "ui/message_dialog.h"
#include "win/file_io.h"
#include "win/files.h"
#include "win/handle.h"
#include "win/named_lock.h"

namespace {

// A real log holds a few kilobytes; anything far bigger is not one.
constexpr uint64_t kLogSizeLimit = 16 << 20;

void ShowProblem(const std::string& problem) {
    ui::ShowDialog(ui::DialogKind::Error, problem + "\rLa désinstallation est impossible ; rien n'a été modifié.",
                   ui::DialogButtons::Ok);
}

std::string EntryDescription(const std::string& name) {
    return "Entrée « " + name + " » de la liste des programmes installés";
}

// The removals, in order, each recorded in the report.
class Removals {
public:
    Removals(const core::UninstallPlan& plan, ProgressWindow* progress, const std::string& deferredFile,
             const std::string& entryProgram)
        : report_{plan.appName, {}}, progress_(progress), deferred_(deferredFile), entryProgram_(entryProgram) {}

    void Status(const std::string& text) {
        if (progress_) progress_->SetStatus(text);
    }
    void Step() {
        if (progress_) progress_->Step();
    }

    RemovalResult Record(const std::string& what, const RemovalResult& result) {
        report_.Add(what, result.outcome, result.reason);
        if (result.outcome == core::Outcome::Scheduled) scheduled_.insert(core::PathKey(what));
        return result;
    }

    RemovalResult Refuse(const std::string& what, core::Refusal refusal) {
        return Record(what, {core::Outcome::Refused, core::RefusalText(refusal)});
    }

    void File(const core::PlannedItem& item) {
        if (IsDeferred(item) || IsEntryProgram(item)) return void(heldBack_.push_back(item));
        Status("Suppression de " + item.path);
        const RemovalResult result =
            item.refusal != core::Refusal::None ? Refuse(item.logged, item.refusal) : Record(item.path, RemoveFile(item.path));
        if (core::StaysBehind(result.outcome)) left_.push_back(item);
    }

    void Folder(const core::PlannedItem& item) {
        if (item.logged.empty()) return;
        Status("Suppression du dossier " + item.path);
        const RemovalResult result = item.refusal != core::Refusal::None
                                         ? Refuse(item.logged, item.refusal)
                                         : Record(item.path, RemoveEmptyFolder(item.path, scheduled_));
        if (core::StaysBehind(result.outcome)) folderLeft_ = true;
    }

    // The folders above the installation that it made go when nothing else
    // is in them; one that holds anything else is not the installation's.
    void CreatedFolders(const std::vector<core::PlannedItem>& folders) {
        for (const core::PlannedItem& folder : folders) {
            if (folder.refusal != core::Refusal::None) return;
            const RemovalResult result = RemoveEmptyFolder(folder.path, scheduled_);
            if (result.outcome != core::Outcome::Removed) return;
            Record(folder.path, result);
        }
    }

    void Log(const core::PlannedItem& log) {
        Status("Suppression du journal de désinstallation");
        if (log.refusal != core::Refusal::None) return void(Refuse(log.logged, log.refusal));
        Record(log.path, RemoveFile(log.path));
    }

    // False when the entry stays.
    bool UninstallEntry(const core::PlannedItem& key, const std::string& logPath) {
        if (key.logged.empty()) return true;
        Status("Suppression de l'entrée de désinstallation");
        if (key.refusal != core::Refusal::None) {
            Refuse(EntryDescription(key.logged), key.refusal);
            return false;
        }
        const RemovalResult result = RemoveUninstallEntry(key.path, logPath);
        report_.Add(EntryDescription(key.path), result.outcome, result.reason);
        return !core::StaysBehind(result.outcome);
    }

    // The program that the entry starts goes once the entry is gone; the
    // waiting instance's own file goes later still.
    void EntryProgram() {
        for (const core::PlannedItem& item : heldBack_)
            if (!IsDeferred(item)) {
                Status("Suppression de " + item.path);
                Record(item.path, RemoveFile(item.path));
            }
    }

    // True when something the log names stays for another reason than a
    // removal at the next restart: another try must remain possible.
    bool SomethingStays() const { return !left_.empty() || folderLeft_; }

    // Keeps the uninstall entry, and the log, reduced to what stays and to
    // the uninstaller that the entry starts, so that the entry still works.
    // A log outside its installation folder is not the installer's: it is
    // left as it is.
    void KeepForAnotherTry(const core::UninstallPlan& plan) {
        Status("Mise à jour du journal de désinstallation");
        if (plan.logFile.refusal == core::Refusal::None) {
            std::vector<core::PlannedItem> kept = left_;
            kept.insert(kept.end(), heldBack_.begin(), heldBack_.end());
            const std::string folder = plan.logFile.path.substr(0, plan.logFile.path.find_last_of('\\') + 1);
            const std::string written = win::CreateTempFileIn(folder);
            if (written.empty() || !WriteToDisk(written, core::LogOfWhatIsLeft(plan, kept)) ||
                !win::ReplaceWith(written, plan.logFile.path))
                win::DeleteFileIfPresent(written);
        }
        report_.keptForAnotherTry = true;
    }

    core::UninstallReport Report() && { return std::move(report_); }

    // The file of the instance that waits for the result: it is in use until
    // then, and goes after the result was handed over.
    bool IsDeferred(const core::PlannedItem& item) const {
        return !deferred_.empty() && item.refusal == core::Refusal::None && core::PathKey(item.path) == deferred_;
    }

private:
    bool IsEntryProgram(const core::PlannedItem& item) const {
        return !entryProgram_.empty() && item.refusal == core::Refusal::None &&
               core::PathKey(item.path) == entryProgram_;
    }

    // The whole text on the disk, not only in its cache, before it replaces
    // the log: a crash then leaves the old log or the new one, never an
    // empty one.
    static bool WriteToDisk(const std::string& path, const std::string& text) {
        const win::FileHandle file = win::CreateForWriting(path);
        win::FileSink sink(file);
        return file && sink.Write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())) &&
               sink.Flush();
    }

    core::UninstallReport report_;
    ProgressWindow* progress_;
    std::set<std::string> scheduled_;  // PathKey of each path that goes at the restart
    std::string deferred_;             // PathKey of the file removed after the result was handed over
    std::string entryProgram_;         // PathKey of the program the uninstall entry starts
    std::vector<core::PlannedItem> heldBack_;  // the two above, as the log names them
    std::vector<core::PlannedItem> left_;
    bool folderLeft_ = false;
};

std::string DeferredKey(const std::string& deferredFile) {
    return deferredFile.empty() ? std::string() : core::PathKey(win::FinalPath(deferredFile, true));
}

// After the result was handed over: the waiting instance's own file, once it
// has ended, and its folder when that was the installation folder and is
// now empty.
void RemoveDeferredFile(const core::UninstallPlan& plan, const HandOver& handOver) {
    const std::string deferred = DeferredKey(handOver.DeferredFile());
    for (const core::PlannedItem& item : plan.files) {
        if (item.refusal != core::Refusal::None || core::PathKey(item.path) != deferred) continue;
        handOver.WaitForFirstInstance();
        RemoveFile(item.path);
        const std::string folder = item.path.substr(0, item.path.find_last_of('\\'));
        if (plan.installFolder.refusal == core::Refusal::None && !plan.installFolder.path.empty() &&
            core::SamePath(plan.installFolder.path, folder))
            RemoveEmptyFolder(plan.installFolder.path, {});
        return;
    }
}

}  // namespace

std::optional<core::UninstallPlan> LoadUninstallPlan(const std::string& logPath, std::string& problem) {
    const auto bytes = win::ReadWholeFile(logPath, kLogSizeLimit);
    if (!bytes) {
        problem = "Le journal de désinstallation « " + logPath + " » est introuvable ou illisible.";
        return std::nullopt;
    }
    auto plan = core::MakeUninstallPlan(core::IniFile::Parse(*bytes), logPath, win::SystemFolders(), win::SystemPathRules());
    if (!plan)
        problem =
            "Le fichier « " + logPath + " » n'est pas un journal de désinstallation : la section [Setup] y manque.";
    return plan;
}

core::UninstallReport Uninstall(const core::UninstallPlan& plan, const std::string& logPath,
                                const UninstallOptions& options, const std::string& deferredFile,
                                ProgressWindow* progress) {
    // The entry's program stays with the entry until nothing else does.
    const std::string entryProgram = plan.uninstallKey.refusal == core::Refusal::None && !plan.uninstallKey.path.empty()
                                         ? UninstallEntryProgram(plan.uninstallKey.path, logPath)
                                         : std::string();
    Removals removals(plan, progress, DeferredKey(deferredFile), entryProgram);

    const core::PlannedItem& installFolder = plan.installFolder;
    if (!installFolder.path.empty() && installFolder.refusal == core::Refusal::None) {
        removals.Status("Fermeture de " + (plan.appName.empty() ? std::string("l'application") : plan.appName));
        SignalRunningCopiesToQuit(installFolder.path, options.quitSignalWait, ProgressWindow::ProcessMessages);
    }
    removals.Step();

    for (const core::PlannedItem& file : plan.files) {
        removals.File(file);
        removals.Step();
    }
    removals.Folder(plan.startMenuFolder);
    removals.Step();
    if (removals.SomethingStays()) {
        // The folder holds the log, and the entry leads to it; a folder
        // refused whole is still said.
        removals.KeepForAnotherTry(plan);
        if (installFolder.refusal != core::Refusal::None) removals.Folder(installFolder);
        for (int step = 0; step < 3; ++step) removals.Step();
        return std::move(removals).Report();
    }
    removals.Log(plan.logFile);
    removals.Step();
    if (removals.UninstallEntry(plan.uninstallKey, logPath)) removals.EntryProgram();
    removals.Step();
    removals.Folder(installFolder);
    removals.CreatedFolders(plan.createdFolders);
    removals.Step();
    return std::move(removals).Report();
}

int RunUninstaller(const std::string& arguments, bool interactive) {
    UninstallOptions options;
    options.interactive = interactive;
    return RunUninstaller(arguments, options);
}

int RunUninstaller(const std::string& arguments, const UninstallOptions& options) {
    const auto command = core::ParseUninstallCommandLine(arguments);
    if (command) return RunUninstaller(*command, options);
    if (options.interactive && !core::AsksForQuiet(arguments))
        ShowProblem("Aucun journal de désinstallation n'est indiqué.");
    return kUninstallBadCommandLine;
}

int RunUninstaller(const core::UninstallCommand& command, const UninstallOptions& given) {
    UninstallOptions options = given;
    if (command.silent) options.interactive = false;
    // An instance that waits for the result ends only after this one has
    // done the work; one that does not is ending, and frees its file.
    HandOver handOver(command);
    if (!handOver.FirstInstanceWaits()) handOver.WaitForFirstInstance();

    const std::string logPath = win::FullPath(command.logPath);
    std::string problem;
    const auto plan = LoadUninstallPlan(logPath, problem);
    if (!plan) {
        if (options.interactive) ShowProblem(problem);
        return handOver.Send(kUninstallNoLog);
    }
    // The installer's lock, named after the same uninstall name: never both
    // at work on one installation.
    const std::string appName = plan->appName.empty() ? std::string("l'application") : plan->appName;
    const auto lock =
        win::NamedLock::TryAcquire(core::InstallationLockName(plan->setup.uninstallName.value_or(plan->appName)));
    if (!lock) {
        if (options.interactive)
            ui::ShowDialog(ui::DialogKind::Warning, core::InProgressText(appName), ui::DialogButtons::Ok);
        return handOver.Send(kUninstallInProgress);
    }
    if (options.interactive &&
        ui::ShowDialog(ui::DialogKind::Confirmation, core::ConfirmationText(plan->appName, plan->installFolder.path),
                       ui::DialogButtons::YesNo) != ui::DialogResult::Yes)
        return handOver.Send(kUninstallCancelled);

    core::UninstallReport report;
    {
        std::optional<ProgressWindow> progress;
        if (options.interactive)
            progress.emplace(
                "Désinstallation de " + (plan->appName.empty() ? std::string("l'application") : plan->appName),
                static_cast<int>(plan->files.size()) + 5);
        report = Uninstall(*plan, logPath, options, handOver.DeferredFile(), progress ? &*progress : nullptr);
    }
    if (options.interactive)
        ui::ShowDialog(report.SomethingLeft() ? ui::DialogKind::Warning : ui::DialogKind::Information,
                       core::ReportText(report), ui::DialogButtons::Ok);
    const int result = handOver.Send(!report.SomethingLeft()        ? kUninstallDone
                                     : report.OnlyTheRestartLeft() ? kUninstallRestartNeeded
                                                                   : kUninstallIncomplete);
    // Kept for another try, the waiting instance's file may be the program
    // that the entry starts.
    if (handOver.FirstInstanceWaits() && !report.keptForAnotherTry) RemoveDeferredFile(*plan, handOver);
    return result;
}

#pragma once
// The installation run: the one sequence that changes the user's system.
// The progress page runs it once, from its first timer tick; the page's
// controls are reached only through RunProgress, so tests can drive the run
// without a window.

#include <cstdint>
#include <string>

class RunProgress {
public:
    virtual ~RunProgress() = default;

    // The bar's range is 0 to `maximum`; each Step advances it by `step`.
    virtual void SetBar(int32_t maximum, int32_t step) = 0;
    // Shows the status text; handles pending window messages when asked to.
    virtual void SetStatus(const std::string& text, bool processMessages = true) = 0;
    // Advances the bar by one step, then handles pending window messages.
    virtual void Step() = 0;
    // Handles pending window messages, so the page repaints during long work.
    virtual void ProcessMessages() = 0;
    // True once the user pressed "Annuler" on the page.
    virtual bool CancelRequested() const = 0;
    // Fills the bar, disables "Annuler", enables "Terminer" and shows the
    // final verdict.
    virtual void Complete(bool failed) = 0;
};

// How the bar moves for a number of files: 100 div ((files + 1) * 3) steps of
// a bar of 100 while that step is at least 1; for more files, a finer bar of
// one unit per step, so that it still moves.
struct ProgressPlan {
    int32_t maximum;
    int32_t step;
};
ProgressPlan PlanProgress(int32_t fileCount);

inline constexpr const char* kSuccessText = "L'installation s'est terminée avec succès !";
inline constexpr const char* kFailureText = "L'installation a échouée !";
inline constexpr const char* kQuitSignalName = "korvalix.quit";

// Checks every resource of the installer against its checksum list before
// the run changes anything, with the bar showing how far it got and the page
// handling messages between pieces.  False when the installer is damaged
// (after the error box) or "Annuler" was pressed meanwhile; the installer
// state's Result then says which, and the program should end without a run.
bool VerifyInstaller(RunProgress& page);

// Runs the whole installation from the installer state and the work copy of
// the manifest.  Errors that no routine turns into a result (a log that
// cannot be written, say) leave the run as exceptions.
void RunInstallation(RunProgress& page);

// The run as the progress page starts it: an error that leaves the run is
// shown by the general error handler, and the page then ends as a failure, so
// that the user can leave.
void RunInstallationShowingErrors(RunProgress& page);

#pragma once
// Undoing an installation from its setup.log: the whole run, callable from
// the program's entry point and from tests.

#include <cstdint>
#include <optional>
#include <string>

#include "core/uninstall_command.h"
#include "core/uninstall_plan.h"
#include "core/uninstall_report.h"

// What the run ends with, as the process's exit code: the installer's table.
enum UninstallExitCode : int {
    kUninstallDone = 0,            // everything the log names is gone
    kUninstallIncomplete = 1,      // some items are left, or go at the next restart
    kUninstallCancelled = 2,       // the user said no: nothing was changed
    kUninstallNoLog = 3,           // no readable log: nothing was changed
    kUninstallBadCommandLine = 4,  // no log named, or an unknown option: nothing was changed
    // Another installation or uninstallation of the application runs: nothing
    // was changed.  The same code as the installer's.
    kUninstallInProgress = 6,
    // Everything is gone but files in use, which go at the next restart:
    // what deployment tools read as "done, restart needed".
    kUninstallRestartNeeded = 3010,
};

struct UninstallOptions {
    bool interactive = true;         // confirmation, progress window and final report; "/S" turns them off
    unsigned quitSignalWait = 2000;  // milliseconds the running copies have to quit
};

// `arguments` is the command line after the program's name: the log path,
// quoted or not, optionally preceded by "/S".  A line that cannot be read
// is reported only to a person, not under "/S".
int RunUninstaller(const std::string& arguments, bool interactive);
int RunUninstaller(const std::string& arguments, const UninstallOptions& options);
// The same for a command line already read.  In the copy that the first
// instance started (HandOver.h), a first instance that waits for the result
// gets it once everything else is done; only then is it waited for, and its
// file removed, which the removals skip until that moment.  One that does
// not wait is waited for before anything is done.
int RunUninstaller(const core::UninstallCommand& command, const UninstallOptions& options);

// The plan for a log file; nothing when it cannot be read or has no [Setup].
// `problem` receives the French text that says why.
std::optional<core::UninstallPlan> LoadUninstallPlan(const std::string& logPath, std::string& problem);

// The removals themselves, in order, with the plan already accepted.
// `deferredFile`, when not empty, is left for after the result was handed
// over.
class ProgressWindow;
core::UninstallReport Uninstall(const core::UninstallPlan& plan, const std::string& logPath,
                                const UninstallOptions& options, const std::string& deferredFile,
                                ProgressWindow* progress);

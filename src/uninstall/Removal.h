#pragma once
// The actions of an uninstallation, one item at a time.  Each says what
// became of its item; none removes anything but the path it is given, and
// folders only when they are empty.

#include <functional>
#include <set>
#include <string>

#include "core/uninstall_report.h"

// The signal file that asks running copies of the application to quit; the
// installer uses the same one.
inline constexpr const char* kQuitSignalName = "korvalix.quit";

struct RemovalResult {
    core::Outcome outcome;
    std::string reason;  // in the report's words, for what is left
};

// Removes one file, the path given in its final form (see win::FinalPath):
// it is opened, checked and deleted through one handle, and refused when it
// no longer leads there (a folder on the way became a link).  A missing file
// is Missing; a folder is Refused; a file in use is scheduled for removal
// when the computer restarts.
RemovalResult RemoveFile(const std::string& path);

// Removes a folder when it is empty.  When all that is left in it are files
// already scheduled for removal at restart (by their core::PathKey), the folder is
// scheduled too.
RemovalResult RemoveEmptyFolder(const std::string& path, const std::set<std::string>& scheduledFiles);

// The program that starts HKEY_LOCAL_MACHINE\...\Uninstall\<name>, as a
// PathKey of its final form, when that entry's UninstallString starts this
// log; empty otherwise.
std::string UninstallEntryProgram(const std::string& name, const std::string& logPath);

// Removes HKEY_LOCAL_MACHINE\...\Uninstall\<name>, unless its
// UninstallString starts another log than this one.
RemovalResult RemoveUninstallEntry(const std::string& name, const std::string& logPath);

// Asks running copies of the application to quit: the signal file in their
// folder for `wait` milliseconds, during which `keepAlive` runs now and then.
// A file of that name that was there already is left alone.
void SignalRunningCopiesToQuit(const std::string& installFolder, unsigned wait, const std::function<void()>& keepAlive);

bool ScheduleRemovalAtRestart(const std::string& path);


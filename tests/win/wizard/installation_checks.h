#pragma once
// What an installation of the embedded manifest leaves on the drive, read
// back as the user and the uninstaller see it: the files, setup.log, the
// shortcuts (through IShellLinkW) and the uninstall entry.  Shared by the
// wizard's end-to-end tests.

#include <set>
#include <string>

namespace wizard {

inline const std::string kDestinationFolder = "C:\\Program Files\\Korvalix\\";
inline const std::string kProgramsGroup = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix";

std::string WindowsFolder();  // each with its final "\"
std::string DesktopFolder();

// A value of a profile file, or "<absent>".
std::string Profile(const std::string& file, const char* section, const char* key);
// A value of the uninstall entry, or "<absent>".
std::string UninstallValue(const char* value);
// The target of a shortcut file, or "<unreadable>".
std::string LinkTarget(const std::string& path);

// The three payloads inflated to the bytes they were packed from, the empty
// erreurs.log, the head of setup.log naming them with `entries` entries in
// all, and the uninstall entry pointing at the log.
void ExpectFilesAndLogHead(int entries);
// Every file and folder of drive C:, in lower case, but the temporary
// folder, where journals lie and the uninstaller's copy waits for the next
// restart, and the hidden folders of the Linux home that the profile's
// folders lead to.
std::set<std::string> DriveContents();
// What `a` holds and `b` does not.
std::set<std::string> Difference(const std::set<std::string>& a, const std::set<std::string>& b);
// Drive C: holds exactly what it held `before`: nothing left behind, nothing
// removed.
void ExpectSameDrive(const std::set<std::string>& before);

// Everything the default installation made is gone again: files, log,
// folder, Start-menu group, desktop shortcut and uninstall entry.
void ExpectNothingLeft();

}  // namespace wizard

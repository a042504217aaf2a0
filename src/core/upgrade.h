#pragma once
// Installing over an earlier installation of the same application: where it
// is, whether the version offered is older, and the lock that keeps two
// installers, or an installer and the uninstaller, from working at once.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini.h"

namespace core {

// What the uninstall entry of an earlier installation says of it.
struct EarlierInstallation {
    std::string folder;   // ends with "\"; empty when none was found
    std::string version;  // its DisplayVersion, possibly empty

    bool Found() const { return !folder.empty(); }
};

// The folder that an uninstall entry names: its InstallLocation, else the
// folder of the log on its UninstallString command; with a final "\", or
// empty when neither names one.
std::string FolderOfEntry(std::string_view installLocation, std::string_view uninstallString);

// Whether the installed version is newer than the one offered.  A version
// that cannot be compared counts as not newer.
bool InstalledIsNewer(std::string_view installed, std::string_view offered);

// The name of the system-wide lock of one application, after its uninstall
// name: the same in the installer and the uninstaller.
std::string InstallationLockName(std::string_view uninstallName);

// The files that earlier runs recorded in a log, for the size of the whole
// installation: every entry up to `entries` that the installation wrote
// itself, without the shortcuts.
std::vector<std::string> EarlierInstalledFiles(const IniFile& log, int entries);

// Whether a destination is the earlier installation's folder.
bool IsEarlierFolder(const EarlierInstallation& earlier, std::string_view destination);

// The summary's version line for an update of that folder, and its last line.
std::string UpdateVersionSummary(std::string_view offered, const EarlierInstallation& earlier);
extern const char* const kUpdateStartText;

// The texts a person reads.
std::string DowngradeQuestion(std::string_view appName, const EarlierInstallation& earlier,
                              std::string_view offered);
std::string InProgressText(std::string_view appName);

}  // namespace core

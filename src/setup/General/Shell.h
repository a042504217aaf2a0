#pragma once
// The installation's entries in the Windows shell and registry: the Program
// Files folder, the Start-menu group, shortcuts and the uninstall entry.

#include <cstdint>
#include <string>

#include "core/upgrade.h"

// The Program Files folder as the registry stores it (normally without a
// final "\"), or "C:\Program Files" when it stores none.  A value that is not
// text raises a win::RegistryError.
std::string GetProgramFilesDir();

// Creates the group in the all users' Programs folder, else in the current
// user's.  The group's full path without a final "\", or empty when no group
// folder could be made.
std::string CreateStartMenuGroup(const std::string& groupName);

// Saves folder\name.lnk pointing at the target; false when the link could
// not be made.  Raises win::ComError when the shell link object is refused.
bool CreateShortcut(const std::string& target, const std::string& folder, const std::string& name);

// A shortcut on the current user's desktop, or on the all users' desktop;
// false when the desktop has no folder or the link could not be made.
bool CreateDesktopShortcut(const std::string& target, const std::string& name, bool allUsers = false);

// What the uninstall entry tells beyond its name and command, for the list
// of installed programs and the package managers.  Empty texts are left out.
struct UninstallEntryDetails {
    std::string version;          // DisplayVersion
    std::string installFolder;    // InstallLocation
    std::string icon;             // DisplayIcon
    std::string publisher;        // Publisher
    uint64_t installedBytes = 0;  // EstimatedSize, in KiB rounded up
};

// The earlier installation that the entry of that key name describes, when
// its folder still holds a setup.log; nothing found otherwise.
core::EarlierInstallation FindEarlierInstallation(const std::string& keyName);

// Adds the entry to the list of installed programs: DisplayName and
// UninstallString when the key is new (an existing entry keeps its own), and
// always the details, InstallDate (today), NoModify and NoRepair, and
// QuietUninstallString, so that they describe this installation.  A key that cannot be created (no administrator rights)
// is skipped silently; a value that cannot be written raises a
// win::RegistryError.
enum class EntryWritten { No, Created, Updated };
EntryWritten RegisterUninstaller(const std::string& keyName, const std::string& displayName,
                         const std::string& uninstallerPath, const std::string& logPath,
                         const UninstallEntryDetails& details = {});

// The UninstallString value: the uninstaller, quoted when it holds a blank
// so that Windows cannot split it, then the quoted log path.
std::string UninstallCommand(const std::string& uninstallerPath, const std::string& logPath);

// The QuietUninstallString value: the same with the uninstaller's "/S".
std::string QuietUninstallCommand(const std::string& uninstallerPath, const std::string& logPath);

// The entry's key under HKEY_LOCAL_MACHINE.
std::string UninstallKeyPath(const std::string& keyName);

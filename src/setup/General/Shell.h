#pragma once
// The installation's entries in the Windows shell and registry: the Program
// Files folder, the Start-menu group, shortcuts and the uninstall entry.

#include <cstdint>
#include <string>

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

// A shortcut on the current user's desktop; false when the desktop has no
// folder or the link could not be made.
bool CreateDesktopShortcut(const std::string& target, const std::string& name);

// What the uninstall entry tells beyond its name and command, for the list
// of installed programs and the package managers.  Empty texts are left out.
struct UninstallEntryDetails {
    std::string version;          // DisplayVersion
    std::string installFolder;    // InstallLocation
    std::string icon;             // DisplayIcon
    std::string publisher;        // Publisher
    uint64_t installedBytes = 0;  // EstimatedSize, in KiB rounded up
};

// Adds the entry to the list of installed programs unless one of that key
// name exists: DisplayName and UninstallString, the details, InstallDate
// (today), NoModify and NoRepair, and QuietUninstallString.  True when it
// wrote the entry.  A key that cannot be created (no administrator rights)
// is skipped silently; a value that cannot be written raises a
// win::RegistryError.
bool RegisterUninstaller(const std::string& keyName, const std::string& displayName,
                         const std::string& uninstallerPath, const std::string& logPath,
                         const UninstallEntryDetails& details = {});

// The UninstallString value: the uninstaller, quoted when it holds a blank
// so that Windows cannot split it, then the quoted log path.
std::string UninstallCommand(const std::string& uninstallerPath, const std::string& logPath);

// The QuietUninstallString value: the same with the uninstaller's "/S".
std::string QuietUninstallCommand(const std::string& uninstallerPath, const std::string& logPath);

// The entry's key under HKEY_LOCAL_MACHINE.
std::string UninstallKeyPath(const std::string& keyName);

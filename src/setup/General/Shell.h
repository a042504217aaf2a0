#pragma once
// The installation's entries in the Windows shell and registry: the Program
// Files folder, the Start-menu group, shortcuts and the uninstall entry.

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

// Adds the entry to the list of installed programs unless one of that key
// name exists.  A key that cannot be created (no administrator rights) is
// skipped silently; a value that cannot be written raises a
// win::RegistryError.
void RegisterUninstaller(const std::string& keyName, const std::string& displayName,
                         const std::string& uninstallerPath, const std::string& logPath);

// The UninstallString value: the uninstaller, quoted when it holds a blank
// so that Windows cannot split it, then the quoted log path.
std::string UninstallCommand(const std::string& uninstallerPath, const std::string& logPath);

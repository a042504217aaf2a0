#pragma once
// The folders of this machine that an uninstallation must never remove,
// whatever a log says.

#include <string>

#include "core/uninstall_plan.h"

// The Windows, Program Files and desktop folders, and the other folders of
// the system and the user's profile, in their long form.
core::ProtectedFolders SystemFolders();

// The long form of an existing path ("C:\PROGRA~1" gives "C:\Program Files");
// a path that does not exist is returned unchanged.
std::string LongPath(const std::string& path);

// The absolute form of a path typed relative to the current folder.
std::string FullPath(const std::string& path);

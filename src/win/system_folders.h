#pragma once
// The folders of this machine that an uninstallation must never remove,
// whatever a log says, and that are therefore never an installation folder;
// and the system's way of naming and comparing paths.

#include <string>

#include "core/installation_folder.h"

namespace win {

// The Windows, Program Files and desktop folders, the Programs folders where
// Start-menu groups are made, and the other folders of the system and the
// user's profile, all in their final form.
core::ProtectedFolders SystemFolders();

// Final forms through the opened file (links, junctions and short names
// resolved) and the system's own comparison of names.
core::PathRules SystemPathRules();

// The absolute form of a path typed relative to the current folder.
std::string FullPath(const std::string& path);

}  // namespace win

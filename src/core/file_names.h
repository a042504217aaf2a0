#pragma once
// The rules a name from the manifest must follow before it is joined to a
// folder: the installer applies them in its run, the packaging tool when it
// checks a manifest.

#include <string>

namespace core {

// True when the name is a plain file name that can be joined to a folder:
// not empty, no folder separator, no drive, not "." or "..", no character
// that Windows refuses in a file name, no device name such as NUL or COM1,
// and no final "." or blank, which Windows would drop from the name it makes.
bool IsPlainFileName(const std::string& name);

// True for the name of a Start-menu group: plain file names joined by "\"
// ("Editeur\Korvalix"), so that the group stays inside the Programs folder.
bool IsGroupName(const std::string& name);

}  // namespace core

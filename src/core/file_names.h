#pragma once
// The rules a name from the manifest must follow before it is joined to a
// folder: the installer applies them in its run, the packaging tool when it
// checks a manifest.

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// True when the name is a plain file name that can be joined to a folder:
// not empty, no folder separator, no drive, not "." or "..", no character
// that Windows refuses in a file name, no device name such as NUL or COM1,
// and no final "." or blank, which Windows would drop from the name it makes.
bool IsPlainFileName(const std::string& name);

// True for the name of a Start-menu group: plain file names joined by "\"
// ("Editeur\Korvalix"), so that the group stays inside the Programs folder.
bool IsGroupName(const std::string& name);

// The name of the new file that is written beside `name`, and takes its
// place once whole: "<name>.<8 hexadecimal digits>.<uninstallName>-install.tmp"
// ("korvalix.exe.3f09a1c2.Korvalix-install.tmp").  One that a crash leaves
// behind says what it is and whose, and the next installation of the same
// application removes it.
std::string InstallTempName(const std::string& name, uint32_t random, const std::string& uninstallName);

// True for exactly such a name, made for the application of `uninstallName`.
bool IsInstallTempName(std::string_view fileName, std::string_view uninstallName);

}  // namespace core

#include "General/Shell.h"

#include "core/text.h"
#include "win/files.h"
#include "win/registry.h"
#include "win/shell.h"

namespace {

const char* const kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The group folder inside the given Programs folder, created with its
// parents; empty when it cannot be made.
std::string CreateGroupIn(const std::string& programs, const std::string& groupName) {
    const std::string folder = core::IncludeBackslash(programs) + groupName;
    return win::ForceDirectories(folder) ? folder : std::string();
}

}  // namespace

std::string GetProgramFilesDir() {
    const win::RegistryKey key = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, kCurrentVersionKey, KEY_READ);
    if (key) {
        if (auto folder = win::ReadRegistryString(key, "ProgramFilesDir")) return *folder;
    }
    return "C:\\Program Files";
}

std::string CreateStartMenuGroup(const std::string& groupName) {
    // Without an all users' Programs folder there is no group at all; the
    // user's own folder only stands in for one that refuses the group.
    const std::string common = win::SpecialFolderPath(CSIDL_COMMON_PROGRAMS);
    if (common.empty()) return {};
    std::string folder = CreateGroupIn(common, groupName);
    if (!folder.empty()) return folder;

    const std::string own = win::SpecialFolderPath(CSIDL_PROGRAMS);
    if (own.empty()) return {};
    return CreateGroupIn(own, groupName);
}

bool CreateShortcut(const std::string& target, const std::string& folder, const std::string& name) {
    win::ShellLink link;
    return link.SetPath(target) && link.Save(core::IncludeBackslash(folder) + name + ".lnk");
}

bool CreateDesktopShortcut(const std::string& target, const std::string& name) {
    // The desktop's own path, which the ANSI code page may not hold: only our
    // texts are converted.
    std::wstring desktop = win::SpecialFolderPathW(CSIDL_DESKTOP);
    if (desktop.empty()) return false;
    if (desktop.back() != L'\\') desktop += L'\\';
    win::ShellLink link;
    return link.SetPath(target) && link.Save(desktop + win::AnsiToWide(name + ".lnk"));
}

std::string UninstallCommand(const std::string& uninstallerPath, const std::string& logPath) {
    const bool hasBlank = uninstallerPath.find(' ') != std::string::npos;
    const std::string program = hasBlank ? "\"" + uninstallerPath + "\"" : uninstallerPath;
    return program + " \"" + logPath + "\"";
}

void RegisterUninstaller(const std::string& keyName, const std::string& displayName,
                         const std::string& uninstallerPath, const std::string& logPath) {
    const auto entry = win::CreateRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey + keyName, KEY_ALL_ACCESS);
    // An entry left by an earlier installation stays as it is.
    if (!entry.key || !entry.isNew) return;
    win::WriteRegistryString(entry.key, "DisplayName", displayName);
    win::WriteRegistryString(entry.key, "UninstallString", UninstallCommand(uninstallerPath, logPath));
}

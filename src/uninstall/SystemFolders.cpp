#include "SystemFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "win/files.h"
#include "win/registry.h"
#include "win/shell.h"

namespace {

// Where the installer looked for the Program Files folder.
std::string ProgramFilesSetting() {
    const win::RegistryKey key =
        win::OpenRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_QUERY_VALUE);
    try {
        if (key)
            if (auto value = win::ReadRegistryString(key, "ProgramFilesDir")) return *value;
    } catch (const core::Error&) {
        // A value of another type tells nothing; the shell's answer stands.
    }
    return win::SpecialFolderPath(CSIDL_PROGRAM_FILES);
}

std::string SystemDirectory() {
    char buffer[MAX_PATH + 1];
    const UINT length = ::GetSystemDirectoryA(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

}  // namespace

std::string LongPath(const std::string& path) {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

core::ProtectedFolders SystemFolders() {
    core::ProtectedFolders folders;
    folders.windows = LongPath(win::WindowsFolder());
    folders.programFiles = LongPath(ProgramFilesSetting());
    // The installer resolves "%desktop%\" through the shell's desktop.
    folders.desktop = win::SpecialFolderPath(CSIDL_DESKTOP);
    if (folders.desktop.empty()) folders.desktop = win::SpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
    folders.desktop = LongPath(folders.desktop);

    static const int kShellFolders[] = {
        CSIDL_PROGRAM_FILES,
        CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_SYSTEM,
        CSIDL_SYSTEMX86,
        CSIDL_FONTS,
        CSIDL_PROGRAMS,
        CSIDL_COMMON_PROGRAMS,
        CSIDL_STARTMENU,
        CSIDL_COMMON_STARTMENU,
        CSIDL_STARTUP,
        CSIDL_COMMON_STARTUP,
        CSIDL_DESKTOPDIRECTORY,
        CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_PROFILE,
        CSIDL_PERSONAL,
        CSIDL_COMMON_DOCUMENTS,
        CSIDL_APPDATA,
        CSIDL_LOCAL_APPDATA,
        CSIDL_COMMON_APPDATA,
    };
    for (const int folder : kShellFolders)
        if (std::string path = win::SpecialFolderPath(folder); !path.empty()) folders.others.push_back(LongPath(path));
    // The folder that holds every user's profile.
    if (const std::string profile = win::SpecialFolderPath(CSIDL_PROFILE); !profile.empty())
        folders.others.push_back(LongPath(profile.substr(0, profile.find_last_of('\\'))));
    folders.others.push_back(LongPath(SystemDirectory()));
    folders.others.push_back(LongPath(win::TempFolder()));
    return folders;
}

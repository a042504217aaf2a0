#include "win/system_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "core/text.h"
#include "win/files.h"
#include "win/registry.h"
#include "win/shell.h"

namespace win {

namespace {

const char* const kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// A value of the CurrentVersion key in one view of the registry; empty when
// it has none.
std::string CurrentVersionValue(const char* name, REGSAM view) {
    const win::RegistryKey key = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, kCurrentVersion, KEY_QUERY_VALUE | view);
    try {
        if (key)
            if (auto value = win::ReadRegistryString(key, name)) return *value;
    } catch (const core::Error&) {
        // A value of another type tells nothing.
    }
    return {};
}

// Where the installer looked for the Program Files folder.
std::string ProgramFilesSetting() {
    const std::string stored = CurrentVersionValue("ProgramFilesDir", 0);
    return stored.empty() ? win::SpecialFolderPath(CSIDL_PROGRAM_FILES) : stored;
}

std::string SystemDirectory() {
    char buffer[MAX_PATH + 1];
    const UINT length = ::GetSystemDirectoryA(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

// The folder in its final form when it exists, else as given.
std::string Final(const std::string& folder) {
    if (folder.empty()) return folder;
    const std::string final = win::FinalPath(folder, true);
    return final.empty() ? folder : final;
}

}  // namespace

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

core::ProtectedFolders SystemFolders() {
    core::ProtectedFolders folders;
    const std::string windows = win::WindowsFolder();
    folders.windows = Final(windows);
    folders.programFiles = Final(ProgramFilesSetting());
    // The installer resolves "%desktop%\" through the shell's desktop.
    std::string desktop = win::SpecialFolderPath(CSIDL_DESKTOP);
    if (desktop.empty()) desktop = win::SpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
    folders.desktop = Final(desktop);
    folders.commonDesktop = Final(win::SpecialFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY));
    for (const int programs : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS})
        if (std::string path = win::SpecialFolderPath(programs); !path.empty())
            folders.startMenuRoots.push_back(Final(path));

    static const int kShellFolders[] = {
        CSIDL_PROGRAM_FILES,
        CSIDL_PROGRAM_FILESX86,
        CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86,
        CSIDL_SYSTEM,
        CSIDL_SYSTEMX86,
        CSIDL_FONTS,
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
        if (std::string path = win::SpecialFolderPath(folder); !path.empty()) folders.others.push_back(Final(path));
    // Both Program Files folders and both system folders, whatever the width
    // of this program: a 32-bit one sees the 64-bit ones only through the
    // registry's 64-bit view and the Sysnative alias.
    for (const REGSAM view : {REGSAM{KEY_WOW64_64KEY}, REGSAM{KEY_WOW64_32KEY}})
        for (const char* name : {"ProgramFilesDir", "ProgramFilesDir (x86)", "ProgramW6432Dir", "CommonFilesDir",
                                 "CommonFilesDir (x86)", "CommonW6432Dir"})
            if (std::string path = CurrentVersionValue(name, view); !path.empty())
                folders.others.push_back(Final(path));
    if (!windows.empty())
        for (const char* system : {"System32", "SysWOW64", "Sysnative"})
            folders.others.push_back(Final(core::IncludeBackslash(windows) + system));
    // The folder that holds every user's profile.
    if (const std::string profile = win::SpecialFolderPath(CSIDL_PROFILE); !profile.empty())
        folders.others.push_back(Final(profile.substr(0, profile.find_last_of('\\'))));
    folders.others.push_back(Final(SystemDirectory()));
    folders.others.push_back(Final(win::TempFolder()));
    return folders;
}

core::PathRules SystemPathRules() {
    return {[](const std::string& path) { return win::FinalPath(path, true); },
            [](const std::string& path) { return win::FinalPath(path, false); }};
}

}  // namespace win

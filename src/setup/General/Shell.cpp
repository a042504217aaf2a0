#include "General/Shell.h"

#include <algorithm>

#include "core/journal.h"
#include "core/text.h"
#include "core/upgrade.h"
#include "win/files.h"
#include "win/local_time.h"
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

// A program path with a blank is quoted, so that Windows cannot mistake
// C:\Program.exe for it.
std::string QuotedIfBlank(const std::string& program) {
    return program.find(' ') != std::string::npos ? "\"" + program + "\"" : program;
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

bool CreateDesktopShortcut(const std::string& target, const std::string& name, bool allUsers) {
    // The desktop's own path, which the ANSI code page may not hold: only our
    // texts are converted.
    std::wstring desktop = win::SpecialFolderPathW(allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP);
    if (desktop.empty()) return false;
    if (desktop.back() != L'\\') desktop += L'\\';
    win::ShellLink link;
    return link.SetPath(target) && link.Save(desktop + win::AnsiToWide(name + ".lnk"));
}

std::string UninstallCommand(const std::string& uninstallerPath, const std::string& logPath) {
    return QuotedIfBlank(uninstallerPath) + " \"" + logPath + "\"";
}

std::string QuietUninstallCommand(const std::string& uninstallerPath, const std::string& logPath) {
    return QuotedIfBlank(uninstallerPath) + " /S \"" + logPath + "\"";
}

std::string UninstallKeyPath(const std::string& keyName) { return kUninstallKey + keyName; }

core::EarlierInstallation FindEarlierInstallation(const std::string& keyName) {
    const win::RegistryKey entry = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey + keyName, KEY_READ);
    if (!entry) return {};
    // A value of another type says nothing of a folder.
    const auto text = [&](const char* name) {
        try {
            return win::ReadRegistryString(entry, name).value_or("");
        } catch (const win::RegistryError&) {
            return std::string();
        }
    };
    core::EarlierInstallation earlier{core::FolderOfEntry(text("InstallLocation"), text("UninstallString")),
                                      text("DisplayVersion")};
    // Only a folder that still holds its log is an installation to update.
    if (earlier.folder.empty() || !win::FileExists(earlier.folder + "setup.log")) return {};
    return earlier;
}

EntryWritten RegisterUninstaller(const std::string& keyName, const std::string& displayName,
                         const std::string& uninstallerPath, const std::string& logPath,
                         const UninstallEntryDetails& details) {
    const auto entry = win::CreateRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey + keyName, KEY_ALL_ACCESS);
    if (!entry.key) return EntryWritten::No;
    // The name and the command stay as the first installation wrote them;
    // the rest describes the installation as it stands after this run.
    if (entry.isNew) {
        win::WriteRegistryString(entry.key, "DisplayName", displayName);
        win::WriteRegistryString(entry.key, "UninstallString", UninstallCommand(uninstallerPath, logPath));
    }

    // What the list of installed programs shows, and what package managers
    // use to remove the program without a person.
    const auto writeText = [&](const char* name, const std::string& value) {
        if (!value.empty()) win::WriteRegistryString(entry.key, name, value);
    };
    writeText("DisplayVersion", details.version);
    writeText("InstallLocation", details.installFolder);
    writeText("DisplayIcon", details.icon);
    writeText("Publisher", details.publisher);
    const uint64_t kibibytes = (details.installedBytes + 1023) / 1024;
    win::WriteRegistryDword(entry.key, "EstimatedSize", static_cast<DWORD>(std::min<uint64_t>(kibibytes, MAXDWORD)));
    win::WriteRegistryString(entry.key, "InstallDate", core::CompactDate(win::LocalNow()));
    // The installer can neither change nor repair an installation.
    win::WriteRegistryDword(entry.key, "NoModify", 1);
    win::WriteRegistryDword(entry.key, "NoRepair", 1);
    win::WriteRegistryString(entry.key, "QuietUninstallString", QuietUninstallCommand(uninstallerPath, logPath));
    return entry.isNew ? EntryWritten::Created : EntryWritten::Updated;
}

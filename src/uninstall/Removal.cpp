#include "Removal.h"

#include <windows.h>

#include "core/command_line.h"
#include "win/system_folders.h"
#include "core/text.h"
#include "core/uninstall_plan.h"
#include "win/files.h"
#include "win/handle.h"
#include "win/registry.h"

namespace {

const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool IsNotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

std::string ErrorReason(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
            return "accès refusé";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return "fichier en cours d'utilisation";
        case ERROR_WRITE_PROTECT:
            return "support protégé en écriture";
        default:
            return "erreur " + std::to_string(error);
    }
}

const char* const kInUse = "fichier en cours d'utilisation";
const char* const kPathMoved = "le chemin ne mène plus au même endroit";

// Another program holds the file: it goes once that program has let it go.
bool IsInUse(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// The path itself, never a link's target, shared with everyone.
win::FileHandle OpenItself(const std::string& path, DWORD access) {
    return win::FileHandle(::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// True when the open file is the one the path named when it was judged.
bool LeadsTo(const win::FileHandle& file, const std::string& path) {
    return core::SamePath(win::FinalPathOf(file.get()), path);
}

// A running program's file cannot be deleted (the system says "access
// denied"), nor opened for writing by anyone (it says "in use").
bool IsRunningProgram(const win::FileHandle& file) {
    const win::FileHandle writer(
        ::ReOpenFile(file.get(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    return !writer && IsInUse(::GetLastError());
}

// A file that another program holds goes at the restart, by its path: that
// path is opened again with no rights that the holder's sharing could
// refuse, and scheduled only when it still leads to a file, itself.
RemovalResult ScheduleInUse(const std::string& path, DWORD error) {
    const win::FileHandle file = OpenItself(path, FILE_READ_ATTRIBUTES);
    if (!file) return {core::Outcome::Failed, ErrorReason(error)};
    if (!LeadsTo(file, path)) return {core::Outcome::Refused, kPathMoved};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic))
        return {core::Outcome::Failed, ErrorReason(error)};
    if (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return {core::Outcome::Refused, core::RefusalText(core::Refusal::NamesFolder)};
    if (ScheduleRemovalAtRestart(path)) return {core::Outcome::Scheduled, kInUse};
    return {core::Outcome::Failed, ErrorReason(error)};
}

}  // namespace

bool ScheduleRemovalAtRestart(const std::string& path) {
    return ::MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

RemovalResult RemoveFile(const std::string& path) {
    // Opened, checked and deleted through one handle, the file itself and
    // never a link's target: what is deleted is what was judged, even if a
    // folder on the way was swapped for a link since.
    win::FileHandle file = OpenItself(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    if (!file) {
        const DWORD error = ::GetLastError();
        if (IsNotFound(error)) return {core::Outcome::Missing, {}};
        if (IsInUse(error)) return ScheduleInUse(path, error);
        return {core::Outcome::Failed, ErrorReason(error)};
    }
    if (!LeadsTo(file, path)) return {core::Outcome::Refused, kPathMoved};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic))
        return {core::Outcome::Failed, ErrorReason(::GetLastError())};
    if (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return {core::Outcome::Refused, core::RefusalText(core::Refusal::NamesFolder)};

    // The installed copy may have come read-only from its medium.
    if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) {
        FILE_BASIC_INFO writable = basic;
        writable.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
        if (!writable.FileAttributes) writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        ::SetFileInformationByHandle(file.get(), FileBasicInfo, &writable, sizeof writable);
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition))
        return {core::Outcome::Removed, {}};  // gone when the handle closes
    const DWORD error = ::GetLastError();
    const bool inUse = IsInUse(error) || (error == ERROR_ACCESS_DENIED && IsRunningProgram(file));
    if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic);
    file.reset();
    // Judged through the handle just closed.
    if (inUse && ScheduleRemovalAtRestart(path)) return {core::Outcome::Scheduled, kInUse};
    return {core::Outcome::Failed, ErrorReason(error)};
}

RemovalResult RemoveEmptyFolder(const std::string& path, const std::set<std::string>& scheduledFiles) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {core::Outcome::Missing, {}};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {core::Outcome::Failed, "ce n'est pas un dossier"};
    if (!core::SamePath(win::FinalPath(path, true), path))
        return {core::Outcome::Refused, kPathMoved};
    if (::RemoveDirectoryA(path.c_str())) return {core::Outcome::Removed, {}};
    const DWORD error = ::GetLastError();

    const std::vector<win::FolderEntry> left = win::FolderEntries(path);
    if (left.empty()) return {core::Outcome::Failed, ErrorReason(error)};
    const std::string base = core::IncludeBackslash(core::FolderKey(path));
    for (const win::FolderEntry& entry : left)
        if (!scheduledFiles.count(core::PathKey(base + entry.name))) return {core::Outcome::NotEmpty, {}};
    // What stays goes at the restart, files first, and the folder with them.
    if (ScheduleRemovalAtRestart(core::FolderKey(path)))
        return {core::Outcome::Scheduled, "les fichiers qu'il contient encore sont en cours d'utilisation"};
    return {core::Outcome::NotEmpty, {}};
}

std::string UninstallEntryProgram(const std::string& name, const std::string& logPath) {
    const win::RegistryKey key = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey + name, KEY_QUERY_VALUE);
    if (!key) return {};
    std::optional<std::string> command;
    try {
        command = win::ReadRegistryString(key, "UninstallString");
    } catch (const core::Error&) {
        return {};
    }
    if (!command || !core::UninstallStringNamesLog(*command, logPath, win::SystemPathRules())) return {};
    const std::string program = core::NormalisePath(core::SplitCommandLine(*command).front());
    const std::string final = win::FinalPath(program, false);
    return core::PathKey(final.empty() ? program : final);
}

RemovalResult RemoveUninstallEntry(const std::string& name, const std::string& logPath) {
    const std::string path = kUninstallKey + name;
    {
        const win::RegistryKey key = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE);
        if (!key) return {core::Outcome::Missing, {}};
        std::optional<std::string> command;
        try {
            command = win::ReadRegistryString(key, "UninstallString");
        } catch (const core::Error&) {
            return {core::Outcome::Kept, {}};  // not an entry the installer wrote
        }
        // An entry left by an earlier installation elsewhere still serves it.
        if (command && !core::UninstallStringNamesLog(*command, logPath, win::SystemPathRules()))
            return {core::Outcome::Kept, {}};
    }
    const LONG result = ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
    if (result == ERROR_SUCCESS) return {core::Outcome::Removed, {}};
    if (result == ERROR_FILE_NOT_FOUND) return {core::Outcome::Missing, {}};
    return {core::Outcome::Failed, ErrorReason(static_cast<DWORD>(result))};
}

void SignalRunningCopiesToQuit(const std::string& installFolder, unsigned wait,
                               const std::function<void()>& keepAlive) {
    const std::string signal = core::IncludeBackslash(installFolder) + kQuitSignalName;
    win::FileHandle file(
        ::CreateFileA(signal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    file.reset();

    const DWORD start = ::GetTickCount();
    for (DWORD elapsed = 0; elapsed < wait; elapsed = ::GetTickCount() - start) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait - elapsed, QS_ALLINPUT);
        if (keepAlive) keepAlive();
    }
    ::DeleteFileA(signal.c_str());
}

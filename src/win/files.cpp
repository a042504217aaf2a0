#include "win/files.h"

#include <windows.h>

#include <algorithm>

#include "win/handle.h"

namespace win {

std::string TempFolder() {
    char buffer[256];
    const DWORD length = ::GetTempPathA(sizeof buffer, buffer);
    // A longer path makes the call report the length it needs instead.
    if (length == 0 || length >= sizeof buffer) return {};
    return std::string(buffer, length);
}

std::string WindowsFolder() {
    char buffer[256];
    const UINT length = ::GetWindowsDirectoryA(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    return std::string(buffer, length);
}

std::string ExecutableFolder() {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    std::string path(buffer, length);
    return path.substr(0, path.find_last_of('\\') + 1);
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) return false;
    size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1 << 20));
        DWORD done = 0;
        if (!::WriteFile(file.get(), bytes.data() + written, chunk, &done, nullptr) || done != chunk) return false;
        written += done;
    }
    return ::CloseHandle(file.release()) != 0;
}

bool CreateEmptyFile(const std::string& path) { return WriteWholeFile(path, {}); }

bool DeleteFileIfPresent(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint64_t FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool ForceDirectories(const std::string& path) {
    std::string folder = path;
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    if (folder.empty()) return false;
    if (FolderExists(folder)) return true;
    const size_t parentEnd = folder.find_last_of('\\');
    if (parentEnd != std::string::npos && parentEnd > 0) {
        const std::string parent = folder.substr(0, parentEnd);
        // "C:" alone is a drive, not a folder to create.
        if (!(parent.size() == 2 && parent[1] == ':') && !ForceDirectories(parent)) return false;
    }
    // A folder made meanwhile by someone else counts; a file of that name does not.
    return ::CreateDirectoryA(folder.c_str(), nullptr) || FolderExists(folder);
}

}  // namespace win

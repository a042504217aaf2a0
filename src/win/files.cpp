// rand_s, the C runtime's door to the system's random numbers.
#define _CRT_RAND_S
#include <stdlib.h>

#include "win/files.h"

#include <algorithm>

#include "core/text.h"
#include "win/handle.h"
#include "win/wide_text.h"

namespace win {

std::wstring TempFolderW() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    // A longer path makes the call report the length it needs instead.
    if (length == 0 || length > MAX_PATH) return {};
    return std::wstring(buffer, length);
}

std::string TempFolder() {
    const std::wstring folder = TempFolderW();
    if (folder.empty()) return {};
    std::string ansi = AnsiPath(folder).value_or(std::string());
    return ansi.size() < 256 ? ansi : std::string();
}

std::string WindowsFolder() {
    char buffer[256];
    const UINT length = ::GetWindowsDirectoryA(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return {};
    return std::string(buffer, length);
}

std::wstring ExecutablePathW() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return {};
    return std::wstring(buffer, length);
}

std::string ExecutablePath() {
    const std::wstring path = ExecutablePathW();
    return path.empty() ? std::string() : AnsiPath(path).value_or(std::string());
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::wstring FullPathW(const std::wstring& path) {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH + 1, buffer, nullptr);
    return length > 0 && length <= MAX_PATH ? std::wstring(buffer, length) : path;
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

std::optional<std::string> ReadWholeFile(const std::string& path, uint64_t limit) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !::GetFileSizeEx(file.get(), &size) || static_cast<uint64_t>(size.QuadPart) > limit)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD done = 0;
    for (;;) {
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &done, nullptr)) return std::nullopt;
        if (done == 0) return bytes;
        bytes.append(buffer, done);
    }
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

bool RemoveFolderIfEmpty(const std::string& path) { return ::RemoveDirectoryA(path.c_str()) != 0; }

std::vector<FolderEntry> FolderEntries(const std::string& folder, const std::string& pattern) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found;
    const FindHandle search(::FindFirstFileA((core::IncludeBackslash(folder) + pattern).c_str(), &found));
    if (!search) return entries;
    do {
        const std::string_view name = found.cFileName;
        if (name != "." && name != "..") entries.push_back({found.cFileName, found.dwFileAttributes});
    } while (::FindNextFileA(search.get(), &found));
    return entries;
}

std::vector<std::string> FileNamesIn(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    for (FolderEntry& entry : FolderEntries(folder, pattern))
        if (!entry.IsFolder()) names.push_back(std::move(entry.name));
    return names;
}

std::string FinalPath(const std::string& path, bool followLast) {
    // No access beyond the attributes: a file in use or a folder opens too.
    const FileHandle file(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | (followLast ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                                        nullptr));
    return file ? FinalPathOf(file.get()) : std::string();
}

std::string FinalPathOf(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        const bool fits = length < path.size();
        path.resize(length);
        if (fits) break;
    }
    // "\\?\C:\..." and "\\?\UNC\server\share\..." as the "A" functions write them.
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
        path = L"\\\\" + path.substr(8);
    else if (path.rfind(L"\\\\?\\", 0) == 0)
        path = path.substr(4);
    return AnsiPath(path).value_or(std::string());
}

PrivateSecurity::PrivateSecurity() {
    KernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return;
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<uint8_t> user(size);
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size)) return;
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    sid_.assign(static_cast<const uint8_t*>(sid), static_cast<const uint8_t*>(sid) + ::GetLengthSid(sid));

    acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + sid_.size());
    const auto acl = reinterpret_cast<PACL>(acl_.data());
    valid_ = ::InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) &&
             ::AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS,
                                     sid_.data()) &&
             ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
             ::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) &&
             ::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    attributes_ = {sizeof attributes_, &descriptor_, FALSE};
}

std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix) {
    PrivateSecurity security;
    if (!security.Attributes()) return {};
    // A name already taken, by chance or by someone waiting for us, is never
    // used: the folder must be new.
    for (int attempt = 0; attempt < 8; ++attempt) {
        unsigned int high = 0, low = 0;
        if (rand_s(&high) != 0 || rand_s(&low) != 0) return {};
        const std::string folder = parent + prefix + core::HexText(high, 8, false) + core::HexText(low, 8, false);
        if (::CreateDirectoryA(folder.c_str(), security.Attributes())) return folder + "\\";
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

}  // namespace win

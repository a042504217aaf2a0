#include "win/file_io.h"

#include <windows.h>

#include <algorithm>

namespace win {

FileHandle OpenForReading(const std::string& path) {
    return FileHandle(
        ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<std::string> ReadSmallFile(const std::string& path, uint64_t limit) {
    const FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !::GetFileSizeEx(file.get(), &size) || static_cast<uint64_t>(size.QuadPart) > limit)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return std::nullopt;
    return bytes;
}

bool FileInUse(const std::string& path) {
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return false;
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

std::string CreateTempFileIn(const std::string& folder) {
    char path[MAX_PATH];
    if (::GetTempFileNameA(folder.c_str(), "ins", 0, path) == 0) return {};
    return path;
}

FileHandle CreateForWriting(const std::string& path) {
    return FileHandle(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReplaceWith(const std::string& from, const std::string& to) {
    return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::optional<size_t> FileSource::Read(std::span<uint8_t> buffer) {
    // A 64-bit size could wrap to 0, which would read as the end of the file.
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(buffer.size(), MAXDWORD));
    DWORD done = 0;
    if (!::ReadFile(file_.get(), buffer.data(), wanted, &done, nullptr))
        return std::nullopt;
    return done;
}

bool FileSink::Write(std::span<const uint8_t> bytes) {
    DWORD done = 0;
    return ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
           done == bytes.size();
}

bool FileSink::Flush() {
    return ::FlushFileBuffers(file_.get()) != 0;
}

}  // namespace win

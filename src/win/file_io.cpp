// rand_s, the C runtime's door to the system's random numbers.
#define _CRT_RAND_S
#include <stdlib.h>

#include "win/file_io.h"

#include <windows.h>

#include <algorithm>

#include "core/installation_folder.h"
#include "core/text.h"
#include "win/files.h"

namespace win {

FileHandle OpenForReading(const std::string& path) {
    return FileHandle(
        ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

NewFile CreateTempFileIn(const std::string& folder, const std::function<std::string(uint32_t)>& nameFor) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        unsigned int random = 0;
        if (rand_s(&random) != 0) return {};
        std::string path = folder + nameFor(random);
        FileHandle file = CreateNewForWriting(path);
        if (file) return {std::move(path), std::move(file)};
        if (::GetLastError() != ERROR_FILE_EXISTS) return {};
    }
    return {};
}

FileHandle CreateNewForWriting(const std::string& path) {
    return FileHandle(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle CreateForWriting(const std::string& path) {
    return FileHandle(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

namespace {

// True when the open file is the one the path names, and not what a link of
// that name leads to: its final form is the final form of the path's folder
// and the file's own name.  Wine follows a Unix link even when asked not to,
// and shows no reparse point; the final form gives the link away there too.
bool NamedByItsPath(HANDLE file, const std::string& path) {
    char full[MAX_PATH];
    const DWORD fullLength = ::GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (fullLength == 0 || fullLength >= sizeof full) return false;
    char longPath[MAX_PATH];
    const DWORD longLength = ::GetLongPathNameA(full, longPath, sizeof longPath);
    if (longLength == 0 || longLength >= sizeof longPath) return false;
    const std::string named(longPath, longLength);
    const size_t split = named.find_last_of('\\');
    if (split == std::string::npos) return false;
    // "C:\" for a file at a drive's root, else the folder without its "\".
    const std::string folder = FinalPath(named.substr(0, split == 2 ? 3 : split), true);
    const std::string expected = core::IncludeBackslash(folder) + named.substr(split + 1);
    return !folder.empty() && core::SamePath(FinalPathOf(file), expected);
}

// True when the open file is a plain file of its own at that path: no
// folder, no link or junction, no other name.
bool IsPlainFile(HANDLE file, const std::string& path) {
    BY_HANDLE_FILE_INFORMATION information;
    return ::GetFileInformationByHandle(file, &information) &&
           !(information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
           information.nNumberOfLinks == 1 && NamedByItsPath(file, path);
}

}  // namespace

FileHandle CreatePlainFileForWriting(const std::string& path) {
    // Opened, or created, without following a link and without emptying it:
    // nothing changes before the file is known to be a plain file.
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file || !IsPlainFile(file.get(), path)) return {};
    // Now it may be emptied: the position is at its start.
    if (!::SetEndOfFile(file.get())) return {};
    return file;
}

bool DeletePlainFile(const std::string& path) {
    const FileHandle file(::CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file || !IsPlainFile(file.get(), path)) return false;
    FILE_DISPOSITION_INFO disposition{TRUE};
    return ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
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

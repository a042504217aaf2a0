#pragma once
// Files and folders through the "A" functions.  Paths are Windows-1252 text;
// those taken from Windows follow the rule of wide_text.h.

#include <windows.h>

#include <cstdint>
#include <span>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// The system's temporary folder as GetTempPathW gives it, with its final "\",
// or empty when the call fails.
std::wstring TempFolderW();
// The same as a path the "A" functions can use (AnsiPath), or empty when the
// call fails, when the folder has no such form, or when that does not fit
// 255 characters.
std::string TempFolder();

// The Windows folder, normally without a final "\", or empty.
std::string WindowsFolder();

// The running executable's path in UTF-16, or empty.
std::wstring ExecutablePathW();
// The same as a path the "A" functions can use (AnsiPath), or empty.
std::string ExecutablePath();
// The folder of the running executable, with its final "\"; empty when its
// path has no form the "A" functions can use.
std::string ExecutableFolder();

// The full path of a path given relative to the current folder or drive,
// in UTF-16; the path itself when the system cannot say.
std::wstring FullPathW(const std::wstring& path);

// Creates or truncates the file, writes the bytes and closes it.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes);
// The file's bytes, or none when it cannot be read or holds more than
// `limit` bytes.
std::optional<std::string> ReadWholeFile(const std::string& path, uint64_t limit = UINT64_MAX);
bool CreateEmptyFile(const std::string& path);
bool DeleteFileIfPresent(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The size of a file in bytes; 0 when there is no such file.
uint64_t FileSizeOf(const std::string& path);

// Creates the folder and every missing parent; an existing folder counts.
bool ForceDirectories(const std::string& path);
// Removes the folder if it is empty.
bool RemoveFolderIfEmpty(const std::string& path);
// One entry of a folder, as a search finds it.
struct FolderEntry {
    std::string name;
    DWORD attributes = 0;
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};
// The files and folders directly in `folder` (with or without its final "\")
// whose names match the wildcard `pattern`, in the order the system gives
// them; never "." nor "..".  The search is over when they are returned, so
// the caller may delete or rename what it finds.
std::vector<FolderEntry> FolderEntries(const std::string& folder, const std::string& pattern = "*");
// The names of the files, not folders, among them.
std::vector<std::string> FileNamesIn(const std::string& folder, const std::string& pattern = "*");

// The final path of an existing file or folder, as GetFinalPathNameByHandle
// gives it: links and junctions resolved, long names for short ones, names
// as the disk spells them; "\\server\share\..." for a network path.  With
// `followLast` false, a link that the path names is itself the answer, as
// deleting it deletes the link.  Empty when the path cannot be opened or has
// no form the "A" functions take.
std::string FinalPath(const std::string& path, bool followLast);
// The same for a file already open.
std::string FinalPathOf(HANDLE file);

// A new folder in `parent` (which ends with "\") that only the running
// account may open, named `prefix` and 16 random hexadecimal digits, so that
// nobody can guess it or make it first; its path with a final "\", or empty
// when none could be made.
std::string CreatePrivateFolder(const std::string& parent, const std::string& prefix);

// The security of such a folder: its access list grants the running account
// full access, to the folder and all it will hold, and nobody else anything;
// nothing is inherited from the parent.
class PrivateSecurity {
public:
    PrivateSecurity();
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    // Null when the account's identity could not be read.
    SECURITY_ATTRIBUTES* Attributes() { return valid_ ? &attributes_ : nullptr; }

private:
    std::vector<uint8_t> sid_;
    std::vector<uint8_t> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool valid_ = false;
};

}  // namespace win

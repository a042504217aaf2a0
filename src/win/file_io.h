#pragma once
// Streaming file access for inflation: sources and sinks over open files, and
// the temporary file that a new version is written to before it replaces the
// old one.

#include <cstdint>
#include <optional>
#include <functional>
#include <string>

#include "core/inflate.h"
#include "win/handle.h"

namespace win {

// Opens an existing file for reading, shared with nobody.
FileHandle OpenForReading(const std::string& path);

// True when the file exists but cannot be opened for writing, as when the
// program it holds is running.  A missing file is not in use.
bool FileInUse(const std::string& path);

// Creates an empty file with a fresh name in the folder (which ends with "\")
// and returns its path, or empty when the folder takes no new file.
std::string CreateTempFileIn(const std::string& folder);

// A file just made, open for writing and shared with nobody; an empty path
// when it could not be made.
struct NewFile {
    std::string path;
    FileHandle file;
};

// Creates a file named by `nameFor` from a random number in the folder; a
// name already taken is never used.
NewFile CreateTempFileIn(const std::string& folder, const std::function<std::string(uint32_t)>& nameFor);

// Creates a file that must not exist yet, for writing, shared with nobody.
FileHandle CreateNewForWriting(const std::string& path);

// Opens a file for writing, replacing its contents, shared with nobody.
FileHandle CreateForWriting(const std::string& path);

// Creates a file, or empties an existing one, for writing, shared for
// reading; but only a plain file of its own: nothing happens to a folder, a
// link or junction (which another user may have put there to point the
// writer at any file) or a file with other names (hard links).  Such a path
// gives an empty handle, as does one that cannot be opened.
FileHandle CreatePlainFileForWriting(const std::string& path);

// Deletes a plain file of its own, through the handle that was checked; a
// folder, a link (not what it leads to) or a file with other names stays.
// True when it went.
bool DeletePlainFile(const std::string& path);

// Moves `from` over `to` in one step, replacing `to` if it exists.
bool ReplaceWith(const std::string& from, const std::string& to);

class FileSource final : public core::InflateSource {
public:
    explicit FileSource(const FileHandle& file) : file_(file) {}
    std::optional<size_t> Read(std::span<uint8_t> buffer) override;

private:
    const FileHandle& file_;
};

// Writes to a file.  Only Flush forces what was written to the disk; the
// writer thread behind the inflation calls it (win::BackgroundSink).
class FileSink final : public core::InflateSink {
public:
    explicit FileSink(const FileHandle& file) : file_(file) {}
    bool Write(std::span<const uint8_t> bytes) override;
    // Puts what is still held in memory on the disk; false when it failed,
    // as it does when the disk refuses data it accepted earlier.
    bool Flush();

private:
    const FileHandle& file_;
};

}  // namespace win

#pragma once
// Writing a profile (ini) file through one handle, in exactly the bytes the
// platform's WritePrivateProfileString would leave in it.  The platform
// writes the whole file again on every call, which makes a log of N entries
// cost N squared; this writer puts on the disk only what a change moved: a
// new section at the end, a value of the same length in place.

#include <optional>
#include <string>

#include "core/profile_text.h"
#include "win/handle.h"

namespace win {

class ProfileWriter {
public:
    // Reads the file as it stands; nothing is written before the first
    // change.  A file in another encoding than the ANSI code page's (a byte
    // order mark, a NUL, a code page of several bytes a character) is left
    // to the platform's own functions, which keep its encoding.
    explicit ProfileWriter(std::string path);

    ProfileWriter(const ProfileWriter&) = delete;
    ProfileWriter& operator=(const ProfileWriter&) = delete;

    // key=value in the section, written through to the system at once, as
    // the platform does: a process that dies afterwards leaves it in the
    // file.  False when the file could not be written.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Puts what was written on the disk, so that a power cut keeps it too.
    bool Flush();

    const std::string& Path() const { return path_; }

private:
    bool Store(const core::ProfileText::Change& change, size_t oldSize);
    bool WriteAt(size_t offset, const std::string& bytes);

    std::string path_;
    FileHandle file_;  // opened for writing at the first change
    std::optional<core::ProfileText> text_;  // none: the platform writes this file
    bool whole_ = false;  // the file holds text_'s bytes, and nothing else
};

}  // namespace win

#include "win/profile_writer.h"

#include <windows.h>

#include <string_view>

#include "win/files.h"

namespace win {

namespace {

// The bytes of the file, or none when it cannot be read; a missing file is
// empty.
std::optional<std::string> ReadAll(const std::string& path) {
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (bytes) return bytes;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::string();
    return std::nullopt;
}

// Only text the platform reads byte for byte into its profile can be
// written here: it keeps any other encoding as it found it.
bool PlainAnsi(std::string_view bytes) {
    CPINFO codePage{};
    if (!::GetCPInfo(CP_ACP, &codePage) || codePage.MaxCharSize != 1) return false;
    if (bytes.find('\0') != std::string_view::npos) return false;
    return !(bytes.substr(0, 3) == "\xEF\xBB\xBF" || bytes.substr(0, 2) == "\xFF\xFE" ||
             bytes.substr(0, 2) == "\xFE\xFF");
}

}  // namespace

ProfileWriter::ProfileWriter(std::string path) : path_(std::move(path)) {
    const std::optional<std::string> bytes = ReadAll(path_);
    if (!bytes || !PlainAnsi(*bytes)) return;
    text_ = core::ProfileText::Parse(*bytes);
    // The platform writes the file in its own form on the first change.
    whole_ = text_->Text() == *bytes;
}

bool ProfileWriter::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (!text_) return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != 0;
    const size_t oldSize = text_->Size();
    const core::ProfileText::Change change = text_->Set(section, key, value);
    if (!change.changed) return true;
    if (!file_) {
        file_.reset(::CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file_) return false;
    }
    return Store(change, oldSize);
}

bool ProfileWriter::Store(const core::ProfileText::Change& change, size_t oldSize) {
    if (!whole_) {
        whole_ = WriteAt(0, text_->Text()) && ::SetEndOfFile(file_.get());
        return whole_;
    }
    const size_t offset = text_->OffsetOf(change.section);
    const std::string section = text_->SectionText(change.section);
    // A section that kept its length is written in place; one that grew or
    // shrank moves every section after it.
    if (section.size() == change.oldSize) return whole_ = WriteAt(offset, section);
    if (!WriteAt(offset, text_->TextFrom(change.section))) return whole_ = false;
    if (text_->Size() < oldSize && !::SetEndOfFile(file_.get())) return whole_ = false;
    return true;
}

bool ProfileWriter::WriteAt(size_t offset, const std::string& bytes) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN)) return false;
    DWORD done = 0;
    return ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
           done == bytes.size();
}

bool ProfileWriter::Flush() { return !file_ || ::FlushFileBuffers(file_.get()); }

}  // namespace win

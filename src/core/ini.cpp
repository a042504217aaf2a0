#include "core/ini.h"

#include "core/text.h"

namespace core {

namespace {

// Copies at most bufferSize - 1 characters and removes one pair of matching
// quotes; the closing quote only when it fits into the buffer.
std::string CopyEntry(std::string_view value, size_t bufferSize) {
    if (bufferSize == 0) return {};
    bool quoted = false;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        quoted = true;
        value.remove_prefix(1);
    }
    std::string copy(value.substr(0, bufferSize - 1));
    if (quoted && bufferSize >= value.size() && !copy.empty()) copy.pop_back();
    return copy;
}


}  // namespace

IniFile IniFile::Parse(std::string_view bytes) {
    IniFile file;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    file.sections_.push_back({});  // entries above the first header

    size_t position = 0;
    while (position < bytes.size()) {
        size_t end = position;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
        std::string_view line = TrimProfileBlanks(bytes.substr(position, end - position));
        position = end;
        while (position < bytes.size() && (bytes[position] == '\n' || bytes[position] == '\r')) ++position;
        if (line.empty()) continue;

        if (line.front() == '[') {
            const size_t close = line.rfind(']');
            if (close != std::string_view::npos && close > 0) {
                file.sections_.push_back({std::string(TrimProfileBlanks(line.substr(1, close - 1))), {}});
                continue;
            }
            // A header without "]" is read as an ordinary line.
        }

        Entry entry;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            entry.key = std::string(line);
        } else {
            entry.key = std::string(TrimProfileBlanks(line.substr(0, equals)));
            entry.value = std::string(TrimProfileBlanks(line.substr(equals + 1)));
        }
        file.sections_.back().entries.push_back(std::move(entry));
    }
    for (size_t i = 0; i < file.sections_.size(); ++i) file.firstOfName_.emplace(LowerAscii(file.sections_[i].name), i);
    return file;
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const {
    // Only the first section of a name counts, as on the platform.
    const auto found = firstOfName_.find(LowerAscii(TrimProfileBlanks(section)));
    return found == firstOfName_.end() ? nullptr : &sections_[found->second];
}

const std::string* IniFile::FindValue(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (!found) return nullptr;
    key = TrimProfileBlanks(key);
    for (const Entry& entry : found->entries)
        if (EqualsIgnoreCase(entry.key, key)) return entry.value ? &*entry.value : nullptr;
    return nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback,
                                size_t bufferSize) const {
    if (const std::string* value = FindValue(section, key)) return CopyEntry(*value, bufferSize);
    while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
    return CopyEntry(fallback, bufferSize);
}

int32_t IniFile::ReadInt(std::string_view section, std::string_view key, int32_t fallback) const {
    const std::string text = ReadString(section, key, "", 30);
    if (text.empty()) return fallback;

    // Leading control characters and blanks, a sign, an optional "0x", "0o" or
    // "0b", then digits up to the first character that is none; the total
    // wraps around at 32 bits.
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        if (text[i + 1] == 'x') base = 16;
        else if (text[i + 1] == 'o') base = 8;
        else if (text[i + 1] == 'b') base = 2;
        if (base != 10) i += 2;
    }
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'z') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'Z') digit = c - 'A' + 10;
        if (digit < 0 || static_cast<uint32_t>(digit) >= base) break;
        total = total * base + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(negative ? 0u - total : total);
}

}  // namespace core

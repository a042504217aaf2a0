#pragma once
// A profile (ini) file as the platform's WritePrivateProfileString keeps it:
// the sections and keys it reads from the file, changed by each write with
// the platform's rules, and the exact bytes it would write back.  The text
// is kept section by section, so that a writer can put on the disk only what
// a change moved, instead of the whole file as the platform does on every
// call.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

class ProfileText {
public:
    // Reads a file's bytes as the platform does when it loads a profile in
    // the ANSI code page: lines end at CR or LF, blanks around lines are
    // dropped, blank lines vanish.
    static ProfileText Parse(std::string_view bytes);

    struct Change {
        bool changed = false;  // false when the key already held the value
        size_t section = 0;    // the section the key is in
        size_t oldSize = 0;    // that section's bytes before the change (0 when new)
    };
    // key=value in the section, as the platform writes it: the first section
    // and key of the name, without regard to ASCII case; leading blanks of
    // the value dropped; a new key at the end of its section, a new section
    // at the end of the file.
    Change Set(std::string_view section, std::string_view key, std::string_view value);

    // The bytes the platform writes for the whole file, for one section, and
    // for every section from one on; where a section starts in the file.
    std::string Text() const { return TextFrom(0); }
    std::string TextFrom(size_t section) const;
    std::string SectionText(size_t section) const;
    size_t OffsetOf(size_t section) const;
    size_t Size() const { return size_; }

private:
    struct Key {
        std::string name;
        std::optional<std::string> value;  // a line without "=" has none
    };
    struct Section {
        std::string name;  // empty for the lines above the first header
        std::vector<Key> keys;
        size_t size = 0;   // of its text
    };
    static size_t SizeOf(const Section& section);
    void Append(Section section);

    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> firstOfName_;  // ASCII lower case
    size_t size_ = 0;
};

}  // namespace core

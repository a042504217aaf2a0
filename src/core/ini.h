#pragma once
// A reader for profile (ini) files that follows the observable rules of the
// platform's GetPrivateProfileString and GetPrivateProfileInt, so that code
// built without Windows (the packaging tool, the unit tests) reads a manifest
// exactly as the installer will.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

// Read access to one profile file.  The installer reads through the platform's
// own functions; everything else reads through IniFile below.
class ProfileSource {
public:
    virtual ~ProfileSource() = default;

    // At most bufferSize - 1 characters of the value, or of the default when
    // the key has no value.  One pair of matching quotes around the value is
    // removed.  The length of the result is the count the platform returns.
    virtual std::string ReadString(std::string_view section, std::string_view key,
                                   std::string_view fallback, size_t bufferSize) const = 0;

    // The platform's integer reading: the default only when the value is
    // missing or empty; otherwise the leading number, 0 when there is none.
    virtual int32_t ReadInt(std::string_view section, std::string_view key, int32_t fallback) const = 0;
};

class IniFile final : public ProfileSource {
public:
    struct Entry {
        std::string key;
        std::optional<std::string> value;  // a line without "=" has none
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    // Parses the bytes of a file.  Lines end at CR or LF; blanks around lines,
    // keys and values are dropped; lines before the first section header form
    // a section with an empty name.
    static IniFile Parse(std::string_view bytes);

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback, size_t bufferSize) const override;
    int32_t ReadInt(std::string_view section, std::string_view key, int32_t fallback) const override;

    // The value as stored, before quotes are removed, or nothing when the key
    // is missing or has no "=".
    const std::string* FindValue(std::string_view section, std::string_view key) const;
    const Section* FindSection(std::string_view section) const;
    const std::vector<Section>& Sections() const { return sections_; }

private:
    std::vector<Section> sections_;
    // The first section of each name, in ASCII lower case: a manifest of
    // thousands of files is read in time linear in their number.
    std::unordered_map<std::string, size_t> firstOfName_;
};

}  // namespace core

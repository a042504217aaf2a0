#include "core/profile_text.h"

#include "core/text.h"

namespace core {

ProfileText ProfileText::Parse(std::string_view bytes) {
    ProfileText text;
    Section current;  // the lines above the first header
    bool lastKeyUnnamed = false;
    size_t position = 0;
    while (position < bytes.size()) {
        size_t end = position;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
        const std::string_view line = TrimProfileBlanks(bytes.substr(position, end - position));
        position = end;
        while (position < bytes.size() && (bytes[position] == '\n' || bytes[position] == '\r')) ++position;
        if (line.empty()) continue;

        if (line.front() == '[') {
            const size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                text.Append(std::move(current));
                current = Section{std::string(TrimProfileBlanks(line.substr(1, close - 1))), {}, 0};
                lastKeyUnnamed = false;
                continue;
            }
        }
        Key key;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            key.name = std::string(line);
        } else {
            key.name = std::string(TrimProfileBlanksBack(line.substr(0, equals)));
            key.value = std::string(TrimProfileBlanksFront(line.substr(equals + 1)));
        }
        // The platform drops a line without a name after another one.
        const bool unnamed = key.name.empty();
        if (unnamed && lastKeyUnnamed && !current.keys.empty()) continue;
        lastKeyUnnamed = unnamed;
        current.keys.push_back(std::move(key));
    }
    text.Append(std::move(current));
    return text;
}

size_t ProfileText::SizeOf(const Section& section) {
    size_t size = section.name.empty() ? 0 : section.name.size() + 4;
    for (const Key& key : section.keys) size += key.name.size() + 2 + (key.value ? key.value->size() + 1 : 0);
    return size;
}

void ProfileText::Append(Section section) {
    section.size = SizeOf(section);
    size_ += section.size;
    firstOfName_.emplace(LowerAscii(section.name), sections_.size());
    sections_.push_back(std::move(section));
}

ProfileText::Change ProfileText::Set(std::string_view sectionName, std::string_view keyName, std::string_view value) {
    value = TrimProfileBlanksFront(value);
    // Names are looked up without their blanks; a new one keeps those after it.
    sectionName = TrimProfileBlanksFront(sectionName);
    keyName = TrimProfileBlanksFront(keyName);
    const auto found = firstOfName_.find(LowerAscii(TrimProfileBlanksBack(sectionName)));
    if (found == firstOfName_.end()) {
        Append(Section{std::string(sectionName), {Key{std::string(keyName), std::string(value)}}, 0});
        return {true, sections_.size() - 1, 0};
    }
    Section& section = sections_[found->second];
    const Change change{true, found->second, section.size};
    const std::string_view wanted = TrimProfileBlanksBack(keyName);
    Key* key = nullptr;
    for (Key& candidate : section.keys)
        if (EqualsIgnoreCase(candidate.name, wanted)) {
            key = &candidate;
            break;
        }
    if (!key) {
        section.keys.push_back(Key{std::string(keyName), std::nullopt});
        key = &section.keys.back();
    } else if (key->value && *key->value == value) {
        return {false, found->second, section.size};
    }
    key->value = std::string(value);
    size_ -= section.size;
    section.size = SizeOf(section);
    size_ += section.size;
    return change;
}

std::string ProfileText::SectionText(size_t index) const {
    const Section& section = sections_[index];
    std::string text;
    text.reserve(section.size);
    if (!section.name.empty()) text.append("[").append(section.name).append("]\r\n");
    for (const Key& key : section.keys) {
        text += key.name;
        if (key.value) text.append("=").append(*key.value);
        text += "\r\n";
    }
    return text;
}

std::string ProfileText::TextFrom(size_t section) const {
    std::string text;
    text.reserve(size_ - OffsetOf(section));
    for (size_t i = section; i < sections_.size(); ++i) text += SectionText(i);
    return text;
}

size_t ProfileText::OffsetOf(size_t section) const {
    size_t offset = 0;
    for (size_t i = 0; i < section && i < sections_.size(); ++i) offset += sections_[i].size;
    return offset;
}

}  // namespace core

#include "core/checksums.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <string_view>

namespace core {

namespace {

constexpr std::string_view kHeader = "CRC32 ";
constexpr std::string_view kLineEnd = "\r\n";

// Takes the next line, without its CRLF; nothing when no CRLF is left.
std::optional<std::string_view> TakeLine(std::string_view& text) {
    const size_t end = text.find(kLineEnd);
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + kLineEnd.size());
    return line;
}

// Decimal digits up to the next blank or the end; at most 19, so that they
// fit.  Leading zeros are refused by the comparison with the canonical text.
std::optional<uint64_t> TakeDecimal(std::string_view& text) {
    uint64_t value = 0;
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        if (digits == 19) return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(text[digits] - '0');
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    text.remove_prefix(digits);
    return value;
}

std::optional<uint32_t> TakeCrc(std::string_view& text) {
    if (text.size() < 8) return std::nullopt;
    uint32_t value = 0;
    for (size_t i = 0; i < 8; ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    text.remove_prefix(8);
    return value;
}

bool TakeBlank(std::string_view& text) {
    if (text.empty() || text.front() != ' ') return false;
    text.remove_prefix(1);
    return true;
}

std::optional<ResourceChecksum> ParseLine(std::string_view line) {
    ResourceChecksum entry;
    const auto crc = TakeCrc(line);
    if (!crc || !TakeBlank(line)) return std::nullopt;
    const auto size = TakeDecimal(line);
    if (!size || !TakeBlank(line)) return std::nullopt;
    if (line.empty() || line.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    entry.crc = *crc;
    entry.size = *size;
    entry.name = std::string(line);
    return entry;
}

}  // namespace

uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc) {
    // zlib counts in uInt; larger spans go in pieces.
    uLong value = crc;
    while (!bytes.empty()) {
        const size_t piece = std::min<size_t>(bytes.size(), std::numeric_limits<uInt>::max());
        value = crc32(value, bytes.data(), static_cast<uInt>(piece));
        bytes = bytes.subspan(piece);
    }
    return static_cast<uint32_t>(value);
}

ResourceChecksum ChecksumOf(const std::string& name, std::span<const uint8_t> bytes) {
    return {name, bytes.size(), Crc32(bytes)};
}

std::string FormatChecksums(const std::vector<ResourceChecksum>& entries) {
    static const char hex[] = "0123456789abcdef";
    std::string text = std::string(kHeader) + std::to_string(entries.size()) + std::string(kLineEnd);
    for (const ResourceChecksum& entry : entries) {
        for (int shift = 28; shift >= 0; shift -= 4) text += hex[(entry.crc >> shift) & 0xF];
        text += ' ' + std::to_string(entry.size) + ' ' + entry.name + std::string(kLineEnd);
    }
    return text;
}

std::optional<std::vector<ResourceChecksum>> ParseChecksums(std::span<const uint8_t> bytes) {
    const std::string_view whole(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string_view text = whole;
    const auto header = TakeLine(text);
    if (!header || !header->starts_with(kHeader)) return std::nullopt;
    std::string_view countText = header->substr(kHeader.size());
    const auto count = TakeDecimal(countText);
    if (!count || !countText.empty()) return std::nullopt;

    std::vector<ResourceChecksum> entries;
    while (!text.empty()) {
        const auto line = TakeLine(text);
        if (!line) return std::nullopt;
        auto entry = ParseLine(*line);
        if (!entry) return std::nullopt;
        entries.push_back(std::move(*entry));
    }
    if (entries.size() != *count) return std::nullopt;
    // One spelling only: a leading zero or any other variant is damage.
    if (FormatChecksums(entries) != whole) return std::nullopt;
    return entries;
}

Integrity VerifyChecksums(const std::vector<ResourceChecksum>& entries, const ResourceLookup& lookup,
                          const IntegrityProgress& progress) {
    std::vector<std::span<const uint8_t>> found;
    uint64_t total = 0;
    for (const ResourceChecksum& entry : entries) {
        const auto bytes = lookup(entry.name);
        if (!bytes || bytes->size() != entry.size) return Integrity::Damaged;
        found.push_back(*bytes);
        total += entry.size;
    }
    uint64_t done = 0;
    if (progress && !progress(done, total)) return Integrity::Stopped;
    for (size_t i = 0; i < entries.size(); ++i) {
        uint32_t crc = 0;
        for (std::span<const uint8_t> rest = found[i]; !rest.empty();) {
            const size_t piece = std::min(rest.size(), kIntegrityPiece);
            crc = Crc32(rest.first(piece), crc);
            rest = rest.subspan(piece);
            done += piece;
            if (progress && !progress(done, total)) return Integrity::Stopped;
        }
        if (crc != entries[i].crc) return Integrity::Damaged;
    }
    return Integrity::Intact;
}

}  // namespace core

#pragma once
// The installer's list of its own resources and their CRC-32s, the RCDATA
// resource SETUP.CRC that mkinstall writes beside the manifest and the
// payloads.  The installer checks every listed resource before it changes
// anything, so that a download cut short or a flipped byte is refused whole
// instead of showing up halfway through a run.
//
// The text is ASCII but for the names (Windows-1252, as the manifest spells
// them), with CRLF line ends:
//
//     CRC32 3
//     1c291ca3 1234 SETUP.LST
//     5a0e8f21 272926 korvalix.exe.Z
//     ...
//
// The first line gives the number of lines that follow; each then holds the
// CRC-32 of the resource's bytes (zlib's crc32, eight lower-case hexadecimal
// digits), their number (decimal, no leading zero) and the resource's name,
// which runs to the end of the line.  Only that exact form is read, so that
// damage to the list itself is seen as damage too.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace core {

inline constexpr const char* kChecksumResourceName = "SETUP.CRC";

struct ResourceChecksum {
    std::string name;
    uint64_t size = 0;
    uint32_t crc = 0;
    bool operator==(const ResourceChecksum&) const = default;
};

// zlib's CRC-32 of any number of bytes, continuing from `crc`.
uint32_t Crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);

ResourceChecksum ChecksumOf(const std::string& name, std::span<const uint8_t> bytes);

// The resource's text for these entries, in their order.  Names must be
// neither empty nor hold a line break.
std::string FormatChecksums(const std::vector<ResourceChecksum>& entries);

// The entries of a resource's text; nothing when it is not exactly what
// FormatChecksums writes.
std::optional<std::vector<ResourceChecksum>> ParseChecksums(std::span<const uint8_t> text);

enum class Integrity {
    Intact,
    Damaged,  // a resource missing, or of other bytes than recorded
    Stopped,  // the caller asked to stop before the end
};

// A resource's bytes by name, or nothing when it is missing.
using ResourceLookup = std::function<std::optional<std::span<const uint8_t>>(const std::string& name)>;
// Told the bytes checked so far and the total after each piece; returns
// false to stop.
using IntegrityProgress = std::function<bool(uint64_t done, uint64_t total)>;

// The bytes checked between two calls of `progress`: a few milliseconds of
// work, so that a window stays responsive.
inline constexpr size_t kIntegrityPiece = size_t{1} << 20;

// Checks every entry against the resource of its name: it must be there, of
// the recorded size, with the recorded CRC-32.  Sizes are compared first, so
// a cut resource costs nothing to find.
Integrity VerifyChecksums(const std::vector<ResourceChecksum>& entries, const ResourceLookup& lookup,
                          const IntegrityProgress& progress = {});

}  // namespace core

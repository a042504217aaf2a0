// The installer's checksum list on arbitrary bytes, as a damaged installer
// hands it over: it is either refused, or read into entries that write out
// as exactly the bytes read, and checking them never reads past a resource.
#include <cstdlib>
#include <span>
#include <string>

#include "core/checksums.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const auto entries = core::ParseChecksums(bytes);
    if (!entries) return 0;
    Check(core::FormatChecksums(*entries) == std::string(reinterpret_cast<const char*>(data), size));
    // The list itself stands in for every resource it names.
    const auto verdict = core::VerifyChecksums(
        *entries, [&](const std::string&) -> std::optional<std::span<const uint8_t>> { return bytes; });
    for (const core::ResourceChecksum& entry : *entries)
        if (entry.size != size) Check(verdict == core::Integrity::Damaged);
    return 0;
}

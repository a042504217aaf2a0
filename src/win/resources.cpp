#include "win/resources.h"

#include <windows.h>

namespace win {

std::optional<std::span<const uint8_t>> FindRawData(const std::string& name) {
    HRSRC found = ::FindResourceA(nullptr, name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return std::nullopt;
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    if (!loaded) return std::nullopt;
    const void* bytes = ::LockResource(loaded);
    if (!bytes) return std::nullopt;
    return std::span<const uint8_t>(static_cast<const uint8_t*>(bytes), ::SizeofResource(nullptr, found));
}

}  // namespace win

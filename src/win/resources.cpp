#include "win/resources.h"

#include <windows.h>

#include "core/text.h"

namespace win {

std::optional<std::span<const uint8_t>> FindRawData(const std::string& name) {
    // mkinstall names the resources in UTF-16 from the Windows-1252 text, with
    // this same table, whatever the machine.  FindResourceA would convert
    // with the machine's ANSI code page instead, and on a Polish or a Russian
    // Windows miss every name with an accent.  The loader still capitalises
    // what it looks up, as mkinstall capitalised what it stored.
    std::wstring wide;
    for (const char byte : name) wide += static_cast<wchar_t>(core::Cp1252ToUnicode(static_cast<unsigned char>(byte)));
    HRSRC found = ::FindResourceW(nullptr, wide.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!found) return std::nullopt;
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    if (!loaded) return std::nullopt;
    const void* bytes = ::LockResource(loaded);
    if (!bytes) return std::nullopt;
    return std::span<const uint8_t>(static_cast<const uint8_t*>(bytes), ::SizeofResource(nullptr, found));
}

}  // namespace win

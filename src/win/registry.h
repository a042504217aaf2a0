#pragma once
// Registry keys, string and number values through the "A" functions.  Key
// paths are given without a leading "\": the platform's functions take them
// relative to the root key and refuse a leading separator.

#include <windows.h>

#include <optional>
#include <string>

#include "core/errors.h"
#include "win/handle.h"

namespace win {

// A value of the wrong type or one that could not be written.
class RegistryError : public core::Error {
public:
    using core::Error::Error;
};

// The key opened with the given access, or an empty key when it is missing
// or the access is refused.
RegistryKey OpenRegistryKey(HKEY root, const std::string& path, REGSAM access);

struct CreatedRegistryKey {
    RegistryKey key;     // empty when the key could neither be created nor opened
    bool isNew = false;  // false when the key stood there already
};

// Creates a non-volatile key with its missing parents, or opens it when it
// exists; one call, so nothing can slip in between the test and the creation.
CreatedRegistryKey CreateRegistryKey(HKEY root, const std::string& path, REGSAM access);

// The text of a REG_SZ or REG_EXPAND_SZ value, as stored (no expansion).
// Nothing when the value is missing or unreadable; a value of another type
// raises "Type de données incorrect pour '<name>'".
std::optional<std::string> ReadRegistryString(const RegistryKey& key, const std::string& name);

// Writes a REG_SZ value whose size counts the terminating zero; a refused
// write raises "Echec à la définition des données pour '<name>'".
void WriteRegistryString(const RegistryKey& key, const std::string& name, const std::string& value);

// Writes a REG_DWORD value; a refused write raises the same error.
void WriteRegistryDword(const RegistryKey& key, const std::string& name, DWORD value);

}  // namespace win

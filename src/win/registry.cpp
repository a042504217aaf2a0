#include "win/registry.h"

#include <vector>

namespace win {

RegistryKey OpenRegistryKey(HKEY root, const std::string& path, REGSAM access) {
    RegistryKey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS) return {};
    return key;
}

CreatedRegistryKey CreateRegistryKey(HKEY root, const std::string& path, REGSAM access) {
    RegistryKey key;
    DWORD disposition = 0;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key.put(),
                          &disposition) != ERROR_SUCCESS)
        return {};
    return {std::move(key), disposition == REG_CREATED_NEW_KEY};
}

std::optional<std::string> ReadRegistryString(const RegistryKey& key, const std::string& name) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw RegistryError("Type de données incorrect pour '" + name + "'");

    // The value may grow between the two calls; ask again until it fits.
    std::vector<char> data;
    LONG status;
    do {
        data.resize(size + 1);
        size = static_cast<DWORD>(data.size());
        status = ::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(data.data()), &size);
    } while (status == ERROR_MORE_DATA);
    if (status != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw RegistryError("Type de données incorrect pour '" + name + "'");

    // Stored strings need not end with a zero, and may hold several.
    std::string text(data.data(), size);
    return text.substr(0, text.find('\0'));
}

void WriteRegistryString(const RegistryKey& key, const std::string& name, const std::string& value) {
    if (::RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
        throw RegistryError("Echec à la définition des données pour '" + name + "'");
}

void WriteRegistryDword(const RegistryKey& key, const std::string& name, DWORD value) {
    if (::RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                         sizeof value) != ERROR_SUCCESS)
        throw RegistryError("Echec à la définition des données pour '" + name + "'");
}

}  // namespace win

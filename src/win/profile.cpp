#include "win/profile.h"

#include <windows.h>

#include <vector>

namespace win {

std::string ProfileFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback,
                                    size_t bufferSize) const {
    if (bufferSize == 0) return {};
    std::vector<char> buffer(bufferSize);
    const DWORD count = ::GetPrivateProfileStringA(std::string(section).c_str(), std::string(key).c_str(),
                                                   std::string(fallback).c_str(), buffer.data(),
                                                   static_cast<DWORD>(bufferSize), path_.c_str());
    return std::string(buffer.data(), count);
}

int32_t ProfileFile::ReadInt(std::string_view section, std::string_view key, int32_t fallback) const {
    return static_cast<int32_t>(::GetPrivateProfileIntA(std::string(section).c_str(), std::string(key).c_str(),
                                                         fallback, path_.c_str()));
}

bool ProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != 0;
}

void ProfileFile::Flush() const { ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str()); }

}  // namespace win

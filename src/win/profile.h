#pragma once
// Profile (ini) files through the platform's own functions.

#include <string>

#include "core/ini.h"

namespace win {

class ProfileFile final : public core::ProfileSource {
public:
    explicit ProfileFile(std::string path) : path_(std::move(path)) {}

    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback,
                           size_t bufferSize) const override;
    int32_t ReadInt(std::string_view section, std::string_view key, int32_t fallback) const override;

    // False when the platform refused the write.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) const;

    // Writes the platform's cached copy of the file to disk.
    void Flush() const;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace win

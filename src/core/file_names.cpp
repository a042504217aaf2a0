#include "core/file_names.h"

#include <string_view>

namespace core {

namespace {

// Windows opens a device, not a file, for these names, whatever extension
// follows and however many dots or blanks end them: "NUL.txt" and "con ".
bool IsDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    static constexpr std::string_view kDevices[] = {
        "CON",  "PRN",  "AUX",  "NUL",  "CONIN$", "CONOUT$", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
        "COM7", "COM8", "COM9", "LPT1", "LPT2",   "LPT3",    "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    for (const std::string_view device : kDevices)
        if (base == device) return true;
    return false;
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 32) return false;
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) return false;
    }
    return !IsDeviceName(name);
}

bool IsGroupName(const std::string& name) {
    size_t start = 0;
    for (;;) {
        const size_t end = name.find('\\', start);
        if (!IsPlainFileName(name.substr(start, end == std::string::npos ? std::string::npos : end - start))) return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

}  // namespace core

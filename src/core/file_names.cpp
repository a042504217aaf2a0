#include "core/file_names.h"

#include <string_view>

#include "core/installation_folder.h"
#include "core/text.h"

namespace core {

namespace {

// Windows opens a device, not a file, for these names, whatever extension
// follows and however many dots or blanks end them: "NUL.txt" and "con ".
constexpr std::string_view kInstallTempEnd = "-install.tmp";
constexpr size_t kRandomDigits = 8;

bool IsLowerHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

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

std::string InstallTempName(const std::string& name, uint32_t random, const std::string& uninstallName) {
    return name + "." + HexText(random, kRandomDigits, false) + "." + uninstallName + std::string(kInstallTempEnd);
}

bool IsInstallTempName(std::string_view fileName, std::string_view uninstallName) {
    // "<name>." then the digits, ".", the application and the end, in that order.
    const size_t tail = 1 + kRandomDigits + 1 + uninstallName.size() + kInstallTempEnd.size();
    if (uninstallName.empty() || fileName.size() <= tail) return false;  // a name comes first
    const std::string_view ours = fileName.substr(fileName.size() - tail);
    if (ours[0] != '.' || ours[1 + kRandomDigits] != '.') return false;
    for (size_t i = 1; i <= kRandomDigits; ++i)
        if (!IsLowerHexDigit(ours[i])) return false;
    const std::string_view end = ours.substr(2 + kRandomDigits);
    // Names compare as paths do: "Démo" and "DÉMO" name one application.
    return SamePath(end.substr(0, uninstallName.size()), uninstallName) &&
           SamePath(end.substr(uninstallName.size()), kInstallTempEnd);
}

}  // namespace core

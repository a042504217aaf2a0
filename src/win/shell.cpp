#include "win/shell.h"

#include "core/text.h"

namespace win {

namespace {

std::string SystemText(HRESULT result) {
    LocalMemory buffer;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(result), 0, reinterpret_cast<char*>(buffer.put()), 0, nullptr);
    std::string text(buffer ? static_cast<const char*>(buffer.get()) : "", buffer ? length : 0);
    // The system ends its texts with a line break the message box does not want.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    if (!text.empty()) return text;
    return "Erreur OLE " + core::HexText(static_cast<uint32_t>(result), 8);
}

void Check(HRESULT result) {
    if (FAILED(result)) throw ComError(result);
}

}  // namespace

ComError::ComError(HRESULT result) : core::Error(SystemText(result)), result_(result) {}

std::wstring SpecialFolderPathW(int folder, HWND owner) {
    // Read from the user's settings on every call: the shell's desktop object
    // keeps the path it saw first.
    wchar_t path[MAX_PATH + 1] = {};
    if (::SHGetFolderPathW(owner, folder, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
    return path;
}

std::string SpecialFolderPath(int folder, HWND owner) {
    return AnsiPath(SpecialFolderPathW(folder, owner)).value_or(std::string());
}

// The three identifiers the shell links need, written out: libuuid keeps
// every identifier of the system in a few objects, and would bring them all.
constexpr CLSID kClsidShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidShellLinkW = {0x000214F9, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

ShellLink::ShellLink() {
    Check(::CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, kIidShellLinkW,
                             reinterpret_cast<void**>(link_.put())));
    Check(link_->QueryInterface(kIidPersistFile, reinterpret_cast<void**>(file_.put())));
}

bool ShellLink::SetPath(const std::string& target) { return SUCCEEDED(link_->SetPath(AnsiToWide(target).c_str())); }

std::string ShellLink::GetPath() const {
    wchar_t path[MAX_PATH + 1] = {};
    if (link_->GetPath(path, MAX_PATH, nullptr, 0) != S_OK) return {};
    return AnsiPath(path).value_or(std::string());
}

bool ShellLink::Save(const std::wstring& linkPath) { return SUCCEEDED(file_->Save(linkPath.c_str(), FALSE)); }

bool ShellLink::Load(const std::string& linkPath) {
    return SUCCEEDED(file_->Load(AnsiToWide(linkPath).c_str(), STGM_READ));
}

}  // namespace win

#include "win/shell.h"

#include "core/text.h"

namespace win {

namespace {

std::string SystemText(HRESULT result) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(result), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer ? buffer : "", length);
    ::LocalFree(buffer);
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

std::string SpecialFolderPath(int folder, HWND owner) {
    LPITEMIDLIST raw = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(owner, folder, &raw))) return {};
    const ItemIdList list(raw);
    char path[MAX_PATH + 1] = {};
    if (!list || !::SHGetPathFromIDListA(list.get(), path)) return {};
    return path;
}

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

void UseCom() {
    struct Apartment {
        Apartment() : initialised(SUCCEEDED(::CoInitialize(nullptr))) {}
        ~Apartment() {
            if (initialised) ::CoUninitialize();
        }
        bool initialised;
    };
    thread_local Apartment apartment;
}

ShellLink::ShellLink() {
    UseCom();
    Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                             reinterpret_cast<void**>(link_.put())));
    Check(link_->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file_.put())));
}

bool ShellLink::SetPath(const std::string& target) { return SUCCEEDED(link_->SetPath(target.c_str())); }

std::string ShellLink::GetPath() const {
    char path[MAX_PATH + 1] = {};
    if (link_->GetPath(path, MAX_PATH, nullptr, 0) != S_OK) return {};
    return path;
}

bool ShellLink::Save(const std::string& linkPath) {
    return SUCCEEDED(file_->Save(AnsiToWide(linkPath).c_str(), FALSE));
}

bool ShellLink::Load(const std::string& linkPath) {
    return SUCCEEDED(file_->Load(AnsiToWide(linkPath).c_str(), STGM_READ));
}

}  // namespace win

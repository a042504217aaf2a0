#include "test_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "ui/application.h"
#include "win/files.h"
#include "win/wide_text.h"

namespace testing_support {

ScratchFolder::ScratchFolder(const std::string& hint) {
    static int counter = 0;
    path_ = win::TempFolder() + hint + "_" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(++counter) + "\\";
    RemoveTree(path_);
    ::CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

namespace {

const wchar_t* const kUserShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void SetDesktopValue(const std::wstring& path) {
    win::RegistryKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    ::RegSetValueExW(key.get(), L"Desktop", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

ScopedDesktopFolder::ScopedDesktopFolder(const std::wstring& path) {
    wchar_t old[MAX_PATH] = {};
    DWORD size = sizeof old - sizeof(wchar_t);
    ::RegGetValueW(HKEY_CURRENT_USER, kUserShellFolders, L"Desktop", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                   RRF_NOEXPAND, nullptr, old, &size);
    old_ = old;
    ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    SetDesktopValue(path);
}

ScopedDesktopFolder::~ScopedDesktopFolder() { SetDesktopValue(old_); }

void RemoveTree(const std::string& folder) {
    // An empty or relative path would empty the current folder: the test's own.
    if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\') return;
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    for (const win::FolderEntry& entry : win::FolderEntries(base)) {
        const std::string path = base + entry.name;
        if (entry.IsFolder()) {
            RemoveTree(path);
        } else {
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(path.c_str());
        }
    }
    ::RemoveDirectoryA(base.c_str());
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool CopyFileTo(const std::string& from, const std::string& to) { return ::CopyFileA(from.c_str(), to.c_str(), FALSE); }

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    for (win::FolderEntry& entry : win::FolderEntries(folder)) names.push_back(std::move(entry.name));
    std::sort(names.begin(), names.end());
    return names;
}

std::string TodayAsInstallDate() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char date[16];
    std::snprintf(date, sizeof date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return date;
}

std::string ApplicationManifest(const std::string& program) {
    win::Module module(::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return {};
    HRSRC resource = ::FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    if (!resource) return {};
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module.get(), resource)));
    return bytes ? std::string(bytes, ::SizeofResource(module.get(), resource)) : std::string();
}

std::string TestFolder() { return win::ExecutableFolder(); }

std::wstring EnvironmentBlock(const std::vector<std::wstring>& extra) {
    std::vector<std::wstring> variables;
    wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = block; *entry; entry += std::wcslen(entry) + 1) variables.emplace_back(entry);
    ::FreeEnvironmentStringsW(block);
    for (const std::wstring& added : extra) {
        const std::wstring name = added.substr(0, added.find(L'=') + 1);
        std::erase_if(variables, [&](const std::wstring& v) { return _wcsnicmp(v.c_str(), name.c_str(), name.size()) == 0; });
        variables.push_back(added);
    }
    std::wstring result;
    for (const std::wstring& v : variables) result += v + L'\0';
    return result + L'\0';
}

namespace {

// Runs Unix's ln on the two paths, with `option` before them.
bool UnixLink(const std::string& link, const std::string& target, const std::string& option) {
    // Wine's own CreateSymbolicLink makes nothing, and its CreateHardLink
    // fails in a test's prefix; its Unix programs do both.
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return false;
    auto unixPath = [&](const std::string& path) {
        char* name = unixName(win::AnsiToWide(path).c_str());
        const std::string text = name ? name : "";
        ::HeapFree(::GetProcessHeap(), 0, name);
        return text;
    };
    // Wine hands a Unix program over without a process to wait for: the
    // link shows when it is made.
    ChildProcess ln("/bin/ln " + option + "\"" + unixPath(target) + "\" \"" + unixPath(link) + "\"");
    return robot::WaitUntil([&] { return win::FileExists(link) && ReadWholeFile(link) == ReadWholeFile(target); });
}

}  // namespace

bool MakeSymbolicLink(const std::string& link, const std::string& target) { return UnixLink(link, target, "-s "); }
bool MakeHardLink(const std::string& link, const std::string& target) { return UnixLink(link, target, ""); }

ChildProcess::ChildProcess(const std::string& commandLine, const std::vector<std::string>& extraEnvironment)
    : ChildProcess(win::AnsiToWide(commandLine), [&] {
          std::vector<std::wstring> wide;
          for (const std::string& variable : extraEnvironment) wide.push_back(win::AnsiToWide(variable));
          return wide;
      }()) {}

ChildProcess::ChildProcess(const std::wstring& commandLine, const std::vector<std::wstring>& extraEnvironment) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = commandLine;
    std::wstring environment = EnvironmentBlock(extraEnvironment);
    ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, environment.data(),
                     nullptr, &startup, process_.put());
}

DWORD ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (!process_) return STILL_ACTIVE;
    if (::WaitForSingleObject(process_.process(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.process(), &code);
    return code;
}

void ChildProcess::Kill() {
    if (process_) {
        ::TerminateProcess(process_.process(), 99);
        ::WaitForSingleObject(process_.process(), 5000);
    }
}

ChildProcess::~ChildProcess() {
    if (process_ && ::WaitForSingleObject(process_.process(), 0) == WAIT_TIMEOUT) Kill();
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (_stricmp(robot::ClassName(child).c_str(), className.c_str()) == 0) children.push_back(child);
    return children;
}

void DropQuitMessages() {
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

std::string FolderDialogSelection(HWND dialog) {
    HWND tree = robot::FindControlOfClass(dialog, "SysTreeView32");
    const auto item =
        tree ? reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) : nullptr;
    if (!item) return {};
    char text[MAX_PATH] = "";
    TVITEMA request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = text;
    request.cchTextMax = sizeof text;
    ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
    return text;
}

namespace {

void HandleMessages() {
    if (ui::Application* application = ui::Application::Current()) {
        application->ProcessMessages();
        return;
    }
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

}  // namespace

void Pump(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        HandleMessages();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

ui::DialogRequest OnlyBox(const ui::ScopedDialogCapture& capture) {
    const std::vector<ui::DialogRequest>& boxes = capture.Requests();
    if (boxes.size() == 1) return boxes[0];
    std::string shown;
    for (const ui::DialogRequest& box : boxes) shown += "\n  [" + box.title + "] " + box.text;
    ADD_FAILURE() << boxes.size() << " boxes where one was expected" << shown;
    return {ui::DialogKind::Error, "", "", ui::DialogButtons::Ok};
}

void ExpectErrorBox(const ui::DialogRequest& box, const std::string& text) {
    EXPECT_EQ(box.kind, ui::DialogKind::Error);
    EXPECT_EQ(box.title, "Erreur");
    EXPECT_EQ(box.buttons, ui::DialogButtons::Cancel);
    EXPECT_EQ(box.text, text);
}

}  // namespace testing_support

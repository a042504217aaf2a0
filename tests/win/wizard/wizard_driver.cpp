#include "wizard/wizard_driver.h"

#include <commctrl.h>

#include <cstdio>

#include "support/test_support.h"
#include "win/files.h"
#include "win/wide_text.h"

namespace wizard {

std::string InstallExe() {
    std::string path = INSTALL_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string WorkCopy() {
    char buffer[MAX_PATH];
    const std::string temp(buffer, ::GetTempPathA(sizeof buffer, buffer));
    // The installer's private work folder: "inst" and random digits.
    std::string copy = temp + "SETUP.LST";
    for (const win::FolderEntry& entry : win::FolderEntries(temp, "inst*")) {
        const std::string candidate = temp + entry.name + "\\SETUP.LST";
        if (entry.IsFolder() && ::GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) copy = candidate;
    }
    return copy;
}

UserNamedLukasz::UserNamedLukasz() {
    ::CreateDirectoryW(home.c_str(), nullptr);
    ::CreateDirectoryW((home + L"\\Temp").c_str(), nullptr);
    ::CopyFileW(win::AnsiToWide(InstallExe()).c_str(), installer.c_str(), FALSE);
}

Installer::Installer(const std::string& program) : Installer(win::AnsiToWide(program), {}) {}

Installer::Installer(const std::wstring& program, const std::vector<std::wstring>& environment) {
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // As Explorer starts a program: the launcher's show command is given.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    std::wstring block = testing_support::EnvironmentBlock(environment);
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                          nullptr, &startup, process_.put())) {
        std::fprintf(stderr, "wizard driver: %ls does not start: error %lu\n", command.c_str(), ::GetLastError());
        return;
    }
    processId_ = process_.id();
    background_ = robot::WaitForClass(processId_, "TSetupForm");
    page1_ = robot::WaitForClass(processId_, "TForm1");
    if (!Started())
        std::fprintf(stderr, "wizard driver: %ls shows no %s (exit status %lu)\n", command.c_str(),
                     background_ ? "page 1" : "background", WaitForExit(0));
}

Installer::~Installer() {
    if (process_ && ::WaitForSingleObject(process_.process(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.process(), 9);
        ::WaitForSingleObject(process_.process(), 5000);
    }
}

HWND Installer::Page(int number) const {
    return robot::WaitForClass(processId_, "TForm" + std::to_string(number), std::chrono::seconds(10));
}

bool Installer::Showing(int number) const {
    for (HWND window : robot::TopLevelWindows(processId_))
        if (robot::ClassName(window) == "TForm" + std::to_string(number)) return true;
    return false;
}

HWND Installer::Control(int page, const std::string& text, const std::string& className) const {
    HWND window = Page(page);
    return window ? robot::FindControl(window, text, className) : nullptr;
}

HWND Installer::ControlAt(int page, int left, int top) const {
    HWND window = Page(page);
    if (!window) return nullptr;
    for (HWND control : robot::Controls(window)) {
        const RECT rect = robot::RectIn(control, window);
        if (rect.left == left && rect.top == top) return control;
    }
    return nullptr;
}

bool Installer::Click(int page, const std::string& text) const {
    HWND button = Control(page, text);
    return button && robot::Click(button);
}

HWND Installer::Edit() const {
    HWND window = Page(2);
    return window ? robot::FindControlOfClass(window, "Edit") : nullptr;
}

bool Installer::SetChecked(const std::string& checkBox, bool checked) const {
    HWND box = Control(2, checkBox);
    if (!box) return false;
    if (robot::IsChecked(box) == checked) return true;
    return robot::Click(box) && robot::WaitUntil([&] { return robot::IsChecked(box) == checked; });
}

HWND Installer::InstallWithDefaults() const {
    if (!Click(1, "Suivant") || !Page(2)) return nullptr;
    if (!Click(2, "Suivant") || !Page(3)) return nullptr;
    if (!Click(3, "Suivant")) return nullptr;
    HWND page4 = Page(4);
    HWND terminer = page4 ? robot::FindControl(page4, "Terminer", "Button") : nullptr;
    if (!terminer || !robot::WaitUntil([&] { return robot::IsEnabled(terminer); }, std::chrono::seconds(120)))
        return nullptr;
    return page4;
}

DWORD Installer::WaitForExit(DWORD milliseconds) const {
    if (!process_ || ::WaitForSingleObject(process_.process(), milliseconds) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD status = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.process(), &status);
    return status;
}

bool PickFirstFolderInside(HWND dialog) {
    if (!robot::PressUntil(dialog, "shift+Tab",
                           [&] { return robot::ClassName(robot::FocusedControl(dialog)) == "SysTreeView32"; }))
        return false;
    HWND tree = robot::FocusedControl(dialog);
    const auto selected = [&] { return ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0); };
    const LRESULT folder = selected();
    const auto expanded = [&] {
        return (::SendMessageW(tree, TVM_GETITEMSTATE, folder, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    };
    if (!robot::PressKeys(dialog, "Right") || !robot::WaitUntil(expanded)) return false;
    return robot::PressKeys(dialog, "Down") && robot::WaitUntil([&] { return selected() != folder; });
}

}  // namespace wizard

#include "ui/application.h"

#include <windows.h>
#include <commctrl.h>

#include "core/errors.h"
#include "core/text.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/system_library.h"

namespace ui {

namespace {
Application* current = nullptr;
}

std::string ApplicationTitle(const std::string& executablePath) {
    std::string name = executablePath.substr(executablePath.find_last_of("\\/") + 1);
    name = name.substr(0, name.find('.'));
    // A display form, not a path: the first letter as written, the rest in
    // small ASCII letters, as the runtime's own title is made.
    return name.empty() ? name : name.front() + core::LowerAscii(name.substr(1));
}

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

Application::Application() {
    current = this;
    // COM waits for the first shortcut or folder dialog (win::ComApartment):
    // page 1 needs none of it.
    // comctl32 is no KnownDLL: imported, it would be looked for beside the
    // program before the start-up restricts the DLL search, and as it starts
    // it loads uxtheme the same way.  Loaded here, both come from the system.
    // Some comctl32 builds import msimg32, another non-KnownDLL; loaded first
    // by full path, the import finds it already there.
    imageBlending_ = win::LoadSystemLibrary("msimg32.dll");
    commonControls_ = win::LoadSystemLibraryByName("comctl32.dll");
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (auto init = win::GetFunction<InitFn>(commonControls_, "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
        init(&controls);
    }

    title_ = ApplicationTitle(win::ExecutablePath());
}

Application::~Application() { current = nullptr; }

Application* Application::Current() { return current; }

bool Application::ProcessOneMessage() {
    MSG message;
    if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
    if (message.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    // Dialog navigation (Tab, Enter, Escape) for the top-level window that
    // holds the focus.
    HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (!root || !::IsDialogMessageA(root, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return true;
}

void Application::Run() {
    while (!terminated_) {
        if (!ProcessOneMessage() && !terminated_) ::WaitMessage();
    }
}

void Application::ProcessMessages() {
    while (!terminated_ && ProcessOneMessage()) {
    }
}

void Application::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    ::PostQuitMessage(0);  // also ends a modal box's own loop, if one is open
}

void Application::HandleException(const std::exception& error) {
    ShowDialog(DialogRequest{DialogKind::Error, title_, ErrorBoxText(error.what()), DialogButtons::Ok});
}

void Application::HandleException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleException(core::Error("Erreur inattendue"));
    }
}

}  // namespace ui

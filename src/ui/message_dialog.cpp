#include "ui/message_dialog.h"

#include <windows.h>

#include "ui/application.h"
#include "win/handle.h"

namespace ui {

namespace {

thread_local ScopedDialogCapture* activeCapture = nullptr;
thread_local ScopedDialogObserver* activeObserver = nullptr;

// The box being opened on this thread; the hook below dresses it when the
// system activates it.
struct PendingBox {
    DialogButtons buttons;
    win::WindowHook hook;
};
thread_local PendingBox* pendingBox = nullptr;

void CentreOnScreen(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK DressMessageBox(int code, WPARAM wParam, LPARAM lParam) {
    PendingBox* box = pendingBox;
    if (code == HCBT_ACTIVATE && box) {
        HWND window = reinterpret_cast<HWND>(wParam);
        switch (box->buttons) {
        case DialogButtons::Ok: ::SetDlgItemTextA(window, IDOK, "OK"); break;
        case DialogButtons::Cancel: ::SetDlgItemTextA(window, IDOK, "Annuler"); break;
        case DialogButtons::YesNo:
        case DialogButtons::NoYes:
            ::SetDlgItemTextA(window, IDOK, "&Oui");
            ::SetDlgItemTextA(window, IDCANCEL, "&Non");
            break;
        }
        CentreOnScreen(window);
        const HHOOK hook = box->hook.get();
        pendingBox = nullptr;
        box->hook.reset();
        return ::CallNextHookEx(hook, code, wParam, lParam);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

UINT IconOf(DialogKind kind) {
    switch (kind) {
    case DialogKind::Error: return MB_ICONERROR;
    case DialogKind::Warning: return MB_ICONWARNING;
    case DialogKind::Information: return MB_ICONINFORMATION;
    case DialogKind::Confirmation: return MB_ICONQUESTION;
    }
    return 0;
}

bool IsQuestion(DialogButtons buttons) { return buttons == DialogButtons::YesNo || buttons == DialogButtons::NoYes; }

DialogResult ShowMessageBox(const DialogRequest& request) {
    // "&Oui"/"&Non" sit on OK/Cancel so that Escape and the close box answer
    // "&Non"; the single "Annuler" sits on OK so that the box has a close box.
    UINT buttons = IsQuestion(request.buttons) ? MB_OKCANCEL : MB_OK;
    if (request.buttons == DialogButtons::NoYes) buttons |= MB_DEFBUTTON2;
    PendingBox box{request.buttons, win::WindowHook()};
    box.hook.reset(::SetWindowsHookExA(WH_CBT, DressMessageBox, nullptr, ::GetCurrentThreadId()));
    pendingBox = &box;
    // Without an owner the box makes every window of the program wait, but
    // when it goes the system activates whichever window it likes: the one
    // that was active takes the activation back, and with it the keyboard.
    HWND active = ::GetActiveWindow();
    const int answer = ::MessageBoxA(nullptr, request.text.c_str(), request.title.c_str(),
                                     buttons | IconOf(request.kind) | MB_TASKMODAL | MB_SETFOREGROUND);
    pendingBox = nullptr;
    if (active && ::IsWindowVisible(active) && ::IsWindowEnabled(active)) ::SetActiveWindow(active);

    switch (request.buttons) {
    case DialogButtons::Ok: return DialogResult::Ok;
    case DialogButtons::Cancel: return DialogResult::Cancel;
    case DialogButtons::YesNo:
    case DialogButtons::NoYes: return answer == IDOK ? DialogResult::Yes : DialogResult::No;
    }
    return DialogResult::Cancel;
}

}  // namespace

const char* DialogTitle(DialogKind kind) {
    switch (kind) {
    case DialogKind::Error: return "Erreur";
    case DialogKind::Warning: return "Avertissement";
    case DialogKind::Information: return "Information";
    case DialogKind::Confirmation: return "Confirmation";
    }
    return "";
}

DialogResult ShowDialog(const DialogRequest& request) {
    if (ScopedDialogObserver* observer = activeObserver) observer->observe_(request);
    if (ScopedDialogCapture* capture = activeCapture) {
        capture->requests_.push_back(request);
        if (capture->answer_) return capture->answer_(request);
        return IsQuestion(request.buttons) ? DialogResult::No
                                           : (request.buttons == DialogButtons::Ok ? DialogResult::Ok
                                                                                   : DialogResult::Cancel);
    }
    // Once the program is ending, a box closes at once, as if cancelled.
    if (Application* application = Application::Current(); application && application->Terminated())
        return IsQuestion(request.buttons) ? DialogResult::No : DialogResult::Cancel;
    return ShowMessageBox(request);
}

DialogResult ShowDialog(DialogKind kind, const std::string& text, DialogButtons buttons) {
    return ShowDialog(DialogRequest{kind, DialogTitle(kind), text, buttons});
}

void ShowErrorBox(const std::string& text) { ShowDialog(DialogKind::Error, text, DialogButtons::Cancel); }

ScopedDialogCapture::ScopedDialogCapture(std::function<DialogResult(const DialogRequest&)> answer)
    : answer_(std::move(answer)), previous_(activeCapture) {
    activeCapture = this;
}

ScopedDialogCapture::~ScopedDialogCapture() { activeCapture = previous_; }

ScopedDialogObserver::ScopedDialogObserver(std::function<void(const DialogRequest&)> observe)
    : observe_(std::move(observe)), previous_(activeObserver) {
    activeObserver = this;
}

ScopedDialogObserver::~ScopedDialogObserver() { activeObserver = previous_; }

}  // namespace ui

#include "ProgressWindow.h"

#include <commctrl.h>

#include "win/handle.h"

namespace {

const char* const kClassName = "UninstallProgressWindow";

// Sizes are given for 96 dpi.
int Scaled(int pixels) {
    const win::WindowDc screen;
    return ::MulDiv(pixels, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 96);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;  // the work ends it, not the user
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    if (::GetClassInfoA(instance, kClassName, &windowClass)) return;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_WAIT);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassA(&windowClass);
}

}  // namespace

ProgressWindow::ProgressWindow(const std::string& caption, int steps) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    RegisterWindowClass(instance);
    // The progress bar's class comes from comctl32, which ui::Application
    // has loaded from the system folder and initialised.

    const DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    RECT frame{0, 0, Scaled(440), Scaled(96)};
    ::AdjustWindowRect(&frame, style, FALSE);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    window_ = ::CreateWindowExA(
        WS_EX_DLGMODALFRAME, kClassName, caption.c_str(), style, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
        (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance, nullptr);
    if (!window_) return;

    status_ = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS,
                                Scaled(16), Scaled(16), Scaled(408), Scaled(20), window_, nullptr, instance, nullptr);
    ::SendMessageA(status_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    bar_ = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, Scaled(16), Scaled(48), Scaled(408),
                             Scaled(20), window_, nullptr, instance, nullptr);
    ::SendMessageA(bar_, PBM_SETRANGE32, 0, steps > 0 ? steps : 1);
    ::SendMessageA(bar_, PBM_SETSTEP, 1, 0);
    ::UpdateWindow(window_);
    ProcessMessages();
}

ProgressWindow::~ProgressWindow() {
    if (window_) ::DestroyWindow(window_);
    ProcessMessages();
}

void ProgressWindow::SetStatus(const std::string& text) {
    if (status_) ::SetWindowTextA(status_, text.c_str());
    ProcessMessages();
}

void ProgressWindow::Step() {
    if (bar_) ::SendMessageA(bar_, PBM_STEPIT, 0, 0);
    ProcessMessages();
}

void ProgressWindow::ProcessMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns it
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

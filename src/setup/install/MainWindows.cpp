#include "install/MainWindows.h"

#include "General/WorkDir.h"
#include "Variable/Variable.h"
#include "ui/application.h"
#include "win/files.h"

namespace {
const char* const kClassName = "InstallMainWindow";
}

LRESULT CALLBACK MainWindows::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        ui::Application::Current()->Terminate();
        return 0;
    case WM_DESTROY:
        win::DeleteFileIfPresent(Installer.WorkDir + kSetupListName);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

MainWindows::MainWindows() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassA(&windowClass);

    const std::string caption = "Installation de " + Installer.AppName;
    main_ = ::CreateWindowExA(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, windowClass.hInstance, nullptr);
    ::ShowWindow(main_, SW_SHOWMAXIMIZED);
    ::UpdateWindow(main_);
}

MainWindows::~MainWindows() {
    if (main_) ::DestroyWindow(main_);
}

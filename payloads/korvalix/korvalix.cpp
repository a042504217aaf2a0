// Korvalix32, the demo application that the default installer carries.  Its
// window shows its name and version.  It closes itself when the file
// korvalix.quit appears in its own folder: that is how the installer asks
// running copies to quit before it replaces them.
#include <windows.h>

#include "version.h"

namespace {

const char kTitle[] = KORVALIX_NAME " " KORVALIX_VERSION_TEXT;
const UINT_PTR kQuitTimer = 1;
const UINT kQuitPollMs = 200;  // well inside the installer's 2000 ms signal
char quitSignal[MAX_PATH + 16];

bool QuitSignalled() { return ::GetFileAttributesA(quitSignal) != INVALID_FILE_ATTRIBUTES; }

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kQuitTimer && QuitSignalled()) ::DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        RECT area;
        ::GetClientRect(window, &area);
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextA(dc, kTitle, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// The folder of the program, with its final "\".
void FindQuitSignal() {
    const DWORD length = ::GetModuleFileNameA(nullptr, quitSignal, MAX_PATH);
    DWORD slash = 0;
    for (DWORD i = 0; i < length && i < MAX_PATH; ++i)
        if (quitSignal[i] == '\\') slash = i + 1;
    ::lstrcpyA(quitSignal + slash, "korvalix.quit");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    FindQuitSignal();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "Korvalix32Window";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 360, 160, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ::SetTimer(window, kQuitTimer, kQuitPollMs, nullptr);
    ::ShowWindow(window, show);
    ::UpdateWindow(window);

    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}

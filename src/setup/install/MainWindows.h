#pragma once
// The program's windows, created after a successful start-up and destroyed
// in reverse order of creation when the message loop ends.
//
// Until the wizard pages exist, one plain main window stands in for them: it
// carries the installer's caption, ends the program when closed and removes
// the work copy of the manifest when it is destroyed.

#include <windows.h>

class MainWindows {
public:
    MainWindows();
    ~MainWindows();
    MainWindows(const MainWindows&) = delete;
    MainWindows& operator=(const MainWindows&) = delete;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND main_ = nullptr;
};

#pragma once
// A small window that follows the uninstallation: what is being removed and
// a progress bar.  It has no close box: an uninstallation is not left half done.

#include <windows.h>

#include <string>

class ProgressWindow {
public:
    ProgressWindow(const std::string& caption, int steps);
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void SetStatus(const std::string& text);
    void Step();
    // Handles the messages waiting for this thread's windows.
    static void ProcessMessages();

private:
    HWND window_ = nullptr;
    HWND status_ = nullptr;
    HWND bar_ = nullptr;
};

#pragma once
// install.exe started as a person starts it and driven through its pages
// with the robot.  Shared by the wizard's end-to-end tests.

#include <windows.h>

#include <string>
#include <vector>

#include "robot.h"
#include "win/handle.h"

namespace wizard {

// The embedded manifest's texts.
inline const char* const kDefaultDestination = "C:\\Program Files\\Korvalix";

// The installer under test.
std::string InstallExe();

class Installer {
public:
    // Starts the installer (install.exe unless told otherwise) and waits for
    // the background and page 1.
    explicit Installer(const std::string& program = InstallExe());
    // The same with extra environment variables ("NAME=value"), in UTF-16
    // for paths Windows-1252 cannot write.
    Installer(const std::wstring& program, const std::vector<std::wstring>& environment);
    ~Installer();  // kills the program if it is still running
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;

    bool Started() const { return background_ && page1_; }
    DWORD Id() const { return processId_; }
    HWND Background() const { return background_; }

    // The visible page of that number (TForm1 ...), waiting for it.
    HWND Page(int number) const;
    // Whether page `number` is visible right now.
    bool Showing(int number) const;
    // A control of the page by its text and class, or at its 96-dpi place in
    // the page's client area.
    HWND Control(int page, const std::string& text, const std::string& className = "Button") const;
    HWND ControlAt(int page, int left, int top) const;

    // Clicks the button of that text on the page with the mouse; false
    // when the page or the button is not there.
    [[nodiscard]] bool Click(int page, const std::string& text) const;
    HWND Edit() const;  // page 2's edit box
    std::string Destination() const { return robot::Text(Edit()); }
    // Clicks page 2's check box of that text until it shows `checked`;
    // false when it is missing or does not change.
    [[nodiscard]] bool SetChecked(const std::string& checkBox, bool checked) const;

    // Goes through pages 1 to 3 with the default choices, waits for the run
    // to end and returns page 4, or nothing when a page did not come.
    HWND InstallWithDefaults() const;

    // Waits for the program to end; its exit status, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD milliseconds = 20000) const;

private:
    win::StartedProcess process_;
    DWORD processId_ = 0;
    HWND background_ = nullptr;
    HWND page1_ = nullptr;
};

// In the folder dialog of a running installer, as a person picks with the
// keyboard: from "OK", where the dialog puts the focus, back to the folder
// tree; Right opens the selected folder, Down goes to its first folder.
// False when a key does not do what it should.
[[nodiscard]] bool PickFirstFolderInside(HWND dialog);

// A user whose name Windows-1252 cannot write, on a machine whose code page
// is 1252: his temporary folder is C:\Łukasz\Temp, and he starts the
// installer from C:\Łukasz\install.exe.  Making the object makes both.
struct UserNamedLukasz {
    UserNamedLukasz();
    const std::wstring home = L"C:\\\u0141ukasz";
    const std::wstring installer = home + L"\\install.exe";
    // For every program he starts: Wine's GetTempPathW reads TMP, then TEMP,
    // from the process's environment.
    const std::vector<std::wstring> environment = {L"TEMP=" + home + L"\\Temp", L"TMP=" + home + L"\\Temp"};
};

// The work copy of the manifest that a running installer keeps in its
// private work folder in the temporary folder; a path where no file is when
// no installer keeps one.
std::string WorkCopy();

}  // namespace wizard

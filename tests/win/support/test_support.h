#pragma once
// Helpers for Windows tests: scratch folders, child processes and the
// windows they show.

#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "robot.h"
#include "ui/message_dialog.h"
#include "win/handle.h"

namespace testing_support {

using namespace std::chrono_literals;

// A new empty folder under the system's temporary folder, removed with all it
// holds when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& hint = "test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }  // ends with "\"

private:
    std::string path_;
};

// Points the user's desktop (the "User Shell Folders" value) at a folder of
// the given UTF-16 path, made for the purpose, for the object's lifetime: a
// user named Łukasz or Zoé.  The folder stays; the old value comes back.
class ScopedDesktopFolder {
public:
    explicit ScopedDesktopFolder(const std::wstring& path);
    ~ScopedDesktopFolder();
    ScopedDesktopFolder(const ScopedDesktopFolder&) = delete;
    ScopedDesktopFolder& operator=(const ScopedDesktopFolder&) = delete;

private:
    std::wstring old_;
};

// Removes a folder, given by its full path ("C:\\..."), with all it holds.
void RemoveTree(const std::string& folder);
std::string ReadWholeFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool CopyFileTo(const std::string& from, const std::string& to);
// Names of the files and folders directly inside a folder, sorted.
std::vector<std::string> ListFolder(const std::string& folder);

// Makes `link` a Unix symbolic link to `target`, or a second name of it, as
// another user of the machine could; Wine takes either for the file.  False
// when it could not be made.
bool MakeSymbolicLink(const std::string& link, const std::string& target);
bool MakeHardLink(const std::string& link, const std::string& target);

// Today's date as the uninstall entry's InstallDate writes it: YYYYMMDD.
std::string TodayAsInstallDate();

// The application manifest a program carries (resource 1 of type
// RT_MANIFEST), or empty when it has none.
std::string ApplicationManifest(const std::string& program);

// The folder of the running test executable, with its final "\".
std::string TestFolder();

// The current environment block in UTF-16, with extra variables
// ("NAME=value") that override it, for CreateProcessW and
// CREATE_UNICODE_ENVIRONMENT.
std::wstring EnvironmentBlock(const std::vector<std::wstring>& extra);

// A child process started with extra environment variables ("NAME=value").
class ChildProcess {
public:
    ChildProcess(const std::string& commandLine, const std::vector<std::string>& extraEnvironment = {});
    // The same in UTF-16, for paths Windows-1252 cannot write.
    ChildProcess(const std::wstring& commandLine, const std::vector<std::wstring>& extraEnvironment);
    DWORD Id() const { return process_.id(); }
    // The exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitForExit(std::chrono::milliseconds timeout = 20s);
    void Kill();
    ~ChildProcess();

private:
    win::StartedProcess process_;
};

// The one box `capture` recorded.  When it recorded none or several, a
// failure that lists them, and a box with no title and no text.
ui::DialogRequest OnlyBox(const ui::ScopedDialogCapture& capture);
// The installer's error box with this text: "Erreur", its icon, a single
// "Annuler".
void ExpectErrorBox(const ui::DialogRequest& box, const std::string& text);

// The child controls of a window of the given class, in z-order.  Other
// windows are found and driven with the robot (tests/robot/robot.h).
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className);
// Removes a quit request left by an earlier case that ended its program, so
// that the next case's message loop does not stop at once.
void DropQuitMessages();

// The text of the folder selected in the tree of a folder dialog of this
// process (the dialog selects its initial folder a moment after it shows);
// empty while nothing is selected.
std::string FolderDialogSelection(HWND dialog);

// Handles this thread's window messages for a while, as the program's message
// loop would (dialog keys included, through the application object when
// there is one).
void Pump(std::chrono::milliseconds duration = 200ms);
// Handles them until `condition` holds; false when it did not within
// `timeout`.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

// A person acting on a window of this process from outside, while the test's
// own thread is held in a modal loop (a message box, a dialog): on a thread of
// its own, waits for a visible top-level window with that caption, once it is
// in front, and gives back what `act` makes of it (`act` gets null when no
// such window came).
template <typename Act>
auto WhenWindowShows(const std::string& caption, Act act) -> std::future<decltype(act(HWND{}))> {
    return std::async(std::launch::async, [caption, act] {
        HWND window = robot::WaitForCaption(::GetCurrentProcessId(), caption, 30s);
        // A box is dressed (captions, place) as it is activated.
        if (window) robot::WaitUntil([&] { return ::GetForegroundWindow() == window; }, 5s);
        return act(window);
    });
}

}  // namespace testing_support

#pragma once
// A small robot that drives another program's windows as a person would:
// it finds the program's windows by class or caption and their controls by
// text, clicks, types, presses keys, reads texts and rectangles, and captures
// the screen.  Used by the end-to-end tests and by scripts/run.

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace robot {

using namespace std::chrono_literals;

// Process 0 stands for any process.
constexpr DWORD kAnyProcess = 0;

// Visible top-level windows of the process, in z-order (front first).
std::vector<HWND> TopLevelWindows(DWORD processId);
// The first visible top-level window of the class (or of the caption),
// waiting up to `timeout`; null when none appeared.
HWND WaitForClass(DWORD processId, const std::string& className, std::chrono::milliseconds timeout = 20s);
HWND WaitForCaption(DWORD processId, const std::string& caption, std::chrono::milliseconds timeout = 20s);
// Waits until no visible window of the class is left; true when gone.
bool WaitUntilGone(DWORD processId, const std::string& className, std::chrono::milliseconds timeout = 20s);

// The child controls of a window, in z-order (which is creation order here).
std::vector<HWND> Controls(HWND window);
// The first control whose text is `text` (and whose class is `className`,
// case-insensitive, when given); null when there is none.
HWND FindControl(HWND window, const std::string& text, const std::string& className = "");
// The first control of the class; null when there is none.
HWND FindControlOfClass(HWND window, const std::string& className);

// A control's text as the control holds it (asked through WM_GETTEXT, so an
// edit box gives what was typed).
std::string Text(HWND window);
std::string ClassName(HWND window);
// A control's rectangle in the client coordinates of `reference` (its page or
// its group box's page).
RECT RectIn(HWND control, HWND reference);
bool IsChecked(HWND checkBox);
bool IsEnabled(HWND window);

// Clicks a control with the mouse as a person does: the pointer moves to
// the control's centre in the test's own X server and the left button goes
// down and up there, so the click reaches whatever window shows at that
// point, activating its window and taking the focus as a real click does.
// False, with no click, when the control does not show there within a few
// seconds (hidden, or covered by another window).  A disabled control shows
// but ignores the click, as for a person.  What the click does shows a
// moment later (see WaitUntil).
[[nodiscard]] bool Click(HWND control);
// Polls until the condition holds; false when it did not within `timeout`.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);
// Replaces an edit box's text by typing: select all, then one character after
// the other.
void Type(HWND edit, const std::string& text);
// Presses keys as a person does, in xdotool's names: "Return", "Escape",
// "Tab", "shift+Tab", "space", "alt+p"; several separated by blanks.  They go
// into the test's own X server, and Wine turns them into the program's
// keyboard input, with the focus and activation rules of real keys.  A person
// types into the window in front: `window` (a top-level window) must be the
// foreground window, or no window at all may be (a state Wine can be left
// in), and it or one of its controls must hold the keyboard focus.  False, with nothing pressed, when that does not come within a few
// seconds or xdotool fails.  What the keys do shows a moment later (see
// WaitUntil).
bool PressKeys(HWND window, const std::string& keys);
// Presses `keys` until `done` holds, at most `presses` times, each press
// given `patience` to show.  For keys a person would simply press again:
// Tab until the wanted control has the focus (where it starts depends on
// how far a dialog has come in setting itself up), or an arrow key that a
// loaded machine was slow to deliver.
bool PressUntil(HWND window, const std::string& keys, const std::function<bool()>& done, int presses = 6,
                std::chrono::milliseconds patience = 3s);
// The control of the top-level `window` that holds the keyboard focus; null
// when none does (the window itself, or nothing, has it).
HWND FocusedControl(HWND window);
// Asks a window to close, as its close box does.
void Close(HWND window);
// Clicks the close box of a top-level window's title bar, as a person does:
// the window is activated by the click, as it is then.  False when no close
// box shows or xdotool fails.
bool ClickCloseBox(HWND window);
// The window that has the keyboard focus in the thread of `window`.
HWND FocusOf(HWND window);

// Waits until the window's thread has handled the messages sent to it so far
// (not the ones posted).
void Settle(HWND window);

// Writes the whole screen to a 24-bit .bmp file; false on failure.
bool CaptureScreen(const std::string& path);

}  // namespace robot

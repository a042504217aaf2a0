// robot.exe: drives a program's windows from a script.  Windows are named by
// their class (TSetupForm, TForm1 ... TForm4, #32770 for a message box);
// controls by their text.
//
//   robot wait CLASS [SECONDS]        waits for a visible window of the class
//   robot gone CLASS [SECONDS]        waits until none is left
//   robot click CLASS TEXT            clicks the button or check box TEXT
//   robot enabled CLASS TEXT [SECONDS] waits until the button TEXT is enabled
//   robot key CLASS KEYS              presses keys in that window, in xdotool's
//                                     names ("Return", "shift+Tab", "alt+p")
//   robot type CLASS TEXT             types TEXT into the window's edit box
//   robot close CLASS                 asks the window to close (its close box)
//   robot dump CLASS                  prints each control: class, rectangle, text
//   robot screenshot FILE.bmp         captures the whole screen
//
// With --desktop NAME first, the robot works in that desktop, for instance a
// Wine virtual desktop started with "explorer /desktop=NAME,1024x768".
//
// Exit status 0 on success, 1 when a window or control was not found.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "robot.h"

namespace {

int Fail(const std::string& what) {
    std::fprintf(stderr, "robot: %s\n", what.c_str());
    return 1;
}

int Run(int argc, char** argv) {
    if (argc < 3) return Fail("usage: robot wait|gone|click|enabled|key|type|close|dump|screenshot ...");
    const std::string command = argv[1];
    const std::string target = argv[2];
    const auto seconds = std::chrono::seconds(argc > 3 ? std::atoi(argv[3]) : 20);

    if (command == "screenshot") return robot::CaptureScreen(target) ? 0 : Fail("cannot write " + target);
    if (command == "gone") return robot::WaitUntilGone(robot::kAnyProcess, target, seconds) ? 0 : Fail(target + " is still there");

    HWND window = robot::WaitForClass(robot::kAnyProcess, target, command == "wait" ? seconds : std::chrono::seconds(20));
    if (!window) return Fail("no window of class " + target);
    if (command == "wait") return 0;
    if (command == "close") return robot::Close(window), 0;
    if (command == "dump") {
        for (HWND control : robot::Controls(window)) {
            const RECT r = robot::RectIn(control, window);
            std::printf("%-10s %4ld,%4ld %4ldx%-4ld %s\n", robot::ClassName(control).c_str(), r.left, r.top,
                        r.right - r.left, r.bottom - r.top, robot::Text(control).c_str());
        }
        return 0;
    }
    if (argc < 4) return Fail(command + " needs an argument");
    const std::string argument = argv[3];
    if (command == "click") {
        HWND control = robot::FindControl(window, argument, "Button");
        if (!control) return Fail("no button \"" + argument + "\" in " + target);
        return robot::Click(control) ? 0 : Fail("\"" + argument + "\" does not show in " + target);
    }
    if (command == "enabled") {
        HWND control = robot::FindControl(window, argument, "Button");
        if (!control) return Fail("no button \"" + argument + "\" in " + target);
        const auto wait = std::chrono::seconds(argc > 4 ? std::atoi(argv[4]) : 120);
        return robot::WaitUntil([&] { return robot::IsEnabled(control); }, wait) ? 0 : Fail(argument + " stays disabled");
    }
    if (command == "key")
        return robot::PressKeys(window, argument) ? 0 : Fail(target + " is not in front with the keyboard focus");
    if (command == "type") {
        HWND edit = robot::FindControlOfClass(window, "Edit");
        if (!edit) return Fail("no edit box in " + target);
        return robot::Type(edit, argument), 0;
    }
    return Fail("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--desktop") {
        // The thread has no window yet, so it may move to another desktop;
        // the desktop stays open for the process's lifetime.
        // The desktop may still be on its way: wait for it a while.
        HDESK desktop = nullptr;
        for (int i = 0; i < 600 && !desktop; ++i)
            if (!(desktop = ::OpenDesktopA(argv[2], 0, FALSE, GENERIC_ALL))) ::Sleep(100);
        if (!desktop || !::SetThreadDesktop(desktop)) return Fail(std::string("cannot enter the desktop ") + argv[2]);
        argv[2] = argv[0];
        return Run(argc - 2, argv + 2);
    }
    return Run(argc, argv);
}

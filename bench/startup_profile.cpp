// Where install.exe's start-up time goes: the program's own start-up, step
// by step, in a process of its own, timed from the moment the process was
// created.  Prints figures, asserts nothing.
#include <windows.h>

#include <cstdio>
#include <string>

#include "Accueil/Accueil.h"
#include "SetupFrm/SetupFrm.h"
#include "install/MainWindows.h"
#include "install/StartUp.h"
#include "ui/application.h"
#include "win/system_library.h"

namespace {

// Milliseconds since the process was created.
double Elapsed() {
    FILETIME created, exited, kernel, user, now;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

class Steps {
public:
    void Mark(const char* step) {
        const double now = Elapsed();
        std::printf("  %-44s %7.1f ms  (at %6.1f ms)\n", step, now - last_, now);
        last_ = now;
    }

private:
    double last_ = 0;
};

}  // namespace

int main() {
    Steps steps;
    std::printf("install.exe's start-up, step by step (one process):\n");
    steps.Mark("process start to main (loader, C runtime)");
    win::RestrictDllSearchToSystemFolder();
    ui::Application application;
    steps.Mark("application: common controls");
    if (!StartUp()) return 1;
    steps.Mark("work folder and manifest");
    {
        MainWindows windows;
        steps.Mark("background and page 1 created");
        windows.ShowFirstPage();
        steps.Mark("background and page 1 shown and painted");
        windows.CreateLaterPages();
        steps.Mark("pages 2 to 4 created, page 1 on the screen");
    }
    steps.Mark("windows destroyed, work copy removed");
    return 0;
}

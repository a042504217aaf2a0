// The program entry: start up, create the windows, run the message loop.

#include <windows.h>

#include "install/MainWindows.h"
#include "install/StartUp.h"
#include "ui/application.h"
#include "win/system_library.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    win::RestrictDllSearchToSystemFolder();

    ui::Application application;
    if (!StartUp()) return 1;

    // The windows live until the loop ends and are destroyed in reverse
    // order of creation, before the installer state is released.
    MainWindows windows;
    windows.Show();
    application.Run();
    return 0;
}

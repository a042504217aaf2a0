// The program entry: the application object, then everything else.

#include <windows.h>

#include "install/Setup.h"
#include "ui/application.h"
#include "win/system_library.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    win::RestrictDllSearchToSystemFolder();

    ui::Application application;
    return RunSetup(arguments ? arguments : "");
}

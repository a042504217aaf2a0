// The uninstaller's entry point: started by the uninstall entry as
//     uninst_Korvalix.exe "C:\Program Files\Korvalix\setup.log"
// it hands the work to a copy of itself in the temporary folder, so that its
// own file can be removed with the rest.

#include <windows.h>

#include <exception>
#include <string>

#include "Relaunch.h"
#include "Removal.h"
#include "Uninstaller.h"
#include "ui/application.h"
#include "win/files.h"
#include "win/system_library.h"

namespace {

int Main(const std::string& arguments) {
    const auto command = core::ParseUninstallCommandLine(arguments);
    if (command && command->Relaunched()) {
        const int result = RunUninstaller(arguments, true);
        // The temporary copy cannot remove itself while it runs.
        ScheduleRemovalAtRestart(OwnExecutablePath());
        return result;
    }

    // A log that cannot be used is reported here, before any copy is made.
    std::string problem;
    if (command && LoadUninstallPlan(command->logPath, problem) && RelaunchFromTemporaryCopy(*command)) return 0;

    const int result = RunUninstaller(arguments, true);
    // Without a copy the work was done from this file; it goes at the restart.
    if (result == kUninstallDone || result == kUninstallIncomplete) {
        const std::string self = OwnExecutablePath();
        if (win::FileExists(self)) ScheduleRemovalAtRestart(self);
    }
    return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    win::RestrictDllSearchToSystemFolder();
    ui::Application application;
    // No folder that is about to be removed stays in use as the current one.
    ::SetCurrentDirectoryA(win::TempFolder().c_str());
    try {
        return Main(arguments ? arguments : "");
    } catch (const std::exception& error) {
        application.HandleException(error);
        return kUninstallIncomplete;
    }
}

// The uninstaller's entry point: started by the uninstall entry as
//     uninst_Korvalix.exe "C:\Program Files\Korvalix\setup.log"
// it hands the work to a copy of itself in the temporary folder, so that its
// own file, which the log names, can be removed with the rest.

#include <windows.h>

#include <exception>
#include <string>

#include "HandOver.h"
#include "Removal.h"
#include "win/system_folders.h"
#include "Uninstaller.h"
#include "WideArguments.h"
#include "ui/application.h"
#include "win/files.h"
#include "win/system_library.h"
#include "win/wide_text.h"

namespace {

// No folder that is about to be removed may stay in use as the current one.
void LeaveCurrentFolder() { ::SetCurrentDirectoryA(win::TempFolder().c_str()); }

int Main(const std::string& arguments) {
    auto command = core::ParseUninstallCommandLine(arguments);
    if (!command) {
        LeaveCurrentFolder();
        return RunUninstaller(arguments, true);  // says what is wrong
    }
    // A path typed relative to the current folder, before leaving it.
    command->logPath = win::FullPath(command->logPath);
    LeaveCurrentFolder();

    const UninstallOptions options;
    if (command->Relaunched()) {
        // The copy does the work, and hands its result to a first instance
        // that waits for it.
        const int result = RunUninstaller(*command, options);
        // The temporary copy cannot remove itself while it runs.
        ScheduleRemovalAtRestart(win::ExecutablePath());
        return result;
    }

    // A log that cannot be used is reported here, before any copy is made.
    std::string problem;
    if (LoadUninstallPlan(command->logPath, problem)) {
        // Whoever started it, a deployment tool or a script, may wait for
        // it: it ends once the work is done, with its result.
        if (const std::optional<int> result = HandOver::RelaunchAndWaitForResult(*command)) return *result;
    }
    // Without a copy the work is done from here: this file, in use, is then
    // scheduled for the restart like any other.
    return RunUninstaller(*command, options);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    win::RestrictDllSearchToSystemFolder();
    ui::Application application;
    const std::string line = ArgumentsWithLogPath(arguments ? arguments : "", win::CommandLineArguments());
    try {
        return Main(line);
    } catch (const std::exception& error) {
        if (!core::AsksForQuiet(line)) application.HandleException(error);
        return kUninstallIncomplete;
    }
}

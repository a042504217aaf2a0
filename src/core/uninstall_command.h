#pragma once
// The uninstaller's command line.  The uninstall entry starts it as
//     uninst_Korvalix.exe "C:\Program Files\Korvalix\setup.log"
// and a user may type the log path without quotes.  "/S" before the path asks
// for a run without questions or windows.  The copy that the uninstaller
// starts from the temporary folder (so that its own file can be removed) gets
//     /relance:<handle on the first instance's process>
// in front of the rest.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

struct UninstallCommand {
    std::string logPath;  // quotes removed; never empty
    bool silent = false;
    // Set in the relaunched copy: an inherited handle on the first instance's
    // process, to wait for it to end.
    uint32_t firstInstance = 0;

    bool Relaunched() const { return firstInstance != 0; }
};

// Nothing when no log path is given, an option is unknown, or text follows
// a quoted path.
std::optional<UninstallCommand> ParseUninstallCommandLine(std::string_view arguments);

// The arguments for the copy started from the temporary folder: the same
// request, marked with the first instance's handle.
std::string RelaunchArguments(const UninstallCommand& command, uint32_t firstInstance);

// Whether a command line, even one that cannot be read, holds the word "/S":
// such a run must not wait for a person, not even to say what is wrong.
bool AsksForQuiet(std::string_view arguments);

}  // namespace core

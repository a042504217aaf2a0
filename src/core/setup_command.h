#pragma once
// The installer's command line, for administrators and deployment tools:
//
//   /S or /VERYSILENT   no window at all; the default choices
//   /SILENT             no question: the background and the progress page only
//   /DIR="<folder>"     the destination; also /D=<folder>, last and unquoted
//   /NOSTARTMENU        no Start-menu group
//   /DESKTOP            a desktop shortcut
//   /LOG="<file>"       a plain-text journal of the run; a bare /LOG writes
//                       it into the temporary folder
//   /ALLOWDOWNGRADE     installs over a newer installation without asking
//   /SUPPRESSMSGBOXES   every box takes its default answer
//   /NOCANCEL           no "Annuler" on the progress page of /SILENT
//   /NORESTART, /SP-    accepted, as deployment tools add them by habit: the
//                       installer never restarts Windows, nor asks first
//   /? or /HELP         a box listing the switches
//
// Case does not matter and "-" works like "/".  A word is split at blanks
// outside double quotes, and the quotes are dropped: paths hold no quote, so
// none needs to be escaped.  "/D=" takes the rest of the line as it stands.

#include <string>
#include <string_view>

namespace core {

// How much of the installer a person sees and answers.
enum class SetupMode {
    Wizard,      // the four pages, as without switches
    Silent,      // /SILENT: the background and the progress page; nothing waits for a person
    VerySilent,  // /S, /VERYSILENT: no window; nothing waits for a person
};

struct SetupOptions {
    SetupMode mode = SetupMode::Wizard;
    std::string installDir;       // /DIR or /D, with "\" for "/"; empty: the default destination
    bool noStartMenu = false;     // /NOSTARTMENU
    bool desktop = false;         // /DESKTOP
    std::string logPath;          // /LOG, as typed; empty: no journal
    bool logInTemp = false;       // a bare /LOG: the journal goes to the temporary folder
    bool suppressBoxes = false;   // /SUPPRESSMSGBOXES
    bool noCancel = false;        // /NOCANCEL
    bool help = false;            // /? or /HELP
    bool allowDowngrade = false;  // /ALLOWDOWNGRADE
    bool switchesGiven = false;   // the line holds anything at all
};

struct SetupCommandLine {
    // Everything that could be read, also when `problem` is set, so that a
    // silent run can still keep quiet and write its journal.
    SetupOptions options;
    // The first fault, in French, naming the switch; empty for a sound line.
    std::string problem;
};

SetupCommandLine ParseSetupCommandLine(std::string_view arguments);

// The box that /? shows; lines are separated by a single carriage return.
std::string SetupHelpText();

// The error box for a bad command line.
std::string CommandLineErrorText(const std::string& problem);

// How a start of the installer ended.
enum class SetupResult {
    Installed,
    Failed,          // the run failed; what it installed stays recorded
    Cancelled,       // the person left the wizard or stopped the run
    CannotStart,     // no work folder, or no usable manifest
    BadCommandLine,  // nothing was installed
    Downgrade,       // a newer version is installed, and was kept: nothing was installed
    InProgress,      // another installation or uninstallation of the application runs
};

// The exit code: 0 to 6 in the order above when the command line holds
// switches.  A bare start keeps the codes it always had: 1 when the
// installer cannot start, 0 otherwise.
int SetupExitCode(SetupResult result, bool switchesGiven);

}  // namespace core

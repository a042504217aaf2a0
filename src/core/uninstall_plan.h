#pragma once
// What undoing an installation means, decided from its setup.log alone,
// before anything on disk is touched: which items to remove, newest first,
// and which entries are refused because removing them could harm the system.
// Only the paths the log names are ever planned; folders only ever go when
// they are empty, which the caller checks.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini.h"

namespace core {

// The system's own folders, as the machine names them.  Drive roots are
// always protected.
struct ProtectedFolders {
    std::string windows;              // the Windows folder: files at its top level may be ours, deeper ones never
    std::string programFiles;         // the Program Files folder itself
    std::string desktop;              // the user's desktop, what "%desktop%\" stands for
    std::vector<std::string> others;  // further folders that are never removed themselves
};

enum class Refusal {
    None,
    Relative,      // not "X:\..." nor "\\server\share\..."
    DevicePath,    // "\\?\..." or "\\.\...": no normalisation applies to them
    BadCharacter,  // wildcards, quotes, a stream name after ":"...
    DotComponent,  // a "." or ".." component
    TrailingDot,   // a name ending in "." or " ", which the system would drop
    TooLong,       // longer than the "A" functions take
    DriveRoot,
    WindowsFolder,
    InsideSystemFolder,  // below the Windows folder's top level
    ProgramFilesFolder,
    DesktopFolder,
    ProtectedFolder,
    NamesFolder,  // a file entry that ends with "\"
    NoDesktop,    // "%desktop%\" when the desktop is unknown
    BadKeyName,   // a Desinstall value that would name another registry key
};

// Why, in the report's words.
const char* RefusalText(Refusal refusal);

// "/" becomes "\" and runs of "\" collapse (a leading "\\" stays).
std::string NormalisePath(std::string_view path);

// Normalised, without a final "\" unless it is a root "X:\".
std::string FolderKey(std::string_view path);

// Whether removing the file (a log entry) is allowed.
Refusal CheckFile(const std::string& normalisedPath, const ProtectedFolders& folders);
// Whether removing the folder, when empty, is allowed.
Refusal CheckFolder(const std::string& normalisedPath, const ProtectedFolders& folders);

// "%desktop%\name" with the desktop folder in place of the prefix; other
// paths are returned unchanged.
std::string ResolveDesktop(std::string_view loggedPath, const std::string& desktop, bool& usesDesktop);

struct PlannedItem {
    std::string logged;  // as the log wrote it
    std::string path;    // what will be removed
    Refusal refusal = Refusal::None;
};

struct UninstallPlan {
    std::string appName;             // Nom, may be empty
    PlannedItem uninstallKey;        // Desinstall, the key name under ...\Uninstall; empty when the log has none
    PlannedItem installFolder;       // DossierInstall; empty path when the log has none
    PlannedItem startMenuFolder;     // DossierDemarrage; empty path when the log has none
    std::vector<PlannedItem> files;  // every [Fichier_N] entry, newest first, each path once
};

// Turns a path into the form the system itself uses (long names for short
// "8.3" ones); the identity by default.
using PathCanonicaliser = std::function<std::string(const std::string&)>;

// Nothing when the log has no [Setup] section.  The [Fichier_N] sections
// present are the inventory; the Fichiers counter is not trusted, so a huge
// or broken one costs nothing.
std::optional<UninstallPlan> MakeUninstallPlan(const IniFile& log, const ProtectedFolders& folders,
                                               const PathCanonicaliser& canonical = {});

// True when an uninstall entry's UninstallString starts this log, so that the
// entry belongs to this installation.
bool UninstallStringNamesLog(std::string_view uninstallString, std::string_view logPath);

}  // namespace core

#pragma once
// What undoing an installation means, decided from its setup.log alone,
// before anything on disk is touched: which items to remove, newest first,
// and which entries are refused.  The uninstaller runs as administrator and a
// log outside Program Files may have been edited by anyone, so only what an
// installation can create is ever planned, where the installer creates it:
//   - files directly in the installation folder (the log's DossierInstall),
//   - files directly in the Windows folder,
//   - the Start-menu group (inside a Programs folder) and the shortcuts in it,
//   - shortcuts (.lnk) directly on the desktop,
// and the two folders themselves, which go only when they are empty (the
// caller checks).  Paths are compared in their final form, links and short
// names resolved, as the system compares names.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini.h"
#include "core/installation_folder.h"

namespace core {

// "%desktop%\name" with the desktop folder in place of the prefix; other
// paths are returned unchanged.
std::string ResolveDesktop(std::string_view loggedPath, const std::string& desktop, bool& usesDesktop);

// The same for "%commondesktop%\", the all users' desktop, where an
// installation run by the SYSTEM account puts its desktop shortcuts.
extern const char* const kCommonDesktopPrefix;

struct PlannedItem {
    std::string logged;  // as the log wrote it
    std::string path;    // what will be removed, in its final form
    Refusal refusal = Refusal::None;
    int32_t number = 0;  // N of its [Fichier_N], for a file
};

// The [Setup] values as the log holds them; nothing for a key it lacks.
struct LoggedSetup {
    std::optional<std::string> name, installFolder, uninstallName, run, startMenuFolder;
    // DossierCree: the outermost folder above DossierInstall that the
    // installation made; absent when it made none.
    std::optional<std::string> createdFolder;
};

struct UninstallPlan {
    std::string appName;             // Nom, may be empty
    LoggedSetup setup;               // to write the log again
    PlannedItem uninstallKey;        // Desinstall, the key name under ...\Uninstall; empty when the log has none
    PlannedItem installFolder;       // DossierInstall; empty path when the log has none
    PlannedItem startMenuFolder;     // DossierDemarrage; empty path when the log has none
    // The folders the installation made above its folder, innermost first,
    // up to DossierCree; each goes only when empty.  None when DossierCree
    // is not above the installation folder.
    std::vector<PlannedItem> createdFolders;
    PlannedItem logFile;             // the log itself, which only goes from its installation folder
    std::vector<PlannedItem> files;  // the [Fichier_N] entries, newest first, each path once
};

// Nothing when the log has no [Setup] section.  The [Fichier_N] sections
// present are the inventory; the Fichiers counter is not trusted, so a huge
// or broken one costs nothing.  A path whose every entry says "Conserver=1"
// (a newer file that the installation found and left) is not planned: it
// belongs to another program.
std::optional<UninstallPlan> MakeUninstallPlan(const IniFile& log, const std::string& logPath,
                                               const ProtectedFolders& folders, const PathRules& rules = {});

// The setup.log for another try, after an uninstallation that left these
// entries of the plan: the log's [Setup] values with the new Fichiers, and
// one [Fichier_N] per entry as the log wrote it, oldest first, in the
// installer's own format.
std::string LogOfWhatIsLeft(const UninstallPlan& plan, std::vector<PlannedItem> left);

// True when an uninstall entry's UninstallString starts this log, so that the
// entry belongs to this installation.
bool UninstallStringNamesLog(std::string_view uninstallString, std::string_view logPath,
                             const PathRules& rules = {});

}  // namespace core

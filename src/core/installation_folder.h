#pragma once
// Where an installation may go: the one rule by which the installer judges a
// destination before it installs anything, and the uninstaller the
// installation folder a log names before it removes anything.  A folder the
// uninstaller would refuse is never installed into, so that every
// installation can be undone.  The system's folders and its way of naming
// paths come from the platform; here they are plain data.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// The system's own folders, as the machine names them.  Drive roots are
// always protected.
struct ProtectedFolders {
    std::string windows;                      // its own files may be ours; nothing below them ever is
    std::string programFiles;                 // the Program Files folder itself
    std::string desktop;                      // what "%desktop%\" stands for: only shortcuts there
    std::string commonDesktop;                // what "%commondesktop%\" stands for: the same
    std::vector<std::string> startMenuRoots;  // the Programs folders in which groups are made
    std::vector<std::string> others;          // never removed, and never an installation folder
};

// How the system names paths.  The defaults stand in for it where there is
// no system: no final forms.
struct PathRules {
    // The final form of an existing folder, or of an existing file without
    // following the file itself: links and junctions resolved, long names in
    // place of short ones, as the disk spells them.  Empty when the path
    // cannot be opened.
    std::function<std::string(const std::string&)> finalFolder;
    std::function<std::string(const std::string&)> finalFile;
};

enum class Refusal {
    None,
    Relative,     // not "X:\..."
    NetworkPath,  // "\\server\share\...": it may be this very disk under another name
    DevicePath,   // "\\?\..." or "\\.\...": no normalisation applies to them
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
    NamesFolder,          // a file entry that ends with "\"
    NoDesktop,            // "%desktop%\" when the desktop is unknown
    BadKeyName,           // a Desinstall value that would name another registry key
    OutsideInstallation,  // not where the installer creates anything
    NotAShortcut,         // in the Start-menu group or on the desktop, but no .lnk
};

// Why, in the report's words.
const char* RefusalText(Refusal refusal);

// "/" becomes "\" and runs of "\" collapse (a leading "\\" stays).
std::string NormalisePath(std::string_view path);

// Normalised, without a final "\" unless it is a root "X:\".
std::string FolderKey(std::string_view path);

// The one rule for "the same path", by which the uninstaller decides what it
// deletes: the same FolderKey, letters compared as Windows' file systems
// compare names, each put in capitals by the system's table.  "é" and "É" are
// one letter, as are "ÿ" and "Ÿ"; "ß" is not "SS".  The texts are
// Windows-1252, as all the program's texts are.  A long name and its short
// form, or a link and its target, are the same path only once both are in
// their final form (PathRules).
std::string PathKey(std::string_view path);
bool SamePath(std::string_view a, std::string_view b);

// What every path must be, file or folder, before anything else is asked of
// it: a full local path, in the form the "A" functions and this check read
// alike, and no drive root.
Refusal PathShapeRefusal(const std::string& path);

// Judges folders against the machine's folders.
class FolderJudge {
public:
    FolderJudge(const ProtectedFolders& folders, const PathRules& rules);

    struct Judged {
        std::string path;  // in its final form when its shape allows; a final "\" stays
        Refusal refusal = Refusal::None;
    };
    // Its shape, its final form, and whether it is one of the system's folders.
    Judged Folder(const std::string& folder) const;
    // An installation folder: anywhere but in or at a folder of the system.
    Judged InstallationFolder(const std::string& folder) const;

    bool Same(std::string_view a, std::string_view b) const;

protected:
    // A folder path without its final "\", as given, and as the system finds it.
    std::string Key(const std::string& folder) const;
    std::string FinalFolder(const std::string& folder) const;
    bool SameFolder(const std::string& a, const std::string& b) const;
    // True when `path` lies strictly below `folder` (both keys).
    bool IsBelow(const std::string& path, const std::string& folder) const;
    Refusal Protected(const std::string& path) const;

    PathRules rules_;
    std::string windows_, programFiles_, desktop_;
    std::vector<std::string> startMenuRoots_, others_;
};

// Why an installation may not go to `folder`; None when it may.
Refusal InstallationFolderRefusal(const std::string& folder, const ProtectedFolders& folders,
                                  const PathRules& rules = {});

}  // namespace core

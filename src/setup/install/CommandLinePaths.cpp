#include "install/CommandLinePaths.h"

#include <windows.h>

#include <optional>

#include "General/ShortNames.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/wide_text.h"

namespace {

// The line's quotes and blanks were read differently in the two forms: a
// character the code page lacks became a quote or a blank in the "A" line.
const char* const kReadDifferentlyText =
    "La ligne de commande contient des caractères que Windows-1252 ne sait pas écrire et qui en changent la "
    "lecture : les guillemets ou les espaces ne séparent plus les mêmes options.";

// A path relative to the current folder is made complete first: only a
// complete path can be split into its folders.
std::optional<std::string> AnsiForm(const std::wstring& path) {
    if (auto exact = win::WideToAnsi(path)) return exact;
    return win::AnsiPathToBe(win::FullPathW(path));
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "C:", or "\\server" and "\\server\share": there or not, never made.
bool IsRoot(const std::wstring& path) {
    if (path.size() == 2 && path[1] == L':') return true;
    return path.rfind(L"\\\\", 0) == 0 && path.find(L'\\', path.find(L'\\', 2) + 1) == std::wstring::npos;
}

// Makes the folder and its missing parents, noting each one made, outermost
// first.
bool MakeFolders(const std::wstring& folder, std::vector<std::wstring>& made) {
    if (folder.empty() || IsRoot(folder)) return false;
    if (IsFolder(folder)) return true;
    const size_t split = folder.find_last_of(L'\\');
    if (split != std::wstring::npos && split > 0) {
        const std::wstring parent = folder.substr(0, split);
        if (!IsRoot(parent) && !MakeFolders(parent, made)) return false;
    }
    // A folder made meanwhile by someone else counts, but is not ours.
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) return IsFolder(folder);
    made.push_back(folder);
    return true;
}

}  // namespace

CommandLinePaths::CommandLinePaths(core::SetupCommandLine& commandLine, const std::wstring& arguments) {
    const core::SetupCommandLine wide = core::ParseSetupCommandLine(win::WideToUtf8(arguments));
    if (!wide.problem.empty()) {
        // The faults are told from the "A" reading, whose texts the boxes and
        // the journal can show.
        if (commandLine.problem.empty()) commandLine.problem = kReadDifferentlyText;
        return;
    }
    // The UTF-16 reading is the line as it was given: a fault of the "A"
    // reading alone came from a character turned into "?" or a look-alike.
    commandLine = wide;
    core::SetupOptions& options = commandLine.options;
    if (!options.logPath.empty()) {
        const std::wstring file = win::Utf8ToWide(wide.options.logPath);
        if (auto ansi = AnsiForm(file))
            options.logPath = *ansi;
        else
            commandLine.problem = "Le fichier « " + win::ShownPath(file) +
                                  " » de l'option /LOG ne peut pas être créé : son nom contient des caractères que "
                                  "Windows-1252 ne sait pas écrire.";
    }
    if (!options.installDir.empty()) {
        const std::wstring folder = win::Utf8ToWide(wide.options.installDir);
        if (auto ansi = win::AnsiPathToBe(folder))
            options.installDir = *ansi;
        else
            destination_ = folder;
    }
}

CommandLinePaths::~CommandLinePaths() {
    for (auto folder = made_.rbegin(); folder != made_.rend(); ++folder) ::RemoveDirectoryW(folder->c_str());
}

bool CommandLinePaths::MakeDestination(std::string& installDir) {
    if (destination_.empty()) return true;
    // Only the folders down to the last name that needs a short form are
    // made here; the run makes the rest, as for any destination.
    size_t end = destination_.size();
    while (end > 0) {
        const size_t start = destination_.find_last_of(L'\\', end - 1);
        const size_t nameStart = start == std::wstring::npos ? 0 : start + 1;
        if (!win::WideToAnsi(std::wstring_view(destination_).substr(nameStart, end - nameStart))) break;
        end = start == std::wstring::npos ? 0 : start;
    }
    const std::wstring deepest = destination_.substr(0, end);
    if (!MakeFolders(deepest, made_)) {
        ui::ShowErrorBox("Le dossier d'installation « " + win::ShownPath(deepest) +
                         " » ne peut pas être créé.\r\rL'installation ne peut pas continuer.");
        return false;
    }
    const auto ansi = win::AnsiPathToBe(destination_);
    if (!ansi) {
        ui::ShowErrorBox(NoShortNameStartUpText(deepest));
        return false;
    }
    installDir = *ansi;
    return true;
}

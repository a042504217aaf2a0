#include "core/uninstall_plan.h"

#include <algorithm>
#include <set>

#include "core/command_line.h"
#include "core/text.h"

namespace core {

namespace {

// The "A" functions take at most MAX_PATH characters, the final zero included.
constexpr size_t kMaxPath = 259;
constexpr std::string_view kDesktopPrefix = "%desktop%\\";

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The length of the root ("C:\" or "\\server\share\"), or 0 when the path
// has none and is therefore relative.
size_t RootLength(const std::string& path) {
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\') return 3;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const size_t server = path.find('\\', 2);
        if (server == std::string::npos || server == 2) return 0;
        if (server + 1 >= path.size()) return 0;
        const size_t share = path.find('\\', server + 1);
        if (share == server + 1) return 0;
        return share == std::string::npos ? path.size() : share + 1;
    }
    return 0;
}

bool SameFolder(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && EqualsIgnoreCase(FolderKey(a), FolderKey(b));
}

// True when `path` lies strictly below `folder`.
bool IsBelow(const std::string& path, const std::string& folder) {
    if (folder.empty()) return false;
    const std::string base = IncludeBackslash(FolderKey(folder));
    return path.size() > base.size() && EqualsIgnoreCase(std::string_view(path).substr(0, base.size()), base);
}

// What every path must be, file or folder.
Refusal CheckShape(const std::string& path) {
    if (path.size() >= 4 && path[0] == '\\' && path[1] == '\\' && (path[2] == '?' || path[2] == '.') && path[3] == '\\')
        return Refusal::DevicePath;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 32 || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            return Refusal::BadCharacter;
        if (c == ':' && i != 1) return Refusal::BadCharacter;
    }
    const size_t root = RootLength(path);
    if (root == 0) return Refusal::Relative;
    if (path.size() > kMaxPath) return Refusal::TooLong;

    // The system drops a final "." or blank from a name, so "C:\Windows." is
    // the Windows folder: such names are refused rather than interpreted.
    size_t start = root;
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view name = std::string_view(path).substr(start, end - start);
        if (name == "." || name == "..") return Refusal::DotComponent;
        if (!name.empty() && (name.back() == '.' || name.back() == ' ')) return Refusal::TrailingDot;
        start = end + 1;
    }
    if (FolderKey(path).size() <= FolderKey(path.substr(0, root)).size()) return Refusal::DriveRoot;
    return Refusal::None;
}

Refusal CheckProtected(const std::string& path, const ProtectedFolders& folders) {
    if (SameFolder(path, folders.windows)) return Refusal::WindowsFolder;
    if (SameFolder(path, folders.programFiles)) return Refusal::ProgramFilesFolder;
    if (SameFolder(path, folders.desktop)) return Refusal::DesktopFolder;
    for (const std::string& other : folders.others)
        if (SameFolder(path, other)) return Refusal::ProtectedFolder;
    return Refusal::None;
}

// Below the Windows folder's top level (System32, Fonts...) only the system
// installs; the installer writes at most at the top.
bool DeepInWindows(const std::string& path, const ProtectedFolders& folders) {
    if (!IsBelow(path, folders.windows)) return false;
    const size_t base = IncludeBackslash(FolderKey(folders.windows)).size();
    return path.find('\\', base) != std::string::npos;
}

std::string ReadValue(const IniFile& log, const std::string& section, const char* key) {
    const std::string* stored = log.FindValue(section, key);
    if (!stored) return {};
    return log.ReadString(section, key, "", stored->size() + 1);
}

bool UsableKeyName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return c == '\\' || static_cast<unsigned char>(c) < 32; });
}

// N of a section named "Fichier_N" (decimal, no leading zero), or 0.
int32_t EntryNumber(std::string_view name) {
    constexpr std::string_view prefix = "Fichier_";
    if (name.size() <= prefix.size() || !EqualsIgnoreCase(name.substr(0, prefix.size()), prefix)) return 0;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.front() == '0' || digits.size() > 10) return 0;
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value <= INT32_MAX ? static_cast<int32_t>(value) : 0;
}

PlannedItem PlanFolder(const std::string& logged, const ProtectedFolders& folders, const PathCanonicaliser& canonical) {
    PlannedItem item{logged, NormalisePath(logged), Refusal::None};
    if (logged.empty()) return item;
    item.refusal = CheckFolder(item.path, folders);
    if (item.refusal == Refusal::None && canonical) {
        item.path = canonical(item.path);
        item.refusal = CheckFolder(item.path, folders);
    }
    return item;
}

}  // namespace

const char* RefusalText(Refusal refusal) {
    switch (refusal) {
        case Refusal::None:
            return "";
        case Refusal::Relative:
            return "chemin relatif";
        case Refusal::DevicePath:
            return "chemin de périphérique";
        case Refusal::BadCharacter:
            return "caractère interdit dans le chemin";
        case Refusal::DotComponent:
            return "chemin contenant « . » ou « .. »";
        case Refusal::TrailingDot:
            return "nom se terminant par un point ou une espace";
        case Refusal::TooLong:
            return "chemin trop long";
        case Refusal::DriveRoot:
            return "racine d'un lecteur";
        case Refusal::WindowsFolder:
            return "dossier Windows";
        case Refusal::InsideSystemFolder:
            return "fichier d'un dossier du système";
        case Refusal::ProgramFilesFolder:
            return "dossier des programmes (Program Files)";
        case Refusal::DesktopFolder:
            return "dossier du Bureau";
        case Refusal::ProtectedFolder:
            return "dossier du système";
        case Refusal::NamesFolder:
            return "un dossier est désigné là où un fichier est attendu";
        case Refusal::NoDesktop:
            return "dossier du Bureau introuvable";
        case Refusal::BadKeyName:
            return "nom d'entrée invalide";
    }
    return "";
}

std::string NormalisePath(std::string_view path) {
    std::string result;
    result.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i] == '/' ? '\\' : path[i];
        if (c == '\\' && !result.empty() && result.back() == '\\' && result.size() > 1) continue;
        result += c;
    }
    return result;
}

std::string FolderKey(std::string_view path) {
    std::string key = NormalisePath(path);
    const bool driveRoot = key.size() == 3 && key[1] == ':';
    while (!driveRoot && key.size() > 1 && key.back() == '\\') key.pop_back();
    return key;
}

Refusal CheckFile(const std::string& path, const ProtectedFolders& folders) {
    if (const Refusal shape = CheckShape(path); shape != Refusal::None) return shape;
    if (const Refusal system = CheckProtected(path, folders); system != Refusal::None) return system;
    if (path.back() == '\\') return Refusal::NamesFolder;
    if (DeepInWindows(path, folders)) return Refusal::InsideSystemFolder;
    return Refusal::None;
}

Refusal CheckFolder(const std::string& path, const ProtectedFolders& folders) {
    if (const Refusal shape = CheckShape(path); shape != Refusal::None) return shape;
    if (const Refusal system = CheckProtected(path, folders); system != Refusal::None) return system;
    if (DeepInWindows(FolderKey(path), folders)) return Refusal::InsideSystemFolder;
    return Refusal::None;
}

std::string ResolveDesktop(std::string_view loggedPath, const std::string& desktop, bool& usesDesktop) {
    usesDesktop = loggedPath.size() >= kDesktopPrefix.size() &&
                  EqualsIgnoreCase(loggedPath.substr(0, kDesktopPrefix.size()), kDesktopPrefix);
    if (!usesDesktop) return std::string(loggedPath);
    if (desktop.empty()) return {};
    return IncludeBackslash(desktop) + std::string(loggedPath.substr(kDesktopPrefix.size()));
}

std::optional<UninstallPlan> MakeUninstallPlan(const IniFile& log, const ProtectedFolders& folders,
                                               const PathCanonicaliser& canonical) {
    if (!log.FindSection("Setup")) return std::nullopt;

    UninstallPlan plan;
    plan.appName = ReadValue(log, "Setup", "Nom");
    const std::string uninstallName = ReadValue(log, "Setup", "Desinstall");
    plan.uninstallKey = {uninstallName, uninstallName,
                         uninstallName.empty() || UsableKeyName(uninstallName) ? Refusal::None : Refusal::BadKeyName};
    plan.installFolder = PlanFolder(ReadValue(log, "Setup", "DossierInstall"), folders, canonical);
    plan.startMenuFolder = PlanFolder(ReadValue(log, "Setup", "DossierDemarrage"), folders, canonical);
    const bool installFolderUsable = !plan.installFolder.path.empty() && plan.installFolder.refusal == Refusal::None;

    std::vector<int32_t> numbers;
    for (const IniFile::Section& section : log.Sections())
        if (const int32_t number = EntryNumber(section.name); number > 0) numbers.push_back(number);
    std::sort(numbers.begin(), numbers.end(), std::greater<>());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());

    std::set<std::string> seen;
    for (const int32_t number : numbers) {
        const std::string logged = ReadValue(log, "Fichier_" + std::to_string(number), "Nom");
        if (logged.empty()) continue;  // names nothing

        PlannedItem item{logged, {}, Refusal::None};
        bool usesDesktop = false;
        const std::string resolved = ResolveDesktop(logged, folders.desktop, usesDesktop);
        if (usesDesktop && resolved.empty()) {
            item.refusal = Refusal::NoDesktop;
            item.path = logged;
        } else {
            item.path = NormalisePath(resolved);
            item.refusal = CheckFile(item.path, folders);
            if (item.refusal == Refusal::None && canonical) {
                item.path = canonical(item.path);
                item.refusal = CheckFile(item.path, folders);
            }
            // A destination the user chose inside the Windows folder holds
            // the application's own files.
            if (item.refusal == Refusal::InsideSystemFolder && installFolderUsable &&
                IsBelow(item.path, plan.installFolder.path))
                item.refusal = Refusal::None;
        }
        if (!seen.insert(LowerAscii(FolderKey(item.path))).second) continue;  // a later installation's copy
        plan.files.push_back(std::move(item));
    }
    return plan;
}

bool UninstallStringNamesLog(std::string_view uninstallString, std::string_view logPath) {
    // Read as Windows will run it: the program, quoted or not, then its
    // arguments, the log last.
    const std::vector<std::string> words = SplitCommandLine(uninstallString);
    return words.size() >= 2 && SameFolder(words.back(), std::string(logPath));
}

}  // namespace core

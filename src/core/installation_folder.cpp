#include "core/installation_folder.h"

#include <array>

#include "core/text.h"

namespace core {

namespace {

// The "A" functions take at most MAX_PATH characters, the final zero included.
constexpr size_t kMaxPath = 259;

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

Refusal PathShapeRefusal(const std::string& path) {
    // Device paths, the object manager's own ("\?" "?\") included.
    if (StartsWith(path, "\\\\?\\") || StartsWith(path, "\\\\.\\") || StartsWith(path, "\\?" "?\\"))
        return Refusal::DevicePath;
    if (StartsWith(path, "\\\\")) return Refusal::NetworkPath;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 32 || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            return Refusal::BadCharacter;
        if (c == ':' && i != 1) return Refusal::BadCharacter;  // a stream name
    }
    if (path.size() < 3 || !IsAsciiLetter(path[0]) || path[1] != ':' || path[2] != '\\') return Refusal::Relative;
    if (path.size() > kMaxPath) return Refusal::TooLong;

    // The system drops a final "." or blank from a name, so "C:\Windows." is
    // the Windows folder: such names are refused rather than interpreted.
    size_t start = 3;
    while (start < path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view name = std::string_view(path).substr(start, end - start);
        if (name == "." || name == "..") return Refusal::DotComponent;
        if (!name.empty() && (name.back() == '.' || name.back() == ' ')) return Refusal::TrailingDot;
        start = end + 1;
    }
    if (FolderKey(path).size() <= 3) return Refusal::DriveRoot;
    return Refusal::None;
}

FolderJudge::FolderJudge(const ProtectedFolders& folders, const PathRules& rules) : rules_(rules) {
    windows_ = Key(folders.windows);
    programFiles_ = Key(folders.programFiles);
    desktop_ = Key(folders.desktop);
    for (const std::string& root : folders.startMenuRoots)
        if (!root.empty()) startMenuRoots_.push_back(Key(root));
    for (const std::string& other : folders.others)
        if (!other.empty()) others_.push_back(Key(other));
}

bool FolderJudge::Same(std::string_view a, std::string_view b) const { return SamePath(a, b); }

std::string FolderJudge::Key(const std::string& folder) const {
    return folder.empty() ? std::string() : FolderKey(folder);
}

std::string FolderJudge::FinalFolder(const std::string& folder) const {
    const std::string key = FolderKey(folder);
    if (rules_.finalFolder)
        if (std::string final = rules_.finalFolder(key); !final.empty()) return FolderKey(final);
    return key;
}

bool FolderJudge::SameFolder(const std::string& a, const std::string& b) const {
    return !a.empty() && !b.empty() && Same(a, b);
}

bool FolderJudge::IsBelow(const std::string& path, const std::string& folder) const {
    if (folder.empty()) return false;
    const std::string base = IncludeBackslash(folder);
    const std::string key = FolderKey(path);
    return key.size() > base.size() && Same(std::string_view(key).substr(0, base.size()), base);
}

Refusal FolderJudge::Protected(const std::string& path) const {
    const std::string key = FolderKey(path);
    if (SameFolder(key, windows_)) return Refusal::WindowsFolder;
    if (SameFolder(key, programFiles_)) return Refusal::ProgramFilesFolder;
    if (SameFolder(key, desktop_)) return Refusal::DesktopFolder;
    for (const std::string& folder : startMenuRoots_)
        if (SameFolder(key, folder)) return Refusal::ProtectedFolder;
    for (const std::string& folder : others_)
        if (SameFolder(key, folder)) return Refusal::ProtectedFolder;
    return Refusal::None;
}

FolderJudge::Judged FolderJudge::Folder(const std::string& folder) const {
    Judged judged{NormalisePath(folder), Refusal::None};
    if ((judged.refusal = PathShapeRefusal(judged.path)) != Refusal::None) return judged;
    // The final form keeps the final "\" the folder was written with, if any.
    const bool slash = judged.path.back() == '\\';
    judged.path = FinalFolder(judged.path);
    if (slash) judged.path = IncludeBackslash(judged.path);
    if ((judged.refusal = PathShapeRefusal(judged.path)) != Refusal::None) return judged;
    judged.refusal = Protected(judged.path);
    return judged;
}

FolderJudge::Judged FolderJudge::InstallationFolder(const std::string& folder) const {
    Judged judged = Folder(folder);
    if (judged.refusal == Refusal::None && IsBelow(judged.path, windows_)) judged.refusal = Refusal::InsideSystemFolder;
    return judged;
}

Refusal InstallationFolderRefusal(const std::string& folder, const ProtectedFolders& folders,
                                  const PathRules& rules) {
    return FolderJudge(folders, rules).InstallationFolder(folder).refusal;
}

const char* RefusalText(Refusal refusal) {
    switch (refusal) {
        case Refusal::None:
            return "";
        case Refusal::Relative:
            return "chemin relatif";
        case Refusal::NetworkPath:
            return "chemin réseau";
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
            return "emplacement dans un dossier du système";
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
        case Refusal::OutsideInstallation:
            return "emplacement où le programme d'installation ne crée rien";
        case Refusal::NotAShortcut:
            return "seuls les raccourcis y sont supprimés";
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

namespace {

// The capital of a Windows-1252 character, as a Windows-1252 byte: the byte
// itself when it has none, or none that Windows-1252 can write (ƒ).
char CapitalOf(char c) {
    static const std::array<char, 256> capitals = [] {
        std::array<char, 256> table{};
        for (int byte = 0; byte < 256; ++byte) {
            table[byte] = static_cast<char>(byte);
            const char16_t capital = UpperCaseOf(Cp1252ToUnicode(static_cast<unsigned char>(byte)));
            for (int other = 0; other < 256; ++other)
                if (Cp1252ToUnicode(static_cast<unsigned char>(other)) == capital)
                    table[byte] = static_cast<char>(other);
        }
        return table;
    }();
    return capitals[static_cast<unsigned char>(c)];
}

}  // namespace

std::string PathKey(std::string_view path) {
    std::string key = FolderKey(path);
    for (char& c : key) c = CapitalOf(c);
    return key;
}

bool SamePath(std::string_view a, std::string_view b) { return PathKey(a) == PathKey(b); }

}  // namespace core

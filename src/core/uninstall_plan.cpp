#include "core/uninstall_plan.h"

#include <algorithm>
#include <map>

#include "core/command_line.h"
#include "core/text.h"

namespace core {

namespace {

constexpr std::string_view kDesktopPrefix = "%desktop%\\";
// ResolveDesktop for another prefix.
std::string ResolvePrefix(std::string_view loggedPath, std::string_view prefix, const std::string& folder,
                          bool& usesPrefix) {
    usesPrefix =
        loggedPath.size() >= prefix.size() && EqualsIgnoreCase(loggedPath.substr(0, prefix.size()), prefix);
    if (!usesPrefix) return std::string(loggedPath);
    if (folder.empty()) return {};
    return IncludeBackslash(folder) + std::string(loggedPath.substr(prefix.size()));
}


std::string ReadValue(const IniFile& log, const std::string& section, const char* key) {
    const std::string* stored = log.FindValue(section, key);
    if (!stored) return {};
    return log.ReadString(section, key, "", stored->size() + 1);
}

std::optional<std::string> ReadSetupValue(const IniFile& log, const char* key) {
    if (!log.FindValue("Setup", key)) return std::nullopt;
    return ReadValue(log, "Setup", key);
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

// The folder part of a full path ("C:\" for a file at the root), and the
// name after it.
std::string ParentOf(const std::string& path) {
    const size_t split = path.find_last_of('\\');
    return FolderKey(path.substr(0, split == 2 ? 3 : split));
}
std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// Judges the paths of one log against the machine's folders.
class Judge : public FolderJudge {
public:
    Judge(const ProtectedFolders& folders, const PathRules& rules)
        : FolderJudge(folders, rules),
          desktopText_(folders.desktop),
          commonDesktop_(Key(folders.commonDesktop)),
          commonDesktopText_(folders.commonDesktop) {}

    // The installation folder, by the rule the installer applies too.
    PlannedItem InstallFolder(const std::string& logged) {
        install_ = logged.empty() ? PlannedItem{} : Planned(logged, InstallationFolder(logged));
        return install_;
    }

    // The folders from the installation folder's parent up to `outermost`,
    // innermost first, each judged as an installation folder is; none when
    // `outermost` is not above the installation folder.
    std::vector<PlannedItem> CreatedFolders(const std::string& outermost) {
        std::vector<PlannedItem> folders;
        if (outermost.empty() || !Usable(install_)) return folders;
        const std::string last = FinalFolder(NormalisePath(outermost));
        for (std::string folder = ParentOf(Key(install_.path)); IsBelow(install_.path, folder) && !IsRoot(folder);
             folder = ParentOf(folder)) {
            folders.push_back(Planned(folder, InstallationFolder(folder)));
            if (Same(folder, last)) return folders;
        }
        return {};
    }

    // The Start-menu group: inside a Programs folder, where groups are made.
    PlannedItem StartMenuFolder(const std::string& logged) {
        PlannedItem item = logged.empty() ? PlannedItem{} : Planned(logged, Folder(logged));
        if (item.refusal == Refusal::None && IsBelow(item.path, windows_)) item.refusal = Refusal::InsideSystemFolder;
        if (item.refusal == Refusal::None &&
            std::none_of(startMenuRoots_.begin(), startMenuRoots_.end(),
                         [&](const std::string& root) { return IsBelow(item.path, root); }))
            item.refusal = Refusal::OutsideInstallation;
        group_ = item;
        return item;
    }

    // One [Fichier_N] entry, once both folders are judged.
    PlannedItem File(const std::string& logged, int32_t number) {
        PlannedItem item{logged, {}, Refusal::None, number};
        bool usesDesktop = false;
        std::string resolved = ResolveDesktop(logged, desktopText_, usesDesktop);
        if (!usesDesktop) resolved = ResolvePrefix(logged, kCommonDesktopPrefix, commonDesktopText_, usesDesktop);
        if (usesDesktop && resolved.empty()) {
            item.path = logged;
            item.refusal = Refusal::NoDesktop;
            return item;
        }
        item.path = NormalisePath(resolved);
        item.refusal = FileRefusal(item.path);
        return item;
    }

    // The log itself goes only from its installation folder.
    PlannedItem LogFile(const std::string& logPath) {
        PlannedItem item{logPath, NormalisePath(logPath), Refusal::None, 0};
        item.refusal = FileRefusal(item.path);
        if (item.refusal == Refusal::None && !(Usable(install_) && Same(ParentOf(item.path), Key(install_.path))))
            item.refusal = Refusal::OutsideInstallation;
        return item;
    }

    // The text as the system will find it: the final form of the path when
    // it exists, else of its folder.
    std::string FinalFile(const std::string& path) const {
        if (rules_.finalFile)
            if (std::string final = rules_.finalFile(path); !final.empty()) return NormalisePath(final);
        const std::string parent = FinalFolder(ParentOf(path));
        return IncludeBackslash(parent) + NameOf(path);
    }

private:
    static PlannedItem Planned(const std::string& logged, Judged judged) {
        return {logged, std::move(judged.path), judged.refusal, 0};
    }

    // "X:\" or "\\server\share": no folder of an installation.
    static bool IsRoot(const std::string& key) {
        if (key.size() <= 3) return true;
        if (key.rfind("\\\\", 0) != 0) return false;
        const size_t share = key.find('\\', 2);
        return share == std::string::npos || key.find('\\', share + 1) == std::string::npos;
    }

    static bool Usable(const PlannedItem& folder) { return !folder.path.empty() && folder.refusal == Refusal::None; }

    Refusal FileRefusal(std::string& path) const {
        if (const Refusal shape = PathShapeRefusal(path); shape != Refusal::None) return shape;
        if (path.back() != '\\') path = FinalFile(path);
        if (const Refusal shape = PathShapeRefusal(path); shape != Refusal::None) return shape;
        if (const Refusal system = Protected(path); system != Refusal::None) return system;
        if (path.back() == '\\') return Refusal::NamesFolder;
        return Location(path);
    }

    // Where the installer creates things, and only there.
    Refusal Location(const std::string& path) const {
        const std::string parent = ParentOf(path);
        const std::string name = NameOf(path);
        const bool shortcut = name.size() > 4 && Same(std::string_view(name).substr(name.size() - 4), ".lnk");
        if (SameFolder(parent, windows_)) return Refusal::None;
        if (Usable(install_) && SameFolder(parent, Key(install_.path))) return Refusal::None;
        if (Usable(group_) && SameFolder(parent, Key(group_.path)))
            return shortcut ? Refusal::None : Refusal::NotAShortcut;
        if (SameFolder(parent, desktop_) || SameFolder(parent, commonDesktop_))
            return shortcut ? Refusal::None : Refusal::NotAShortcut;
        // In a folder the log names but that is refused: the same reason.
        if (!install_.path.empty() && SameFolder(parent, Key(install_.path))) return install_.refusal;
        if (IsBelow(path, windows_)) return Refusal::InsideSystemFolder;
        return Refusal::OutsideInstallation;
    }

    std::string desktopText_, commonDesktop_, commonDesktopText_;
    PlannedItem install_, group_;
};

}  // namespace

const char* const kCommonDesktopPrefix = "%commondesktop%\\";

std::string ResolveDesktop(std::string_view loggedPath, const std::string& desktop, bool& usesDesktop) {
    return ResolvePrefix(loggedPath, kDesktopPrefix, desktop, usesDesktop);
}

std::optional<UninstallPlan> MakeUninstallPlan(const IniFile& log, const std::string& logPath,
                                               const ProtectedFolders& folders, const PathRules& rules) {
    if (!log.FindSection("Setup")) return std::nullopt;

    UninstallPlan plan;
    plan.setup = {ReadSetupValue(log, "Nom"), ReadSetupValue(log, "DossierInstall"), ReadSetupValue(log, "Desinstall"),
                  ReadSetupValue(log, "Run"), ReadSetupValue(log, "DossierDemarrage"),
                  ReadSetupValue(log, "DossierCree")};
    plan.appName = plan.setup.name.value_or("");
    const std::string uninstallName = plan.setup.uninstallName.value_or("");
    plan.uninstallKey = {uninstallName, uninstallName,
                         uninstallName.empty() || UsableKeyName(uninstallName) ? Refusal::None : Refusal::BadKeyName};

    Judge judge(folders, rules);
    plan.installFolder = judge.InstallFolder(plan.setup.installFolder.value_or(""));
    plan.startMenuFolder = judge.StartMenuFolder(plan.setup.startMenuFolder.value_or(""));
    plan.createdFolders = judge.CreatedFolders(plan.setup.createdFolder.value_or(""));
    plan.logFile = judge.LogFile(logPath);

    std::vector<int32_t> numbers;
    for (const IniFile::Section& section : log.Sections())
        if (const int32_t number = EntryNumber(section.name); number > 0) numbers.push_back(number);
    std::sort(numbers.begin(), numbers.end(), std::greater<>());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());

    // Each path once, from its newest entry; one that every entry marks as
    // kept belongs to whoever put it there.
    std::map<std::string, std::optional<PlannedItem>> seen;  // a kept path waits in its item
    for (const int32_t number : numbers) {
        const std::string section = "Fichier_" + std::to_string(number);
        const std::string logged = ReadValue(log, section, "Nom");
        if (logged.empty()) continue;  // names nothing
        const bool kept = ReadValue(log, section, "Conserver") == "1";

        PlannedItem item = judge.File(logged, number);
        auto [known, isNew] = seen.try_emplace(PathKey(item.path));
        if (isNew) {
            if (kept)
                known->second = std::move(item);
            else
                plan.files.push_back(std::move(item));
        } else if (known->second && !kept) {
            // An older installation wrote it: it goes after all.
            plan.files.push_back(std::move(*known->second));
            known->second.reset();
        }
    }
    return plan;
}

std::string LogOfWhatIsLeft(const UninstallPlan& plan, std::vector<PlannedItem> left) {
    std::sort(left.begin(), left.end(), [](const PlannedItem& a, const PlannedItem& b) { return a.number < b.number; });
    std::string text =
        "[Information]\r\nAttention=NE PAS SUPPRIMER CE FICHIER\r\n"
        "Commentaire=Ce fichier sert à la désinstallation du logiciel\r\n[Setup]\r\n";
    auto put = [&](const char* key, const std::optional<std::string>& value) {
        if (value) text += std::string(key) + "=" + *value + "\r\n";
    };
    put("Nom", plan.setup.name);
    put("DossierInstall", plan.setup.installFolder);
    put("Desinstall", plan.setup.uninstallName);
    put("Run", plan.setup.run);
    put("DossierCree", plan.setup.createdFolder);
    put("Fichiers", std::to_string(left.size()));
    put("DossierDemarrage", plan.setup.startMenuFolder);
    for (size_t i = 0; i < left.size(); ++i)
        text += "[Fichier_" + std::to_string(i + 1) + "]\r\nNom=" + left[i].logged + "\r\n";
    return text;
}

bool UninstallStringNamesLog(std::string_view uninstallString, std::string_view logPath, const PathRules& rules) {
    // Read as Windows will run it: the program, quoted or not, then its
    // arguments, the log last.
    const std::vector<std::string> words = SplitCommandLine(uninstallString);
    if (words.size() < 2) return false;
    const Judge judge({}, rules);
    auto final = [&](const std::string& path) {
        const std::string normal = NormalisePath(path);
        return PathShapeRefusal(normal) == Refusal::None ? FolderKey(judge.FinalFile(normal)) : FolderKey(normal);
    };
    return judge.Same(final(words.back()), final(std::string(logPath)));
}

}  // namespace core

#include "core/upgrade.h"

#include "core/errors.h"
#include "core/installation_folder.h"
#include "core/text.h"
#include "core/command_line.h"
#include "core/version.h"

namespace core {

namespace {

std::string FolderOf(std::string_view path) {
    const size_t separator = path.find_last_of('\\');
    return separator == std::string_view::npos ? std::string() : std::string(path.substr(0, separator + 1));
}

std::optional<int32_t> ComparableVersion(std::string_view text) {
    try {
        return VersionToNumber(text);
    } catch (const Error&) {
        return std::nullopt;
    }
}

}  // namespace

std::string FolderOfEntry(std::string_view installLocation, std::string_view uninstallString) {
    if (!installLocation.empty()) return IncludeBackslash(installLocation);
    // Read as Windows runs it: the program, then its arguments, the log last.
    const std::vector<std::string> words = SplitCommandLine(uninstallString);
    return words.size() < 2 ? std::string() : FolderOf(words.back());
}

bool InstalledIsNewer(std::string_view installed, std::string_view offered) {
    const auto installedNumber = ComparableVersion(installed);
    const auto offeredNumber = ComparableVersion(offered);
    return !installed.empty() && installedNumber && offeredNumber && *installedNumber > *offeredNumber;
}

std::string InstallationLockName(std::string_view uninstallName) {
    // A backslash would name a namespace of the object manager.
    std::string name = "Global\\Installation de " + std::string(uninstallName);
    for (size_t at = sizeof "Global\\" - 1; at < name.size(); ++at)
        if (name[at] == '\\') name[at] = '/';
    return name;
}

std::vector<std::string> EarlierInstalledFiles(const IniFile& log, int entries) {
    std::vector<std::string> files;
    for (int number = 1; number <= entries; ++number) {
        const std::string section = "Fichier_" + std::to_string(number);
        const std::string* name = log.FindValue(section, "Nom");
        const std::string* kept = log.FindValue(section, "Conserver");
        if (!name || name->empty() || (kept && *kept == "1")) continue;
        // Shortcuts are not part of the application's size.
        if (name->front() == '%') continue;
        if (name->size() >= 4 && EqualsIgnoreCase(std::string_view(*name).substr(name->size() - 4), ".lnk")) continue;
        files.push_back(*name);
    }
    return files;
}

const char* const kUpdateStartText = "Cliquez sur \"Suivant\" pour mettre à jour l'installation...";

bool IsEarlierFolder(const EarlierInstallation& earlier, std::string_view destination) {
    return earlier.Found() && SamePath(destination, earlier.folder);
}

std::string UpdateVersionSummary(std::string_view offered, const EarlierInstallation& earlier) {
    if (earlier.version.empty()) return std::string(offered) + " (mise à jour de ce dossier)";
    return std::string(offered) + " (" + earlier.version + " installée dans ce dossier)";
}

std::string DowngradeQuestion(std::string_view appName, const EarlierInstallation& earlier, std::string_view offered) {
    return "La version " + earlier.version + " de " + std::string(appName) + ", plus récente, est déjà installée dans " +
           earlier.folder + ".\r\rVoulez-vous vraiment la remplacer par la version " + std::string(offered) +
           " ?";
}

std::string InProgressText(std::string_view appName) {
    return "Une installation ou une désinstallation de " + std::string(appName) +
           " est déjà en cours.\r\rAttendez qu'elle soit terminée, puis recommencez.";
}

}  // namespace core

#include "core/manifest_check.h"

#include <algorithm>
#include <set>

#include "core/errors.h"
#include "core/setup_manifest.h"
#include "core/text.h"
#include "core/version.h"

namespace core {

namespace {

using Severity = ManifestProblem::Severity;

// N of a section named Fichier_N (N decimal, no leading zero), else nothing.
std::optional<int32_t> FileSectionNumber(const std::string& name) {
    const std::string prefix = "Fichier_";
    if (name.size() <= prefix.size() || !EqualsIgnoreCase(name.substr(0, prefix.size()), prefix)) return {};
    const std::string digits = name.substr(prefix.size());
    if (digits[0] == '0' || digits.size() > 9) return {};
    for (const char c : digits)
        if (c < '0' || c > '9') return {};
    return std::stoi(digits);
}

class Report {
public:
    void Error(const std::string& section, const std::string& key, std::string message) {
        problems_.push_back({Severity::Error, section, key, std::move(message)});
    }
    void Warning(const std::string& section, const std::string& key, std::string message) {
        problems_.push_back({Severity::Warning, section, key, std::move(message)});
    }
    std::vector<ManifestProblem> Take() { return std::move(problems_); }

private:
    std::vector<ManifestProblem> problems_;
};

// One text key of [Setup], with the rule the installer applies at start-up.
std::string CheckSetupKey(const IniFile& manifest, Report& report, const char* key, const std::string& fallback,
                          int status) {
    const std::string value = manifest.ReadString("Setup", key, fallback, kSetupValueBuffer);
    const std::string* stored = manifest.FindValue("Setup", key);
    if (value.empty() || value == kMissing) {
        const char* why = !stored ? "is missing" : (value.empty() ? "is empty" : "is \"rien\"");
        report.Error("Setup", key,
                     std::string(why) + ": the installer refuses to start (status " + std::to_string(status) + ")");
    } else if (stored && stored->size() >= kSetupValueBuffer) {
        report.Warning("Setup", key, "is longer than 249 characters and will be cut");
    }
    return value;
}

void CheckEntry(const IniFile& manifest, int32_t number, const PayloadSize& payloadSize, Report& report,
                std::set<std::u16string>& names) {
    const std::string section = FileSectionName(number);
    const FileEntry entry = ReadFileEntry(manifest, number);

    if (entry.Nom.empty()) {
        report.Error(section, "Nom", "is missing or empty: the run fails");
    } else if (!IsPlainFileName(entry.Nom)) {
        report.Error(section, "Nom", "\"" + entry.Nom + "\" is not a plain file name");
    } else {
        // Payload resources are found by their name in capitals.
        std::u16string upper;
        for (const char c : entry.Nom) upper.push_back(UpperCaseOf(Cp1252ToUnicode(static_cast<unsigned char>(c))));
        if (!names.insert(upper).second)
            report.Warning(section, "Nom", "\"" + entry.Nom + "\" is listed twice; both share one payload");
    }

    if (entry.Taille < 0) {
        report.Error(section, "Taille", "is missing, negative or not a whole number: the run fails");
    } else if (entry.Taille > 0 && IsPlainFileName(entry.Nom)) {
        const std::optional<uint64_t> size = payloadSize(entry.Nom);
        if (!size) {
            report.Error(section, "Taille", "the payload file \"" + entry.Nom + "\" is missing");
        } else if (*size != static_cast<uint64_t>(entry.Taille)) {
            report.Error(section, "Taille",
                         "is " + std::to_string(entry.Taille) + " but \"" + entry.Nom + "\" holds " +
                             std::to_string(*size) + " bytes");
        }
    }

    // A shortcut is made under its name plus ".lnk" in the group or on the
    // desktop, and must stay there.
    for (const auto& [key, shortcut] : {std::pair{"Raccourci", entry.Raccourci}, {"RaccourciBureau", entry.RaccourciBureau}})
        if (!shortcut.empty() && !IsPlainFileName(shortcut))
            report.Error(section, key, "\"" + shortcut + "\" is not a plain file name: the run fails when it makes the shortcut");

    if (entry.Taille > 0 && entry.Dossier != "windows" && entry.Dossier != "program")
        report.Warning(section, "Dossier",
                       "\"" + entry.Dossier + "\" is neither \"windows\" nor \"program\": the file is not installed");

    // The runtime's own text (French) would mix languages in the report.
    try {
        VersionToNumber(entry.Version);
    } catch (const core::OverflowError&) {
        report.Error(section, "Version", "\"" + entry.Version + "\" is too large for a version number: the run fails");
    } catch (const core::Error&) {
        report.Error(section, "Version", "\"" + entry.Version + "\" is not whole numbers joined by dots: the run fails");
    }
}

}  // namespace

std::vector<ManifestProblem> CheckManifest(const IniFile& manifest, const PayloadSize& payloadSize) {
    Report report;
    if (!manifest.FindSection("Setup")) report.Error("Setup", "", "the section is missing");

    const std::string name = CheckSetupKey(manifest, report, "Nom", kMissing, SetupBadName);
    CheckSetupKey(manifest, report, "DossierInstall", kMissing, SetupBadFolder);
    CheckSetupKey(manifest, report, "Version", kMissing, SetupBadVersion);
    const std::string group = CheckSetupKey(manifest, report, "DossierDemarrage", kMissing, SetupBadStartMenuGroup);
    if (!group.empty() && group != kMissing && !IsGroupName(group))
        report.Error("Setup", "DossierDemarrage",
                     "\"" + group + "\" is not a group name (plain names joined by \"\\\"): the run fails when it makes the group");
    // Desinstall and Run default to Nom; while Nom is wrong, only their own
    // values can be judged.
    const bool nameOk = !name.empty() && name != kMissing;
    std::string uninstall;
    if (nameOk || manifest.FindValue("Setup", "Desinstall"))
        uninstall = CheckSetupKey(manifest, report, "Desinstall", name, SetupBadUninstall);
    if (nameOk || manifest.FindValue("Setup", "Run")) CheckSetupKey(manifest, report, "Run", name, SetupBadUninstall);

    // The publisher is optional; one given but empty names nobody.
    if (const std::string* publisher = manifest.FindValue("Setup", "Editeur")) {
        const std::string value = manifest.ReadString("Setup", "Editeur", "", kSetupValueBuffer);
        if (value.empty() || value == kMissing)
            report.Warning("Setup", "Editeur", "is empty: the uninstall entry names no publisher");
        else if (publisher->size() >= kSetupValueBuffer)
            report.Warning("Setup", "Editeur", "is longer than 249 characters and will be cut");
    }

    const int32_t count = manifest.ReadInt("Setup", "Fichiers", -1);
    if (count < 0) {
        report.Error("Setup", "Fichiers", "is missing or below 0: the installer refuses to start (status 6)");
    }

    // Which numbered sections exist, whatever Fichiers says.
    std::set<int32_t> present;
    for (const IniFile::Section& section : manifest.Sections())
        if (const std::optional<int32_t> n = FileSectionNumber(section.name)) present.insert(*n);

    std::set<std::u16string> names;
    bool uninstallerListed = false;
    for (int32_t n = 1; n <= count; ++n) {
        if (!present.count(n)) {
            // A run of missing sections is reported once, however long: a
            // count or a section number a few digits too long would otherwise
            // make a problem of each of up to two billion numbers.
            const auto next = present.upper_bound(n);
            const int32_t last = next == present.end() ? count : std::min(count, *next - 1);
            const std::string range = n == last ? "" : " (and every section up to " + FileSectionName(last) + ")";
            report.Error(FileSectionName(n), "", "the section is missing" + range + " but Fichiers is " +
                                                     std::to_string(count) + ": the run fails");
            if (next == present.end()) break;
            n = last;
            continue;
        }
        CheckEntry(manifest, n, payloadSize, report, names);
        const FileEntry entry = ReadFileEntry(manifest, n);
        if (entry.Nom == "uninst_" + uninstall + ".exe" && entry.Dossier == "windows" && entry.Taille > 0)
            uninstallerListed = true;
    }
    for (const int32_t n : present)
        if (n > count)
            report.Warning(FileSectionName(n), "", "is numbered above Fichiers and is ignored");

    if (!uninstall.empty() && uninstall != kMissing && !uninstallerListed)
        report.Warning("Setup", "Desinstall",
                       "no entry installs \"uninst_" + uninstall +
                           ".exe\" into \"windows\": the uninstall entry will name a missing program");
    return report.Take();
}

bool HasErrors(const std::vector<ManifestProblem>& problems) {
    for (const ManifestProblem& problem : problems)
        if (problem.severity == Severity::Error) return true;
    return false;
}

std::string Describe(const ManifestProblem& problem) {
    std::string text = problem.severity == Severity::Error ? "error: [" : "warning: [";
    text += problem.section + "]";
    if (!problem.key.empty()) text += " " + problem.key + ":";
    return text + " " + problem.message;
}

}  // namespace core

// The packaging tool's manifest check on arbitrary manifests and payload
// folders, and the file name rule on arbitrary names.  Invariants: every
// problem names its section and says something; their number follows the
// number of sections, not the numbers written in them; the check fails [Setup]
// exactly when the installer's start-up refuses the manifest, with the status
// the installer would give; a manifest without errors reads, entry by entry,
// the way the run needs it, its group and shortcut names included.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>

#include "core/errors.h"
#include "core/ini.h"
#include "core/manifest_check.h"
#include "core/setup_manifest.h"
#include "core/version.h"

namespace {

using core::ManifestProblem;

void Check(bool condition) {
    if (!condition) std::abort();
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The rule restated: what IsPlainFileName accepts can be joined to a folder.
void CheckPlainName(const std::string& name) {
    if (!core::IsPlainFileName(name)) return;
    Check(!name.empty() && name != "." && name != ".." && name.back() != '.' && name.back() != ' ');
    for (const char c : name) Check(static_cast<unsigned char>(c) >= 32 && std::string("\\/:*?\"<>|").find(c) == std::string::npos);
}

void CheckDescription(const ManifestProblem& problem) {
    Check(!problem.section.empty() && !problem.message.empty());
    const bool error = problem.severity == ManifestProblem::Severity::Error;
    const std::string text = core::Describe(problem);
    Check(StartsWith(text, std::string(error ? "error: [" : "warning: [") + problem.section + "]"));
    Check(EndsWith(text, " " + problem.message));
    if (!problem.key.empty()) Check(text.find("] " + problem.key + ": ") != std::string::npos);
}

// The start-up's refusals name no value, so a value that quotes their words
// (a group name, say) is not taken for one.
bool StopsTheStartUp(const std::string& message) {
    static const std::regex refusal(
        R"(is (missing|empty|"rien"|missing or below 0): the installer refuses to start \(status [0-9]+\))");
    return std::regex_match(message, refusal);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);

    // The payload folder: a few names with their sizes; any other name is
    // missing, or every other name has one same size.
    std::map<std::string, uint64_t> folder;
    for (int count = input.ConsumeIntegralInRange(0, 4); count > 0; --count) {
        const std::string name = input.ConsumeRandomLengthString(24);
        folder[name] = input.ConsumeIntegralInRange<uint64_t>(0, 1 << 20);
    }
    std::optional<uint64_t> otherSize;
    if (input.ConsumeBool()) otherSize = input.ConsumeIntegralInRange<uint64_t>(0, 1 << 20);
    const core::PayloadSize payloadSize = [&](const std::string& name) -> std::optional<uint64_t> {
        // Only plain names are looked up in the folder.
        Check(core::IsPlainFileName(name));
        const auto found = folder.find(name);
        return found != folder.end() ? found->second : otherSize;
    };
    for (const auto& [name, bytes] : folder) CheckPlainName(name);

    const core::IniFile manifest = core::IniFile::Parse(input.ConsumeRemainingBytesAsString());
    const std::vector<ManifestProblem> problems = core::CheckManifest(manifest, payloadSize);

    // At most one problem per [Setup] key (two for the group), plus the
    // section and the uninstaller, and per numbered section: one for each
    // key, one for the missing ones before it, one for those after the last.
    // Never one per missing number.
    Check(problems.size() <= 11 + 7 * manifest.Sections().size());

    // The faults of [Setup] that stop the start-up, as opposed to a group
    // name that only the run refuses.
    const ManifestProblem* firstSetupError = nullptr;
    for (const ManifestProblem& problem : problems) {
        CheckDescription(problem);
        if (!firstSetupError && problem.severity == ManifestProblem::Severity::Error && problem.section == "Setup" &&
            (problem.key.empty() || StopsTheStartUp(problem.message)))
            firstSetupError = &problem;
    }

    // [Setup] stops the start-up exactly when the start-up refuses it; the
    // first fault found carries the start-up's status, as both read in one
    // order.
    core::SetupValues values;
    const uint8_t status = core::ReadSetupSection(manifest, values);
    Check((status == core::SetupOk) == (firstSetupError == nullptr));
    if (firstSetupError && firstSetupError->key.empty()) {
        // Only the whole section can be missing without a key: Nom is then
        // missing too, and reported next.
        Check(status == core::SetupBadName);
    } else if (firstSetupError) {
        Check(EndsWith(firstSetupError->message, "(status " + std::to_string(status) + ")"));
    }

    // Without errors, every entry the run will read is usable as it stands.
    if (!core::HasErrors(problems)) {
        Check(status == core::SetupOk);
        Check(core::IsGroupName(values.StartMenuGroupName));
        for (int32_t n = 1; n <= std::min<int32_t>(values.FileCount, 64); ++n) {
            const core::FileEntry entry = core::ReadFileEntry(manifest, n);
            Check(manifest.FindSection(core::FileSectionName(n)) != nullptr);
            Check(core::IsPlainFileName(entry.Nom) && entry.Taille >= 0);
            CheckPlainName(entry.Nom);
            for (const std::string& shortcut : {entry.Raccourci, entry.RaccourciBureau}) {
                if (shortcut.empty()) continue;
                Check(core::IsPlainFileName(shortcut));
                CheckPlainName(shortcut);
            }
            if (entry.Taille > 0) Check(payloadSize(entry.Nom) == static_cast<uint64_t>(entry.Taille));
            try {
                core::VersionToNumber(entry.Version);
            } catch (const core::Error&) {
                Check(false);
            }
        }
    }
    return 0;
}

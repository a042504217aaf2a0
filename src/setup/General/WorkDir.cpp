#include "General/WorkDir.h"

#include <chrono>
#include <random>

#include "Variable/Variable.h"
#include "core/text.h"
#include "win/files.h"
#include "win/resources.h"

namespace {

// Creates and closes an empty probe file in the folder, then removes it.
bool AcceptsFiles(const std::string& folder, std::minstd_rand& random) {
    std::uniform_int_distribution<int> number(0, 9998);
    const std::string probe = folder + "tmpinst" + std::to_string(number(random)) + ".$$$";
    if (!win::CreateEmptyFile(probe)) return false;
    win::DeleteFileIfPresent(probe);
    return true;
}

}  // namespace

std::string FindWorkDir() {
    std::minstd_rand random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));

    const std::string temp = win::TempFolder();
    if (!temp.empty()) {
        const std::string candidate = core::IncludeBackslash(temp);
        if (AcceptsFiles(candidate, random)) return candidate;
    }
    const std::string own = win::ExecutableFolder();
    if (!own.empty() && AcceptsFiles(own, random)) return own;
    return {};
}

void DeleteWorkCopy() {
    // Without a work folder the name alone would point into the current
    // folder: there is then nothing of ours to remove.
    if (!Installer.WorkDir.empty()) win::DeleteFileIfPresent(Installer.WorkDir + kSetupListName);
}

bool ExtractSetupList() {
    const auto manifest = win::FindRawData(kSetupListName);
    return manifest && win::WriteWholeFile(Installer.WorkDir + kSetupListName, *manifest);
}

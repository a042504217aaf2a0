#include "General/WorkDir.h"

#include <windows.h>

#include <random>

#include "Variable/Variable.h"
#include "core/text.h"
#include "win/files.h"
#include "win/resources.h"
#include "win/wide_text.h"

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
    // The tick count, not <chrono>: the clocks of the C++ library bring a
    // threads library into the program.
    std::minstd_rand random(::GetTickCount());

    const std::string temp = win::TempFolder();
    for (const std::string& parent : {temp.empty() ? temp : core::IncludeBackslash(temp), win::ExecutableFolder()}) {
        if (parent.empty()) continue;
        const std::string folder = win::CreatePrivateFolder(parent, kWorkFolderPrefix);
        if (folder.empty()) continue;
        if (AcceptsFiles(folder, random)) return folder;
        win::RemoveFolderIfEmpty(folder);
    }
    return {};
}

std::wstring WorkDirPlaceWithoutShortName() {
    const std::wstring executable = win::ExecutablePathW();
    for (const std::wstring& place : {win::TempFolderW(), executable.substr(0, executable.find_last_of(L'\\') + 1)})
        if (!place.empty() && !win::AnsiPath(place)) return place;
    return {};
}

bool ExtractSetupList() {
    const auto manifest = win::FindRawData(kSetupListName);
    return manifest && win::WriteWholeFile(Installer.WorkDir + kSetupListName, *manifest);
}

void RemoveWorkDir() {
    // Without a work folder the name alone would point into the current
    // folder: there is then nothing of ours to remove.
    if (Installer.WorkDir.empty()) return;
    win::DeleteFileIfPresent(Installer.WorkDir + kSetupListName);
    win::RemoveFolderIfEmpty(Installer.WorkDir);
}

// An application of many small files: how long the run takes to install
// 1,000 and 2,000 files of 8 KiB, outside the two seconds it must wait for
// running copies of the application, against CopyFileA copying the same
// files in the same process; and how the cost grows with the number of files.
//
// This process is packed like an installer whose manifest lists 2,000 such
// files; the first runs install only the first 1,000 of them.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Deroulement/InstallationRun.h"
#include "General/SetupList.h"
#include "General/WorkDir.h"
#include "Variable/Variable.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/shell.h"

#include "run_support.h"

namespace {

std::string FileName(int number) { return "f" + std::to_string(number) + ".dat"; }

void RemoveFolder(const std::string& folder, int files) {
    for (int number = 1; number <= files; ++number) win::DeleteFileIfPresent(folder + FileName(number));
    win::DeleteFileIfPresent(folder + "setup.log");
    ::RemoveDirectoryA(folder.c_str());
}

// Seconds to install the manifest's first `files` files into a new folder,
// the quit-signal wait left out; negative when the run failed.
double Install(int files, const std::string& folder) {
    Installer.FileCount = files;
    Installer.InstallDir = folder;
    UnseenProgress page;
    const double start = Seconds();
    RunInstallation(page);
    const double elapsed = Seconds() - start - 2.0;
    return page.failed ? -1 : elapsed;
}

// Seconds to copy the files an installation left in `from` into a new folder.
double Copy(int files, const std::string& from, const std::string& to) {
    if (!win::ForceDirectories(to)) return -1;
    const double start = Seconds();
    for (int number = 1; number <= files; ++number)
        if (!::CopyFileA((from + FileName(number)).c_str(), (to + FileName(number)).c_str(), FALSE)) return -1;
    return Seconds() - start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    win::ComApartment com;
    ui::ScopedDialogCapture boxes;
    if (!StartUpAsTheInstallerDoes()) return 1;
    // The rounds, and the larger number of files (at most the packed ones),
    // may be given, as for a quick profile.
    const int32_t packed = argc > 2 ? std::min(std::atoi(argv[2]), Installer.FileCount) : Installer.FileCount;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    Installer.WantStartMenu = false;
    Installer.WantDesktop = false;

    const int counts[] = {packed / 2, packed};
    std::vector<double> install[2], copy[2];
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 2; ++i) {
            const std::string folder = "C:\\Beaucoup " + std::to_string(counts[i]) + "\\";
            const std::string copyFolder = "C:\\Copie " + std::to_string(counts[i]) + "\\";
            const double installed = Install(counts[i], folder);
            const double copied = installed < 0 ? -1 : Copy(counts[i], folder, copyFolder);
            RemoveFolder(folder, counts[i]);
            RemoveFolder(copyFolder, counts[i]);
            if (installed < 0 || copied < 0 || !boxes.Requests().empty()) {
                std::printf("many files: the run of %d files failed\n", counts[i]);
                return 1;
            }
            install[i].push_back(installed);
            copy[i].push_back(copied);
        }
    }
    for (int i = 0; i < 2; ++i) {
        const double installed = Median(install[i]), copied = Median(copy[i]);
        std::printf("many files: %d files of 8 KiB installed in %.2f s outside the 2000 ms quit-signal wait, "
                    "CopyFileA %.2f s: %.2f times the copy (%.1f ms a file; median of %d)\n",
                    counts[i], installed, copied, installed / copied, 1000.0 * installed / counts[i], rounds);
    }
    std::printf("many files: %d files cost %.2f times %d files\n", counts[1], Median(install[1]) / Median(install[0]),
                counts[0]);
    RemoveWorkDir();
    return 0;
}

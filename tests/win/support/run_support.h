#pragma once
// For tests that drive the installation run in process: the places the run
// writes to, the start-up it needs, and a progress page without a window.

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Deroulement/InstallationRun.h"
#include "General/SetupList.h"
#include "General/WorkDir.h"
#include "Variable/Variable.h"
#include "support/test_support.h"
#include "win/files.h"
#include "win/shell.h"

namespace testing_support {

inline const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvalix";

// Folders the run writes to, each with its final "\".
inline std::string Desktop() { return win::SpecialFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\"; }
inline std::string CommonPrograms() { return win::SpecialFolderPath(CSIDL_COMMON_PROGRAMS) + "\\"; }
inline std::string UserPrograms() { return win::SpecialFolderPath(CSIDL_PROGRAMS) + "\\"; }
inline std::string WindowsDir() { return win::WindowsFolder() + "\\"; }

// Removes everything a run of the default manifest may have made, so that
// each case starts from a drive without it: the destination folder, the
// uninstaller in the Windows folder, the desktop shortcuts, the Start-menu
// group for all users and for this one (or a file of its name), and the
// uninstall entry.
inline void RemoveDefaultInstallation(const std::string& installDir) {
    RemoveTree(installDir);
    ::DeleteFileA((WindowsDir() + "uninst_Korvalix.exe").c_str());
    for (const char* name : {"Korvalix.lnk", "Bureau Korvalix.lnk"}) ::DeleteFileA((Desktop() + name).c_str());
    for (const std::string& programs : {CommonPrograms(), UserPrograms()}) {
        ::DeleteFileA((programs + "Korvalix").c_str());
        RemoveTree(programs + "Korvalix");
    }
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

// The installer state as the start-up leaves it for the manifest the test
// process carries, with its work copy in `workFolder`; then the choices of
// the options page: `installDir` and both shortcut options.  Running copies
// get no time to quit: only the test of that signal waits for them.  False
// when the manifest could not be written out or read.
inline bool StartUpForRun(const std::string& workFolder, const std::string& installDir) {
    Installer = InstallerState{};
    Installer.QuitSignalWait = 0;
    Installer.WorkDir = workFolder;
    if (!ExtractSetupList() || ReadSetupList() != 0) return false;
    Installer.InstallDir = installDir;
    Installer.WantStartMenu = true;
    Installer.WantDesktop = true;
    return true;
}

class RecordingPage : public RunProgress {
public:
    void SetBar(int32_t maximum, int32_t step) override {
        maximum_ = maximum;
        step_ = step;
    }
    void SetStatus(const std::string& text, bool) override { statuses.push_back(text); }
    void Step() override {
        position = std::min(position + step_, maximum_);
        ++steps;
        if (cancelAfterSteps && steps >= cancelAfterSteps) cancel = true;
    }
    void ProcessMessages() override { ++messageRounds; }
    bool CancelRequested() const override { return cancel; }
    void Complete(bool isFailure) override {
        completed = true;
        failed = isFailure;
        position = maximum_;
    }

    std::vector<std::string> statuses;
    int position = 0;
    int steps = 0;
    int messageRounds = 0;
    int cancelAfterSteps = 0;
    bool cancel = false;
    bool completed = false;
    bool failed = false;
    int32_t maximum_ = 0;
    int32_t step_ = 0;
};

}  // namespace testing_support

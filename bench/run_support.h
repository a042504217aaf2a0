#pragma once
// What the benchmarks of whole runs share: the installer's start-up and a
// clock in seconds.

#include <windows.h>

#include <cstdio>

#include "Deroulement/InstallationRun.h"
#include "General/SetupList.h"
#include "General/WorkDir.h"
#include "Variable/Variable.h"

// The work folder and the manifest the process carries, read into the
// installer state; false, said, when that fails.
inline bool StartUpAsTheInstallerDoes() {
    Installer.WorkDir = FindWorkDir();
    if (!Installer.WorkDir.empty() && ExtractSetupList() && ReadSetupList() == 0) return true;
    std::printf("start-up failed\n");
    return false;
}

inline double Seconds() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

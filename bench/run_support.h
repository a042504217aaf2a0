#pragma once
// What the benchmarks of whole runs share: the installer's start-up, a
// progress page nobody sees, and a clock in seconds.

#include <windows.h>

#include <cstdio>

#include "Deroulement/InstallationRun.h"
#include "General/SetupList.h"
#include "General/WorkDir.h"
#include "Variable/Variable.h"

// Records only how the run ended.
class SilentPage : public RunProgress {
public:
    void SetBar(int32_t, int32_t) override {}
    void SetStatus(const std::string&, bool) override {}
    void Step() override {}
    void ProcessMessages() override {}
    bool CancelRequested() const override { return false; }
    void Complete(bool isFailure) override { failed = isFailure; }
    bool failed = true;
};

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

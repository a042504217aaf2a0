#pragma once
// What the benchmarks of whole runs share: a progress page nobody sees, and
// a clock in seconds.

#include <windows.h>

#include "Deroulement/InstallationRun.h"

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

inline double Seconds() {
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

// Time from process start to the first page on screen: install.exe against
// the smallest themed Win32 program that opens one window (the same manifest
// and common controls as the installer), started alternately in
// the same Wine, several rounds.  Prints each median and their ratio (the
// target is at most 1.3).
//
//   startup_bench INSTALL.EXE ONE_WINDOW.EXE [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "robot.h"
#include "win/handle.h"

namespace {

// Milliseconds from CreateProcess to the first visible window of the class;
// then ends the program the way a user would (`close` does that), or -1.
template <typename Close>
double TimeToWindow(const std::string& program, const std::string& className, Close close) {
    std::string command = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    LARGE_INTEGER frequency, start, shown;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    win::KernelHandle process(info.hProcess);
    win::KernelHandle thread(info.hThread);
    HWND window = nullptr;
    for (int i = 0; i < 30000 && !window; ++i) {
        for (HWND candidate : robot::TopLevelWindows(info.dwProcessId))
            if (robot::ClassName(candidate) == className) window = candidate;
        if (!window) ::Sleep(1);
    }
    ::QueryPerformanceCounter(&shown);
    if (window) close(window);
    if (::WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0) ::TerminateProcess(process.get(), 9);
    if (!window) return -1;
    return 1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench INSTALL.EXE ONE_WINDOW.EXE [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 7;
    std::vector<double> installer, minimal;
    // A first run of each warms Wine's caches and is not counted.
    for (int round = -1; round < rounds; ++round) {
        const double page = TimeToWindow(argv[1], "TForm1", [](HWND page) {
            // "Annuler" ends the installer at once and removes its work copy.
            HWND annuler = robot::FindControl(page, "Annuler", "Button");
            if (!annuler || !robot::Click(annuler)) std::fprintf(stderr, "\"Annuler\" could not be clicked\n");
        });
        const double window = TimeToWindow(argv[2], "OneWindow", [](HWND w) { ::PostMessageA(w, WM_CLOSE, 0, 0); });
        if (page < 0 || window < 0) {
            std::fprintf(stderr, "a program showed no window\n");
            return 1;
        }
        if (round >= 0) {
            installer.push_back(page);
            minimal.push_back(window);
        }
    }
    const double a = Median(installer), b = Median(minimal);
    std::printf("start-up to first window, median of %d rounds under Wine:\n", rounds);
    std::printf("  install.exe, page 1 visible      %8.1f ms\n", a);
    std::printf("  themed one-window program, shown %8.1f ms\n", b);
    std::printf("  ratio                            %8.2f (target <= 1.30)\n", a / b);
    return 0;
}

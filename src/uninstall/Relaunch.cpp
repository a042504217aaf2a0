#include "Relaunch.h"

#include <windows.h>

#include <string>

#include "core/text.h"
#include "win/files.h"
#include "win/handle.h"

namespace {

// How long the copy waits for the first instance, which ends right after
// starting it.
constexpr DWORD kFirstInstanceWait = 15000;

// A new file in the temporary folder holding a copy of this program.
std::string CopyToTemporaryFolder(const std::string& self) {
    const std::string folder = win::TempFolder();
    if (folder.empty()) return {};
    for (unsigned attempt = 0; attempt < 20; ++attempt) {
        const std::string copy = folder + "~desinst" + core::HexText(::GetCurrentProcessId(), 1, false) + "_" +
                                 std::to_string(attempt) + ".exe";
        if (::CopyFileA(self.c_str(), copy.c_str(), TRUE)) return copy;
    }
    return {};
}

}  // namespace

std::string OwnExecutablePath() {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

bool RelaunchFromTemporaryCopy(const core::UninstallCommand& command) {
    const std::string self = OwnExecutablePath();
    if (self.empty()) return false;
    const std::string copy = CopyToTemporaryFolder(self);
    if (copy.empty()) return false;

    // The copy inherits a handle on this process, to know when it has ended.
    HANDLE raw = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), &raw,
                           SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
        ::DeleteFileA(copy.c_str());
        return false;
    }
    const win::KernelHandle inheritable(raw);
    std::string commandLine =
        "\"" + copy + "\" " + core::RelaunchArguments(command, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(raw)));
    const std::string folder = win::TempFolder();

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                          &startup, &info)) {
        ::DeleteFileA(copy.c_str());
        return false;
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

void WaitForFirstInstance(uint32_t value) {
    const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
    // Only a process handle is waited for and closed.
    if (::GetProcessId(handle) == 0) return;
    const win::KernelHandle process(handle);
    ::WaitForSingleObject(process.get(), kFirstInstanceWait);
}

#include "HandOver.h"

#include <windows.h>

#include <string>

#include "Uninstaller.h"
#include "core/text.h"
#include "win/files.h"
#include "win/wide_text.h"

namespace {

// How long the copy waits for the first instance, which ends right after
// it has the result.
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

// Starts the copy; `resultPipe` becomes its standard output.
bool StartCopy(const core::UninstallCommand& command, HANDLE resultPipe) {
    const std::string self = win::ExecutablePath();
    if (self.empty()) return false;
    const std::string copy = CopyToTemporaryFolder(self);
    if (copy.empty()) return false;

    // The copy inherits a handle on this process, to know when it has ended.
    win::KernelHandle thisProcess;
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(), thisProcess.put(),
                           SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
        ::DeleteFileA(copy.c_str());
        return false;
    }
    const auto handleValue = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(thisProcess.get()));
    std::string commandLine = "\"" + copy + "\" " + core::RelaunchArguments(command, handleValue);
    const std::string folder = win::TempFolder();

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = resultPipe;
    win::StartedProcess started;  // not waited for: the pipe tells when it has ended
    if (!::CreateProcessA(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                          &startup, started.put())) {
        ::DeleteFileA(copy.c_str());
        return false;
    }
    return true;
}

// The program file of a process, from a handle on it; empty when unknown.
std::string ProgramOf(HANDLE process) {
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = MAX_PATH + 1;
    if (!::QueryFullProcessImageNameW(process, 0, buffer, &length)) return {};
    return win::AnsiPath(std::wstring(buffer, length)).value_or(std::string());
}

// A first instance that waits for the result made the copy's standard
// output the pipe it reads.
bool OutputIsAPipe() {
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    return output && output != INVALID_HANDLE_VALUE && ::GetFileType(output) == FILE_TYPE_PIPE;
}

}  // namespace

std::optional<int> HandOver::RelaunchAndWaitForResult(const core::UninstallCommand& command) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    win::KernelHandle readEnd, writeEnd;
    if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0)) return std::nullopt;
    // Only the copy may hold the writing end, so that reading returns when
    // the copy ends without a word.
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    if (!StartCopy(command, writeEnd.get())) return std::nullopt;
    writeEnd.reset();

    int32_t result = 0;
    DWORD read = 0;
    if (!::ReadFile(readEnd.get(), &result, sizeof result, &read, nullptr) || read != sizeof result)
        return kUninstallIncomplete;
    return result;
}

HandOver::HandOver(const core::UninstallCommand& command) {
    if (!command.Relaunched()) return;
    const HANDLE inherited = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(command.firstInstance));
    // Only a process handle is taken, waited for and closed.
    if (::GetProcessId(inherited) != 0) firstInstance_.reset(inherited);
    waits_ = OutputIsAPipe();
    if (waits_ && firstInstance_) deferredFile_ = ProgramOf(firstInstance_.get());
}

int HandOver::Send(int result) {
    if (!waits_ || sent_) return result;
    sent_ = true;
    const int32_t value = result;
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), &value, sizeof value, &written, nullptr);
    return result;
}

void HandOver::WaitForFirstInstance() const {
    if (firstInstance_) ::WaitForSingleObject(firstInstance_.get(), kFirstInstanceWait);
}

#include "platform.h"

#include <algorithm>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "win/handle.h"
#else
#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace mkinstall {

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

// One argument as the C runtime splits a command line again: quoted when it
// has blanks or quotes, with backslashes doubled before a quote.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

}  // namespace

ConsoleOutput::ConsoleOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    previousCodePage_ = GetConsoleOutputCP();
    if (previousCodePage_) SetConsoleOutputCP(CP_UTF8);
}

ConsoleOutput::~ConsoleOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (previousCodePage_) SetConsoleOutputCP(previousCodePage_);
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const int wide = static_cast<int>(wcslen(argv[i]));
        const int length = WideCharToMultiByte(CP_UTF8, 0, argv[i], wide, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<size_t>(length), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], wide, text.data(), length, nullptr, nullptr);
        arguments.push_back(std::move(text));
    }
    return arguments;
}

std::filesystem::path FindOnPath(const std::string& name) {
    const DWORD length = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (length == 0) return {};
    std::wstring path(length, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), length));
    const std::wstring file = Wide(name) + L".exe";
    size_t from = 0;
    while (from <= path.size()) {
        const size_t end = std::min(path.find(L';', from), path.size());
        std::wstring folder = path.substr(from, end - from);
        from = end + 1;
        if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
            folder = folder.substr(1, folder.size() - 2);
        // "C:\Tools" or "\\server\share"; not "Tools", ".", "\Tools" nor "C:Tools".
        const std::filesystem::path candidate = std::filesystem::path(folder) / file;
        if (folder.empty() || !candidate.is_absolute()) continue;
        const DWORD attributes = GetFileAttributesW(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return candidate;
    }
    return {};
}

int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
    std::wstring commandLine;
    for (const std::string& argument : arguments)
        commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(Wide(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    win::StartedProcess started;
    std::fflush(stderr);
    // Named in full: with no application name, CreateProcessW would look in
    // our own folder and the current one before the PATH.
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        started.put()))
        return -1;
    WaitForSingleObject(started.process(), INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(started.process(), &code);
    return static_cast<int>(code);
}

#else

ConsoleOutput::ConsoleOutput() {}

ConsoleOutput::~ConsoleOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

std::filesystem::path FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) return {};
    const std::string folders = path;
    size_t from = 0;
    while (from <= folders.size()) {
        const size_t end = std::min(folders.find(':', from), folders.size());
        const std::filesystem::path folder = folders.substr(from, end - from);
        from = end + 1;
        if (!folder.is_absolute()) continue;  // "" and "." mean the current folder
        const std::filesystem::path candidate = folder / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    std::fflush(stderr);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace mkinstall

#pragma once
// The little that differs between Linux and Windows for a command-line tool:
// arguments, the console, and starting another program.

#include <cstdio>
#include <string>
#include <vector>

namespace mkinstall {

// While it lives, the standard streams write bytes as given: UTF-8 text with
// "\n" line ends on every system, so that both builds print the same bytes;
// a Windows console shows it as UTF-8.
class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

#ifdef _WIN32
private:
    unsigned previousCodePage_ = 0;  // of the console, restored at the end
#endif
};

bool IsTerminal(std::FILE* stream);

#ifdef _WIN32
// The wide arguments of wmain, in UTF-8.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);
#endif

// Runs a program found on the PATH with these arguments (the first is its
// name), its output going to our standard error, and waits for it.  Returns
// its exit code, or -1 when it could not be started.
int RunProgram(const std::vector<std::string>& arguments);

}  // namespace mkinstall

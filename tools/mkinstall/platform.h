#pragma once
// The little that differs between Linux and Windows for a command-line tool:
// arguments, the console, and starting another program.

#include <cstdio>
#include <filesystem>
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

// The program of this name (".exe" added on Windows) in a folder that the
// PATH names in full.  Never the current folder nor one named relative to it,
// which the system would search first on Windows and for a relative entry on
// Linux: whoever can write there could plant a program that receives what we
// hand it.  Empty when no such program is found.
std::filesystem::path FindOnPath(const std::string& name);

// Runs `program` with these arguments (the first is the name it sees as its
// own), its output going to our standard error, and waits for it.  Returns its
// exit code, or -1 when it could not be started.
int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments);

}  // namespace mkinstall

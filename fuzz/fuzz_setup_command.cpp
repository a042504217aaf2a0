// The installer's command line on arbitrary text: every line is either
// refused with a reason or read into options that mean the same when they
// are written out again and read back.
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/setup_command.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool HasNonBlank(std::string_view text) { return text.find_first_not_of(" \t") != std::string_view::npos; }

// A command line that asks for exactly these options.
std::string Write(const core::SetupOptions& options) {
    std::string line;
    if (options.mode == core::SetupMode::VerySilent) line += "/VERYSILENT ";
    if (options.mode == core::SetupMode::Silent) line += "-silent ";
    if (options.noStartMenu) line += "/nostartmenu ";
    if (options.desktop) line += "-DESKTOP ";
    if (options.help) line += "/? ";
    if (!options.logPath.empty()) line += "/LOG=\"" + options.logPath + "\" ";
    if (!options.installDir.empty()) line += "/D=" + options.installDir;
    return line;
}

bool Same(const core::SetupOptions& a, const core::SetupOptions& b) {
    return a.mode == b.mode && a.installDir == b.installDir && a.noStartMenu == b.noStartMenu &&
           a.desktop == b.desktop && a.logPath == b.logPath && a.help == b.help;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const core::SetupCommandLine parsed = core::ParseSetupCommandLine(line);
    const core::SetupOptions& options = parsed.options;

    Check(options.switchesGiven == HasNonBlank(line));
    // Whatever was accepted holds no quote, so it can be given back quoted.
    Check(options.installDir.find('"') == std::string::npos);
    Check(options.logPath.find('"') == std::string::npos);
    if (!parsed.problem.empty()) return 0;

    if (!options.installDir.empty()) {
        const core::SetupCommandLine again = core::ParseSetupCommandLine("/DIR=\"" + options.installDir + "\"");
        Check(again.problem.empty() && again.options.installDir == options.installDir);
    }
    const std::string written = Write(options);
    const core::SetupCommandLine reread = core::ParseSetupCommandLine(written);
    Check(reread.problem.empty());
    Check(Same(reread.options, options));
    return 0;
}

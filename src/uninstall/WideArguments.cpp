#include "WideArguments.h"

#include "core/uninstall_command.h"
#include "win/files.h"
#include "win/wide_text.h"

std::string ArgumentsWithLogPath(const std::string& arguments, const std::wstring& wideArguments) {
    const auto command = core::ParseUninstallCommandLine(win::WideToUtf8(wideArguments));
    if (!command) return arguments;
    const std::wstring log = win::Utf8ToWide(command->logPath);
    if (win::WideToAnsi(log)) return arguments;
    // A log that is not there keeps the "A" line, whose fault the
    // uninstaller reports.
    const auto ansi = win::AnsiPath(win::FullPathW(log));
    if (!ansi) return arguments;
    core::UninstallCommand named = *command;
    named.logPath = *ansi;
    if (named.Relaunched()) return core::RelaunchArguments(named, named.firstInstance);
    return std::string(named.silent ? "/S " : "") + "\"" + named.logPath + "\"";
}

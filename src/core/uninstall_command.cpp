#include "core/uninstall_command.h"

#include "core/text.h"

namespace core {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(std::string_view& text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
}

// A word up to the next blank, or a quoted text without its quotes.  Nothing
// when a quote is not closed.
std::optional<std::string> TakeWord(std::string_view& text) {
    SkipBlanks(text);
    if (!text.empty() && text.front() == '"') {
        const size_t close = text.find('"', 1);
        if (close == std::string_view::npos) return std::nullopt;
        std::string word(text.substr(1, close - 1));
        text.remove_prefix(close + 1);
        return word;
    }
    size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    std::string word(text.substr(0, end));
    text.remove_prefix(end);
    return word;
}

std::optional<uint32_t> ParseHandle(std::string_view digits) {
    if (digits.empty() || digits.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value == 0 || value > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(value);
}

}  // namespace

std::optional<UninstallCommand> ParseUninstallCommandLine(std::string_view arguments) {
    UninstallCommand command;
    std::string_view rest = arguments;
    SkipBlanks(rest);

    // Options come first; no absolute log path starts with "/".
    while (!rest.empty() && rest.front() == '/') {
        size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end])) ++end;
        const std::string_view option = rest.substr(0, end);
        rest.remove_prefix(end);
        constexpr std::string_view relaunch = "/relance:";
        if (EqualsIgnoreCase(option, "/S")) {
            command.silent = true;
        } else if (option.size() > relaunch.size() && EqualsIgnoreCase(option.substr(0, relaunch.size()), relaunch)) {
            const auto handle = ParseHandle(option.substr(relaunch.size()));
            if (!handle) return std::nullopt;
            command.firstInstance = *handle;
        } else {
            return std::nullopt;
        }
        SkipBlanks(rest);
    }

    if (!rest.empty() && rest.front() == '"') {
        auto quoted = TakeWord(rest);
        if (!quoted) return std::nullopt;
        SkipBlanks(rest);
        if (!rest.empty()) return std::nullopt;  // a second path, or a stray word
        command.logPath = std::move(*quoted);
    } else {
        // Unquoted, the path is everything that is left: it may hold blanks.
        while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
        command.logPath = std::string(rest);
    }
    if (command.logPath.empty()) return std::nullopt;
    return command;
}

std::string RelaunchArguments(const UninstallCommand& command, uint32_t firstInstance) {
    std::string arguments = "/relance:" + std::to_string(firstInstance) + " ";
    if (command.silent) arguments += "/S ";
    return arguments + "\"" + command.logPath + "\"";
}

bool AsksForQuiet(std::string_view arguments) {
    while (true) {
        SkipBlanks(arguments);
        if (arguments.empty()) return false;
        size_t end = 0;
        while (end < arguments.size() && !IsBlank(arguments[end])) ++end;
        if (EqualsIgnoreCase(arguments.substr(0, end), "/S")) return true;
        arguments.remove_prefix(end);
    }
}

}  // namespace core

#include "win/wide_text.h"

#include <windows.h>

namespace win {

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::optional<std::string> WideToAnsi(std::wstring_view text) {
    if (text.empty()) return std::string();
    // Without best fit, a character the code page lacks becomes the default
    // character and is reported, instead of turning into a look-alike.
    BOOL lossy = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) return std::nullopt;
    std::string ansi(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), ansi.data(),
                          length, nullptr, nullptr);
    return ansi;
}

std::string WideToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), length, nullptr,
                          nullptr);
    return utf8;
}

std::wstring Utf8ToWide(std::string_view text) {
    if (text.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::optional<std::string> AnsiPath(const std::wstring& path) {
    if (auto ansi = WideToAnsi(path)) return ansi;
    // Only the names the code page cannot hold take their short form: the
    // same folder then reads the same way whatever lies below it.
    const size_t split = path.find_last_of(L'\\');
    if (split == std::wstring::npos || split == 0) return std::nullopt;
    const auto folder = AnsiPath(path.substr(0, split));
    if (!folder) return std::nullopt;
    std::optional<std::string> name = WideToAnsi(std::wstring_view(path).substr(split + 1));
    if (!name) {
        wchar_t shortPath[MAX_PATH];
        const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return std::nullopt;
        const std::wstring_view shortened(shortPath, length);
        name = WideToAnsi(shortened.substr(shortened.find_last_of(L'\\') + 1));
        if (!name) return std::nullopt;
    }
    return *folder + "\\" + *name;
}

std::optional<std::string> AnsiPathToBe(const std::wstring& path) {
    if (auto ansi = WideToAnsi(path)) return ansi;
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return AnsiPath(path);
    const size_t split = path.find_last_of(L'\\');
    if (split == std::wstring::npos || split == 0) return std::nullopt;
    const auto folder = AnsiPathToBe(path.substr(0, split));
    const auto name = WideToAnsi(std::wstring_view(path).substr(split + 1));
    if (!folder || !name) return std::nullopt;
    return *folder + "\\" + *name;
}

std::string ShownPath(std::wstring_view path) {
    std::string shown;
    for (const wchar_t character : path) {
        // A surrogate pair is one character the code page lacks: one "?".
        if (character >= 0xDC00 && character <= 0xDFFF) continue;
        const auto ansi = WideToAnsi(std::wstring_view(&character, 1));
        shown += ansi ? *ansi : "?";
    }
    return shown;
}

std::wstring CommandLineArguments() {
    const wchar_t* line = ::GetCommandLineW();
    // The program's name ends at the first blank outside double quotes.
    bool quoted = false;
    while (*line > L' ' || (*line && quoted)) {
        if (*line == L'"') quoted = !quoted;
        ++line;
    }
    while (*line && *line <= L' ') ++line;
    return line;
}

}  // namespace win

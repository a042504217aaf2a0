#pragma once
// The program's texts are ANSI (Windows-1252); some system interfaces speak
// UTF-16 only, and some paths hold characters that the ANSI code page lacks.
// These convert at that edge.

#include <optional>
#include <string>
#include <string_view>

namespace win {

// ANSI code page text to UTF-16.
std::wstring AnsiToWide(std::string_view text);

// UTF-16 text in the ANSI code page, or nothing when a character has no
// exact form there (no "?", no look-alike letter).
std::optional<std::string> WideToAnsi(std::wstring_view text);

// A path the "A" functions can use for an existing file or folder: the path
// itself when the code page holds it, else with the folders whose names it
// cannot hold in their short (8.3) form ("C:\users\Łukasz\Desktop" can become
// "C:\users\_UKA~1\Desktop").  Nothing when even that has no ANSI form.
std::optional<std::string> AnsiPath(const std::wstring& path);

}  // namespace win

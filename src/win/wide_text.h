#pragma once
// The program's texts are ANSI (Windows-1252); some system interfaces speak
// UTF-16 only, and some paths hold characters that the ANSI code page lacks.
// These convert at that edge.
//
// Every path taken from Windows follows one rule: it is asked for in UTF-16;
// where the code page can write it, it is used as it is; where it cannot,
// the names it cannot write take their short (8.3) form, which Windows makes
// of plain ASCII letters.  A user named Łukasz keeps working paths, and
// everyone else sees exactly the paths of before.

#include <optional>
#include <string>
#include <string_view>

namespace win {

// ANSI code page text to UTF-16.
std::wstring AnsiToWide(std::string_view text);

// UTF-16 text in the ANSI code page, or nothing when a character has no
// exact form there (no "?", no look-alike letter).
std::optional<std::string> WideToAnsi(std::wstring_view text);

// UTF-16 text to UTF-8 and back: a lossless byte form of Windows' own text,
// for the portable parsers of the command lines.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// A path the "A" functions can use for an existing file or folder: the path
// itself when the code page holds it, else with the folders whose names it
// cannot hold in their short (8.3) form ("C:\users\Łukasz\Desktop" can become
// "C:\users\_UKA~1\Desktop").  Nothing when even that has no ANSI form.
std::optional<std::string> AnsiPath(const std::wstring& path);

// The same for a path that may not exist yet, a folder or a file about to be
// made: its longest existing part by the rule above, and the rest as it is,
// which the code page must then hold ("C:\users\Łukasz\nouveau" can become
// "C:\users\_UKA~1\nouveau").  Nothing when the missing part holds a name the
// code page cannot write: such a name has a short form only once it exists.
std::optional<std::string> AnsiPathToBe(const std::wstring& path);

// A path for a person to read in an ANSI text (a message box, the journal):
// each character the code page lacks shows as "?", which no name may hold,
// never as a look-alike letter.
std::string ShownPath(std::wstring_view path);

// The program's command line in UTF-16, after the program's own name, cut as
// the C runtime cuts the one it hands to WinMain.  The "A" form of the line
// replaces the characters the code page lacks by look-alikes.
std::wstring CommandLineArguments();

}  // namespace win

#pragma once
// Text helpers shared by every layer.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// The empty text stays empty; otherwise the text ends with exactly the "\" it
// had, or gains one.
std::string IncludeBackslash(std::string_view path);

// The system's integer conversion: leading blanks, an optional sign, decimal
// digits or hexadecimal ones after "$", "x", "X", "0x" or "0X", and nothing
// after them.  Hexadecimal takes the full 32 bits ("$FFFFFFFF" is -1).
std::optional<int32_t> TryStrToInt(std::string_view text);
int32_t StrToInt(std::string_view text);  // throws ConvertError
int32_t StrToIntDef(std::string_view text, int32_t fallback);

// How the ini-file class reads a whole number: a value that starts with "0x"
// or "0X" is hexadecimal, anything else goes through StrToIntDef.
int32_t IniValueToInt(std::string_view text, int32_t fallback);

// A number in hexadecimal digits, at least `width` of them (zeros before),
// in capitals or not.  For texts that would otherwise need printf, which
// would bring a whole formatting engine into the programs.
std::string HexText(uint32_t value, int width = 1, bool capitals = true);

// 32-bit signed arithmetic with overflow checking; throws OverflowError.
int32_t CheckedAdd(int32_t a, int32_t b);
int32_t CheckedMultiply(int32_t a, int32_t b);

// A to Z or a to z: a drive letter, for one.
bool IsAsciiLetter(char c);

// The text with its ASCII capitals made small, the rest as it is: the key
// under which the names that profile files compare alike meet.  Paths have
// a rule of their own (PathKey).
std::string LowerAscii(std::string_view text);

// Case-insensitive comparison of ASCII letters, as profile files compare
// section and key names.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// The blanks profile files trim around names and values: the platform counts
// carriage returns and Ctrl-Z among them.
bool IsProfileBlank(char c);
std::string_view TrimProfileBlanksFront(std::string_view text);
std::string_view TrimProfileBlanksBack(std::string_view text);
std::string_view TrimProfileBlanks(std::string_view text);  // both ends

// The character a Windows-1252 byte stands for.
char16_t Cp1252ToUnicode(unsigned char byte);

// The capital Windows gives a character of Windows-1252, as its loader does
// to a resource name it looks up: accented letters too, ÿ becoming Ÿ; ß and
// µ have none.
char16_t UpperCaseOf(char16_t c);

// Windows-1252 text as UTF-8, the way file names are spelt on Linux.
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace core

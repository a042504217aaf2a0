#pragma once
// The uninstaller's command line, with its log path as Windows holds it.  The
// "A" line that WinMain gets has the characters Windows-1252 lacks replaced
// by look-alikes: a log typed as "C:\Programmes\Łódź\setup.log" would be
// looked for in C:\Programmes\Lódz.  So the line is read again in UTF-16,
// and its log path is taken from that reading by the rule of win/wide_text.h.

#include <string>

// `arguments`: the "A" line after the program's name; `wideArguments`: the
// same in UTF-16.  The "A" line itself when Windows-1252 can write the log
// path, or when the UTF-16 line cannot be read (the uninstaller then says
// what is wrong, as always); else the same request naming the log by a path
// the "A" functions can open.
std::string ArgumentsWithLogPath(const std::string& arguments, const std::wstring& wideArguments);

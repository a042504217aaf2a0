#pragma once
// The paths of the installer's command line, read from Windows' own UTF-16
// line.  The "A" line that WinMain gets has the characters Windows-1252
// lacks replaced by look-alikes: /DIR=C:\Programmes\Łódź would install into
// C:\Programmes\Lódz and call it a success.  So the line is read a second
// time, in UTF-16, and /DIR, /D and /LOG are taken from that reading by the
// rule of win/wide_text.h; everything else, and every fault, is read from
// the "A" line as always.

#include <string>
#include <vector>

#include "core/setup_command.h"

class CommandLinePaths {
public:
    // Replaces the paths of `commandLine` by their reading in `arguments`
    // (the UTF-16 line after the program's name), or sets its problem.
    // Nothing changes for a line that Windows-1252 can write.
    CommandLinePaths(core::SetupCommandLine& commandLine, const std::wstring& arguments);
    // Removes the folders made for the destination that stayed empty, so that
    // a start that ended before installing anything leaves nothing behind.
    ~CommandLinePaths();
    CommandLinePaths(const CommandLinePaths&) = delete;
    CommandLinePaths& operator=(const CommandLinePaths&) = delete;

    // A destination whose missing folders have names Windows-1252 cannot
    // write can be named only once those folders exist: makes them through
    // the UTF-16 functions and puts the destination's short form into
    // `installDir`.  False, after a box naming the folder, when the folder
    // cannot be made or has no short form.  Called once the installer has
    // started, so that a run that cannot start makes nothing.
    bool MakeDestination(std::string& installDir);

private:
    std::wstring destination_;        // to be made first; empty when none is
    std::vector<std::wstring> made_;  // the folders made for it, outermost first
};

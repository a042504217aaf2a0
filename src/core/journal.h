#pragma once
// The lines of the installation journal that /LOG asks for: plain text, one
// event per line, each after its date and time.

#include <string>
#include <string_view>

namespace core {

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// "2024-05-17 14:03:09  <text>" and CR LF.  The line breaks of a message
// box's text become blanks, so that each event stays on one line.
std::string JournalLine(const LocalTime& time, std::string_view text);

// The name of the journal that a bare /LOG writes into the temporary folder,
// what it is and when: "Journal d'installation 2024-05-17 14-03-09.txt".
std::string JournalFileName(const LocalTime& time);

// "20240517", as the uninstall entry's InstallDate wants it.
std::string CompactDate(const LocalTime& time);

}  // namespace core

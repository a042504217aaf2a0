#include "core/journal.h"

#include <string>

namespace core {

namespace {

// A number with at least `width` digits, zeros before: no printf, which would
// bring a whole formatting engine into the installer.
std::string Digits(int value, size_t width) {
    std::string text = std::to_string(value);
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

}  // namespace

std::string JournalFileName(const LocalTime& time) {
    return "Journal d'installation " + Digits(time.year, 4) + "-" + Digits(time.month, 2) + "-" + Digits(time.day, 2) +
           " " + Digits(time.hour, 2) + "-" + Digits(time.minute, 2) + "-" + Digits(time.second, 2) + ".txt";
}

std::string JournalLine(const LocalTime& time, std::string_view text) {
    std::string line = Digits(time.year, 4) + "-" + Digits(time.month, 2) + "-" + Digits(time.day, 2) + " " +
                       Digits(time.hour, 2) + ":" + Digits(time.minute, 2) + ":" + Digits(time.second, 2) + "  ";
    const size_t textStart = line.size();
    bool lastWasBreak = false;
    for (const char c : text) {
        const bool isBreak = c == '\r' || c == '\n';
        if (!isBreak)
            line += c;
        else if (!lastWasBreak)
            line += ' ';
        lastWasBreak = isBreak;
    }
    while (line.size() > textStart && line.back() == ' ') line.pop_back();
    return line + "\r\n";
}

std::string CompactDate(const LocalTime& time) {
    return Digits(time.year, 4) + Digits(time.month, 2) + Digits(time.day, 2);
}

}  // namespace core

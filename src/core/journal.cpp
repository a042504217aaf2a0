#include "core/journal.h"

#include <cstdio>

namespace core {

std::string JournalLine(const LocalTime& time, std::string_view text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d  ", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    std::string line = stamp;
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
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", time.year, time.month, time.day);
    return date;
}

}  // namespace core

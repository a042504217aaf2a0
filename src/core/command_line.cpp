#include "core/command_line.h"

namespace core {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    size_t at = 0;

    // The program's name knows no escapes (a path cannot hold a quote):
    // quotes only switch blanks off and on, as the C runtime skips it.
    std::string program;
    bool inQuotes = false;
    for (; at < line.size() && (inQuotes || !IsBlank(line[at])); ++at) {
        if (line[at] == '"')
            inQuotes = !inQuotes;
        else
            program += line[at];
    }
    words.push_back(std::move(program));

    for (;;) {
        while (at < line.size() && IsBlank(line[at])) ++at;
        if (at >= line.size()) break;
        std::string word;
        bool quoted = false;
        while (at < line.size() && (quoted || !IsBlank(line[at]))) {
            size_t backslashes = 0;
            while (at < line.size() && line[at] == '\\') ++backslashes, ++at;
            if (at < line.size() && line[at] == '"') {
                word.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    word += '"';
                } else if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
                    word += '"';
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
            } else {
                word.append(backslashes, '\\');
                if (backslashes == 0) word += line[at++];
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace core

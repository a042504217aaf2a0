#pragma once
// What an uninstallation did, item by item, and the French report the user
// reads at the end.

#include <string>
#include <vector>

namespace core {

enum class Outcome {
    Removed,
    Missing,    // already gone: not worth a word
    Scheduled,  // in use; removed when the computer restarts
    Failed,     // could not be removed, nor scheduled
    Refused,    // never touched: removing it could harm the system
    NotEmpty,   // a folder that still holds other files, kept
    Kept,       // the uninstall entry of another installation, kept
};

struct ReportEntry {
    std::string what;  // a path, or the uninstall entry's description
    Outcome outcome;
    std::string reason;  // why, for Scheduled, Failed and Refused
};

// Failed or refused: still there, and not going at the restart either.
inline bool StaysBehind(Outcome outcome) { return outcome == Outcome::Failed || outcome == Outcome::Refused; }

struct UninstallReport {
    std::string appName;
    std::vector<ReportEntry> entries;
    // The log and the uninstall entry were kept, so that the user can try
    // again for what stays.
    bool keptForAnotherTry = false;

    void Add(std::string what, Outcome outcome, std::string reason = {}) {
        entries.push_back({std::move(what), outcome, std::move(reason)});
    }
    int RemovedCount() const;
    // True when something the log names is still there (or will be until a restart).
    bool SomethingLeft() const;
    // True when all that is left goes at the next restart.
    bool OnlyTheRestartLeft() const;
};

// The text of the final box; lines end with a single carriage return.  At
// most `maxListed` items left behind are listed one by one.
std::string ReportText(const UninstallReport& report, size_t maxListed = 12);

// The confirmation question for an application and its folder (either may
// be empty).
std::string ConfirmationText(const std::string& appName, const std::string& installFolder);

}  // namespace core

#include "Journal/Journal.h"

#include <windows.h>

#include "core/journal.h"
#include "win/file_io.h"
#include "win/local_time.h"

TJournal Journal;

bool TJournal::Open(const std::string& path) {
    // Shared for reading, so that the administrator can follow it.  The run
    // may be elevated: a link that someone put at the journal's path must
    // not make it empty another file.
    file_ = win::CreatePlainFileForWriting(path);
    return IsOpen();
}

void TJournal::Write(const std::string& text) {
    if (!file_) return;
    const std::string line = core::JournalLine(win::LocalNow(), text);
    DWORD written = 0;
    if (!::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size())
        file_.reset();
}

void JournalBox(const ui::DialogRequest& request) {
    if (request.kind == ui::DialogKind::Error) Journal.Write("Erreur : " + request.text);
    if (request.kind == ui::DialogKind::Warning) Journal.Write("Avertissement : " + request.text);
}

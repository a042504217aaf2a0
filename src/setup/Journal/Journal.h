#pragma once
// The installation journal that /LOG asks for: a plain-text account, in
// French and Windows-1252, of each step of the run, each file installed or
// kept by the version gate, and each error, every line with its date and
// time.  It is for administrators; the uninstaller never reads it.  Without
// /LOG it stays closed and every call does nothing.

#include <string>

#include "ui/message_dialog.h"
#include "win/handle.h"

class TJournal {
public:
    // Creates or empties the file, relative to the current folder unless
    // the path is complete.  False when it cannot be written, and when it is
    // a folder, a link or a file with other names, which stay as they were.
    bool Open(const std::string& path);
    bool IsOpen() const { return static_cast<bool>(file_); }
    void Close() { file_.reset(); }

    // One event.  A journal that cannot be written any more is given up
    // silently: it never stops an installation.
    void Write(const std::string& text);

private:
    win::FileHandle file_;
};

// The one journal of the process.
extern TJournal Journal;

// Writes an error or warning box to the journal, whether a person sees it or
// a silent mode keeps it from them.  For a ui::ScopedDialogObserver.
void JournalBox(const ui::DialogRequest& request);

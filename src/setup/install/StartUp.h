#pragma once
// The start-up sequence, apart from the message loop, so that tests can run it.

#include <string>

// The box shown when the installer cannot start.
extern const char* const kStartUpErrorText;

// Checks the embedded manifest against the installer's checksum list, then
// chooses the work folder, writes out the manifest and reads it into the
// installer state.  On failure it removes the work copy and the work folder,
// shows the start-up error box (or, for a damaged manifest, the damaged
// installer's box) and returns false.
bool StartUp();

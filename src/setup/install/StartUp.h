#pragma once
// The start-up sequence, apart from the message loop, so that tests can run it.

#include <string>

// The box shown when the installer cannot start.
extern const char* const kStartUpErrorText;

// Chooses the work folder, writes out the manifest and reads it into the
// installer state.  On failure it removes the work copy and the work folder,
// shows the start-up error box and returns false.
bool StartUp();

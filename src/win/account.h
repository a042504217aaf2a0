#pragma once
// Who the program runs as.

namespace win {

// True when the process runs as the SYSTEM account, as deployment services
// (Intune, Configuration Manager) run installers: it has no desktop of its
// own that a person would see.
bool RunsAsLocalSystem();

}  // namespace win

#pragma once
// An uninstaller cannot remove its own file while it runs from it.  So the
// uninstaller that the user starts copies itself to the temporary folder,
// starts the copy with the same request and ends at once; the copy waits for
// it to end, does the work (the log names the first file, which goes with the
// rest), and has its own file removed when the computer restarts.

#include <cstdint>
#include <string>

#include "core/uninstall_command.h"

// True when the copy runs; the caller then simply ends.
bool RelaunchFromTemporaryCopy(const core::UninstallCommand& command);

// In the copy: waits (a while at most) for the first instance to end.
void WaitForFirstInstance(uint32_t handle);

// The running executable's full path.
std::string OwnExecutablePath();

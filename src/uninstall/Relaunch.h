#pragma once
// An uninstaller cannot remove its own file while it runs from it.  So the
// uninstaller that the user starts copies itself to the temporary folder and
// starts the copy with the same request; the copy does the work and has its
// own file removed when the computer restarts.
//
// A script or a deployment tool that started the first instance may wait for
// it, so the first instance waits for the copy's result, which comes through
// a pipe that is the copy's standard output, and ends with it.  The copy then
// removes the first instance's file last, once that instance has ended, when
// nothing of the installation stays.

#include <cstdint>
#include <optional>
#include <string>

#include "core/uninstall_command.h"

// Starts the copy, and gives its result once it has done the work, or
// nothing when no copy could be started.  A copy that ends without a result
// gives kUninstallIncomplete.
std::optional<int> RelaunchAndWaitForResult(const core::UninstallCommand& command);

// In the copy: true when the first instance waits for the result.
bool FirstInstanceAwaitsResult();
// Hands the result over; the first instance then ends with it.
void SendResultToFirstInstance(int result);
// The first instance's program file, from the handle the copy inherited.
std::string FirstInstanceProgram(uint32_t handle);

// In the copy: waits (a while at most) for the first instance to end.
void WaitForFirstInstance(uint32_t handle);

// The running executable's full path.
std::string OwnExecutablePath();

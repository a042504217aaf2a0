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
//
// HandOver is the copy's side of that exchange, and starts it from the first
// instance's side.

#include <cstdint>
#include <optional>
#include <string>

#include "core/uninstall_command.h"
#include "win/handle.h"

class HandOver {
public:
    // The first instance's side: starts the copy, and gives its result once
    // it has done the work, or nothing when no copy could be started.  A copy
    // that ends without a result gives kUninstallIncomplete.
    static std::optional<int> RelaunchAndWaitForResult(const core::UninstallCommand& command);

    // No first instance: a run that hands nothing over.
    HandOver() = default;
    // The copy's side, from its command line: takes the inherited handle on
    // the first instance's process, and learns whether that instance waits
    // for the result.
    explicit HandOver(const core::UninstallCommand& command);
    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    // True when a first instance waits for the result.  It then holds its
    // own file until the result came.
    bool FirstInstanceWaits() const { return waits_; }
    // The waiting first instance's program file, which the removals leave
    // until the result was sent; empty when none waits or it is not known.
    const std::string& DeferredFile() const { return deferredFile_; }

    // Hands the result over, the first time only; the first instance then
    // ends with it.  Gives `result` back.
    int Send(int result);
    // Waits (a while at most) for the first instance to end.
    void WaitForFirstInstance() const;

private:
    win::KernelHandle firstInstance_;  // its process; none when not relaunched
    bool waits_ = false;
    bool sent_ = false;
    std::string deferredFile_;
};

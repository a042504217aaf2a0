#pragma once
// A system-wide lock held by one process at a time: a named mutex.  The
// system releases it when its holder ends, whatever the cause, so a crash
// never blocks the next run.

#include <optional>
#include <string>

#include "win/handle.h"

namespace win {

// A mutex this thread owns: let go, then closed.
struct OwnedMutexTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) {
        ::ReleaseMutex(value);
        ::CloseHandle(value);
    }
};

class NamedLock {
public:
    // The lock when no other process holds it; nothing when one does.  A
    // lock that cannot be made at all (no such object allowed) is taken as
    // free: it must never keep the program from running alone.
    static std::optional<NamedLock> TryAcquire(const std::string& name);

private:
    explicit NamedLock(HANDLE ownedMutex) : mutex_(ownedMutex) {}
    UniqueHandle<OwnedMutexTraits> mutex_;
};

}  // namespace win

#include "win/named_lock.h"

namespace win {

std::optional<NamedLock> NamedLock::TryAcquire(const std::string& name) {
    KernelHandle mutex(::CreateMutexA(nullptr, FALSE, name.c_str()));
    if (!mutex) return NamedLock(nullptr);
    // An abandoned lock was held by a process that ended without letting go:
    // it is ours now.
    const DWORD waited = ::WaitForSingleObject(mutex.get(), 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return NamedLock(mutex.release());
    return std::nullopt;
}

}  // namespace win

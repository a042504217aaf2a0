// The eleven POSIX thread functions that libstdc++ and GCC's unwinder call,
// made of Win32's own primitives.  Without them the linker takes the whole
// POSIX threads library into each program, a ninth of the installer, for the
// guards of static locals, the exception pool's lock, the unwinder's
// registry of frames and the emulated thread-local storage.  The programs
// make their one other thread with CreateThread and never call these
// themselves.  Linked into each shipped executable as an object, so that
// these definitions, not the library's, are taken; a program that also
// needs the library (std::thread) fails to link instead of mixing the two.
#include <windows.h>

#include <pthread.h>

#include <cerrno>

// The C runtime's destructors of thread-local slots, run as each thread ends.
extern "C" int ___w64_mingwthr_add_key_dtor(DWORD key, void (*destructor)(void*));
extern "C" int ___w64_mingwthr_remove_key_dtor(DWORD key);

namespace {

// A mutex or condition variable begins as one of the library's static
// initializers (or zero) and is made at its first use.  Two threads that
// race to make it keep the one that was published first.
bool NotMadeYet(intptr_t value) { return value >= -3 && value <= 0; }

template <typename Object, typename Make, typename Unmake>
Object* MadeAtFirstUse(intptr_t* slot, Make make, Unmake unmake) {
    const intptr_t value = *static_cast<volatile intptr_t*>(slot);
    if (!NotMadeYet(value)) return reinterpret_cast<Object*>(value);
    auto* made = static_cast<Object*>(::HeapAlloc(::GetProcessHeap(), 0, sizeof(Object)));
    if (!made) return nullptr;
    make(made);
    void* const before = ::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(slot), made,
                                                             reinterpret_cast<void*>(value));
    if (before == reinterpret_cast<void*>(value)) return made;
    unmake(made);
    ::HeapFree(::GetProcessHeap(), 0, made);
    return static_cast<Object*>(before);
}

CRITICAL_SECTION* SectionOf(pthread_mutex_t* mutex) {
    // Recursive, which also serves the library's plain and error-checking
    // mutexes: neither of its callers locks one twice.
    return MadeAtFirstUse<CRITICAL_SECTION>(mutex, ::InitializeCriticalSection, ::DeleteCriticalSection);
}

CONDITION_VARIABLE* VariableOf(pthread_cond_t* condition) {
    return MadeAtFirstUse<CONDITION_VARIABLE>(condition, ::InitializeConditionVariable, [](CONDITION_VARIABLE*) {});
}

}  // namespace

extern "C" {

int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*) {
    *mutex = PTHREAD_MUTEX_INITIALIZER;
    return 0;
}

int pthread_mutex_destroy(pthread_mutex_t* mutex) {
    if (!NotMadeYet(*mutex)) {
        auto* section = reinterpret_cast<CRITICAL_SECTION*>(*mutex);
        ::DeleteCriticalSection(section);
        ::HeapFree(::GetProcessHeap(), 0, section);
    }
    *mutex = PTHREAD_MUTEX_INITIALIZER;
    return 0;
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
    CRITICAL_SECTION* section = SectionOf(mutex);
    if (!section) return ENOMEM;
    ::EnterCriticalSection(section);
    return 0;
}

int pthread_mutex_unlock(pthread_mutex_t* mutex) {
    if (NotMadeYet(*mutex)) return EPERM;  // never locked
    ::LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(*mutex));
    return 0;
}

int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    CONDITION_VARIABLE* variable = VariableOf(condition);
    CRITICAL_SECTION* section = SectionOf(mutex);
    if (!variable || !section) return ENOMEM;
    return ::SleepConditionVariableCS(variable, section, INFINITE) ? 0 : EINVAL;
}

int pthread_cond_broadcast(pthread_cond_t* condition) {
    CONDITION_VARIABLE* variable = VariableOf(condition);
    if (!variable) return ENOMEM;
    ::WakeAllConditionVariable(variable);
    return 0;
}

int pthread_once(pthread_once_t* once, void (*initialise)(void)) {
    enum : LONG { kNotRun = 0, kRunning = 1, kDone = 2 };
    if (::InterlockedCompareExchange(once, kRunning, kNotRun) == kNotRun) {
        initialise();
        ::InterlockedExchange(once, kDone);
        return 0;
    }
    while (::InterlockedCompareExchange(once, kDone, kDone) != kDone) ::SwitchToThread();
    return 0;
}

int pthread_key_create(pthread_key_t* key, void (*destructor)(void*)) {
    const DWORD index = ::TlsAlloc();
    if (index == TLS_OUT_OF_INDEXES) return EAGAIN;
    if (destructor && ___w64_mingwthr_add_key_dtor(index, destructor) != 0) {
        ::TlsFree(index);
        return ENOMEM;
    }
    *key = index;
    return 0;
}

int pthread_key_delete(pthread_key_t key) {
    ___w64_mingwthr_remove_key_dtor(key);
    return ::TlsFree(key) ? 0 : EINVAL;
}

void* pthread_getspecific(pthread_key_t key) {
    // TlsGetValue clears the last error, which a thread_local read between a
    // failed call and GetLastError would otherwise lose.
    const DWORD lastError = ::GetLastError();
    void* value = ::TlsGetValue(key);
    ::SetLastError(lastError);
    return value;
}

int pthread_setspecific(pthread_key_t key, const void* value) {
    return ::TlsSetValue(key, const_cast<void*>(value)) ? 0 : EINVAL;
}

}  // extern "C"

// The shipped programs' own thread functions for libstdc++ and the unwinder
// (src/runtime/threads.cpp), under what threads do to them at once: a static
// local first reached by several, exceptions in flight on all of them,
// thread-local values and their destructors.
//
// A program of its own, without GoogleTest: GoogleTest needs the POSIX
// threads library, which these functions replace and cannot be linked with.
// It prints one line per failed check and, only when none failed, the line
// CTest waits for.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "win/handle.h"

namespace {

constexpr int kThreads = 8;

int failures = 0;

void Expect(bool holds, const char* what) {
    if (holds) return;
    std::printf("FAILED: %s\n", what);
    ++failures;
}

struct Start {
    const std::function<void(int)>* body;
    HANDLE go;
    int index;
};

DWORD WINAPI RunStart(void* parameter) {
    const auto* start = static_cast<Start*>(parameter);
    ::WaitForSingleObject(start->go, INFINITE);
    (*start->body)(start->index);
    return 0;
}

// Runs `body(i)` on kThreads threads of CreateThread's, released together so
// that they meet in the code under test, and waits for them all.
void RunTogether(const std::function<void(int)>& body) {
    const win::KernelHandle go(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::vector<Start> starts(kThreads);
    std::vector<win::KernelHandle> threads;
    for (int i = 0; i < kThreads; ++i) {
        starts[i] = {&body, go.get(), i};
        threads.emplace_back(::CreateThread(nullptr, 0, RunStart, &starts[i], 0, nullptr));
        Expect(bool(threads.back()), "a thread starts");
    }
    ::SetEvent(go.get());
    for (const auto& thread : threads)
        Expect(!thread || ::WaitForSingleObject(thread.get(), 60000) == WAIT_OBJECT_0, "a thread ends within a minute");
}

std::atomic<int> initialisations = 0;

int SlowlyInitialised() {
    static const int value = [] {
        ++initialisations;
        ::Sleep(100);  // the others arrive meanwhile and must wait
        return 42;
    }();
    return value;
}

void AStaticLocalReachedByEveryThreadAtOnceIsMadeOnceAndSeenByAll() {
    std::atomic<int> seen42 = 0;
    RunTogether([&](int) { seen42 += SlowlyInitialised() == 42; });
    Expect(initialisations == 1, "the static local is initialised once");
    Expect(seen42 == kThreads, "every thread sees its value");
}

void EachThreadCatchesItsOwnExceptions() {
    std::atomic<int> mixedUp = 0;
    RunTogether([&](int index) {
        for (int round = 0; round < 500; ++round) {
            try {
                throw std::to_string(index) + "/" + std::to_string(round);
            } catch (const std::string& caught) {
                mixedUp += caught != std::to_string(index) + "/" + std::to_string(round);
            }
        }
    });
    Expect(mixedUp == 0, "each thread catches the exceptions it threw");
}

std::atomic<int> destroyed = 0;
struct CountedOnDestruction {
    int value = 0;
    ~CountedOnDestruction() { ++destroyed; }
};
thread_local CountedOnDestruction perThread;

void ThreadLocalValuesAreEachThreadsOwnAndGoWithIt() {
    std::atomic<int> wrong = 0, errorsLost = 0;
    destroyed = 0;
    RunTogether([&](int index) {
        perThread.value = index;
        ::Sleep(20);
        // Reading a thread-local value keeps the last error of the call before.
        ::SetLastError(ERROR_ACCESS_DENIED);
        wrong += perThread.value != index;
        errorsLost += ::GetLastError() != ERROR_ACCESS_DENIED;
    });
    Expect(wrong == 0, "each thread reads its own thread-local value");
    Expect(errorsLost == 0, "reading a thread-local value keeps the last error");
    Expect(destroyed == kThreads, "each ended thread destroys its own thread-local object");
}

}  // namespace

int main() {
    AStaticLocalReachedByEveryThreadAtOnceIsMadeOnceAndSeenByAll();
    EachThreadCatchesItsOwnExceptions();
    ThreadLocalValuesAreEachThreadsOwnAndGoWithIt();
    if (failures == 0) std::printf("runtime threads: every check passed\n");
    return failures == 0 ? 0 : 1;
}

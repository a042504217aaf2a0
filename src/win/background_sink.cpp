#include "win/background_sink.h"

#include <algorithm>
#include <cstring>

namespace win {

namespace {

// Holds an exclusive SRW lock for its scope.
class Locked {
public:
    explicit Locked(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~Locked() { ::ReleaseSRWLockExclusive(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

BackgroundSink::BackgroundSink(core::InflateSink& target, std::function<bool()> flush,
                               std::function<void()> whileWaiting)
    : target_(target), flush_(std::move(flush)), whileWaiting_(std::move(whileWaiting)), slots_(kSlots) {
    for (Slot& slot : slots_) slot.bytes.resize(core::kInflateChunk);
    thread_.reset(::CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    // Without a thread the work is done by nobody: every Write fails.
    if (!thread_) failed_ = true;
}

BackgroundSink::~BackgroundSink() { Stop(); }

DWORD WINAPI BackgroundSink::ThreadMain(void* self) {
    auto* sink = static_cast<BackgroundSink*>(self);
    // No exception may unwind into Windows: a sink or a flush that throws
    // counts as a failed write, which the caller reports as it reports any.
    try {
        sink->WriteAll();
    } catch (...) {
        sink->Fail();
    }
    return 0;
}

void BackgroundSink::WriteAll() {
    size_t unflushed = 0;  // bytes written since the last flush
    for (;;) {
        Slot* slot = nullptr;
        bool dropped = false;  // after a failure, what is left is not written
        {
            Locked locked(lock_);
            while (waiting_ == 0 && !finishing_ && !stopping_) ::SleepConditionVariableSRW(&filled_, &lock_, INFINITE, 0);
            if (stopping_) return;
            if (waiting_ == 0) break;  // finishing, and all is written
            slot = &slots_[first_];
            dropped = failed_;
        }
        // The slot stays taken while it is written: Write only fills free ones.
        const size_t size = slot->size;
        const bool ok = dropped || target_.Write(std::span<const uint8_t>(slot->bytes.data(), size));
        {
            Locked locked(lock_);
            first_ = (first_ + 1) % slots_.size();
            --waiting_;
            if (ok) ::WakeConditionVariable(&freed_);
        }
        if (!ok) {
            Fail();
            continue;
        }
        if (dropped) continue;
        // The disk takes the file a few megabytes at a time: one flush of
        // the whole file at the end would hold the caller for as long as the
        // disk needs.  The slot is free again meanwhile.
        unflushed += size;
        if (unflushed >= kFlushEvery) {
            unflushed = 0;
            if (!flush_()) Fail();
        }
    }
    const bool flushed = !failed_ && flush_();
    Locked locked(lock_);
    flushed_ = flushed;
}

void BackgroundSink::Fail() {
    Locked locked(lock_);
    failed_ = true;
    // Whoever waits for a buffer must hear of it.
    ::WakeAllConditionVariable(&freed_);
}

bool BackgroundSink::Write(std::span<const uint8_t> bytes) {
    if (bytes.size() > core::kInflateChunk) return false;
    for (;;) {
        {
            Locked locked(lock_);
            if (waiting_ == slots_.size() && !failed_)
                ::SleepConditionVariableSRW(&freed_, &lock_, kWaitSliceMs, 0);
            if (failed_) return false;
            if (waiting_ < slots_.size()) {
                Slot& slot = slots_[(first_ + waiting_) % slots_.size()];
                std::copy(bytes.begin(), bytes.end(), slot.bytes.begin());
                slot.size = bytes.size();
                ++waiting_;
                ::WakeConditionVariable(&filled_);
                return true;
            }
        }
        // Outside the lock: the caller may handle its windows at length.
        if (whileWaiting_) whileWaiting_();
    }
}

bool BackgroundSink::Finish() {
    if (!thread_) return false;
    {
        Locked locked(lock_);
        finishing_ = true;
        ::WakeConditionVariable(&filled_);
    }
    while (::WaitForSingleObject(thread_.get(), kWaitSliceMs) == WAIT_TIMEOUT)
        if (whileWaiting_) whileWaiting_();
    thread_.reset();
    Locked locked(lock_);
    return !failed_ && flushed_;
}

void BackgroundSink::Stop() {
    if (!thread_) return;
    {
        Locked locked(lock_);
        stopping_ = true;
        ::WakeConditionVariable(&filled_);
    }
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}

}  // namespace win

#pragma once
// Writing on a thread of its own, so that inflating and writing overlap and
// no write or flush ever holds the thread that handles the windows.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/inflate.h"
#include "win/handle.h"

namespace win {

// A sink that hands each chunk to a writer thread, which passes it on to
// `target` in order, and calls `flush` after every kFlushEvery bytes and at
// the end.  The chunks wait in a bounded ring of buffers, so no more than
// kSlots chunks (480 KiB) are ever in flight, whatever the size of the file.
// A failed write or flush is reported by the next Write or by Finish, and
// stops the writing: the rest is dropped.
class BackgroundSink final : public core::InflateSink {
public:
    // Inflation fills the ring in about a millisecond: a larger one would
    // only hide a longer flush, and costs memory the whole run.
    static constexpr size_t kSlots = 8;
    static constexpr size_t kFlushEvery = 32 * core::kInflateChunk;  // about 2 MiB

    // `target` and `flush` are used on the writer thread only, until Finish
    // returns or the sink is destroyed.  `whileWaiting` is called on the
    // caller's thread every few milliseconds while Write or Finish waits for
    // the writer, so that the caller's windows stay responsive however slow
    // the disk.
    BackgroundSink(core::InflateSink& target, std::function<bool()> flush,
                   std::function<void()> whileWaiting = {});
    ~BackgroundSink() override;  // stops the writer and drops what it has not written
    BackgroundSink(const BackgroundSink&) = delete;
    BackgroundSink& operator=(const BackgroundSink&) = delete;

    // Copies the chunk (at most core::kInflateChunk bytes) into a free buffer,
    // waiting for one while the ring is full; false once a write has failed.
    bool Write(std::span<const uint8_t> bytes) override;

    // Waits until every chunk is written and `flush` has put them on the
    // disk.  False when a write or a flush failed.
    bool Finish();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void WriteAll();
    void Fail();  // from the writer thread: stops the writing, wakes the caller
    void Stop();

    static constexpr DWORD kWaitSliceMs = 20;  // between two calls of whileWaiting_

    core::InflateSink& target_;
    std::function<bool()> flush_;
    std::function<void()> whileWaiting_;

    struct Slot {
        std::vector<uint8_t> bytes;
        size_t size = 0;
    };
    std::vector<Slot> slots_;
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE filled_ = CONDITION_VARIABLE_INIT;  // a chunk waits, or the writer should stop
    CONDITION_VARIABLE freed_ = CONDITION_VARIABLE_INIT;   // a buffer is free, or writing failed
    size_t first_ = 0;   // the oldest chunk waiting
    size_t waiting_ = 0; // chunks waiting
    bool failed_ = false;
    bool finishing_ = false;  // no more chunks come: write the rest, flush, end
    bool stopping_ = false;   // end at once
    bool flushed_ = false;
    KernelHandle thread_;
};

}  // namespace win

#pragma once
// Streaming inflation of one zlib stream to an exact number of bytes.  The
// stream is read from a source and written to a sink in bounded chunks, so
// neither the compressed nor the inflated data is ever held whole.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace core {

// The largest piece of inflated data moved at a time.
inline constexpr size_t kInflateChunk = 61440;

class InflateSource {
public:
    virtual ~InflateSource() = default;
    // Fills the start of `buffer`; 0 bytes means the end of the input,
    // nothing means the input could not be read.
    virtual std::optional<size_t> Read(std::span<uint8_t> buffer) = 0;
};

class InflateSink {
public:
    virtual ~InflateSink() = default;
    // False when the bytes could not all be written.
    virtual bool Write(std::span<const uint8_t> bytes) = 0;
};

enum class InflateStatus {
    Ok,
    ShortStream,    // the stream ended, or the input ran out, before byteCount bytes
    CorruptStream,  // zlib refused the data, or the checksum did not match
    ReadFailed,
    WriteFailed,
};

struct InflateOptions {
    size_t chunkSize = kInflateChunk;     // clamped to 1..kInflateChunk
    std::function<void()> onChunk = {};   // called after each chunk is written
};

// Inflates a zlib-framed stream and writes exactly byteCount bytes.  Each
// chunk is obtained whole from the inflation before it is written.  Inflated
// data beyond byteCount is neither produced nor written and is no error; when
// the stream ends exactly at byteCount its checksum is verified.
InflateStatus InflateExactly(InflateSource& source, InflateSink& sink, uint64_t byteCount,
                             const InflateOptions& options = {});

// Sources and sinks over memory, for tests and tools.
class MemorySource final : public InflateSource {
public:
    // `step` bounds how many bytes one Read hands out (0: no bound).
    explicit MemorySource(std::span<const uint8_t> bytes, size_t step = 0) : bytes_(bytes), step_(step) {}
    std::optional<size_t> Read(std::span<uint8_t> buffer) override;

private:
    std::span<const uint8_t> bytes_;
    size_t step_;
};

}  // namespace core

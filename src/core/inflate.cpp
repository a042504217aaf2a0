#include "core/inflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace core {

namespace {

// Input is read in pieces of this size; it only bounds memory, not results.
constexpr size_t kInputChunk = 65536;

// Owns a zlib inflation state for the lifetime of one call.
class Inflater {
public:
    Inflater() { ok_ = inflateInit(&stream_) == Z_OK; }
    ~Inflater() {
        if (ok_) inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool ok() const { return ok_; }
    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
    bool ok_ = false;
};

enum class Fill { Full, Ended, Corrupt, ReadFailed, InputExhausted };

// Inflates until `out` is full or the stream stops, refilling the input as
// needed.  `produced` tells how much of `out` was filled.
Fill FillBuffer(Inflater& inflater, InflateSource& source, std::vector<uint8_t>& input, bool& inputEnded,
                std::span<uint8_t> out, size_t& produced) {
    z_stream& z = inflater.stream();
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    while (z.avail_out > 0) {
        if (z.avail_in == 0 && !inputEnded) {
            const std::optional<size_t> got = source.Read(input);
            if (!got) return Fill::ReadFailed;
            if (*got == 0) inputEnded = true;
            z.next_in = input.data();
            z.avail_in = static_cast<uInt>(*got);
        }
        const int result = inflate(&z, Z_NO_FLUSH);
        produced = out.size() - z.avail_out;
        if (result == Z_STREAM_END) return z.avail_out == 0 ? Fill::Full : Fill::Ended;
        if (result == Z_NEED_DICT || result == Z_DATA_ERROR || result == Z_STREAM_ERROR || result == Z_MEM_ERROR) {
            // zlib decodes ahead of a full buffer as far as its input goes and
            // may meet damage there.  The bytes asked for are whole all the
            // same; the error stays and shows if more is asked for.
            return z.avail_out == 0 ? Fill::Full : Fill::Corrupt;
        }
        // Z_BUF_ERROR or Z_OK without progress and no more input to give.
        if (z.avail_in == 0 && inputEnded && z.avail_out > 0) return Fill::InputExhausted;
    }
    produced = out.size();
    return Fill::Full;
}

}  // namespace

std::optional<size_t> MemorySource::Read(std::span<uint8_t> buffer) {
    size_t count = std::min(buffer.size(), bytes_.size());
    if (step_ > 0) count = std::min(count, step_);
    if (count > 0) std::memcpy(buffer.data(), bytes_.data(), count);
    bytes_ = bytes_.subspan(count);
    return count;
}

InflateStatus InflateExactly(InflateSource& source, InflateSink& sink, uint64_t byteCount,
                             const InflateOptions& options) {
    const size_t chunkSize = std::clamp<size_t>(options.chunkSize, 1, kInflateChunk);
    Inflater inflater;
    if (!inflater.ok()) return InflateStatus::CorruptStream;

    std::vector<uint8_t> input(kInputChunk);
    std::vector<uint8_t> output(chunkSize);
    bool inputEnded = false;

    uint64_t remaining = byteCount;
    while (remaining > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(remaining, chunkSize));
        size_t produced = 0;
        const Fill fill =
            FillBuffer(inflater, source, input, inputEnded, std::span<uint8_t>(output.data(), want), produced);
        switch (fill) {
        case Fill::Full: break;
        case Fill::Ended:
        case Fill::InputExhausted: return InflateStatus::ShortStream;
        case Fill::Corrupt: return InflateStatus::CorruptStream;
        case Fill::ReadFailed: return InflateStatus::ReadFailed;
        }
        if (!sink.Write(std::span<const uint8_t>(output.data(), want))) return InflateStatus::WriteFailed;
        remaining -= want;
        if (options.onChunk) options.onChunk();
    }

    // All bytes are written.  If the stream holds nothing more, its trailer
    // must still be whole and match; if it holds more, the rest is ignored.
    uint8_t probe = 0;
    size_t produced = 0;
    switch (FillBuffer(inflater, source, input, inputEnded, std::span<uint8_t>(&probe, 1), produced)) {
    case Fill::Full: return InflateStatus::Ok;  // longer than byteCount: the rest is not wanted
    case Fill::Ended: return InflateStatus::Ok;
    case Fill::Corrupt: return InflateStatus::CorruptStream;
    case Fill::ReadFailed: return InflateStatus::ReadFailed;
    case Fill::InputExhausted: return InflateStatus::ShortStream;
    }
    return InflateStatus::Ok;
}

}  // namespace core

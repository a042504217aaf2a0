// The streaming inflation on arbitrary streams, byte counts, chunk sizes and
// source steps, with a source and a sink that can be told to fail.  Two modes:
//   - raw: the rest of the input is the stream.  Invariants: a write is never
//     empty nor larger than the chunk, nothing beyond byteCount is written, Ok
//     means exactly byteCount bytes, ReadFailed and WriteFailed come only from
//     a failing source or sink, the outcome does not depend on the chunk size
//     or the source step, and runs agree on the bytes they both wrote;
//   - round trip: the rest of the input is a plaintext compressed here, which
//     must come back exactly, and whose damaged forms must be refused.
#include <fuzzer/FuzzedDataProvider.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

#include "core/inflate.h"

namespace {

using core::InflateStatus;

void Check(bool condition) {
    if (!condition) std::abort();
}

constexpr size_t kNever = std::numeric_limits<size_t>::max();
// Keeps every execution fast: at most this many chunks, at most kMaxOutput bytes.
constexpr uint64_t kMaxWrites = 1 << 16;
constexpr uint64_t kMaxOutput = 4 << 20;

class FailingSource final : public core::InflateSource {
public:
    FailingSource(std::span<const uint8_t> bytes, size_t step, size_t failAt) : memory_(bytes, step), failAt_(failAt) {}

    std::optional<size_t> Read(std::span<uint8_t> buffer) override {
        Check(!failed_);  // nobody reads on after a failure
        if (reads_++ == failAt_) {
            failed_ = true;
            return std::nullopt;
        }
        return memory_.Read(buffer);
    }
    bool failed() const { return failed_; }

private:
    core::MemorySource memory_;
    size_t failAt_;
    size_t reads_ = 0;
    bool failed_ = false;
};

// Counts what it receives and keeps the checksum of the bytes so far after
// each write, so that two runs can be compared up to where the shorter ended.
// Refuses write number failAt.
class CheckingSink final : public core::InflateSink {
public:
    CheckingSink(size_t chunkLimit, size_t failAt, std::vector<uint8_t>* copy = nullptr)
        : chunkLimit_(chunkLimit), failAt_(failAt), copy_(copy) {}

    bool Write(std::span<const uint8_t> bytes) override {
        Check(!failed_);  // nobody writes on after a failure
        Check(!bytes.empty() && bytes.size() <= chunkLimit_);
        if (writes_++ == failAt_) {
            failed_ = true;
            return false;
        }
        crcs_.push_back(crc32(crc(), bytes.data(), static_cast<uInt>(bytes.size())));
        total_ += bytes.size();
        if (copy_) copy_->insert(copy_->end(), bytes.begin(), bytes.end());
        return true;
    }

    bool failed() const { return failed_; }
    uint64_t total() const { return total_; }
    size_t accepted() const { return crcs_.size(); }
    uLong crc() const { return crcs_.empty() ? crc32(0, nullptr, 0) : crcs_.back(); }
    const std::vector<uLong>& crcs() const { return crcs_; }

private:
    size_t chunkLimit_;
    size_t failAt_;
    std::vector<uint8_t>* copy_;
    size_t writes_ = 0;
    bool failed_ = false;
    uint64_t total_ = 0;
    std::vector<uLong> crcs_;
};

struct Run {
    InflateStatus status;
    uint64_t total;
    std::vector<uLong> crcs;  // after each write
    uLong crc() const { return crcs.empty() ? crc32(0, nullptr, 0) : crcs.back(); }
};

// Two runs in the same chunks wrote the same bytes up to where the shorter ended.
bool SameStart(const std::vector<uLong>& a, const std::vector<uLong>& b) {
    const size_t writes = std::min(a.size(), b.size());
    return writes == 0 || a[writes - 1] == b[writes - 1];
}

// One call, with the invariants that hold whatever the stream holds.
Run Inflate(std::span<const uint8_t> stream, uint64_t byteCount, size_t chunkSize, size_t step, size_t readFailAt,
            size_t writeFailAt, std::vector<uint8_t>* copy = nullptr) {
    const size_t chunkLimit = std::clamp<size_t>(chunkSize, 1, core::kInflateChunk);
    FailingSource source(stream, step, readFailAt);
    CheckingSink sink(chunkLimit, writeFailAt, copy);
    size_t chunks = 0;
    const InflateStatus status =
        core::InflateExactly(source, sink, byteCount, {.chunkSize = chunkSize, .onChunk = [&] { ++chunks; }});

    Check(sink.total() <= byteCount);
    Check(chunks == sink.accepted());
    if (status == InflateStatus::Ok) Check(sink.total() == byteCount);
    Check((status == InflateStatus::ReadFailed) == source.failed());
    Check((status == InflateStatus::WriteFailed) == sink.failed());
    return {status, sink.total(), sink.crcs()};
}

size_t ConsumeFailure(FuzzedDataProvider& input) {
    return input.ConsumeBool() ? input.ConsumeIntegralInRange<size_t>(0, 16) : kNever;
}

void RawStream(FuzzedDataProvider& input) {
    const size_t chunkSize = input.ConsumeIntegralInRange<size_t>(0, core::kInflateChunk + 1);
    const size_t chunkLimit = std::clamp<size_t>(chunkSize, 1, core::kInflateChunk);
    uint64_t byteCount = 0;
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: break;
    case 1: byteCount = input.ConsumeIntegralInRange<uint64_t>(1, 64); break;
    case 2: byteCount = input.ConsumeIntegralInRange<uint64_t>(65, 70000); break;
    default: byteCount = input.ConsumeIntegralInRange<uint64_t>(70001, kMaxOutput); break;
    }
    byteCount = std::min<uint64_t>(byteCount, chunkLimit * kMaxWrites);
    const size_t step = input.ConsumeIntegralInRange<size_t>(0, 300);
    const size_t readFailAt = ConsumeFailure(input);
    const size_t writeFailAt = ConsumeFailure(input);
    const std::vector<uint8_t> stream = input.ConsumeRemainingBytes<uint8_t>();

    const Run run = Inflate(stream, byteCount, chunkSize, step, readFailAt, writeFailAt);
    const bool stoppedEarly = run.status == InflateStatus::ReadFailed || run.status == InflateStatus::WriteFailed;

    // The stream read whole, in the same chunks, with nothing failing: the
    // outcome is the same unless the run was stopped, and so are the bytes.
    // How far a run gets before a fault shows is not fixed: zlib may look
    // past the bytes it hands out, further when it holds more input.
    {
        FailingSource source(stream, 0, kNever);
        CheckingSink sink(chunkLimit, kNever);
        const InflateStatus status = core::InflateExactly(source, sink, byteCount, {.chunkSize = chunkSize});
        Check(SameStart(sink.crcs(), run.crcs));
        if (!stoppedEarly) Check(status == run.status);
        if (status == InflateStatus::Ok && run.status == InflateStatus::Ok) Check(sink.crc() == run.crc());
    }
    // Nor does the chunk size decide the outcome or the bytes of a whole run.
    if (!stoppedEarly) {
        FailingSource source(stream, 0, kNever);
        CheckingSink sink(core::kInflateChunk, kNever);
        Check(core::InflateExactly(source, sink, byteCount) == run.status);
        if (run.status == InflateStatus::Ok) Check(sink.crc() == run.crc());
    }
}

void RoundTrip(FuzzedDataProvider& input) {
    const int level = input.ConsumeIntegralInRange(-1, 9);
    const size_t chunkSize = input.ConsumeIntegralInRange<size_t>(1, 4096);
    const size_t step = input.ConsumeIntegralInRange<size_t>(0, 64);
    const size_t prefix = input.ConsumeIntegral<uint16_t>();
    const std::vector<uint8_t> plain = input.ConsumeRemainingBytes<uint8_t>();

    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::vector<uint8_t> stream(size);
    Check(compress2(stream.data(), &size, plain.data(), static_cast<uLong>(plain.size()), level) == Z_OK);
    stream.resize(size);

    std::vector<uint8_t> out;
    Check(Inflate(stream, plain.size(), chunkSize, step, kNever, kNever, &out).status == InflateStatus::Ok);
    Check(out == plain);

    // Any shorter count gives the start of the data; a longer one runs short.
    out.clear();
    const size_t part = std::min(prefix, plain.size());
    Check(Inflate(stream, part, chunkSize, step, kNever, kNever, &out).status == InflateStatus::Ok);
    Check(std::equal(out.begin(), out.end(), plain.begin(), plain.begin() + part));
    Check(Inflate(stream, plain.size() + 1, chunkSize, step, kNever, kNever).status == InflateStatus::ShortStream);

    // Bytes after the stream are not the stream's business.
    std::vector<uint8_t> longer = stream;
    longer.insert(longer.end(), {0x78, 0xDA, 0xFF});
    Check(Inflate(longer, plain.size(), chunkSize, step, kNever, kNever).status == InflateStatus::Ok);

    // A trailer cut short, or with a flipped bit, is never taken for the data.
    const std::span<const uint8_t> cut(stream.data(), stream.size() - 1);
    Check(Inflate(cut, plain.size(), chunkSize, step, kNever, kNever).status == InflateStatus::ShortStream);
    std::vector<uint8_t> damaged = stream;
    damaged.back() ^= static_cast<uint8_t>(1u << (prefix % 8));
    Check(Inflate(damaged, plain.size(), chunkSize, step, kNever, kNever).status == InflateStatus::CorruptStream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        RoundTrip(input);
    } else {
        RawStream(input);
    }
    return 0;
}

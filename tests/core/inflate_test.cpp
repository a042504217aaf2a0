#include "core/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

namespace core {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Compress(const Bytes& data, int level = Z_BEST_COMPRESSION) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level), Z_OK);
    out.resize(size);
    return out;
}

// Text-like data that compresses, with some noise so that it is not trivial.
Bytes SampleData(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    static const char* const words[] = {"installation ", "fichier ", "Korvalix ", "version ", "dossier\r\n"};
    Bytes out;
    out.reserve(size);
    while (out.size() < size) {
        const std::string word = words[random() % 5];
        out.insert(out.end(), word.begin(), word.end());
        if (random() % 7 == 0) out.push_back(static_cast<uint8_t>(random()));
    }
    out.resize(size);
    return out;
}

Bytes RandomData(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes out(size);
    for (auto& b : out) b = static_cast<uint8_t>(random());
    return out;
}

// Records what is written and the size of every write.
class RecordingSink final : public InflateSink {
public:
    bool Write(std::span<const uint8_t> bytes) override {
        if (failAfter >= 0 && static_cast<int>(writes.size()) >= failAfter) return false;
        data.insert(data.end(), bytes.begin(), bytes.end());
        writes.push_back(bytes.size());
        return true;
    }
    Bytes data;
    std::vector<size_t> writes;
    int failAfter = -1;
};

class FailingSource final : public InflateSource {
public:
    explicit FailingSource(std::span<const uint8_t> bytes) : inner_(bytes, 100) {}
    std::optional<size_t> Read(std::span<uint8_t> buffer) override {
        if (reads_++ >= 2) return std::nullopt;
        return inner_.Read(buffer);
    }

private:
    MemorySource inner_;
    int reads_ = 0;
};

InflateStatus Inflate(const Bytes& stream, uint64_t count, RecordingSink& sink, size_t step = 0,
                      InflateOptions options = {}) {
    MemorySource source(stream, step);
    return InflateExactly(source, sink, count, options);
}

TEST(Inflate, RoundTripsDataOfSeveralSizes) {
    for (size_t size : {size_t{1}, size_t{100}, kInflateChunk - 1, kInflateChunk, kInflateChunk + 1,
                        size_t{3} * kInflateChunk + 17, size_t{1} << 20}) {
        for (const Bytes& data : {SampleData(size, 7), RandomData(size, 11)}) {
            RecordingSink sink;
            ASSERT_EQ(Inflate(Compress(data), data.size(), sink), InflateStatus::Ok) << size;
            EXPECT_EQ(sink.data, data) << size;
        }
    }
}

TEST(Inflate, MovesAtMostOneChunkAtATime) {
    const Bytes data = SampleData(5 * kInflateChunk + 1234, 3);
    RecordingSink sink;
    int chunks = 0;
    InflateOptions options;
    options.onChunk = [&] { ++chunks; };
    ASSERT_EQ(Inflate(Compress(data), data.size(), sink, 0, options), InflateStatus::Ok);
    ASSERT_EQ(sink.writes.size(), 6u);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(sink.writes[i], kInflateChunk);
    EXPECT_EQ(sink.writes.back(), 1234u);
    EXPECT_EQ(chunks, 6);
}

TEST(Inflate, ChunkSizeIsCappedAtTheMaximum) {
    const Bytes data = SampleData(2 * kInflateChunk, 5);
    RecordingSink sink;
    InflateOptions options;
    options.chunkSize = 10 * kInflateChunk;
    ASSERT_EQ(Inflate(Compress(data), data.size(), sink, 0, options), InflateStatus::Ok);
    EXPECT_EQ(sink.writes, (std::vector<size_t>{kInflateChunk, kInflateChunk}));
}

TEST(Inflate, AcceptsInputOneByteAtATimeAndTinyOutputChunks) {
    for (size_t size : {size_t{1}, size_t{999}, size_t{70000}}) {
        const Bytes data = RandomData(size, 23);
        for (size_t chunk : {size_t{1}, size_t{7}, size_t{4096}}) {
            RecordingSink sink;
            InflateOptions options;
            options.chunkSize = chunk;
            ASSERT_EQ(Inflate(Compress(data), data.size(), sink, 1, options), InflateStatus::Ok) << size;
            EXPECT_EQ(sink.data, data);
        }
    }
}

TEST(Inflate, ShortStreamIsReported) {
    const Bytes data = SampleData(200000, 1);
    RecordingSink sink;
    EXPECT_EQ(Inflate(Compress(data), data.size() + 1, sink), InflateStatus::ShortStream);
    // Whatever was whole before the end was handed to the sink, and no more.
    EXPECT_LE(sink.data.size(), data.size());
    EXPECT_TRUE(std::equal(sink.data.begin(), sink.data.end(), data.begin()));
}

TEST(Inflate, TruncatedStreamIsShort) {
    const Bytes data = SampleData(200000, 2);
    Bytes stream = Compress(data);
    for (size_t keep : {size_t{0}, size_t{1}, size_t{2}, stream.size() / 2, stream.size() - 5}) {
        Bytes cut(stream.begin(), stream.begin() + static_cast<ptrdiff_t>(keep));
        RecordingSink sink;
        const InflateStatus status = Inflate(cut, data.size(), sink);
        EXPECT_TRUE(status == InflateStatus::ShortStream || status == InflateStatus::CorruptStream) << keep;
        EXPECT_NE(status, InflateStatus::Ok) << keep;
    }
}

TEST(Inflate, MissingChecksumIsShortEvenWhenEveryByteArrived) {
    const Bytes data = SampleData(5000, 4);
    Bytes stream = Compress(data);
    stream.resize(stream.size() - 4);  // the Adler-32 trailer
    RecordingSink sink;
    EXPECT_EQ(Inflate(stream, data.size(), sink), InflateStatus::ShortStream);
}

TEST(Inflate, CorruptStreamIsReported) {
    const Bytes data = SampleData(200000, 8);
    const Bytes stream = Compress(data);
    // A damaged header, damaged data in the middle, and a damaged checksum.
    for (size_t at : {size_t{0}, size_t{1}, stream.size() / 2, stream.size() - 1}) {
        Bytes bad = stream;
        bad[at] ^= 0x55;
        RecordingSink sink;
        EXPECT_EQ(Inflate(bad, data.size(), sink), InflateStatus::CorruptStream) << at;
    }
}

TEST(Inflate, RawDeflateAndGzipAreRefused) {
    const Bytes data = SampleData(1000, 9);
    for (int windowBits : {-15, 31}) {
        z_stream z{};
        ASSERT_EQ(deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
        Bytes out(2000);
        z.next_in = const_cast<uint8_t*>(data.data());
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        out.resize(z.total_out);
        deflateEnd(&z);
        RecordingSink sink;
        EXPECT_EQ(Inflate(out, data.size(), sink), InflateStatus::CorruptStream) << windowBits;
        EXPECT_TRUE(sink.data.empty());
    }
}

TEST(Inflate, OverLongStreamGivesExactlyTheCount) {
    const Bytes data = SampleData(300000, 12);
    for (size_t count : {size_t{1}, size_t{1000}, kInflateChunk, size_t{299999}}) {
        RecordingSink sink;
        ASSERT_EQ(Inflate(Compress(data), count, sink), InflateStatus::Ok) << count;
        EXPECT_EQ(sink.data, Bytes(data.begin(), data.begin() + static_cast<ptrdiff_t>(count)));
    }
}

TEST(Inflate, DamageBeyondTheCountDoesNotDependOnHowTheInputArrives) {
    // zlib may decode ahead of the bytes asked for when it holds enough
    // input; damage it meets there lies beyond the count and is no error,
    // however the source hands out the stream.
    const Bytes data = SampleData(5000, 16);
    Bytes stream = Compress(data);
    stream.back() ^= 0x01;  // the checksum, right after the last byte
    for (size_t step : {size_t{0}, size_t{1}, size_t{3}}) {
        for (size_t chunk : {size_t{1}, size_t{7}, kInflateChunk}) {
            RecordingSink sink;
            InflateOptions options;
            options.chunkSize = chunk;
            ASSERT_EQ(Inflate(stream, data.size() - 1, sink, step, options), InflateStatus::Ok) << step << " " << chunk;
            EXPECT_EQ(sink.data, Bytes(data.begin(), data.end() - 1));
            // Asked for every byte, the checksum is verified.
            RecordingSink whole;
            EXPECT_EQ(Inflate(stream, data.size(), whole, step, options), InflateStatus::CorruptStream);
        }
    }
}

TEST(Inflate, TrailingBytesAfterTheStreamAreIgnored) {
    const Bytes data = SampleData(1000, 13);
    Bytes stream = Compress(data);
    stream.insert(stream.end(), {1, 2, 3});
    RecordingSink sink;
    EXPECT_EQ(Inflate(stream, data.size(), sink), InflateStatus::Ok);
    EXPECT_EQ(sink.data, data);
}

TEST(Inflate, WriteFailureStopsTheCopy) {
    const Bytes data = SampleData(4 * kInflateChunk, 14);
    RecordingSink sink;
    sink.failAfter = 2;
    EXPECT_EQ(Inflate(Compress(data), data.size(), sink), InflateStatus::WriteFailed);
    EXPECT_EQ(sink.data.size(), 2 * kInflateChunk);
}

TEST(Inflate, ReadFailureIsReported) {
    const Bytes data = RandomData(10000, 15);
    const Bytes stream = Compress(data);
    FailingSource source(stream);
    RecordingSink sink;
    EXPECT_EQ(InflateExactly(source, sink, data.size()), InflateStatus::ReadFailed);
}

TEST(Inflate, ZeroBytesWantedReadsOnlyTheHeader) {
    const Bytes empty;
    RecordingSink sink;
    EXPECT_EQ(Inflate(Compress(empty), 0, sink), InflateStatus::Ok);
    EXPECT_TRUE(sink.writes.empty());
}

}  // namespace
}  // namespace core

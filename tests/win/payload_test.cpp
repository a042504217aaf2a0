#include "General/Payload.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Variable/Variable.h"
#include "core/errors.h"
#include "core/inflate.h"
#include "ui/message_dialog.h"
#include "robot.h"
#include "support/expected_texts.h"
#include "support/test_support.h"
#include "win/background_sink.h"
#include "win/files.h"
#include "win/handle.h"
#include "win/resources.h"

using namespace testing_support;

namespace {

using Bytes = std::string;

Bytes Compress(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), Z_BEST_COMPRESSION);
    out.resize(size);
    return out;
}

Bytes SampleData(size_t size) {
    std::mt19937 random(42);
    Bytes out;
    while (out.size() < size) out += "Korvalix " + std::to_string(random() % 1000) + "\r\n";
    out.resize(size);
    return out;
}


// Each test gets its own work and destination folders in the temp folder.
class Payload : public testing::Test {
protected:
    void SetUp() override {
        const std::string base = win::TempFolder() + "payload_test_" +
                                 std::to_string(::GetCurrentProcessId()) + "_" +
                                 testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        workDir_ = base + "work\\";
        destDir_ = base + "dest\\";
        ASSERT_TRUE(win::ForceDirectories(workDir_));
        ASSERT_TRUE(win::ForceDirectories(destDir_));
        Installer.WorkDir = workDir_;
        Installer.AppName = "Korvalix32";
    }

    void PutWorkCopy(const Bytes& stream, const std::string& name = "app.exe") {
        WriteFile(workDir_ + name + ".Z", stream);
    }

    bool Decompress(int32_t byteCount, int32_t version, const std::string& name = "app.exe") {
        return DecompressPayload(workDir_, destDir_, name, byteCount, version);
    }

    std::string Fixture(const char* name) { return win::ExecutableFolder() + name; }

    std::string workDir_;
    std::string destDir_;
    ui::ScopedDialogCapture boxes_;
};

TEST(PayloadFolders, WindowsFolderIsTheSystemOne) {
    char expected[MAX_PATH];
    const UINT length = ::GetWindowsDirectoryA(expected, sizeof expected);
    EXPECT_EQ(GetWindowsDir(), std::string(expected, length));
    EXPECT_NE(GetWindowsDir().back(), '\\');
}

TEST_F(Payload, ExtractFindsAnUpperCaseResourceByALowerCaseName) {
    ASSERT_TRUE(ExtractPayload("upper.txt.Z"));
    const auto resource = win::FindRawData("UPPER.TXT.Z");
    ASSERT_TRUE(resource);
    EXPECT_EQ(ReadWholeFile(workDir_ + "upper.txt.Z"), Bytes(resource->begin(), resource->end()));
    EXPECT_EQ(ReadWholeFile(workDir_ + "upper.txt.Z"), "Contenu de la ressource en majuscules.\r\n");
}

TEST_F(Payload, ExtractReplacesAnOlderWorkCopy) {
    WriteFile(workDir_ + "upper.txt.Z", std::string(5000, 'x'));
    ASSERT_TRUE(ExtractPayload("Upper.Txt.z"));
    EXPECT_EQ(ReadWholeFile(workDir_ + "Upper.Txt.z"), "Contenu de la ressource en majuscules.\r\n");
}

TEST_F(Payload, ExtractFailsQuietly) {
    EXPECT_FALSE(ExtractPayload("absent.exe.Z"));
    EXPECT_FALSE(win::FileExists(workDir_ + "absent.exe.Z"));
    Installer.WorkDir = workDir_ + "no such folder\\";
    EXPECT_FALSE(ExtractPayload("upper.txt.Z"));
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(Payload, InflatesExactlyTheByteCount) {
    const Bytes data = SampleData(3 * core::kInflateChunk + 99);
    PutWorkCopy(Compress(data));
    int chunks = 0;
    EXPECT_FALSE(DecompressPayload(workDir_, destDir_, "app.exe", static_cast<int32_t>(data.size()), 10000,
                                   [&] { ++chunks; }));
    EXPECT_EQ(ReadWholeFile(destDir_ + "app.exe"), data);
    // Once after each of the four chunks, and perhaps while the last ones
    // reach the disk: the page is never left waiting.
    EXPECT_GE(chunks, 4);
    EXPECT_TRUE(boxes_.Requests().empty());
    EXPECT_EQ(win::FileNamesIn(destDir_), std::vector<std::string>{"app.exe"});
}

TEST_F(Payload, VersionGate) {
    const Bytes fixture = ReadWholeFile(Fixture("versioned_fixture.exe"));
    ASSERT_FALSE(fixture.empty());
    const Bytes data = SampleData(1000);
    PutWorkCopy(Compress(data));
    const int32_t n = static_cast<int32_t>(data.size());

    struct Case {
        int32_t version;
        bool replaced;
    };
    // The fixture is 2.1.1.7, that is 20101.
    for (const Case c : {Case{20102, true}, Case{20101, true}, Case{20100, false}, Case{0, false},
                         Case{30000, true}}) {
        WriteFile(destDir_ + "app.exe", fixture);
        EXPECT_FALSE(Decompress(n, c.version)) << c.version;
        EXPECT_EQ(ReadWholeFile(destDir_ + "app.exe"), c.replaced ? data : fixture) << c.version;
    }
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(Payload, FileWithoutVersionIsAlwaysReplaced) {
    const Bytes data = SampleData(1000);
    PutWorkCopy(Compress(data));
    WriteFile(destDir_ + "app.exe", "ancienne aide");
    EXPECT_FALSE(Decompress(static_cast<int32_t>(data.size()), 0));
    EXPECT_EQ(ReadWholeFile(destDir_ + "app.exe"), data);
}

TEST_F(Payload, HigherVersionIsLeftAloneEvenWithoutAWorkCopy) {
    WriteFile(destDir_ + "app.exe", ReadWholeFile(Fixture("versioned_fixture.exe")));
    EXPECT_FALSE(Decompress(1000, 20000));
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(Payload, FileHeldWithoutSharingGivesTheCopyMessage) {
    const Bytes data = SampleData(1000);
    PutWorkCopy(Compress(data));
    WriteFile(destDir_ + "app.exe", "programme en cours");
    {
        win::FileHandle held(::CreateFileA((destDir_ + "app.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_TRUE(Decompress(static_cast<int32_t>(data.size()), 10000));
    }
    ExpectErrorBox(OnlyBox(boxes_), CopyFailure("app.exe"));
    EXPECT_EQ(ReadWholeFile(destDir_ + "app.exe"), "programme en cours");
    EXPECT_EQ(win::FileNamesIn(destDir_), std::vector<std::string>{"app.exe"});
}

TEST_F(Payload, FileHeldByAnotherProcessGivesTheCopyMessage) {
    const Bytes data = SampleData(1000);
    PutWorkCopy(Compress(data));
    const std::string target = destDir_ + "app.exe";
    WriteFile(target, "programme en cours");

    const std::string suffix = std::to_string(::GetCurrentProcessId());
    win::KernelHandle ready(::CreateEventA(nullptr, TRUE, FALSE, ("payload_ready_" + suffix).c_str()));
    win::KernelHandle release(::CreateEventA(nullptr, TRUE, FALSE, ("payload_release_" + suffix).c_str()));
    std::string command = "\"" + Fixture("hold_open.exe") + "\" \"" + target + "\" payload_ready_" + suffix +
                          " payload_release_" + suffix;
    ChildProcess holder(command);
    ASSERT_NE(holder.Id(), 0u);
    ASSERT_EQ(::WaitForSingleObject(ready.get(), 20000), WAIT_OBJECT_0);

    EXPECT_TRUE(Decompress(static_cast<int32_t>(data.size()), 10000));

    ::SetEvent(release.get());
    holder.WaitForExit();
    ExpectErrorBox(OnlyBox(boxes_), CopyFailure("app.exe"));
    EXPECT_EQ(ReadWholeFile(target), "programme en cours");
    EXPECT_EQ(win::FileNamesIn(destDir_), std::vector<std::string>{"app.exe"});
}

// Every way a stream can fail leaves the old file as it was and no stray
// temporary file behind.
TEST_F(Payload, DamagedStreamsKeepThePreviousFile) {
    const Bytes data = SampleData(200000);
    const Bytes good = Compress(data);
    Bytes corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0x5A;
    const Bytes truncated = good.substr(0, good.size() / 2);

    struct Case {
        const char* what;
        Bytes stream;
        int32_t count;
    };
    for (const Case& c : {Case{"short", good, static_cast<int32_t>(data.size()) + 1},
                          Case{"truncated", truncated, static_cast<int32_t>(data.size())},
                          Case{"corrupt", corrupt, static_cast<int32_t>(data.size())},
                          Case{"zero", good, 0}, Case{"negative", good, -1}}) {
        ui::ScopedDialogCapture boxes;
        PutWorkCopy(c.stream);
        WriteFile(destDir_ + "app.exe", "version qui marche");
        EXPECT_TRUE(Decompress(c.count, 10000)) << c.what;
        ExpectErrorBox(OnlyBox(boxes), DecompressionFailure("app.exe"));
        EXPECT_EQ(ReadWholeFile(destDir_ + "app.exe"), "version qui marche") << c.what;
        EXPECT_EQ(win::FileNamesIn(destDir_), std::vector<std::string>{"app.exe"}) << c.what;
    }
}

TEST_F(Payload, DamagedStreamCreatesNothingWhenThereWasNoFile) {
    PutWorkCopy(Compress(SampleData(100)));
    EXPECT_TRUE(Decompress(101, 0));
    ExpectErrorBox(OnlyBox(boxes_), DecompressionFailure("app.exe"));
    EXPECT_TRUE(win::FileNamesIn(destDir_).empty());
}

TEST_F(Payload, LongerStreamGivesExactlyTheByteCount) {
    const Bytes data = SampleData(100000);
    PutWorkCopy(Compress(data));
    WriteFile(destDir_ + "app.exe", std::string(500000, 'o'));
    EXPECT_FALSE(Decompress(70000, 10000));
    EXPECT_EQ(ReadWholeFile(destDir_ + "app.exe"), data.substr(0, 70000));
    EXPECT_TRUE(boxes_.Requests().empty());
}

TEST_F(Payload, MissingWorkCopyIsAnError) {
    EXPECT_THROW(Decompress(10, 0), core::Error);
    EXPECT_TRUE(boxes_.Requests().empty());
    EXPECT_TRUE(win::FileNamesIn(destDir_).empty());
}

// The writer thread behind the inflation.  A target that records what
// reaches it, and that can hold its first write until released and then
// fail.
class RecordingTarget final : public core::InflateSink {
public:
    bool Write(std::span<const uint8_t> bytes) override {
        if (holdFirst_ && calls_++ == 0) {
            ::WaitForSingleObject(release_.get(), INFINITE);
            return false;
        }
        written.insert(written.end(), bytes.begin(), bytes.end());
        return true;
    }
    void HoldFirstWriteThenFail() { holdFirst_ = true; }
    void Release() { ::SetEvent(release_.get()); }

    std::vector<uint8_t> written;

private:
    bool holdFirst_ = false;
    int calls_ = 0;
    win::KernelHandle release_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

// The file reaches the disk as it is written: no more than a ring's worth
// (plus the chunk that crossed it) waits for a flush, so that no flush holds
// the inflation or the end for long, and the last flush follows the last
// byte.
TEST(BackgroundSink, WritesEveryChunkInOrderAndFlushesAsItGoesWhileTheCallerWaitsResponsive) {
    RecordingTarget target;
    std::vector<size_t> flushedAt;  // bytes written at each flush
    int waits = 0;  // on this thread only
    int waitsWhileWriting = 0;
    std::vector<uint8_t> expected;
    {
        win::BackgroundSink sink(
            target,
            [&] {
                flushedAt.push_back(target.written.size());
                ::Sleep(50);  // a slow disk: the caller keeps handling its windows meanwhile
                return true;
            },
            [&] { ++waits; });
        std::mt19937 random(7);
        for (int chunk = 0; chunk < 200; ++chunk) {
            std::vector<uint8_t> bytes(1 + random() % core::kInflateChunk, static_cast<uint8_t>(chunk));
            expected.insert(expected.end(), bytes.begin(), bytes.end());
            ASSERT_TRUE(sink.Write(bytes));
        }
        waitsWhileWriting = waits;
        EXPECT_TRUE(sink.Finish());
    }
    EXPECT_TRUE(target.written == expected) << target.written.size() << " bytes written of " << expected.size();
    ASSERT_FALSE(flushedAt.empty());
    EXPECT_EQ(flushedAt.back(), expected.size()) << "the last flush follows the last byte";
    size_t previous = 0;
    for (const size_t at : flushedAt) {
        EXPECT_LE(at - previous, win::BackgroundSink::kFlushEvery + core::kInflateChunk);
        previous = at;
    }
    EXPECT_GE(waitsWhileWriting, 1) << "the ring filled during a flush: the caller handled its windows meanwhile";
    EXPECT_GT(waits, waitsWhileWriting) << "and again during the last flush";
}

// A disk that refuses at a flush what it accepted earlier (a full disk, say)
// fails the file as a failed write does: the later chunks are refused and
// the end reports it.  A flush that throws fails it the same way, instead of
// unwinding out of the writer thread and ending the program.
TEST(BackgroundSink, AFlushThatFailsOnTheWayFailsTheFile) {
    for (const bool throws : {false, true}) {
        SCOPED_TRACE(throws ? "the flush throws" : "the flush returns false");
        RecordingTarget target;
        int flushes = 0;
        win::BackgroundSink sink(target, [&] {
            if (++flushes > 1) return true;
            if (throws) throw core::Error("Erreur d'écriture");
            return false;
        });
        const std::vector<uint8_t> chunk(core::kInflateChunk, 'x');
        bool refused = false;
        const size_t chunksPerFlush = win::BackgroundSink::kFlushEvery / core::kInflateChunk;
        for (size_t n = 0; n < 2 * chunksPerFlush + 2 * win::BackgroundSink::kSlots && !refused; ++n)
            refused = !sink.Write(chunk);
        EXPECT_TRUE(refused) << "chunks are still taken after the failed flush";
        EXPECT_FALSE(sink.Finish());
        EXPECT_EQ(flushes, 1) << "nothing is flushed after the failure";
    }
}

// The writer fails while the inflation waits for a free buffer: the wait
// ends with the failure, after exactly the ring's worth of chunks, and
// nothing is flushed.
TEST(BackgroundSink, AWriterThatFailsReleasesTheWaitingInflation) {
    RecordingTarget target;
    target.HoldFirstWriteThenFail();
    bool flushed = false;
    win::BackgroundSink sink(target, [&] { return flushed = true; });
    std::atomic<size_t> accepted = 0;
    std::thread releaser([&] {
        // Once the ring is full, the next Write waits for the failing writer.
        robot::WaitUntil([&] { return accepted == win::BackgroundSink::kSlots; });
        target.Release();
    });
    const std::vector<uint8_t> chunk(core::kInflateChunk, 'x');
    while (accepted < 2 * win::BackgroundSink::kSlots && sink.Write(chunk)) ++accepted;
    releaser.join();
    EXPECT_EQ(accepted, win::BackgroundSink::kSlots) << "the ring bounds what is in flight";
    EXPECT_FALSE(sink.Write(chunk)) << "a failed writer fails every later chunk";
    EXPECT_FALSE(sink.Finish());
    EXPECT_FALSE(flushed);
    EXPECT_TRUE(target.written.empty());
}

}  // namespace

// Payload inflation benchmark: prints figures, asserts nothing.
//
// Builds a work copy of at least 256 MB of realistic, compressible data
// (log-like text with numbers, paths and some binary records), then measures
//   - DecompressPayload from file to file,
//   - zlib's in-memory inflate of the same stream in this process,
//   - the peak working set during DecompressPayload, above the idle one,
//   - the installer's check of the stored stream against its CRC-32, from a
//     mapped view of the file as the loader maps the installer, against the
//     inflation,
// and prints the size of an installer whose manifest lists no payload.
#include <windows.h>
#include <psapi.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "General/Payload.h"
#include "Variable/Variable.h"
#include "core/checksums.h"
#include "core/inflate.h"
#include "ui/message_dialog.h"
#include "win/file_io.h"
#include "win/files.h"

namespace {

constexpr uint64_t kPayloadBytes = 256ull << 20;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double MiB(uint64_t bytes) { return bytes / 1048576.0; }

size_t WorkingSet() {
    using Fn = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
    static const auto get = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!get || !get(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.WorkingSetSize;
}

// One megabyte of text and records such as an application writes.
void NextBlock(std::mt19937& random, std::string& block) {
    static const char* const words[] = {"installation", "fichier", "Korvalix32", "version", "dossier",
                                        "C:\\Program Files\\Korvalix\\", "erreur", "succès", "copie", "registre"};
    block.clear();
    while (block.size() < (1u << 20)) {
        if (random() % 16 == 0) {
            // a binary record
            for (int i = 0; i < 64; ++i) block.push_back(static_cast<char>(random() % 32));
            continue;
        }
        block += std::to_string(20260000 + random() % 10000) + " ";
        for (int w = 0, n = 3 + random() % 8; w < n; ++w) {
            block += words[random() % 10];
            block += ' ';
        }
        block += std::to_string(random() % 100000) + "\r\n";
    }
    block.resize(1u << 20);
}

// Writes the compressed stream of kPayloadBytes into `path`, streaming.
void MakeWorkCopy(const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    std::mt19937 random(2026);
    std::string block;
    std::vector<unsigned char> buffer(1 << 20);
    for (uint64_t done = 0; done < kPayloadBytes; done += 1u << 20) {
        NextBlock(random, block);
        z.next_in = reinterpret_cast<Bytef*>(block.data());
        z.avail_in = static_cast<uInt>(block.size());
        const int flush = done + (1u << 20) >= kPayloadBytes ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = buffer.data();
            z.avail_out = static_cast<uInt>(buffer.size());
            deflate(&z, flush);
            out.write(reinterpret_cast<const char*>(buffer.data()), buffer.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The best of a few runs: the machine is shared, and the best run is the
// one least disturbed by others.
template <typename Run, typename Prepare>
double BestSeconds(Run run, Prepare prepare) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        prepare();
        const auto started = Clock::now();
        if (!run()) return -1;
        best = std::min(best, Seconds(Clock::now() - started));
    }
    return best;
}

// zlib alone: the whole stream in memory, inflated into one reused chunk.
bool InflateInMemory(const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> chunk(core::kInflateChunk);
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<uint8_t*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = chunk.data();
        z.avail_out = static_cast<uInt>(chunk.size());
        result = inflate(&z, Z_NO_FLUSH);
    }
    const bool ok = result == Z_STREAM_END && z.total_out == kPayloadBytes;
    inflateEnd(&z);
    return ok;
}

// The inflation loop of the installer, in memory, into a sink that keeps nothing.
bool InflateLoopInMemory(const std::vector<uint8_t>& stream) {
    struct Discard : core::InflateSink {
        bool Write(std::span<const uint8_t>) override { return true; }
    } sink;
    core::MemorySource source(stream);
    return core::InflateExactly(source, sink, kPayloadBytes) == core::InflateStatus::Ok;
}

// Writing alone: the same number of bytes in the same chunks, and with
// `durable`, put on the disk at the end as the installer does.
bool WriteOnly(const std::string& path, bool durable) {
    std::vector<uint8_t> chunk(core::kInflateChunk, 'k');
    win::FileHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    win::FileSink sink(file);
    bool ok = true;
    for (uint64_t done = 0; done < kPayloadBytes && ok; done += chunk.size()) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(chunk.size(), kPayloadBytes - done));
        ok = sink.Write(std::span<const uint8_t>(chunk.data(), size));
    }
    if (durable) ok = ok && sink.Flush();
    file.reset();
    ::DeleteFileA(path.c_str());
    return ok;
}

// The check the installer makes before its run, over the stored stream as
// the loader would map it: pieces of kIntegrityPiece with a call between
// them, where the page handles its messages.
// `longestGap` gets the longest time between two of those calls.
bool CheckMapped(const std::string& path, const core::ResourceChecksum& expected, Clock::duration& longestGap) {
    win::FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    win::KernelHandle mapping(::CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return false;
    const void* view = ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (!view) return false;
    const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(view), expected.size);
    auto last = Clock::now();
    longestGap = {};
    const core::Integrity integrity = core::VerifyChecksums(
        {expected}, [&](const std::string&) { return std::optional(bytes); },
        [&](uint64_t, uint64_t) {
            MSG message;
            ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
            const auto now = Clock::now();
            longestGap = std::max(longestGap, now - last);
            last = now;
            return true;
        });
    ::UnmapViewOfFile(view);
    return integrity == core::Integrity::Intact;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = win::TempFolder() + "payload_bench\\";
    win::ForceDirectories(folder);
    Installer.WorkDir = folder;
    Installer.AppName = "Bench";
    const std::string workCopy = folder + "bench.dat.Z";

    std::printf("Building %.0f MiB of payload...\n", MiB(kPayloadBytes));
    const auto built = Clock::now();
    MakeWorkCopy(workCopy);
    const uint64_t stored = ReadAll(workCopy).size();
    std::printf("  compressed to %.1f MiB (%.1f%%) in %.1f s\n", MiB(stored), 100.0 * stored / kPayloadBytes,
                Seconds(Clock::now() - built));

    // File to file, as the installer does it, with the working set sampled
    // beside the inflation rather than from it, so that measuring does not
    // slow down what is measured.
    ui::ScopedDialogCapture boxes;
    const size_t idle = WorkingSet();
    std::atomic<bool> running{true};
    std::atomic<size_t> peak{idle};
    std::thread sampler([&] {
        while (running) {
            const size_t now = WorkingSet();
            if (now > peak) peak = now;
            ::Sleep(5);
        }
    });
    const double fileSeconds = BestSeconds(
        [&] {
            return !DecompressPayload(folder, folder, "bench.dat", static_cast<int32_t>(kPayloadBytes), 0) &&
                   boxes.Requests().empty();
        },
        [&] { win::DeleteFileIfPresent(folder + "bench.dat"); });
    running = false;
    sampler.join();
    win::DeleteFileIfPresent(folder + "bench.dat");

    // How long the page would go without handling messages: the longest gap
    // between two chunk callbacks, counting the start and the end of the call.
    double longestGapMs = 0, firstGapMs = 0, lastGapMs = 0;
    {
        LARGE_INTEGER frequency, last, now;
        ::QueryPerformanceFrequency(&frequency);
        double gapMs = 0;
        auto gapSinceLast = [&] {
            ::QueryPerformanceCounter(&now);
            gapMs = 1000.0 * (now.QuadPart - last.QuadPart) / frequency.QuadPart;
            if (firstGapMs == 0) firstGapMs = gapMs;
            longestGapMs = std::max(longestGapMs, gapMs);
            last = now;
        };
        ::QueryPerformanceCounter(&last);
        DecompressPayload(folder, folder, "bench.dat", static_cast<int32_t>(kPayloadBytes), 0, gapSinceLast);
        gapSinceLast();
        lastGapMs = gapMs;
        win::DeleteFileIfPresent(folder + "bench.dat");
    }

    const auto nothing = [] {};
    const double writeSeconds = BestSeconds([&] { return WriteOnly(folder + "bench.raw", false); }, nothing);
    const double durableSeconds = BestSeconds([&] { return WriteOnly(folder + "bench.raw", true); }, nothing);
    double memorySeconds = 0;
    double loopSeconds = 0;
    double checkSeconds = 0;
    Clock::duration checkGap{};
    {
        const std::vector<uint8_t> stream = ReadAll(workCopy);
        const core::ResourceChecksum expected = core::ChecksumOf("BENCH.DAT.Z", stream);
        checkSeconds = BestSeconds([&] { return CheckMapped(workCopy, expected, checkGap); }, nothing);
        memorySeconds = BestSeconds([&] { return InflateInMemory(stream); }, nothing);
        loopSeconds = BestSeconds([&] { return InflateLoopInMemory(stream); }, nothing);
    }
    win::DeleteFileIfPresent(workCopy);
    ::RemoveDirectoryA(folder.c_str());
    if (fileSeconds < 0 || memorySeconds < 0 || writeSeconds < 0 || loopSeconds < 0 || checkSeconds < 0) {
        std::printf("a run failed\n");
        return 1;
    }

    const double fileRate = MiB(kPayloadBytes) / fileSeconds;
    const double memoryRate = MiB(kPayloadBytes) / memorySeconds;
    std::printf("DecompressPayload, file to file: %8.1f MiB/s (%.2f s, best of 3)\n", fileRate, fileSeconds);
    std::printf("zlib inflate, in memory:         %8.1f MiB/s (%.2f s, best of 3)\n", memoryRate, memorySeconds);
    std::printf("ratio:                           %8.2f (target >= 0.9)\n", fileRate / memoryRate);
    std::printf("  the installer's inflation loop in memory: %.1f MiB/s (%.2f s), %.2f of zlib's\n",
                MiB(kPayloadBytes) / loopSeconds, loopSeconds, memorySeconds / loopSeconds);
    std::printf("  writing the same bytes alone takes %.2f s, and %.2f s with the flush that puts them on the disk\n",
                writeSeconds, durableSeconds);
    std::printf("  (inflation and writing overlap: the slower of %.2f s and %.2f s bounds the run,\n", loopSeconds,
                durableSeconds);
    std::printf("   so this disk allows a ratio of at most %.2f)\n",
                memorySeconds / std::max(loopSeconds, durableSeconds));
    std::printf("checking the stored %.1f MiB against their CRC-32: %.3f s = %.3f of the inflation, file to file "
                "(%.1f MiB/s)\n",
                MiB(stored), checkSeconds, checkSeconds / fileSeconds, MiB(stored) / checkSeconds);
    std::printf("  longest time without handling messages while it checks: %.1f ms\n", Seconds(checkGap) * 1000);
    std::printf("longest time without handling messages while it inflates: %.1f ms (target <= 100)\n",
                longestGapMs);
    std::printf("  before the first chunk %.1f ms, after the last one %.1f ms\n", firstGapMs, lastGapMs);
    std::printf("working set: idle %.1f MiB, peak during inflation %.1f MiB, %+.2f MiB (target <= 8, goal 4)\n",
                MiB(idle), MiB(peak.load()), MiB(peak.load() - idle));

    if (argc > 1) {
        std::ifstream empty(argv[1], std::ios::binary | std::ios::ate);
        const auto size = static_cast<long long>(empty.tellg());
        std::printf("installer without payloads: %lld bytes = %.1f KiB (target <= 256 KiB, aim 200 KiB)\n", size, size / 1024.0);
    }
    return 0;
}

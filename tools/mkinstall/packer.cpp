#include "packer.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <system_error>

#include "core/checksums.h"
#include "core/ini.h"
#include "core/setup_manifest.h"
#include "core/text.h"
#include "pe_resources.h"

namespace mkinstall {

namespace {

// The file of the payload folder that a manifest name stands for.  The
// manifest spells names in Windows-1252, file systems in their own way (UTF-8
// on Linux), so "\xE9t\xE9.txt" is found as the file été.txt.  A folder
// copied from Windows with its names' bytes unchanged still serves.
std::filesystem::path PayloadPath(const std::filesystem::path& folder, const std::string& name) {
    const std::string utf8 = core::Cp1252ToUtf8(name);
    const std::filesystem::path spelt = folder / std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    if (utf8 == name) return spelt;
    std::error_code error;
    if (std::filesystem::exists(spelt, error)) return spelt;
    const std::filesystem::path raw = folder / name;
    return std::filesystem::exists(raw, error) ? raw : spelt;
}

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::optional<uint64_t> SizeIn(const std::filesystem::path& folder, const std::string& name) {
    std::error_code error;
    const std::filesystem::path path = PayloadPath(folder, name);
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    return size;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Checked before any payload is compressed: a stub of the wrong kind would
// give an installer that never starts.
void CheckStub(const Bytes& stub) {
    pe::ImageKind kind;
    try {
        kind = pe::ReadImageKind(stub);
    } catch (const pe::FormatError& error) {
        throw StubError(error.what());
    }
    if (kind.isDll) throw StubError("it is a DLL, not a program");
    if (kind.machine != pe::kMachineI386 && kind.machine != pe::kMachineAmd64)
        throw StubError("it is a program for neither x86 nor x64");
}

}  // namespace

Bytes ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(Utf8(path) + ": cannot read");
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error(Utf8(temporary) + ": cannot write");
    // From here the temporary file is ours: a failure (a full disk, a target
    // that cannot be replaced) takes it away again.
    std::error_code error;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::filesystem::remove(temporary, error);
        throw std::runtime_error(Utf8(temporary) + ": cannot write");
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        throw std::runtime_error(Utf8(path) + ": cannot write");
    }
}

Bytes Compress(const Bytes& data, const std::function<void(uint64_t done)>& progress) {
    // zlib counts in uLong, 32 bits on Windows.
    if (data.size() > std::numeric_limits<uLong>::max() / 2)
        throw pe::TooLargeError("a payload of " + std::to_string(data.size()) + " bytes is too large for zlib");
    z_stream stream{};
    if (deflateInit(&stream, Z_BEST_COMPRESSION) != Z_OK) throw std::runtime_error("zlib could not compress");
    Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    // Fed a step at a time, deflate makes the same stream as in one call.
    constexpr size_t kStep = size_t{1} << 20;
    int result = Z_OK;
    for (size_t at = 0; result == Z_OK; at += kStep) {
        const size_t step = std::min(kStep, data.size() - std::min(at, data.size()));
        stream.next_in = const_cast<Bytef*>(data.data() + std::min(at, data.size()));
        stream.avail_in = static_cast<uInt>(step);
        const bool last = at + kStep >= data.size();
        result = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
        if (progress) progress(std::min<uint64_t>(at + step, data.size()));
    }
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("zlib could not compress");
    out.resize(stream.total_out);
    return out;
}

std::vector<core::ManifestProblem> Check(const Bytes& manifest, const std::filesystem::path& payloadFolder) {
    const core::IniFile ini = core::IniFile::Parse(std::string_view(reinterpret_cast<const char*>(manifest.data()),
                                                                    manifest.size()));
    return core::CheckManifest(ini, [&](const std::string& name) { return SizeIn(payloadFolder, name); });
}

Bytes Pack(const Bytes& stub, const Bytes& manifest, const std::filesystem::path& payloadFolder,
           const Progress& progress) {
    CheckStub(stub);
    const core::IniFile ini = core::IniFile::Parse(std::string_view(reinterpret_cast<const char*>(manifest.data()),
                                                                    manifest.size()));
    std::vector<pe::Resource> resources;
    resources.push_back({pe::Id::Number(pe::kRcData), pe::Id::Name("SETUP.LST"), 0, 0, manifest});
    // Every resource above, by the name the installer looks it up by.
    std::vector<core::ResourceChecksum> checksums = {core::ChecksumOf("SETUP.LST", manifest)};

    const int32_t count = ini.ReadInt("Setup", "Fichiers", -1);
    uint64_t packed = manifest.size();
    for (int32_t n = 1; n <= count && ini.FindSection(core::FileSectionName(n)); ++n) {
        const core::FileEntry entry = core::ReadFileEntry(ini, n);
        if (entry.Taille <= 0 || !core::IsPlainFileName(entry.Nom)) continue;
        if (!SizeIn(payloadFolder, entry.Nom)) continue;  // reported by the check; --force goes on without it
        const pe::Id name = pe::Id::Name(entry.Nom + ".Z");
        bool seen = false;
        for (const pe::Resource& r : resources) seen = seen || r.name == name;
        if (seen) continue;
        const Bytes payload = ReadBytes(PayloadPath(payloadFolder, entry.Nom));
        resources.push_back({pe::Id::Number(pe::kRcData), name, 0, 0, Compress(payload, [&](uint64_t done) {
                                 if (progress) progress(entry.Nom, done, payload.size());
                             })});
        checksums.push_back(core::ChecksumOf(entry.Nom + ".Z", resources.back().data));
        // Stops as soon as the payloads alone pass what an executable holds,
        // before the next one is read.
        packed += resources.back().data.size();
        if (packed >= pe::kMaxImageSize)
            throw pe::TooLargeError("the payloads reach " + std::to_string(packed >> 20) + " MiB compressed at \"" +
                                    core::Cp1252ToUtf8(entry.Nom) + "\", more than the " +
                                    std::to_string(pe::kMaxImageSize >> 20) + " MiB an executable can hold");
    }
    const std::string list = core::FormatChecksums(checksums);
    resources.push_back({pe::Id::Number(pe::kRcData), pe::Id::Name(core::kChecksumResourceName), 0, 0,
                         Bytes(list.begin(), list.end())});
    try {
        return pe::WriteResources(stub, resources);
    } catch (const pe::FormatError& error) {
        throw StubError(error.what());
    }
}

Bytes UpdateSizes(const Bytes& manifest, const std::filesystem::path& payloadFolder) {
    const std::string text(manifest.begin(), manifest.end());
    const core::IniFile ini = core::IniFile::Parse(text);

    std::string out;
    std::string section;
    size_t at = 0;
    while (at < text.size()) {
        // One line and its ending, kept as it was ("\r\n", "\n" or none).
        size_t next = text.find('\n', at);
        next = next == std::string::npos ? text.size() : next + 1;
        size_t end = next;
        while (end > at && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
        std::string line = text.substr(at, end - at);
        const std::string_view trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const size_t close = trimmed.find(']');
            section = std::string(Trim(trimmed.substr(1, close == std::string_view::npos ? close : close - 1)));
        } else if (const size_t equals = line.find('='); equals != std::string::npos &&
                                                         core::EqualsIgnoreCase(Trim(line.substr(0, equals)), "Taille")) {
            const std::string* nom = ini.FindValue(section, "Nom");
            const int32_t old = core::IniValueToInt(std::string(Trim(line.substr(equals + 1))), -1);
            if (nom && old > 0) {
                if (const auto size = SizeIn(payloadFolder, *nom))
                    line = line.substr(0, equals + 1) + std::to_string(*size);
            }
        }
        out += line;
        out.append(text, end, next - end);
        at = next;
    }
    return Bytes(out.begin(), out.end());
}

}  // namespace mkinstall

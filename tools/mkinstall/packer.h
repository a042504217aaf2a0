#pragma once
// What mkinstall does, apart from reading its command line: check a
// manifest against its payload folder, and pack both into an installer stub.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/manifest_check.h"

namespace mkinstall {

using Bytes = std::vector<uint8_t>;

// Messages name files in UTF-8.
Bytes ReadBytes(const std::filesystem::path& path);      // throws std::runtime_error
void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);  // replaces the file in one step

// The problems of the manifest, checked against the files of the folder.  A
// manifest name is Windows-1252 text; its file is looked for under the same
// name in UTF-8 (the folder's own spelling on Linux), then under the
// manifest's bytes.
std::vector<core::ManifestProblem> Check(const Bytes& manifest, const std::filesystem::path& payloadFolder);

// A stub that cannot become an installer, and why.
class StubError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The stub with the manifest as RCDATA "SETUP.LST" and every listed file
// with Taille > 0 found in the folder as RCDATA "<Nom>.Z", compressed by
// zlib at its best level, and the CRC-32 of each of them in RCDATA
// "SETUP.CRC" (core/checksums.h).  The stub must be a program (not a DLL) for x86
// or x64 (a 32-bit or a 64-bit installer stub); anything else is a StubError.
// Payloads that no executable can hold are a pe::TooLargeError, raised as
// soon as they pass the limit.  `progress` hears how far each payload's
// compression has come.
using Progress = std::function<void(const std::string& name, uint64_t done, uint64_t size)>;
Bytes Pack(const Bytes& stub, const Bytes& manifest, const std::filesystem::path& payloadFolder,
           const Progress& progress = {});

// The manifest with each Taille above 0 set to the real size of its file in
// the folder; every other byte is kept.
Bytes UpdateSizes(const Bytes& manifest, const std::filesystem::path& payloadFolder);

// zlib at its best level: the stream starts 0x78 0xDA.  The bytes are those
// of a single compress2() call, however `progress` is told of each step.
Bytes Compress(const Bytes& data, const std::function<void(uint64_t done)>& progress = {});

}  // namespace mkinstall

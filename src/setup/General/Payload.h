#pragma once
// Payload files: each installed file travels in the executable as one zlib
// stream, the RCDATA resource <Nom>.Z.  ExtractPayload writes it into the
// work folder; DecompressPayload inflates that copy into its destination
// under the version gate.

#include <cstdint>
#include <functional>
#include <string>

// The Windows folder, normally without a final "\", or empty.
std::string GetWindowsDir();

// Removes what an installation of this application that stopped half-way
// (a crash, a power cut) left in `folder` (which ends with "\"): the files
// that DecompressPayload writes beside their destination, and nothing else.
void RemoveInstallLeftovers(const std::string& folder);

// The version gate: true when the file already at `destination` carries a
// higher version number than `version`, and stays.
bool KeepsNewerVersion(const std::string& destination, int32_t version);

// Writes the named resource, byte for byte, to WorkDir + resourceName.  True
// on success; shows nothing.
bool ExtractPayload(const std::string& resourceName);

// How an inflated file takes its name in the destination folder.
enum class Placement {
    // Nothing has the name: the file is written under it at once.  For a
    // file whose uninstall log entry is already written, which covers what a
    // crash half-way leaves.
    FreshName,
    // Nothing has the name: the file is written beside it and takes it only
    // once whole.
    MovedIntoPlace,
    // A file has the name: the new one is written beside it and replaces it
    // only once whole and on the disk, so that a damaged payload or a power
    // cut never costs the user a working file.
    Replacing,
};

// Inflates `workCopy` into destDir + fileName, exactly byteCount bytes, with
// no version gate.  True on FAILURE, after the error box was shown.
// `onChunk` as for DecompressPayload.
bool InflatePayload(const std::string& workCopy, const std::string& destDir, const std::string& fileName,
                    int32_t byteCount, Placement placement, const std::function<void()>& onChunk = {});

// Inflates workDir + fileName + ".Z" into destDir + fileName, exactly
// byteCount bytes, unless the file already there carries a higher version
// number than `version`.  True on FAILURE, after the error box was shown;
// false when the file was written or left alone by the version gate.
// `onChunk`, when set, runs after each chunk is inflated, and every few
// milliseconds while the last ones reach the disk, so that the caller can
// let the windows repaint.
bool DecompressPayload(const std::string& workDir, const std::string& destDir, const std::string& fileName,
                       int32_t byteCount, int32_t version, const std::function<void()>& onChunk = {});

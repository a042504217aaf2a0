#pragma once
// Files and folders through the "A" functions.  Paths are Windows-1252 text.

#include <cstdint>
#include <span>
#include <string>

namespace win {

// The system's temporary folder as GetTempPathA gives it, or empty when the
// call fails or the folder does not fit 255 characters.
std::string TempFolder();

// The Windows folder, normally without a final "\", or empty.
std::string WindowsFolder();

// The folder of the running executable, with its final "\".
std::string ExecutableFolder();

// Creates or truncates the file, writes the bytes and closes it.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes);
bool CreateEmptyFile(const std::string& path);
bool DeleteFileIfPresent(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The size of a file in bytes; 0 when there is no such file.
uint64_t FileSizeOf(const std::string& path);

// Creates the folder and every missing parent; an existing folder counts.
bool ForceDirectories(const std::string& path);

}  // namespace win

#pragma once
// Version resources of files already on disk.

#include <string>

namespace win {

// "major.minor.release" of the file's fixed version record, or empty when the
// file is missing, unreadable or has no version resource.  The build number is
// left out on purpose.
std::string GetFileVersionText(const std::string& path);

}  // namespace win

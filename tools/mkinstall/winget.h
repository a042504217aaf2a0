#pragma once
// The winget manifest set that describes a built installer: the version,
// installer and default-locale files a packager submits to a winget
// repository once the download address is known.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "packer.h"

namespace mkinstall {

struct WingetRequest {
    std::filesystem::path folder;
    std::string id;   // UTF-8 "Publisher.Package"; derived from the manifest when empty
    std::string url;  // where the installer will be downloaded from; a placeholder when empty
};

// What winget's schema accepts as a PackageIdentifier (2 to 8 parts of 1 to
// 32 characters, none blank or forbidden in a file name) and as an
// InstallerUrl (http or https).
bool IsPackageIdentifier(std::string_view utf8);
bool IsInstallerUrl(std::string_view text);

// A request that the command line cannot carry out: an identifier or an
// address without a folder, or that winget would refuse, or a folder with
// --sizes (no installer).  Throws UsageError.
void CheckWingetRequest(const WingetRequest& request, bool sizes);

struct WingetFile {
    std::string name;  // UTF-8
    std::string text;  // UTF-8 YAML
};

struct WingetManifests {
    std::vector<WingetFile> files;
    std::vector<std::string> notes;  // what the packager must still fill in, in UTF-8
};

// The manifest set for `installer`, the bytes of the installer as written,
// packed from `manifest` (SETUP.LST); `installerName` names the file in
// placeholder addresses.
WingetManifests DescribeForWinget(const WingetRequest& request, const Bytes& manifest, const Bytes& installer,
                                  const std::string& installerName);

// Reads the installer back as written (signed, perhaps), writes the set into
// the request's folder, creating it, and returns the notes.
std::vector<std::string> WriteWingetManifests(const WingetRequest& request, const Bytes& manifest,
                                              const std::filesystem::path& installer);

}  // namespace mkinstall

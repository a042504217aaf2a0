#pragma once
// mkinstall's command line: what it asks for, or what is wrong with it.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "winget.h"

namespace mkinstall {

// The width of the installer stub, and so of the installer.
enum class Arch { X86, X64 };

// The exit codes, as the README lists them.
enum ExitCode : int {
    kBuilt = 0,
    kManifestErrors = 1,  // nothing built
    kBadCommandLine = 2,
    kFailed = 3,  // a file unreadable or unwritable, no usable stub, payloads too large, signing failed
};

struct Options {
    enum class Mode { Pack, Sizes, Help, Version } mode = Mode::Pack;
    std::filesystem::path manifest;
    std::filesystem::path payloadFolder;
    std::filesystem::path output;
    Arch arch = Arch::X86;
    std::filesystem::path stub;  // overrides the carried stubs when set
    bool force = false;
    std::filesystem::path signingCertificate;  // a PKCS#12 file; no signing when empty
    std::filesystem::path passwordFile;
    std::filesystem::path signTool;  // osslsigncode from the PATH when empty
    WingetRequest winget;  // no winget manifests when its folder is empty
};

// A command line that asks for nothing that can be done; its text says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program's name, in UTF-8.  Throws UsageError.
Options ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
std::string HelpText();

// A path from UTF-8 text, on every system.
std::filesystem::path PathFromUtf8(const std::string& text);
// A path as UTF-8 text, for messages.
std::string Utf8(const std::filesystem::path& path);

}  // namespace mkinstall

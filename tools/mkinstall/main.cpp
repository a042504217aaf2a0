// mkinstall: builds an installer for an application from its manifest and
// its files.  `mkinstall --help` tells how; the README too.
//
// Every message is English UTF-8 text, and names the file, section and key
// it is about; both builds, Linux and Windows, print the same bytes.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.h"
#include "core/text.h"
#include "embedded_stubs.h"
#include "packer.h"
#include "platform.h"
#include "signing.h"

namespace mkinstall {

namespace {

const char* ArchName(Arch arch) { return arch == Arch::X86 ? "x86" : "x64"; }

// The line that asks for the build a missing stub comes from.
std::string BuildFirst(Arch arch) {
    const std::string preset = StubPreset(arch);
    return "build the " + preset + " preset first (cmake --preset " + preset + " && cmake --build --preset " +
           preset + "), then mkinstall again";
}

int Version() {
    std::printf("mkinstall %s\n", MKINSTALL_VERSION);
    for (const Arch arch : {Arch::X86, Arch::X64}) {
        const size_t size = EmbeddedStub(arch).size();
        if (size) std::printf("%s stub: %zu bytes\n", ArchName(arch), size);
        else std::printf("%s stub: none; %s\n", ArchName(arch), BuildFirst(arch).c_str());
    }
    return kBuilt;
}

// "compressing <name>  42%" on one line that each step rewrites, on a
// terminal only: a log or a pipe gets none of it.
class ProgressLine {
public:
    ProgressLine() : shown_(IsTerminal(stderr)) {}
    ~ProgressLine() {
        if (width_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void operator()(const std::string& name, uint64_t done, uint64_t size) {
        if (!shown_) return;
        const int percent = size ? static_cast<int>(done * 100 / size) : 100;
        if (name == name_ && percent == percent_) return;
        name_ = name;
        percent_ = percent;
        const std::string line = "mkinstall: compressing " + core::Cp1252ToUtf8(name) + " " +
                                 std::to_string(percent) + "%";
        std::fprintf(stderr, "\r%-*s", static_cast<int>(width_), line.c_str());
        std::fflush(stderr);
        width_ = std::max(width_, line.size());
    }

private:
    bool shown_;
    std::string name_;
    int percent_ = -1;
    size_t width_ = 0;
};

std::filesystem::path WithSuffix(std::filesystem::path path, const char* suffix) {
    path += suffix;
    return path;
}

// Built beside the output and moved over it only once complete (and
// signed), so that a failure leaves the previous file as it was.
void WriteInstaller(const Options& options, const Bytes& installer) {
    if (options.signingCertificate.empty()) {
        WriteBytes(options.output, installer);
        return;
    }
    const std::filesystem::path unsignedFile = WithSuffix(options.output, ".unsigned");
    const std::filesystem::path signedFile = WithSuffix(options.output, ".signed");
    WriteBytes(unsignedFile, installer);
    try {
        Sign(unsignedFile, signedFile, options.signingCertificate, options.passwordFile, options.signTool);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(unsignedFile, ignored);
        throw;
    }
    std::error_code error;
    std::filesystem::remove(unsignedFile, error);
    std::filesystem::rename(signedFile, options.output, error);
    if (error) {
        std::filesystem::remove(signedFile, error);
        throw std::runtime_error(Utf8(options.output) + ": cannot write");
    }
}

int Build(const Options& options) {
    const Bytes manifest = ReadBytes(options.manifest);
    if (options.mode == Options::Mode::Sizes) {
        WriteBytes(options.output, UpdateSizes(manifest, options.payloadFolder));
        return kBuilt;
    }

    Bytes stub;
    std::string stubName;
    if (!options.stub.empty()) {
        stub = ReadBytes(options.stub);
        stubName = Utf8(options.stub);
    } else {
        const auto carried = EmbeddedStub(options.arch);
        if (carried.empty()) {
            std::fprintf(stderr,
                         "mkinstall: this mkinstall carries no %s installer stub: %s; or name one with --stub\n",
                         ArchName(options.arch), BuildFirst(options.arch).c_str());
            return kFailed;
        }
        stub.assign(carried.begin(), carried.end());
        stubName = std::string("the carried ") + ArchName(options.arch) + " stub";
    }

    const auto problems = Check(manifest, options.payloadFolder);
    // The manifest's values are Windows-1252; the messages are UTF-8.
    for (const core::ManifestProblem& problem : problems)
        std::fprintf(stderr, "%s: %s\n", Utf8(options.manifest).c_str(),
                     core::Cp1252ToUtf8(core::Describe(problem)).c_str());
    if (core::HasErrors(problems) && !options.force) {
        std::fputs("mkinstall: the manifest has errors; nothing was built (--force builds anyway)\n", stderr);
        return kManifestErrors;
    }

    Bytes installer;
    try {
        ProgressLine progress;
        installer = Pack(stub, manifest, options.payloadFolder, std::ref(progress));
    } catch (const StubError& error) {
        std::fprintf(stderr, "mkinstall: %s: cannot be the installer stub: %s\n", stubName.c_str(), error.what());
        return kFailed;
    }
    WriteInstaller(options, installer);
    // The installer may be run directly where Wine runs Windows programs.
    std::error_code ignored;
    using std::filesystem::perms;
    std::filesystem::permissions(options.output, perms::owner_exec | perms::group_exec | perms::others_exec,
                                 std::filesystem::perm_options::add, ignored);
    if (!options.winget.folder.empty())
        for (const std::string& note : WriteWingetManifests(options.winget, manifest, options.output))
            std::fprintf(stderr, "mkinstall: %s\n", note.c_str());
    return kBuilt;
}

int Run(const std::vector<std::string>& arguments) {
    const ConsoleOutput console;
    Options options;
    try {
        options = ParseCommandLine(arguments);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "mkinstall: %s\n(mkinstall --help lists the options)\n", error.what());
        return kBadCommandLine;
    }
    try {
        switch (options.mode) {
        case Options::Mode::Help: std::fputs(HelpText().c_str(), stdout); return kBuilt;
        case Options::Mode::Version: return Version();
        default: return Build(options);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mkinstall: %s\n", error.what());
        return kFailed;
    }
}

}  // namespace

}  // namespace mkinstall

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return mkinstall::Run(mkinstall::Utf8Arguments(argc, argv)); }
#else
int main(int argc, char** argv) { return mkinstall::Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif

#include "command_line.h"

namespace mkinstall {

namespace {

// What takes a value, and where the value goes.
std::filesystem::path* PathOption(Options& options, const std::string& name) {
    if (name == "-o") return &options.output;
    if (name == "--stub") return &options.stub;
    if (name == "--sign") return &options.signingCertificate;
    if (name == "--password-file") return &options.passwordFile;
    if (name == "--signtool") return &options.signTool;
    if (name == "--winget") return &options.winget.folder;
    return nullptr;
}

}  // namespace

std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

Options ParseCommandLine(const std::vector<std::string>& arguments) {
    Options options;
    std::vector<std::string> positional;
    bool sizes = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (arg == "--help" || arg == "-h") {
            options.mode = Options::Mode::Help;
            return options;
        } else if (arg == "--version") {
            options.mode = Options::Mode::Version;
            return options;
        } else if (std::filesystem::path* path = PathOption(options, arg)) {
            if (!hasValue || arguments[i + 1].empty()) throw UsageError(arg + " needs a file name");
            *path = PathFromUtf8(arguments[++i]);
        } else if (arg == "--arch") {
            const std::string value = hasValue ? arguments[++i] : "";
            if (value == "x86") options.arch = Arch::X86;
            else if (value == "x64") options.arch = Arch::X64;
            else throw UsageError("--arch takes x86 or x64" + (value.empty() ? "" : ", not \"" + value + "\""));
        } else if (arg == "--winget-id" || arg == "--winget-url") {
            if (!hasValue || arguments[i + 1].empty()) throw UsageError(arg + " needs a value");
            (arg == "--winget-id" ? options.winget.id : options.winget.url) = arguments[++i];
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--sizes") {
            sizes = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option \"" + arg + "\"");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) throw UsageError("expected a manifest and a payload folder");
    if (options.output.empty()) throw UsageError("-o names no output file");
    if (!options.passwordFile.empty() && options.signingCertificate.empty())
        throw UsageError("--password-file goes with --sign");
    if (!options.signTool.empty() && options.signingCertificate.empty())
        throw UsageError("--signtool goes with --sign");
    if (sizes && !options.signingCertificate.empty())
        throw UsageError("--sizes writes a manifest, which --sign cannot sign");
    CheckWingetRequest(options.winget, sizes);
    options.mode = sizes ? Options::Mode::Sizes : Options::Mode::Pack;
    options.manifest = PathFromUtf8(positional[0]);
    options.payloadFolder = PathFromUtf8(positional[1]);
    return options;
}

std::string HelpText() {
    return "usage: mkinstall <manifest> <payload-folder> -o <installer.exe> [options]\n"
           "       mkinstall --sizes <manifest> <payload-folder> -o <manifest-out>\n"
           "\n"
           "Builds a Windows installer: checks the manifest (SETUP.LST) against the files of\n"
           "the payload folder, reporting every problem at once, then writes the manifest and\n"
           "the compressed files into a copy of the installer stub that mkinstall carries.\n"
           "\n"
           "options:\n"
           "  -o <file>              the installer to write (with --sizes, the manifest)\n"
           "  --arch x86|x64         a 32-bit installer (the default; runs on every Windows)\n"
           "                         or a 64-bit one (64-bit Windows only)\n"
           "  --stub <stub.exe>      pack into this installer stub instead of a carried one\n"
           "  --force                build even when the manifest has errors\n"
           "  --sign <cert.pfx>      sign the installer with osslsigncode (Authenticode, SHA-256)\n"
           "  --password-file <file> the certificate's password, on the file's first line\n"
           "  --signtool <program>   the osslsigncode to sign with (by default, the one in\n"
           "                         a folder of the PATH given in full)\n"
           "  --winget <folder>      also write a winget manifest set for the installer there\n"
           "  --winget-id <id>       its PackageIdentifier, Publisher.Package (else a placeholder)\n"
           "  --winget-url <url>     where the installer will be downloaded from (else a placeholder)\n"
           "  --sizes                set each Taille above 0 to the size of its file, and\n"
           "                         write the manifest instead of an installer\n"
           "  --help                 show this text\n"
           "  --version              show the version and the stubs carried\n"
           "\n"
           "exit codes:\n"
           "  0  built (warnings may have been shown)\n"
           "  1  the manifest has errors: nothing was built\n"
           "  2  the command line is wrong: nothing was done\n"
           "  3  failed: a file could not be read or written, no usable stub, payloads too\n"
           "     large, or signing failed; nothing was built\n";
}

}  // namespace mkinstall

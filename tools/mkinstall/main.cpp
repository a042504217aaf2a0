// mkinstall <manifest> <payload-folder> -o <installer.exe> [--force] [--stub <stub.exe>]
// mkinstall --sizes <manifest> <payload-folder> -o <manifest-out>
//
// Builds an installer for an application: checks the manifest against the
// payload folder, reporting every problem at once, then writes the manifest
// and the compressed payload files as resources into a copy of the installer
// stub.  Errors stop the build unless --force is given; warnings never do.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "packer.h"

namespace {

int Usage() {
    std::fputs("usage: mkinstall <manifest> <payload-folder> -o <installer.exe> [--force] [--stub <stub.exe>]\n"
               "       mkinstall --sizes <manifest> <payload-folder> -o <manifest-out>\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> positional;
    std::filesystem::path output;
    std::filesystem::path stub;
    bool force = false;
    bool sizes = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc) output = argv[++i];
        else if (arg == "--stub" && i + 1 < argc) stub = argv[++i];
        else if (arg == "--force") force = true;
        else if (arg == "--sizes") sizes = true;
        else if (!arg.empty() && arg[0] == '-') return Usage();
        else positional.push_back(arg);
    }
    if (positional.size() != 2 || output.empty()) return Usage();
    const std::filesystem::path manifestPath = positional[0];
    const std::filesystem::path folder = positional[1];
    // The stub ships beside the tool.
    if (stub.empty()) stub = std::filesystem::path(argv[0]).parent_path() / "install_stub.exe";

    try {
        const mkinstall::Bytes manifest = mkinstall::ReadBytes(manifestPath);
        if (sizes) {
            mkinstall::WriteBytes(output, mkinstall::UpdateSizes(manifest, folder));
            return 0;
        }
        const auto problems = mkinstall::Check(manifest, folder);
        for (const core::ManifestProblem& problem : problems)
            std::fprintf(stderr, "%s: %s\n", manifestPath.string().c_str(), core::Describe(problem).c_str());
        if (core::HasErrors(problems) && !force) {
            std::fputs("mkinstall: the manifest has errors; nothing was built (--force builds anyway)\n", stderr);
            return 1;
        }
        mkinstall::WriteBytes(output, mkinstall::Pack(mkinstall::ReadBytes(stub), manifest, folder));
        // The installer runs like the stub it came from.
        std::filesystem::permissions(output, std::filesystem::status(stub).permissions());
        return 0;
    } catch (const mkinstall::StubError& error) {
        std::fprintf(stderr, "mkinstall: %s cannot be the installer stub: %s\n", stub.string().c_str(), error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mkinstall: %s\n", error.what());
        return 1;
    }
}

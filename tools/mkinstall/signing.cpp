#include "signing.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.h"
#include "packer.h"
#include "pe_resources.h"
#include "platform.h"

namespace mkinstall {

namespace {

// A signer that ends with 0 may still have signed nothing (a planted or a
// broken program): the output counts only when it carries a certificate table.
bool CarriesSignature(const std::filesystem::path& file) {
    try {
        return pe::HasCertificateTable(ReadBytes(file));
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

void Sign(const std::filesystem::path& in, const std::filesystem::path& out, const std::filesystem::path& pfx,
          const std::filesystem::path& passwordFile, const std::filesystem::path& signTool) {
    const std::filesystem::path tool = signTool.empty() ? FindOnPath("osslsigncode") : signTool;
    if (tool.empty())
        throw std::runtime_error(
            "cannot find osslsigncode, which signs the installer, in a folder of the PATH given in full: "
            "install it, or name it with --signtool");
    const std::string toolName = Utf8(tool);
    std::vector<std::string> command = {toolName, "sign", "-pkcs12", Utf8(pfx)};
    if (!passwordFile.empty()) {
        // osslsigncode would take a missing file for an empty password.
        std::error_code error;
        if (!std::filesystem::is_regular_file(passwordFile, error))
            throw std::runtime_error(Utf8(passwordFile) + ": cannot read the password file");
        command.insert(command.end(), {"-readpass", Utf8(passwordFile)});
    }
    command.insert(command.end(), {"-h", "sha256", "-in", Utf8(in), "-out", Utf8(out)});
    std::error_code ignored;
    std::filesystem::remove(out, ignored);
    const int code = RunProgram(tool, command);
    if (code == -1) throw std::runtime_error(toolName + ": cannot run it to sign the installer");
    if (code != 0) {
        std::filesystem::remove(out, ignored);
        throw std::runtime_error(Utf8(pfx) + ": " + toolName + " could not sign the installer with it (exit code " +
                                 std::to_string(code) + ")");
    }
    if (!CarriesSignature(out)) {
        std::filesystem::remove(out, ignored);
        throw std::runtime_error(toolName +
                                 " ended as if it had signed, but the installer it wrote carries no signature");
    }
}

}  // namespace mkinstall

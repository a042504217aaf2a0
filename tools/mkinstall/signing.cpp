#include "signing.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.h"
#include "platform.h"

namespace mkinstall {

void Sign(const std::filesystem::path& in, const std::filesystem::path& out, const std::filesystem::path& pfx,
          const std::filesystem::path& passwordFile) {
    std::vector<std::string> command = {"osslsigncode", "sign", "-pkcs12", Utf8(pfx)};
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
    const int code = RunProgram(command);
    if (code == -1)
        throw std::runtime_error(
            "cannot run osslsigncode, which signs the installer: is it installed and on the PATH?");
    if (code != 0) {
        std::filesystem::remove(out, ignored);
        throw std::runtime_error(Utf8(pfx) + ": osslsigncode could not sign the installer with it (exit code " +
                                 std::to_string(code) + ")");
    }
}

}  // namespace mkinstall

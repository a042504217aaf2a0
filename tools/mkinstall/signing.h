#pragma once
// Authenticode signing through osslsigncode, the tool that signs Windows
// programs on Linux (and on Windows too).

#include <filesystem>

namespace mkinstall {

// Signs `in` with the certificate and key of a PKCS#12 file into `out`, with
// SHA-256.  The password, when there is one, stays in its file: it never
// appears on a command line that others could read.  Throws
// std::runtime_error saying what went wrong.
void Sign(const std::filesystem::path& in, const std::filesystem::path& out, const std::filesystem::path& pfx,
          const std::filesystem::path& passwordFile);

}  // namespace mkinstall

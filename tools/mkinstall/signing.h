#pragma once
// Authenticode signing through osslsigncode, the tool that signs Windows
// programs on Linux (and on Windows too).

#include <filesystem>

namespace mkinstall {

// Signs `in` with the certificate and key of a PKCS#12 file into `out`, with
// SHA-256, through `signTool`, or when it is empty the osslsigncode that the
// PATH names in full.  The password, when there is one, stays in its file: it
// never appears on a command line that others could read.  `out` is left
// only when it carries a signature.  Throws std::runtime_error saying what
// went wrong.
void Sign(const std::filesystem::path& in, const std::filesystem::path& out, const std::filesystem::path& pfx,
          const std::filesystem::path& passwordFile, const std::filesystem::path& signTool);

}  // namespace mkinstall

// Reads a file's version the way the installer does, from a folder full of
// planted DLLs.  Exit code 0 when the version text is the expected one.
//   version_probe [--unrestricted] file expected-text
// --unrestricted skips the start-up restriction of the DLL search, to show
// that loading by full path is safe on its own.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "win/system_library.h"
#include "win/version_info.h"

int main(int argc, char** argv) {
    int first = 1;
    const bool restricted = !(argc > 1 && std::strcmp(argv[1], "--unrestricted") == 0);
    if (!restricted) ++first;
    if (argc - first != 2) return 2;
    if (restricted) win::RestrictDllSearchToSystemFolder();

    const std::string text = win::GetFileVersionText(argv[first]);
    std::printf("%s\n", text.c_str());
    return text == argv[first + 1] ? 0 : 1;
}

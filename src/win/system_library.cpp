#include "win/system_library.h"

#include <string>

namespace win {

void RestrictDllSearchToSystemFolder() {
    // kernel32 is always loaded; the function exists from Windows 8 on (and
    // on Windows 7 with its update).
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
    ::SetDllDirectoryA("");  // also drops the current folder from the search
}

Module LoadSystemLibrary(const char* fileName) {
    char folder[MAX_PATH + 1];
    const UINT length = ::GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return Module();
    const std::string path = std::string(folder, length) + "\\" + fileName;
    return Module(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

Module LoadSystemLibraryByName(const char* fileName) {
    if (HMODULE module = ::LoadLibraryExA(fileName, nullptr, 0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */))
        return Module(module);
    return LoadSystemLibrary(fileName);
}

}  // namespace win

#include "win/version_info.h"

#include <windows.h>

#include <string>
#include <vector>

#include "win/system_library.h"

namespace win {

std::string GetFileVersionText(const std::string& path) {
    // version.dll is no KnownDLL: load it by full path at run time rather than
    // importing it.
    static const Module library = LoadSystemLibrary("version.dll");
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    static const auto getSize = GetFunction<SizeFn>(library, "GetFileVersionInfoSizeA");
    static const auto getInfo = GetFunction<InfoFn>(library, "GetFileVersionInfoA");
    static const auto query = GetFunction<QueryFn>(library, "VerQueryValueA");
    if (!getSize || !getInfo || !query) return {};

    DWORD handle = 0;
    const DWORD size = getSize(path.c_str(), &handle);
    if (size == 0) return {};

    std::vector<unsigned char> buffer(size);
    if (!getInfo(path.c_str(), handle, size, buffer.data())) return {};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!query(buffer.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return {};

    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwFileVersionLS));
}

}  // namespace win

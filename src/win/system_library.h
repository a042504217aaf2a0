#pragma once
// DLLs outside the KnownDLLs list are loaded by full path from the system
// folder, never by name: a DLL of the same name planted beside the installer
// (in a Downloads folder, say) must not be picked up.

#include <windows.h>

#include "win/handle.h"

namespace win {

// Restricts the process's own DLL search to the system folder where the
// platform offers it.  Called first thing at start-up.
void RestrictDllSearchToSystemFolder();

Module LoadSystemLibrary(const char* fileName);

// By name, looked for in the system folder only (it and the DLLs it pulls
// in), so that an application manifest can still redirect the name to a
// side-by-side copy such as common controls 6.  On systems without that
// search flag, by full path.
Module LoadSystemLibraryByName(const char* fileName);

// The named export cast to the function type F, or null.
template <typename F>
F GetFunction(const Module& module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module.get(), name)));
}

}  // namespace win

/* A DLL planted beside a program under the name of a system DLL.  Loading it
   leaves "planted_<name>.marker" in its own folder, so a test can tell that
   the program picked it up instead of the system's copy. */
#include <windows.h>

#include <string.h>

__declspec(dllexport) int PlantedDummy(void) { return 0; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;

    char path[MAX_PATH + 64];
    DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    char* slash = strrchr(path, '\\');
    if (!slash) return TRUE;
    strcpy(slash + 1, "planted_" PLANTED_NAME ".marker");
    HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}

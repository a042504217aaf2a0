// Stand-in for the Korvalix uninstaller: it reads the uninstall log named on
// its command line and only shows what it would remove.  The real uninstaller
// replaces this file.
#include <windows.h>

#include <cstdio>

namespace {

// Appends one line of text to the report, as far as it fits.
void Append(char* report, size_t size, const char* text) {
    const size_t used = ::lstrlenA(report);
    if (used + 1 < size) lstrcpynA(report + used, text, static_cast<int>(size - used));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    char log[MAX_PATH] = {};
    // The log path may come quoted.
    const char* start = commandLine[0] == '"' ? commandLine + 1 : commandLine;
    lstrcpynA(log, start, MAX_PATH);
    for (char* p = log; *p; ++p)
        if (*p == '"') *p = 0;

    static char report[8192];
    report[0] = 0;
    Append(report, sizeof report, "Ce programme supprimerait :\r\r");
    const int count = ::GetPrivateProfileIntA("Setup", "Fichiers", 0, log);
    for (int n = 1; n <= count && n <= 200; ++n) {
        char section[32];
        std::snprintf(section, sizeof section, "Fichier_%d", n);
        char path[MAX_PATH];
        ::GetPrivateProfileStringA(section, "Nom", "", path, sizeof path, log);
        Append(report, sizeof report, path);
        Append(report, sizeof report, "\r");
    }
    if (count <= 0) Append(report, sizeof report, "(aucun fichier inscrit dans le journal)\r");
    ::MessageBoxA(nullptr, report, "D\xE9sinstallation de Korvalix32", MB_OK | MB_ICONINFORMATION);
    return 0;
}

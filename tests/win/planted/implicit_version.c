/* The control: a program that imports version.dll the plain way, as a
   vulnerable installer would.  Planted beside it, version.dll is loaded at
   start, before main runs.  main calls the import only when asked, since the
   planted copy does not provide it. */
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 2) return 0;
    DWORD handle = 0;
    return GetFileVersionInfoSizeA(argv[1], &handle) > 0 ? 0 : 1;
}

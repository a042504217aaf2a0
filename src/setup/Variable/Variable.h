#pragma once
// The installer state: the values every part of the program reads.  Start-up
// fills it from the manifest before any window exists; afterwards only the
// options page writes to it.

#include <cstdint>
#include <string>

struct InstallerState {
    std::string WorkDir;             // writable work folder, ends with "\"; empty: none found
    std::string AppName;             // manifest Nom
    std::string DefaultFolderName;   // manifest DossierInstall
    std::string AppVersion;          // manifest Version
    std::string InstallDir;          // chosen destination, ends with "\"
    std::string StartMenuGroupName;  // manifest DossierDemarrage
    int32_t FileCount = 0;           // manifest Fichiers
    bool WantStartMenu = false;
    bool WantDesktop = false;
    std::string UninstallName;       // manifest Desinstall
    std::string RunName;             // manifest Run
};

// The one process-wide instance.
extern InstallerState Installer;

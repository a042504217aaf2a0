#pragma once
// The installer state: the values every part of the program reads.  Start-up
// fills it from the manifest before any window exists; afterwards only the
// options page writes to it.

#include <cstdint>
#include <string>

#include "Variable/Switches.h"
#include "core/setup_command.h"
#include "core/upgrade.h"

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
    std::string Publisher;           // manifest Editeur, optional: may be empty

    // The installation of this application found at start-up, which this one
    // updates; none on a first installation.
    core::EarlierInstallation Earlier;

    // The process runs as the SYSTEM account, whose own desktop no one sees:
    // desktop shortcuts go to the all users' desktop.  Set at start-up.
    bool RunsAsSystem = false;

    // The command line's switches; a bare start leaves them all off.
    SetupSwitches Switches;
    // How the start ended, for the exit code.  Until the run completes, the
    // person has left the wizard: that is cancelling.
    core::SetupResult Result = core::SetupResult::Cancelled;
    // Milliseconds the running copies of the application have to quit before
    // their files are replaced; tests that do not look at the signal set 0.
    unsigned QuitSignalWait = 2000;
};

// The one process-wide instance.
extern InstallerState Installer;

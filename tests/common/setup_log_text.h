#pragma once
// The texts of setup.log that several tests expect, as the installer writes
// them and the uninstaller writes them again.  Their letters follow the
// build's character set, as the program's own texts do.

#include <string>

// The opening of every log.
inline const std::string kSetupLogInformation =
    "[Information]\r\n"
    "Attention=NE PAS SUPPRIMER CE FICHIER\r\n"
    "Commentaire=Ce fichier sert à la désinstallation du logiciel\r\n";

// The [Setup] section that the example installation leaves (the default
// manifest, into Program Files, with its all-users Start-menu group) when
// the log lists `fileCount` files: what the installer writes, and what the
// uninstaller writes again when files stay.
inline std::string ExampleSetupSection(int fileCount) {
    return "[Setup]\r\n"
           "Nom=Korvalix32\r\n"
           "DossierInstall=C:\\Program Files\\Korvalix\\\r\n"
           "Desinstall=Korvalix\r\n"
           "Run=Korvalix32\r\n"
           "Fichiers=" +
           std::to_string(fileCount) +
           "\r\n"
           "DossierDemarrage=C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Korvalix\r\n";
}

#pragma once
// The opening of every setup.log, as the installer writes it and the
// uninstaller rewrites it: one text for every test that writes or expects a
// whole log.  Its letters follow the build's character set, as the
// program's own texts do.

#include <string>

inline const std::string kSetupLogInformation =
    "[Information]\r\n"
    "Attention=NE PAS SUPPRIMER CE FICHIER\r\n"
    "Commentaire=Ce fichier sert à la désinstallation du logiciel\r\n";

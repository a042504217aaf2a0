#pragma once
// The [Setup] section of the installation manifest SETUP.LST, read the one
// way the installer and the packaging tool both read it.

#include <cstdint>
#include <string>

#include "core/ini.h"

namespace core {

struct SetupValues {
    std::string AppName;             // Nom
    std::string DefaultFolderName;   // DossierInstall
    std::string AppVersion;          // Version
    std::string StartMenuGroupName;  // DossierDemarrage
    std::string UninstallName;       // Desinstall
    std::string RunName;             // Run
    int32_t FileCount = 0;           // Fichiers
    std::string Publisher;           // Editeur, optional: empty when missing, empty or "rien"
};

// Status of a manifest read: 0 when every key was accepted, otherwise the
// code of the first key that failed.
enum SetupStatus : uint8_t {
    SetupOk = 0,
    SetupBadName = 1,           // Nom
    SetupBadFolder = 2,         // DossierInstall
    SetupBadVersion = 3,        // Version
    SetupBadStartMenuGroup = 4, // DossierDemarrage
    SetupBadUninstall = 5,      // Desinstall or Run
    SetupBadFileCount = 6,      // Fichiers
};

inline constexpr size_t kSetupValueBuffer = 250;  // so values hold at most 249 characters
inline constexpr const char* kMissing = "rien";

// Reads the keys in their fixed order and stores each accepted value before
// the next key is read, so that values read before a failure stay in `out`.
// The optional Editeur is read last and never fails the manifest.
uint8_t ReadSetupSection(const ProfileSource& manifest, SetupValues& out);

// One [Fichier_N] entry, with the defaults the run applies.
struct FileEntry {
    std::string Nom;
    std::string Dossier;
    int32_t Taille = -1;
    std::string Version;
    std::string Raccourci;
    std::string RaccourciBureau;
};

inline constexpr size_t kFileValueBuffer = 2048;  // so values hold at most 2047 characters

std::string FileSectionName(int32_t number);  // "Fichier_" + number
FileEntry ReadFileEntry(const ProfileSource& manifest, int32_t number);

}  // namespace core

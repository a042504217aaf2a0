#include "core/setup_manifest.h"

#include "core/text.h"

namespace core {

namespace {

// A key fails when it is empty or reads exactly "rien" (case counts: "Rien"
// is a name like any other).
bool ReadKey(const ProfileSource& manifest, const char* key, const std::string& fallback, std::string& out) {
    std::string value = manifest.ReadString("Setup", key, fallback, kSetupValueBuffer);
    if (value.empty() || value == kMissing) return false;
    out = std::move(value);
    return true;
}

}  // namespace

uint8_t ReadSetupSection(const ProfileSource& manifest, SetupValues& out) {
    if (!ReadKey(manifest, "Nom", kMissing, out.AppName)) return SetupBadName;
    if (!ReadKey(manifest, "DossierInstall", kMissing, out.DefaultFolderName)) return SetupBadFolder;
    if (!ReadKey(manifest, "Version", kMissing, out.AppVersion)) return SetupBadVersion;
    if (!ReadKey(manifest, "DossierDemarrage", kMissing, out.StartMenuGroupName)) return SetupBadStartMenuGroup;
    if (!ReadKey(manifest, "Desinstall", out.AppName, out.UninstallName)) return SetupBadUninstall;
    if (!ReadKey(manifest, "Run", out.AppName, out.RunName)) return SetupBadUninstall;

    const int32_t count = manifest.ReadInt("Setup", "Fichiers", -1);
    if (count < 0) return SetupBadFileCount;
    out.FileCount = count;

    std::string publisher = manifest.ReadString("Setup", "Editeur", "", kSetupValueBuffer);
    if (publisher != kMissing) out.Publisher = std::move(publisher);
    return SetupOk;
}

std::string FileSectionName(int32_t number) { return "Fichier_" + std::to_string(number); }

FileEntry ReadFileEntry(const ProfileSource& manifest, int32_t number) {
    const std::string section = FileSectionName(number);
    auto text = [&](const char* key, const char* fallback) {
        return manifest.ReadString(section, key, fallback, kFileValueBuffer);
    };
    FileEntry entry;
    entry.Nom = text("Nom", "");
    entry.Dossier = text("Dossier", "program");
    entry.Taille = IniValueToInt(text("Taille", ""), -1);
    entry.Version = text("Version", "0");
    entry.Raccourci = text("Raccourci", "");
    entry.RaccourciBureau = text("RaccourciBureau", "");
    return entry;
}

}  // namespace core

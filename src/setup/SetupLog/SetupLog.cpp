#include "SetupLog/SetupLog.h"

#include <algorithm>

#include "core/errors.h"
#include "core/setup_manifest.h"
#include "core/text.h"

namespace {

const char* const kSetup = "Setup";
const char* const kFileCountKey = "Fichiers";
const char* const kKeptKey = "Conserver";

// Room for any number the counter can hold, and then some.
constexpr size_t kCounterBuffer = 2048;

}  // namespace

TSetupLog::TSetupLog(const std::string& logPath) : logFile_(logPath), writer_(logPath) {
    Write("Information", "Attention", "NE PAS SUPPRIMER CE FICHIER");
    Write("Information", "Commentaire", "Ce fichier sert à la désinstallation du logiciel");
    const std::string count = logFile_.ReadString(kSetup, kFileCountKey, "", kCounterBuffer);
    // A negative count would number new entries below 1, where the
    // uninstaller never looks: such a log starts again at Fichier_1.
    entryCount_ = std::max<int32_t>(core::IniValueToInt(count, 0), 0);
}

TSetupLog::~TSetupLog() { logFile_.Flush(); }

void TSetupLog::SetName(const std::string& name) { Write(kSetup, "Nom", name); }

void TSetupLog::SetInstallFolder(const std::string& folder) { Write(kSetup, "DossierInstall", folder); }

void TSetupLog::SetStartMenuFolder(const std::string& folder) { Write(kSetup, "DossierDemarrage", folder); }

void TSetupLog::SetUninstallName(const std::string& name) { Write(kSetup, "Desinstall", name); }

void TSetupLog::SetRunName(const std::string& name) { Write(kSetup, "Run", name); }

void TSetupLog::SetCreatedFolder(const std::string& folder) { Write(kSetup, "DossierCree", folder); }

void TSetupLog::SetFileCount(int32_t n) {
    entryCount_ = n;
    Write(kSetup, kFileCountKey, std::to_string(n));
}

void TSetupLog::AddFile(const std::string& path) { Add(path, false); }

void TSetupLog::AddKeptFile(const std::string& path) { Add(path, true); }

void TSetupLog::Add(const std::string& path, bool kept) {
    const int32_t n = core::CheckedAdd(entryCount_, 1);
    // The count goes first, so that a log cut short by a failed write never
    // holds a section beyond its count; and the mark before the name, so that
    // it never names a kept file without saying so.
    SetFileCount(n);
    if (kept) Write(core::FileSectionName(n), kKeptKey, "1");
    Write(core::FileSectionName(n), "Nom", path);
    // The uninstaller must find every file that survives a power cut: the
    // entry reaches the disk before the next file replaces anything.
    if (!writer_.Flush()) throw core::Error("Impossible d'écrire dans " + logFile_.Path());
}

void TSetupLog::Write(const std::string& section, const std::string& key, const std::string& value) {
    if (!writer_.WriteString(section, key, value)) throw core::Error("Impossible d'écrire dans " + logFile_.Path());
}

#include "General/Integrity.h"

#include <algorithm>

#include "General/WorkDir.h"
#include "Journal/Journal.h"
#include "Variable/Variable.h"
#include "ui/message_dialog.h"
#include "win/resources.h"

// Lines are separated by a single carriage return, with an empty line before
// the last, as in the start-up error box.
const char* const kDamagedInstallerText =
    "Le programme d'installation est endommagé.\r"
    "Téléchargez-le à nouveau.\r"
    "\r"
    "L'installation ne peut pas continuer.";

bool HasChecksumList() { return win::FindRawData(core::kChecksumResourceName).has_value(); }

core::Integrity CheckOwnResources(IntegrityScope scope, const core::IntegrityProgress& progress) {
    const auto text = win::FindRawData(core::kChecksumResourceName);
    if (!text) return core::Integrity::Intact;
    auto entries = core::ParseChecksums(*text);
    if (!entries) return core::Integrity::Damaged;
    if (scope == IntegrityScope::Manifest)
        std::erase_if(*entries, [](const core::ResourceChecksum& entry) { return entry.name != kSetupListName; });
    return core::VerifyChecksums(*entries, win::FindRawData, progress);
}

bool VerifyInstaller(RunProgress& page) {
    if (!HasChecksumList()) {
        Journal.Write("Le programme d'installation ne porte pas de sommes de contrôle : il n'est pas vérifié.");
        return true;
    }
    const char* const status = "Vérification du programme d'installation...";
    Journal.Write(status);
    page.SetStatus(status);
    page.SetBar(100, 1);
    int32_t shown = 0;
    const core::Integrity integrity =
        CheckOwnResources(IntegrityScope::Everything, [&](uint64_t done, uint64_t total) {
            const int32_t percent = total == 0 ? 100 : static_cast<int32_t>(done * 100 / total);
            for (; shown < percent; ++shown) page.Step();
            page.ProcessMessages();
            return !page.CancelRequested();
        });
    switch (integrity) {
    case core::Integrity::Intact: return true;
    case core::Integrity::Damaged:
        ui::ShowErrorBox(kDamagedInstallerText);
        Installer.Result = core::SetupResult::CannotStart;
        return false;
    case core::Integrity::Stopped: break;
    }
    Installer.Result = core::SetupResult::Cancelled;
    return false;
}

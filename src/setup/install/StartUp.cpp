#include "install/StartUp.h"

#include "General/Integrity.h"
#include "General/SetupList.h"
#include "General/ShortNames.h"
#include "General/WorkDir.h"
#include "Variable/Variable.h"
#include "ui/message_dialog.h"

// Lines are separated by a single carriage return, with an empty line before
// the last.
const char* const kStartUpErrorText =
    "Paramètres d'installation erronés,\r"
    "ou impossible d'écrire dans le dossier temporaire.\r"
    "\r"
    "L'installation ne peut pas continuer.";

bool StartUp() {
    // A damaged manifest is refused before anything is written.  The
    // payloads, which may be large, are checked later, before the run.
    if (CheckOwnResources(IntegrityScope::Manifest) != core::Integrity::Intact) {
        ui::ShowErrorBox(kDamagedInstallerText);
        return false;
    }
    Installer.WorkDir = FindWorkDir();
    if (!Installer.WorkDir.empty() && ExtractSetupList() && ReadSetupList() == 0) return true;

    RemoveWorkDir();
    // A folder that only lacks a short name is named, so that it can be
    // mended; anything else gets the general box.
    const std::wstring unnamed = Installer.WorkDir.empty() ? WorkDirPlaceWithoutShortName() : std::wstring();
    ui::ShowErrorBox(unnamed.empty() ? std::string(kStartUpErrorText) : NoShortNameStartUpText(unnamed));
    return false;
}

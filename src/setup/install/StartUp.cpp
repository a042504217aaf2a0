#include "install/StartUp.h"

#include "General/SetupList.h"
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
    Installer.WorkDir = FindWorkDir();
    if (!Installer.WorkDir.empty() && ExtractSetupList() && ReadSetupList() == 0) return true;

    RemoveWorkDir();
    ui::ShowErrorBox(kStartUpErrorText);
    return false;
}

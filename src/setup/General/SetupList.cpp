#include "General/SetupList.h"

#include "General/WorkDir.h"
#include "Variable/Variable.h"
#include "core/setup_manifest.h"
#include "win/profile.h"

uint8_t ReadSetupList() {
    const std::string path = Installer.WorkDir + kSetupListName;
    // The path has to fit the 250-byte buffer it was always formed in; a
    // longer one reads like a manifest that cannot be read.
    if (path.size() >= core::kSetupValueBuffer) return core::SetupBadName;

    core::SetupValues values;
    const uint8_t status = core::ReadSetupSection(win::ProfileFile(path), values);
    Installer.AppName = values.AppName;
    Installer.DefaultFolderName = values.DefaultFolderName;
    Installer.AppVersion = values.AppVersion;
    Installer.StartMenuGroupName = values.StartMenuGroupName;
    Installer.UninstallName = values.UninstallName;
    Installer.RunName = values.RunName;
    if (status == core::SetupOk) {
        Installer.FileCount = values.FileCount;
        Installer.Publisher = values.Publisher;
    }
    return status;
}

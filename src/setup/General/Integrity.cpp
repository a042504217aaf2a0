#include "General/Integrity.h"

#include <algorithm>

#include "General/WorkDir.h"
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

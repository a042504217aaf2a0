#pragma once
// Reading the [Setup] section of the work copy of the manifest into the
// installer state.

#include <cstdint>

// 0 when the state is complete, otherwise the status of the first key that
// failed (1 Nom, 2 DossierInstall, 3 Version, 4 DossierDemarrage,
// 5 Desinstall or Run, 6 Fichiers).
uint8_t ReadSetupList();

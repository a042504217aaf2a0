// The manifest readers on arbitrary manifests: the [Setup] section and the
// first [Fichier_N] sections, as the start-up and the run read them.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>

#include "core/errors.h"
#include "core/ini.h"
#include "core/setup_manifest.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool Accepted(const std::string& value) {
    return !value.empty() && value != core::kMissing && value.size() < core::kSetupValueBuffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const core::IniFile manifest = core::IniFile::Parse(bytes);

        core::SetupValues values;
        const uint8_t status = core::ReadSetupSection(manifest, values);
        Check(status <= core::SetupBadFileCount);
        if (status == core::SetupOk) {
            Check(Accepted(values.AppName) && Accepted(values.DefaultFolderName) && Accepted(values.AppVersion) &&
                  Accepted(values.StartMenuGroupName) && Accepted(values.UninstallName) &&
                  Accepted(values.RunName));
            Check(values.FileCount >= 0);
        }

        // A fuzzed count can be two billion: the entries themselves are what
        // is under test, so a few suffice.  Negative and zero numbers too.
        const int32_t last = std::min<int32_t>(values.FileCount, 8);
        for (int32_t number = -1; number <= last; ++number) {
            const core::FileEntry entry = core::ReadFileEntry(manifest, number);
            for (const std::string* text : {&entry.Nom, &entry.Dossier, &entry.Version, &entry.Raccourci,
                                            &entry.RaccourciBureau})
                Check(text->size() < core::kFileValueBuffer);
        }
    } catch (const core::Error&) {
    }
    return 0;
}

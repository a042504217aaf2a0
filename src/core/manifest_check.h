#pragma once
// Checks a manifest the way the installer will read it, before an installer
// is built from it.  Every problem is reported, each with its section and key.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/file_names.h"
#include "core/ini.h"

namespace core {

struct ManifestProblem {
    enum class Severity {
        Error,    // the installer would refuse to start or fail during the run
        Warning,  // installs nothing, or leaves the uninstall entry naming a missing program
    };
    Severity severity;
    std::string section;
    std::string key;
    std::string message;
};

// The size of a file of the payload folder, or nothing when it is missing.
using PayloadSize = std::function<std::optional<uint64_t>(const std::string& name)>;

std::vector<ManifestProblem> CheckManifest(const IniFile& manifest, const PayloadSize& payloadSize);

bool HasErrors(const std::vector<ManifestProblem>& problems);

// "error: [Fichier_2] Taille: ..." as the packaging tool prints it.
std::string Describe(const ManifestProblem& problem);

}  // namespace core

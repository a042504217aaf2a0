#pragma once
// The installer's messages that several tests expect, word for word.  Their
// letters follow the build's character set, as the program's own texts do.

#include <string>

namespace testing_support {

// The start-up's box when the manifest cannot be read or the temporary
// folder written.
inline const std::string kStartUpError =
    "Paramètres d'installation erronés,\rou impossible d'écrire dans le dossier temporaire.\r\r"
    "L'installation ne peut pas continuer.";

// The run's box when the manifest asks for what cannot be done.
inline const std::string kManifestError = "Le fichier des paramètres d'installation est erroné !";

// The run's boxes about one file, named as the manifest names it.
inline std::string CopyFailure(const std::string& name) {
    return "Impossible de copier le fichier \"" + name + "\". Vérifiez que Korvalix32 n'est pas déjà lancé !";
}
inline std::string DecompressionFailure(const std::string& name) {
    return "Impossible de décompresser le fichier \"" + name +
           "\". Le programme d'installation est probablement endommagé.";
}
inline std::string ExtractionFailure(const std::string& name) {
    return "Impossible d'extraire le fichier \"" + name + "\". Le fichier install.exe est probablement erroné.";
}

}  // namespace testing_support

#include "General/ShortNames.h"

#include "win/wide_text.h"

std::string NoShortNameText(const std::wstring& folder) {
    return "Le nom du dossier « " + win::ShownPath(folder) +
           " » contient des caractères que Windows-1252 ne sait pas écrire, et ce dossier n'a pas de nom "
           "court (8.3) pour les remplacer : le programme d'installation ne peut pas s'en servir.";
}

std::string NoShortNameStartUpText(const std::wstring& folder) {
    return NoShortNameText(folder) + "\r\rL'installation ne peut pas continuer.";
}

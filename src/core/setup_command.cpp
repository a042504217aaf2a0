#include "core/setup_command.h"

#include <algorithm>
#include <optional>

#include "core/text.h"

namespace core {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSwitchStart(char c) { return c == '/' || c == '-'; }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

void SkipBlanks(std::string_view& text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
}

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Quoted(std::string_view text) { return "« " + std::string(text) + " »"; }

// One word, up to the next blank outside quotes, without its quotes.
// Nothing when a quote is left open; the whole rest is then taken.
std::optional<std::string> TakeWord(std::string_view& text) {
    std::string word;
    bool quoted = false;
    size_t at = 0;
    for (; at < text.size() && (quoted || !IsBlank(text[at])); ++at) {
        if (text[at] == '"')
            quoted = !quoted;
        else
            word += text[at];
    }
    text.remove_prefix(at);
    if (quoted) return std::nullopt;
    return word;
}

// Characters that no file or folder name may hold.  A colon is allowed only
// as the drive's, which the callers let through.
bool HasForbiddenCharacter(std::string_view path, size_t from) {
    for (size_t i = from; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 32 || std::string_view("<>\"|?*:").find(static_cast<char>(c)) != std::string_view::npos) return true;
    }
    return false;
}

bool HasDrive(std::string_view path) { return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':'; }

// "C:\..." or "\\server\share...": a path that does not depend on the
// current folder or drive.
bool IsAbsolute(std::string_view path) {
    if (HasDrive(path)) return path.size() >= 3 && IsSeparator(path[2]);
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

// A name "." or "..", or one that ends with a blank or a dot: Windows would
// not keep it as written, and the uninstaller refuses such paths.
bool HasUnstableName(std::string_view path) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::string_view name = path.substr(start, end - start);
        if (!name.empty() && (name.back() == ' ' || name.back() == '.')) return true;
        start = end + 1;
    }
    return false;
}

// Why the folder of /DIR or /D cannot be the destination; empty when it can.
std::string FolderProblem(std::string_view name, std::string_view folder) {
    const std::string option(name);
    if (folder.empty()) return "L'option " + option + " attend un dossier : " + option + "=\"<dossier>\".";
    if (HasForbiddenCharacter(folder, HasDrive(folder) ? 2 : 0))
        return "Le dossier " + Quoted(folder) + " de l'option " + option +
               " contient un caractère interdit dans un nom de fichier.";
    if (!IsAbsolute(folder))
        return "Le dossier " + Quoted(folder) + " de l'option " + option +
               " n'est pas un chemin complet : il doit commencer par une lettre de lecteur, comme C:\\, "
               "ou par \\\\serveur\\partage.";
    if (HasUnstableName(folder))
        return "Le dossier " + Quoted(folder) + " de l'option " + option +
               " contient un nom « . » ou « .. », ou un nom qui finit par une espace ou un point, que Windows "
               "ne garderait pas tel quel.";
    return {};
}

// Why the file of /LOG cannot be the journal; empty when it can.
std::string LogProblem(std::string_view file) {
    if (file.empty()) return "L'option /LOG attend un nom de fichier : /LOG=\"<fichier>\".";
    if (HasForbiddenCharacter(file, HasDrive(file) ? 2 : 0))
        return "Le fichier " + Quoted(file) + " de l'option /LOG contient un caractère interdit dans un nom de fichier.";
    if (IsSeparator(file.back()))
        return "L'option /LOG attend un nom de fichier, et " + Quoted(file) + " est un dossier.";
    return {};
}

class Parser {
public:
    SetupCommandLine Parse(std::string_view text) {
        for (SkipBlanks(text); !text.empty(); SkipBlanks(text)) {
            result_.options.switchesGiven = true;
            // As other installers do, "/D=" takes the rest of the line,
            // blanks and all, so it comes last and needs no quotes.
            if (text.size() >= 3 && IsSwitchStart(text[0]) && (text[1] == 'D' || text[1] == 'd') && text[2] == '=') {
                std::string_view folder = TrimEnd(text.substr(3));
                if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
                    folder = folder.substr(1, folder.size() - 2);
                SetFolder("/D", folder);
                break;
            }
            const std::string_view rest = text;
            const std::optional<std::string> word = TakeWord(text);
            if (!word) {
                Fail("Guillemet non fermé dans " + Quoted(rest) + ".");
                break;
            }
            Switch(*word);
        }
        return std::move(result_);
    }

private:
    void Fail(std::string problem) {
        if (result_.problem.empty()) result_.problem = std::move(problem);
    }

    void SetFolder(std::string_view name, std::string_view folder) {
        const std::string problem = FolderProblem(name, folder);
        if (!problem.empty()) return Fail(problem);
        // The folder routines split paths at "\" only.
        std::string& installDir = result_.options.installDir;
        installDir = std::string(folder);
        std::replace(installDir.begin(), installDir.end(), '/', '\\');
    }

    void Switch(const std::string& word) {
        SetupOptions& options = result_.options;
        if (word.empty() || !IsSwitchStart(word[0]))
            return Fail("Argument inattendu : " + Quoted(word) + ". Les options commencent par / ou -.");
        const size_t equals = word.find('=');
        const bool hasValue = equals != std::string::npos;
        const std::string_view name = std::string_view(word).substr(1, hasValue ? equals - 1 : equals);
        const std::string_view value = hasValue ? std::string_view(word).substr(equals + 1) : std::string_view();

        auto is = [&](std::string_view expected) { return EqualsIgnoreCase(name, expected); };
        if (is("DIR") || is("D")) return SetFolder(is("D") ? "/D" : "/DIR", value);
        if (is("LOG") && !hasValue) {
            options.logInTemp = true;
            return;
        }
        if (is("LOG")) {
            const std::string problem = LogProblem(value);
            if (!problem.empty()) return Fail(problem);
            options.logPath = std::string(value);
            return;
        }

        bool* flag = nullptr;
        bool ignored = false;
        SetupMode mode = SetupMode::Wizard;
        if (is("S") || is("VERYSILENT"))
            mode = SetupMode::VerySilent;
        else if (is("SILENT"))
            mode = SetupMode::Silent;
        else if (is("NOSTARTMENU"))
            flag = &options.noStartMenu;
        else if (is("DESKTOP"))
            flag = &options.desktop;
        else if (is("ALLOWDOWNGRADE"))
            flag = &options.allowDowngrade;
        else if (is("SUPPRESSMSGBOXES"))
            flag = &options.suppressBoxes;
        else if (is("NOCANCEL"))
            flag = &options.noCancel;
        else if (is("NORESTART") || is("SP-"))
            flag = &ignored;
        else if (is("?") || is("HELP"))
            flag = &options.help;
        else
            return Fail("Option inconnue : " + Quoted(word) + ".");

        if (hasValue) return Fail("L'option " + Quoted(std::string_view(word).substr(0, equals)) + " ne prend pas de valeur.");
        if (flag) *flag = true;
        // The quietest mode asked for wins.
        options.mode = std::max(options.mode, mode);
    }

    SetupCommandLine result_;
};

}  // namespace

SetupCommandLine ParseSetupCommandLine(std::string_view arguments) { return Parser().Parse(arguments); }

std::string SetupHelpText() {
    return "Options de la ligne de commande :\r"
           "\r"
           "/S ou /VERYSILENT : installe sans aucune fenêtre, avec les choix par défaut\r"
           "/SILENT : installe sans rien demander ; seule la progression s'affiche\r"
           "/DIR=\"<dossier>\" : le dossier d'installation\r"
           "/D=<dossier> : le même, en dernier et sans guillemets\r"
           "/NOSTARTMENU : sans groupe dans le menu Démarrer\r"
           "/DESKTOP : avec un raccourci sur le bureau\r"
           "/LOG=\"<fichier>\" : écrit le journal de l'installation dans ce fichier ; /LOG seul, "
           "dans le dossier temporaire\r"
           "/SUPPRESSMSGBOXES : chaque message prend sa réponse par défaut\r"
           "/NOCANCEL : sans bouton « Annuler » pendant la progression de /SILENT\r"
           "/NORESTART, /SP- : acceptées ; l'installation ne redémarre jamais Windows\r"
           "/ALLOWDOWNGRADE : remplace aussi une version plus récente\r"
           "/? ou /HELP : cette aide\r"
           "\r"
           "Les majuscules ne comptent pas, et - vaut /.\r"
           "\r"
           "Codes de sortie : 0 installé, 1 échec, 2 annulé, 3 démarrage impossible, "
           "4 ligne de commande incorrecte, 5 version plus récente déjà installée, "
           "6 autre installation en cours.";
}

std::string CommandLineErrorText(const std::string& problem) {
    return problem + "\r\rRien n'a été installé. La liste des options s'obtient avec /?.";
}

int SetupExitCode(SetupResult result, bool switchesGiven) {
    if (!switchesGiven) return result == SetupResult::CannotStart ? 1 : 0;
    switch (result) {
    case SetupResult::Installed: return 0;
    case SetupResult::Failed: return 1;
    case SetupResult::Cancelled: return 2;
    case SetupResult::CannotStart: return 3;
    case SetupResult::BadCommandLine: return 4;
    case SetupResult::Downgrade: return 5;
    case SetupResult::InProgress: return 6;
    }
    return 1;
}

}  // namespace core

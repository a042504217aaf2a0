#include "core/uninstall_report.h"

#include <algorithm>

namespace core {

namespace {

std::string NameOf(const std::string& appName) { return appName.empty() ? "Le logiciel" : appName; }

std::string Describe(const ReportEntry& entry) {
    const std::string reason = entry.reason.empty() ? "" : " (" + entry.reason + ")";
    switch (entry.outcome) {
        case Outcome::Scheduled:
            return entry.what + " : suppression prévue au prochain redémarrage de l'ordinateur" + reason;
        case Outcome::Failed:
            return entry.what + " : suppression impossible" + reason;
        case Outcome::Refused:
            return entry.what + " : suppression refusée par sécurité" + reason;
        case Outcome::NotEmpty:
            return entry.what + " : dossier conservé car il contient d'autres fichiers";
        case Outcome::Kept:
            return entry.what + " : entrée conservée car elle appartient à une autre installation";
        case Outcome::Removed:
        case Outcome::Missing:
            break;
    }
    return entry.what;
}

bool IsLeft(const ReportEntry& entry) { return entry.outcome != Outcome::Removed && entry.outcome != Outcome::Missing; }

std::string RemovedSentence(int count) {
    if (count == 0) return "Aucun élément n'a été supprimé.";
    if (count == 1) return "1 élément a été supprimé.";
    return std::to_string(count) + " éléments ont été supprimés.";
}

}  // namespace

int UninstallReport::RemovedCount() const {
    return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                          [](const ReportEntry& e) { return e.outcome == Outcome::Removed; }));
}

bool UninstallReport::SomethingLeft() const { return std::any_of(entries.begin(), entries.end(), IsLeft); }

bool UninstallReport::OnlyTheRestartLeft() const {
    return SomethingLeft() && std::all_of(entries.begin(), entries.end(), [](const ReportEntry& entry) {
               return !IsLeft(entry) || entry.outcome == Outcome::Scheduled;
           });
}

std::string ReportText(const UninstallReport& report, size_t maxListed) {
    const std::string removed = RemovedSentence(report.RemovedCount());
    if (!report.SomethingLeft()) return NameOf(report.appName) + " a été désinstallé.\r\r" + removed;

    std::string text = "La désinstallation de " + (report.appName.empty() ? "ce logiciel" : report.appName) +
                       " est terminée, mais les éléments suivants n'ont pas été supprimés :\r";
    size_t listed = 0, left = 0;
    for (const ReportEntry& entry : report.entries) {
        if (!IsLeft(entry)) continue;
        ++left;
        if (listed < maxListed) {
            text += "- " + Describe(entry) + "\r";
            ++listed;
        }
    }
    if (left > listed) {
        const size_t more = left - listed;
        text += more == 1 ? "- et 1 autre élément.\r" : "- et " + std::to_string(more) + " autres éléments.\r";
    }
    if (report.keptForAnotherTry)
        text += "\rLe journal de désinstallation et l'entrée de la liste des programmes installés sont conservés "
                "pour ces éléments : vous pourrez relancer la désinstallation.\r";
    return text + "\r" + removed;
}

std::string ConfirmationText(const std::string& appName, const std::string& installFolder) {
    std::string text = "Voulez-vous vraiment désinstaller " + (appName.empty() ? "ce logiciel" : appName) +
                       " et supprimer tous ses éléments ?";
    if (!installFolder.empty())
        text += "\r\rLe dossier " + installFolder + " sera supprimé s'il ne contient plus d'autres fichiers.";
    return text;
}

}  // namespace core

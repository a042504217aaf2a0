#include "Recap/Recap.h"

#include "SetupFrm/SetupFrm.h"
#include "Variable/Variable.h"
#include "core/upgrade.h"
#include "ui/application.h"

std::string ShortcutSummary(bool wantStartMenu, bool wantDesktop) {
    if (wantStartMenu) return wantDesktop ? "Menu démarrer et sur le bureau" : "Menu démarrer";
    return wantDesktop ? "Sur le bureau" : "Aucun";
}

const char* const kStartText = "Cliquez sur \"Suivant\" pour démarrer l'installation...";

TForm3::TForm3() : TPage("TForm3", 210) {}

void TForm3::FormShow() {
    ApplicationLabel.SetText(Installer.AppName);
    // An update of the installation found at start-up says so.
    const bool update = core::IsEarlierFolder(Installer.Earlier, Installer.InstallDir);
    VersionLabel.SetText(update ? core::UpdateVersionSummary(Installer.AppVersion, Installer.Earlier)
                                : Installer.AppVersion);
    Label4.SetText(update ? core::kUpdateStartText : kStartText);
    DossierLabel.SetText(Installer.InstallDir);
    RaccourciLabel.SetText(ShortcutSummary(Installer.WantStartMenu, Installer.WantDesktop));
}

void TForm3::SuivantBtnClick() { SetupForm->SwitchPage(*this, *Form4, 4); }

void TForm3::PrecedentBtnClick() { SetupForm->SwitchPage(*this, *Form2, 2); }

void TForm3::AnnulerBtnClick() { ui::Application::Current()->Terminate(); }

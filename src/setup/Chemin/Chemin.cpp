#include "Chemin/Chemin.h"

#include "General/Shell.h"
#include "SetupFrm/SetupFrm.h"
#include "ShBrowseU/ShBrowseU.h"
#include "Variable/Variable.h"
#include "core/installation_folder.h"
#include "core/text.h"
#include "ui/application.h"
#include "ui/message_dialog.h"
#include "win/system_folders.h"

const char* const kNoDestinationText = "Veuillez choisir un dossier de destination !";

std::string UnsuitableDestinationText(const std::string& folder, const std::string& why) {
    return "Le dossier « " + folder + " » ne peut pas recevoir l'installation : " + why +
           ". Le programme de désinstallation n'y supprimerait rien.\r\rVeuillez choisir un autre dossier de "
           "destination.";
}

std::string DestinationRefusal(const std::string& folder) {
    return core::RefusalText(core::InstallationFolderRefusal(folder, win::SystemFolders(), win::SystemPathRules()));
}

std::string DefaultDestination() {
    if (!Installer.Switches.Destination().empty()) return Installer.Switches.Destination();
    // An update goes where the application already is, shown as a folder is
    // typed: without its final "\".
    if (Installer.Earlier.Found()) {
        const std::string& folder = Installer.Earlier.folder;
        return folder.size() > 3 ? folder.substr(0, folder.size() - 1) : folder;
    }
    return core::IncludeBackslash(GetProgramFilesDir()) + Installer.DefaultFolderName;
}

TForm2::TForm2() : TPage("TForm2", 210) {}

void TForm2::FormCreate() {
    TPage::FormCreate();
    GroupBox1.SetText(GroupBox1.Text() + Installer.AppName);
    Label1.SetText(Label1.Text() + Installer.AppName + " :");
    // The command line's choices come as the page's first proposal.
    DemarrageCheckBox.SetChecked(Installer.Switches.WantsStartMenu());
    BureauCheckBox.SetChecked(Installer.Switches.WantsDesktop());
}

void TForm2::FormShow() { CheminEdit.SetText(Installer.InstallDir.empty() ? DefaultDestination() : Installer.InstallDir); }

void TForm2::ParcourirBtnClick() {
    TShBrowse browser;
    browser.InitialFolder = CheminEdit.Text();
    browser.Caption = "Veuillez choisir le répertoire d'installation";
    browser.Title = "Dossier d'installation de " + Installer.AppName + " :";
    if (browser.Execute()) CheminEdit.SetText(browser.Folder);
}

void TForm2::SuivantBtnClick() {
    // The text is not trimmed; the run creates the folder.
    const std::string destination = CheminEdit.Text();
    if (destination.empty()) {
        ui::ShowDialog(ui::DialogKind::Warning, kNoDestinationText, ui::DialogButtons::Ok);
        CheminEdit.SetText(DefaultDestination());
        return;
    }
    // Nothing is installed where the uninstaller would remove nothing: the
    // person is told why and corrects the folder.
    if (const std::string why = DestinationRefusal(destination); !why.empty()) {
        ui::ShowDialog(ui::DialogKind::Warning, UnsuitableDestinationText(destination, why), ui::DialogButtons::Ok);
        return;
    }
    Installer.InstallDir = core::IncludeBackslash(destination);
    Installer.WantStartMenu = DemarrageCheckBox.Checked();
    Installer.WantDesktop = BureauCheckBox.Checked();
    SetupForm->SwitchPage(*this, *Form3, 3);
}

void TForm2::PrecedentBtnClick() { SetupForm->SwitchPage(*this, *Form1, 1); }

void TForm2::AnnulerBtnClick() { ui::Application::Current()->Terminate(); }

#include "Accueil/Accueil.h"

#include "Accueil/SetupPicture.h"
#include "SetupFrm/SetupFrm.h"
#include "Variable/Variable.h"
#include "ui/application.h"

// The welcome page alone uses the Western character set.
TForm1::TForm1() : TPage("TForm1", 209, ANSI_CHARSET) {}

void TForm1::FormCreate() {
    TPage::FormCreate();
    GroupBox1.SetText(GroupBox1.Text() + Installer.AppName);
    Label1.SetText(Label1.Text() + Installer.AppName);
    VersionLabel.SetText(Installer.AppName + " " + Installer.AppVersion);
    Image1.SetBitmap(MakeSetupPicture());
}

void TForm1::SuivantBtnClick() { SetupForm->SwitchPage(*this, *Form2, 2); }

void TForm1::AnnulerBtnClick() { ui::Application::Current()->Terminate(); }

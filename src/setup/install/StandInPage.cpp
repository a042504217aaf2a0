#include "install/StandInPage.h"

#include "Variable/Variable.h"
#include "ui/application.h"

TStandInPage::TStandInPage() : TPage("TStandInPage", 209) {}

void TStandInPage::FormCreate() {
    TPage::FormCreate();
    GroupBox1.SetText(GroupBox1.Text() + Installer.AppName);
}

void TStandInPage::AnnulerBtnClick() { ui::Application::Current()->Terminate(); }

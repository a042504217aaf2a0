#pragma once
// Until the wizard's pages exist, one page stands in for them in front of the
// background window: it says the wizard is coming, and "Annuler" ends the
// program.

#include "SetupFrm/Page.h"
#include "ui/controls.h"

class TStandInPage : public TPage {
public:
    TStandInPage();

protected:
    void FormCreate() override;

private:
    void AnnulerBtnClick();

    ui::GroupBox GroupBox1{*this, {.caption = "Bienvenue dans l'installation de ", .bounds = {12, 8, 433, 157}}};
    ui::Label Label1{GroupBox1,
                     {.caption = "L'assistant d'installation arrive bientôt.",
                      .bounds = {20, 32, 393, 16},
                      .font = ui::FontSpec{.name = "Arial", .height = 13, .style = ui::Bold}}};
    ui::Label Label2{GroupBox1,
                     {.caption = "Cliquez sur Annuler pour quitter le programme d'installation.",
                      .bounds = {20, 64, 393, 29},
                      .wordWrap = true}};
    ui::Button SuivantBtn{*this, ForwardButton("Suivant", nullptr, false)};
    ui::Button PrecedentBtn{*this, PreviousButton(nullptr, false)};
    ui::Button AnnulerBtn{*this, CancelButton([this] { AnnulerBtnClick(); })};
};

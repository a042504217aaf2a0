#pragma once
// Page 1, the welcome page: names the application and its version, asks the
// user to close running copies of it, and leads to the options page.

#include "SetupFrm/Page.h"
#include "ui/controls.h"

class TForm1 : public TPage {
public:
    TForm1();

protected:
    void FormCreate() override;

private:
    void SuivantBtnClick();
    void AnnulerBtnClick();

    ui::GroupBox GroupBox1{*this, {.caption = "Bienvenue dans l'installation de ", .bounds = {12, 8, 433, 157}}};
    ui::Label Label1{GroupBox1,
                     {.caption = "Bienvenue dans le programme d'installation de ",
                      .bounds = {20, 32, 393, 16},
                      .font = ui::FontSpec{.name = "Arial", .height = 13, .style = ui::Bold, .charset = ANSI_CHARSET}}};
    ui::Label Label2{GroupBox1, {.caption = "Vous êtes sur le point d'installer le logiciel", .bounds = {92, 64, 201, 13}}};
    ui::Label VersionLabel{GroupBox1, {.caption = "...", .bounds = {296, 64, 0, 13}, .autoSize = true}};
    ui::Picture Image1{GroupBox1, {.bounds = {24, 68, 28, 30}, .transparentColour = RGB(255, 255, 255)}};
    ui::Label Label4{GroupBox1,
                     {.caption = "Veuillez fermer les anciennes version de Korvalix qui pourraient être lancées afin "
                                 "d'en effectuer la mise à jour.",
                      .bounds = {92, 88, 317, 29},
                      .wordWrap = true}};
    ui::Label Label3{GroupBox1, {.caption = "Cliquez sur Suivant pour continuer...", .bounds = {92, 128, 317, 14}}};
    ui::Button SuivantBtn{*this, ForwardButton("Suivant", [this] { SuivantBtnClick(); })};
    ui::Button Button1{*this, PreviousButton(nullptr, false)};
    ui::Button AnnulerBtn{*this, CancelButton([this] { AnnulerBtnClick(); })};
};

#pragma once
// Page 3, the summary: what is about to be installed, where, and which
// shortcuts; "Suivant" starts the installation on page 4.

#include <string>

#include "SetupFrm/Page.h"
#include "ui/controls.h"

// The summary's last line on a first installation.
extern const char* const kStartText;

// The shortcut line of the summary for the two choices of page 2.
std::string ShortcutSummary(bool wantStartMenu, bool wantDesktop);

class TForm3 : public TPage {
public:
    TForm3();

protected:
    // On every arrival from page 2: the latest choices.
    void FormShow() override;

private:
    void SuivantBtnClick();
    void PrecedentBtnClick();
    void AnnulerBtnClick();

    // The values, in bold, hold their own names until the page is first shown.
    static ui::LabelArgs Value(const char* name, int top) {
        return {.caption = name, .bounds = {144, top, 273, 14}, .font = ui::FontSpec{.style = ui::Bold}};
    }
    static ui::LabelArgs Heading(const char* text, int top) {
        return {.caption = text, .bounds = {32, top, 0, 0}, .autoSize = true};
    }

    ui::GroupBox GroupBox1{*this, {.caption = "Récapitulatif de l'installation", .bounds = {16, 12, 429, 153}}};
    ui::Label Label1{GroupBox1, Heading("Application :", 32)};
    ui::Label ApplicationLabel{GroupBox1, Value("ApplicationLabel", 32)};
    ui::Label Label2{GroupBox1, Heading("Version :", 52)};
    ui::Label VersionLabel{GroupBox1, Value("VersionLabel", 52)};
    ui::Label Label3{GroupBox1, Heading("Dossier destination :", 72)};
    ui::Label DossierLabel{GroupBox1, Value("DossierLabel", 72)};
    ui::Label Label5{GroupBox1, Heading("Raccourci :", 92)};
    ui::Label RaccourciLabel{GroupBox1, Value("RaccourciLabel", 92)};
    ui::Label Label4{GroupBox1,
                     {.caption = kStartText,
                      .bounds = {32, 120, 369, 14},
                      .centred = true}};
    ui::Button SuivantBtn{*this, ForwardButton("Suivant", [this] { SuivantBtnClick(); })};
    ui::Button PrecedentBtn{*this, PreviousButton([this] { PrecedentBtnClick(); })};
    ui::Button AnnulerBtn{*this, CancelButton([this] { AnnulerBtnClick(); })};
};

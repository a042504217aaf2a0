#pragma once
// Page 2, the options page: the destination folder (typed or chosen in the
// shell's folder dialog), the Start-menu group and the desktop shortcut.  The
// only place where the user's choices enter the installer state.

#include <string>

#include "SetupFrm/Page.h"
#include "ui/controls.h"

// The text of the warning shown when "Suivant" finds no destination.
extern const char* const kNoDestinationText;
// The text of the warning shown when "Suivant" finds a destination that the
// uninstaller would refuse, and why.
std::string UnsuitableDestinationText(const std::string& folder, const std::string& why);

// Why the uninstaller could not remove an installation from `folder`, in
// its own words ("dossier Windows", "chemin réseau"...); empty when the
// folder may take one.  The uninstaller's own rule, against this machine's
// folders.
std::string DestinationRefusal(const std::string& folder);

// The folder of the command line's /DIR or /D when it gives one; else the
// Program Files folder followed by the manifest's folder name, without a
// final "\", or the folder name alone when there is no Program Files folder.
std::string DefaultDestination();

class TForm2 : public TPage {
public:
    TForm2();

protected:
    void FormCreate() override;
    // On every arrival: the stored destination once there is one, else the
    // default.
    void FormShow() override;

private:
    void ParcourirBtnClick();
    void SuivantBtnClick();
    void PrecedentBtnClick();
    void AnnulerBtnClick();

    ui::GroupBox GroupBox1{*this, {.caption = "Options d'installation de ", .bounds = {16, 12, 429, 153}}};
    ui::Label Label1{GroupBox1,
                     {.caption = "Veuillez choisir le chemin où installer ",
                      .bounds = {36, 32, 361, 16},
                      .font = ui::FontSpec{.name = "MS Sans Serif", .height = 13}}};
    ui::Edit CheminEdit{GroupBox1, {.bounds = {36, 52, 249, 22}}};
    ui::Button ParcourirBtn{GroupBox1,
                            {.caption = "&Parcourir", .bounds = {292, 52, 65, 21}, .onClick = [this] { ParcourirBtnClick(); }}};
    ui::CheckBox DemarrageCheckBox{
        GroupBox1,
        {.caption = "Ajouter un groupe de programme dans le menu démarrer", .bounds = {36, 92, 301, 17}, .checked = true}};
    ui::CheckBox BureauCheckBox{GroupBox1, {.caption = "Ajouter un raccourci sur le bureau", .bounds = {36, 112, 201, 17}}};
    ui::Button SuivantBtn{*this, ForwardButton("Suivant", [this] { SuivantBtnClick(); })};
    ui::Button PrecedentBtn{*this, PreviousButton([this] { PrecedentBtnClick(); })};
    ui::Button AnnulerBtn{*this, CancelButton([this] { AnnulerBtnClick(); })};
};

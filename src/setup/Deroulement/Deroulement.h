#pragma once
// Page 4, the progress page: shown once, it starts the installation run from
// the first tick of its timer and ends the program with "Terminer".

#include "Deroulement/InstallationRun.h"
#include "SetupFrm/Page.h"
#include "ui/controls.h"

class TForm4 : public TPage, private RunProgress {
public:
    TForm4();

protected:
    void FormCreate() override;
    void FormShow() override;

private:
    void TimerTimer();
    void AnnulerBtnClick();
    void SuivantBtnClick();

    // What the run drives.
    void SetBar(int32_t maximum, int32_t step) override;
    void SetStatus(const std::string& text, bool processMessages) override;
    void Step() override;
    void ProcessMessages() override;
    bool CancelRequested() const override { return CancelRequested_; }
    void Complete(bool failed) override;

    ui::GroupBox GroupBox1{*this, {.caption = "Installation", .bounds = {16, 12, 429, 153}}};
    ui::Label Status{GroupBox1,
                     {.caption = "Initialisation de l'installation...",
                      .bounds = {24, 32, 381, 57},
                      .wordWrap = true,
                      .font = ui::FontSpec{.name = "Arial", .height = 13}}};
    ui::ProgressBar ProgressBar{GroupBox1, {.bounds = {24, 104, 381, 17}}};
    ui::Button SuivantBtn{*this, ForwardButton("Terminer", [this] { SuivantBtnClick(); }, false)};
    ui::Button PrecedentBtn{*this, PreviousButton(nullptr, false)};
    ui::Button AnnulerBtn{*this, CancelButton([this] { AnnulerBtnClick(); })};
    ui::Timer Timer{*this, {.interval = 100, .enabled = false, .onTimer = [this] { TimerTimer(); }}};

    bool CancelRequested_ = false;
    int32_t barMaximum_ = 100;
    int32_t barStep_ = 0;
};

#include "Deroulement/Deroulement.h"

#include <algorithm>

#include "General/Integrity.h"
#include "Variable/Variable.h"
#include "ui/application.h"

TForm4::TForm4() : TPage("TForm4", 210) {}

void TForm4::FormCreate() { TPage::FormCreate(); }

void TForm4::FormShow() {
    if (Installer.Switches.HidesCancel()) {
        AnnulerBtn.SetEnabled(false);
        AnnulerBtn.SetVisible(false);
    }
    Timer.SetEnabled(true);
}

void TForm4::TimerTimer() {
    Timer.SetEnabled(false);  // the run happens once
    // A damaged installer, or "Annuler" during its check, ends the program:
    // nothing has changed yet, so there is nothing to see on this page.
    if (VerifyInstaller(*this))
        RunInstallationShowingErrors(*this);
    else
        ui::Application::Current()->Terminate();
}

void TForm4::AnnulerBtnClick() {
    AnnulerBtn.SetEnabled(false);
    CancelRequested_ = true;  // honoured by the run at the next file
}

void TForm4::SuivantBtnClick() { ui::Application::Current()->Terminate(); }

void TForm4::SetBar(int32_t maximum, int32_t step) {
    barMaximum_ = maximum;
    barStep_ = step;
    ProgressBar.SetRange(0, maximum);
    ProgressBar.SetPosition(0);  // the run's bar starts afresh after the check's
}

void TForm4::SetStatus(const std::string& text, bool processMessages) {
    Status.SetText(text);
    if (processMessages) ProcessMessages();
}

void TForm4::Step() {
    ProgressBar.SetPosition(std::min(ProgressBar.Position() + barStep_, barMaximum_));
    ProcessMessages();
}

void TForm4::ProcessMessages() {
    // Paint what changed at once, then handle whatever the user did meanwhile.
    ::UpdateWindow(Handle());
    ui::Application::Current()->ProcessMessages();
}

void TForm4::Complete(bool failed) {
    ProgressBar.SetPosition(barMaximum_);
    SuivantBtn.SetEnabled(true);
    AnnulerBtn.SetEnabled(false);
    // "Terminer" takes the keys, whichever control had them during the run
    // (none, after "Annuler" was pressed), so that Enter ends the program.
    SuivantBtn.SetFocus();
    Status.SetText(failed ? kFailureText : kSuccessText);
    // Without a person to press "Terminer", the program ends by itself.
    if (Installer.Switches.NobodyAnswers()) ui::Application::Current()->Terminate();
}

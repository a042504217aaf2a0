#include "install/MainWindows.h"

#include "Variable/Variable.h"

namespace {

// Paints a shown window at once rather than when the loop gets to it.
void PaintNow(ui::Form& form) { ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

}  // namespace

MainWindows::MainWindows() {
    // Each reference is set as soon as its window exists: a later window's
    // creation may already send messages that reach the earlier ones.
    setupForm_ = ui::CreateForm<TSetupForm>();
    SetupForm = setupForm_.get();
    form1_ = ui::CreateForm<TForm1>();
    Form1 = form1_.get();
}

void MainWindows::CreateLaterPages() {
    if (form4_) return;
    form2_ = ui::CreateForm<TForm2>();
    Form2 = form2_.get();
    form3_ = ui::CreateForm<TForm3>();
    Form3 = form3_.get();
    form4_ = ui::CreateForm<TForm4>();
    Form4 = form4_.get();
}

MainWindows::~MainWindows() {
    // In reverse order of creation; each reference is cleared before its
    // window goes, so that nothing reaches a page being destroyed.
    Form4 = nullptr;
    form4_.reset();
    Form3 = nullptr;
    form3_.reset();
    Form2 = nullptr;
    form2_.reset();
    Form1 = nullptr;
    form1_.reset();
    SetupForm = nullptr;
    setupForm_.reset();
}

void MainWindows::ShowFirstPage() {
    if (Installer.Switches.StartsOnTheProgressPage()) CreateLaterPages();
    setupForm_->Show();
    PaintNow(*setupForm_);
    if (ui::Form* page = PageByNumber(setupForm_->CurrentPage)) PaintNow(*page);
}

void MainWindows::Show() {
    ShowFirstPage();
    CreateLaterPages();
}

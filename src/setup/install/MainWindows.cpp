#include "install/MainWindows.h"

MainWindows::MainWindows() {
    setupForm_ = ui::CreateForm<TSetupForm>();
    SetupForm = setupForm_.get();
    form1_ = ui::CreateForm<TStandInPage>();
    Form1 = form1_.get();
}

MainWindows::~MainWindows() {
    // Each reference is cleared before its window goes, so that nothing
    // reaches a page being destroyed.
    Form1 = nullptr;
    form1_.reset();
    SetupForm = nullptr;
    setupForm_.reset();
}

void MainWindows::Show() { setupForm_->Show(); }

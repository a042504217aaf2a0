#pragma once
// The program's windows, created after a successful start-up and destroyed
// in reverse order of creation when the message loop has ended: the pages
// first, the background window last, whose destruction removes the work copy
// of the manifest.  The owner destroys them before the installer state is
// released.

#include "Accueil/Accueil.h"
#include "Chemin/Chemin.h"
#include "Deroulement/Deroulement.h"
#include "Recap/Recap.h"
#include "SetupFrm/SetupFrm.h"
#include "ui/form.h"

class MainWindows {
public:
    // Creates the background window (the main window), then the four pages,
    // and sets the process-wide references.
    MainWindows();
    ~MainWindows();
    MainWindows(const MainWindows&) = delete;
    MainWindows& operator=(const MainWindows&) = delete;

    // Shows the main window, as the message loop starts; it shows page 1.
    void Show();

private:
    ui::FormPtr<TSetupForm> setupForm_;
    ui::FormPtr<TForm1> form1_;
    ui::FormPtr<TForm2> form2_;
    ui::FormPtr<TForm3> form3_;
    ui::FormPtr<TForm4> form4_;
};

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
    // Creates the background window (the main window) and page 1, and sets
    // their process-wide references.
    MainWindows();
    ~MainWindows();
    MainWindows(const MainWindows&) = delete;
    MainWindows& operator=(const MainWindows&) = delete;

    // Shows the first page over the background, both painted, then creates
    // pages 2 to 4, before the message loop starts.
    void Show();

    // The two halves of Show, for those who time them.  Pages 2 to 4 are made
    // once page 1 is on the screen, so a person sees it sooner; a key or a
    // click given meanwhile waits in the queue until the loop runs, by when
    // every page exists.  A run that starts on the progress page makes them
    // first.
    void ShowFirstPage();
    void CreateLaterPages();

private:
    ui::FormPtr<TSetupForm> setupForm_;
    ui::FormPtr<TForm1> form1_;
    ui::FormPtr<TForm2> form2_;
    ui::FormPtr<TForm3> form3_;
    ui::FormPtr<TForm4> form4_;
};

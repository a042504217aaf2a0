#pragma once
// The background window: maximized behind the wizard, a blue gradient with
// the installer's title, and the current page kept in front of it.  It is the
// application's main window: closing it asks whether to abandon the
// installation, and its destruction removes the work copy of the manifest.

#include <windows.h>

#include <cstdint>

#include "ui/form.h"

// The question asked when the background window is closed.
extern const char* const kCloseQuestionText;

class TSetupForm : public ui::Form {
public:
    TSetupForm();

    // The page on show, 1 to 4; 0 while pages are switched, while the close
    // question is open and before the window is first shown.
    uint8_t CurrentPage = 0;

    // Hides `from`, shows `to` and makes `page` the current page.  While the
    // switch runs no repaint of the background raises a page.
    void SwitchPage(ui::Form& from, ui::Form& to, uint8_t page);

    // The gradient and the shadowed title, on the background's own surface.
    void PaintBackground(HDC dc);

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormPaint(HDC dc) override;
    void FormCloseQuery(bool& canClose) override;
    void FormDestroy() override;
};

// The five windows of the program, set once by start-up.  The pages' own
// units refine the type of their reference where they need to.
extern TSetupForm* SetupForm;
extern ui::Form* Form1;
extern ui::Form* Form2;
extern ui::Form* Form3;
extern ui::Form* Form4;

// Form1 to Form4 by number; null for any other number or a page not made.
ui::Form* PageByNumber(uint8_t page);

#include "SetupFrm/SetupFrm.h"

#include <string>

#include "General/WorkDir.h"
#include "Variable/Variable.h"
#include "core/background.h"
#include "ui/dpi.h"
#include "ui/message_dialog.h"

const char* const kCloseQuestionText =
    "Si vous quittez maintenant, l'installation ne sera pas terminée.\r"
    "Désirez vous annuler l'installation en cours ?";

TSetupForm* SetupForm = nullptr;
ui::Form* Form1 = nullptr;
ui::Form* Form2 = nullptr;
ui::Form* Form3 = nullptr;
ui::Form* Form4 = nullptr;

ui::Form* PageByNumber(uint8_t page) {
    switch (page) {
    case 1: return Form1;
    case 2: return Form2;
    case 3: return Form3;
    case 4: return Form4;
    }
    return nullptr;
}

TSetupForm::TSetupForm()
    : ui::Form({.className = "TSetupForm",
                .caption = "App Setup",
                .border = ui::FormBorder::Sizeable,
                .maximized = true,
                .colour = COLOR_WINDOW,
                .font = {.name = "Times New Roman", .height = 32, .style = ui::Bold | ui::Italic}}) {}

void TSetupForm::FormCreate() { SetCaption("Installation de " + Installer.AppName); }

void TSetupForm::FormShow() {
    // /SILENT asks nothing: the run starts at once on the progress page.
    CurrentPage = Installer.Switches.StartsOnTheProgressPage() ? 4 : 1;
    if (ui::Form* page = PageByNumber(CurrentPage)) page->Show();
}

void TSetupForm::FormPaint(HDC dc) {
    PaintBackground(dc);
    // The pages are windows of their own: bring the current one back in
    // front whenever the background has been drawn over it.
    if (ui::Form* page = PageByNumber(CurrentPage)) page->Show();
}

void TSetupForm::PaintBackground(HDC dc) {
    // The whole screen's size, not the client area's: a client area shorter
    // than the screen ends in dark blue.
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const auto blues = core::GradientBlues(height);
    const auto brush = static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
    for (size_t band = 0; band < blues.size(); ++band) {
        // Three rows from i - 1; the next band covers the last one, so every
        // band shows two rows high.
        const int i = static_cast<int>(band) * 2;
        const RECT rect{-1, i - 1, width, i + 2};
        ::SetDCBrushColor(dc, RGB(0, 0, blues[band]));
        ::FillRect(dc, &rect, brush);
    }

    const std::string caption = Caption();
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::TextOutA(dc, ui::Scale(20), ui::Scale(20), caption.c_str(), static_cast<int>(caption.size()));
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::TextOutA(dc, ui::Scale(15), ui::Scale(15), caption.c_str(), static_cast<int>(caption.size()));
}

void TSetupForm::SwitchPage(ui::Form& from, ui::Form& to, uint8_t page) {
    CurrentPage = 0;
    from.Hide();
    to.Show();
    CurrentPage = page;
}

void TSetupForm::FormCloseQuery(bool& canClose) {
    // Without a person to answer, the question is never asked and the window
    // stays; "Annuler" on the progress page stops the run.
    if (Installer.Switches.NobodyAnswers()) {
        canClose = false;
        return;
    }
    // While the question is open, repaints of the background must not raise
    // the page over the question box.
    const uint8_t savedPage = CurrentPage;
    CurrentPage = 0;
    canClose = ui::ShowDialog(ui::DialogKind::Confirmation, kCloseQuestionText, ui::DialogButtons::YesNo) ==
               ui::DialogResult::Yes;
    CurrentPage = savedPage;
    // The system gives the activation to whichever window it likes once the
    // box is gone: the page takes it back, and with it the keyboard.
    if (!canClose)
        if (ui::Form* page = PageByNumber(CurrentPage)) page->Show();
}

void TSetupForm::FormDestroy() { RemoveWorkDir(); }

#include "Accueil/SetupPicture.h"

#include <windows.h>

#include "ui/font.h"

namespace {

constexpr int kWidth = 28;
constexpr int kHeight = 30;

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    const RECT rect{left, top, right, bottom};
    ::SetDCBrushColor(dc, colour);
    ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

void Ellipse(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF outline) {
    ::SetDCBrushColor(dc, fill);
    ::SetDCPenColor(dc, outline);
    ::Ellipse(dc, left, top, right, bottom);
}

// A box standing at the back left, its front in warm yellow with a darker
// side, as software used to be sold.
void DrawBox(HDC dc) {
    Fill(dc, 1, 9, 13, 29, RGB(120, 80, 20));     // outline
    Fill(dc, 2, 10, 12, 28, RGB(240, 190, 60));   // front
    Fill(dc, 12, 11, 15, 29, RGB(170, 120, 30));  // side
    Fill(dc, 3, 12, 11, 16, RGB(200, 40, 40));    // the label's band
    Fill(dc, 3, 18, 11, 19, RGB(150, 100, 30));
    Fill(dc, 3, 21, 9, 22, RGB(150, 100, 30));
}

// A screen on its foot at the top right, showing a blue desktop.
void DrawScreen(HDC dc) {
    Fill(dc, 9, 1, 27, 15, RGB(64, 64, 64));      // case
    Fill(dc, 10, 2, 26, 14, RGB(192, 192, 192));  // bezel
    Fill(dc, 11, 3, 25, 12, RGB(0, 64, 160));     // screen
    Fill(dc, 11, 3, 25, 5, RGB(0, 0, 128));       // title bar
    Fill(dc, 16, 15, 21, 17, RGB(96, 96, 96));    // foot
    Fill(dc, 13, 17, 24, 18, RGB(64, 64, 64));
}

// A disc leaning in front, silver with a tint of the rainbow; its hole shows
// the page's background through the white.
void DrawDisc(HDC dc) {
    Ellipse(dc, 12, 15, 28, 30, RGB(210, 214, 226), RGB(90, 90, 110));
    Ellipse(dc, 14, 17, 26, 28, RGB(190, 220, 235), RGB(190, 220, 235));
    Ellipse(dc, 16, 19, 24, 26, RGB(230, 200, 230), RGB(230, 200, 230));
    Ellipse(dc, 18, 20, 22, 25, RGB(255, 255, 255), RGB(120, 120, 140));
}

}  // namespace

win::GdiObject MakeSetupPicture() {
    win::GdiObject bitmap;
    win::MemoryDc dc;
    {
        const win::WindowDc screen;
        bitmap.reset(::CreateCompatibleBitmap(screen.get(), kWidth, kHeight));
        dc.reset(::CreateCompatibleDC(screen.get()));
    }
    if (!bitmap || !dc) return bitmap;

    ui::ScopedSelect selectBitmap(dc.get(), bitmap.get());
    ui::ScopedSelect selectBrush(dc.get(), ::GetStockObject(DC_BRUSH));
    ui::ScopedSelect selectPen(dc.get(), ::GetStockObject(DC_PEN));
    Fill(dc.get(), 0, 0, kWidth, kHeight, RGB(255, 255, 255));
    DrawBox(dc.get());
    DrawScreen(dc.get());
    DrawDisc(dc.get());
    return bitmap;
}

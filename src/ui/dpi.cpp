#include "ui/dpi.h"

#include <windows.h>

namespace ui {

int SystemDpi() {
    static const int dpi = [] {
        HDC screen = ::GetDC(nullptr);
        const int value = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ::ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Scale(int pixelsAt96) { return ::MulDiv(pixelsAt96, SystemDpi(), 96); }

}  // namespace ui

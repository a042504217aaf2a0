#include "ui/dpi.h"

#include <windows.h>

#include "win/handle.h"

namespace ui {

int SystemDpi() {
    static const int dpi = [] {
        const win::WindowDc screen;
        const int value = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Scale(int pixelsAt96) { return ::MulDiv(pixelsAt96, SystemDpi(), 96); }

}  // namespace ui

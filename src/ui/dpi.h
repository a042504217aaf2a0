#pragma once
// Every size and position of the installer's windows is given in pixels at
// 96 dots per inch.  This is the one place that scales them to the system's
// text resolution (the program declares itself DPI aware, so Windows does not
// stretch its windows behind its back).

namespace ui {

// The system's dots per inch, read once.
int SystemDpi();

// A 96-dpi size or position at the system's resolution.
int Scale(int pixelsAt96);

}  // namespace ui

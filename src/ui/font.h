#pragma once
// Fonts by name, character height and style.

#include <windows.h>

#include <string>

#include "win/handle.h"

namespace ui {

enum FontStyle : unsigned { Regular = 0, Bold = 1, Italic = 2, Underline = 4 };

struct FontSpec {
    std::string name = "Arial";
    int height = 11;             // character height in pixels at 96 dpi (8 points)
    unsigned style = Regular;    // FontStyle bits
    BYTE charset = DEFAULT_CHARSET;
};

// Owns one GDI font made from a FontSpec, scaled to the system's resolution.
class Font {
public:
    explicit Font(const FontSpec& spec);
    HFONT get() const { return static_cast<HFONT>(handle_.get()); }
    const FontSpec& spec() const { return spec_; }

private:
    FontSpec spec_;
    win::GdiObject handle_;
};

// Selects a GDI object into a device context for its lifetime.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~ScopedSelect() { ::SelectObject(dc_, previous_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace ui

#include "ui/font.h"

#include "ui/dpi.h"

namespace ui {

Font::Font(const FontSpec& spec) : spec_(spec) {
    LOGFONTA font{};
    font.lfHeight = -Scale(spec.height);  // negative: the character height, not the cell height
    font.lfWeight = spec.style & Bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = spec.style & Italic ? TRUE : FALSE;
    font.lfUnderline = spec.style & Underline ? TRUE : FALSE;
    font.lfCharSet = spec.charset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    lstrcpynA(font.lfFaceName, spec.name.c_str(), LF_FACESIZE);
    handle_.reset(::CreateFontIndirectA(&font));
}

}  // namespace ui

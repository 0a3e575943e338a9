#include "Font.h"

namespace pagora {

TFont::TFont(const std::string& face, int height)
    : font_(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, face.c_str())) {}

TFont::~TFont() {
    if (font_)
        DeleteObject(font_);
}

} // namespace pagora

#include "model/CTextOverlayData.h"

#include <cstring>

void CTextOverlayData::SetFont(const LOGFONT& font, int32_t newCx, int32_t newCy) {
    logFont = font;
    // A face name that fills the whole field has no terminator of its own.
    logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    fontHeight = font.lfHeight;
    fontWeight = font.lfWeight;
    italic = font.lfItalic;
    std::memcpy(faceName, logFont.lfFaceName, LF_FACESIZE);
    if (newCx != 0) cx = newCx;
    if (newCy != 0) cy = newCy;
}

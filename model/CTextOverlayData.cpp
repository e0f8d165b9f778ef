#include "model/CTextOverlayData.h"

#include <cstring>

#include "platform/win/TextConv.h"

void CTextOverlayData::SetFont(const LOGFONT& font, int32_t newCx, int32_t newCy) {
    logFont = font;
    // A face name that fills the whole field has no terminator of its own; it keeps what fits
    // before the terminator, cut between characters.
    const std::string given(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
    const std::string face = TruncateUtf8Bytes(given, LF_FACESIZE - 1);
    std::memset(logFont.lfFaceName, 0, LF_FACESIZE);
    std::memcpy(logFont.lfFaceName, face.data(), face.size());
    fontHeight = font.lfHeight;
    fontWeight = font.lfWeight;
    italic = font.lfItalic;
    std::memcpy(faceName, logFont.lfFaceName, LF_FACESIZE);
    if (newCx != 0) cx = newCx;
    if (newCy != 0) cy = newCy;
}

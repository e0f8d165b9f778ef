// A text overlay record: the text, its rectangle as the picture editor keeps it, its font and
// colour.
#pragma once

#include <cstdint>
#include <string>

#include "model/COverlayData.h"
#include "platform/win/WinTypes.h"

class CTextOverlayData : public COverlayData {
public:
    CTextOverlayData() : COverlayData(KIND_TEXT) {}
    CTextOverlayData(const CTextOverlayData& other) = default;
    CTextOverlayData& operator=(const CTextOverlayData& other) = default;

    std::unique_ptr<COverlayData> Clone() const override { return std::make_unique<CTextOverlayData>(*this); }

    // Takes the logical font with its height, weight, italic flag and face name; cx and cy
    // change only when non-zero.
    void SetFont(const LOGFONT& font, int32_t newCx, int32_t newCy);
    void SetColor(COLORREF colour) { color = colour; }
    void SetText(const std::string& newText) { text = newText; }

    std::string text;
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
    LOGFONT logFont;
    char faceName[LF_FACESIZE] = {}; // always NUL-terminated
    int32_t fontHeight = 0;
    int32_t fontWeight = 0;
    uint8_t italic = 0;
    COLORREF color = 0;
};

// Row conversion between pixel layouts. Values are palette indexes for layouts of 8 bits or
// fewer and 0x00RRGGBB colours for 16, 24 and 32 bits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win/WinTypes.h"

struct PixelView {
    int width = 0, height = 0, bpp = 0;
    size_t stride = 0;
    const BYTE* base = nullptr; // first row in memory
    bool topDown = false;
    const RGBQUAD* colors = nullptr;
    int numColors = 0;
    DWORD masks[3] = {0x7C00, 0x3E0, 0x1F}; // 16-bit fields: red, green, blue

    const BYTE* DeviceRow(int y) const { return base + stride * static_cast<size_t>(topDown ? y : height - 1 - y); }
    bool Indexed() const { return bpp <= 8; }
    uint32_t ColorOf(uint32_t index) const;
};

// Bytes of one row of width pixels at bpp, padded to 4 bytes; 0 when it would not fit 32 bits.
uint64_t DibStride(int64_t width, int bpp);
// Reads n values from column x0 of a row.
void ReadPixelRow(const PixelView& v, const BYTE* row, int x0, int n, uint32_t* out);
void WritePixelRow(BYTE* row, int bpp, int x0, int n, const uint32_t* in);
// Nearest entry of a colour table to a 0x00RRGGBB colour.
uint32_t NearestIndex(const RGBQUAD* colors, int numColors, uint32_t rgb);
// A view of a packed DIB's rows from its header and table; false for layouts the layer cannot read
// (compressed rows, odd bit counts, a negative or zero size).
bool ViewOfDib(const BITMAPINFO* bmi, const void* bits, PixelView& out);

inline uint32_t PixelOfColorref(COLORREF c) {
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}
inline COLORREF ColorrefOfPixel(uint32_t p) {
    return RGB(static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p));
}

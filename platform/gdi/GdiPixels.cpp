#include "platform/gdi/GdiPixels.h"

#include "platform/gdi/Gdi.h"

#include <bit>
#include <climits>
#include <cstring>

namespace {

// One 16-bit field widened to 8 bits.
uint32_t Field(uint32_t v, DWORD mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    uint32_t f = (v & mask) >> shift;
    return bits >= 8 ? f >> (bits - 8) : f << (8 - bits);
}

} // namespace

uint32_t PixelView::ColorOf(uint32_t index) const
{
    if (!colors || index >= static_cast<uint32_t>(numColors))
        return 0;
    const RGBQUAD& q = colors[index];
    return (static_cast<uint32_t>(q.rgbRed) << 16) | (static_cast<uint32_t>(q.rgbGreen) << 8) | q.rgbBlue;
}

uint64_t DibStride(int64_t width, int bpp)
{
    if (width <= 0 || bpp <= 0)
        return 0;
    const uint64_t s = ((static_cast<uint64_t>(width) * static_cast<uint64_t>(bpp) + 31) >> 5) << 2;
    return s > INT32_MAX ? 0 : s;
}

void ReadPixelRow(const PixelView& v, const BYTE* row, int x0, int n, uint32_t* out)
{
    switch (v.bpp) {
    case 1:
        for (int i = 0; i < n; ++i) {
            const int x = x0 + i;
            out[i] = (row[x >> 3] >> (7 - (x & 7))) & 1u;
        }
        break;
    case 4:
        for (int i = 0; i < n; ++i) {
            const int x = x0 + i;
            out[i] = (x & 1) ? (row[x >> 1] & 15u) : (row[x >> 1] >> 4);
        }
        break;
    case 8:
        for (int i = 0; i < n; ++i)
            out[i] = row[x0 + i];
        break;
    case 16:
        for (int i = 0; i < n; ++i) {
            const BYTE* p = row + 2 * static_cast<size_t>(x0 + i);
            const uint32_t w = p[0] | (static_cast<uint32_t>(p[1]) << 8);
            out[i] = (Field(w, v.masks[0]) << 16) | (Field(w, v.masks[1]) << 8) | Field(w, v.masks[2]);
        }
        break;
    case 24: {
        const BYTE* p = row + 3 * static_cast<size_t>(x0);
        for (int i = 0; i < n; ++i, p += 3)
            out[i] = p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
        break;
    }
    case 32: {
        const BYTE* p = row + 4 * static_cast<size_t>(x0);
        for (int i = 0; i < n; ++i, p += 4)
            out[i] = p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
        break;
    }
    default:
        std::memset(out, 0, sizeof(uint32_t) * static_cast<size_t>(n));
    }
}

void WritePixelRow(BYTE* row, int bpp, int x0, int n, const uint32_t* in)
{
    switch (bpp) {
    case 1:
        for (int i = 0; i < n; ++i) {
            const int x = x0 + i;
            const BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
            row[x >> 3] = (in[i] & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        }
        break;
    case 4:
        for (int i = 0; i < n; ++i) {
            const int x = x0 + i;
            BYTE& b = row[x >> 1];
            b = (x & 1) ? static_cast<BYTE>((b & 0xF0) | (in[i] & 15)) : static_cast<BYTE>((b & 0x0F) | ((in[i] & 15) << 4));
        }
        break;
    case 8:
        for (int i = 0; i < n; ++i)
            row[x0 + i] = static_cast<BYTE>(in[i]);
        break;
    case 24: {
        BYTE* p = row + 3 * static_cast<size_t>(x0);
        for (int i = 0; i < n; ++i, p += 3) {
            p[0] = static_cast<BYTE>(in[i]);
            p[1] = static_cast<BYTE>(in[i] >> 8);
            p[2] = static_cast<BYTE>(in[i] >> 16);
        }
        break;
    }
    case 32: {
        BYTE* p = row + 4 * static_cast<size_t>(x0);
        for (int i = 0; i < n; ++i, p += 4) {
            p[0] = static_cast<BYTE>(in[i]);
            p[1] = static_cast<BYTE>(in[i] >> 8);
            p[2] = static_cast<BYTE>(in[i] >> 16);
            p[3] = 0xFF; // cairo reads it as opaque
        }
        break;
    }
    default:
        break;
    }
}

uint32_t NearestIndex(const RGBQUAD* colors, int numColors, uint32_t rgb)
{
    const int r = static_cast<int>((rgb >> 16) & 255), g = static_cast<int>((rgb >> 8) & 255), b = static_cast<int>(rgb & 255);
    uint32_t best = 0;
    long bestDist = LONG_MAX;
    for (int i = 0; i < numColors; ++i) {
        const long dr = colors[i].rgbRed - r, dg = colors[i].rgbGreen - g, db = colors[i].rgbBlue - b;
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestDist) {
            bestDist = d;
            best = static_cast<uint32_t>(i);
        }
    }
    return best;
}

bool ViewOfDib(const BITMAPINFO* bmi, const void* bits, PixelView& out)
{
    if (!bmi || !bits)
        return false;
    const BITMAPINFOHEADER& h = bmi->bmiHeader;
    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return false;
    if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32)))
        return false;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
        return false;
    out = PixelView{};
    out.width = h.biWidth;
    out.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    out.topDown = h.biHeight < 0;
    out.bpp = bpp;
    out.stride = DibStride(out.width, bpp);
    if (out.stride == 0 || out.stride * static_cast<uint64_t>(out.height) > GDI_MAX_BYTES)
        return false;
    out.base = static_cast<const BYTE*>(bits);
    if (bpp <= 8) {
        out.colors = bmi->bmiColors;
        out.numColors = 1 << bpp;
        if (h.biClrUsed != 0 && h.biClrUsed < static_cast<DWORD>(out.numColors))
            out.numColors = static_cast<int>(h.biClrUsed);
    }
    if (bpp == 16 && h.biCompression == BI_BITFIELDS) {
        // The masks follow the header where a table would be.
        std::memcpy(out.masks, bmi->bmiColors, sizeof(out.masks));
    }
    return true;
}

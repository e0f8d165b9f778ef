// Image object: brightness, contrast and gamma through 256-entry look-up tables.
#include <algorithm>
#include <cmath>

#include "imagelib/PixImageLoops.h"

using pixloop::ClampByte;

bool CPixImage::Light(long brightness, long contrast)
{
    if (!dib)
        return false;
    // The factor keeps the single-precision hundredth, so Light(0, 0) lowers 129..255 by one.
    const double c = (static_cast<double>(contrast) + 100) * static_cast<double>(0.01f);
    const double base = static_cast<double>(brightness) + 128;
    BYTE table[256];
    for (int k = 0; k < 256; ++k)
        table[k] = ClampByte(std::trunc((k - 128) * c + base));
    return Lut(table);
}

bool CPixImage::Gamma(float gamma)
{
    if (!dib || !std::isfinite(gamma) || gamma <= 0)
        return false;
    const double inv = 1.0 / gamma;
    const double max = std::pow(255.0, inv) * (1.0 / 255);
    BYTE table[256];
    for (int i = 0; i < 256; ++i) {
        double v = std::pow(static_cast<double>(i), inv) / max;
        // Steep curves overflow the powers: the same curve, scaled before the power is taken.
        if (!std::isfinite(v) || !std::isfinite(max) || max == 0)
            v = 255 * std::pow(i / 255.0, inv);
        table[i] = ClampByte(v);
    }
    return Lut(table);
}

bool CPixImage::PaletteLut(const BYTE* r, const BYTE* g, const BYTE* b)
{
    RGBQUAD* pal = GetPalette();
    for (DWORD i = 0; i < header.biClrUsed; ++i) {
        pal[i].rgbRed = r[pal[i].rgbRed];
        pal[i].rgbGreen = g[pal[i].rgbGreen];
        pal[i].rgbBlue = b[pal[i].rgbBlue];
    }
    info.lastValid = false;
    return true;
}

bool CPixImage::Lut(BYTE* pLut)
{
    if (!dib || !pLut)
        return false;
    const BYTE* table = pLut;
    if (!header.biClrUsed) {
        if (!selection) {
            BYTE* p = info.bits;
            for (BYTE* end = p + header.biSizeImage; p < end; ++p)
                *p = table[*p];
            return true;
        }
        EachSelected24(ProcessingArea(), true, [table](BYTE* p) {
            p[0] = table[p[0]];
            p[1] = table[p[1]];
            p[2] = table[p[2]];
        });
        return true;
    }
    if (selection && header.biBitCount == 8 && IsGrayScale()) {
        const RECT area = ProcessingArea();
        const size_t w = GetWidth();
        for (long y = area.bottom; y < area.top; ++y) {
            info.progress = static_cast<int32_t>(static_cast<double>(y) * (100.0 / area.top));
            BYTE* row = info.bits + static_cast<size_t>(y) * info.effWidth;
            const BYTE* sel = selection + static_cast<size_t>(y) * w;
            for (long x = area.left; x < area.right; ++x)
                if (sel[x])
                    row[x] = table[row[x]];
        }
        return true;
    }
    return PaletteLut(table, table, table);
}

bool CPixImage::Lut(BYTE* pLutR, BYTE* pLutG, BYTE* pLutB, BYTE* pLutAlpha)
{
    if (!dib || !pLutR || !pLutG || !pLutB)
        return false;
    if (header.biClrUsed)
        return PaletteLut(pLutR, pLutG, pLutB);
    const RECT area = ProcessingArea();
    const BYTE *r = pLutR, *g = pLutG, *b = pLutB;
    EachSelected24(area, true, [r, g, b](BYTE* p) {
        p[0] = b[p[0]];
        p[1] = g[p[1]];
        p[2] = r[p[2]];
    });
    if (pLutAlpha && alpha) {
        const size_t w = GetWidth();
        for (long y = area.bottom; y < area.top; ++y) {
            BYTE* a = alpha + static_cast<size_t>(y) * w;
            const BYTE* sel = selection ? selection + static_cast<size_t>(y) * w : nullptr;
            for (long x = area.left; x < area.right; ++x)
                if (!sel || sel[x])
                    a[x] = pLutAlpha[a[x]];
        }
    }
    return true;
}

// Image object: the alpha plane and the alpha carried by the palette.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "imagelib/PixImage.h"

void CPixImage::AlphaCreate()
{
    if (alpha || !dib)
        return;
    size_t n = PlaneSize();
    alpha = static_cast<BYTE*>(std::malloc(n));
    if (alpha)
        std::memset(alpha, 255, n);
}

void CPixImage::AlphaDelete()
{
    std::free(alpha);
    alpha = nullptr;
}

void CPixImage::AlphaClear()
{
    if (alpha)
        std::memset(alpha, 0, PlaneSize());
}

void CPixImage::AlphaSet(BYTE level)
{
    if (alpha)
        std::memset(alpha, level, PlaneSize());
}

void CPixImage::AlphaSet(long x, long y, BYTE level)
{
    if (alpha && IsInside(x, y))
        alpha[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()] = level;
}

bool CPixImage::AlphaSet(CPixImage& from)
{
    if (!from.IsGrayScale() || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight())
        return false;
    if (!from.dib || from.GetBpp() != 8)
        return false;
    if (!alpha) {
        alpha = static_cast<BYTE*>(std::malloc(PlaneSize()));
        if (!alpha)
            return false;
    }
    const size_t w = GetWidth();
    const BYTE* src = from.info.bits;
    BYTE* dst = alpha;
    for (DWORD y = 0; y < GetHeight(); ++y) {
        std::memcpy(dst, src, w);
        src += from.info.effWidth;
        dst += w;
    }
    return true;
}

BYTE CPixImage::AlphaGet(long x, long y)
{
    if (alpha && IsInside(x, y))
        return BlindAlphaGet(x, y);
    return 0;
}

BYTE* CPixImage::AlphaGetPointer(long x, long y)
{
    if (alpha && IsInside(x, y))
        return alpha + static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth();
    return nullptr;
}

void CPixImage::AlphaInvert()
{
    if (!alpha)
        return;
    size_t n = PlaneSize();
    for (size_t i = 0; i < n; ++i)
        alpha[i] = static_cast<BYTE>(255 - alpha[i]);
}

bool CPixImage::AlphaCopy(CPixImage& from)
{
    if (!from.alpha || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight())
        return false;
    if (&from == this)
        return true;
    if (!alpha) {
        alpha = static_cast<BYTE*>(std::malloc(PlaneSize()));
        if (!alpha)
            return false;
    }
    std::memcpy(alpha, from.alpha, PlaneSize());
    info.alphaMax = from.info.alphaMax;
    return true;
}

// Both turn the plane in place: no second plane, nothing that can fail once there is one.
bool CPixImage::AlphaFlip()
{
    if (!alpha)
        return false;
    const size_t w = GetWidth(), h = GetHeight();
    for (size_t y = 0; y < h / 2; ++y)
        std::swap_ranges(alpha + y * w, alpha + (y + 1) * w, alpha + (h - 1 - y) * w);
    return true;
}

bool CPixImage::AlphaMirror()
{
    if (!alpha)
        return false;
    const size_t w = GetWidth(), h = GetHeight();
    for (size_t y = 0; y < h; ++y)
        std::reverse(alpha + y * w, alpha + (y + 1) * w);
    return true;
}

bool CPixImage::AlphaSplit(CPixImage* dest)
{
    if (!alpha || !dest)
        return false;
    CPixImage tmp(GetWidth(), GetHeight(), 8);
    if (!tmp.IsValid())
        return false;
    const size_t w = GetWidth();
    for (DWORD y = 0; y < GetHeight(); ++y)
        std::memcpy(tmp.info.bits + static_cast<size_t>(y) * tmp.info.effWidth, alpha + y * w, w);
    tmp.SetGrayPalette();
    return dest->Transfer(tmp);
}

bool CPixImage::AlphaPaletteSplit(CPixImage* dest)
{
    if (!AlphaPaletteIsValid() || !dest)
        return false;
    CPixImage tmp(GetWidth(), GetHeight(), 8);
    if (!tmp.IsValid())
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            tmp.SetPixelIndex(x, y, GetPixelColor(x, y, true).rgbReserved);
    tmp.SetGrayPalette();
    return dest->Transfer(tmp);
}

bool CPixImage::AlphaPaletteIsValid()
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return false;
    for (DWORD i = 0; i < header.biClrUsed; ++i)
        if (pal[i].rgbReserved != 0)
            return true;
    return false;
}

void CPixImage::AlphaPaletteClear()
{
    for (DWORD i = 0; i < header.biClrUsed; ++i) {
        RGBQUAD c = GetPaletteColor(static_cast<BYTE>(i));
        c.rgbReserved = 0;
        SetPaletteColor(static_cast<BYTE>(i), c);
    }
}

void CPixImage::AlphaStrip()
{
    bool pal = AlphaPaletteIsValid();
    bool av = AlphaIsValid();
    if (!pal && !av)
        return;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const RGBQUAD bg = info.transColor;
    auto flatten = [&](long x, long y) {
        RGBQUAD c = GetPixelColor(x, y, true);
        long a = av ? (static_cast<long>(BlindAlphaGet(x, y)) * info.alphaMax) / 255 : info.alphaMax;
        if (header.biClrUsed && pal)
            a = (static_cast<long>(c.rgbReserved) * a) / 255;
        long b = 255 - a;
        RGBQUAD n;
        n.rgbBlue = static_cast<BYTE>((c.rgbBlue * a + bg.rgbBlue * b) / 255);
        n.rgbGreen = static_cast<BYTE>((c.rgbGreen * a + bg.rgbGreen * b) / 255);
        n.rgbRed = static_cast<BYTE>((c.rgbRed * a + bg.rgbRed * b) / 255);
        n.rgbReserved = 0;
        return n;
    };

    if (header.biBitCount == 24) {
        for (long y = 0; y < h; ++y)
            for (long x = 0; x < w; ++x)
                SetPixelColor(x, y, flatten(x, y), false);
        AlphaDelete();
        return;
    }
    CPixImage tmp(GetWidth(), GetHeight(), 24);
    if (!tmp.IsValid())
        return;
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            tmp.SetPixelColor(x, y, flatten(x, y), false);
    Transfer(tmp);
}

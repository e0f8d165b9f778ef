// Image object: palette and pixel access, colour formats and the line drawer.
#include <cstdlib>
#include <cstring>

#include "imagelib/PixImage.h"

namespace {

constexpr BYTE kStd16[16][3] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

// The 256-colour standard palette as (red, green, blue), built once.
struct StdPalette256 {
    BYTE rgb[256][3];
    StdPalette256()
    {
        for (int i = 0; i < 8; ++i)
            set(i, kStd16[i][0], kStd16[i][1], kStd16[i][2]);
        set(8, 192, 220, 192);
        set(9, 166, 202, 240);
        static constexpr BYTE ramp[8][3] = {{255, 240, 212}, {255, 226, 177}, {255, 212, 142}, {255, 198, 107},
                                            {255, 184, 72},  {255, 170, 37},  {255, 170, 0},   {220, 146, 0}};
        for (int i = 0; i < 8; ++i)
            set(10 + i, ramp[i][0], ramp[i][1], ramp[i][2]);
        // 18..226: ramps through a 6 x 6 x 6 colour cube.
        static constexpr BYTE level[6] = {0, 51, 102, 153, 204, 255};
        for (int k = 0; k <= 226 - 18; ++k)
            set(18 + k, level[(k / 36) % 6], level[(k / 6) % 6], level[k % 6]);
        for (int i = 0; i < 19; ++i) {
            BYTE g = static_cast<BYTE>(230 - 12 * i);
            set(227 + i, g, g, g);
        }
        static constexpr BYTE tail[10][3] = {{255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},
                                             {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
                                             {0, 255, 255},   {255, 255, 255}};
        for (int i = 0; i < 10; ++i)
            set(246 + i, tail[i][0], tail[i][1], tail[i][2]);
    }
    void set(int i, BYTE r, BYTE g, BYTE b)
    {
        rgb[i][0] = r;
        rgb[i][1] = g;
        rgb[i][2] = b;
    }
};

inline bool SameQuad(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed &&
           a.rgbReserved == b.rgbReserved;
}

} // namespace

// --- pixels -------------------------------------------------------------------------------------

BYTE CPixImage::BlindGetPixelIndex(long x, long y)
{
    const BYTE* row = info.bits + static_cast<size_t>(y) * info.effWidth;
    switch (header.biBitCount) {
    case 8: return row[x];
    case 4: return static_cast<BYTE>((row[x >> 1] >> (4 - 4 * (x & 1))) & 15);
    case 1: return static_cast<BYTE>((row[x >> 3] >> (7 - (x & 7))) & 1);
    default: return 0;
    }
}

BYTE CPixImage::GetPixelIndex(long x, long y)
{
    if (!dib || header.biClrUsed == 0)
        return 0;
    if (!IsInside(x, y)) {
        if (info.transIndex != -1)
            return static_cast<BYTE>(info.transIndex);
        return BlindGetPixelIndex(0, 0);
    }
    return BlindGetPixelIndex(x, y);
}

void CPixImage::SetPixelIndex(long x, long y, BYTE i)
{
    if (!dib || header.biClrUsed == 0 || !IsInside(x, y))
        return;
    BYTE* row = info.bits + static_cast<size_t>(y) * info.effWidth;
    switch (header.biBitCount) {
    case 8: row[x] = i; break;
    case 4: {
        BYTE& b = row[x >> 1];
        int shift = 4 - 4 * (x & 1);
        b = static_cast<BYTE>((b & ~(15 << shift)) | ((i & 15) << shift));
        break;
    }
    case 1: {
        BYTE& b = row[x >> 3];
        int shift = 7 - (x & 7);
        b = static_cast<BYTE>((b & ~(1 << shift)) | ((i & 1) << shift));
        break;
    }
    default: break;
    }
}

RGBQUAD CPixImage::BlindGetPixelColor(long x, long y)
{
    if (header.biClrUsed)
        return GetPaletteColor(BlindGetPixelIndex(x, y));
    const BYTE* p = info.bits + static_cast<size_t>(y) * info.effWidth + static_cast<size_t>(x) * 3;
    RGBQUAD c;
    c.rgbBlue = p[0];
    c.rgbGreen = p[1];
    c.rgbRed = p[2];
    c.rgbReserved = alpha ? BlindAlphaGet(x, y) : 0;
    return c;
}

RGBQUAD CPixImage::GetPixelColor(long x, long y, bool bGetAlpha)
{
    RGBQUAD c = info.transColor;
    if (dib && IsInside(x, y)) {
        if (header.biClrUsed) {
            c = GetPaletteColor(BlindGetPixelIndex(x, y));
        } else {
            const BYTE* p = info.bits + static_cast<size_t>(y) * info.effWidth + static_cast<size_t>(x) * 3;
            c.rgbBlue = p[0];
            c.rgbGreen = p[1];
            c.rgbRed = p[2];
        }
        if (alpha && bGetAlpha)
            c.rgbReserved = BlindAlphaGet(x, y);
        return c;
    }
    if (info.transIndex != -1) {
        if (header.biBitCount < 24)
            return GetPaletteColor(static_cast<BYTE>(info.transIndex));
        return info.transColor;
    }
    if (dib)
        return GetPixelColor(0, 0, true);
    return c;
}

BYTE CPixImage::GetPixelGray(long x, long y)
{
    RGBQUAD c = GetPixelColor(x, y);
    return static_cast<BYTE>((306 * c.rgbRed + 601 * c.rgbGreen + 117 * c.rgbBlue) >> 10);
}

void CPixImage::SetPixelColor(long x, long y, RGBQUAD c, bool bSetAlpha)
{
    if (!dib || !IsInside(x, y))
        return;
    if (header.biClrUsed) {
        SetPixelIndex(x, y, GetNearestIndex(c));
        return;
    }
    BYTE* p = info.bits + static_cast<size_t>(y) * info.effWidth + static_cast<size_t>(x) * 3;
    p[0] = c.rgbBlue;
    p[1] = c.rgbGreen;
    p[2] = c.rgbRed;
    if (bSetAlpha)
        AlphaSet(x, y, c.rgbReserved);
}

void CPixImage::SetPixelColor(long x, long y, COLORREF cr) { SetPixelColor(x, y, RGBtoRGBQUAD(cr), false); }

void CPixImage::BlendPixelColor(long x, long y, RGBQUAD c, float blend, bool bSetAlpha)
{
    if (!dib || !IsInside(x, y))
        return;
    long a = static_cast<long>(blend * 256);
    long a1 = 256 - a;
    RGBQUAD old = BlindGetPixelColor(x, y);
    RGBQUAD n;
    n.rgbBlue = static_cast<BYTE>((old.rgbBlue * a1 + c.rgbBlue * a) >> 8);
    n.rgbGreen = static_cast<BYTE>((old.rgbGreen * a1 + c.rgbGreen * a) >> 8);
    n.rgbRed = static_cast<BYTE>((old.rgbRed * a1 + c.rgbRed * a) >> 8);
    n.rgbReserved = c.rgbReserved;
    if (header.biClrUsed) {
        SetPixelIndex(x, y, GetNearestIndex(n));
        return;
    }
    BYTE* p = BlindGetPixelPointer(x, y);
    p[0] = n.rgbBlue;
    p[1] = n.rgbGreen;
    p[2] = n.rgbRed;
    if (bSetAlpha)
        AlphaSet(x, y, c.rgbReserved);
}

BYTE* CPixImage::BlindGetPixelPointer(long x, long y)
{
    if (header.biClrUsed)
        return nullptr;
    return info.bits + static_cast<size_t>(y) * info.effWidth + static_cast<size_t>(x) * 3;
}

bool CPixImage::IsTransparent(long x, long y)
{
    if (!dib)
        return false;
    if (info.transIndex >= 0) {
        if (header.biClrUsed) {
            if (GetPixelIndex(x, y) == info.transIndex)
                return true;
        } else if (SameQuad(GetPixelColor(x, y, false), info.transColor)) {
            return true;
        }
    }
    if (alpha)
        return AlphaGet(x, y) == 0;
    return false;
}

// --- palette ------------------------------------------------------------------------------------

RGBQUAD* CPixImage::GetPalette() const
{
    if (!dib || header.biClrUsed == 0)
        return nullptr;
    return reinterpret_cast<RGBQUAD*>(static_cast<BYTE*>(dib) + header.biSize);
}

RGBQUAD CPixImage::GetPaletteColor(BYTE idx)
{
    RGBQUAD* pal = GetPalette();
    if (!pal || idx >= header.biClrUsed)
        return RGBQUAD{};
    return pal[idx];
}

bool CPixImage::GetPaletteColor(BYTE i, BYTE* r, BYTE* g, BYTE* b)
{
    RGBQUAD* pal = GetPalette();
    if (!pal || i >= header.biClrUsed)
        return false;
    if (r)
        *r = pal[i].rgbRed;
    if (g)
        *g = pal[i].rgbGreen;
    if (b)
        *b = pal[i].rgbBlue;
    return true;
}

void CPixImage::SetPaletteColor(BYTE idx, BYTE r, BYTE g, BYTE b, BYTE alphaValue)
{
    RGBQUAD c;
    c.rgbBlue = b;
    c.rgbGreen = g;
    c.rgbRed = r;
    c.rgbReserved = alphaValue;
    SetPaletteColor(idx, c);
}

void CPixImage::SetPaletteColor(BYTE idx, RGBQUAD c)
{
    RGBQUAD* pal = GetPalette();
    if (!pal || idx >= header.biClrUsed)
        return;
    pal[idx] = c;
    info.lastValid = false;
}

void CPixImage::SetPaletteColor(BYTE idx, COLORREF cr) { SetPaletteColor(idx, RGBtoRGBQUAD(cr)); }

void CPixImage::SetPalette(DWORD n, BYTE* r, BYTE* g, BYTE* b)
{
    RGBQUAD* pal = GetPalette();
    if (!r || !pal)
        return;
    if (!g)
        g = r;
    if (!b)
        b = g;
    DWORD m = n < header.biClrUsed ? n : header.biClrUsed;
    for (DWORD i = 0; i < m; ++i) {
        pal[i].rgbRed = r[i];
        pal[i].rgbGreen = g[i];
        pal[i].rgbBlue = b[i];
    }
    info.lastValid = false;
}

void CPixImage::SetPalette(rgb_color* rgb, DWORD nColors)
{
    RGBQUAD* pal = GetPalette();
    if (!rgb || !pal)
        return;
    DWORD m = nColors < header.biClrUsed ? nColors : header.biClrUsed;
    for (DWORD i = 0; i < m; ++i) {
        pal[i].rgbRed = rgb[i].r;
        pal[i].rgbGreen = rgb[i].g;
        pal[i].rgbBlue = rgb[i].b;
    }
    info.lastValid = false;
}

void CPixImage::SetPalette(RGBQUAD* pPal, DWORD nColors)
{
    RGBQUAD* pal = GetPalette();
    if (!pPal || !pal)
        return;
    uint64_t bytes = static_cast<uint64_t>(nColors) * 4;
    if (bytes > GetPaletteSize())
        bytes = GetPaletteSize();
    std::memmove(pal, pPal, static_cast<size_t>(bytes));
    info.lastValid = false;
}

void CPixImage::SetGrayPalette()
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return;
    DWORD n = header.biClrUsed;
    DWORD step = n > 1 ? 255 / (n - 1) : 0;
    for (DWORD i = 0; i < n; ++i) {
        BYTE v = static_cast<BYTE>(step * i);
        pal[i].rgbBlue = v;
        pal[i].rgbGreen = v;
        pal[i].rgbRed = v;
    }
    info.lastValid = false;
}

void CPixImage::BlendPalette(COLORREF cr, long perc)
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return;
    if (perc > 100)
        perc = 100;
    if (perc < 0)
        perc = 0;
    long r = GetRValue(cr), g = GetGValue(cr), b = GetBValue(cr);
    for (DWORD i = 0; i < header.biClrUsed; ++i) {
        pal[i].rgbBlue = static_cast<BYTE>((pal[i].rgbBlue * (100 - perc) + b * perc) / 100);
        pal[i].rgbGreen = static_cast<BYTE>((pal[i].rgbGreen * (100 - perc) + g * perc) / 100);
        pal[i].rgbRed = static_cast<BYTE>((pal[i].rgbRed * (100 - perc) + r * perc) / 100);
    }
    info.lastValid = false;
}

void CPixImage::SetStdPalette()
{
    if (!dib)
        return;
    if (header.biBitCount == 4 && header.biClrUsed == 16) {
        for (int i = 0; i < 16; ++i)
            SetPaletteColor(static_cast<BYTE>(i), kStd16[i][0], kStd16[i][1], kStd16[i][2], 0);
    } else if (header.biBitCount == 8 && header.biClrUsed == 256) {
        static const StdPalette256 std256;
        for (int i = 0; i < 256; ++i)
            SetPaletteColor(static_cast<BYTE>(i), std256.rgb[i][0], std256.rgb[i][1], std256.rgb[i][2], 0);
    }
}

bool CPixImage::IsGrayScale()
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return false;
    for (DWORD i = 0; i < header.biClrUsed; ++i) {
        if (pal[i].rgbBlue != i || pal[i].rgbGreen != i || pal[i].rgbRed != i)
            return false;
    }
    return true;
}

bool CPixImage::IsSamePalette(CPixImage& img, bool bCheckAlpha)
{
    if (header.biClrUsed != img.header.biClrUsed || header.biClrUsed == 0)
        return false;
    RGBQUAD* a = GetPalette();
    RGBQUAD* b = img.GetPalette();
    if (!a || !b)
        return false;
    for (DWORD i = 0; i < header.biClrUsed; ++i) {
        if (a[i].rgbRed != b[i].rgbRed || a[i].rgbGreen != b[i].rgbGreen || a[i].rgbBlue != b[i].rgbBlue)
            return false;
        if (bCheckAlpha && a[i].rgbReserved != b[i].rgbReserved)
            return false;
    }
    return true;
}

void CPixImage::SwapIndex(BYTE idx1, BYTE idx2)
{
    RGBQUAD* pal = GetPalette();
    if (!pal || idx1 >= header.biClrUsed || idx2 >= header.biClrUsed)
        return;
    RGBQUAD t = pal[idx1];
    pal[idx1] = pal[idx2];
    pal[idx2] = t;
    info.lastValid = false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x) {
            BYTE i = BlindGetPixelIndex(x, y);
            if (i == idx1)
                SetPixelIndex(x, y, idx2);
            else if (i == idx2)
                SetPixelIndex(x, y, idx1);
        }
    }
}

void CPixImage::SetClrImportant(DWORD ncolors)
{
    if (ncolors == 0 || ncolors > 256) {
        header.biClrImportant = 0;
        return;
    }
    switch (header.biBitCount) {
    case 1: header.biClrImportant = ncolors < 2 ? ncolors : 2; break;
    case 4: header.biClrImportant = ncolors < 16 ? ncolors : 16; break;
    case 8: header.biClrImportant = ncolors; break;
    default: break;
    }
    info.lastValid = false;
}

BYTE CPixImage::GetNearestIndex(RGBQUAD c)
{
    RGBQUAD* pal = GetPalette();
    if (!pal)
        return 0;
    if (info.lastValid && SameQuad(info.lastColor, c))
        return info.lastIndex;
    info.lastColor = c;
    info.lastValid = true;

    DWORD m = header.biClrImportant ? header.biClrImportant : header.biClrUsed;
    if (m > header.biClrUsed)
        m = header.biClrUsed; // never look past the palette
    long best = 200000;
    BYTE bestIndex = 0;
    for (DWORD i = 0; i < m; ++i) {
        long db = static_cast<long>(pal[i].rgbBlue) - c.rgbBlue;
        long dg = static_cast<long>(pal[i].rgbGreen) - c.rgbGreen;
        long dr = static_cast<long>(pal[i].rgbRed) - c.rgbRed;
        long d = db * db + dg * dg + dr * dr;
        if (d == 0) {
            bestIndex = static_cast<BYTE>(i);
            break;
        }
        if (d < best) {
            best = d;
            bestIndex = static_cast<BYTE>(i);
        }
    }
    info.lastIndex = bestIndex;
    return bestIndex;
}

// --- colour formats and lines -------------------------------------------------------------------

RGBQUAD CPixImage::RGBtoRGBQUAD(COLORREF cr)
{
    RGBQUAD c;
    c.rgbRed = GetRValue(cr);
    c.rgbGreen = GetGValue(cr);
    c.rgbBlue = GetBValue(cr);
    c.rgbReserved = 0;
    return c;
}

COLORREF CPixImage::RGBQUADtoRGB(RGBQUAD c)
{
    return static_cast<COLORREF>(c.rgbRed) + static_cast<COLORREF>(c.rgbGreen) * 256 +
           static_cast<COLORREF>(c.rgbBlue) * 65536;
}

void CPixImage::RGBtoBGR(BYTE* buffer, int length)
{
    if (!buffer || header.biClrUsed != 0)
        return;
    long n = length < static_cast<long>(info.effWidth) ? length : static_cast<long>(info.effWidth);
    for (long i = 0; i + 2 < n; i += 3) {
        BYTE t = buffer[i];
        buffer[i] = buffer[i + 2];
        buffer[i + 2] = t;
    }
}

void CPixImage::DrawLine(int StartX, int EndX, int StartY, int EndY, RGBQUAD color, bool bSetAlpha)
{
    if (!dib)
        return;
    long dx = std::labs(static_cast<long>(EndX) - StartX);
    long dy = std::labs(static_cast<long>(EndY) - StartY);
    long sx = EndX < StartX ? -1 : 1;
    long sy = EndY < StartY ? -1 : 1;
    long x = StartX, y = StartY;
    bool xMain = dx >= dy;
    long den = xMain ? dx : dy;
    long add = xMain ? dy : dx;
    long acc = den / 2;
    long count = den;
    for (long i = 0; i <= count; ++i) {
        SetPixelColor(x, y, color, bSetAlpha);
        acc += add;
        if (acc >= den) {
            acc -= den;
            if (xMain)
                y += sy;
            else
                x += sx;
        }
        if (xMain)
            x += sx;
        else
            y += sy;
    }
}

void CPixImage::DrawLine(int StartX, int EndX, int StartY, int EndY, COLORREF cr)
{
    DrawLine(StartX, EndX, StartY, EndY, RGBtoRGBQUAD(cr), false);
}

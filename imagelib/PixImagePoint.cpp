// Image object: operations that change each pixel or palette entry from its own value alone.
#include <algorithm>
#include <cmath>

#include "imagelib/PixImageLoops.h"
#include "platform/win/Random.h"

using pixloop::ClampByte;

bool CPixImage::Threshold(BYTE level)
{
    if (!dib)
        return false;
    if (header.biBitCount == 1)
        return true;
    // The black-and-white image is made first, so a failure leaves this image as it was. Its
    // information block is a fresh one: a transparent colour or index of the old picture means
    // nothing on the new palette.
    CPixImage out;
    if (!out.Create(GetWidth(), GetHeight(), 1, GetType())) {
        SetLastError(out.GetLastError());
        return false;
    }
    if (!GrayScale())
        return false;
    out.SetPaletteColor(0, RGBQUAD{0, 0, 0, 0});
    out.SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
    const DWORD w = GetWidth(), h = GetHeight();
    for (DWORD y = 0; y < h; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / h);
        if (info.escape)
            break;
        const BYTE* src = GetBits(y);
        BYTE* dst = out.GetBits(y);
        for (DWORD x = 0; x < w; ++x)
            if (src[x] > level)
                dst[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
    }
    out.info.progress = info.progress;
    return Transfer(out);
}

bool CPixImage::Colorize(BYTE hue, BYTE sat, float blend)
{
    if (!dib)
        return false;
    const double b = std::isnan(blend) ? 0.0 : std::clamp(static_cast<double>(blend), 0.0, 1.0);
    const int wNew = static_cast<int>(b * 256), wOld = 256 - wNew;
    const bool full = b > 0.999;
    if (header.biClrUsed) {
        // A palette with alpha keeps it in the reserved byte; only a plain one is cleared.
        const bool keepAlpha = AlphaPaletteIsEnabled();
        RGBQUAD* pal = GetPalette();
        for (DWORD j = 0; j < header.biClrUsed; ++j) {
            RGBQUAD hsl = RGBtoHSL(pal[j]);
            hsl.rgbRed = hue;
            hsl.rgbGreen = sat;
            const RGBQUAD n = HSLtoRGB(hsl);
            RGBQUAD& e = pal[j];
            if (full) {
                e = RGBQUAD{n.rgbBlue, n.rgbGreen, n.rgbRed, keepAlpha ? e.rgbReserved : BYTE{0}};
                continue;
            }
            e.rgbRed = static_cast<BYTE>(static_cast<int>(e.rgbRed * (1 - b) + n.rgbRed * b));
            e.rgbGreen = static_cast<BYTE>(static_cast<int>(e.rgbGreen * (1 - b) + n.rgbGreen * b));
            e.rgbBlue = static_cast<BYTE>(static_cast<int>(e.rgbBlue * (1 - b) + n.rgbBlue * b));
        }
        info.lastValid = false;
        return true;
    }
    // Hue and saturation are given, so the new colour depends on the lightness alone.
    RGBQUAD byLight[256];
    for (int l = 0; l < 256; ++l)
        byLight[l] = HSLtoRGB(RGBQUAD{static_cast<BYTE>(l), sat, hue, 0});
    EachSelected24(ProcessingArea(), false, [&](BYTE* p) {
        const int mx = std::max({p[0], p[1], p[2]}), mn = std::min({p[0], p[1], p[2]});
        const RGBQUAD& n = byLight[((mx + mn) * 255 + 255) / 510];
        if (full) {
            p[0] = n.rgbBlue;
            p[1] = n.rgbGreen;
            p[2] = n.rgbRed;
            return;
        }
        p[0] = static_cast<BYTE>((n.rgbBlue * wNew + p[0] * wOld) >> 8);
        p[1] = static_cast<BYTE>((n.rgbGreen * wNew + p[1] * wOld) >> 8);
        p[2] = static_cast<BYTE>((n.rgbRed * wNew + p[2] * wOld) >> 8);
    });
    return true;
}

void CPixImage::HuePalette(float correction)
{
    const DWORD n = header.biClrUsed;
    if (!dib || n < 2)
        return;
    const long step = 255 / static_cast<long>(n - 1);
    for (DWORD j = 0; j < n; ++j) {
        const double v = static_cast<double>(step) * j * correction;
        const BYTE i = static_cast<BYTE>(pixloop::ClampWhole(v, INT32_MIN, INT32_MAX));
        SetPaletteColor(static_cast<BYTE>(j), HSLtoRGB(RGBQUAD{120, 240, i, 0}));
    }
}

bool CPixImage::ShiftRGB(long r, long g, long b)
{
    if (!dib)
        return false;
    // Shifts past a whole channel all do the same.
    const int dr = static_cast<int>(std::clamp(r, -255L, 255L));
    const int dg = static_cast<int>(std::clamp(g, -255L, 255L));
    const int db = static_cast<int>(std::clamp(b, -255L, 255L));
    auto shift = [](BYTE& v, int d) { v = static_cast<BYTE>(std::clamp(v + d, 0, 255)); };
    if (header.biClrUsed) {
        RGBQUAD* pal = GetPalette();
        for (DWORD j = 0; j < header.biClrUsed; ++j) {
            shift(pal[j].rgbRed, dr);
            shift(pal[j].rgbGreen, dg);
            shift(pal[j].rgbBlue, db);
        }
        info.lastValid = false;
        return true;
    }
    EachSelected24(ProcessingArea(), false, [&](BYTE* p) {
        shift(p[2], dr);
        shift(p[1], dg);
        shift(p[0], db);
    });
    return true;
}

bool CPixImage::Noise(long level)
{
    if (!dib)
        return false;
    const double lv = static_cast<double>(level);
    const double unit = static_cast<double>(1.0f / 32767.0f);
    auto add = [&](BYTE& v) {
        const double d = (Rand() * unit - 0.5) * lv;
        v = ClampByte(v + static_cast<double>(pixloop::ClampWhole(d, -512, 512)));
    };
    const RECT area = ProcessingArea();
    if (!header.biClrUsed) {
        EachSelected24(area, true, [&](BYTE* p) {
            add(p[2]);
            add(p[1]);
            add(p[0]);
        });
        return true;
    }
    for (long y = area.bottom; y < area.top; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / area.top);
        for (long x = area.left; x < area.right; ++x)
            if (SelectionIsInside(x, y)) {
                RGBQUAD c = GetPixelColor(x, y, true);
                add(c.rgbRed);
                add(c.rgbGreen);
                add(c.rgbBlue);
                SetPixelColor(x, y, c, false);
            }
    }
    return true;
}

bool CPixImage::RedEyeRemove()
{
    if (!dib)
        return false;
    EachSelectedColour(ProcessingArea(), [](RGBQUAD& c) { c.rgbRed = std::min(c.rgbGreen, c.rgbBlue); });
    return true;
}

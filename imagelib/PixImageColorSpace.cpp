// Image object: colours in the HSL, YUV, YIQ and XYZ spaces, channel images and their
// recombination, and the channel-wise smoothing built on them.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/PixImageLoops.h"

using pixloop::ClampByte;

namespace {

inline RGBQUAD Triple(BYTE first, BYTE second, BYTE third)
{
    return RGBQUAD{third, second, first, 0};
}

inline double F(float constant)
{
    return static_cast<double>(constant);
}

using Converter = RGBQUAD (*)(RGBQUAD);

Converter ToRgb(long colorspace)
{
    switch (colorspace) {
    case CPixImage::CS_HSL: return [](RGBQUAD c) { return CPixImage::HSLtoRGB(c); };
    case CPixImage::CS_YUV: return &CPixImage::YUVtoRGB;
    case CPixImage::CS_YIQ: return &CPixImage::YIQtoRGB;
    case CPixImage::CS_XYZ: return &CPixImage::XYZtoRGB;
    default: return nullptr;
    }
}

} // namespace

RGBQUAD CPixImage::RGBtoHSL(RGBQUAD lRGBColor)
{
    const int r = lRGBColor.rgbRed, g = lRGBColor.rgbGreen, b = lRGBColor.rgbBlue;
    const int max = std::max({r, g, b}), min = std::min({r, g, b});
    const int L = ((max + min) * 255 + 255) / 510;
    if (max == min)
        return Triple(170, 0, static_cast<BYTE>(L));
    int S;
    if (L <= 127)
        S = ((max - min) * 255 + (max + min) / 2) / (max + min);
    else
        S = ((max - min) * 255 + (510 - max - min) / 2) / (510 - max - min);
    const int span = max - min;
    auto delta = [&](int v) { return ((max - v) * 42 + span / 2) / span; };
    int H;
    if (r == max)
        H = delta(b) - delta(g);
    else if (g == max)
        H = 85 + delta(r) - delta(b);
    else
        H = 170 + delta(g) - delta(r);
    return Triple(static_cast<BYTE>(H & 255), static_cast<BYTE>(S), static_cast<BYTE>(L));
}

float CPixImage::HueToRGB(float n1, float n2, float hue)
{
    if (hue > 360)
        hue -= 360;
    else if (hue < 0)
        hue += 360;
    const double lo = n1, hi = n2, h = hue;
    if (h < 60)
        return static_cast<float>(lo + (hi - lo) * h * F(0.016666668f));
    if (h < 180)
        return n2;
    if (h < 240)
        return static_cast<float>(lo + (hi - lo) * (240 - h) * F(0.016666668f));
    return n1;
}

RGBQUAD CPixImage::HSLtoRGB(RGBQUAD lHSLColor)
{
    const double h = lHSLColor.rgbRed * F(1.4117647f);
    const double s = lHSLColor.rgbGreen * F(0.003921569f);
    const double l = lHSLColor.rgbBlue * F(0.003921569f);
    const double hi = l <= 0.5 ? l * (1 + s) : l + s - l * s;
    const double lo = 2 * l - hi;
    if (s == 0) {
        const BYTE v = static_cast<BYTE>(static_cast<int>(l * 255));
        return RGBQUAD{v, v, v, 0};
    }
    const float flo = static_cast<float>(lo), fhi = static_cast<float>(hi);
    auto channel = [&](double hue) {
        return static_cast<BYTE>(static_cast<int>(HueToRGB(flo, fhi, static_cast<float>(hue)) * 255.0));
    };
    return Triple(channel(h + 120), channel(h), channel(h - 120));
}

RGBQUAD CPixImage::HSLtoRGB(COLORREF cHSLColor)
{
    return HSLtoRGB(RGBtoRGBQUAD(cHSLColor));
}

RGBQUAD CPixImage::RGBtoYUV(RGBQUAD c)
{
    const double R = c.rgbRed, G = c.rgbGreen, B = c.rgbBlue;
    const int Y = static_cast<int>(F(0.299f) * R + F(0.587f) * G + F(0.114f) * B);
    const double U = (B - Y) * F(0.565f) + 128;
    const double V = (R - Y) * F(0.713f) + 128;
    return Triple(ClampByte(Y), ClampByte(U), ClampByte(V));
}

RGBQUAD CPixImage::YUVtoRGB(RGBQUAD c)
{
    const double Y = c.rgbRed, U = c.rgbGreen - 128, V = c.rgbBlue - 128;
    return Triple(ClampByte(Y + F(1.403f) * V), ClampByte(Y - F(0.344f) * U - F(0.714f) * V),
                  ClampByte(Y + F(1.77f) * U));
}

RGBQUAD CPixImage::RGBtoYIQ(RGBQUAD c)
{
    const double R = c.rgbRed, G = c.rgbGreen, B = c.rgbBlue;
    return Triple(ClampByte(F(0.2992f) * R + F(0.5868f) * G + F(0.114f) * B),
                  ClampByte(F(0.596f) * R - F(0.2742f) * G - F(0.3219f) * B + 128),
                  ClampByte(F(0.2109f) * R - F(0.5229f) * G + F(0.312f) * B + 128));
}

RGBQUAD CPixImage::YIQtoRGB(RGBQUAD c)
{
    const double Y = c.rgbRed, I = c.rgbGreen - 128, Q = c.rgbBlue - 128;
    return Triple(ClampByte(Y + F(0.956f) * I + F(0.621f) * Q), ClampByte(Y - F(0.273f) * I - F(0.647f) * Q),
                  ClampByte(Y - F(1.104f) * I + F(1.701f) * Q));
}

RGBQUAD CPixImage::RGBtoXYZ(RGBQUAD c)
{
    const double R = c.rgbRed, G = c.rgbGreen, B = c.rgbBlue;
    return Triple(ClampByte(F(0.412453f) * R + F(0.35758f) * G + F(0.180423f) * B),
                  ClampByte(F(0.212671f) * R + F(0.71516f) * G + F(0.072169f) * B),
                  ClampByte((F(0.019334f) * R + F(0.119193f) * G + F(0.950227f) * B) * F(0.9184837f)));
}

RGBQUAD CPixImage::XYZtoRGB(RGBQUAD c)
{
    const double X = c.rgbRed, Y = c.rgbGreen, Z = c.rgbBlue, k = 1.088751;
    return Triple(ClampByte(F(3.240479f) * X - F(1.53715f) * Y - F(0.498535f) * Z * k),
                  ClampByte(F(-0.969256f) * X + F(1.875992f) * Y + F(0.041556f) * Z * k),
                  ClampByte(F(0.055648f) * X - F(0.204043f) * Y + F(1.057311f) * Z * k));
}

// --- channel images ------------------------------------------------------------------------------

template <class Convert>
bool CPixImage::SplitWith(CPixImage* const* targets, int count, Convert convert)
{
    if (!dib)
        return false;
    if (std::none_of(targets, targets + count, [](CPixImage* t) { return t != nullptr; }))
        return false;
    const DWORD w = GetWidth(), h = GetHeight();
    // Every channel asked for is made before any target changes: all of them or none.
    CPixImage parts[4];
    for (int t = 0; t < count; ++t) {
        if (!targets[t])
            continue;
        if (!parts[t].Create(w, h, 8, GetType())) {
            SetLastError(parts[t].GetLastError());
            return false;
        }
        parts[t].SetGrayPalette();
    }
    RGBQUAD byIndex[256]{};
    for (DWORD i = 0; i < header.biClrUsed && i < 256; ++i)
        byIndex[i] = convert(GetPaletteColor(static_cast<BYTE>(i)));
    BYTE* rows[4]{};
    for (DWORD y = 0; y < h; ++y) {
        for (int t = 0; t < count; ++t)
            rows[t] = targets[t] ? parts[t].GetBits(y) : nullptr;
        const BYTE* src = info.bits + static_cast<size_t>(y) * info.effWidth;
        for (DWORD x = 0; x < w; ++x) {
            const RGBQUAD c = header.biClrUsed ? byIndex[BlindGetPixelIndex(static_cast<long>(x), static_cast<long>(y))]
                                               : convert(RGBQUAD{src[3 * x], src[3 * x + 1], src[3 * x + 2], 0});
            const BYTE v[4] = {c.rgbRed, c.rgbGreen, c.rgbBlue, c.rgbReserved};
            for (int t = 0; t < count; ++t)
                if (rows[t])
                    rows[t][x] = v[t];
        }
    }
    for (int t = 0; t < count; ++t)
        if (targets[t])
            targets[t]->Transfer(parts[t]);
    return true;
}

bool CPixImage::SplitRGB(CPixImage* r, CPixImage* g, CPixImage* b)
{
    CPixImage* const t[3] = {r, g, b};
    return SplitWith(t, 3, [](RGBQUAD c) { return c; });
}

bool CPixImage::SplitYUV(CPixImage* y, CPixImage* u, CPixImage* v)
{
    CPixImage* const t[3] = {y, u, v};
    return SplitWith(t, 3, &RGBtoYUV);
}

bool CPixImage::SplitYIQ(CPixImage* y, CPixImage* i, CPixImage* q)
{
    CPixImage* const t[3] = {y, i, q};
    return SplitWith(t, 3, &RGBtoYIQ);
}

bool CPixImage::SplitXYZ(CPixImage* x, CPixImage* y, CPixImage* z)
{
    CPixImage* const t[3] = {x, y, z};
    return SplitWith(t, 3, &RGBtoXYZ);
}

bool CPixImage::SplitHSL(CPixImage* h, CPixImage* s, CPixImage* l)
{
    CPixImage* const t[3] = {h, s, l};
    return SplitWith(t, 3, &RGBtoHSL);
}

bool CPixImage::SplitCMYK(CPixImage* c, CPixImage* m, CPixImage* y, CPixImage* k)
{
    CPixImage* const t[4] = {c, m, y, k};
    return SplitWith(t, 4, [](RGBQUAD q) {
        const BYTE grey = static_cast<BYTE>(pixloop::GreyLevel(q.rgbRed, q.rgbGreen, q.rgbBlue));
        return RGBQUAD{static_cast<BYTE>(255 - q.rgbBlue), static_cast<BYTE>(255 - q.rgbGreen),
                       static_cast<BYTE>(255 - q.rgbRed), grey};
    });
}

bool CPixImage::Combine(CPixImage* r, CPixImage* g, CPixImage* b, CPixImage* a, long colorspace)
{
    CPixImage* channels[4] = {r, g, b, a};
    for (int i = 0; i < 4; ++i)
        if ((i < 3 || channels[i]) && (!channels[i] || !channels[i]->IsValid()))
            return false;
    // A channel that is this image is read from a copy: this image is rebuilt below.
    CPixImage own;
    for (CPixImage*& ch : channels) {
        if (ch != this)
            continue;
        if (!own.IsValid()) {
            own.Copy(*this, true, false, false);
            if (!own.IsValid())
                return false;
        }
        ch = &own;
    }
    const DWORD w = channels[0]->GetWidth(), h = channels[0]->GetHeight();
    for (int i = 1; i < 4; ++i) {
        CPixImage* ch = channels[i];
        if (ch && (ch->GetWidth() != w || ch->GetHeight() != h) &&
            !ch->Resample(static_cast<long>(w), static_cast<long>(h), 1))
            return false;
    }
    CPixImage out;
    out.CopyInfo(*this);
    if (!out.Create(w, h, 24, 0)) {
        SetLastError(out.GetLastError());
        return false;
    }
    if (channels[3]) {
        out.AlphaCreate();
        if (!out.AlphaIsValid())
            return false;
    }
    const Converter convert = ToRgb(colorspace);
    for (DWORD y = 0; y < h; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / h);
        BYTE* dst = out.GetBits(y);
        const long ly = static_cast<long>(y);
        for (DWORD x = 0; x < w; ++x, dst += 3) {
            const long lx = static_cast<long>(x);
            RGBQUAD c = Triple(channels[0]->GetPixelIndex(lx, ly), channels[1]->GetPixelIndex(lx, ly),
                               channels[2]->GetPixelIndex(lx, ly));
            if (convert)
                c = convert(c);
            dst[0] = c.rgbBlue;
            dst[1] = c.rgbGreen;
            dst[2] = c.rgbRed;
            if (channels[3])
                out.AlphaSet(lx, ly, channels[3]->GetPixelIndex(lx, ly));
        }
    }
    return Transfer(out);
}

// --- smoothing channel by channel ----------------------------------------------------------------

bool CPixImage::RepairChannel(CPixImage* ch, float radius)
{
    if (!ch || !ch->IsValid() || ch->GetBpp() != 8 || !std::isfinite(radius))
        return false;
    CPixImage out(*ch, true, true, true);
    if (!out.IsValid())
        return false;
    const long w = static_cast<long>(ch->GetWidth()), h = static_cast<long>(ch->GetHeight());
    // Sides under 3 have no inner pixels: the copy is the result.
    for (long y = 1; y + 1 < h; ++y) {
        const BYTE* below = ch->GetBits(static_cast<DWORD>(y - 1));
        const BYTE* row = ch->GetBits(static_cast<DWORD>(y));
        const BYTE* above = ch->GetBits(static_cast<DWORD>(y + 1));
        BYTE* dst = out.GetBits(static_cast<DWORD>(y));
        for (long x = 1; x + 1 < w; ++x) {
            const double p = row[x];
            const double ix = (row[x + 1] - row[x - 1]) / 2.0;
            const double iy = (above[x] - below[x]) / 2.0;
            const double ixx = row[x + 1] - 2 * p + row[x - 1];
            const double iyy = above[x] - 2 * p + below[x];
            const double ixy = (above[x + 1] - above[x - 1] - below[x + 1] + below[x - 1]) / 4.0;
            const double num = (1 + iy * iy) * ixx - ix * iy * ixy + (1 + ix * ix) * iyy;
            const double den = 1 + ix * ix + iy * iy;
            dst[x] = ClampByte(p + radius * num / den);
        }
    }
    return ch->Transfer(out);
}

bool CPixImage::Repair(float radius, long niterations, long colorspace)
{
    if (!dib || !std::isfinite(radius))
        return false;
    CPixImage c1, c2, c3;
    bool split;
    switch (colorspace) {
    case CS_HSL: split = SplitHSL(&c1, &c2, &c3); break;
    case CS_YUV: split = SplitYUV(&c1, &c2, &c3); break;
    case CS_YIQ: split = SplitYIQ(&c1, &c2, &c3); break;
    case CS_XYZ: split = SplitXYZ(&c1, &c2, &c3); break;
    default: split = SplitRGB(&c1, &c2, &c3); break;
    }
    if (!split)
        return false;
    for (long i = 0; i < niterations && !info.escape; ++i)
        if (!RepairChannel(&c1, radius) || !RepairChannel(&c2, radius) || !RepairChannel(&c3, radius))
            return false;
    CPixImage a;
    if (alpha && !AlphaSplit(&a))
        return false;
    return Combine(&c1, &c2, &c3, alpha ? &a : nullptr, colorspace);
}

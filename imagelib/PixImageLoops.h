// Image object: the row loops shared by the point and tone operations, and small numeric guards.
#pragma once

#include <cmath>
#include <cstdint>

#include "imagelib/PixImage.h"

namespace pixloop {

// A byte from a double: NaN gives 0, everything else is held to 0..255, then truncated.
inline BYTE ClampByte(double v)
{
    if (!(v > 0))
        return 0;
    return v >= 255 ? 255 : static_cast<BYTE>(v);
}

// A whole number from a double without leaving the range of lo..hi; NaN gives 0.
inline int64_t ClampWhole(double v, int64_t lo, int64_t hi)
{
    if (std::isnan(v))
        return 0;
    if (v <= static_cast<double>(lo))
        return lo;
    if (v >= static_cast<double>(hi))
        return hi;
    return static_cast<int64_t>(v);
}

// The colour and, when the picture has an alpha plane, c's fourth byte as its alpha: SetPixelColor
// writes no alpha for a picture with a palette.
inline void SetColourAndAlpha(CPixImage& img, long x, long y, RGBQUAD c)
{
    img.SetPixelColor(x, y, c, false);
    if (img.AlphaIsValid())
        img.AlphaSet(x, y, c.rgbReserved);
}

inline int GreyLevel(int r, int g, int b)
{
    return (306 * r + 601 * g + 117 * b) >> 10;
}

} // namespace pixloop

template <class F>
void CPixImage::EachSelected24(const RECT& area, bool progress, F f)
{
    const size_t w = GetWidth();
    for (long y = area.bottom; y < area.top; ++y) {
        if (progress)
            info.progress = static_cast<int32_t>(static_cast<double>(y) * (100.0 / area.top));
        BYTE* row = info.bits + static_cast<size_t>(y) * info.effWidth;
        const BYTE* sel = selection ? selection + static_cast<size_t>(y) * w : nullptr;
        for (long x = area.left; x < area.right; ++x)
            if (!sel || sel[x])
                f(row + 3 * static_cast<size_t>(x));
    }
}

template <class F>
void CPixImage::EachSelectedColour(const RECT& area, F f)
{
    if (!header.biClrUsed) {
        EachSelected24(area, false, [&](BYTE* p) {
            RGBQUAD c{p[0], p[1], p[2], 0};
            f(c);
            p[0] = c.rgbBlue;
            p[1] = c.rgbGreen;
            p[2] = c.rgbRed;
        });
        return;
    }
    for (long y = area.bottom; y < area.top; ++y)
        for (long x = area.left; x < area.right; ++x)
            if (SelectionIsInside(x, y)) {
                RGBQUAD c = GetPixelColor(x, y, true);
                f(c);
                SetPixelColor(x, y, c, false);
            }
}

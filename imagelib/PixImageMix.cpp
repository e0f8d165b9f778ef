// Image object: combining a second image into this one pixel by pixel.
#include <algorithm>
#include <cstdlib>

#include "imagelib/PixImageLoops.h"

namespace {

inline bool Same(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed &&
           a.rgbReserved == b.rgbReserved;
}

// What Mix needs besides the two pixels.
struct MixContext {
    CPixImage* src;
    RGBQUAD key;
    bool editAlpha;
    bool srcAlpha;
    bool srcTransparent; // the source has a transparent index or colour
    int alphaScale;      // the source's alpha maximum + 1
};

template <int Op>
inline RGBQUAD MixPixel(RGBQUAD p, RGBQUAD s, long sx, long sy, const MixContext& m)
{
    auto each = [&](auto f) {
        return RGBQUAD{static_cast<BYTE>(f(p.rgbBlue, s.rgbBlue)), static_cast<BYTE>(f(p.rgbGreen, s.rgbGreen)),
                       static_cast<BYTE>(f(p.rgbRed, s.rgbRed)), static_cast<BYTE>(f(p.rgbReserved, s.rgbReserved))};
    };
    if constexpr (Op == CPixImage::MixAdd)
        return each([](int a, int b) { return std::min(255, a + b); });
    else if constexpr (Op == CPixImage::MixAnd)
        return each([](int a, int b) { return a & b; });
    else if constexpr (Op == CPixImage::MixXor)
        return each([](int a, int b) { return a ^ b; });
    else if constexpr (Op == CPixImage::MixOr)
        return each([](int a, int b) { return a | b; });
    else if constexpr (Op == CPixImage::MixMask)
        return (s.rgbBlue | s.rgbGreen | s.rgbRed) == 0 ? m.key : p;
    else if constexpr (Op == CPixImage::MixUnderKey)
        return Same(p, m.key) ? s : p;
    else if constexpr (Op == CPixImage::MixOverKey)
        return Same(s, m.key) ? p : s;
    else if constexpr (Op == CPixImage::MixSubtract)
        return each([](int a, int b) { return std::max(0, a - b); });
    else if constexpr (Op == CPixImage::MixKeyBlend) {
        if (Same(p, m.key))
            return s;
        const int diff = (std::abs(p.rgbBlue - m.key.rgbBlue) + std::abs(p.rgbGreen - m.key.rgbGreen) +
                          std::abs(p.rgbRed - m.key.rgbRed)) / 3;
        if (diff >= 17)
            return p;
        // Each channel of the source blends with its own channel of this image.
        const double large = diff / 16.0, small = (16 - diff) / 16.0;
        return each([&](int a, int b) { return pixloop::ClampByte(std::trunc(large * a + small * b)); });
    } else {
        int a = 255;
        if (m.srcTransparent && m.src->IsTransparent(sx, sy))
            a = 0;
        else if (m.srcAlpha)
            a = (m.src->AlphaGet(sx, sy) * m.alphaScale) >> 8;
        RGBQUAD d = a == 0 ? p : s;
        if (a != 0 && a != 255) {
            const int b = 255 - a;
            d.rgbBlue = static_cast<BYTE>((s.rgbBlue * a + p.rgbBlue * b) >> 8);
            d.rgbGreen = static_cast<BYTE>((s.rgbGreen * a + p.rgbGreen * b) >> 8);
            d.rgbRed = static_cast<BYTE>((s.rgbRed * a + p.rgbRed * b) >> 8);
        }
        d.rgbReserved = static_cast<BYTE>(((p.rgbReserved + 1) * a) >> 8);
        return d;
    }
}

// The part of a side of length `size` that meets a source side of length srcSize shifted by offset.
void Overlap(int64_t size, int64_t srcSize, int64_t offset, int64_t& lo, int64_t& hi)
{
    // Offsets past any side meet nothing; held here they cannot overflow either.
    offset = std::clamp<int64_t>(offset, -(int64_t{1} << 40), int64_t{1} << 40);
    lo = std::max<int64_t>(0, -offset);
    hi = std::min<int64_t>(size, srcSize - offset);
}

} // namespace

template <int Op>
static void MixRows(CPixImage& dst, const MixContext& m, long dx, long dy, int64_t x0, int64_t x1, int64_t y0,
                    int64_t y1)
{
    CPixImage& src = *m.src;
    const bool direct = !dst.GetNumColors() && !src.GetNumColors();
    const bool dstSel = dst.SelectionIsValid(), srcSel = src.SelectionIsValid();
    // Without an alpha plane a colour carries the transparent colour's reserved byte.
    const BYTE dstReserved = dst.GetTransColor().rgbReserved, srcReserved = src.GetTransColor().rgbReserved;
    const long h = static_cast<long>(dst.GetHeight());
    for (long y = static_cast<long>(y0); y < y1; ++y) {
        dst.SetProgress(100 * static_cast<int64_t>(y) / h);
        if (dst.GetEscape())
            break;
        const long sy = y + dy;
        BYTE* prow = dst.GetBits(static_cast<DWORD>(y));
        const BYTE* srow = src.GetBits(static_cast<DWORD>(sy));
        const BYTE* pa = dst.AlphaIsValid() ? dst.AlphaGetPointer(0, y) : nullptr;
        const BYTE* sa = src.AlphaIsValid() ? src.AlphaGetPointer(0, sy) : nullptr;
        for (long x = static_cast<long>(x0); x < x1; ++x) {
            const long sx = x + dx;
            if ((dstSel && !dst.SelectionIsInside(x, y)) || (srcSel && !src.SelectionIsInside(sx, sy)))
                continue;
            if (!direct) {
                const RGBQUAD d = MixPixel<Op>(dst.GetPixelColor(x, y, true), src.GetPixelColor(sx, sy, true), sx, sy, m);
                dst.SetPixelColor(x, y, d, m.editAlpha);
                continue;
            }
            BYTE* pp = prow + 3 * static_cast<size_t>(x);
            const BYTE* sp = srow + 3 * static_cast<size_t>(sx);
            const RGBQUAD p{pp[0], pp[1], pp[2], pa ? pa[x] : dstReserved};
            const RGBQUAD s{sp[0], sp[1], sp[2], sa ? sa[sx] : srcReserved};
            const RGBQUAD d = MixPixel<Op>(p, s, sx, sy, m);
            pp[0] = d.rgbBlue;
            pp[1] = d.rgbGreen;
            pp[2] = d.rgbRed;
            if (m.editAlpha)
                dst.AlphaGetPointer(0, y)[x] = d.rgbReserved;
        }
    }
}

void CPixImage::Mix(CPixImage& imgsrc2, ImageOpType op, long lXOffset, long lYOffset, bool bMixAlpha)
{
    if (op < MixAdd || op > MixAlphaBlend || !dib || !imgsrc2.dib)
        return;
    // A source that is this image is read from a copy, not from pixels already mixed.
    CPixImage own;
    CPixImage* src = &imgsrc2;
    if (src == this) {
        own.Copy(*this);
        if (!own.IsValid() || (alpha && !own.alpha) || (selection && !own.selection))
            return;
        src = &own;
    }
    int64_t x0, x1, y0, y1;
    Overlap(GetWidth(), src->GetWidth(), lXOffset, x0, x1);
    Overlap(GetHeight(), src->GetHeight(), lYOffset, y0, y1);
    const bool editAlpha = src->alpha && bMixAlpha;
    if (editAlpha && !alpha) {
        AlphaCreate();
        if (!alpha)
            return;
    }
    if (x0 >= x1 || y0 >= y1)
        return;
    MixContext m{src, GetTransColor(), editAlpha, src->alpha != nullptr, src->info.transIndex >= 0,
                 src->info.alphaMax + 1};
    const long dx = lXOffset, dy = lYOffset;
    switch (op) {
    case MixAdd: MixRows<MixAdd>(*this, m, dx, dy, x0, x1, y0, y1); break;
    case MixAnd: MixRows<MixAnd>(*this, m, dx, dy, x0, x1, y0, y1); break;
    case MixXor: MixRows<MixXor>(*this, m, dx, dy, x0, x1, y0, y1); break;
    case MixOr: MixRows<MixOr>(*this, m, dx, dy, x0, x1, y0, y1); break;
    case MixMask: MixRows<MixMask>(*this, m, dx, dy, x0, x1, y0, y1); break;
    case MixUnderKey: MixRows<MixUnderKey>(*this, m, dx, dy, x0, x1, y0, y1); break;
    case MixOverKey: MixRows<MixOverKey>(*this, m, dx, dy, x0, x1, y0, y1); break;
    case MixSubtract: MixRows<MixSubtract>(*this, m, dx, dy, x0, x1, y0, y1); break;
    case MixKeyBlend: MixRows<MixKeyBlend>(*this, m, dx, dy, x0, x1, y0, y1); break;
    case MixAlphaBlend: MixRows<MixAlphaBlend>(*this, m, dx, dy, x0, x1, y0, y1); break;
    }
}

void CPixImage::MixFrom(CPixImage& imagesrc2, long lXOffset, long lYOffset)
{
    if (!dib || !imagesrc2.dib)
        return;
    CPixImage own;
    CPixImage* src = &imagesrc2;
    if (src == this) {
        own.Copy(*this);
        if (!own.IsValid() || (alpha && !own.alpha))
            return;
        src = &own;
    }
    const RGBQUAD key = src->GetTransColor();
    // Only source pixels that land inside this image are visited.
    int64_t x0, x1, y0, y1;
    const int64_t far = int64_t{1} << 40;
    Overlap(src->GetWidth(), GetWidth(), std::clamp<int64_t>(lXOffset, -far, far), x0, x1);
    Overlap(src->GetHeight(), GetHeight(), std::clamp<int64_t>(lYOffset, -far, far), y0, y1);
    for (long x = static_cast<long>(x0); x < x1; ++x)
        for (long y = static_cast<long>(y0); y < y1; ++y) {
            const RGBQUAD s = src->GetPixelColor(x, y, true);
            if (!Same(s, key))
                SetPixelColor(x + lXOffset, y + lYOffset, s, false);
        }
}

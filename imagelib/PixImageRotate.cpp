// Image object: rotation by any angle, nearest pixel or any interpolation.
#include <algorithm>
#include <cmath>

#include "imagelib/PixImage.h"

namespace {

// The turning angle in radians: positive degrees turn clockwise on the screen.
double Radians(float angle)
{
    return -static_cast<double>(angle) * std::acos(0.0) / 90.0;
}

} // namespace

bool CPixImage::Rotate(float angle, CPixImage* iDst)
{
    if (!dib || !std::isfinite(angle))
        return false;
    const double ang = Radians(angle);
    const double cos_a = std::cos(ang), sin_a = std::sin(ang);
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());

    // The fourth corner stands one column in from the right edge.
    const long px[4] = {0, w, 0, w - 1}, py[4] = {0, 0, h, h};
    long minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int i = 1; i < 4; ++i) {
        const long x = static_cast<long>(std::floor(px[i] * cos_a - py[i] * sin_a));
        const long y = static_cast<long>(std::floor(px[i] * sin_a + py[i] * cos_a));
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    const long newW = maxX + 2 - minX, newH = maxY + 2 - minY;
    CPixImage out;
    if (!NewTurned(out, static_cast<DWORD>(newW), static_cast<DWORD>(newH)))
        return false;
    out.AlphaClear();

    const bool pal = header.biClrUsed != 0;
    for (long newY = 0; newY < newH; ++newY) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(newY) / newH);
        if (info.escape)
            break;
        const double y = static_cast<double>(minY + newY);
        for (long newX = 0; newX < newW; ++newX) {
            const double x = static_cast<double>(minX + newX);
            const long oldX = static_cast<long>(x * cos_a + y * sin_a - 0.5);
            const long oldY = static_cast<long>(y * cos_a - x * sin_a - 0.5);
            if (pal)
                out.SetPixelIndex(newX, newY, GetPixelIndex(oldX, oldY));
            else
                out.SetPixelColor(newX, newY, GetPixelColor(oldX, oldY, true), false);
            if (alpha)
                out.AlphaSet(newX, newY, AlphaGet(oldX, oldY));
        }
    }
    return (iDst ? iDst : this)->Transfer(out);
}

namespace {

// Bilinear sampling of a 24-bit picture whose 2 x 2 neighbourhood lies inside, with the same
// whole-number weights as GetPixelColorInterpolated; false sends the point there.
inline bool BilinearInside(const BYTE* bits, size_t eff, const BYTE* alphaPlane, long w, long h, float x, float y,
                           BYTE* out, BYTE& alphaOut)
{
    long xi = static_cast<long>(x), yi = static_cast<long>(y);
    if (x < 0)
        --xi;
    if (y < 0)
        --yi;
    if (xi < 0 || xi + 1 >= w || yi < 0 || yi + 1 >= h)
        return false;
    const long tx = static_cast<long>((x - xi) * 256);
    const long ty = static_cast<long>((y - yi) * 256);
    const long w11 = (tx * ty) >> 8;
    const long w00 = 256 - tx - ty + w11, w10 = tx - w11, w01 = ty - w11;
    const BYTE* p00 = bits + static_cast<size_t>(yi) * eff + static_cast<size_t>(xi) * 3;
    const BYTE* p01 = p00 + eff;
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<BYTE>((p00[c] * w00 + p00[c + 3] * w10 + p01[c] * w01 + p01[c + 3] * w11) >> 8);
    if (alphaPlane) {
        const BYTE* a0 = alphaPlane + static_cast<size_t>(yi) * w + static_cast<size_t>(xi);
        const BYTE* a1 = a0 + w;
        alphaOut = static_cast<BYTE>((a0[0] * w00 + a0[1] * w10 + a1[0] * w01 + a1[1] * w11) >> 8);
    }
    return true;
}

} // namespace

bool CPixImage::Rotate2(float angle, CPixImage* iDst, InterpolationMethod inMethod, OverflowMethod ofMethod,
                        RGBQUAD* replColor, bool optimizeRightAngles, bool bKeepSize)
{
    if (!dib || !std::isfinite(angle))
        return false;
    const double ang = Radians(angle);
    const double cos_a = std::cos(ang), sin_a = std::sin(ang);
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());

    // The corners at the outer edges of the edge pixels.
    float cx[4] = {-0.5f, w - 0.5f, -0.5f, w - 0.5f};
    float cy[4] = {-0.5f, -0.5f, h - 0.5f, h - 0.5f};
    if (!bKeepSize) {
        for (int i = 0; i < 4; ++i) {
            const double x = cx[i], y = cy[i];
            cx[i] = static_cast<float>(x * cos_a - y * sin_a);
            cy[i] = static_cast<float>(x * sin_a + y * cos_a);
        }
        if (optimizeRightAngles) {
            auto near = [&](double x, double y) { return std::hypot(cx[3] - x, cy[3] - y) < 0.25; };
            if (near(h - 0.5, 0.5 - w))
                return RotateRight(iDst);
            if (near(0.5 - h, w - 0.5))
                return RotateLeft(iDst);
            if (near(0.5 - w, 0.5 - h))
                return Rotate180(iDst);
            if (near(w - 0.5, h - 0.5)) {
                if (!iDst)
                    return true;
                CPixImage copy(*this);
                return copy.IsValid() && (!alpha || copy.AlphaIsValid()) && iDst->Transfer(copy);
            }
        }
    }
    const float minX = *std::min_element(cx, cx + 4), maxX = *std::max_element(cx, cx + 4);
    const float minY = *std::min_element(cy, cy + 4), maxY = *std::max_element(cy, cy + 4);
    const long newW = bKeepSize ? w : static_cast<long>(std::floor(maxX - minX + 0.5));
    const long newH = bKeepSize ? h : static_cast<long>(std::floor(maxY - minY + 0.5));
    CPixImage out;
    if (!NewTurned(out, static_cast<DWORD>(newW), static_cast<DWORD>(newH)))
        return false;
    out.AlphaClear();

    RGBQUAD repl{255, 255, 255, 0};
    if (replColor)
        repl = *replColor;
    float x0 = (minX + maxX - static_cast<float>(newW - 1)) / 2;
    float y0 = (minY + maxY - static_cast<float>(newH - 1)) / 2;
    // Kept size: the picture turns about its centre.
    const long shiftX = bKeepSize ? w / 2 : 0, shiftY = bKeepSize ? h / 2 : 0;
    x0 -= static_cast<float>(shiftX);
    y0 -= static_cast<float>(shiftY);

    const bool pal = header.biClrUsed != 0;
    const bool fast = !pal && inMethod == IM_BILINEAR;
    BYTE* outAlpha = out.alpha;
    for (long j = 0; j < newH; ++j) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(j) / newH);
        if (info.escape)
            break;
        const float py = y0 + static_cast<float>(j);
        BYTE* row = out.info.bits + static_cast<size_t>(j) * out.info.effWidth;
        for (long i = 0; i < newW; ++i) {
            const float px = x0 + static_cast<float>(i);
            const float sx = static_cast<float>(px * cos_a + py * sin_a + shiftX);
            const float sy = static_cast<float>(py * cos_a - px * sin_a + shiftY);
            const size_t at = static_cast<size_t>(j) * newW + static_cast<size_t>(i);
            if (fast && BilinearInside(info.bits, info.effWidth, alpha, w, h, sx, sy, row + 3 * i,
                                       outAlpha ? outAlpha[at] : repl.rgbReserved))
                continue;
            const RGBQUAD c = GetPixelColorInterpolated(sx, sy, inMethod, ofMethod, &repl);
            if (pal) {
                out.SetPixelColor(i, j, c, false);
            } else {
                row[3 * i] = c.rgbBlue;
                row[3 * i + 1] = c.rgbGreen;
                row[3 * i + 2] = c.rgbRed;
            }
            if (outAlpha)
                outAlpha[at] = c.rgbReserved;
        }
    }
    return (iDst ? iDst : this)->Transfer(out);
}

// Image object: cutting out a rectangle, a turned rectangle, padding with a canvas colour, thumbnails.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

#include "imagelib/PixImage.h"

namespace {

// a + b, held at the ends of the range instead of wrapping.
long SaturatingSum(long a, long b)
{
    long r = 0;
    if (__builtin_add_overflow(a, b, &r))
        return b > 0 ? LONG_MAX : LONG_MIN;
    return r;
}

// A turned offset as a whole number, truncated toward zero; far values are held where they are
// still far outside any picture.
long TruncatedOffset(double v)
{
    constexpr double kFar = 4.0e9;
    return static_cast<long>(std::clamp(v, -kFar, kFar));
}

} // namespace

bool CPixImage::NewCanvas(CPixImage& out, uint64_t width, uint64_t height)
{
    if (width > PIXIMAGE_MAX_SIDE || height > PIXIMAGE_MAX_SIDE) {
        SetLastError("PIXIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    if (!out.Create(static_cast<DWORD>(width), static_cast<DWORD>(height), GetBpp(), GetType())) {
        SetLastError(out.GetLastError());
        return false;
    }
    out.SetPalette(GetPalette(), GetNumColors());
    out.info.transIndex = info.transIndex;
    out.info.transColor = info.transColor;
    return true;
}

bool CPixImage::Crop(long left, long top, long right, long bottom, CPixImage* iDst)
{
    if (!dib)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    left = std::clamp(left, 0L, w);
    right = std::clamp(right, 0L, w);
    top = std::clamp(top, 0L, h);
    bottom = std::clamp(bottom, 0L, h);
    if (left == right || top == bottom)
        return false;
    if (left > right)
        std::swap(left, right);
    long startY = h - top, endY = h - bottom;
    if (startY > endY)
        std::swap(startY, endY);

    const long nw = right - left;
    CPixImage out;
    if (!NewCanvas(out, static_cast<uint64_t>(nw), static_cast<uint64_t>(endY - startY)))
        return false;
    if (alpha) {
        out.AlphaCreate();
        if (!out.AlphaIsValid()) {
            SetLastError("CPixImage::Crop can't allocate memory");
            return false;
        }
    }
    const int bpp = header.biBitCount;
    for (long y = startY; y < endY; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / endY);
        const long ny = y - startY;
        if (bpp >= 8) {
            std::memcpy(out.info.bits + static_cast<size_t>(ny) * out.info.effWidth,
                        info.bits + static_cast<size_t>(y) * info.effWidth + static_cast<size_t>(bpp / 8) * left,
                        static_cast<size_t>(bpp / 8) * nw);
        } else {
            for (long x = left; x < right; ++x)
                out.SetPixelIndex(x - left, ny, BlindGetPixelIndex(x, y));
        }
        if (alpha)
            std::memcpy(out.alpha + static_cast<size_t>(ny) * nw, alpha + static_cast<size_t>(y) * w + left,
                        static_cast<size_t>(nw));
    }
    return (iDst ? iDst : this)->Transfer(out);
}

bool CPixImage::Crop(const RECT& rect, CPixImage* iDst)
{
    return Crop(rect.left, rect.top, rect.right, rect.bottom, iDst);
}

bool CPixImage::CropRotatedRectangle(long topx, long topy, long width, long height, float angle, CPixImage* iDst)
{
    if (!dib || !std::isfinite(angle))
        return false;
    if (std::fabs(angle) < 0.0002)
        return Crop(topx, topy, SaturatingSum(topx, width), SaturatingSum(topy, height), iDst);

    // The box around all four turned corners, whichever way the rectangle turns.
    const double c = std::cos(angle), s = std::sin(angle);
    const double cornerX[4] = {0, c * width, -s * height, c * width - s * height};
    const double cornerY[4] = {0, s * width, c * height, s * width + c * height};
    long minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int i = 1; i < 4; ++i) {
        minX = std::min(minX, TruncatedOffset(cornerX[i]));
        maxX = std::max(maxX, TruncatedOffset(cornerX[i]));
        minY = std::min(minY, TruncatedOffset(cornerY[i]));
        maxY = std::max(maxY, TruncatedOffset(cornerY[i]));
    }
    const long startx = SaturatingSum(topx, minX), endx = SaturatingSum(topx, maxX);
    const long starty = SaturatingSum(topy, minY), endy = SaturatingSum(topy, maxY);
    // The box may end exactly at the right or bottom edge.
    if (startx < 0 || starty < 0 || endx > static_cast<long>(GetWidth()) || endy > static_cast<long>(GetHeight()))
        return false;

    CPixImage work(*this, true, false, true);
    if (!work.IsValid() || (alpha && !work.AlphaIsValid()))
        return false;
    if (!work.Crop(startx, starty, endx, endy))
        return false;
    if (!work.Rotate(static_cast<float>(-angle * 57.29577951308232)))
        return false;
    const long W = static_cast<long>(work.GetWidth()), H = static_cast<long>(work.GetHeight());
    if (!work.Crop((W - width) / 2, (H + height) / 2, (W + width) / 2, (H - height) / 2))
        return false;
    return (iDst ? iDst : this)->Transfer(work);
}

bool CPixImage::Expand(long left, long top, long right, long bottom, RGBQUAD canvascolor, CPixImage* iDst)
{
    if (!dib || left < 0 || top < 0 || right < 0 || bottom < 0)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    // Margins past the largest side could only wrap the size.
    const long cap = static_cast<long>(PIXIMAGE_MAX_SIDE);
    if (left > cap || top > cap || right > cap || bottom > cap) {
        SetLastError("PIXIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    const uint64_t nw = static_cast<uint64_t>(left) + w + right;
    const uint64_t nh = static_cast<uint64_t>(top) + h + bottom;
    CPixImage out;
    if (!NewCanvas(out, nw, nh))
        return false;

    const int bpp = header.biBitCount;
    if (bpp >= 8) {
        if (bpp == 24) {
            BYTE* row = out.info.bits;
            for (uint64_t x = 0; x < nw; ++x) {
                row[3 * x] = canvascolor.rgbBlue;
                row[3 * x + 1] = canvascolor.rgbGreen;
                row[3 * x + 2] = canvascolor.rgbRed;
            }
            for (uint64_t y = 1; y < nh; ++y)
                std::memcpy(out.info.bits + y * out.info.effWidth, row, out.info.effWidth);
        } else {
            std::memset(out.info.bits, out.GetNearestIndex(canvascolor), out.header.biSizeImage);
        }
        const size_t bytes = static_cast<size_t>(bpp / 8);
        for (long y = 0; y < h; ++y) {
            info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / h);
            std::memcpy(out.info.bits + static_cast<size_t>(bottom + y) * out.info.effWidth + bytes * left,
                        info.bits + static_cast<size_t>(y) * info.effWidth, bytes * w);
        }
    } else {
        const BYTE idx = out.GetNearestIndex(canvascolor);
        for (long y = 0; y < static_cast<long>(nh); ++y) {
            info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / static_cast<long>(nh));
            const bool pictureRow = y >= bottom && y < bottom + h;
            for (long x = 0; x < static_cast<long>(nw); ++x) {
                const bool inside = pictureRow && x >= left && x < left + w;
                out.SetPixelIndex(x, y, inside ? BlindGetPixelIndex(x - left, y - bottom) : idx);
            }
        }
    }
    return (iDst ? iDst : this)->Transfer(out);
}

bool CPixImage::Expand(long newx, long newy, RGBQUAD canvascolor, CPixImage* iDst)
{
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (!dib || newx < w || newy < h)
        return false;
    const long left = (newx - w) / 2, top = (newy - h) / 2;
    return Expand(left, top, newx - w - left, newy - h - top, canvascolor, iDst);
}

bool CPixImage::Thumbnail(long newx, long newy, RGBQUAD canvascolor, CPixImage* iDst)
{
    if (!dib || newx <= 0 || newy <= 0)
        return false;
    CPixImage work(*this, true, true, true);
    if (!work.IsValid() || (alpha && !work.AlphaIsValid()) || (selection && !work.SelectionIsValid()))
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (w > newx || h > newy) {
        const float aspect = static_cast<float>(newx) / static_cast<float>(newy);
        const float scale = aspect * static_cast<float>(h) > static_cast<float>(w)
                                ? static_cast<float>(newy) / static_cast<float>(h)
                                : static_cast<float>(newx) / static_cast<float>(w);
        // A thin picture keeps at least one pixel across.
        const long tw = std::max(1L, static_cast<long>(scale * static_cast<float>(w)));
        const long th = std::max(1L, static_cast<long>(scale * static_cast<float>(h)));
        if (!work.Resample(tw, th, 0)) {
            SetLastError(work.GetLastError());
            return false;
        }
    }
    if (!work.Expand(newx, newy, canvascolor)) {
        SetLastError(work.GetLastError());
        return false;
    }
    return (iDst ? iDst : this)->Transfer(work);
}

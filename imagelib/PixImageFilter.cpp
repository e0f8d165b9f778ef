// Image object: convolution and the other square-neighbourhood filters, jitter and the mean grey
// level. Every filter reads the picture through a padded copy whose margins hold the colour a
// read outside the picture gives, so the inner loops test no bounds.
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/PixImageLoops.h"
#include "platform/win/Random.h"

using pixloop::ClampByte;

namespace {

// Pixels as 32-bit words: blue, green, red in the low bytes, the grey level in the high byte,
// so that words compare by grey level first.
inline uint32_t Word(BYTE b, BYTE g, BYTE r)
{
    return b | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(r) << 16) |
           (static_cast<uint32_t>(pixloop::GreyLevel(r, g, b)) << 24);
}

struct Padded {
    std::vector<uint32_t> px;
    size_t stride = 0;
    long pad = 0;
    const uint32_t* At(long x, long y) const
    {
        return px.data() + static_cast<size_t>(y + pad) * stride + static_cast<size_t>(x + pad);
    }
};

bool BuildPadded(CPixImage& img, long pad, Padded& out)
{
    const long w = static_cast<long>(img.GetWidth()), h = static_cast<long>(img.GetHeight());
    const RGBQUAD o = img.GetPixelColor(-1, -1, true);
    const uint32_t outside = Word(o.rgbBlue, o.rgbGreen, o.rgbRed);
    out.pad = pad;
    out.stride = static_cast<size_t>(w + 2 * pad);
    try {
        out.px.assign(out.stride * static_cast<size_t>(h + 2 * pad), outside);
    } catch (const std::bad_alloc&) {
        return false;
    }
    uint32_t byIndex[256]{};
    const RGBQUAD* pal = img.GetPalette();
    for (DWORD i = 0; i < img.GetNumColors() && i < 256; ++i)
        byIndex[i] = Word(pal[i].rgbBlue, pal[i].rgbGreen, pal[i].rgbRed);
    for (long y = 0; y < h; ++y) {
        uint32_t* dst = out.px.data() + static_cast<size_t>(y + pad) * out.stride + pad;
        const BYTE* src = img.GetBits(static_cast<DWORD>(y));
        if (pal) {
            for (long x = 0; x < w; ++x)
                dst[x] = byIndex[img.GetPixelIndex(x, y)];
        } else {
            for (long x = 0; x < w; ++x, src += 3)
                dst[x] = Word(src[0], src[1], src[2]);
        }
    }
    return true;
}

// The common frame: a work copy (the picture itself when there is a selection, else zeroed),
// rows of the area computed by row(y, centre of the first pixel, stride, results) from the
// source only, the selected results stored, and the work copy taking this image's place.
template <class Row>
bool RunRows(CPixImage& img, const RECT& area, long n, Row row)
{
    CPixImage work(img, img.SelectionIsValid(), true, true);
    if (!work.IsValid() || work.SelectionIsValid() != img.SelectionIsValid() ||
        work.AlphaIsValid() != img.AlphaIsValid())
        return false;
    Padded pad;
    if (!BuildPadded(img, n / 2 + 1, pad))
        return false;
    const long cnt = area.right - area.left;
    std::vector<uint32_t> out(static_cast<size_t>(std::max(cnt, 0L)));
    const bool sel = img.SelectionIsValid(), pal = img.GetNumColors() != 0;
    const long h = static_cast<long>(img.GetHeight());
    for (long y = area.bottom; y < area.top; ++y) {
        img.SetProgress(100 * y / h);
        if (img.GetEscape())
            break;
        row(y, pad.At(area.left, y), pad.stride, out.data());
        BYTE* dst = work.GetBits(static_cast<DWORD>(y));
        for (long i = 0; i < cnt; ++i) {
            const long x = area.left + i;
            if (sel && !img.SelectionIsInside(x, y))
                continue;
            const uint32_t v = out[static_cast<size_t>(i)];
            if (pal) {
                work.SetPixelColor(x, y, RGBQUAD{BYTE(v), BYTE(v >> 8), BYTE(v >> 16), 0}, false);
            } else {
                BYTE* p = dst + 3 * static_cast<size_t>(x);
                p[0] = static_cast<BYTE>(v);
                p[1] = static_cast<BYTE>(v >> 8);
                p[2] = static_cast<BYTE>(v >> 16);
            }
        }
    }
    return img.Transfer(work);
}

inline uint32_t Pack(int b, int g, int r)
{
    return static_cast<uint32_t>(b) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(r) << 16);
}

// Convolution of one row: the sums over 4 bytes per pixel (the fourth is never used), one kernel
// tap at a time over the whole row, so the inner loop runs over contiguous bytes.
template <class Acc>
void ConvolveRow(const uint32_t* centre, size_t stride, long cnt, const long* kernel, long n, long divisor,
                 int64_t offset, std::vector<Acc>& acc, uint32_t* out)
{
    const long half = n / 2, rest = n - half;
    const size_t lanes = 4 * static_cast<size_t>(cnt);
    std::fill(acc.begin(), acc.begin() + static_cast<ptrdiff_t>(lanes), Acc{0});
    Acc* a = acc.data();
    for (long dy = -half; dy < rest; ++dy) {
        const long* kr = kernel + (dy + half) * n;
        for (long dx = -half; dx < rest; ++dx) {
            const Acc k = static_cast<Acc>(kr[dx + half]);
            if (k == 0)
                continue;
            const BYTE* s = reinterpret_cast<const BYTE*>(centre + dy * static_cast<ptrdiff_t>(stride) + dx);
            for (size_t i = 0; i < lanes; ++i)
                a[i] = static_cast<Acc>(a[i] + k * static_cast<Acc>(s[i]));
        }
    }
    // Narrow sums divide in 32 bits; a divisor past 32 bits leaves nothing of them.
    const bool narrow = sizeof(Acc) < 8;
    const bool past = divisor < INT32_MIN || divisor > INT32_MAX;
    const int32_t d32 = past ? 1 : static_cast<int32_t>(divisor);
    auto finish = [&](Acc sum) {
        int64_t q = sum;
        if (divisor && narrow)
            q = past ? 0 : static_cast<int32_t>(sum) / d32;
        else if (divisor)
            q = static_cast<int64_t>(sum) / divisor;
        return static_cast<int>(std::clamp<int64_t>(q + offset, 0, 255));
    };
    if (divisor == 1 && offset == 0) {
        // Wide sums are clamped as they are: narrowed first, they could wrap into range.
        auto clamp = [](Acc sum) { return static_cast<int>(std::clamp<int64_t>(sum, 0, 255)); };
        for (long x = 0; x < cnt; ++x, a += 4)
            out[x] = Pack(clamp(a[0]), clamp(a[1]), clamp(a[2]));
        return;
    }
    for (long x = 0; x < cnt; ++x, a += 4)
        out[x] = Pack(finish(a[0]), finish(a[1]), finish(a[2]));
}

// Minimum and maximum of each channel over the neighbourhood: down the columns first, then along the row.
template <class Finish>
void MinMaxRow(const uint32_t* centre, size_t stride, long cnt, long n, std::vector<BYTE>& lo,
               std::vector<BYTE>& hi, uint32_t* out, Finish finish)
{
    const long half = n / 2, rest = n - half;
    const long span = cnt + n;
    const size_t lanes = 4 * static_cast<size_t>(span);
    std::fill(lo.begin(), lo.begin() + static_cast<ptrdiff_t>(lanes), BYTE{255});
    std::fill(hi.begin(), hi.begin() + static_cast<ptrdiff_t>(lanes), BYTE{0});
    for (long dy = -half; dy < rest; ++dy) {
        const BYTE* s = reinterpret_cast<const BYTE*>(centre + dy * static_cast<ptrdiff_t>(stride) - half);
        for (size_t i = 0; i < lanes; ++i) {
            lo[i] = std::min(lo[i], s[i]);
            hi[i] = std::max(hi[i], s[i]);
        }
    }
    for (long x = 0; x < cnt; ++x) {
        int mn[3] = {255, 255, 255}, mx[3] = {0, 0, 0};
        for (long k = 0; k < n; ++k) {
            const size_t at = 4 * static_cast<size_t>(x + k);
            for (int c = 0; c < 3; ++c) {
                mn[c] = std::min<int>(mn[c], lo[at + c]);
                mx[c] = std::max<int>(mx[c], hi[at + c]);
            }
        }
        out[x] = Pack(finish(mn[0], mx[0]), finish(mn[1], mx[1]), finish(mn[2], mx[2]));
    }
}

inline void Order(uint32_t& a, uint32_t& b)
{
    const uint32_t lo = std::min(a, b), hi = std::max(a, b);
    a = lo;
    b = hi;
}

// The middle of nine words by a fixed exchange network.
inline uint32_t MiddleOfNine(uint32_t* p)
{
    Order(p[1], p[2]); Order(p[4], p[5]); Order(p[7], p[8]);
    Order(p[0], p[1]); Order(p[3], p[4]); Order(p[6], p[7]);
    Order(p[1], p[2]); Order(p[4], p[5]); Order(p[7], p[8]);
    Order(p[0], p[3]); Order(p[5], p[8]); Order(p[4], p[7]);
    Order(p[3], p[6]); Order(p[1], p[4]); Order(p[2], p[5]);
    Order(p[4], p[7]); Order(p[4], p[2]); Order(p[6], p[4]);
    Order(p[4], p[2]);
    return p[4];
}

bool SizeAllowed(long n, long least)
{
    return n >= least && n <= CPixImage::kMaxNeighbourhood;
}

} // namespace

bool CPixImage::WorkCopy(CPixImage& work, bool copypixels)
{
    work.Copy(*this, copypixels, true, true);
    return work.IsValid() && (!selection || work.selection) && (!alpha || work.alpha);
}

bool CPixImage::Filter(long* kernel, long Ksize, long Kfactor, long Koffset)
{
    if (!dib || !kernel || !SizeAllowed(Ksize, 0))
        return false;
    const long n = Ksize, half = n / 2, rest = n - half;
    int64_t sumAbs = 0;
    for (long i = 0; i < n * n; ++i) {
        // Entries beyond 32 bits could overflow even 64-bit sums.
        if (kernel[i] < INT32_MIN || kernel[i] > INT32_MAX)
            return false;
        sumAbs += kernel[i] < 0 ? -kernel[i] : kernel[i];
    }
    const int64_t offset = std::clamp<long>(Koffset, -(1L << 40), 1L << 40);
    const RECT area = ProcessingArea();
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());

    if (header.biBitCount == 8 && IsGrayScale()) {
        CPixImage work;
        if (!WorkCopy(work, selection != nullptr))
            return false;
        const long divisor = Kfactor ? Kfactor : 1;
        for (long y = area.bottom; y < area.top; ++y) {
            info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / h);
            if (info.escape)
                break;
            const BYTE* src = GetBits(static_cast<DWORD>(y));
            BYTE* dst = work.GetBits(static_cast<DWORD>(y));
            const bool rowInside = y - half >= 0 && y + rest - 1 < h;
            for (long x = area.left; x < area.right; ++x) {
                if (selection && !selection[static_cast<size_t>(y) * w + x])
                    continue;
                if (!rowInside || x - half < 0 || x + rest - 1 >= w) {
                    dst[x] = src[x]; // the border keeps its value
                    continue;
                }
                int64_t sum = 0;
                for (long dy = -half; dy < rest; ++dy) {
                    const BYTE* s = GetBits(static_cast<DWORD>(y + dy)) + x;
                    const long* kr = kernel + (dy + half) * n + half;
                    for (long dx = -half; dx < rest; ++dx)
                        sum += kr[dx] * static_cast<int64_t>(s[dx]);
                }
                dst[x] = static_cast<BYTE>(std::clamp<int64_t>(sum / divisor + offset, 0, 255));
            }
        }
        return Transfer(work);
    }

    const long cnt = std::max<long>(area.right - area.left, 0);
    // The narrowest sums that cannot overflow: more lanes per vector.
    if (sumAbs * 255 <= INT16_MAX) {
        std::vector<int16_t> acc(4 * static_cast<size_t>(cnt));
        return RunRows(*this, area, n, [&](long, const uint32_t* c, size_t stride, uint32_t* out) {
            ConvolveRow(c, stride, cnt, kernel, n, Kfactor, offset, acc, out);
        });
    }
    if (sumAbs * 255 <= INT32_MAX) {
        std::vector<int32_t> acc(4 * static_cast<size_t>(cnt));
        return RunRows(*this, area, n, [&](long, const uint32_t* c, size_t stride, uint32_t* out) {
            ConvolveRow(c, stride, cnt, kernel, n, Kfactor, offset, acc, out);
        });
    }
    std::vector<int64_t> acc(4 * static_cast<size_t>(cnt));
    return RunRows(*this, area, n, [&](long, const uint32_t* c, size_t stride, uint32_t* out) {
        ConvolveRow(c, stride, cnt, kernel, n, Kfactor, offset, acc, out);
    });
}

namespace {

template <class Finish>
bool MinMaxFilter(CPixImage& img, const RECT& area, long n, Finish finish)
{
    const long cnt = std::max<long>(area.right - area.left, 0);
    std::vector<BYTE> lo(4 * static_cast<size_t>(cnt + n)), hi(lo.size());
    return RunRows(img, area, n, [&](long, const uint32_t* c, size_t stride, uint32_t* out) {
        MinMaxRow(c, stride, cnt, n, lo, hi, out, finish);
    });
}

} // namespace

bool CPixImage::Erode(long Ksize)
{
    if (!dib || !SizeAllowed(Ksize, 0))
        return false;
    return MinMaxFilter(*this, ProcessingArea(), Ksize, [](int mn, int) { return mn; });
}

bool CPixImage::Dilate(long Ksize)
{
    if (!dib || !SizeAllowed(Ksize, 0))
        return false;
    return MinMaxFilter(*this, ProcessingArea(), Ksize, [](int, int mx) { return mx; });
}

bool CPixImage::Edge(long Ksize)
{
    if (!dib || !SizeAllowed(Ksize, 1))
        return false;
    return MinMaxFilter(*this, ProcessingArea(), Ksize, [](int mn, int mx) { return 255 - (mx - mn); });
}

bool CPixImage::Median(long Ksize)
{
    if (!dib || !SizeAllowed(Ksize, 1))
        return false;
    const long n = Ksize, half = n / 2, rest = n - half;
    const size_t count = static_cast<size_t>(n) * static_cast<size_t>(n);
    std::vector<uint32_t> work(count);
    const RECT area = ProcessingArea();
    const long cnt = std::max<long>(area.right - area.left, 0);
    // Words order by grey level first; colours of one grey level have no defined order.
    return RunRows(*this, area, n, [&](long, const uint32_t* c, size_t stride, uint32_t* out) {
        for (long x = 0; x < cnt; ++x, ++c) {
            uint32_t* p = work.data();
            for (long dx = -half; dx < rest; ++dx)
                for (long dy = -half; dy < rest; ++dy)
                    *p++ = c[dy * static_cast<ptrdiff_t>(stride) + dx];
            uint32_t m;
            if (count == 9) {
                m = MiddleOfNine(work.data());
            } else {
                std::nth_element(work.begin(), work.begin() + static_cast<ptrdiff_t>(count / 2), work.end());
                m = work[count / 2];
            }
            out[x] = m & 0xFFFFFF;
        }
    });
}

bool CPixImage::Contour()
{
    if (!dib)
        return false;
    const RECT area = ProcessingArea();
    const long cnt = std::max<long>(area.right - area.left, 0);
    return RunRows(*this, area, 3, [&](long, const uint32_t* c, size_t stride, uint32_t* out) {
        for (long x = 0; x < cnt; ++x, ++c) {
            const BYTE* p = reinterpret_cast<const BYTE*>(c);
            int m[3] = {0, 0, 0};
            for (long dx = -1; dx <= 1; ++dx)
                for (long dy = -1; dy <= 1; ++dy) {
                    const BYTE* q = reinterpret_cast<const BYTE*>(c + dy * static_cast<ptrdiff_t>(stride) + dx);
                    for (int k = 0; k < 3; ++k)
                        if (q[k] - p[k] > m[k])
                            m[k] = q[k]; // the neighbour's value, not the difference
                }
            out[x] = Pack(255 - m[0], 255 - m[1], 255 - m[2]);
        }
    });
}

void CPixImage::TakePixel(CPixImage& work, long x, long y, long sx, long sy)
{
    if (header.biClrUsed)
        work.SetPixelIndex(x, y, GetPixelIndex(sx, sy));
    else
        work.SetPixelColor(x, y, GetPixelColor(sx, sy), false);
    if (alpha)
        work.AlphaSet(x, y, AlphaGet(sx, sy));
}

bool CPixImage::Jitter(long radius)
{
    if (!dib)
        return false;
    CPixImage work;
    if (!WorkCopy(work, selection != nullptr))
        return false;
    const RECT area = ProcessingArea();
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const double unit = static_cast<double>(1.0f / 32767.0f);
    const double span = static_cast<double>(radius) * 2;
    auto step = [&](long at) {
        const double d = (Rand() * unit - 0.5) * span;
        return at + pixloop::ClampWhole(d, -(int64_t{1} << 40), int64_t{1} << 40);
    };
    for (long y = area.bottom; y < area.top; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / h);
        if (info.escape)
            break;
        for (long x = area.left; x < area.right; ++x) {
            if (!SelectionIsInside(x, y))
                continue;
            long nx = step(x), ny = step(y);
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) {
                nx = x;
                ny = y;
            }
            TakePixel(work, x, y, nx, ny);
        }
    }
    return Transfer(work);
}

float CPixImage::Mean()
{
    if (!dib)
        return 0;
    const RECT area = ProcessingArea();
    if (area.right <= area.left || area.top <= area.bottom)
        return 0;
    BYTE level[256]{};
    for (DWORD i = 0; i < header.biClrUsed && i < 256; ++i) {
        const RGBQUAD c = GetPaletteColor(static_cast<BYTE>(i));
        level[i] = static_cast<BYTE>(pixloop::GreyLevel(c.rgbRed, c.rgbGreen, c.rgbBlue));
    }
    int64_t sum = 0;
    for (long y = area.bottom; y < area.top; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / area.top);
        const BYTE* row = GetBits(static_cast<DWORD>(y));
        for (long x = area.left; x < area.right; ++x) {
            if (header.biClrUsed) {
                sum += level[BlindGetPixelIndex(x, y)];
            } else {
                const BYTE* p = row + 3 * static_cast<size_t>(x);
                sum += pixloop::GreyLevel(p[2], p[1], p[0]);
            }
        }
    }
    return static_cast<float>(static_cast<double>(sum) / (area.right - area.left) / (area.top - area.bottom));
}

// Image object: the lossless flips, mirror and right-angle rotations.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "imagelib/PixImage.h"

namespace {
constexpr long kBlock = 64; // square blocks keep the reads and writes of a quarter turn in cache
}

bool CPixImage::Flip()
{
    if (!dib)
        return false;
    std::unique_ptr<CPixImage> copy(new (std::nothrow) CPixImage(*this, false, false, true));
    if (!copy || !copy->IsValid())
        return false;
    const size_t eff = info.effWidth;
    const DWORD h = GetHeight();
    for (DWORD i = 0; i < h; ++i)
        std::memcpy(copy->info.bits + i * eff, info.bits + static_cast<size_t>(h - 1 - i) * eff, eff);
    copy->AlphaFlip();
    return Transfer(*copy);
}

bool CPixImage::Mirror()
{
    if (!dib)
        return false;
    std::unique_ptr<CPixImage> copy(new (std::nothrow) CPixImage(*this, false, false, true));
    if (!copy || !copy->IsValid())
        return false;
    const long w = static_cast<long>(GetWidth());
    const long h = static_cast<long>(GetHeight());
    const size_t eff = info.effWidth;
    for (long y = 0; y < h; ++y) {
        const BYTE* src = info.bits + static_cast<size_t>(y) * eff;
        BYTE* dst = copy->info.bits + static_cast<size_t>(y) * eff;
        switch (header.biBitCount) {
        case 8:
            for (long x = 0; x < w; ++x)
                dst[x] = src[w - 1 - x];
            break;
        case 24:
            for (long x = 0; x < w; ++x) {
                const BYTE* s = src + static_cast<size_t>(w - 1 - x) * 3;
                dst[3 * x] = s[0];
                dst[3 * x + 1] = s[1];
                dst[3 * x + 2] = s[2];
            }
            break;
        default:
            for (long x = 0; x < w; ++x)
                copy->SetPixelIndex(x, y, BlindGetPixelIndex(w - 1 - x, y));
            break;
        }
    }
    copy->AlphaMirror();
    return Transfer(*copy);
}

namespace {
enum class Turn { Left, Right };

// Eight rows of eight 1-bit pixels, the first row in the top byte and the leftmost pixel in each
// byte's top bit, turned about the diagonal: the top byte then holds the first column, the first
// row's pixel in its top bit.
uint64_t Transpose8x8(uint64_t m)
{
    uint64_t t = (m ^ (m >> 7)) & 0x00AA00AA00AA00AAull;
    m ^= t ^ (t << 7);
    t = (m ^ (m >> 14)) & 0x0000CCCC0000CCCCull;
    m ^= t ^ (t << 14);
    t = (m ^ (m >> 28)) & 0x00000000F0F0F0F0ull;
    m ^= t ^ (t << 28);
    return m;
}

// Quarter turn of 1-bit rows, eight by eight pixels at a time, into zeroed rows: byte k of a new row
// takes eight source rows and source byte j gives eight new rows. Source rows are taken 64 at a time
// so the reads and the writes stay within a few cache lines. Rows past the picture read as 0, so
// the fill bits of the new rows stay 0; fill bits of the source rows are never written anywhere.
void TurnBits(Turn turn, long w, long h, const BYTE* bits, size_t eff, BYTE* nbits, size_t neff)
{
    const long newRowBytes = (h + 7) / 8;
    const long srcRowBytes = (w + 7) / 8;
    const BYTE* rows[64];
    for (long kb = 0; kb < newRowBytes; kb += 8) {
        const long ke = std::min(kb + 8, newRowBytes);
        for (long k = kb; k < ke; ++k)
            for (long i = 0; i < 8; ++i) {
                // The pixel in bit 7 - i of new byte k: new column 8k + i.
                const long sy = turn == Turn::Right ? 8 * k + i : h - 1 - 8 * k - i;
                rows[8 * (k - kb) + i] = sy >= 0 && sy < h ? bits + static_cast<size_t>(sy) * eff : nullptr;
            }
        for (long j = 0; j < srcRowBytes; ++j) {
            const long cols = std::min(8L, w - 8 * j);
            for (long k = kb; k < ke; ++k) {
                const BYTE* const* r = rows + 8 * (k - kb);
                uint64_t m = 0;
                for (int i = 0; i < 8; ++i)
                    m = (m << 8) | (r[i] ? r[i][j] : 0u);
                if (!m)
                    continue;
                m = Transpose8x8(m);
                for (long c = 0; c < cols; ++c) {
                    const long sx = 8 * j + c;
                    const long y = turn == Turn::Right ? w - 1 - sx : sx;
                    nbits[static_cast<size_t>(y) * neff + static_cast<size_t>(k)] = static_cast<BYTE>(m >> (56 - 8 * c));
                }
            }
        }
    }
}
} // namespace

// Builds the quarter-turned picture in a new image of the same depth, palette, info and alpha.
static bool TurnInto(CPixImage& out, Turn turn, long w, long h, int bpp, BYTE* bits, size_t eff,
                     const BYTE* alphaPlane, int32_t* progress)
{
    const long nw = h;
    const long nh = w;
    BYTE* nbits = out.GetBits(0);
    const size_t neff = out.GetEffWidth();
    BYTE* nalpha = out.AlphaGetPointer(0, 0);

    // Source coordinates of new pixel (x, y).
    auto source = [&](long x, long y, long& sx, long& sy) {
        switch (turn) {
        case Turn::Left: sx = y; sy = h - 1 - x; break;
        case Turn::Right: sx = w - 1 - y; sy = x; break;
        }
    };
    auto getIndex = [&](long x, long y) -> BYTE {
        const BYTE* row = bits + static_cast<size_t>(y) * eff;
        return static_cast<BYTE>((row[x >> 1] >> (4 - 4 * (x & 1))) & 15);
    };

    // 1 bit turns in one pass of its own; the blocks below then carry only the alpha plane.
    if (bpp == 1)
        TurnBits(turn, w, h, bits, eff, nbits, neff);

    for (long bx = 0; bx < nw; bx += kBlock) {
        const long ex = bx + kBlock < nw ? bx + kBlock : nw;
        for (long by = 0; by < nh; by += kBlock) {
            const long ey = by + kBlock < nh ? by + kBlock : nh;
            *progress = static_cast<int32_t>(100 * static_cast<int64_t>(turn == Turn::Right ? by : bx) /
                                          (turn == Turn::Right ? nh : nw));
            for (long x = bx; x < ex && bpp != 1; ++x) {
                for (long y = by; y < ey; ++y) {
                    long sx = 0, sy = 0;
                    source(x, y, sx, sy);
                    if (bpp == 24) {
                        const BYTE* s = bits + static_cast<size_t>(sy) * eff + static_cast<size_t>(sx) * 3;
                        BYTE* d = nbits + static_cast<size_t>(y) * neff + static_cast<size_t>(x) * 3;
                        d[0] = s[0];
                        d[1] = s[1];
                        d[2] = s[2];
                    } else if (bpp == 8) {
                        nbits[static_cast<size_t>(y) * neff + static_cast<size_t>(x)] =
                            bits[static_cast<size_t>(sy) * eff + static_cast<size_t>(sx)];
                    } else {
                        out.SetPixelIndex(x, y, getIndex(sx, sy));
                    }
                }
            }
            if (alphaPlane && nalpha) {
                for (long x = bx; x < ex; ++x) {
                    for (long y = by; y < ey; ++y) {
                        long sx = 0, sy = 0;
                        source(x, y, sx, sy);
                        nalpha[static_cast<size_t>(y) * nw + static_cast<size_t>(x)] =
                            alphaPlane[static_cast<size_t>(sy) * w + static_cast<size_t>(sx)];
                    }
                }
            }
        }
    }
    return true;
}

bool CPixImage::NewTurned(CPixImage& turned, DWORD width, DWORD height)
{
    if (!NewLike(turned, width, height))
        return false;
    if (AlphaIsValid()) {
        turned.AlphaCreate();
        if (!turned.AlphaIsValid())
            return false;
    }
    return true;
}

bool CPixImage::RotateQuarter(bool right, CPixImage* iDst)
{
    if (!dib)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    CPixImage turned;
    if (!NewTurned(turned, static_cast<DWORD>(h), static_cast<DWORD>(w)))
        return false;
    // Progress goes to this image's own field while the turn runs, so a watcher sees it move.
    TurnInto(turned, right ? Turn::Right : Turn::Left, w, h, GetBpp(), info.bits, info.effWidth, alpha,
             &info.progress);
    turned.info.progress = info.progress;
    return (iDst ? iDst : this)->Transfer(turned);
}

bool CPixImage::RotateLeft(CPixImage* iDst)
{
    return RotateQuarter(false, iDst);
}

bool CPixImage::RotateRight(CPixImage* iDst)
{
    return RotateQuarter(true, iDst);
}

bool CPixImage::Rotate180(CPixImage* iDst)
{
    if (!dib)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    CPixImage turned;
    if (!NewTurned(turned, static_cast<DWORD>(w), static_cast<DWORD>(h)))
        return false;
    const size_t eff = info.effWidth;
    const size_t neff = turned.info.effWidth;
    for (long y = 0; y < h; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / h);
        const BYTE* src = info.bits + static_cast<size_t>(y) * eff;
        BYTE* dst = turned.info.bits + static_cast<size_t>(h - 1 - y) * neff;
        switch (header.biBitCount) {
        case 24:
            for (long x = 0; x < w; ++x) {
                const BYTE* s = src + static_cast<size_t>(x) * 3;
                BYTE* d = dst + static_cast<size_t>(w - 1 - x) * 3;
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
            break;
        case 8:
            for (long x = 0; x < w; ++x)
                dst[w - 1 - x] = src[x];
            break;
        default:
            for (long x = 0; x < w; ++x)
                turned.SetPixelIndex(w - 1 - x, h - 1 - y, BlindGetPixelIndex(x, y));
            break;
        }
        if (alpha) {
            const BYTE* sa = alpha + static_cast<size_t>(y) * w;
            BYTE* da = turned.alpha + static_cast<size_t>(h - 1 - y) * w;
            for (long x = 0; x < w; ++x)
                da[w - 1 - x] = sa[x];
        }
    }
    turned.info.progress = info.progress;
    return (iDst ? iDst : this)->Transfer(turned);
}

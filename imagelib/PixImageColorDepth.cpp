// Image object: grey scale, colour depth changes and dithering to black and white.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "imagelib/PixImage.h"

namespace {

inline BYTE GreyOf(int r, int g, int b)
{
    return static_cast<BYTE>((306 * r + 601 * g + 117 * b) >> 10);
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// The palette entry GetNearestIndex picks for a colour, the same entry for the same colour, with
// every colour answered once remembered: a picture repeats its colours far more often than not.
class NearestEntry {
public:
    explicit NearestEntry(CPixImage& img)
    {
        const RGBQUAD* pal = img.GetPalette();
        count_ = img.GetClrImportant() ? img.GetClrImportant() : img.GetNumColors();
        count_ = std::min<DWORD>(count_, img.GetNumColors());
        for (DWORD i = 0; i < count_; ++i) {
            red_[i] = pal[i].rgbRed;
            green_[i] = pal[i].rgbGreen;
            blue_[i] = pal[i].rgbBlue;
        }
        if (count_ > 16) {
            // Zeroed pages come from the system on first touch: only the colours met cost memory.
            known_.reset(static_cast<uint64_t*>(std::calloc(kColours / 64, sizeof(uint64_t))));
            answer_.reset(static_cast<BYTE*>(std::malloc(kColours)));
            if (!known_ || !answer_)
                known_.reset();
        }
    }

    BYTE operator()(BYTE r, BYTE g, BYTE b)
    {
        if (!known_)
            return Search(r, g, b);
        const uint32_t key = (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
        uint64_t& word = known_.get()[key >> 6];
        const uint64_t bit = uint64_t{1} << (key & 63);
        if (!(word & bit)) {
            answer_.get()[key] = Search(r, g, b);
            word |= bit;
        }
        return answer_.get()[key];
    }

private:
    static constexpr uint32_t kColours = 1u << 24;

    // The first entry at the least squared distance, as GetNearestIndex finds it.
    BYTE Search(int r, int g, int b) const
    {
        int best = INT_MAX;
        DWORD bestIndex = 0;
        for (DWORD i = 0; i < count_ && best != 0; ++i) {
            const int dr = red_[i] - r, dg = green_[i] - g, db = blue_[i] - b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < best) {
                best = d;
                bestIndex = i;
            }
        }
        return static_cast<BYTE>(bestIndex);
    }

    DWORD count_ = 0;
    int red_[256]{}, green_[256]{}, blue_[256]{};
    std::unique_ptr<uint64_t, FreeDeleter> known_;
    std::unique_ptr<BYTE, FreeDeleter> answer_;
};

struct Tap {
    int dx, dy, weight;
};

// Error diffusion: where each method spreads the error of a pixel, and by what it divides.
constexpr Tap kFloyd[] = {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}};
constexpr Tap kBurkes[] = {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}};
constexpr Tap kStucki[] = {{1, 0, 8},  {2, 0, 4},  {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4},
                           {2, 1, 2},  {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4},  {1, 2, 2}, {2, 2, 1}};
constexpr Tap kJarvis[] = {{1, 0, 7},  {2, 0, 5},  {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5},
                           {2, 1, 3},  {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5},  {1, 2, 3}, {2, 2, 1}};
constexpr Tap kSierra[] = {{1, 0, 5},  {2, 0, 3},  {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5},
                           {1, 1, 4},  {2, 1, 2},  {-1, 2, 2}, {0, 2, 3},  {1, 2, 2}};
constexpr Tap kStevensonArce[] = {{2, 0, 32},  {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30},  {3, 1, 16},
                                  {-2, 2, 12}, {0, 2, 26},  {2, 2, 12},  {-3, 3, 5},  {-1, 3, 12},
                                  {1, 3, 12},  {3, 3, 5}};

// The grey rows with three spare columns on each side and three spare rows above the top, so
// that no tap ever leaves the buffer; what lands in the margins is never read.
constexpr long kMargin = 3;

template <size_t N>
void Diffuse(std::vector<BYTE>& work, size_t stride, long w, long y, const Tap (&taps)[N], int divisor, BYTE* outRow)
{
    BYTE* row = work.data() + static_cast<size_t>(y) * stride + kMargin;
    ptrdiff_t offset[N];
    for (size_t t = 0; t < N; ++t)
        offset[t] = taps[t].dy * static_cast<ptrdiff_t>(stride) + taps[t].dx;
    for (long x = 0; x < w; ++x) {
        const int grey = row[x];
        int error = grey;
        if (grey > 128) {
            outRow[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
            error = grey - 255;
        }
        if (error == 0)
            continue;
        for (size_t t = 0; t < N; ++t) {
            BYTE& p = row[x + offset[t]];
            p = static_cast<BYTE>(std::clamp(p + error * taps[t].weight / divisor, 0, 255));
        }
    }
}

} // namespace

bool CPixImage::CarryPlanes(CPixImage& out)
{
    if (selection && !out.SelectionCopy(*this))
        return false;
    if (alpha && !out.AlphaCopy(*this))
        return false;
    return true;
}

bool CPixImage::TransparentEntry(RGBQUAD& c)
{
    if (info.transIndex < 0 || static_cast<DWORD>(info.transIndex) >= header.biClrUsed)
        return false;
    c = GetPaletteColor(static_cast<BYTE>(info.transIndex));
    return true;
}

bool CPixImage::GrayInto(CPixImage& out)
{
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    out.CopyInfo(*this);
    if (!out.Create(GetWidth(), GetHeight(), 8, GetType())) {
        SetLastError(out.GetLastError());
        return false;
    }
    out.SetGrayPalette();
    if (!CarryPlanes(out)) {
        SetLastError("CPixImage::GrayScale can't allocate memory");
        return false;
    }
    const size_t neff = out.info.effWidth;
    if (header.biBitCount == 24) {
        int red[256], green[256], blue[256];
        for (int i = 0; i < 256; ++i) {
            red[i] = 306 * i;
            green[i] = 601 * i;
            blue[i] = 117 * i;
        }
        for (long y = 0; y < h; ++y) {
            const BYTE* src = info.bits + static_cast<size_t>(y) * info.effWidth;
            BYTE* dst = out.info.bits + static_cast<size_t>(y) * neff;
            for (long x = 0; x < w; ++x, src += 3)
                dst[x] = static_cast<BYTE>((blue[src[0]] + green[src[1]] + red[src[2]]) >> 10);
        }
        // The transparent colour stays transparent as its grey level.
        if (info.transIndex >= 0) {
            const BYTE g = GreyOf(info.transColor.rgbRed, info.transColor.rgbGreen, info.transColor.rgbBlue);
            out.info.transIndex = g;
            out.SetTransColor(RGBQUAD{g, g, g, 0});
        }
        return true;
    }
    BYTE level[256]{};
    const RGBQUAD* pal = GetPalette();
    for (DWORD i = 0; i < header.biClrUsed; ++i)
        level[i] = GreyOf(pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue);
    for (long y = 0; y < h; ++y) {
        BYTE* dst = out.info.bits + static_cast<size_t>(y) * neff;
        for (long x = 0; x < w; ++x)
            dst[x] = level[BlindGetPixelIndex(x, y)];
    }
    RGBQUAD entry;
    out.info.transIndex = TransparentEntry(entry) ? level[info.transIndex] : -1;
    return true;
}

bool CPixImage::GrayScale()
{
    if (!dib)
        return false;
    if (header.biBitCount != 8) {
        CPixImage grey;
        return GrayInto(grey) && Transfer(grey);
    }
    // 8 bits: the rows are rewritten in place through a table of the entries' grey levels.
    BYTE level[256]{};
    const RGBQUAD* pal = GetPalette();
    for (DWORD i = 0; i < header.biClrUsed; ++i)
        level[i] = GreyOf(pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue);
    RGBQUAD entry;
    info.transIndex = TransparentEntry(entry) ? level[info.transIndex] : -1;
    const DWORD w = GetWidth();
    for (DWORD y = 0; y < GetHeight(); ++y) {
        BYTE* row = info.bits + static_cast<size_t>(y) * info.effWidth;
        for (DWORD x = 0; x < w; ++x)
            row[x] = level[row[x]];
    }
    SetGrayPalette();
    return true;
}

bool CPixImage::IncreaseBpp(DWORD nbit)
{
    if (!dib)
        return false;
    const DWORD bpp = GetBpp();
    switch (nbit) {
    case 4:
    case 8:
        if (bpp == nbit)
            return true;
        if (bpp > nbit)
            return false;
        break;
    case 24:
        if (bpp == 24)
            return true;
        break;
    default: return false;
    }

    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    CPixImage out;
    out.CopyInfo(*this);
    if (!out.Create(GetWidth(), GetHeight(), nbit, GetType())) {
        SetLastError(out.GetLastError());
        return false;
    }
    bool planes = CarryPlanes(out);
    if (nbit == 24) {
        RGBQUAD entry;
        if (info.transIndex >= 0) {
            if (TransparentEntry(entry))
                out.SetTransColor(entry);
            else
                out.info.transIndex = -1; // no colour to stand for
        }
        // Alpha kept in the palette moves into an alpha plane.
        if (planes && !alpha && AlphaPaletteIsValid()) {
            out.AlphaCreate();
            planes = out.AlphaIsValid();
        }
    } else {
        out.SetPalette(GetPalette(), GetNumColors());
    }
    if (!planes) {
        SetLastError("CPixImage::IncreaseBpp can't allocate memory");
        return false;
    }

    RGBQUAD lut[256]{};
    const RGBQUAD* pal = GetPalette();
    for (DWORD i = 0; i < header.biClrUsed; ++i)
        lut[i] = pal[i];
    for (long y = 0; y < h; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / h);
        if (info.escape)
            break;
        BYTE* dst = out.info.bits + static_cast<size_t>(y) * out.info.effWidth;
        for (long x = 0; x < w; ++x) {
            const BYTE i = BlindGetPixelIndex(x, y);
            if (nbit == 8) {
                dst[x] = i;
            } else if (nbit == 4) {
                out.SetPixelIndex(x, y, i);
            } else {
                dst[3 * x] = lut[i].rgbBlue;
                dst[3 * x + 1] = lut[i].rgbGreen;
                dst[3 * x + 2] = lut[i].rgbRed;
                if (out.alpha && !alpha)
                    out.alpha[static_cast<size_t>(y) * w + static_cast<size_t>(x)] = lut[i].rgbReserved;
            }
        }
    }
    return Transfer(out);
}

bool CPixImage::DecreaseBpp(DWORD nbit, bool errordiffusion, RGBQUAD* ppal, DWORD clrimportant)
{
    if (!dib || GetBpp() < nbit)
        return false;
    if (GetBpp() == nbit) {
        if (clrimportant == 0)
            return true;
        if (header.biClrImportant && header.biClrImportant < clrimportant)
            return true;
    }
    if (nbit != 1 && nbit != 4 && nbit != 8)
        return false;

    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    CPixImage out;
    out.CopyInfo(*this);
    if (!out.Create(GetWidth(), GetHeight(), nbit, GetType())) {
        SetLastError(out.GetLastError());
        return false;
    }
    if (clrimportant)
        out.SetClrImportant(clrimportant);
    if (!CarryPlanes(out)) {
        SetLastError("CPixImage::DecreaseBpp can't allocate memory");
        return false;
    }
    if (ppal) {
        out.SetPalette(ppal, out.GetNumColors());
    } else if (nbit == 1) {
        out.SetPaletteColor(0, 0, 0, 0);
        out.SetPaletteColor(1, 255, 255, 255);
    } else {
        out.SetStdPalette();
    }

    // The transparent colour stays transparent as the entry nearest to it.
    RGBQUAD transparent = info.transColor;
    if (info.transIndex >= 0 && (header.biBitCount == 24 || TransparentEntry(transparent)))
        out.info.transIndex = out.GetNearestIndex(transparent);
    else
        out.info.transIndex = -1;

    NearestEntry nearest(out);
    const RGBQUAD* npal = out.GetPalette();
    const bool direct = header.biBitCount == 24;
    auto read = [&](long x, long y) -> RGBQUAD {
        if (!direct)
            return GetPixelColor(x, y, false);
        const BYTE* p = info.bits + static_cast<size_t>(y) * info.effWidth + static_cast<size_t>(x) * 3;
        return RGBQUAD{p[0], p[1], p[2], 0};
    };
    auto put = [&](long x, long y, BYTE index) {
        if (nbit == 8)
            out.info.bits[static_cast<size_t>(y) * out.info.effWidth + static_cast<size_t>(x)] = index;
        else
            out.SetPixelIndex(x, y, index);
    };
    // The error of each pixel goes into this image's pixels still to be read.
    auto spread = [&](long x, long y, const int error[3], int weight) {
        if (!IsInside(x, y))
            return;
        RGBQUAD c = read(x, y);
        BYTE* ch = &c.rgbBlue;
        for (int k = 0; k < 3; ++k)
            ch[k] = static_cast<BYTE>(std::clamp(ch[k] + error[k] * weight / 16, 0, 255));
        if (direct) {
            BYTE* p = info.bits + static_cast<size_t>(y) * info.effWidth + static_cast<size_t>(x) * 3;
            p[0] = c.rgbBlue;
            p[1] = c.rgbGreen;
            p[2] = c.rgbRed;
        } else {
            SetPixelColor(x, y, c, false);
        }
    };

    BYTE byIndex[256]{}; // palette images: the new entry of each old one
    if (!direct)
        for (DWORD i = 0; i < header.biClrUsed; ++i) {
            const RGBQUAD c = GetPaletteColor(static_cast<BYTE>(i));
            byIndex[i] = nearest(c.rgbRed, c.rgbGreen, c.rgbBlue);
        }

    for (long y = 0; y < h; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / h);
        if (info.escape)
            break;
        for (long x = 0; x < w; ++x) {
            if (!errordiffusion) {
                if (direct) {
                    const BYTE* p = info.bits + static_cast<size_t>(y) * info.effWidth + static_cast<size_t>(x) * 3;
                    put(x, y, nearest(p[2], p[1], p[0]));
                } else {
                    put(x, y, byIndex[BlindGetPixelIndex(x, y)]);
                }
                continue;
            }
            const RGBQUAD c = read(x, y);
            const BYTE index = nearest(c.rgbRed, c.rgbGreen, c.rgbBlue);
            put(x, y, index);
            const int error[3] = {c.rgbBlue - npal[index].rgbBlue, c.rgbGreen - npal[index].rgbGreen,
                                  c.rgbRed - npal[index].rgbRed};
            if (error[0] == 0 && error[1] == 0 && error[2] == 0)
                continue;
            spread(x + 1, y, error, 7);
            spread(x - 1, y + 1, error, 2);
            spread(x, y + 1, error, 4);
            spread(x + 1, y + 1, error, 1);
        }
    }
    if (header.biBitCount == 1) {
        out.SetPaletteColor(0, 0, 0, 0);
        out.SetPaletteColor(1, 255, 255, 255);
    }
    return Transfer(out);
}

bool CPixImage::Dither(long method)
{
    if (!dib)
        return false;
    if (header.biBitCount == 1)
        return true;

    // The errors are stored in a grey copy: this image stays as it was until the result is in.
    CPixImage grey;
    if (!GrayInto(grey))
        return false;
    CPixImage out;
    out.CopyInfo(grey);
    if (!out.Create(GetWidth(), GetHeight(), 1, GetType())) {
        SetLastError(out.GetLastError());
        return false;
    }
    if (!CarryPlanes(out)) {
        SetLastError("CPixImage::Dither can't allocate memory");
        return false;
    }
    if (out.info.transIndex > 1)
        out.info.transIndex = -1; // a grey level past the two entries

    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const size_t stride = static_cast<size_t>(w) + 2 * kMargin;
    std::vector<BYTE> work;
    const bool ordered = method == 1 || method == 7;
    if (!ordered) {
        work.resize(stride * (static_cast<size_t>(h) + kMargin));
        for (long y = 0; y < h; ++y)
            std::memcpy(work.data() + static_cast<size_t>(y) * stride + kMargin,
                        grey.info.bits + static_cast<size_t>(y) * grey.info.effWidth, static_cast<size_t>(w));
    }

    static constexpr BYTE kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    static constexpr BYTE kThreshold[16] = {0, 192, 48, 240, 128, 64, 176, 112, 32, 224, 16, 208, 160, 96, 144, 80};
    for (long y = 0; y < h; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / h);
        if (info.escape)
            break;
        BYTE* outRow = out.info.bits + static_cast<size_t>(y) * out.info.effWidth;
        const BYTE* greyRow = grey.info.bits + static_cast<size_t>(y) * grey.info.effWidth;
        switch (method) {
        case 1:
            for (long x = 0; x < w; ++x) {
                const int level = greyRow[x] * 16 / 255;
                if (level == 16 || level % 16 > kBayer[y & 3][x & 3])
                    outRow[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
            }
            break;
        case 7:
            for (long x = 0; x < w; ++x)
                if (greyRow[x] > kThreshold[(x & 3) + 4 * (y & 3)])
                    outRow[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
            break;
        case 2: Diffuse(work, stride, w, y, kBurkes, 32, outRow); break;
        case 3: Diffuse(work, stride, w, y, kStucki, 42, outRow); break;
        case 4: Diffuse(work, stride, w, y, kJarvis, 48, outRow); break;
        case 5: Diffuse(work, stride, w, y, kSierra, 32, outRow); break;
        case 6: Diffuse(work, stride, w, y, kStevensonArce, 200, outRow); break;
        default: Diffuse(work, stride, w, y, kFloyd, 16, outRow); break;
        }
    }
    out.SetPaletteColor(0, 0, 0, 0);
    out.SetPaletteColor(1, 255, 255, 255);
    return Transfer(out);
}

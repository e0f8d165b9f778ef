// Block transfers as our own row conversion: nearest-neighbour sampling, the binary raster
// operations, and the colour rules between monochrome device bitmaps and colour ones.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiDC.h"

namespace {

struct BlitSource {
    PixelView view;
    bool monoDevice = false;
    uint32_t bk = 0; // the source DC's background colour: the colour that becomes 1 in a mono target
};

bool NeedsSource(DWORD rop) { return rop != BLACKNESS && rop != WHITENESS && rop != DSTINVERT; }

bool KnownRop(DWORD rop)
{
    switch (rop) {
    case SRCCOPY: case SRCPAINT: case SRCAND: case SRCINVERT: case NOTSRCCOPY:
    case DSTINVERT: case BLACKNESS: case WHITENESS:
        return true;
    default:
        return false;
    }
}

// Source values turned into the target's values: bits, palette indexes or 0x00RRGGBB colours.
class Converter {
public:
    Converter(const BlitSource& s, const GdiBitmap& dst, const GdiDC& dc) : src_(s), dst_(dst)
    {
        text_ = PixelOfColorref(dc.textColor);
        bk_ = PixelOfColorref(dc.bkColor);
    }
    uint32_t operator()(uint32_t v)
    {
        if (dst_.IsMonoDevice() && src_.monoDevice)
            return v;
        const uint32_t c = src_.monoDevice ? (v ? bk_ : text_) : (src_.view.Indexed() ? src_.view.ColorOf(v) : v);
        if (dst_.IsMonoDevice())
            return c == src_.bk ? 1u : 0u;
        if (dst_.bpp <= 8) {
            if (c != lastColor_ || !haveLast_) {
                lastColor_ = c;
                lastIndex_ = NearestIndex(dst_.colors, dst_.numColors, c);
                haveLast_ = true;
            }
            return lastIndex_;
        }
        return c;
    }

private:
    const BlitSource& src_;
    const GdiBitmap& dst_;
    uint32_t text_ = 0, bk_ = 0;
    uint32_t lastColor_ = 0, lastIndex_ = 0;
    bool haveLast_ = false;
};

// Applies rop to n source values s over target values d (in place in d).
void ApplyRop(DWORD rop, const GdiBitmap& dst, const uint32_t* s, uint32_t* d, int n)
{
    const uint32_t mask = dst.bpp <= 8 ? (1u << dst.bpp) - 1 : 0xFFFFFFu;
    auto fill = [&](uint32_t rgb) {
        const uint32_t v = dst.bpp <= 8 ? (dst.IsMonoDevice() ? (rgb ? 1u : 0u) : NearestIndex(dst.colors, dst.numColors, rgb)) : rgb;
        std::fill(d, d + n, v);
    };
    switch (rop) {
    case SRCCOPY: std::copy(s, s + n, d); break;
    case SRCAND: for (int i = 0; i < n; ++i) d[i] &= s[i]; break;
    case SRCPAINT: for (int i = 0; i < n; ++i) d[i] |= s[i]; break;
    case SRCINVERT: for (int i = 0; i < n; ++i) d[i] ^= s[i]; break;
    case NOTSRCCOPY: for (int i = 0; i < n; ++i) d[i] = ~s[i] & mask; break;
    case DSTINVERT: for (int i = 0; i < n; ++i) d[i] = ~d[i] & mask; break;
    case BLACKNESS: fill(0); break;
    case WHITENESS: fill(0xFFFFFF); break;
    default: break;
    }
}

// Maps target rectangle x, y, cx, cy (negative sizes mirror) onto source device rectangle
// xs, ys, cxs, cys; pixels whose source lies outside the source stay as they are.
BOOL Transfer(GdiDC& dc, int x, int y, int cx, int cy, const BlitSource* src, int xs, int ys, int cxs, int cys, DWORD rop)
{
    if (!KnownRop(rop) || !dc.bitmap || (NeedsSource(rop) && !src))
        return FALSE;
    bool flipX = false, flipY = false;
    int64_t X = x, Y = y, W = cx, H = cy, XS = xs, YS = ys, WS = cxs, HS = cys;
    if (W < 0) { X += W; W = -W; flipX = !flipX; }
    if (H < 0) { Y += H; H = -H; flipY = !flipY; }
    if (WS < 0) { XS += WS; WS = -WS; flipX = !flipX; }
    if (HS < 0) { YS += HS; HS = -HS; flipY = !flipY; }
    if (W == 0 || H == 0 || (src && (WS == 0 || HS == 0)))
        return TRUE;
    GdiBitmap& dst = *dc.bitmap;
    const GdiRegion visible = dc.Visible();
    const RECT vbox = visible.Box();
    const int64_t x0 = std::max<int64_t>(X, vbox.left), x1 = std::min<int64_t>(X + W, vbox.right);
    const int64_t y0 = std::max<int64_t>(Y, vbox.top), y1 = std::min<int64_t>(Y + H, vbox.bottom);
    if (x0 >= x1 || y0 >= y1)
        return TRUE;

    // Source column of every visible target column, -1 outside the source.
    std::vector<int> column(static_cast<size_t>(x1 - x0), -1);
    if (src) {
        for (int64_t tx = x0; tx < x1; ++tx) {
            int64_t d = tx - X;
            if (flipX)
                d = W - 1 - d;
            const int64_t sx = XS + (2 * d + 1) * WS / (2 * W);
            if (sx >= 0 && sx < src->view.width)
                column[static_cast<size_t>(tx - x0)] = static_cast<int>(sx);
        }
    }
    static const BlitSource none;
    Converter convert(src ? *src : none, dst, dc);
    const PixelView dview = dst.View();
    std::vector<uint32_t> srcRow(src ? static_cast<size_t>(src->view.width) : 0), converted(srcRow.size());
    std::vector<uint32_t> s(static_cast<size_t>(x1 - x0)), d(s.size());
    int64_t loadedRow = -1;
    for (int64_t ty = y0; ty < y1; ++ty) {
        int64_t sy = -1;
        if (src) {
            int64_t e = ty - Y;
            if (flipY)
                e = H - 1 - e;
            sy = YS + (2 * e + 1) * HS / (2 * H);
            if (sy < 0 || sy >= src->view.height)
                continue;
            if (sy != loadedRow) {
                ReadPixelRow(src->view, src->view.DeviceRow(static_cast<int>(sy)), 0, src->view.width, srcRow.data());
                for (size_t i = 0; i < srcRow.size(); ++i)
                    converted[i] = convert(srcRow[i]);
                loadedRow = sy;
            }
        }
        BYTE* row = dst.DeviceRow(static_cast<int>(ty));
        dc.ForVisibleRuns(visible, static_cast<int>(ty), static_cast<int>(x0), static_cast<int>(x1), [&](int a, int b) {
            const int n = b - a;
            uint32_t* dv = d.data();
            ReadPixelRow(dview, row, a, n, dv);
            uint32_t* sv = s.data();
            bool whole = true;
            for (int i = 0; i < n && src; ++i) {
                const int sx = column[static_cast<size_t>(a - x0 + i)];
                whole = whole && sx >= 0;
                sv[i] = sx >= 0 ? converted[static_cast<size_t>(sx)] : 0;
            }
            if (whole) {
                ApplyRop(rop, dst, sv, dv, n);
                WritePixelRow(row, dst.bpp, a, n, dv);
                return;
            }
            for (int i = 0; i < n; ++i) { // pixels without a source are left alone
                if (column[static_cast<size_t>(a - x0 + i)] < 0)
                    continue;
                ApplyRop(rop, dst, sv + i, dv + i, 1);
                WritePixelRow(row, dst.bpp, a + i, 1, dv + i);
            }
        });
    }
    return TRUE;
}

BlitSource SourceOf(const GdiDC& dc)
{
    BlitSource s;
    s.view = dc.bitmap->View();
    s.monoDevice = dc.bitmap->IsMonoDevice();
    s.bk = PixelOfColorref(dc.bkColor);
    return s;
}

} // namespace

BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int xSrc, int ySrc, int cxSrc, int cySrc, DWORD rop)
{
    if (!dst || (NeedsSource(rop) && (!src || !src->bitmap)))
        return FALSE;
    if (!NeedsSource(rop))
        return Transfer(*dst, x, y, cx, cy, nullptr, 0, 0, 0, 0, rop);
    const BlitSource s = SourceOf(*src);
    return Transfer(*dst, x, y, cx, cy, &s, xSrc, ySrc, cxSrc, cySrc, rop);
}

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int xSrc, int ySrc, DWORD rop)
{
    return StretchBlt(dst, x, y, cx, cy, src, xSrc, ySrc, cx, cy, rop);
}

int StretchDIBits(HDC dst, int x, int y, int cx, int cy, int xSrc, int ySrc, int cxSrc, int cySrc,
                  const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop)
{
    BlitSource s;
    if (!dst || usage != DIB_RGB_COLORS || !ViewOfDib(bmi, bits, s.view))
        return 0;
    // A bottom-up DIB counts source rows from its bottom.
    const int64_t top = s.view.topDown ? ySrc : int64_t{s.view.height} - ySrc - cySrc;
    if (top < INT32_MIN || top > INT32_MAX)
        return 0;
    if (!Transfer(*dst, x, y, cx, cy, &s, xSrc, static_cast<int>(top), cxSrc, cySrc, rop))
        return 0;
    return s.view.height;
}

int SetDIBitsToDevice(HDC dst, int x, int y, DWORD cx, DWORD cy, int xSrc, int ySrc, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* bmi, UINT usage)
{
    // Only whole DIBs are served: the rows given are all of the DIB's rows.
    if (!bmi || startScan != 0 || cx > INT32_MAX || cy > INT32_MAX)
        return 0;
    const LONG h = bmi->bmiHeader.biHeight;
    if (h == INT32_MIN || scanLines < static_cast<UINT>(h < 0 ? -h : h))
        return 0;
    return StretchDIBits(dst, x, y, static_cast<int>(cx), static_cast<int>(cy), xSrc, ySrc, static_cast<int>(cx),
                         static_cast<int>(cy), bits, bmi, usage, SRCCOPY);
}

int GetDIBits(HDC, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT usage)
{
    if (!bmp || !bmi || usage != DIB_RGB_COLORS)
        return 0;
    BITMAPINFOHEADER& h = bmi->bmiHeader;
    if (!bits) { // header only
        h.biWidth = bmp->width;
        h.biHeight = bmp->height;
        h.biPlanes = 1;
        if (h.biBitCount == 0)
            h.biBitCount = static_cast<WORD>(bmp->bpp);
        h.biCompression = BI_RGB;
        h.biSizeImage = static_cast<DWORD>(DibStride(bmp->width, h.biBitCount) * static_cast<uint64_t>(bmp->height));
        return bmp->height;
    }
    const int bpp = h.biBitCount;
    if (h.biWidth != bmp->width || (h.biHeight != bmp->height && h.biHeight != -bmp->height) || h.biCompression != BI_RGB)
        return 0;
    if (bpp != 24 && bpp != 32 && !(bpp <= 8 && bmp->bpp <= bpp)) // no colour reduction
        return 0;
    if (bpp <= 8) {
        std::copy(bmp->colors, bmp->colors + bmp->numColors, bmi->bmiColors);
        h.biClrUsed = static_cast<DWORD>(bmp->numColors);
    }
    const PixelView from = bmp->View();
    const size_t stride = static_cast<size_t>(DibStride(bmp->width, bpp));
    std::vector<uint32_t> row(static_cast<size_t>(bmp->width));
    const uint64_t end = std::min<uint64_t>(uint64_t{start} + lines, static_cast<uint64_t>(bmp->height));
    int copied = 0;
    for (uint64_t r = start; r < end; ++r, ++copied) { // r counts up from the bottom row
        const int deviceY = bmp->height - 1 - static_cast<int>(r);
        ReadPixelRow(from, from.DeviceRow(deviceY), 0, bmp->width, row.data());
        if (bpp > 8 && from.Indexed())
            for (uint32_t& v : row)
                v = from.ColorOf(v);
        const size_t outRow = h.biHeight < 0 ? static_cast<size_t>(deviceY) : static_cast<size_t>(r - start);
        WritePixelRow(static_cast<BYTE*>(bits) + outRow * stride, bpp, 0, bmp->width, row.data());
    }
    return copied;
}

int SetDIBits(HDC, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage)
{
    PixelView from;
    if (!bmp || usage != DIB_RGB_COLORS || !ViewOfDib(bmi, bits, from) || from.width != bmp->width)
        return 0;
    std::vector<uint32_t> row(static_cast<size_t>(bmp->width));
    const uint64_t end = std::min<uint64_t>({uint64_t{start} + lines, static_cast<uint64_t>(bmp->height),
                                             static_cast<uint64_t>(from.height)});
    int copied = 0;
    for (uint64_t r = start; r < end; ++r, ++copied) {
        const int deviceY = bmp->height - 1 - static_cast<int>(r);
        ReadPixelRow(from, from.DeviceRow(from.height - 1 - static_cast<int>(r)), 0, from.width, row.data());
        for (uint32_t& v : row) {
            const uint32_t c = from.Indexed() ? from.ColorOf(v) : v;
            v = bmp->bpp <= 8 ? NearestIndex(bmp->colors, bmp->numColors, c) : c;
        }
        WritePixelRow(bmp->DeviceRow(deviceY), bmp->bpp, 0, bmp->width, row.data());
    }
    return copied;
}

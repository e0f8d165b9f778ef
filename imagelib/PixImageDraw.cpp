// Putting the image on a device context, and burning text into it through the DC layer.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "imagelib/PixImage.h"
#include "platform/gdi/Gdi.h"

namespace {

// The header and palette of an image as the DC layer reads a DIB.
BITMAPINFO InfoOf(const BITMAPINFOHEADER& header, const RGBQUAD* palette)
{
    BITMAPINFO bmi{};
    bmi.bmiHeader = header;
    if (palette && header.biClrUsed)
        std::copy(palette, palette + std::min<DWORD>(header.biClrUsed, 256), bmi.bmiColors);
    return bmi;
}

BITMAPINFO Info24(long width, long height)
{
    BITMAPINFO bmi{};
    bmi.bmiHeader.biWidth = static_cast<LONG>(width);
    bmi.bmiHeader.biHeight = static_cast<LONG>(height);
    bmi.bmiHeader.biBitCount = 24;
    return bmi;
}

size_t Stride24(long width) { return ((static_cast<size_t>(width) * 3 + 3) / 4) * 4; }

// Face names are cut at 31 bytes, on a UTF-8 character boundary.
void CopyFaceName(char (&dst)[LF_FACESIZE], const char* src)
{
    std::memset(dst, 0, sizeof dst);
    if (!src)
        return;
    size_t n = strnlen(src, LF_FACESIZE - 1);
    if (n == LF_FACESIZE - 1)
        while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80)
            --n; // src[n] continues a character: cut before that character starts
    std::memcpy(dst, src, n);
}

// A memory DC with a font, for measuring and drawing white-on-black text masks.
class TextDC {
public:
    TextDC(HDC ref, const LOGFONT& lf) : dc_(CreateCompatibleDC(ref)), font_(CreateFontIndirect(&lf))
    {
        if (dc_)
            oldFont_ = font_ ? SelectObject(dc_, font_) : SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
    }
    ~TextDC()
    {
        if (dc_) {
            SelectObject(dc_, oldFont_);
            DeleteDC(dc_);
        }
        if (font_)
            DeleteObject(font_);
    }
    TextDC(const TextDC&) = delete;
    TextDC& operator=(const TextDC&) = delete;

    bool Ok() const { return dc_ != nullptr; }
    RECT Measure(const std::string& text, UINT format) const
    {
        RECT r{0, 0, 0, 0};
        DrawText(dc_, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
        return r;
    }
    // Lit pixels of the text laid out in rc, over area only (both in top-down picture
    // coordinates); rows top-down.
    std::vector<BYTE> Render(const std::string& text, RECT rc, UINT format, const RECT& area) const
    {
        const long w = area.right - area.left, h = area.bottom - area.top;
        std::vector<BYTE> lit;
        BITMAPINFO bmi = Info24(w, -h);
        void* bits = nullptr;
        HBITMAP section = CreateDIBSection(dc_, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!section)
            return lit;
        HGDIOBJ old = SelectObject(dc_, section);
        SetTextColor(dc_, RGB(255, 255, 255));
        SetBkColor(dc_, RGB(0, 0, 0));
        SetBkMode(dc_, OPAQUE);
        rc.left -= area.left;
        rc.right -= area.left;
        rc.top -= area.top;
        rc.bottom -= area.top;
        DrawText(dc_, text.c_str(), static_cast<int>(text.size()), &rc, format);
        lit.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        const size_t stride = Stride24(w);
        for (long y = 0; y < h; ++y)
            for (long x = 0; x < w; ++x)
                lit[static_cast<size_t>(y) * w + x] = static_cast<const BYTE*>(bits)[y * stride + 3 * x] != 0;
        SelectObject(dc_, old);
        DeleteObject(section);
        return lit;
    }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ oldFont_ = nullptr;
};

// The part of l, t, r, b (64-bit, exclusive ends) inside a w x h picture; empty when right <= left.
RECT OnPicture(int64_t l, int64_t t, int64_t r, int64_t b, int64_t w, int64_t h)
{
    RECT a;
    a.left = static_cast<LONG>(std::clamp<int64_t>(l, 0, w));
    a.top = static_cast<LONG>(std::clamp<int64_t>(t, 0, h));
    a.right = static_cast<LONG>(std::clamp<int64_t>(r, 0, w));
    a.bottom = static_cast<LONG>(std::clamp<int64_t>(b, 0, h));
    if (a.right <= a.left || a.bottom <= a.top)
        a.right = a.left;
    return a;
}

constexpr int kMaxFontHeight = GDI_MAX_FONT_PIXELS;

// Sets the lit pixels of a text mask over area (top-down picture coordinates) to c.
void PaintLit(CPixImage& img, const std::vector<BYTE>& lit, const RECT& area, RGBQUAD c, bool setAlpha)
{
    const long aw = area.right - area.left, h = static_cast<long>(img.GetHeight());
    for (size_t i = 0; i < lit.size(); ++i)
        if (lit[i])
            img.SetPixelColor(area.left + static_cast<long>(i % aw), h - 1 - (area.top + static_cast<long>(i / aw)), c, setAlpha);
}

// Refusals shared by the draws, and negative sizes as the picture's own; false: nothing to draw.
bool DrawSize(bool drawable, HDC hdc, DWORD width, DWORD height, long& cx, long& cy)
{
    if (!drawable || !hdc || cx == 0 || cy == 0)
        return false;
    if (cx < 0)
        cx = static_cast<long>(width);
    if (cy < 0)
        cy = static_cast<long>(height);
    return true;
}

} // namespace

long CPixImage::Draw(HDC hdc, const RECT& rect, RECT* pClipRect, bool bSmooth)
{
    return Draw(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, pClipRect, bSmooth);
}

long CPixImage::Draw(HDC hdc, long x, long y, long cx, long cy, RECT* pClipRect, bool bSmooth)
{
    if (!DrawSize(dib != nullptr && info.enabled, hdc, GetWidth(), GetHeight(), cx, cy))
        return 0;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());

    // The caller's clip comes back as it was, whatever it held.
    HRGN saved = nullptr;
    bool hadClip = false;
    if (pClipRect) {
        saved = CreateRectRgn(0, 0, 0, 0);
        hadClip = GetClipRgn(hdc, saved) == 1;
        IntersectClipRect(hdc, pClipRect->left, pClipRect->top, pClipRect->right, pClipRect->bottom);
    }
    auto restore = [&] {
        if (pClipRect) {
            SelectClipRgn(hdc, hadClip ? saved : nullptr);
            DeleteObject(saved);
        }
    };
    RECT clip;
    GetClipBox(hdc, &clip);
    const RECT paint = OnPicture(std::max<int64_t>(clip.left, x), std::max<int64_t>(clip.top, y),
                                 std::min<int64_t>(clip.right, int64_t{x} + cx), std::min<int64_t>(clip.bottom, int64_t{y} + cy),
                                 INT32_MAX, INT32_MAX);
    if (paint.right <= paint.left) {
        restore();
        return 1;
    }
    const long pw = paint.right - paint.left, ph = paint.bottom - paint.top;

    RGBQUAD pal[256]{};
    if (header.biClrUsed)
        std::copy(GetPalette(), GetPalette() + std::min<DWORD>(header.biClrUsed, 256), pal);
    BITMAPINFO mine = InfoOf(header, pal);
    const bool plain = info.transIndex < 0 && !alpha && !info.alphaPaletteEnabled;
    if (plain && cx == w && cy == h) {
        SetDIBitsToDevice(hdc, x, y, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0, static_cast<UINT>(h), info.bits,
                          &mine, DIB_RGB_COLORS);
        restore();
        return 1;
    }

    // Source column and row (from the bottom) of each painted column and row.
    const bool same = cx == w && cy == h;
    std::vector<long> srcX(static_cast<size_t>(pw)), srcY(static_cast<size_t>(ph));
    for (long i = 0; i < pw; ++i) {
        const int64_t d = int64_t{paint.left} + i - x;
        srcX[static_cast<size_t>(i)] = static_cast<long>(std::clamp<int64_t>(same ? d : d * w / cx, 0, w - 1));
    }
    for (long j = 0; j < ph; ++j) {
        const int64_t d = int64_t{paint.top} + j - y;
        srcY[static_cast<size_t>(j)] = static_cast<long>(std::clamp<int64_t>(h - 1 - (same ? d : d * h / cy), 0, h - 1));
    }
    const WORD bpp = header.biBitCount;
    auto indexAt = [&](const BYTE* row, long sx) -> BYTE {
        switch (bpp) {
        case 8: return row[sx];
        case 4: return (sx & 1) ? (row[sx >> 1] & 15) : (row[sx >> 1] >> 4);
        default: return (row[sx >> 3] >> (7 - (sx & 7))) & 1;
        }
    };
    // A 1:1 copy is never smoothed. The index is the sampled pixel's also when the colour is
    // smoothed: transparency and palette alpha go by it.
    const bool smooth = bSmooth && !same;
    auto colorAt = [&](long sx, long sy, BYTE& index) -> RGBQUAD {
        const BYTE* row = info.bits + static_cast<size_t>(sy) * info.effWidth;
        if (bpp != 24)
            index = indexAt(row, sx);
        if (smooth)
            return GetPixelColorInterpolated(static_cast<float>(sx) - 0.5f, static_cast<float>(sy) - 0.5f,
                                             IM_BILINEAR, OM_BACKGROUND);
        if (bpp == 24) {
            RGBQUAD c;
            c.rgbBlue = row[3 * sx];
            c.rgbGreen = row[3 * sx + 1];
            c.rgbRed = row[3 * sx + 2];
            return c;
        }
        return pal[index];
    };

    BITMAPINFO out = Info24(pw, ph);
    const size_t stride = Stride24(pw);
    std::vector<BYTE> buf;
    HDC memDC = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ oldBmp = nullptr;
    BYTE* bits = nullptr;
    if (plain) {
        buf.resize(stride * static_cast<size_t>(ph));
        bits = buf.data();
    } else { // what is under the picture, to blend into
        memDC = CreateCompatibleDC(hdc);
        void* sbits = nullptr;
        section = CreateDIBSection(memDC, &out, DIB_RGB_COLORS, &sbits, nullptr, 0);
        if (!memDC || !section) {
            if (section)
                DeleteObject(section);
            DeleteDC(memDC);
            restore();
            return 0;
        }
        oldBmp = SelectObject(memDC, section);
        BitBlt(memDC, 0, 0, pw, ph, hdc, paint.left, paint.top, SRCCOPY);
        bits = static_cast<BYTE*>(sbits);
    }
    const bool indexed = header.biClrUsed != 0;
    const RGBQUAD key = info.transColor;
    for (long j = 0; j < ph; ++j) {
        BYTE* d = bits + static_cast<size_t>(ph - 1 - j) * stride;
        const long sy = srcY[static_cast<size_t>(j)];
        for (long i = 0; i < pw; ++i, d += 3) {
            const long sx = srcX[static_cast<size_t>(i)];
            BYTE index = 0;
            const RGBQUAD c = colorAt(sx, sy, index);
            if (plain) {
                d[0] = c.rgbBlue;
                d[1] = c.rgbGreen;
                d[2] = c.rgbRed;
                continue;
            }
            if (info.transIndex >= 0) {
                if (indexed ? index == info.transIndex
                            : (c.rgbRed == key.rgbRed && c.rgbGreen == key.rgbGreen && c.rgbBlue == key.rgbBlue))
                    continue;
            }
            long a = ((info.alphaMax + 1L) * (alpha ? BlindAlphaGet(sx, sy) : 255)) >> 8;
            if (indexed && info.alphaPaletteEnabled)
                a = ((GetPaletteColor(index).rgbReserved + 1L) * a) >> 8;
            if (a == 0)
                continue;
            if (a >= 255) {
                d[0] = c.rgbBlue;
                d[1] = c.rgbGreen;
                d[2] = c.rgbRed;
                continue;
            }
            d[0] = static_cast<BYTE>((d[0] * (255 - a) + c.rgbBlue * a) >> 8);
            d[1] = static_cast<BYTE>((d[1] * (255 - a) + c.rgbGreen * a) >> 8);
            d[2] = static_cast<BYTE>((d[2] * (255 - a) + c.rgbRed * a) >> 8);
        }
    }
    SetDIBitsToDevice(hdc, paint.left, paint.top, static_cast<DWORD>(pw), static_cast<DWORD>(ph), 0, 0, 0,
                      static_cast<UINT>(ph), bits, &out, DIB_RGB_COLORS);
    if (memDC) {
        SelectObject(memDC, oldBmp);
        DeleteObject(section);
        DeleteDC(memDC);
    }
    restore();
    return 1;
}

long CPixImage::Draw2(HDC hdc, const RECT& rect)
{
    return Draw2(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

long CPixImage::Draw2(HDC hdc, long x, long y, long cx, long cy)
{
    if (!DrawSize(dib != nullptr && info.enabled, hdc, GetWidth(), GetHeight(), cx, cy))
        return 0;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    BITMAPINFO mine = InfoOf(header, GetPalette());
    if (info.transIndex < 0) {
        SetStretchBltMode(hdc, COLORONCOLOR);
        StretchDIBits(hdc, x, y, cx, cy, 0, 0, w, h, info.bits, &mine, DIB_RGB_COLORS, SRCCOPY);
        return 1;
    }
    const RECT target{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + cx), static_cast<LONG>(y + cy)};
    if (!RectVisible(hdc, &target))
        return 1;
    // The picture, and a mask that is 1 where it shows the key colour: XOR, AND, XOR leaves the
    // target alone under the key colour and shows the picture elsewhere.
    HDC imageDC = CreateCompatibleDC(hdc), maskDC = CreateCompatibleDC(hdc);
    HBITMAP image = CreateCompatibleBitmap(hdc, w, h), mask = CreateBitmap(w, h, 1, 1, nullptr);
    long drawn = 0;
    if (imageDC && maskDC && image && mask) {
        HGDIOBJ oldImage = SelectObject(imageDC, image), oldMask = SelectObject(maskDC, mask);
        SetStretchBltMode(imageDC, COLORONCOLOR);
        StretchDIBits(imageDC, 0, 0, w, h, 0, 0, w, h, info.bits, &mine, DIB_RGB_COLORS, SRCCOPY);
        const RGBQUAD key = header.biBitCount < 24 ? GetPaletteColor(static_cast<BYTE>(info.transIndex)) : info.transColor;
        SetBkColor(imageDC, RGB(key.rgbRed, key.rgbGreen, key.rgbBlue));
        BitBlt(maskDC, 0, 0, w, h, imageDC, 0, 0, SRCCOPY);
        StretchBlt(hdc, x, y, cx, cy, imageDC, 0, 0, w, h, SRCINVERT);
        StretchBlt(hdc, x, y, cx, cy, maskDC, 0, 0, w, h, SRCAND);
        StretchBlt(hdc, x, y, cx, cy, imageDC, 0, 0, w, h, SRCINVERT);
        SelectObject(imageDC, oldImage);
        SelectObject(maskDC, oldMask);
        drawn = 1;
    }
    if (image)
        DeleteObject(image);
    if (mask)
        DeleteObject(mask);
    DeleteDC(imageDC);
    DeleteDC(maskDC);
    return drawn;
}

long CPixImage::Stretch(HDC hdc, const RECT& rect, DWORD dwRop)
{
    return Stretch(hdc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, dwRop);
}

long CPixImage::Stretch(HDC hdc, long xoffset, long yoffset, long xsize, long ysize, DWORD dwRop)
{
    if (!dib || !hdc)
        return 0;
    BITMAPINFO mine = InfoOf(header, GetPalette());
    SetStretchBltMode(hdc, COLORONCOLOR);
    // A raster operation the layer refuses is a failure, not a drawing.
    return StretchDIBits(hdc, xoffset, yoffset, xsize, ysize, 0, 0, static_cast<int>(GetWidth()), static_cast<int>(GetHeight()),
                         info.bits, &mine, DIB_RGB_COLORS, dwRop) != 0 ? 1 : 0;
}

long CPixImage::Tile(HDC hdc, RECT* rc)
{
    if (!dib || !hdc || !rc)
        return 0;
    const int64_t w = GetWidth(), h = GetHeight();
    RECT clip;
    GetClipBox(hdc, &clip);
    // Only the copies that meet the clip box are drawn.
    const int64_t right = std::min<int64_t>(rc->right, clip.right), bottom = std::min<int64_t>(rc->bottom, clip.bottom);
    const int64_t firstX = std::max<int64_t>(0, (int64_t{clip.left} - rc->left) / w) * w;
    const int64_t firstY = std::max<int64_t>(0, (int64_t{clip.top} - rc->top) / h) * h;
    for (int64_t oy = firstY; rc->top + oy < bottom; oy += h) {
        for (int64_t ox = firstX; rc->left + ox < right; ox += w) {
            RECT part;
            part.left = static_cast<LONG>(rc->left + ox);
            part.top = static_cast<LONG>(rc->top + oy);
            part.right = static_cast<LONG>(std::min<int64_t>(rc->left + ox + w, rc->right));
            part.bottom = static_cast<LONG>(std::min<int64_t>(rc->top + oy + h, rc->bottom));
            Draw(hdc, part.left, part.top, -1, -1, &part);
        }
    }
    return 1;
}

long CPixImage::DrawString(HDC hdc, long x, long y, const char* text, RGBQUAD color, const char* font, long lSize,
                           long lWeight, BYTE bItalic, BYTE bUnderline, bool bSetAlpha)
{
    if (!dib || !text)
        return 1;
    LOGFONT lf{};
    CopyFaceName(lf.lfFaceName, font);
    lf.lfHeight = static_cast<LONG>(std::clamp<long>(lSize, -kMaxFontHeight, kMaxFontHeight));
    lf.lfWeight = static_cast<LONG>(std::clamp<long>(lWeight, 0, 1000));
    lf.lfItalic = bItalic;
    lf.lfUnderline = bUnderline;
    TextDC tdc(hdc, lf);
    if (!tdc.Ok())
        return 1;
    const std::string s(text);
    const RECT m = tdc.Measure(s, 0);
    // The text box: its bottom-left corner at (x, y) top-down, one height of room for italics;
    // only the part on the picture is drawn.
    const int64_t tw = m.right, th = m.bottom;
    const int64_t w = GetWidth(), h = GetHeight();
    const RECT area = OnPicture(x, int64_t{y} - th + 1, int64_t{x} + tw + th, int64_t{y} + 1, w, h);
    if (area.right <= area.left)
        return 1;
    RECT rc;
    rc.left = static_cast<LONG>(std::clamp<int64_t>(x, INT32_MIN / 2, INT32_MAX / 2));
    rc.top = static_cast<LONG>(std::clamp<int64_t>(int64_t{y} - th + 1, INT32_MIN / 2, INT32_MAX / 2));
    rc.right = rc.left + static_cast<LONG>(tw);
    rc.bottom = rc.top + static_cast<LONG>(th);
    const std::vector<BYTE> lit = tdc.Render(s, rc, 0, area);
    PaintLit(*this, lit, area, color, bSetAlpha);
    return 1;
}

void CPixImage::InitTextInfo(tagPixTextInfo* txt)
{
    if (!txt)
        return;
    *txt = tagPixTextInfo{};
    std::strcpy(txt->text, "Sample Text 01234");
    txt->font.lfHeight = -36;
    txt->font.lfWeight = 400;
    txt->font.lfCharSet = 238;
    txt->font.lfQuality = 2;
    std::strcpy(txt->font.lfFaceName, "Arial");
    txt->textColor = RGB(255, 255, 160);
    txt->align = 1;
    txt->box = true;
    txt->boxColor = RGB(32, 96, 0);
    txt->boxOpacity = 0;
    txt->spare = 0;
    txt->roundness = 20;
}

long CPixImage::DrawStringEx(HDC hdc, long x, long y, tagPixTextInfo* pTextType, bool bSetAlpha)
{
    if (!dib || !pTextType)
        return -1;
    tagPixTextInfo& t = *pTextType;
    if (t.align < 0 || t.align > 2)
        t.align = 1;
    if (t.roundness > 50)
        t.roundness = 10;
    if (!(t.boxOpacity >= 0 && t.boxOpacity <= 1)) // also NaN
        t.boxOpacity = 0;

    const std::string s(t.text, strnlen(t.text, sizeof t.text));
    LOGFONT lf = t.font;
    char face[LF_FACESIZE];
    std::memcpy(face, lf.lfFaceName, sizeof face);
    face[LF_FACESIZE - 1] = 0;
    CopyFaceName(lf.lfFaceName, face);
    lf.lfHeight = std::clamp<LONG>(lf.lfHeight, -kMaxFontHeight, kMaxFontHeight);
    TextDC tdc(hdc, lf);
    if (!tdc.Ok())
        return 1;
    const RECT m = tdc.Measure(s, DT_NOPREFIX);
    int64_t width = m.right, height = m.bottom;
    int64_t lines = 1;
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == '\r' || (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')))
            ++lines;
    if (lf.lfItalic)
        width += height / 2 / lines;
    int64_t r = 0, margin = 0;
    if (t.box) {
        const int64_t h1 = height / lines;
        r = t.roundness * h1 / 100;
        margin = static_cast<int64_t>(static_cast<double>(r) * 0.29289);
        width += h1 / 3;
    }
    const int64_t bw = width + 2 * margin, bh = height + 2 * margin;
    int64_t left = t.align == 0 ? x : t.align == 1 ? x - width / 2 : x - width;
    left = std::max<int64_t>(left, 0);
    const int64_t w = GetWidth(), h = GetHeight();
    // The box in top-down picture coordinates: its bottom row is y.
    const int64_t boxTop = int64_t{y} - bh + 1;
    const RECT area = OnPicture(left, boxTop, left + bw, int64_t{y} + 1, w, h);
    if (area.right <= area.left)
        return 1;

    if (t.box) {
        const RGBQUAD back{GetBValue(t.boxColor), GetGValue(t.boxColor), GetRValue(t.boxColor), 255};
        const bool blend = t.boxOpacity > 0 && t.boxOpacity < 1;
        for (long py = area.top; py < area.bottom; ++py) {
            const int64_t j = y - py; // rows up from the box's bottom
            const int64_t edge = std::min(j, bh - 1 - j);
            for (long px = area.left; px < area.right; ++px) {
                const int64_t i = px - left;
                if (i < r || i >= bw - r) { // rounded corners
                    const double d = static_cast<double>(i < r ? r - i : i - (bw - 1 - r));
                    const double inset = static_cast<double>(r) + 0.5 - std::sqrt(std::max(0.0, static_cast<double>(r * r) - d * d));
                    if (static_cast<double>(edge) < inset)
                        continue;
                }
                const long by = static_cast<long>(h - 1 - py);
                RGBQUAD c = back;
                if (blend) {
                    const RGBQUAD p = GetPixelColor(px, by, false);
                    const float o = t.boxOpacity;
                    c.rgbRed = static_cast<BYTE>(p.rgbRed * o + back.rgbRed * (1 - o));
                    c.rgbGreen = static_cast<BYTE>(p.rgbGreen * o + back.rgbGreen * (1 - o));
                    c.rgbBlue = static_cast<BYTE>(p.rgbBlue * o + back.rgbBlue * (1 - o));
                }
                SetPixelColor(px, by, c, bSetAlpha);
            }
        }
    }
    RECT rc;
    rc.left = static_cast<LONG>(left + margin);
    rc.top = static_cast<LONG>(std::clamp<int64_t>(boxTop + margin, INT32_MIN / 2, INT32_MAX / 2));
    rc.right = static_cast<LONG>(std::min<int64_t>(left + margin + width, INT32_MAX / 2));
    rc.bottom = static_cast<LONG>(rc.top + height);
    const UINT align = t.align == 0 ? DT_LEFT : t.align == 1 ? DT_CENTER : DT_RIGHT;
    const std::vector<BYTE> lit = tdc.Render(s, rc, align | DT_NOPREFIX, area);
    const RGBQUAD fore{GetBValue(t.textColor), GetGValue(t.textColor), GetRValue(t.textColor), 255};
    PaintLit(*this, lit, area, fore, bSetAlpha);
    return 1;
}

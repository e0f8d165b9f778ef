#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "../support/GdiCanvas.h"

namespace {

// A bottom-up 24-bit DIB of w x h, pixel (x, row from the top) = colour(x, y).
struct Dib24 {
    BITMAPINFO bmi{};
    std::vector<BYTE> bits;
    Dib24(int w, int h, COLORREF (*colour)(int, int)) {
        bmi.bmiHeader.biWidth = w;
        bmi.bmiHeader.biHeight = h;
        bmi.bmiHeader.biBitCount = 24;
        const size_t stride = ((static_cast<size_t>(w) * 3 + 3) / 4) * 4;
        bits.assign(stride * h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                BYTE* p = &bits[(h - 1 - y) * stride + 3 * x];
                const COLORREF c = colour(x, y);
                p[0] = GetBValue(c);
                p[1] = GetGValue(c);
                p[2] = GetRValue(c);
            }
    }
    int Draw(HDC dc, int x, int y, int cx, int cy, int xs, int ys, int cxs, int cys) const {
        return StretchDIBits(dc, x, y, cx, cy, xs, ys, cxs, cys, bits.data(), &bmi, DIB_RGB_COLORS, SRCCOPY);
    }
};

// Checks a table of canvas pixels: x, y, colour.
void ExpectAt(GdiCanvas& c, std::initializer_list<std::tuple<int, int, COLORREF>> pixels) {
    for (const auto& [x, y, colour] : pixels) EXPECT_EQ(c.At(x, y), colour) << x << "," << y;
}

COLORREF Ramp(int x, int y) { return RGB(static_cast<BYTE>(x * 10), static_cast<BYTE>(y * 10), 7); }

} // namespace

TEST(GdiBlit, RasterOperationsOnColours) {
    const COLORREF src = RGB(0xF0, 0x0F, 0x55), dst = RGB(0x3C, 0x3C, 0x0F);
    struct Case {
        DWORD rop;
        COLORREF want;
    } cases[] = {
        {SRCCOPY, src},
        {SRCAND, RGB(0x30, 0x0C, 0x05)},
        {SRCPAINT, RGB(0xFC, 0x3F, 0x5F)},
        {SRCINVERT, RGB(0xCC, 0x33, 0x5A)},
        {NOTSRCCOPY, RGB(0x0F, 0xF0, 0xAA)},
        {DSTINVERT, RGB(0xC3, 0xC3, 0xF0)},
        {BLACKNESS, RGB(0, 0, 0)},
        {WHITENESS, RGB(255, 255, 255)},
    };
    GdiCanvas from(2, 2, src);
    for (const Case& c : cases) {
        GdiCanvas to(2, 2, dst);
        EXPECT_TRUE(BitBlt(to.dc(), 0, 0, 2, 2, from.dc(), 0, 0, c.rop)) << std::hex << c.rop;
        EXPECT_EQ(to.At(1, 1), c.want) << std::hex << c.rop;
    }
    GdiCanvas to(2, 2, dst);
    EXPECT_FALSE(BitBlt(to.dc(), 0, 0, 2, 2, from.dc(), 0, 0, 0x00AA0029)); // a ternary code
    EXPECT_EQ(to.At(0, 0), dst);
}

// Target pixel t of a stretch samples the source at the centre of its cell:
// source = start + floor((2t + 1) * sourceSize / (2 * targetSize)).
TEST(GdiBlit, StretchSamplesCellCentresAndCountsDibRowsFromTheBottom) {
    Dib24 dib(5, 5, Ramp);
    struct Case {
        int cx, cy, xs, ys, cxs, cys; // onto (0, 0, cx, cy)
    };
    for (const Case& k : {Case{8, 8, 0, 0, 5, 5}, Case{3, 2, 0, 0, 5, 5}, Case{7, 3, 1, 0, 3, 4}}) {
        GdiCanvas c(8, 8);
        ASSERT_EQ(SetStretchBltMode(c.dc(), COLORONCOLOR), BLACKONWHITE);
        EXPECT_EQ(dib.Draw(c.dc(), 0, 0, k.cx, k.cy, k.xs, k.ys, k.cxs, k.cys), 5); // the DIB's rows
        for (int y = 0; y < k.cy; ++y)
            for (int x = 0; x < k.cx; ++x) {
                const int sx = k.xs + (2 * x + 1) * k.cxs / (2 * k.cx);
                // source rows of a bottom-up DIB count from its bottom row
                const int sy = 5 - (k.ys + k.cys) + (2 * y + 1) * k.cys / (2 * k.cy);
                ASSERT_EQ(c.At(x, y), Ramp(sx, sy)) << k.cx << "x" << k.cy << " at " << x << "," << y;
            }
    }
    // negative target width mirrors
    GdiCanvas mirror(4, 1);
    dib.Draw(mirror.dc(), 4, 0, -4, 1, 0, 4, 4, 1);
    ExpectAt(mirror, {{0, 0, Ramp(3, 0)}, {3, 0, Ramp(0, 0)}});
    // unreadable headers are refused
    GdiCanvas c(4, 4);
    Dib24 bad = dib;
    bad.bmi.bmiHeader.biCompression = BI_RLE8;
    EXPECT_EQ(bad.Draw(c.dc(), 0, 0, 4, 4, 0, 0, 4, 4), 0);
    bad.bmi.bmiHeader = dib.bmi.bmiHeader;
    bad.bmi.bmiHeader.biWidth = 1 << 30;
    EXPECT_EQ(bad.Draw(c.dc(), 0, 0, 4, 4, 0, 0, 4, 4), 0);
}

TEST(GdiBlit, ClipRegionAndPartialTargets) {
    Dib24 dib(4, 4, Ramp);
    GdiCanvas c(6, 6, RGB(1, 2, 3));
    HRGN r = CreateRectRgn(1, 1, 3, 3);
    ASSERT_EQ(SelectClipRgn(c.dc(), r), SIMPLEREGION);
    DeleteObject(r);
    // partly outside the bitmap on the left and top
    EXPECT_EQ(SetDIBitsToDevice(c.dc(), -1, -1, 4, 4, 0, 0, 0, 4, dib.bits.data(), &dib.bmi, DIB_RGB_COLORS), 4);
    ExpectAt(c, {{1, 1, Ramp(2, 2)}, {2, 2, Ramp(3, 3)}});
    EXPECT_EQ(IntersectClipRect(c.dc(), 2, 0, 9, 9), SIMPLEREGION);
    RECT box;
    EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
    EXPECT_TRUE(box.left == 2 && box.top == 1 && box.right == 3 && box.bottom == 3);
    EXPECT_EQ(SelectClipRgn(c.dc(), nullptr), SIMPLEREGION);
    ExpectAt(c, {{0, 0, RGB(1, 2, 3)}, {3, 3, RGB(1, 2, 3)}});
}

TEST(GdiBlit, MonochromeMasksFollowTheColourRules) {
    // colour to mono: the source DC's background colour becomes 1
    GdiCanvas img(3, 1, RGB(9, 9, 9));
    SetPixel(img.dc(), 1, 0, RGB(200, 0, 0));
    HDC maskDC = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateBitmap(3, 1, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(maskDC, mask);
    SetBkColor(img.dc(), RGB(200, 0, 0));
    ASSERT_TRUE(BitBlt(maskDC, 0, 0, 3, 1, img.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(maskDC, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(maskDC, 1, 0), RGB(255, 255, 255));
    // mono to colour: 0 takes the target's text colour, 1 its background colour
    GdiCanvas out(3, 1, RGB(50, 60, 70));
    SetTextColor(out.dc(), RGB(1, 1, 1));
    SetBkColor(out.dc(), RGB(255, 255, 255));
    ASSERT_TRUE(BitBlt(out.dc(), 0, 0, 3, 1, maskDC, 0, 0, SRCAND));
    ExpectAt(out, {{0, 0, RGB(0, 0, 0)}, {1, 0, RGB(50, 60, 70)}});
    // a bitmap made compatible with a memory DC is monochrome
    HBITMAP compat = CreateCompatibleBitmap(maskDC, 5, 2);
    BITMAP bm;
    ASSERT_EQ(GetObject(compat, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    SelectObject(maskDC, old);
    DeleteObject(mask);
    DeleteObject(compat);
    DeleteDC(maskDC);
}

TEST(GdiGlobal, BlocksAreZeroedAndBounded) {
    HGLOBAL g = GlobalAlloc(GHND, 10);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(GlobalSize(g), 10u);
    EXPECT_EQ(static_cast<BYTE*>(GlobalLock(g))[9], 0);
    EXPECT_FALSE(GlobalUnlock(g));
    EXPECT_EQ(GlobalFree(g), nullptr);
    EXPECT_EQ(GlobalAlloc(GHND, GDI_MAX_BYTES + 1), nullptr);
}

TEST(GdiBlit, DibitsRoundTripTopDownAndBottomUpAndRefuseBadRequests) {
    Dib24 dib(2, 3, Ramp);
    GdiCanvas c(4, 4);
    EXPECT_EQ(SetDIBitsToDevice(c.dc(), 0, 0, 2, 3, 0, 0, 1, 3, dib.bits.data(), &dib.bmi, DIB_RGB_COLORS), 0);
    EXPECT_EQ(SetDIBitsToDevice(c.dc(), 0, 0, 2, 3, 0, 0, 0, 2, dib.bits.data(), &dib.bmi, DIB_RGB_COLORS), 0);
    EXPECT_EQ(SetDIBitsToDevice(c.dc(), 0, 0, 2, 3, 0, 0, 0, 3, dib.bits.data(), nullptr, DIB_RGB_COLORS), 0);

    HBITMAP bmp = CreateBitmap(2, 3, 1, 32, nullptr);
    EXPECT_EQ(SetDIBits(nullptr, bmp, 0, 3, dib.bits.data(), &dib.bmi, DIB_RGB_COLORS), 3);
    BITMAPINFO out{};
    EXPECT_EQ(GetDIBits(nullptr, bmp, 0, 3, nullptr, nullptr, DIB_RGB_COLORS), 0);
    EXPECT_EQ(GetDIBits(nullptr, bmp, 0, 3, nullptr, &out, 1), 0);
    EXPECT_EQ(GetDIBits(nullptr, bmp, 0, 3, nullptr, &out, DIB_RGB_COLORS), 3); // the header only
    EXPECT_EQ(out.bmiHeader.biBitCount, 32);
    EXPECT_EQ(out.bmiHeader.biSizeImage, 24u);
    // a top-down request gets the top row first
    out.bmiHeader.biHeight = -3;
    out.bmiHeader.biBitCount = 24;
    std::vector<BYTE> rows(24);
    ASSERT_EQ(GetDIBits(nullptr, bmp, 0, 3, rows.data(), &out, DIB_RGB_COLORS), 3);
    EXPECT_EQ(rows[2], GetRValue(Ramp(0, 0)));
    EXPECT_EQ(rows[16 + 1], GetGValue(Ramp(0, 2)));
    // bottom-up, back into a bitmap of its own through CreateDIBitmap
    out.bmiHeader.biHeight = 3;
    ASSERT_EQ(GetDIBits(nullptr, bmp, 0, 3, rows.data(), &out, DIB_RGB_COLORS), 3);
    HBITMAP dev = CreateDIBitmap(nullptr, &out.bmiHeader, CBM_INIT, rows.data(), &out, DIB_RGB_COLORS);
    ASSERT_NE(dev, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dev);
    EXPECT_EQ(GetPixel(dc, 1, 2), Ramp(1, 2));
    // a source rectangle starting above the source leaves those target rows alone
    GdiCanvas c2(2, 3, RGB(5, 5, 5));
    ASSERT_TRUE(BitBlt(c2.dc(), 0, 0, 2, 3, dc, 0, -1, SRCCOPY));
    ExpectAt(c2, {{0, 0, RGB(5, 5, 5)}, {0, 1, Ramp(0, 0)}});
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dev);
    DeleteObject(bmp);
}

// An 8-bit section is read through its palette; sizes a section cannot have are refused.
TEST(GdiBlit, DibSectionsShareTheirBitsAndRefuseBadHeaders) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biWidth = 3;
    bmi.bmiHeader.biHeight = 2;
    bmi.bmiHeader.biBitCount = 8;
    bmi.bmiColors[1].rgbRed = 255;
    void* bits = nullptr;
    HBITMAP sec = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(sec, nullptr);
    static_cast<BYTE*>(bits)[4 + 2] = 1; // top-right, in the second row of 4 bytes
    BITMAP bm;
    ASSERT_EQ(GetObject(sec, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidthBytes, 4);
    EXPECT_EQ(bm.bmBits, bits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, sec);
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(sec);
    bmi.bmiHeader.biBitCount = 7;
    EXPECT_EQ(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biWidth = 100000;
    bmi.bmiHeader.biHeight = 100000;
    EXPECT_EQ(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}


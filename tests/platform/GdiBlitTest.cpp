#include <gtest/gtest.h>

#include <cstring>
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
};

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

TEST(GdiBlit, StretchDibitsSamplesNearestAndCountsRowsFromTheBottom) {
    Dib24 dib(4, 4, Ramp);
    GdiCanvas c(8, 8);
    ASSERT_EQ(SetStretchBltMode(c.dc(), COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 8, 8, 0, 0, 4, 4, dib.bits.data(), &dib.bmi, DIB_RGB_COLORS, SRCCOPY), 4);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(c.At(x, y), Ramp(x / 2, y / 2)) << x << "," << y;
    // source rectangle (1, 0, 2 x 2) of a bottom-up DIB: the picture's bottom rows 2..3
    GdiCanvas part(2, 2);
    StretchDIBits(part.dc(), 0, 0, 2, 2, 1, 0, 2, 2, dib.bits.data(), &dib.bmi, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(part.At(0, 0), Ramp(1, 2));
    EXPECT_EQ(part.At(1, 1), Ramp(2, 3));
    // negative target width mirrors
    GdiCanvas mirror(4, 1);
    StretchDIBits(mirror.dc(), 4, 0, -4, 1, 0, 3, 4, 1, dib.bits.data(), &dib.bmi, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(mirror.At(0, 0), Ramp(3, 0));
    EXPECT_EQ(mirror.At(3, 0), Ramp(0, 0));
    // shrinking
    GdiCanvas small(2, 2);
    StretchDIBits(small.dc(), 0, 0, 2, 2, 0, 0, 4, 4, dib.bits.data(), &dib.bmi, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(small.At(1, 1), Ramp(3, 3));
    // unreadable headers are refused
    BITMAPINFO bad = dib.bmi;
    bad.bmiHeader.biCompression = BI_RLE8;
    EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 4, 4, dib.bits.data(), &bad, DIB_RGB_COLORS, SRCCOPY), 0);
    bad.bmiHeader = dib.bmi.bmiHeader;
    bad.bmiHeader.biWidth = 1 << 30;
    EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 4, 4, dib.bits.data(), &bad, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST(GdiBlit, ClipRegionAndPartialTargets) {
    Dib24 dib(4, 4, Ramp);
    GdiCanvas c(6, 6, RGB(1, 2, 3));
    HRGN r = CreateRectRgn(1, 1, 3, 3);
    ASSERT_EQ(SelectClipRgn(c.dc(), r), SIMPLEREGION);
    DeleteObject(r);
    RECT box;
    EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.bottom, 3);
    RECT away{4, 4, 6, 6};
    EXPECT_FALSE(RectVisible(c.dc(), &away));
    // partly outside the bitmap on the left and top
    EXPECT_EQ(SetDIBitsToDevice(c.dc(), -1, -1, 4, 4, 0, 0, 0, 4, dib.bits.data(), &dib.bmi, DIB_RGB_COLORS), 4);
    EXPECT_EQ(c.At(0, 0), CLR_INVALID); // outside the clip region
    EXPECT_EQ(c.At(1, 1), Ramp(2, 2));
    EXPECT_EQ(c.At(2, 2), Ramp(3, 3));
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(c.dc(), saved), 1);
    EXPECT_EQ(IntersectClipRect(c.dc(), 2, 0, 9, 9), SIMPLEREGION);
    GetClipBox(c.dc(), &box);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(SelectClipRgn(c.dc(), nullptr), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(c.dc(), saved), 0);
    DeleteObject(saved);
    EXPECT_EQ(c.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(c.At(3, 3), RGB(1, 2, 3));
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
    EXPECT_EQ(out.At(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(out.At(1, 0), RGB(50, 60, 70));
    // a bitmap made compatible with a fresh memory DC is monochrome, as is its BITMAP record
    HBITMAP compat = CreateCompatibleBitmap(maskDC, 5, 2);
    BITMAP bm;
    ASSERT_EQ(GetObject(compat, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmBits, nullptr);
    SelectObject(maskDC, old);
    HDC fresh = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(fresh, 5, 2);
    EXPECT_FALSE(DeleteObject(GetStockObject(DEFAULT_GUI_FONT)));
    HGDIOBJ was = SelectObject(fresh, mono);
    EXPECT_EQ(SelectObject(maskDC, mono), nullptr); // already selected elsewhere
    EXPECT_FALSE(DeleteObject(mono));
    SelectObject(fresh, was);
    EXPECT_TRUE(DeleteObject(mono));
    EXPECT_TRUE(DeleteObject(compat));
    EXPECT_TRUE(DeleteObject(mask));
    DeleteDC(fresh);
    DeleteDC(maskDC);
}

TEST(GdiBlit, DibSectionsAndDibitsRoundTrip) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biWidth = 3;
    bmi.bmiHeader.biHeight = 2;
    bmi.bmiHeader.biBitCount = 8;
    bmi.bmiColors[1].rgbRed = 255;
    bmi.bmiColors[2].rgbGreen = 255;
    void* bits = nullptr;
    HBITMAP sec = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(sec, nullptr);
    static_cast<BYTE*>(bits)[0] = 1; // bottom-left
    static_cast<BYTE*>(bits)[4 + 2] = 2; // top-right
    BITMAP bm;
    ASSERT_EQ(GetObject(sec, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmBitsPixel, 8);
    EXPECT_EQ(bm.bmWidthBytes, 4);
    EXPECT_EQ(bm.bmBits, bits);

    BITMAPINFO out{};
    out.bmiHeader.biWidth = 3;
    out.bmiHeader.biHeight = 2;
    out.bmiHeader.biBitCount = 24;
    std::vector<BYTE> rows(16);
    EXPECT_EQ(GetDIBits(nullptr, sec, 0, 2, rows.data(), &out, DIB_RGB_COLORS), 2);
    EXPECT_EQ(rows[2], 255);      // bottom-left red
    EXPECT_EQ(rows[12 + 6 + 1], 255); // top-right green
    out.bmiHeader.biBitCount = 8;
    EXPECT_EQ(GetDIBits(nullptr, sec, 0, 2, rows.data(), &out, DIB_RGB_COLORS), 2);
    EXPECT_EQ(out.bmiHeader.biClrUsed, 256u);
    EXPECT_EQ(out.bmiColors[2].rgbGreen, 255);

    // back into a 32-bit bitmap through CreateDIBitmap
    out.bmiHeader.biBitCount = 24;
    GetDIBits(nullptr, sec, 0, 2, rows.data(), &out, DIB_RGB_COLORS);
    HBITMAP dev = CreateDIBitmap(nullptr, &out.bmiHeader, CBM_INIT, rows.data(), &out, DIB_RGB_COLORS);
    ASSERT_NE(dev, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dev);
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 2, 0), RGB(0, 255, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dev);
    DeleteObject(sec);
    bmi.bmiHeader.biBitCount = 7;
    EXPECT_EQ(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biWidth = 100000;
    bmi.bmiHeader.biHeight = 100000;
    EXPECT_EQ(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

TEST(GdiGlobal, BlocksKnowTheirSize) {
    HGLOBAL g = GlobalAlloc(GHND, 10);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(GlobalSize(g), 10u);
    BYTE* p = static_cast<BYTE*>(GlobalLock(g));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[9], 0);
    EXPECT_FALSE(GlobalUnlock(g));
    EXPECT_FALSE(GlobalUnlock(g));
    EXPECT_EQ(GlobalFree(g), nullptr);
    EXPECT_EQ(GlobalAlloc(GHND, GDI_MAX_BYTES + 1), nullptr);
    HGLOBAL empty = GlobalAlloc(GHND, 0);
    EXPECT_EQ(GlobalLock(empty), nullptr);
    GlobalFree(empty);
}

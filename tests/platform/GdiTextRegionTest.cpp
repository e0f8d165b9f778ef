#include <gtest/gtest.h>

#include <cstring>

#include "../support/GdiCanvas.h"
#include "platform/gdi/GdiFont.h"

namespace {

HFONT MakeFont(LONG height, const char* face, BYTE italic = 0) {
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfItalic = italic;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

RECT Measure(HDC dc, const char* text) {
    RECT r{0, 0, 0, 0};
    DrawText(dc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX);
    return r;
}

} // namespace

TEST(GdiRegion, CombineModes) {
    HRGN a = CreateRectRgn(0, 0, 4, 4), b = CreateRectRgn(2, 2, 6, 6), out = CreateRectRgn(0, 0, 0, 0);
    struct Case {
        int mode, kind;
        POINT in[2], out[2];
    } cases[] = {
        {RGN_AND, SIMPLEREGION, {{2, 2}, {3, 3}}, {{1, 1}, {4, 4}}},
        {RGN_OR, COMPLEXREGION, {{0, 0}, {5, 5}}, {{5, 0}, {0, 5}}},
        {RGN_XOR, COMPLEXREGION, {{0, 0}, {5, 5}}, {{2, 2}, {3, 3}}},
        {RGN_DIFF, COMPLEXREGION, {{0, 0}, {1, 3}}, {{2, 2}, {3, 3}}},
        {RGN_COPY, SIMPLEREGION, {{0, 0}, {3, 3}}, {{4, 4}, {5, 5}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.kind) << c.mode;
        for (const POINT& p : c.in)
            EXPECT_TRUE(PtInRegion(out, p.x, p.y)) << c.mode << " " << p.x << "," << p.y;
        for (const POINT& p : c.out)
            EXPECT_FALSE(PtInRegion(out, p.x, p.y)) << c.mode << " " << p.x << "," << p.y;
    }
    EXPECT_EQ(CombineRgn(out, a, b, 9), RGN_ERROR);
    // rows built directly equal rows combined
    RECT rows[] = {{0, 0, 1, 1}, {2, 0, 3, 1}, {0, 1, 3, 2}, {5, 0, 6, 1}};
    HRGN built = CreateRgnFromRects(rows, 4);
    HRGN combined = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& r : rows) {
        HRGN one = CreateRectRgnIndirect(&r);
        CombineRgn(combined, combined, one, RGN_OR);
        DeleteObject(one);
    }
    EXPECT_TRUE(EqualRgn(built, combined));
    EXPECT_FALSE(PtInRegion(built, 4, 0));
    for (HRGN r : {a, b, out, built, combined}) DeleteObject(r);
}

TEST(GdiFont, WindowsFacesResolveToInstalledFamilies) {
    struct Case {
        const char* face;
        const char* family;
    } cases[] = {
        {"Arial", "Liberation Sans"},
        {"times new roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        {"No Such Face 123", "DejaVu Sans"},
        {"", "Liberation Sans"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GdiFont::ResolveFamily(c.face), c.family) << c.face;
}

TEST(GdiText, MeasuresLinesAndHeights) {
    GdiCanvas c(10, 10);
    HFONT em20 = MakeFont(-20, "Arial"), cell20 = MakeFont(20, "Arial");
    HGDIOBJ old = SelectObject(c.dc(), em20);
    const RECT one = Measure(c.dc(), "Hello");
    const RECT three = Measure(c.dc(), "Hello\r\nWorld\rAgain\nX");
    EXPECT_GT(one.right, 30);
    EXPECT_GE(one.bottom, 20); // the cell of a 20-pixel em is taller than the em
    EXPECT_EQ(three.bottom, 4 * one.bottom);
    SelectObject(c.dc(), cell20);
    const RECT cell = Measure(c.dc(), "Hello");
    EXPECT_NEAR(cell.bottom, 20, 1);
    EXPECT_LT(cell.right, one.right);
    SelectObject(c.dc(), old);
    DeleteObject(em20);
    DeleteObject(cell20);
}

// White on an opaque black box, as text pictures are drawn.
TEST(GdiText, DrawsOpaqueBoxesAligned) {
    for (UINT format : {DT_LEFT, DT_CENTER, DT_RIGHT}) {
        GdiCanvas c(120, 40, RGB(0, 0, 255));
        HFONT f = MakeFont(-24, "Arial");
        HGDIOBJ old = SelectObject(c.dc(), f);
        SetTextColor(c.dc(), RGB(255, 255, 255));
        SetBkColor(c.dc(), RGB(0, 0, 0));
        SetBkMode(c.dc(), OPAQUE);
        RECT r{0, 0, 120, 40};
        const int h = DrawText(c.dc(), "Il\xff", -1, &r, format | DT_NOPREFIX); // a stray byte is drawn as '?'
        EXPECT_GT(h, 20);
        int white = 0, black = 0, leftHalf = 0, rightHalf = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) {
                white += c.At(x, y) == RGB(255, 255, 255);
                black += c.At(x, y) == RGB(0, 0, 0);
                (x < 60 ? leftHalf : rightHalf) += c.At(x, y) != RGB(0, 0, 255);
            }
        EXPECT_GT(white, 40) << format;
        EXPECT_GT(black, 100) << format;
        EXPECT_EQ(leftHalf > 0, format != DT_RIGHT) << format;
        EXPECT_EQ(rightHalf > 0, format != DT_LEFT) << format;
        SelectObject(c.dc(), old);
        DeleteObject(f);
    }
}

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "../support/GdiCanvas.h"
#include "ImageTestUtil.h"

using namespace imgtest;

namespace {

// 4 x 3 picture, every pixel its own colour; (x, y) with y from the bottom.
COLORREF Cell(long x, long y) {
    return RGB(static_cast<BYTE>(40 * x + 10), static_cast<BYTE>(60 * y + 5), 99);
}

CPixImage Cells() {
    CPixImage img(4, 3, 24);
    ForEachPixel(img, [&](long x, long y) { img.SetPixelColor(x, y, Cell(x, y)); });
    return img;
}

int CountColour(CPixImage& img, COLORREF c) {
    int n = 0;
    ForEachPixel(img, [&](long x, long y) { n += Rgb(img, x, y) == c; });
    return n;
}

} // namespace

TEST(PixDraw, NaturalAndScaledSizesKeepTheTopRowOnTop) {
    CPixImage img = Cells();
    GdiCanvas one(6, 5), twice(8, 6), boxed(7, 5), smooth(8, 6);
    ASSERT_EQ(img.Draw(one.dc(), 1, 1), 1);
    ASSERT_EQ(img.Draw(twice.dc(), 0, 0, 8, 6), 1);
    ASSERT_EQ(img.Draw(smooth.dc(), 0, 0, 8, 6, nullptr, true), 1);
    RECT r{2, 1, 6, 4}; // the rectangle form, at the natural size here
    ASSERT_EQ(img.Draw(boxed.dc(), r), 1);
    ForEachPixel(img, [&](long x, long y) {
        EXPECT_EQ(one.At(1 + x, 1 + y), Cell(x, 2 - y));
        EXPECT_EQ(boxed.At(2 + x, 1 + y), Cell(x, 2 - y));
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(twice.At(2 * x + k % 2, 2 * y + k / 2), Cell(x, 2 - y)) << x << "," << y;
            if (x > 0 && y < 2) { // smoothed: the mean of the source pixel and its left and lower neighbours
                EXPECT_EQ(smooth.At(2 * x + k % 2, 2 * y + k / 2), RGB(40 * x - 10, 95 - 60 * y, 99));
            }
        }
    });
    EXPECT_EQ(one.At(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(boxed.At(6, 4), RGB(0, 0, 0));
    EXPECT_EQ(img.Draw(one.dc(), 0, 0, 0, 3), 0);
    EXPECT_EQ(img.Draw2(one.dc(), 0, 0, 0, 5), 0);
    EXPECT_EQ(img.Draw(nullptr, 0, 0), 0);
    EXPECT_EQ(CPixImage().Draw(one.dc(), 0, 0), 0);
    img.Enable(false);
    EXPECT_EQ(img.Draw(one.dc(), 0, 0), 0);
    EXPECT_EQ(img.Draw2(one.dc(), 0, 0), 0);
    RECT all{0, 0, 8, 6};
    EXPECT_EQ(img.Stretch(twice.dc(), all), 1) << "Stretch draws a disabled image";
    EXPECT_EQ(img.Stretch(twice.dc(), 0, 0, 8, 6, 0x00AA0029), 0); // a ternary raster code
}

TEST(PixDraw, ClipRectangleIsHonouredAndTheCallersClipComesBack) {
    CPixImage img = Cells();
    for (bool callerClip : {false, true}) {
        GdiCanvas c(6, 5, RGB(1, 1, 1));
        if (callerClip) IntersectClipRect(c.dc(), 0, 0, 6, 2);
        RECT clip{2, 1, 4, 4};
        ASSERT_EQ(img.Draw(c.dc(), 0, 0, 4, 3, &clip), 1);
        RECT box;
        GetClipBox(c.dc(), &box);
        EXPECT_EQ(box.bottom, callerClip ? 2 : 5);
        SelectClipRgn(c.dc(), nullptr);
        EXPECT_EQ(c.At(1, 1), RGB(1, 1, 1));
        EXPECT_EQ(c.At(2, 1), Cell(2, 1));
        EXPECT_EQ(c.At(3, 2), callerClip ? RGB(1, 1, 1) : Cell(3, 0));
    }
}

TEST(PixDraw, TransparencyAndAlphaBlendIntoTheTarget) {
    CPixImage pal(3, 1, 8);
    pal.SetPaletteColor(5, 200, 0, 0);
    pal.SetPaletteColor(6, 0, 200, 0);
    pal.SetPixelIndex(0, 0, 5);
    pal.SetPixelIndex(1, 0, 6);
    for (int trans : {5, 0}) { // index 0 can be the transparent one too
        pal.SetTransIndex(trans);
        for (int way = 0; way < 3; ++way) { // Draw, Draw2, Draw smoothed (1:1 copies are not smoothed)
            GdiCanvas c(3, 1, RGB(7, 8, 9));
            const bool smooth = way == 2;
            ASSERT_EQ(way == 1 ? pal.Draw2(c.dc()) : pal.Draw(c.dc(), 0, 0, -1, -1, nullptr, smooth), 1);
            EXPECT_EQ(c.At(0, 0), trans == 5 ? RGB(7, 8, 9) : RGB(200, 0, 0)) << way;
            EXPECT_EQ(c.At(1, 0), RGB(0, 200, 0)) << way;
            EXPECT_EQ(c.At(2, 0), trans == 5 ? RGB(0, 0, 0) : RGB(7, 8, 9)) << way;
        }
        // Scaled and smoothed, the sampled pixel's index still decides what is transparent.
        GdiCanvas big(6, 2, RGB(7, 8, 9));
        ASSERT_EQ(pal.Draw(big.dc(), 0, 0, 6, 2, nullptr, true), 1);
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(big.At(x, 1) == RGB(7, 8, 9), pal.GetPixelIndex(x / 2, 0) == trans) << x;
    }
    // a transparent index past a 16-colour palette is harmless
    CPixImage four(2, 1, 4);
    four.SetTransIndex(200);
    four.AlphaPaletteEnable(true);
    GdiCanvas c4(2, 1, RGB(7, 8, 9));
    EXPECT_EQ(four.Draw(c4.dc(), 0, 0), 1);
    EXPECT_EQ(four.Draw2(c4.dc(), 0, 0), 1);

    CPixImage rgb(2, 1, 24);
    rgb.SetPixelColor(0, 0, RGB(100, 100, 100));
    rgb.SetPixelColor(1, 0, RGB(200, 0, 0));
    rgb.AlphaCreate();
    rgb.AlphaSet(0, 0, 0);
    rgb.AlphaSet(1, 0, 128);
    GdiCanvas c(2, 1, RGB(0, 0, 200));
    ASSERT_EQ(rgb.Draw(c.dc(), 0, 0), 1);
    EXPECT_EQ(c.At(0, 0), RGB(0, 0, 200));
    EXPECT_EQ(c.At(1, 0), RGB(100, 0, 99)); // (d * 127 + s * 128) >> 8 with a = (256 * 128) >> 8
}

TEST(PixDraw, TilesCoverTheRectangleAndSkipWhatIsClipped) {
    CPixImage img = Cells();
    GdiCanvas c(10, 7, RGB(1, 1, 1));
    RECT r{1, 1, 10, 6};
    ASSERT_EQ(img.Tile(c.dc(), &r), 1);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(c.At(x, y), x && y && y < 6 ? Cell((x - 1) % 4, 2 - (y - 1) % 3) : RGB(1, 1, 1))
                << x << "," << y;
    EXPECT_EQ(img.Tile(c.dc(), nullptr), 0);
    EXPECT_EQ(img.Tile(nullptr, &r), 0);
    EXPECT_EQ(CPixImage().Tile(c.dc(), &r), 0);
    const auto start = std::chrono::steady_clock::now();
    RECT huge{INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2};
    ASSERT_EQ(img.Tile(c.dc(), &huge), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(PixDrawString, TextRisesFromTheGivenRowAndHugeRequestsStayBounded) {
    const RGBQUAD ink = Quad(255, 0, 0);
    CPixImage empty;
    EXPECT_EQ(empty.DrawString(nullptr, 0, 0, "x", ink, "Arial", -20), 1);
    CPixImage img(120, 40, 24), top(120, 40, 24);
    ASSERT_EQ(img.DrawString(nullptr, 2, 39, "Hello", ink, "Arial", -30, 700), 1);
    int lit = 0, above = 0;
    ForEachPixel(img, [&](long x, long y) {
        lit += Rgb(img, x, y) == RGB(255, 0, 0);
        above += y >= 5 && Rgb(img, x, y) == RGB(255, 0, 0);
    });
    EXPECT_GT(lit, 100);
    EXPECT_GT(above, lit / 2);
    top.DrawString(nullptr, 2, 0, "Hello_", ink, "Arial", -30);
    ForEachPixel(top, [&](long x, long y) {
        EXPECT_TRUE(y == 39 || Rgb(top, x, y) != RGB(255, 0, 0)) << x << "," << y;
    });
    // unbounded requests cost no more than the picture: huge font, long text, far corners
    std::string longText(5000, 'W');
    const auto start = std::chrono::steady_clock::now();
    const std::string face(60, '\xC3');
    EXPECT_EQ(img.DrawString(nullptr, -100000, 1000000, longText.c_str(), ink, face.c_str(), -1000000), 1);
    EXPECT_EQ(img.DrawString(nullptr, LONG_MIN / 2, LONG_MAX / 2, "x", ink, nullptr, 1000000), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(PixDrawString, TextBlockDefaultsAndCorrections) {
    CPixImage::tagPixTextInfo t;
    CPixImage img(400, 80, 24);
    img.InitTextInfo(&t);
    EXPECT_STREQ(t.text, "Sample Text 01234");
    t.roundness = 25; // radius 10 for the usual line height: a corner that tells 0.5 from 0.55
    EXPECT_EQ(CPixImage().DrawStringEx(nullptr, 0, 0, &t), -1);
    EXPECT_EQ(img.DrawStringEx(nullptr, 0, 0, nullptr), -1);
    ASSERT_EQ(img.DrawStringEx(nullptr, 200, 70, &t), 1);
    EXPECT_GT(CountColour(img, RGB(32, 96, 0)), 2000) << "the dark green box";
    EXPECT_GT(CountColour(img, RGB(255, 255, 160)), 200) << "light yellow text";
    // Rounded corners: a pixel d columns past the corner column and e rows from the top or bottom
    // edge is left out when it lies outside the circle of radius r about (d, e) = (0, r + 0.5).
    long x0 = 400, x1 = 0, y0 = 80, y1 = 0; // the box's extent, y from the bottom
    ForEachPixel(img, [&](long x, long y) {
        if (Rgb(img, x, y) != RGB(32, 96, 0))
            return;
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    });
    long r = 0; // the top row starts r columns in
    while (Rgb(img, x0 + r, y1) != RGB(32, 96, 0))
        ++r;
    EXPECT_EQ(r, 25 * (y1 - y0 + 1 - 2 * static_cast<long>(r * 0.29289)) / 100) << "25% of one line";
    for (long y = y0; y <= y1; ++y)
        for (long x = x0; x <= x1; ++x) {
            const double d = std::max({0L, x0 + r - x, x - (x1 - r)}), e = std::min(y - y0, y1 - y);
            const bool out = d > 0 && e < r + 0.5 && d * d + (r + 0.5 - e) * (r + 0.5 - e) > r * r;
            EXPECT_EQ(Rgb(img, x, y) == RGB(0, 0, 0), out) << x << "," << y << " r " << r;
        }
    // a half-transparent box mixes the picture in
    CPixImage grey(60, 40, 24);
    ForEachPixel(grey, [&](long x, long y) { grey.SetPixelColor(x, y, RGB(200, 200, 200)); });
    std::strcpy(t.text, "a\rb");
    t.boxOpacity = 0.5f;
    t.align = 0;
    grey.DrawStringEx(nullptr, 0, 39, &t);
    EXPECT_GT(CountColour(grey, RGB(116, 148, 100)), 50);

    t.align = 7;
    t.roundness = 60;
    t.boxOpacity = std::numeric_limits<float>::quiet_NaN();
    std::memset(t.text, 'A', sizeof t.text); // no terminating NUL
    EXPECT_EQ(img.DrawStringEx(nullptr, 10, 10, &t), 1);
    EXPECT_EQ(t.align, 1);
    EXPECT_EQ(t.roundness, 10);
    EXPECT_EQ(t.boxOpacity, 0.0f);
}

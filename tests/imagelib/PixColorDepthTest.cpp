#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"

namespace {

using imgtest::Quad;
using imgtest::Rgb;

int Grey(RGBQUAD c) { return (306 * c.rgbRed + 601 * c.rgbGreen + 117 * c.rgbBlue) >> 10; }

TEST(PixColorDepth, GrayScaleEveryDepthGivesGreyLevelIndices) {
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bpp);
        CPixImage src = bpp == 24 ? imgtest::Picture(9, 5, [](long x, long y) { return RGB(x * 28, y * 50, 200 - x * 9); })
                                  : imgtest::Indexed4(9, 5);
        if (bpp != 24 && bpp != 4) {
            CPixImage other(9, 5, bpp);
            other.SetStdPalette();
            if (bpp == 1)
                other.SetPaletteColor(1, 250, 10, 90);
            imgtest::ForEachPixel(other, [&](long x, long y) { other.SetPixelIndex(x, y, static_cast<BYTE>(x * y + x)); });
            src.Copy(other);
        }
        src.AlphaCreate();
        src.AlphaSet(3, 2, 77);
        CPixImage grey(src);
        ASSERT_TRUE(grey.GrayScale());
        ASSERT_EQ(grey.GetBpp(), 8);
        EXPECT_TRUE(grey.IsGrayScale());
        EXPECT_EQ(grey.AlphaGet(3, 2), 77);
        imgtest::ForEachPixel(src, [&](long x, long y) { ASSERT_EQ(grey.GetPixelIndex(x, y), Grey(src.GetPixelColor(x, y))); });
    }
    CPixImage red = imgtest::Picture(1, 1, [](long, long) { return RGB(255, 0, 0); });
    ASSERT_TRUE(red.GrayScale());
    EXPECT_EQ(red.GetPixelIndex(0, 0), 76);
}

TEST(PixColorDepth, GrayScaleKeepsTransparencyMeaningful) {
    CPixImage four = imgtest::Indexed4(4, 4);
    four.SetTransIndex(12); // blue (0, 0, 255)
    ASSERT_TRUE(four.GrayScale());
    EXPECT_EQ(four.GetTransIndex(), (117 * 255) >> 10);

    CPixImage past = imgtest::Indexed4(4, 4);
    past.SetTransIndex(40);
    ASSERT_TRUE(past.GrayScale());
    EXPECT_EQ(past.GetTransIndex(), -1) << "an index past the palette names no colour";

    CPixImage rgb = imgtest::Picture(2, 2, [](long, long) { return RGB(0, 255, 0); });
    rgb.SetTransIndex(0);
    rgb.SetTransColor(Quad(0, 255, 0));
    ASSERT_TRUE(rgb.GrayScale());
    EXPECT_EQ(rgb.GetTransIndex(), (601 * 255) >> 10) << "the transparent colour becomes its grey level";
    EXPECT_TRUE(rgb.IsTransparent(1, 1));
}

TEST(PixColorDepth, FailedGreyOrDitherLeavesThePictureAsItWas) {
    CPixImage four = imgtest::Indexed4(3000, 3000); // 4.5 MB; the 8-bit result would need 9 MB
    const RGBQUAD entry = four.GetPaletteColor(9);
    EXPECT_TRUE(imgtest::HoldsWithoutMemory(2u << 20, [&] {
        return !four.GrayScale() && four.GetBpp() == 4 && imgtest::SameRgba(four.GetPaletteColor(9), entry) &&
               !four.Dither(0) && !four.IncreaseBpp(8) && !four.DecreaseBpp(4, true, nullptr, 7) &&
               four.GetBpp() == 4 && four.GetPixelIndex(5, 0) == 5;
    }));
}

TEST(PixColorDepth, NegativeByDepth) {
    CPixImage rgb = imgtest::Picture(3, 2, [](long x, long y) { return RGB(10 * x, 100, 50 * y); });
    rgb.SetTransColor(Quad(1, 2, 3));
    ASSERT_TRUE(rgb.Negative());
    EXPECT_EQ(Rgb(rgb, 2, 1), RGB(235, 155, 205));
    EXPECT_TRUE(imgtest::SameRgba(rgb.GetTransColor(), Quad(254, 253, 252)));

    CPixImage colour = imgtest::Indexed4(4, 2);
    ASSERT_TRUE(colour.Negative());
    EXPECT_EQ(colour.GetPixelIndex(1, 0), 1) << "indices stay, the palette turns";
    EXPECT_EQ(Rgb(colour, 1, 0), RGB(127, 255, 255));

    CPixImage grey(4, 2, 8);
    for (int i = 0; i < 256; ++i)
        grey.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i));
    grey.SetPixelIndex(1, 1, 200);
    ASSERT_TRUE(grey.Negative());
    EXPECT_EQ(grey.GetPixelIndex(1, 1), 55);
    EXPECT_EQ(grey.GetPixelIndex(0, 0), 255);
}

TEST(PixColorDepth, IncreaseBppTable) {
    struct Case {
        DWORD from, to;
        bool ok;
        DWORD bpp;
    } cases[] = {{24, 8, false, 24}, {8, 4, false, 8}, {4, 4, true, 4}, {1, 4, true, 4},
                 {1, 8, true, 8},    {4, 24, true, 24}, {8, 16, false, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        CPixImage img(5, 3, c.from);
        img.SetStdPalette();
        imgtest::ForEachPixel(img, [&](long x, long y) { img.SetPixelIndex(x, y, static_cast<BYTE>(x + y)); });
        CPixImage before(img);
        EXPECT_EQ(img.IncreaseBpp(c.to), c.ok);
        EXPECT_EQ(img.GetBpp(), c.bpp);
        EXPECT_FALSE(img.AlphaIsValid()) << "no alpha in the palette, none in a plane";
        if (c.from < 24)
            imgtest::ForEachPixel(img, [&](long x, long y) { ASSERT_EQ(Rgb(img, x, y), Rgb(before, x, y)); });
    }
    // Palette alpha moves into a plane; a transparent index past the palette is dropped.
    CPixImage img = imgtest::Indexed4(4, 1);
    img.SetPaletteColor(2, 9, 9, 9, 128);
    img.SetTransIndex(99);
    ASSERT_TRUE(img.IncreaseBpp(24));
    EXPECT_EQ(img.AlphaGet(2, 0), 128);
    EXPECT_EQ(img.AlphaGet(1, 0), 0);
    EXPECT_EQ(img.GetTransIndex(), -1);
}

TEST(PixColorDepth, DecreaseBppPicksNearestEntries) {
    CPixImage src = imgtest::Picture(64, 48, [](long x, long y) { return RGB(x * 4, y * 5, (x * y) & 255); });
    src.SetTransIndex(0);
    src.SetTransColor(Quad(255, 0, 0));
    CPixImage want(64, 48, 8);
    want.SetStdPalette();
    imgtest::ForEachPixel(src, [&](long x, long y) { want.SetPixelColor(x, y, src.GetPixelColor(x, y), false); });
    CPixImage img(src);
    ASSERT_TRUE(img.DecreaseBpp(8, false));
    ASSERT_EQ(img.GetBpp(), 8);
    imgtest::ForEachPixel(img, [&](long x, long y) { ASSERT_EQ(img.GetPixelIndex(x, y), want.GetPixelIndex(x, y)); });
    EXPECT_EQ(Rgb(img.GetTransColor()), RGB(255, 0, 0)) << "transparent index follows the colour";

    CPixImage eight(img);
    EXPECT_TRUE(eight.DecreaseBpp(8, false));
    EXPECT_EQ(eight.GetPixelIndex(7, 7), img.GetPixelIndex(7, 7));
    EXPECT_FALSE(eight.DecreaseBpp(24, false));
    EXPECT_FALSE(eight.DecreaseBpp(2, false, nullptr, 5));
    EXPECT_EQ(eight.GetBpp(), 8);

    RGBQUAD pal[2] = {Quad(0, 0, 80), Quad(0, 200, 0)};
    CPixImage two(src);
    two.SetTransIndex(-1);
    ASSERT_TRUE(two.DecreaseBpp(1, false, pal));
    EXPECT_EQ(Rgb(two, 0, 47), RGB(0, 200, 0));
    ASSERT_TRUE(two.DecreaseBpp(1, false, pal, 2)) << "requantised at its own depth";
    EXPECT_EQ(two.GetTransIndex(), -1);
    EXPECT_EQ(Rgb(two, 0, 47), RGB(255, 255, 255)) << "a 1-bit result is black and white";
}

TEST(PixColorDepth, DecreaseBppErrorDiffusionKeepsTheMeanColour) {
    CPixImage img = imgtest::Picture(40, 40, [](long, long) { return RGB(100, 100, 100); });
    ASSERT_TRUE(img.DecreaseBpp(1, true));
    long white = 0;
    imgtest::ForEachPixel(img, [&](long x, long y) { white += img.GetPixelIndex(x, y); });
    EXPECT_NEAR(white / 1600.0, 100 / 255.0, 0.06);
}

TEST(PixColorDepth, DitherMethods) {
    // Every method keeps the mean grey of a ramp, also on pictures narrower than its reach.
    for (long method = 0; method <= 8; ++method) {
        for (long w : {1L, 2L, 64L}) {
            CPixImage img = imgtest::Picture(w, 64, [&](long, long y) { return RGB(4 * y, 4 * y, 4 * y); });
            ASSERT_TRUE(img.Dither(method));
            ASSERT_EQ(img.GetBpp(), 1);
            if (w < 64)
                continue;
            long white = 0, want = 0;
            imgtest::ForEachPixel(img, [&](long x, long y) { white += img.GetPixelIndex(x, y); want += 4 * y; });
            EXPECT_NEAR(static_cast<double>(white), want / 255.0, 64 * 64 * 0.03) << "method " << method;
            EXPECT_EQ(Rgb(img, 0, 0), RGB(0, 0, 0));
        }
    }
    CPixImage mid = imgtest::Picture(8, 8, [](long, long) { return RGB(128, 128, 128); });
    ASSERT_TRUE(mid.Dither(1));
    long white = 0;
    imgtest::ForEachPixel(mid, [&](long x, long y) { white += mid.GetPixelIndex(x, y); });
    EXPECT_EQ(white, 32);
    EXPECT_EQ(mid.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(mid.GetPixelIndex(1, 0), 0);

    CPixImage light = imgtest::Picture(16, 16, [](long, long) { return RGB(200, 200, 200); });
    ASSERT_TRUE(light.Dither(0));
    white = 0;
    imgtest::ForEachPixel(light, [&](long x, long y) { white += light.GetPixelIndex(x, y); });
    EXPECT_NEAR(white, 256 * 200 / 255, 8);
}

// The dithering as the method table reads: weights per row from x - 3 to x + 3, rows y .. y + 3.
std::vector<int> ReferenceDither(std::vector<int> g, long w, long h, long method) {
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    static const int kT[16] = {0, 192, 48, 240, 128, 64, 176, 112, 32, 224, 16, 208, 160, 96, 144, 80};
    struct Weights {
        int row[4][7];
        int divisor;
    };
    static const Weights kFloyd = {{{0, 0, 0, 0, 7, 0, 0}, {0, 0, 3, 5, 1, 0, 0}}, 16};
    static const Weights kTables[7] = {
        kFloyd, kFloyd,
        {{{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}}, 32},
        {{{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}}, 42},
        {{{0, 0, 0, 0, 7, 5, 0}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}}, 48},
        {{{0, 0, 0, 0, 5, 3, 0}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}}, 32},
        {{{0, 0, 0, 0, 0, 32, 0}, {12, 0, 26, 0, 30, 0, 16}, {0, 12, 0, 26, 0, 12, 0}, {5, 0, 12, 0, 12, 0, 5}}, 200}};
    std::vector<int> out(g.size());
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x) {
            const int v = g[y * w + x];
            if (method == 1 || method == 7) {
                const int level = v * 16 / 255;
                out[y * w + x] = method == 1 ? (level == 16 || level % 16 > kBayer[y % 4][x % 4]) : v > kT[x % 4 + 4 * (y % 4)];
                continue;
            }
            out[y * w + x] = v > 128;
            const int error = v > 128 ? v - 255 : v;
            const Weights& t = kTables[method >= 0 && method < 7 ? method : 0];
            for (int r = 0; r < 4; ++r)
                for (int k = 0; k < 7; ++k)
                    if (t.row[r][k] && y + r < h && x + k - 3 >= 0 && x + k - 3 < w) {
                        int& n = g[(y + r) * w + x + k - 3];
                        n = std::clamp(n + error * t.row[r][k] / t.divisor, 0, 255);
                    }
        }
    return out;
}

TEST(PixColorDepth, DitherFollowsTheMethodTables) {
    auto expectSame = [](CPixImage src, long method) {
        const long w = static_cast<long>(src.GetWidth()), h = static_cast<long>(src.GetHeight());
        std::vector<int> grey;
        imgtest::ForEachPixel(src, [&](long x, long y) { grey.push_back(src.GetPixelGray(x, y)); });
        const std::vector<int> want = ReferenceDither(grey, w, h, method);
        ASSERT_TRUE(src.Dither(method));
        imgtest::ForEachPixel(src, [&](long x, long y) { ASSERT_EQ(src.GetPixelIndex(x, y), want[y * w + x]) << method << " at " << x << "," << y; });
    };
    for (long method = -1; method <= 8; ++method)
        expectSame(imgtest::Picture(41, 27, [](long x, long y) {
            const BYTE v = static_cast<BYTE>((x * 41 + y * 67 + x * y * 5) % 256);
            return RGB(v, v, v);
        }), method);
    for (int v = 0; v < 256; ++v) // every level against every threshold
        for (long method : {1L, 7L})
            expectSame(imgtest::Picture(4, 4, [v](long, long) { return RGB(v, v, v); }), method);
}

} // namespace

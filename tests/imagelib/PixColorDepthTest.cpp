#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"

namespace {

using imgtest::Quad;
using imgtest::Rgb;

CPixImage Colourful(long w, long h) {
    return imgtest::Picture(w, h, [](long x, long y) { return RGB(x * 23, 90 + y * 20, (x * y * 13) % 256); });
}

// The first of the first n entries at the least squared distance from c.
int Nearest(const RGBQUAD* pal, int n, RGBQUAD c) {
    int best = 0, least = INT_MAX;
    for (int i = 0; i < n; ++i) {
        const int r = pal[i].rgbRed - c.rgbRed, g = pal[i].rgbGreen - c.rgbGreen, b = pal[i].rgbBlue - c.rgbBlue;
        if (r * r + g * g + b * b < least)
            least = r * r + g * g + b * b, best = i;
    }
    return best;
}

TEST(PixColorDepth, GrayScaleGivesGreyLevelIndicesAndKeepsTransparencyMeaningful) {
    for (DWORD bpp : {24u, 8u, 4u, 1u}) {
        CPixImage src = Colourful(9, 5);
        ASSERT_TRUE(src.DecreaseBpp(bpp, false));
        src.AlphaCreate();
        src.AlphaSet(3, 2, 77);
        CPixImage grey(src);
        ASSERT_TRUE(grey.GrayScale());
        ASSERT_TRUE(grey.GetBpp() == 8 && grey.IsGrayScale() && grey.AlphaGet(3, 2) == 77) << bpp;
        imgtest::ForEachPixel(src, [&](long x, long y) {
            const RGBQUAD c = src.GetPixelColor(x, y);
            ASSERT_EQ(grey.GetPixelIndex(x, y), (306 * c.rgbRed + 601 * c.rgbGreen + 117 * c.rgbBlue) >> 10);
        });
    }
    CPixImage red = imgtest::Picture(2, 2, [](long, long) { return RGB(255, 0, 0); });
    red.SetTransIndex(0);
    red.SetTransColor(Quad(0, 255, 0));
    ASSERT_TRUE(red.GrayScale());
    EXPECT_EQ(red.GetPixelIndex(0, 0), 76);
    EXPECT_EQ(red.GetTransIndex(), 149) << "the transparent colour becomes its grey level";
    for (auto [index, want] : {std::pair{12L, 29L}, {40L, -1L}}) { // past the palette: no colour to name
        CPixImage four = imgtest::Indexed4(4, 4);
        four.SetTransIndex(index);
        ASSERT_TRUE(four.GrayScale());
        EXPECT_EQ(four.GetTransIndex(), want);
    }
}

TEST(PixColorDepth, FailedCreationLeavesThePictureAsItWas) {
    CPixImage four = imgtest::Indexed4(3000, 3000); // 4.5 MB; an 8-bit result would need 9 MB
    const RGBQUAD entry = four.GetPaletteColor(9);
    EXPECT_TRUE(imgtest::HoldsWithoutMemory(2u << 20, [&] {
        return !four.GrayScale() && !four.Dither(0) && !four.IncreaseBpp(8) &&
               !four.DecreaseBpp(4, true, nullptr, 7) && four.GetBpp() == 4 &&
               imgtest::SameRgba(four.GetPaletteColor(9), entry) && four.GetPixelIndex(5, 0) == 5;
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
    grey.SetGrayPalette();
    grey.SetPixelIndex(1, 1, 200);
    ASSERT_TRUE(grey.Negative());
    EXPECT_EQ(grey.GetPixelIndex(1, 1), 55) << "a grey palette keeps its order";
    EXPECT_EQ(grey.GetPixelIndex(0, 0), 255);
}

TEST(PixColorDepth, IncreaseBppTable) {
    const struct {
        DWORD from, to;
        bool ok;
    } cases[] = {{24, 8, false}, {8, 4, false}, {4, 4, true},  {1, 4, true},
                 {1, 8, true},   {4, 24, true}, {8, 16, false}};
    for (const auto& c : cases) {
        CPixImage img = imgtest::Indexed4(5, 3), before;
        ASSERT_TRUE(c.from > 4 ? img.IncreaseBpp(c.from) : img.DecreaseBpp(c.from, false, img.GetPalette()));
        before.Copy(img);
        EXPECT_EQ(img.IncreaseBpp(c.to), c.ok);
        EXPECT_EQ(img.GetBpp(), c.ok ? std::max(c.to, c.from) : c.from);
        EXPECT_FALSE(img.AlphaIsValid()) << "no alpha in the palette, none in a plane";
        imgtest::ForEachPixel(img, [&](long x, long y) { ASSERT_EQ(Rgb(img, x, y), Rgb(before, x, y)); });
    }
    CPixImage img = imgtest::Indexed4(4, 1); // palette alpha moves into a plane
    img.SetPaletteColor(2, 9, 9, 9, 128);
    img.SetTransIndex(99);
    ASSERT_TRUE(img.IncreaseBpp(24));
    EXPECT_TRUE(img.AlphaGet(2, 0) == 128 && img.AlphaGet(1, 0) == 0);
    EXPECT_EQ(img.GetTransIndex(), -1) << "a transparent index past the palette is dropped";
}

TEST(PixColorDepth, DecreaseBppPicksNearestEntries) {
    CPixImage src = imgtest::Picture(64, 48, [](long x, long y) { return RGB(x * 4, y * 5, (x * y) & 255); });
    src.SetTransIndex(0);
    src.SetTransColor(Quad(255, 0, 0));
    CPixImage std8(1, 1, 8);
    std8.SetStdPalette();
    // Every entry, or only the first few when fewer are important; each pixel gets the nearest.
    for (DWORD important : {0u, 7u, 40u}) {
        CPixImage img(src);
        ASSERT_TRUE(img.DecreaseBpp(8, false, nullptr, important));
        ASSERT_TRUE(img.IsSamePalette(std8));
        const int n = important ? static_cast<int>(important) : 256;
        imgtest::ForEachPixel(img, [&](long x, long y) {
            ASSERT_EQ(img.GetPixelIndex(x, y), Nearest(img.GetPalette(), n, src.GetPixelColor(x, y))) << x << "," << y;
        });
        EXPECT_EQ(img.GetTransIndex(), Nearest(img.GetPalette(), n, Quad(255, 0, 0))) << "the transparent colour's";
    }
    EXPECT_TRUE(std8.DecreaseBpp(8, false));
    EXPECT_FALSE(std8.DecreaseBpp(24, false) || std8.DecreaseBpp(2, false, nullptr, 5));
    RGBQUAD pal[2] = {Quad(0, 0, 80), Quad(0, 200, 0)};
    src.SetTransIndex(-1);
    ASSERT_TRUE(src.DecreaseBpp(1, false, pal));
    EXPECT_EQ(Rgb(src, 0, 47), RGB(0, 200, 0));
    ASSERT_TRUE(src.DecreaseBpp(1, false, pal, 2)) << "requantised at its own depth";
    EXPECT_EQ(Rgb(src, 0, 47), RGB(255, 255, 255)) << "a 1-bit result is black and white";
}

// A picture of a few colours of the target palette keeps exactly those, diffusing or not, from
// any depth; a smooth one diffused keeps its mean colour within a level.
TEST(PixColorDepth, DecreaseBppKeepsColoursThePaletteHas) {
    const COLORREF few[] = {RGB(0, 0, 0), RGB(128, 0, 128), RGB(192, 192, 192), RGB(0, 255, 255), RGB(128, 128, 0)};
    for (DWORD from : {24u, 8u})
        for (DWORD to : {8u, 4u})
            for (bool diffuse : {false, true}) {
                CPixImage src = imgtest::Picture(23, 11, [&](long x, long y) { return few[(x * x + 3 * y) % 5]; });
                if (from == 8) {
                    CPixImage std8(1, 1, 8);
                    std8.SetStdPalette();
                    ASSERT_TRUE(src.DecreaseBpp(8, false, std8.GetPalette()));
                }
                CPixImage img(src);
                ASSERT_TRUE(img.DecreaseBpp(to, diffuse));
                imgtest::ForEachPixel(img, [&](long x, long y) {
                    ASSERT_EQ(Rgb(img, x, y), few[(x * x + 3 * y) % 5]) << from << " to " << to << " at " << x << "," << y;
                });
            }
    // Diffusion passes on 14/16 of each error, and no error exceeds half the palette's step of 51.
    // So a band's mean drifts by at most 26 x (2/16, plus 8/16 over its 16 columns for its last
    // column, twice, plus 7/16 over 64 rows for the bottom row). Nearest entries alone would be 11
    // off: the bands' errors lie in one channel each, blue, green and red, and must spread too.
    const COLORREF bands[3] = {RGB(0, 0, 40), RGB(0, 40, 0), RGB(40, 0, 0)};
    CPixImage flat = imgtest::Picture(48, 64, [&](long x, long) { return bands[x / 16]; }), img(flat);
    ASSERT_TRUE(img.DecreaseBpp(8, true));
    double error[3][3] = {};
    imgtest::ForEachPixel(img, [&](long x, long y) {
        const RGBQUAD a = img.GetPixelColor(x, y), b = flat.GetPixelColor(x, y);
        double* e = error[x / 16];
        e[0] += a.rgbRed - b.rgbRed, e[1] += a.rgbGreen - b.rgbGreen, e[2] += a.rgbBlue - b.rgbBlue;
    });
    for (auto& band : error)
        for (double e : band)
            EXPECT_LE(std::abs(e) / (16 * 64), 26 * (2.0 / 16 + 2 * 8.0 / 16 / 16 + 7.0 / 16 / 64));
}

// Error diffusion as the weights read: {dx, dy, weight} per tap, then the divisor.
struct Taps {
    std::vector<std::array<int, 3>> taps;
    int divisor;
};
void Spread(std::vector<int>& v, long w, long h, long x, long y, int error, const Taps& t) {
    for (auto [dx, dy, k] : t.taps)
        if (x + dx >= 0 && x + dx < w && y + dy < h) {
            int& n = v[(y + dy) * w + x + dx];
            n = std::clamp(n + error * k / t.divisor, 0, 255);
        }
}

TEST(PixColorDepth, DecreaseBppErrorDiffusionSpreadsAsWeighted) {
    const long w = 11, h = 7;
    CPixImage img = Colourful(w, h);
    std::vector<int> ch[3], want;
    imgtest::ForEachPixel(img, [&](long x, long y) {
        const RGBQUAD c = img.GetPixelColor(x, y);
        ch[0].push_back(c.rgbRed), ch[1].push_back(c.rgbGreen), ch[2].push_back(c.rgbBlue);
    });
    const Taps t{{{1, 0, 7}, {-1, 1, 2}, {0, 1, 4}, {1, 1, 1}}, 16};
    for (long i = 0; i < w * h; ++i) {
        int dark = 0, light = 0;
        for (auto& c : ch)
            dark += c[i] * c[i], light += (255 - c[i]) * (255 - c[i]);
        want.push_back(light < dark);
        for (auto& c : ch)
            Spread(c, w, h, i % w, i / w, c[i] - (light < dark ? 255 : 0), t);
    }
    ASSERT_TRUE(img.DecreaseBpp(1, true));
    imgtest::ForEachPixel(img, [&](long x, long y) { ASSERT_EQ(img.GetPixelIndex(x, y), want[y * w + x]) << x << "," << y; });
}

TEST(PixColorDepth, DitherFollowsTheMethodTables) {
    const Taps kTables[7] = {
        {{{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}, 16}, {},
        {{{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}, 32},
        {{{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}, {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4}, {1, 2, 2}, {2, 2, 1}}, 42},
        {{{1, 0, 7}, {2, 0, 5}, {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5}, {2, 1, 3}, {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5}, {1, 2, 3}, {2, 2, 1}}, 48},
        {{{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5}, {1, 1, 4}, {2, 1, 2}, {-1, 2, 2}, {0, 2, 3}, {1, 2, 2}}, 32},
        {{{2, 0, 32}, {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30}, {3, 1, 16}, {-2, 2, 12}, {0, 2, 26}, {2, 2, 12}, {-3, 3, 5}, {-1, 3, 12}, {1, 3, 12}, {3, 3, 5}}, 200}};
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    static const int kT[16] = {0, 192, 48, 240, 128, 64, 176, 112, 32, 224, 16, 208, 160, 96, 144, 80};
    auto expectSame = [&](CPixImage src, long method) {
        const long w = static_cast<long>(src.GetWidth()), h = static_cast<long>(src.GetHeight());
        std::vector<int> g;
        imgtest::ForEachPixel(src, [&](long x, long y) { g.push_back(src.GetPixelGray(x, y)); });
        ASSERT_TRUE(src.Dither(method));
        imgtest::ForEachPixel(src, [&](long x, long y) {
            const int v = g[y * w + x], level = v * 16 / 255;
            bool white = v > 128;
            if (method == 1)
                white = level == 16 || level % 16 > kBayer[y % 4][x % 4];
            else if (method == 7)
                white = v > kT[x % 4 + 4 * (y % 4)];
            else
                Spread(g, w, h, x, y, white ? v - 255 : v, kTables[method >= 0 && method < 7 ? method : 0]);
            ASSERT_EQ(src.GetPixelIndex(x, y), white) << method << " at " << x << "," << y;
        });
    };
    for (long method = -1; method <= 8; ++method)
        expectSame(imgtest::Picture(41, 27, [](long x, long y) {
            const long v = (x * 41 + y * 67 + x * y * 5) % 256;
            return RGB(v, v, v);
        }), method);
    for (int v = 0; v < 256; ++v) // every level against every threshold
        for (long method : {1L, 7L})
            expectSame(imgtest::Picture(4, 4, [v](long, long) { return RGB(v, v, v); }), method);
}

} // namespace

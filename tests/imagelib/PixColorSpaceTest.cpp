// Colour spaces, channel images and the channel-wise smoothing.
#include <gtest/gtest.h>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"

namespace {

using imgtest::Quad;

struct Exposed : CPixImage {
    using CPixImage::CPixImage;
    using CPixImage::RepairChannel;
};

CPixImage Colours() {
    return imgtest::Picture(9, 5, [](long x, long y) { return RGB(28 * x, 255 - 50 * y, (x * y * 37) % 256); });
}

TEST(PixColorSpace, Conversions) {
    struct Case {
        const char* name;
        RGBQUAD (*f)(RGBQUAD);
        RGBQUAD in, want;
    } cases[] = {
        {"HSL of red", &CPixImage::RGBtoHSL, Quad(255, 0, 0), Quad(0, 255, 128)},
        {"HSL of grey", &CPixImage::RGBtoHSL, Quad(100, 100, 100), Quad(170, 0, 100)},
        {"HSL of green", &CPixImage::RGBtoHSL, Quad(0, 255, 0), Quad(85, 255, 128)},
        {"HSL of dark red", &CPixImage::RGBtoHSL, Quad(100, 50, 50), Quad(0, 85, 75)},
        {"RGB of grey HSL", [](RGBQUAD c) { return CPixImage::HSLtoRGB(c); }, Quad(0, 0, 128), Quad(128, 128, 128)},
        {"RGB of red HSL", [](RGBQUAD c) { return CPixImage::HSLtoRGB(c); }, Quad(0, 255, 128), Quad(255, 1, 1)},
        {"YUV of white", &CPixImage::RGBtoYUV, Quad(255, 255, 255), Quad(255, 128, 128)},
        {"YUV of black", &CPixImage::RGBtoYUV, Quad(0, 0, 0), Quad(0, 128, 128)},
        {"YIQ of white", &CPixImage::RGBtoYIQ, Quad(255, 255, 255), Quad(254, 127, 128)},
        {"RGB of YIQ clamps", &CPixImage::YIQtoRGB, Quad(250, 255, 255), Quad(255, 133, 255)},
        {"XYZ of white", &CPixImage::RGBtoXYZ, Quad(255, 255, 255), Quad(242, 255, 255)},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(imgtest::SameRgba(c.f(c.in), c.want)) << c.name;
}

// Each channel image holds the conversion of every pixel; combined they come back within a few
// levels (8-bit hue and YIQ chroma lose the most).
TEST(PixColorSpace, SplitAndCombineEverySpace) {
    const struct {
        long space;
        bool (CPixImage::*split)(CPixImage*, CPixImage*, CPixImage*);
        RGBQUAD (*to)(RGBQUAD);
        int tolerance;
    } spaces[] = {{CPixImage::CS_RGB, &CPixImage::SplitRGB, [](RGBQUAD c) { return c; }, 0},
                  {CPixImage::CS_HSL, &CPixImage::SplitHSL, &CPixImage::RGBtoHSL, 6},
                  {CPixImage::CS_YUV, &CPixImage::SplitYUV, &CPixImage::RGBtoYUV, 3},
                  {CPixImage::CS_YIQ, &CPixImage::SplitYIQ, &CPixImage::RGBtoYIQ, 8},
                  {CPixImage::CS_XYZ, &CPixImage::SplitXYZ, &CPixImage::RGBtoXYZ, 3}};
    CPixImage img = Colours();
    for (const auto& s : spaces) {
        CPixImage c1, c2, c3, out;
        ASSERT_TRUE((img.*s.split)(&c1, &c2, &c3) && c1.IsGrayScale() && c3.IsGrayScale());
        imgtest::ForEachPixel(img, [&](long x, long y) {
            const RGBQUAD want = s.to(img.GetPixelColor(x, y));
            ASSERT_TRUE(c1.GetPixelIndex(x, y) == want.rgbRed && c2.GetPixelIndex(x, y) == want.rgbGreen &&
                        c3.GetPixelIndex(x, y) == want.rgbBlue) << s.space << " at " << x << "," << y;
        });
        ASSERT_TRUE(out.Combine(&c1, &c2, &c3, nullptr, s.space));
        EXPECT_LE(imgtest::MaxDifference(out, img), s.tolerance) << s.space;
    }

    CPixImage c, m, y, k, r, g, b, out;
    CPixImage white = imgtest::Picture(1, 1, [](long, long) { return RGB(255, 255, 255); });
    ASSERT_TRUE(white.SplitCMYK(&c, &m, &y, &k));
    EXPECT_EQ(c.GetPixelIndex(0, 0) + m.GetPixelIndex(0, 0) + y.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(k.GetPixelIndex(0, 0), 255);
    EXPECT_FALSE(white.SplitRGB(nullptr, nullptr, nullptr));

    CPixImage small(3, 2, 8); // resampled to r's size, and keeps it
    small.SetGrayPalette();
    CPixImage alpha(9, 5, 8);
    alpha.SetGrayPalette();
    alpha.Clear(70);
    ASSERT_TRUE(img.SplitRGB(&r, &g, &b) && out.Combine(&r, &small, &b, &alpha, CPixImage::CS_RGB));
    EXPECT_EQ(small.GetWidth(), 9u);
    EXPECT_EQ(out.AlphaGet(4, 4), 70);
}

TEST(PixColorSpace, FailedSplitsAndCombinesKeepEverything) {
    CPixImage img = Colours(), empty, r, g, b;
    ASSERT_TRUE(img.SplitRGB(&r, &g, &b));
    CPixImage before(img);
    EXPECT_FALSE(img.Combine(&r, &empty, &b, nullptr));
    EXPECT_FALSE(img.Combine(&r, &g, nullptr, nullptr));
    EXPECT_FALSE(img.Combine(&r, &g, &b, &empty));
    EXPECT_EQ(imgtest::MaxDifference(img, before), 0);
    ASSERT_TRUE(img.Combine(&r, &img, &b, nullptr)); // this image as a channel is read first
    EXPECT_EQ(img.GetWidth(), 9u);

    // A 12-megapixel split with room for only one channel: no target changes.
    CPixImage big(4000, 3000, 24);
    EXPECT_TRUE(imgtest::HoldsWithoutMemory(20u << 20, [&] {
        CPixImage t1(1, 1, 24), t2(1, 1, 24), t3(1, 1, 24);
        return !big.SplitRGB(&t1, &t2, &t3) && t1.GetWidth() == 1 && t2.GetWidth() == 1 && t3.GetWidth() == 1;
    }));
}

TEST(PixColorSpace, RepairSmoothsChannelsAndStops) {
    for (DWORD side : {1u, 2u, 5u}) {
        Exposed flat(side, side, 8);
        flat.SetGrayPalette();
        flat.Clear(90);
        ASSERT_TRUE(flat.RepairChannel(&flat, 0.5f)) << side;
        EXPECT_EQ(flat.GetPixelIndex(static_cast<long>(side / 2), static_cast<long>(side / 2)), 90);
    }
    Exposed tool, empty;
    EXPECT_FALSE(tool.RepairChannel(&empty, 0.5f));
    EXPECT_FALSE(tool.RepairChannel(nullptr, 0.5f));
    CPixImage colour = Colours();
    EXPECT_FALSE(tool.RepairChannel(&colour, 0.5f)) << "channels are 8-bit";

    // One pixel of 100 in a 3 x 3 picture: the centre is computed (a steep slope beside it damps
    // the step to nothing), the border copied.
    const struct {
        long x, y;
        float strength;
        int centre, right;
    } cases[] = {{1, 1, 0.25f, 0, 0}, {1, 1, -0.1f, 140, 0}, {2, 1, 0.25f, 0, 100}};
    for (const auto& c : cases) { // 100 + 0.25 x (-400) is clamped
        Exposed img(3, 3, 8);
        img.SetGrayPalette();
        img.SetPixelIndex(c.x, c.y, 100);
        ASSERT_TRUE(img.RepairChannel(&img, c.strength));
        EXPECT_TRUE(img.GetPixelIndex(1, 1) == c.centre && img.GetPixelIndex(2, 1) == c.right) << c.strength;
        EXPECT_EQ(img.GetPixelIndex(1, 2), 0);
    }

    CPixImage none = Colours(), none0 = Colours();
    ASSERT_TRUE(none.Repair(0.5f, 0, CPixImage::CS_RGB));
    EXPECT_EQ(imgtest::MaxDifference(none, none0), 0) << "no iteration, no change";
    ASSERT_TRUE(none.Repair(0.5f, 1, CPixImage::CS_RGB));
    EXPECT_GT(imgtest::MaxDifference(none, none0), 0) << "one iteration smooths";

    CPixImage img = Colours();
    img.SetEscape(1);
    EXPECT_TRUE(img.Repair(0.25f, LONG_MAX, CPixImage::CS_HSL)) << "the stop request ends the iterations";
    EXPECT_FALSE(img.Repair(std::numeric_limits<float>::quiet_NaN(), 1, 0));
}

} // namespace

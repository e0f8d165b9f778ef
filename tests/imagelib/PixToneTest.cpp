// Look-up tables, brightness, contrast and gamma, and the point operations.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "imagelib/PixImage.h"
#include "platform/win/Random.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"

namespace {

using imgtest::Quad;

// A 256 x 1 grey 24-bit ramp: pixel x has every channel x.
CPixImage Ramp() {
    return imgtest::Picture(256, 1, [](long x, long) { return RGB(x, x, x); });
}

TEST(PixTone, LightAndGammaTables) {
    struct Case {
        const char* name;
        bool (*op)(CPixImage&);
        std::vector<std::pair<int, int>> inOut;
    } cases[] = {
        {"Light(0,0)", [](CPixImage& i) { return i.Light(0, 0); }, {{128, 128}, {129, 128}, {255, 254}}},
        {"Light(5,0)", [](CPixImage& i) { return i.Light(5, 0); }, {{0, 5}, {250, 254}, {251, 255}}},
        {"Light(-5,0)", [](CPixImage& i) { return i.Light(-5, 0); }, {{5, 0}, {6, 1}, {255, 249}}},
        {"Light(0,5)", [](CPixImage& i) { return i.Light(0, 5); }, {{127, 126}, {129, 129}, {255, 255}}},
        {"Light(0,-100)", [](CPixImage& i) { return i.Light(0, -100); }, {{3, 128}}},
        {"huge brightness", [](CPixImage& i) { return i.Light(LONG_MAX, 0); }, {{0, 255}}},
        {"huge contrast", [](CPixImage& i) { return i.Light(0, LONG_MIN); }, {{0, 255}}},
        {"Gamma(1)", [](CPixImage& i) { return i.Gamma(1.0f); }, {{3, 3}, {254, 254}}},
        {"Gamma(2.2)", [](CPixImage& i) { return i.Gamma(2.2f); }, {{128, 186}}},
        {"steep Gamma", [](CPixImage& i) { return i.Gamma(0.001f); }, {{200, 0}, {255, 255}}},
    };
    for (const Case& c : cases) {
        CPixImage img = Ramp();
        ASSERT_TRUE(c.op(img)) << c.name;
        for (auto [in, out] : c.inOut)
            EXPECT_EQ(img.GetPixelColor(in, 0).rgbGreen, out) << c.name << " of " << in;
    }
}

TEST(PixTone, RefusedArguments) {
    CPixImage img = Ramp(), empty;
    for (float g : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        EXPECT_FALSE(img.Gamma(g)) << g;
    BYTE t[256] = {};
    EXPECT_FALSE(img.Lut(nullptr));
    EXPECT_FALSE(img.Lut(t, nullptr, t));
    EXPECT_FALSE(empty.Lut(t));
    EXPECT_FALSE(empty.Light(1, 1));
    EXPECT_EQ(img.GetPixelColor(77, 0).rgbRed, 77);
}

TEST(PixTone, TablesReachPaletteSelectionAndAlpha) {
    BYTE seven[256];
    std::fill(std::begin(seven), std::end(seven), 7);
    CPixImage pal = imgtest::Indexed4(4, 4); // not grey: the palette changes, whatever the selection
    ASSERT_TRUE(pal.SelectionAddRect(RECT{0, 0, 1, 1}));
    ASSERT_TRUE(pal.Lut(seven));
    EXPECT_TRUE(imgtest::SameRgba(pal.GetPaletteColor(15), Quad(7, 7, 7, pal.GetPaletteColor(15).rgbReserved)));

    CPixImage grey(4, 1, 8);
    grey.SetGrayPalette();
    for (long x = 0; x < 4; ++x)
        grey.SetPixelIndex(x, 0, 50);
    ASSERT_TRUE(grey.SelectionAddRect(RECT{1, 0, 3, 1}));
    ASSERT_TRUE(grey.Lut(seven) && grey.IsGrayScale());
    EXPECT_TRUE(grey.GetPixelIndex(0, 0) == 50 && grey.GetPixelIndex(1, 0) == 7 && grey.GetPixelIndex(3, 0) == 50);

    BYTE id[256], inv[256];
    for (int i = 0; i < 256; ++i) {
        id[i] = static_cast<BYTE>(i);
        inv[i] = static_cast<BYTE>(255 - i);
    }
    CPixImage rgba = imgtest::Picture(2, 1, [](long, long) { return RGB(10, 20, 30); });
    rgba.AlphaCreate();
    rgba.AlphaSet(0, 0, 40);
    ASSERT_TRUE(rgba.SelectionAddPixel(0, 0) && rgba.Lut(inv, id, seven, inv));
    EXPECT_TRUE(imgtest::SameRgba(rgba.GetPixelColor(0, 0), Quad(245, 20, 7, 215)));
    EXPECT_TRUE(imgtest::SameRgba(rgba.GetPixelColor(1, 0), Quad(10, 20, 30, 255))) << "not selected";
    ASSERT_TRUE(rgba.Lut(seven));
    EXPECT_TRUE(imgtest::Rgb(rgba, 0, 0) == RGB(7, 7, 7) && imgtest::Rgb(rgba, 1, 0) == RGB(10, 20, 30));
}

TEST(PixPoint, ThresholdColorizeShiftNoiseRedEye) {
    CPixImage grey = Ramp();
    ASSERT_TRUE(grey.Threshold(127) && grey.GetBpp() == 1);
    EXPECT_TRUE(grey.GetPixelIndex(127, 0) == 0 && grey.GetPixelIndex(128, 0) == 1);
    EXPECT_TRUE(grey.Threshold(0)) << "a 1-bit image stays as it is";
    CPixImage keyed = Ramp(); // white transparent: nothing of that survives on the new palette
    keyed.SetTransColor(Quad(255, 255, 255));
    keyed.SetTransIndex(0);
    ASSERT_TRUE(keyed.Threshold(127));
    EXPECT_FALSE(keyed.IsTransparent());
    imgtest::Bytes png = imgtest::EncodeAs(keyed, PIXFORMAT_PNG);
    CPixImage back(png.data(), static_cast<DWORD>(png.size()), PIXFORMAT_PNG);
    EXPECT_TRUE(back.IsValid() && !back.IsTransparent() && !back.AlphaIsValid());

    CPixImage c = imgtest::Picture(8, 2, [](long x, long y) { return RGB(30 * x, 200 - 20 * x, 90 + 50 * y); });
    CPixImage same(c);
    ASSERT_TRUE(same.Colorize(40, 200, 0.0f));
    ASSERT_TRUE(same.Colorize(40, 200, std::numeric_limits<float>::quiet_NaN())); // NaN blends nothing
    EXPECT_EQ(imgtest::MaxDifference(same, c), 0);
    CPixImage full(c);
    ASSERT_TRUE(full.Colorize(40, 200, 1.0f));
    imgtest::ForEachPixel(full, [&](long x, long y) {
        const RGBQUAD h = CPixImage::RGBtoHSL(full.GetPixelColor(x, y)), o = CPixImage::RGBtoHSL(c.GetPixelColor(x, y));
        EXPECT_NEAR(h.rgbBlue, o.rgbBlue, 1) << "lightness kept";
    });
    // The palette's reserved byte: a full colorize clears it, a blend keeps it, and a palette
    // with alpha keeps it always, also through a PNG file's tRNS.
    const struct { float blend; bool alpha; BYTE reserved; } palCases[] = {
        {1.0f, false, 0}, {0.9995f, false, 0}, {0.5f, false, 99}, {0.0f, false, 99}, {1.0f, true, 99}, {0.5f, true, 99}};
    for (const auto& pc : palCases) {
        CPixImage pal = imgtest::Indexed4(2, 2);
        pal.SetPaletteColor(3, RGBQUAD{10, 20, 30, 99});
        pal.AlphaPaletteEnable(pc.alpha);
        ASSERT_TRUE(pal.Colorize(40, 200, pc.blend));
        EXPECT_EQ(pal.GetPaletteColor(3).rgbReserved, pc.reserved) << pc.blend << " " << pc.alpha;
        if (!pc.alpha) continue;
        imgtest::Bytes file = imgtest::EncodeAs(pal, PIXFORMAT_PNG);
        CPixImage back(file.data(), static_cast<DWORD>(file.size()), PIXFORMAT_PNG);
        ASSERT_TRUE(back.IsValid() && back.AlphaPaletteIsEnabled()) << pc.blend;
        EXPECT_EQ(back.GetPaletteColor(3).rgbReserved, 99) << pc.blend;
    }

    CPixImage shifted(c); // far past either end: clamped
    ASSERT_TRUE(shifted.ShiftRGB(LONG_MAX, LONG_MIN, 0));
    imgtest::ForEachPixel(shifted, [&](long x, long y) {
        const RGBQUAD q = shifted.GetPixelColor(x, y);
        EXPECT_TRUE(q.rgbRed == 255 && q.rgbGreen == 0 && q.rgbBlue == c.GetPixelColor(x, y).rgbBlue);
    });
    CPixImage quiet(c);
    ASSERT_TRUE(quiet.Noise(0));
    EXPECT_EQ(imgtest::MaxDifference(quiet, c), 0);
    CPixImage loud(c);
    SRand(1);
    ASSERT_TRUE(loud.Noise(LONG_MAX));
    imgtest::ForEachPixel(loud, [&](long x, long y) {
        const BYTE v = loud.GetPixelColor(x, y).rgbRed;
        EXPECT_TRUE(v == 0 || v == 255);
    });

    CPixImage eye = imgtest::Picture(2, 1, [](long, long) { return RGB(200, 50, 10); });
    ASSERT_TRUE(eye.SelectionAddRect(RECT{0, 1, 1, 0}));
    ASSERT_TRUE(eye.RedEyeRemove());
    EXPECT_EQ(eye.GetPixelColor(0, 0).rgbRed, 10);
    EXPECT_EQ(eye.GetPixelColor(1, 0).rgbRed, 200);
}

TEST(PixPoint, HuePaletteRamps) {
    CPixImage img(4, 1, 4); // 16 entries: a step of 17
    img.HuePalette(1.0f);
    EXPECT_TRUE(imgtest::SameRgba(img.GetPaletteColor(1), CPixImage::HSLtoRGB(Quad(17, 240, 120))));
    CPixImage huge(4, 1, 1);
    huge.HuePalette(std::numeric_limits<float>::quiet_NaN()); // no NaN reaches an integer
    EXPECT_TRUE(imgtest::SameRgba(huge.GetPaletteColor(1), CPixImage::HSLtoRGB(Quad(0, 240, 120))));
    CPixImage rgb = Ramp();
    rgb.HuePalette(1.0f);
    EXPECT_EQ(rgb.GetPixelColor(5, 0).rgbRed, 5);
}

} // namespace

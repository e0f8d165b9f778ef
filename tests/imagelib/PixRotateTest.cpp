#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"

namespace {

using imgtest::Rgb;

CPixImage Noise(long w, long h) {
    CPixImage img = imgtest::Picture(w, h, [](long x, long y) { return RGB(x * 37 + y, y * 53 ^ x, (x * y) * 7); });
    img.AlphaCreate();
    imgtest::ForEachPixel(img, [&](long x, long y) { img.AlphaSet(x, y, static_cast<BYTE>(x * 11 + y * 3)); });
    return img;
}

TEST(PixRotate, RotateZeroShiftsByOneAndQuarterTurnsGrow) {
    CPixImage img = Noise(7, 5), out(img), small(4, 2, 8);
    ASSERT_TRUE(out.Rotate(0));
    ASSERT_TRUE(out.GetWidth() == 9 && out.GetHeight() == 7);
    for (long x = 0; x < 8; ++x)
        for (long y = 0; y < 6; ++y) {
            const long sx = x == 0 ? 0 : x - 1, sy = y == 0 ? 0 : y - 1;
            ASSERT_EQ(Rgb(out, x, y), Rgb(img, sx, sy)) << x << "," << y;
            ASSERT_EQ(out.AlphaGet(x, y), img.AlphaGet(sx, sy));
        }
    EXPECT_EQ(out.AlphaGet(8, 3), 0) << "the last column lies outside the picture";
    ASSERT_TRUE(small.Rotate(90));
    EXPECT_TRUE(small.GetWidth() == 4 && small.GetHeight() == 6);
}

TEST(PixRotate, Rotate2HandsRightAnglesOver) {
    const struct { float angle; bool (CPixImage::*lossless)(CPixImage*); } cases[] = {
        {90, &CPixImage::RotateRight}, {-90, &CPixImage::RotateLeft}, {270, &CPixImage::RotateLeft}, {180, &CPixImage::Rotate180}};
    CPixImage img = Noise(9, 4), copy;
    for (const auto& c : cases) {
        CPixImage want, got;
        ASSERT_TRUE((img.*c.lossless)(&want) && img.Rotate2(c.angle, &got));
        ASSERT_EQ(got.GetWidth(), want.GetWidth());
        EXPECT_EQ(imgtest::MaxDifference(got, want), 0) << c.angle;
    }
    ASSERT_TRUE(img.Rotate2(360, &copy));
    EXPECT_EQ(imgtest::MaxDifference(copy, img), 0);
}

TEST(PixRotate, Rotate2BilinearMatchesTheInterpolatorAndFillsCorners) {
    // An unknown method samples bilinearly through the interpolator, point by point.
    CPixImage img = Noise(31, 17), fast, slow, white;
    RGBQUAD red = imgtest::Quad(255, 0, 0);
    ASSERT_TRUE(img.Rotate2(33, &fast, CPixImage::IM_BILINEAR, CPixImage::OM_COLOR, &red, false));
    ASSERT_TRUE(img.Rotate2(33, &slow, static_cast<CPixImage::InterpolationMethod>(99), CPixImage::OM_COLOR, &red, false));
    ASSERT_EQ(fast.GetWidth(), static_cast<DWORD>(std::floor(31 * std::cos(0.576) + 17 * std::sin(0.576) + 0.5)));
    imgtest::ForEachPixel(fast, [&](long x, long y) {
        ASSERT_TRUE(imgtest::SameRgba(fast.GetPixelColor(x, y), slow.GetPixelColor(x, y))) << x << "," << y;
    });
    EXPECT_EQ(Rgb(fast, 0, 0), RGB(255, 0, 0)) << "corners take the replacement colour";
    ASSERT_TRUE(img.Rotate2(45, &white, CPixImage::IM_BILINEAR, CPixImage::OM_COLOR, nullptr));
    EXPECT_EQ(Rgb(white, 0, 0), RGB(255, 255, 255));
    ASSERT_TRUE(img.DecreaseBpp(8, false));
    img.AlphaCreate();
    ASSERT_TRUE(img.Rotate2(33, &slow, CPixImage::IM_BICUBIC2, CPixImage::OM_COLOR, &red, false));
    EXPECT_EQ(slow.AlphaGet(17, 15), img.AlphaGet(15, 8)) << "palette pictures keep their alpha plane";
}

TEST(PixRotate, Rotate2KeepSizeTurnsAboutTheCentre) {
    CPixImage img = Noise(21, 15), out;
    ASSERT_TRUE(img.Rotate2(37, &out, CPixImage::IM_BILINEAR, CPixImage::OM_COLOR, nullptr, true, true));
    EXPECT_TRUE(out.GetWidth() == 21 && out.GetHeight() == 15);
    EXPECT_EQ(Rgb(out, 10, 7), Rgb(img, 10, 7));
    EXPECT_EQ(Rgb(out, 0, 0), RGB(255, 255, 255)) << "the turned corners are cut off";
}

TEST(PixRotate, RefusalsKeepThePicture) {
    CPixImage img = Noise(6, 6);
    for (float bad : {NAN, INFINITY, -INFINITY})
        EXPECT_FALSE(img.Rotate(bad) || img.Rotate2(bad));
    // A 45 degree turn of the largest square needs sides past the cap.
    CPixImage big(PIXIMAGE_MAX_SIDE, PIXIMAGE_MAX_SIDE, 1);
    big.SetPixelIndex(5, 5, 1);
    EXPECT_FALSE(big.Rotate(45) || big.Rotate2(45));
    EXPECT_TRUE(big.GetWidth() == PIXIMAGE_MAX_SIDE && big.GetPixelIndex(5, 5) == 1);
}

// The plain per-pixel quarter turn of a 1-bit picture, into rows whose fill bits are 0.
CPixImage TurnedPixelByPixel(CPixImage& src, bool right) {
    const long w = static_cast<long>(src.GetWidth()), h = static_cast<long>(src.GetHeight());
    CPixImage out(static_cast<DWORD>(h), static_cast<DWORD>(w), 1);
    for (long x = 0; x < h; ++x)
        for (long y = 0; y < w; ++y)
            out.SetPixelIndex(x, y, right ? src.GetPixelIndex(w - 1 - y, x) : src.GetPixelIndex(y, h - 1 - x));
    return out;
}

TEST(PixRotate, OneBitQuarterTurnsMatchThePixelByPixelTurnBitForBit) {
    const long sides[] = {1, 7, 8, 9, 17, 63, 65};
    uint32_t seed = 12345;
    for (long w : sides)
        for (long h : sides) {
            CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), 1);
            img.SetPaletteColor(1, 200, 100, 50);
            img.AlphaCreate();
            // Random rows, fill bits and padding bytes included: none of those may reach the picture.
            for (long y = 0; y < h; ++y) {
                BYTE* row = img.GetBits(static_cast<DWORD>(y));
                for (DWORD i = 0; i < img.GetEffWidth(); ++i) {
                    seed = seed * 1103515245u + 12345u;
                    row[i] = static_cast<BYTE>(seed >> 16);
                }
                for (long x = 0; x < w; ++x)
                    img.AlphaSet(x, y, static_cast<BYTE>(x * 13 + y * 7));
            }
            for (bool right : {false, true}) {
                CPixImage want = TurnedPixelByPixel(img, right), got;
                ASSERT_TRUE(right ? img.RotateRight(&got) : img.RotateLeft(&got));
                ASSERT_TRUE(got.GetWidth() == static_cast<DWORD>(h) && got.GetHeight() == static_cast<DWORD>(w));
                ASSERT_EQ(got.GetBpp(), 1);
                EXPECT_EQ(imgtest::Rgb(got.GetPaletteColor(1)), RGB(200, 100, 50));
                for (long y = 0; y < w; ++y)
                    ASSERT_EQ(std::memcmp(got.GetBits(static_cast<DWORD>(y)), want.GetBits(static_cast<DWORD>(y)),
                                          want.GetEffWidth()), 0)
                        << w << "x" << h << (right ? " right" : " left") << ", new row " << y;
                imgtest::ForEachPixel(got, [&](long x, long y) {
                    ASSERT_EQ(got.AlphaGet(x, y), right ? img.AlphaGet(w - 1 - y, x) : img.AlphaGet(y, h - 1 - x))
                        << w << "x" << h << " at " << x << "," << y;
                });
            }
        }
}

} // namespace

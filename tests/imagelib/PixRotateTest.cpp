#include <gtest/gtest.h>

#include <cmath>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"

namespace {

using imgtest::Quad;
using imgtest::Rgb;

CPixImage Noise(long w, long h) {
    CPixImage img = imgtest::Picture(w, h, [](long x, long y) { return RGB(x * 37 + y, y * 53 ^ x, (x * y) * 7); });
    img.AlphaCreate();
    imgtest::ForEachPixel(img, [&](long x, long y) { img.AlphaSet(x, y, static_cast<BYTE>(x * 11 + y * 3)); });
    return img;
}

TEST(PixRotate, RotateZeroAndQuarterSizes) {
    CPixImage img = Noise(7, 5);
    CPixImage out(img);
    ASSERT_TRUE(out.Rotate(0));
    ASSERT_EQ(out.GetWidth(), 9u);
    ASSERT_EQ(out.GetHeight(), 7u);
    for (long x = 0; x < 8; ++x)
        for (long y = 0; y < 6; ++y) {
            const long sx = x == 0 ? 0 : x - 1, sy = y == 0 ? 0 : y - 1;
            ASSERT_EQ(Rgb(out, x, y), Rgb(img, sx, sy)) << x << "," << y;
            ASSERT_EQ(out.AlphaGet(x, y), img.AlphaGet(sx, sy));
        }
    EXPECT_EQ(out.AlphaGet(8, 3), 0) << "the last column lies outside the picture";

    CPixImage small(4, 2, 8);
    ASSERT_TRUE(small.Rotate(90));
    EXPECT_EQ(small.GetWidth(), 4u);
    EXPECT_EQ(small.GetHeight(), 6u);
}

TEST(PixRotate, Rotate2HandsRightAnglesOver) {
    struct Case {
        float angle;
        bool (CPixImage::*lossless)(CPixImage*);
    } cases[] = {{90, &CPixImage::RotateRight}, {-90, &CPixImage::RotateLeft}, {270, &CPixImage::RotateLeft},
                 {180, &CPixImage::Rotate180}};
    CPixImage img = Noise(9, 4);
    for (const Case& c : cases) {
        CPixImage want, got;
        ASSERT_TRUE((img.*c.lossless)(&want));
        ASSERT_TRUE(img.Rotate2(c.angle, &got));
        ASSERT_EQ(got.GetWidth(), want.GetWidth());
        EXPECT_EQ(imgtest::MaxDifference(got, want), 0) << c.angle;
    }
    CPixImage copy;
    ASSERT_TRUE(img.Rotate2(360, &copy));
    EXPECT_EQ(imgtest::MaxDifference(copy, img), 0);
}

TEST(PixRotate, Rotate2SamplesAsTheInterpolatorDoes) {
    for (DWORD bpp : {24u, 8u}) {
        CPixImage img = Noise(31, 17);
        if (bpp == 8) {
            img.DecreaseBpp(8, false);
            img.AlphaCreate();
        }
        for (auto method : {CPixImage::IM_BILINEAR, CPixImage::IM_BICUBIC2, CPixImage::IM_NEAREST_NEIGHBOUR}) {
            CPixImage out;
            RGBQUAD red = Quad(255, 0, 0);
            ASSERT_TRUE(img.Rotate2(33, &out, method, CPixImage::OM_COLOR, &red, false, false));
            // Reference: every pixel through the interpolator, from the corner geometry.
            const double a = -33 * std::acos(0.0) / 90, c = std::cos(a), s = std::sin(a);
            float xs[4] = {-0.5f, 30.5f, -0.5f, 30.5f}, ys[4] = {-0.5f, -0.5f, 16.5f, 16.5f};
            float lo[2] = {1e9f, 1e9f}, hi[2] = {-1e9f, -1e9f};
            for (int i = 0; i < 4; ++i) {
                const float tx = static_cast<float>(xs[i] * c - ys[i] * s), ty = static_cast<float>(xs[i] * s + ys[i] * c);
                lo[0] = std::min(lo[0], tx), hi[0] = std::max(hi[0], tx), lo[1] = std::min(lo[1], ty), hi[1] = std::max(hi[1], ty);
            }
            ASSERT_EQ(out.GetWidth(), static_cast<DWORD>(std::floor(hi[0] - lo[0] + 0.5)));
            const float x0 = (lo[0] + hi[0] - (out.GetWidth() - 1.0f)) / 2, y0 = (lo[1] + hi[1] - (out.GetHeight() - 1.0f)) / 2;
            imgtest::ForEachPixel(out, [&](long i, long j) {
                const float px = x0 + i, py = y0 + j;
                const RGBQUAD want = img.GetPixelColorInterpolated(static_cast<float>(px * c + py * s),
                                                                   static_cast<float>(py * c - px * s), method,
                                                                   CPixImage::OM_COLOR, &red);
                const RGBQUAD got = out.GetPixelColor(i, j, true);
                if (bpp == 24)
                    ASSERT_TRUE(imgtest::SameRgba(got, want)) << method << " at " << i << "," << j;
                else
                    ASSERT_EQ(got.rgbReserved, want.rgbReserved);
            });
            EXPECT_EQ(Rgb(out, 0, 0), RGB(255, 0, 0)) << "corners take the replacement colour";
        }
    }
    CPixImage white;
    ASSERT_TRUE(Noise(8, 8).Rotate2(45, &white, CPixImage::IM_BILINEAR, CPixImage::OM_COLOR, nullptr));
    EXPECT_EQ(Rgb(white, 0, 0), RGB(255, 255, 255));
}

TEST(PixRotate, Rotate2KeepSizeTurnsAboutTheCentre) {
    CPixImage img = Noise(21, 15);
    CPixImage out;
    ASSERT_TRUE(img.Rotate2(37, &out, CPixImage::IM_BILINEAR, CPixImage::OM_COLOR, nullptr, true, true));
    EXPECT_EQ(out.GetWidth(), 21u);
    EXPECT_EQ(out.GetHeight(), 15u);
    EXPECT_EQ(Rgb(out, 10, 7), Rgb(img, 10, 7));
    EXPECT_EQ(Rgb(out, 0, 0), RGB(255, 255, 255)) << "the turned corners are cut off";
}

TEST(PixRotate, RefusalsKeepThePicture) {
    CPixImage img = Noise(6, 6);
    for (float bad : {NAN, INFINITY, -INFINITY}) {
        EXPECT_FALSE(img.Rotate(bad));
        EXPECT_FALSE(img.Rotate2(bad));
    }
    // A 45 degree turn of the largest square needs sides past the cap: the picture stays.
    CPixImage big(PIXIMAGE_MAX_SIDE, PIXIMAGE_MAX_SIDE, 1);
    ASSERT_TRUE(big.IsValid());
    big.SetPixelIndex(5, 5, 1);
    EXPECT_FALSE(big.Rotate(45));
    EXPECT_FALSE(big.Rotate2(45));
    EXPECT_FALSE(big.CropRotatedRectangle(0, 0, 29000, 29000, 0.7f));
    EXPECT_EQ(big.GetWidth(), PIXIMAGE_MAX_SIDE);
    EXPECT_EQ(big.GetPixelIndex(5, 5), 1);
}

} // namespace

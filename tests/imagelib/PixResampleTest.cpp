#include <gtest/gtest.h>

#include <cmath>

#include "imagelib/PixImage.h"
#include "imagelib/PixRect2.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

CPixImage Flat(long w, long h, DWORD bpp, COLORREF c) {
    CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), bpp);
    img.SetStdPalette();
    ForEachPixel(img, [&](long x, long y) { img.SetPixelColor(x, y, c); });
    return img;
}

void ExpectFlat(CPixImage& img, COLORREF c, int tolerance) {
    CPixImage flat = Flat(img.GetWidth(), img.GetHeight(), 24, c);
    EXPECT_LE(MaxDifference(img, flat), tolerance);
}

// Kernels whose weights add up to 1; the others (box, sinc, Blackman ...) are no averaging filters.
bool Averages(int method) {
    return method <= 5 || method == 8 || method == 14 || method == 15 || method == 16;
}

TEST(PixGeometry, PointsAndRectangles) {
    EXPECT_FLOAT_EQ(CPixPoint2(0, 0).Distance(CPixPoint2(3, 4)), 5.0f);
    const CPixRect2 a(0, 0, 10, 10), b(5, 5, 20, 20);
    CPixRect2 c = a.CrossSection(b);
    EXPECT_FLOAT_EQ(c.botLeft.x, 5);
    EXPECT_FLOAT_EQ(c.topRight.y, 10);
    CPixRect2 edge = a.CrossSection(CPixRect2(10, 0, 15, 10));
    EXPECT_FLOAT_EQ(edge.Width(), 0);
    EXPECT_FLOAT_EQ(edge.Height(), 10);
    CPixRect2 none = a.CrossSection(CPixRect2(11, 11, 12, 12));
    EXPECT_FLOAT_EQ(none.Surface(), 0);
    EXPECT_FLOAT_EQ(none.topRight.x, 0);
    EXPECT_LT(CPixRect2(5, 0, 1, 2).Surface(), 0);
    EXPECT_FLOAT_EQ(a.Center().x, 5);
}

TEST(PixKernels, ValuesAtZeroAndShape) {
    const std::pair<float (*)(float), float> atZero[] = {
        {CPixImage::KernelBox, 1}, {CPixImage::KernelHermite, 1}, {CPixImage::KernelHamming, 1},
        {CPixImage::KernelSinc, 1}, {CPixImage::KernelCubic, 1}, {CPixImage::KernelCatrom, 1},
        {[](float t) { return CPixImage::KernelLanczosSinc(t, 6); }, 1},
        {[](float t) { return CPixImage::KernelGeneralizedCubic(t, -0.5f); }, 1},
        {CPixImage::KernelBSpline, 0.6666667f}, {CPixImage::KernelMitchell, 0.8888889f},
        {CPixImage::KernelQuadratic, 0.75f}, {CPixImage::KernelBessel, 0.7853982f},
        {CPixImage::KernelGaussian, 0.7978846f},
    };
    for (size_t i = 0; i < std::size(atZero); ++i)
        EXPECT_NEAR(atZero[i].first(0), atZero[i].second, 1e-6) << "kernel " << i;
    // The Bessel function of order 1 on both sides of the switch at 8.
    EXPECT_NEAR(CPixImage::KernelBessel_Order1(1.0f), 0.4400506f, 1e-5);
    EXPECT_NEAR(CPixImage::KernelBessel_Order1(10.0f), 0.0434727f, 1e-5);
    EXPECT_NEAR(CPixImage::KernelBessel_Order1(-10.0f), -0.0434727f, 1e-5);
    // B-spline and Catmull-Rom weights of the four taps add up to 1.
    for (float t : {0.0f, 0.25f, 0.5f, 0.9f}) {
        float bs = 0, cr = 0;
        for (int k = -1; k <= 2; ++k) {
            bs += CPixImage::KernelBSpline(k - t);
            cr += CPixImage::KernelCatrom(k - t);
        }
        EXPECT_NEAR(bs, 1.0f, 1e-5);
        EXPECT_NEAR(cr, 1.0f, 1e-5);
    }
}

TEST(PixInterpolation, OverflowMethods) {
    CPixImage img(4, 2, 24);
    for (long x = 0; x < 4; ++x)
        img.SetPixelColor(x, 0, RGB(static_cast<BYTE>(10 * x), 0, 0));
    EXPECT_EQ(img.GetPixelColorWithOverflow(-1, 0, CPixImage::OM_REPEAT).rgbRed, 0);
    EXPECT_EQ(img.GetPixelColorWithOverflow(-1, 0, CPixImage::OM_WRAP).rgbRed, 30);
    EXPECT_EQ(img.GetPixelColorWithOverflow(-1, 0, CPixImage::OM_MIRROR).rgbRed, 10);
    EXPECT_EQ(img.GetPixelColorWithOverflow(5, 0, CPixImage::OM_MIRROR).rgbRed, 20);
    RGBQUAD white = img.GetPixelColorWithOverflow(-1, 0, CPixImage::OM_COLOR);
    EXPECT_EQ(white.rgbRed, 255);
    EXPECT_EQ(white.rgbReserved, 0);
    RGBQUAD rpl = Quad(1, 2, 3, 4);
    EXPECT_EQ(img.GetPixelColorWithOverflow(9, 9, CPixImage::OM_BACKGROUND, &rpl).rgbBlue, 3);
    img.AlphaCreate();
    EXPECT_EQ(img.GetPixelColorWithOverflow(9, 9, CPixImage::OM_TRANSPARENT, &rpl).rgbReserved, 0);
    CPixImage empty;
    long x = -3, y = 7;
    empty.OverflowCoordinates(x, y, CPixImage::OM_WRAP); // no picture: no division by zero
    EXPECT_EQ(x, -3);
}

TEST(PixInterpolation, SamplingPoints) {
    CPixImage img(4, 3, 24);
    ForEachPixel(img, [&](long x, long y) { img.SetPixelColor(x, y, RGB(40 * x + 7 * y, y * 50, 9)); });
    using IM = CPixImage::InterpolationMethod;
    EXPECT_EQ(img.GetPixelColorInterpolated(-0.4f, 0, IM::IM_NEAREST_NEIGHBOUR, CPixImage::OM_COLOR).rgbRed, 0);
    EXPECT_EQ(img.GetPixelColorInterpolated(-0.6f, 0, IM::IM_NEAREST_NEIGHBOUR, CPixImage::OM_COLOR).rgbRed, 0);
    // Bilinear at whole coordinates gives the pixel itself, inside and on the edge.
    EXPECT_EQ(img.GetPixelColorInterpolated(1, 1, IM::IM_BILINEAR).rgbRed, 47);
    EXPECT_EQ(img.GetPixelColorInterpolated(3, 2, IM::IM_BILINEAR, CPixImage::OM_REPEAT).rgbRed, 134);
    EXPECT_EQ(img.GetPixelColorInterpolated(1.5f, 1, IM::IM_BILINEAR).rgbRed, 67);
    // Area with w = h = 1 is the point sample.
    for (int m = 1; m <= 16; ++m) {
        IM method = static_cast<IM>(m);
        RGBQUAD p = img.GetPixelColorInterpolated(1.3f, 0.7f, method, CPixImage::OM_REPEAT);
        RGBQUAD a = img.GetAreaColorInterpolated(1.3f, 0.7f, 1, 1, method, CPixImage::OM_REPEAT);
        EXPECT_EQ(p.rgbRed, a.rgbRed) << m;
    }
}

TEST(PixResample, SizesAndConstantColourInEveryModeAndMethod) {
    const COLORREF c = RGB(200, 100, 37);
    for (DWORD bpp : {8u, 24u}) {
        for (int mode : {0, 1, 2}) {
            for (auto [nw, nh] : {std::pair<long, long>{5, 3}, {33, 41}, {10, 40}, {17, 7}}) {
                CPixImage img = Flat(17, 13, bpp, bpp == 24 ? c : RGB(255, 0, 255));
                ASSERT_TRUE(img.Resample(nw, nh, mode)) << mode;
                ASSERT_EQ(img.GetWidth(), static_cast<DWORD>(nw));
                ASSERT_EQ(img.GetHeight(), static_cast<DWORD>(nh));
                ASSERT_EQ(img.GetBpp(), bpp);
                ExpectFlat(img, bpp == 24 ? c : RGB(255, 0, 255), mode == 2 ? 1 : 0);
            }
        }
    }
    CPixImage img = Flat(17, 13, 24, c);
    for (int m = 1; m <= 16; ++m) {
        const auto method = static_cast<CPixImage::InterpolationMethod>(m);
        CPixImage out;
        ASSERT_TRUE(img.Resample2(7, 20, method, CPixImage::OM_REPEAT, &out));
        ASSERT_EQ(out.GetWidth(), 7u);
        ASSERT_EQ(out.GetHeight(), 20u);
        if (!Averages(m))
            continue;
        ExpectFlat(out, c, 1);
        auto near = [&](RGBQUAD q) {
            return std::abs(q.rgbRed - 200) <= 1 && std::abs(q.rgbGreen - 100) <= 1 && std::abs(q.rgbBlue - 37) <= 1;
        };
        EXPECT_TRUE(near(img.GetAreaColorInterpolated(4, 3, 3.5f, 2.5f, method, CPixImage::OM_REPEAT))) << m;
        for (float x : {0.0f, 4.25f, 16.9f})
            EXPECT_TRUE(near(img.GetPixelColorInterpolated(x, 5.5f, method, CPixImage::OM_REPEAT))) << m;
    }
    ASSERT_TRUE(img.QIShrink(5, 4));
    ExpectFlat(img, c, 0);
}

TEST(PixResample, AreaShrinkAndBilinearEdges) {
    CPixImage img(4, 4, 24);
    ForEachPixel(img, [&](long x, long y) { img.SetPixelColor(x, y, RGB(x < 2 ? 0 : 200, y < 2 ? 40 : 80, 7)); });
    CPixImage half;
    ASSERT_TRUE(img.Resample(2, 2, 0, &half));
    EXPECT_EQ(half.GetPixelColor(0, 0).rgbRed, 0);
    EXPECT_EQ(half.GetPixelColor(1, 0).rgbRed, 200);
    EXPECT_EQ(half.GetPixelColor(1, 1).rgbGreen, 80);
    EXPECT_EQ(img.GetWidth(), 4u) << "iDst leaves the source alone";

    // Nearest: 2 x 2 to 4 x 4 repeats each pixel in a 2 x 2 block.
    CPixImage two(2, 2, 24);
    two.SetPixelColor(1, 0, RGB(9, 9, 9));
    ASSERT_TRUE(two.Resample(4, 4, 1));
    EXPECT_EQ(two.GetPixelColor(2, 0).rgbRed, 9);
    EXPECT_EQ(two.GetPixelColor(3, 1).rgbRed, 9);
    EXPECT_EQ(two.GetPixelColor(1, 1).rgbRed, 0);

    // Bilinear enlargement keeps the last column and row.
    CPixImage ramp(3, 1, 24);
    ramp.SetPixelColor(2, 0, RGB(90, 0, 0));
    ASSERT_TRUE(ramp.Resample(9, 2, 0));
    EXPECT_EQ(ramp.GetPixelColor(8, 1).rgbRed, 90);

    EXPECT_FALSE(ramp.Resample(0, 5, 0));
    EXPECT_FALSE(ramp.Resample(-3, 5, 0));
    ASSERT_TRUE(ramp.Resample(9, 2, 0)) << "same size";
    CPixImage same;
    ASSERT_TRUE(ramp.Resample(9, 2, 0, &same));
    EXPECT_EQ(same.GetWidth(), 9u);
}

TEST(PixResample, AlphaIsSampledNearestAndEscapeLeavesRowsZero) {
    CPixImage img(4, 4, 24);
    img.AlphaCreate();
    img.AlphaSet(2, 2, 10);
    ASSERT_TRUE(img.Resample(2, 2, 0));
    ASSERT_TRUE(img.AlphaIsValid());
    EXPECT_EQ(img.AlphaGet(1, 1), 10);
    EXPECT_EQ(img.AlphaGet(0, 0), 255);

    CPixImage big = Flat(40, 40, 24, RGB(50, 60, 70));
    big.SetEscape(1);
    ASSERT_TRUE(big.Resample(80, 80, 0));
    EXPECT_EQ(big.GetWidth(), 80u);
    EXPECT_EQ(big.GetPixelColor(79, 79).rgbRed, 0);
}

TEST(PixResample, QIShrinkBoxes) {
    CPixImage row(5, 1, 24);
    const BYTE v[5] = {0, 30, 60, 100, 200};
    for (long x = 0; x < 5; ++x)
        row.SetPixelColor(x, 0, RGB(v[x], 0, 0));
    CPixImage out;
    ASSERT_TRUE(row.QIShrink(2, 1, &out));
    EXPECT_EQ(out.GetPixelColor(0, 0).rgbRed, 30);
    EXPECT_EQ(out.GetPixelColor(1, 0).rgbRed, 150);
    EXPECT_FALSE(row.QIShrink(6, 1));
    EXPECT_STREQ(row.GetLastError(), "QIShrink can't enlarge image");

    // Keeping one side: every column (or row) is a cell of its own, the last one included.
    CPixImage square(5, 2, 24);
    for (long x = 0; x < 5; ++x)
        for (long y = 0; y < 2; ++y)
            square.SetPixelColor(x, y, RGB(v[x], static_cast<BYTE>(10 + 100 * y), 0));
    CPixImage thin, flat;
    ASSERT_TRUE(square.QIShrink(5, 1, &thin));
    ASSERT_TRUE(square.QIShrink(1, 2, &flat));
    for (long x = 0; x < 5; ++x) {
        EXPECT_EQ(thin.GetPixelColor(x, 0).rgbRed, v[x]) << x;
        EXPECT_EQ(thin.GetPixelColor(x, 0).rgbGreen, 60) << x;
    }
    EXPECT_EQ(flat.GetPixelColor(0, 0).rgbRed, 78);
    EXPECT_EQ(flat.GetPixelColor(0, 1).rgbGreen, 110);
}

} // namespace

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"

namespace {

using imgtest::Quad;
using imgtest::Rgb;

// Pixel (x, r) with r counted from the top row, as the rectangles are.
COLORREF TopDown(CPixImage& img, long x, long r) { return Rgb(img, x, static_cast<long>(img.GetHeight()) - 1 - r); }

COLORREF Coded(long x, long r) { return RGB(x, r, 7); } // for pictures with top-down row r

CPixImage CodedPicture(long w, long h) {
    return imgtest::Picture(w, h, [h](long x, long y) { return Coded(x, h - 1 - y); });
}

TEST(PixCrop, CropCornersInAnyOrder) {
    struct Case {
        long l, t, r, b;
        bool ok;
        long x0, r0, w, h;
    } cases[] = {{10, 20, 110, 70, true, 10, 20, 100, 50}, {110, 70, 10, 20, true, 10, 20, 100, 50},
                 {-5, -5, 10, 10, true, 0, 0, 10, 10},     {190, 90, 999, 999, true, 190, 90, 10, 10},
                 {5, 0, 5, 50, false, 0, 0, 0, 0},         {LONG_MIN, 0, LONG_MAX, 100, true, 0, 0, 200, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.l << "," << c.t << "," << c.r << "," << c.b);
        CPixImage img = CodedPicture(200, 100), out;
        ASSERT_EQ(img.Crop(c.l, c.t, c.r, c.b, &out), c.ok);
        EXPECT_EQ(img.GetWidth(), 200u);
        if (!c.ok)
            continue;
        ASSERT_EQ(out.GetWidth(), static_cast<DWORD>(c.w));
        ASSERT_EQ(out.GetHeight(), static_cast<DWORD>(c.h));
        imgtest::ForEachPixel(out, [&](long x, long y) { ASSERT_EQ(TopDown(out, x, y), Coded(c.x0 + x, c.r0 + y)); });
    }
}

TEST(PixCrop, CropKeepsPaletteTransparencyAndAlphaAtOddEdges) {
    for (DWORD bpp : {1u, 4u, 8u}) {
        CPixImage img(21, 9, bpp);
        img.SetStdPalette();
        img.SetTransIndex(1);
        img.AlphaCreate();
        imgtest::ForEachPixel(img, [&](long x, long y) {
            img.SetPixelIndex(x, y, static_cast<BYTE>(x * 7 + y));
            img.AlphaSet(x, y, static_cast<BYTE>(x + 10 * y));
        });
        CPixImage out(img);
        ASSERT_TRUE(out.Crop(3, 2, 20, 7));
        EXPECT_TRUE(out.IsSamePalette(img));
        EXPECT_EQ(out.GetTransIndex(), 1);
        imgtest::ForEachPixel(out, [&](long x, long y) {
            ASSERT_EQ(out.GetPixelIndex(x, y), img.GetPixelIndex(x + 3, y + 2)) << bpp;
            ASSERT_EQ(out.AlphaGet(x, y), img.AlphaGet(x + 3, y + 2));
        });
    }
}

TEST(PixCrop, ExpandEveryDepth) {
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bpp);
        CPixImage img(10, 10, bpp);
        img.SetStdPalette();
        imgtest::ForEachPixel(img, [&](long x, long y) { img.SetPixelColor(x, y, x + y == 9 ? RGB(255, 255, 255) : RGB(0, 0, 0)); });
        CPixImage out(img);
        ASSERT_TRUE(out.Expand(2, 1, 3, 4, Quad(255, 0, 0)));
        ASSERT_EQ(out.GetWidth(), 15u);
        ASSERT_EQ(out.GetHeight(), 15u);
        const COLORREF canvas = bpp == 24 ? RGB(255, 0, 0) : Rgb(out.GetPaletteColor(out.GetNearestIndex(Quad(255, 0, 0))));
        imgtest::ForEachPixel(out, [&](long x, long y) {
            const bool inside = x >= 2 && x < 12 && y >= 4 && y < 14;
            ASSERT_EQ(Rgb(out, x, y), inside ? Rgb(img, x - 2, y - 4) : canvas) << x << "," << y;
        });
    }
    CPixImage odd = CodedPicture(10, 10);
    ASSERT_TRUE(odd.Expand(11L, 11L, Quad(0, 0, 255)));
    EXPECT_EQ(TopDown(odd, 0, 0), Coded(0, 0)) << "the extra column goes right, the extra row below";
    EXPECT_EQ(TopDown(odd, 10, 10), RGB(0, 0, 255));
}

TEST(PixCrop, ExpandRefusesWhatCannotBeHeld) {
    CPixImage img = CodedPicture(4, 4);
    for (long m : {-1L, 40000L, LONG_MAX, (1L << 32) - 2})
        EXPECT_FALSE(img.Expand(m, 0, m, 1, Quad(0, 0, 0))) << m;
    EXPECT_FALSE(img.Expand(3L, 30L, Quad(0, 0, 0)));
    EXPECT_FALSE(img.Thumbnail(50000, 10, Quad(0, 0, 0)));
    EXPECT_EQ(img.GetWidth(), 4u);
}

TEST(PixCrop, ThumbnailFitsAndCentres) {
    CPixImage wide = imgtest::Picture(400, 200, [](long, long) { return RGB(0, 200, 0); });
    ASSERT_TRUE(wide.Thumbnail(100, 100, Quad(9, 9, 9)));
    ASSERT_EQ(wide.GetWidth(), 100u);
    ASSERT_EQ(wide.GetHeight(), 100u);
    for (long y : {0L, 24L, 25L, 74L, 75L, 99L})
        EXPECT_EQ(Rgb(wide, 50, y), y >= 25 && y < 75 ? RGB(0, 200, 0) : RGB(9, 9, 9)) << y;

    CPixImage thin = imgtest::Picture(1000, 2, [](long, long) { return RGB(0, 0, 200); });
    ASSERT_TRUE(thin.Thumbnail(100, 100, Quad(9, 9, 9)));
    EXPECT_EQ(Rgb(thin, 50, 50), RGB(0, 0, 200)) << "a thin picture keeps a row";
}

// A white picture with a turned red rectangle: CropRotatedRectangle must bring back only red.
void ExpectTurnedRectangle(float angle) {
    const long tx = 60, ty = 60, w = 50, h = 30;
    const double c = std::cos(angle), s = std::sin(angle);
    CPixImage img = imgtest::Picture(160, 140, [&](long x, long y) {
        const double px = x + 0.5 - tx, py = 140 - 1 - y + 0.5 - ty; // relative to the corner, top-down
        const double u = px * c + py * s, v = -px * s + py * c;
        return u >= -2 && u < w + 2 && v >= -2 && v < h + 2 ? RGB(255, 0, 0) : RGB(255, 255, 255);
    });
    ASSERT_TRUE(img.CropRotatedRectangle(tx, ty, w, h, angle)) << angle;
    EXPECT_NEAR(img.GetWidth(), w, 2);
    EXPECT_NEAR(img.GetHeight(), h, 2);
    for (long y = 2; y < static_cast<long>(img.GetHeight()) - 2; ++y)
        for (long x = 2; x < static_cast<long>(img.GetWidth()) - 2; ++x)
            ASSERT_EQ(Rgb(img, x, y), RGB(255, 0, 0)) << angle << " at " << x << "," << y;
}

TEST(PixCrop, CropRotatedRectangleAnyAngle) {
    for (float angle : {0.4f, -0.4f, 1.2f, -1.2f})
        ExpectTurnedRectangle(angle);
    CPixImage img = CodedPicture(100, 100), plain;
    ASSERT_TRUE(img.Crop(5, 6, 45, 26, &plain));
    ASSERT_TRUE(img.CropRotatedRectangle(5, 6, 40, 20, 0.0001f));
    EXPECT_EQ(imgtest::MaxDifference(img, plain), 0);

    // A box ending exactly at the right edge is inside.
    CPixImage edge = CodedPicture(100, 100);
    const long right = static_cast<long>(std::cos(0.1f) * 50);
    EXPECT_TRUE(edge.CropRotatedRectangle(100 - right, 10, 50, 30, 0.1f));
    EXPECT_FALSE(edge.CropRotatedRectangle(101 - right, 10, 50, 30, 0.1f));
    EXPECT_FALSE(edge.CropRotatedRectangle(0, 0, 10, 10, NAN));
}

TEST(PixWarp, SkewAndCircleTransform) {
    CPixImage img = CodedPicture(32, 32);
    CPixImage same(img);
    ASSERT_TRUE(same.Skew(0, 0, 0, 0, false));
    EXPECT_EQ(imgtest::MaxDifference(img, same), 0);
    CPixImage sheared(img);
    ASSERT_TRUE(sheared.Skew(1, 0, 0, 0, false));
    EXPECT_EQ(Rgb(sheared, 3, 5), Rgb(img, 8, 5));
    CPixImage smooth(img);
    ASSERT_TRUE(smooth.Skew(0.5f, 0, 0, 0, true));
    EXPECT_EQ(Rgb(smooth, 3, 4), Rgb(img, 5, 4));
    for (float bad : {NAN, INFINITY})
        EXPECT_FALSE(same.Skew(bad, 0, 0, 0, false));
    ASSERT_TRUE(same.Skew(1e30f, -1e30f, LONG_MIN, LONG_MAX, false));
    EXPECT_EQ(Rgb(same, 9, 9), Rgb(img, 0, 0)) << "points far outside read the bottom-left pixel";

    CPixImage circle = CodedPicture(33, 33);
    ASSERT_TRUE(circle.CircleTransform(0, 0, 0));
    EXPECT_EQ(Rgb(circle, 16, 16), Coded(16, 16));
    EXPECT_EQ(Rgb(circle, 32, 32), Coded(0, 32));
    for (int type = 1; type <= 4; ++type)
        EXPECT_TRUE(circle.CircleTransform(type, 12, 0.5f));
    EXPECT_FALSE(circle.CircleTransform(-1, 0, 0));
    EXPECT_FALSE(circle.CircleTransform(2, 0, NAN));
}

} // namespace

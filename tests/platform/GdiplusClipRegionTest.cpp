#include <gtest/gtest.h>

#include <cmath>

#include "GdiplusTestUtil.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/Region.h"
#include "platform/gdiplus/SolidBrush.h"

using namespace Gdiplus;
using namespace gdiplus_test;

namespace {

// Fills the whole 20 x 20 bitmap white through the clip, reports which of the probes got it as
// '1' or '0', and leaves the bitmap black again.
std::string Probe(Graphics& g, Bitmap& b, std::initializer_list<Point> pts) {
    SolidBrush white{Color(kWhite)};
    g.FillRectangle(&white, 0, 0, 20, 20);
    std::string r;
    for (const Point& p : pts) r += PixelAt(b, p.X, p.Y) == kWhite ? '1' : '0';
    Graphics(&b).Clear(Color(kBlack));
    return r;
}

} // namespace

TEST(GdiplusClip, RectanglePathAndReset) {
    Bitmap b(20, 20, PixelFormat24bppRGB);
    Graphics g(&b);
    ASSERT_EQ(g.SetClip(RectF(5, 5, 10, 10)), Ok);
    EXPECT_EQ(Probe(g, b, {{5, 5}, {14, 14}, {4, 5}, {15, 15}}), "1100");
    EXPECT_TRUE(g.IsVisible(6, 6));
    EXPECT_FALSE(g.IsVisible(1, 1));

    // A clip path.
    g.ResetClip();
    GraphicsPath circle;
    circle.AddEllipse(0, 0, 20, 20);
    ASSERT_EQ(g.SetClip(&circle), Ok);
    EXPECT_EQ(Probe(g, b, {{10, 10}, {1, 1}}), "10");

    // The clip follows the world transform in force when it is set.
    g.ResetClip();
    g.TranslateTransform(10, 0);
    g.SetClip(RectF(0, 0, 5, 5));
    g.ResetTransform();
    EXPECT_EQ(Probe(g, b, {{12, 2}, {2, 2}}), "10");

    g.ResetClip();
    EXPECT_EQ(Probe(g, b, {{0, 0}, {19, 19}}), "11");
}

TEST(GdiplusClip, RegionsCombineAsTheTransitionsNeedThem) {
    Bitmap b(20, 20, PixelFormat24bppRGB);
    Graphics g(&b);

    // A ring: both ellipses of an alternate-fill path.
    GraphicsPath ring;
    ring.AddEllipse(0, 0, 20, 20);
    ring.AddEllipse(5, 5, 10, 10);
    g.SetClip(&ring);
    EXPECT_EQ(Probe(g, b, {{10, 2}, {10, 10}, {0, 0}}), "100");

    // A half-disc piece: the infinite region XOR the frame rectangle, united with a pie: inside
    // the frame only the pie remains.
    Region piece;
    piece.MakeInfinite();
    piece.Xor(RectF(0, 0, 20, 20));
    GraphicsPath pie;
    pie.AddPie(RectF(-5, -5, 30, 30), 0, 180); // the lower half
    piece.Union(&pie);
    EXPECT_TRUE(piece.IsVisible(-50, 5)); // outside the frame
    g.SetClip(&piece);
    EXPECT_EQ(Probe(g, b, {{10, 15}, {10, 5}, {2, 18}}), "101");
}

TEST(GdiplusPath, PiesFollowTheClock) {
    // A pie from -90 (12 o'clock) sweeping 90 degrees clockwise covers the upper right quarter.
    GraphicsPath pie;
    pie.AddPie(RectF(0, 0, 20, 20), -90, 90);
    EXPECT_TRUE(pie.IsVisible(14, 5));
    EXPECT_FALSE(pie.IsVisible(5, 5));
    EXPECT_FALSE(pie.IsVisible(14, 15));

    GraphicsPath nothing;
    EXPECT_EQ(nothing.AddRectangle(RectF(1, 1, 0, 5)), Ok);
    EXPECT_EQ(nothing.AddLine(0, 0, std::nanf(""), 1), InvalidParameter);
    EXPECT_EQ(nothing.GetPointCount(), 0);
}

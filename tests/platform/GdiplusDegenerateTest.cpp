#include <gtest/gtest.h>

#include <limits>

#include "GdiplusTestUtil.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/ImageAttributes.h"
#include "platform/gdiplus/Region.h"
#include "platform/gdiplus/SolidBrush.h"

using namespace Gdiplus;
using namespace gdiplus_test;

namespace {

constexpr REAL kNan = std::numeric_limits<REAL>::quiet_NaN();
constexpr REAL kInf = std::numeric_limits<REAL>::infinity();

class GdiplusDegenerate : public ::testing::Test {
protected:
    Bitmap frame{8, 8, PixelFormat24bppRGB};
    Bitmap picture{4, 4, PixelFormat24bppRGB};
    Graphics g{&frame};
    SolidBrush white{Color(kWhite)};

    void SetUp() override { Graphics(&picture).Clear(Color(kRed)); }

    // After a degenerate call: nothing was drawn, cairo is fine, and an ordinary draw still works.
    void ExpectStillUsable() {
        EXPECT_EQ(PixelAt(frame, 4, 4), kBlack);
        EXPECT_TRUE(g.IsHealthy());
        Matrix saved;
        g.GetTransform(&saved);
        g.ResetTransform();
        g.ResetClip();
        ASSERT_EQ(g.DrawImage(&picture, RectF(0, 0, 8, 8)), Ok);
        EXPECT_EQ(PixelAt(frame, 4, 4), kRed);
        g.Clear(Color(kBlack));
        g.SetTransform(&saved);
    }
};

} // namespace

TEST_F(GdiplusDegenerate, NonFiniteNumbersDrawNothing) {
    for (REAL bad : {kNan, kInf, -kInf}) {
        EXPECT_EQ(g.DrawImage(&picture, RectF(bad, 0, 8, 8)), InvalidParameter);
        EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, bad, 8)), InvalidParameter);
        EXPECT_EQ(g.DrawImage(&picture, bad, 0.0f), InvalidParameter);
        const PointF pts[3] = {PointF(0, 0), PointF(bad, 0), PointF(0, 8)};
        EXPECT_EQ(g.DrawImage(&picture, pts, 3), InvalidParameter);
        EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, 8, 8), 0, 0, bad, 4, UnitPixel), InvalidParameter);
        EXPECT_EQ(g.FillRectangle(&white, RectF(0, 0, bad, 8)), InvalidParameter);
        EXPECT_EQ(g.SetClip(RectF(0, 0, bad, 2)), InvalidParameter);
        ExpectStillUsable();
    }
    // An opacity that is no number, or below zero, draws nothing (+inf clamps to opaque).
    for (REAL bad : {kNan, -kInf}) {
        ColorMatrix cm;
        cm.m[3][3] = bad;
        ImageAttributes attr;
        attr.SetColorMatrix(&cm);
        EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, 8, 8), 0, 0, 4, 4, UnitPixel, &attr), Ok);
        ExpectStillUsable();
    }
}

TEST_F(GdiplusDegenerate, ZeroSizesAndCollapsedParallelogramsDrawNothing) {
    EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, 0, 8)), Ok);
    EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, 1e-9f, 8)), Ok);
    EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, 8, 8), 0, 0, 0, 4, UnitPixel), Ok);
    const PointF line[3] = {PointF(0, 0), PointF(8, 8), PointF(4, 4)}; // all on one line
    EXPECT_EQ(g.DrawImage(&picture, line, 3), Ok);
    // A negative width or height is no rectangle for a fill.
    EXPECT_EQ(g.FillRectangle(&white, RectF(8, 0, -8, 8)), Ok);
    EXPECT_EQ(g.FillRectangle(&white, RectF(0, 8, 8, -8)), Ok);
    // Clips of a flat pie and ellipse, or of no area: nothing passes.
    GraphicsPath flat;
    flat.AddPie(RectF(0, 0, 8, 0), 0, 90);
    flat.AddEllipse(RectF(0, 0, 0, 0));
    g.SetClip(&flat);
    g.FillRectangle(&white, 0, 0, 8, 8);
    g.SetClip(RectF(2, 2, 0, 0));
    g.FillRectangle(&white, 0, 0, 8, 8);
    ExpectStillUsable();
}

TEST_F(GdiplusDegenerate, SingularAndNonFiniteWorldTransforms) {
    Matrix squash;
    squash.Scale(0, 1);
    EXPECT_EQ(g.SetTransform(&squash), Ok);
    EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, 8, 8)), Ok);
    EXPECT_EQ(g.FillRectangle(&white, 0, 0, 8, 8), Ok);
    g.SetClip(RectF(0, 0, 8, 8)); // collapses to nothing
    ExpectStillUsable();
    g.ResetClip();

    Matrix nan(kNan, 0, 0, 1, 0, 0);
    EXPECT_EQ(g.SetTransform(&nan), InvalidParameter);
    EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, 8, 8)), Ok);
    EXPECT_EQ(g.FillRectangle(&white, 0, 0, 8, 8), Ok);
    ExpectStillUsable();

    const Matrix tiny(1e-30f, 0, 0, 1e-30f, 0, 0);
    EXPECT_EQ(g.SetTransform(&tiny), Ok);
    EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, 8, 8)), Ok);
    g.ResetTransform();
    Matrix singular(1, 2, 2, 4, 0, 0);
    Region r(RectF(0, 0, 8, 8));
    r.Transform(&singular);
    g.SetClip(&r);
    g.FillRectangle(&white, 0, 0, 8, 8);
    ExpectStillUsable();
}

TEST_F(GdiplusDegenerate, HugeCoordinatesAndSizes) {
    // Far outside: nothing to see.
    EXPECT_EQ(g.DrawImage(&picture, RectF(1e30f, 1e30f, 8, 8)), Ok);
    EXPECT_EQ(g.DrawImage(&picture, RectF(0, 0, 1e12f, 1e12f)), Ok);
    EXPECT_EQ(g.DrawImage(&picture, RectF(-4e6f, 0, 1e-3f, 8)), Ok);
    const PointF far[3] = {PointF(-1e20f, 0), PointF(1e20f, 0), PointF(0, 1e20f)};
    EXPECT_EQ(g.DrawImage(&picture, far, 3), Ok);
    GraphicsPath farPath;
    farPath.AddEllipse(RectF(1e25f, 0, 1e25f, 1e25f));
    g.SetClip(&farPath);
    g.FillRectangle(&white, 0, 0, 8, 8);
    ExpectStillUsable();

    // An axis-aligned fill or clip far larger than the bitmap still covers it, also when scaled.
    g.ScaleTransform(4, 0.5f);
    g.SetClip(RectF(-1e20f, -1e20f, 2e20f, 2e20f));
    EXPECT_EQ(g.FillRectangle(&white, RectF(-1e20f, -1e20f, 2e20f, 2e20f)), Ok);
    ExpectPixels(frame, {{4, 4, kWhite}, {7, 0, kWhite}});
    EXPECT_TRUE(g.IsHealthy());
}

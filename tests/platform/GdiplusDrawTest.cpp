#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "GdiplusTestUtil.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/CachedBitmap.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/ImageAttributes.h"
#include "platform/gdiplus/SolidBrush.h"

using namespace Gdiplus;
using namespace gdiplus_test;

namespace {

// A 2 x 2 picture: red, green on top; blue, white below.
std::unique_ptr<Bitmap> Quad() {
    auto b = std::make_unique<Bitmap>(2, 2, PixelFormat24bppRGB);
    b->SetPixel(0, 0, Color(kRed));
    b->SetPixel(1, 0, Color(kGreen));
    b->SetPixel(0, 1, Color(kBlue));
    b->SetPixel(1, 1, Color(kWhite));
    return b;
}

ImageAttributes WithAlpha(REAL alpha) {
    ColorMatrix m;
    m.m[3][3] = alpha;
    ImageAttributes a;
    a.SetColorMatrix(&m);
    return a;
}

} // namespace

TEST(GdiplusDraw, PositionScaledAndSourceRectangleDraws) {
    auto quad = Quad();
    Bitmap frame(8, 8, PixelFormat24bppRGB);
    Graphics g(&frame);
    g.SetInterpolationMode(InterpolationModeNearestNeighbor);

    ASSERT_EQ(g.DrawImage(quad.get(), 3, 4), Ok);
    ExpectPixels(frame, {{3, 4, kRed}, {4, 5, kWhite}, {2, 4, kBlack}});

    ASSERT_EQ(g.DrawImage(quad.get(), RectF(0, 0, 8, 8)), Ok);
    ExpectPixels(frame, {{3, 3, kRed}, {4, 3, kGreen}, {7, 7, kWhite}});

    // Green alone (source 1,0 1x1) stretched over the left half.
    ASSERT_EQ(g.DrawImage(quad.get(), RectF(0, 0, 4, 8), 1, 0, 1, 1, UnitPixel), Ok);
    ExpectPixels(frame, {{0, 7, kGreen}, {3, 0, kGreen}});
    EXPECT_EQ(PixelAt(frame, 4, 7), kWhite); // right half untouched
    EXPECT_EQ(g.DrawImage(quad.get(), RectF(0, 0, 4, 8), 1, 0, 1, 1, UnitWorld), NotImplemented);
}

// Bilinear scaling of a ramp: target pixel x samples the source at u = (x + 0.5) / scale - 0.5,
// weighting its two neighbours, with the edge pixels repeated beyond the picture.
TEST(GdiplusDraw, BilinearScalingInterpolatesBetweenPixelCentres) {
    Bitmap ramp(2, 1, PixelFormat24bppRGB);
    ramp.SetPixel(1, 0, Color(255, 200, 100, 40));
    Bitmap frame(8, 2, PixelFormat24bppRGB);
    Graphics g(&frame);
    g.SetInterpolationMode(InterpolationModeBilinear);
    ASSERT_EQ(g.DrawImage(&ramp, RectF(0, 0, 8, 2)), Ok);
    for (int x = 0; x < 8; ++x) {
        const double w = std::clamp((x + 0.5) / 4 - 0.5, 0.0, 1.0);
        const auto level = [&](double full) { return static_cast<ARGB>(full * w + 0.5); };
        EXPECT_TRUE(Near(PixelAt(frame, x, 1), 0xFF000000u | level(200) << 16 | level(100) << 8 | level(40)))
            << x;
    }
}

TEST(GdiplusDraw, ParallelogramDrawsAndMirrors) {
    auto quad = Quad();
    Bitmap frame(4, 4, PixelFormat24bppRGB);
    Graphics g(&frame);
    g.SetInterpolationMode(InterpolationModeNearestNeighbor);

    // Upper-right to the left of upper-left: mirrored left to right.
    const PointF mirror[3] = {PointF(4, 0), PointF(0, 0), PointF(4, 4)};
    ASSERT_EQ(g.DrawImage(quad.get(), mirror, 3), Ok);
    ExpectPixels(frame, {{0, 0, kGreen}, {3, 0, kRed}, {0, 3, kWhite}});

    // Lower-left above upper-left: flipped top to bottom.
    const PointF flip[3] = {PointF(0, 4), PointF(4, 4), PointF(0, 0)};
    ASSERT_EQ(g.DrawImage(quad.get(), flip, 3), Ok);
    ExpectPixels(frame, {{0, 0, kBlue}, {3, 3, kGreen}});

    // A negative rectangle width mirrors too.
    ASSERT_EQ(g.DrawImage(quad.get(), RectF(4, 0, -4, 4)), Ok);
    EXPECT_EQ(PixelAt(frame, 0, 0), kGreen);

    // A quarter turn: upper-left at the top right corner, running down.
    const PointF turn[3] = {PointF(4, 0), PointF(4, 4), PointF(0, 0)};
    ASSERT_EQ(g.DrawImage(quad.get(), turn, 3), Ok);
    ExpectPixels(frame, {{3, 0, kRed}, {3, 3, kGreen}, {0, 0, kBlue}});

    EXPECT_EQ(g.DrawImage(quad.get(), turn, 4), InvalidParameter);

    EXPECT_EQ(g.DrawImage(quad.get(), turn, 3, 1, 0, 1, 2, UnitWorld, nullptr), NotImplemented);
}

// The right column alone (green over white) onto a slanted parallelogram: a pixel centre
// p = P0 + a (P1 - P0) + b (P2 - P0) shows green for b < 1/2, white above; outside, nothing.
TEST(GdiplusDraw, SourceRectangleOntoASlantedParallelogram) {
    auto quad = Quad();
    Bitmap frame(8, 8, PixelFormat24bppRGB);
    Graphics g(&frame);
    g.SetInterpolationMode(InterpolationModeNearestNeighbor);
    // A fourth point that must not be read: only three make the parallelogram.
    const PointF slant[4] = {PointF(1, 0), PointF(7, 2), PointF(0, 6), PointF(-40, 50)};
    EXPECT_EQ(g.DrawImage(quad.get(), slant, 4, 1, 0, 1, 2, UnitPixel, nullptr), InvalidParameter);
    ASSERT_EQ(g.DrawImage(quad.get(), slant, 3, 1, 0, 1, 2, UnitPixel, nullptr), Ok);
    int checked = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const double dx = x + 0.5 - 1, dy = y + 0.5, a = (6 * dx + dy) / 38, b = (6 * dy - 2 * dx) / 38;
            const auto near = [](double v, double edge) { return std::abs(v - edge) < 0.1; };
            if (near(a, 0) || near(a, 1) || near(b, 0) || near(b, 0.5) || near(b, 1)) continue; // edges blend
            const bool inside = a > 0 && a < 1 && b > 0 && b < 1;
            EXPECT_EQ(PixelAt(frame, x, y), !inside ? kBlack : b < 0.5 ? kGreen : kWhite) << x << "," << y;
            ++checked;
        }
    EXPECT_GT(checked, 25);
}

TEST(GdiplusDraw, AlphaDrawsMixAndClamp) {
    Bitmap white(4, 4, PixelFormat24bppRGB);
    Graphics(&white).Clear(Color(kWhite));
    Bitmap frame(4, 4, PixelFormat24bppRGB);
    Graphics g(&frame);
    const RectF all(0, 0, 4, 4);
    struct Case {
        REAL alpha;
        ARGB want; // over black
    };
    for (const Case& c : {Case{0.25f, 0xFF404040u}, Case{1.2f, kWhite}, Case{0.0f, kBlack}, Case{-0.5f, kBlack}}) {
        g.Clear(Color(kBlack));
        ImageAttributes attr = WithAlpha(c.alpha);
        ASSERT_EQ(g.DrawImage(&white, all, 0, 0, 4, 4, UnitPixel, &attr), Ok);
        EXPECT_TRUE(Near(PixelAt(frame, 2, 2), c.want)) << c.alpha;
        EXPECT_TRUE(Near(PixelAt(frame, 0, 3), c.want)) << c.alpha;
    }

    // Onto a transparent 32-bit bitmap the draw leaves half-transparent white.
    Bitmap argb(2, 2, PixelFormat32bppARGB);
    ImageAttributes half = WithAlpha(0.5f);
    ASSERT_EQ(Graphics(&argb).DrawImage(&white, RectF(0, 0, 2, 2), 0, 0, 4, 4, UnitPixel, &half), Ok);
    EXPECT_TRUE(Near(PixelAt(argb, 1, 1), 0x80FFFFFFu));
}

TEST(GdiplusDraw, SourceCopyReplacesAndScalesAlpha) {
    // The soft-edge technique: copying a picture onto its twin through alpha f multiplies the
    // alpha of every covered pixel by f and keeps its colour.
    Bitmap overlay(4, 4, PixelFormat32bppARGB), work(4, 4, PixelFormat32bppARGB);
    Graphics(&overlay).Clear(Color(255, 200, 40, 10));
    Graphics gw(&work);
    gw.SetCompositingMode(CompositingModeSourceCopy);
    ASSERT_EQ(gw.DrawImage(&overlay, 0, 0), Ok);
    EXPECT_EQ(PixelAt(work, 3, 3), 0xFFC8280Au);

    ImageAttributes half = WithAlpha(0.5f);
    gw.SetClip(RectF(0, 0, 2, 4));
    ASSERT_EQ(gw.DrawImage(&overlay, RectF(0, 0, 4, 4), 0, 0, 4, 4, UnitPixel, &half), Ok);
    gw.ResetClip();
    EXPECT_TRUE(Near(PixelAt(work, 0, 0), 0x80C8280Au));
    EXPECT_EQ(PixelAt(work, 2, 0), 0xFFC8280Au); // outside the clip: unchanged

    // Drawn onto itself the picture reads from a copy.
    ASSERT_EQ(gw.DrawImage(&work, RectF(0, 0, 4, 4), 0, 0, 4, 4, UnitPixel, &half), Ok);
    EXPECT_TRUE(Near(PixelAt(work, 0, 0), 0x40C8280Au, 3));
    EXPECT_TRUE(Near(PixelAt(work, 3, 0), 0x80C8280Au));

    // A transparent colour cleared in copy mode stays transparent (the "transparent background").
    Graphics(&overlay).Clear(Color(0, 1, 2, 3));
    EXPECT_EQ(PixelAt(overlay, 0, 0) >> 24, 0u);
}

TEST(GdiplusDraw, CachedBitmapIsASnapshot) {
    auto quad = Quad();
    Bitmap frame(4, 4, PixelFormat32bppARGB);
    Graphics g(&frame);
    CachedBitmap cached(quad.get(), &g);
    ASSERT_EQ(cached.GetLastStatus(), Ok);
    quad->SetPixel(0, 0, Color(kBlack));
    ASSERT_EQ(g.DrawCachedBitmap(&cached, 1, 1), Ok);
    ExpectPixels(frame, {{1, 1, kRed}, {2, 2, kWhite}});
    g.TranslateTransform(2, 0);
    ASSERT_EQ(g.DrawCachedBitmap(&cached, 0, 2), Ok);
    EXPECT_EQ(PixelAt(frame, 2, 2), kRed);
    g.ScaleTransform(2, 2);
    EXPECT_EQ(g.DrawCachedBitmap(&cached, 0, 0), WrongState);
    CachedBitmap none(nullptr, &g);
    EXPECT_EQ(none.GetLastStatus(), InvalidParameter);
    g.ResetTransform();
    EXPECT_EQ(g.DrawCachedBitmap(&none, 0, 0), InvalidParameter);
    EXPECT_EQ(g.DrawCachedBitmap(nullptr, 0, 0), InvalidParameter);
}

TEST(GdiplusDraw, SolidFillsThroughTheWorldTransform) {
    Bitmap frame(10, 10, PixelFormat24bppRGB);
    Graphics g(&frame);
    SolidBrush red{Color(kRed)};

    // Scaled by (2, 3) after a move by (1, 0): x 1..3 lands on 4..8, y 1..2 on 3..6.
    g.ScaleTransform(2, 3);
    g.TranslateTransform(1, 0);
    ASSERT_EQ(g.FillRectangle(&red, 1, 1, 2, 1), Ok);
    g.ResetTransform();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(PixelAt(frame, x, y), x >= 4 && x < 8 && y >= 3 && y < 6 ? kRed : kBlack) << x << "," << y;

    // The turning single effect: translate to the centre, rotate, translate back, all prepended.
    Matrix m;
    m.Translate(5, 5);
    m.Rotate(90);
    m.Translate(-5, -5);
    ASSERT_EQ(g.SetTransform(&m), Ok);
    g.FillRectangle(&red, 0, 0, 4, 1); // top-left strip turns to the right edge's top
    g.ResetTransform();
    ExpectPixels(frame, {{9, 0, kRed}, {9, 3, kRed}, {0, 0, kBlack}});

    // Half-transparent black over white gives grey; in copy mode it replaces.
    Bitmap argb(2, 2, PixelFormat32bppARGB);
    Graphics ga(&argb);
    ga.Clear(Color(kWhite));
    SolidBrush shade(Color(128, 0, 0, 0));
    ga.FillRectangle(&shade, 0, 0, 1, 2);
    EXPECT_TRUE(Near(PixelAt(argb, 0, 0), 0xFF7F7F7Fu));
    ga.SetCompositingMode(CompositingModeSourceCopy);
    ga.FillRectangle(&shade, 1, 0, 1, 2);
    EXPECT_TRUE(Near(PixelAt(argb, 1, 0), 0x80000000u));
}

// A five-pointed star drawn in one stroke, its centre covered twice, as a clip path.
TEST(GdiplusDraw, EvenOddAndWindingClipsOfASelfOverlappingStar) {
    const PointF star[5] = {PointF(50, 0), PointF(79, 90), PointF(2, 35), PointF(98, 35), PointF(21, 90)};
    SolidBrush white{Color(kWhite)};
    for (FillMode mode : {FillModeAlternate, FillModeWinding}) {
        Bitmap frame(100, 100, PixelFormat24bppRGB);
        Graphics g(&frame);
        GraphicsPath path(mode);
        path.AddPolygon(star, 5);
        ASSERT_EQ(g.SetClip(&path), Ok);
        g.FillRectangle(&white, 0, 0, 100, 100);
        // a point, outside, the centre
        const ARGB centre = mode == FillModeWinding ? kWhite : kBlack;
        ExpectPixels(frame, {{50, 10, kWhite}, {50, 95, kBlack}, {50, 50, centre}});
    }
}

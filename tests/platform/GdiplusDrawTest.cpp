#include <gtest/gtest.h>

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
std::unique_ptr<Bitmap> Quad(PixelFormat format = PixelFormat24bppRGB) {
    auto b = std::make_unique<Bitmap>(2, 2, format);
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
    EXPECT_EQ(PixelAt(frame, 3, 4), kRed);
    EXPECT_EQ(PixelAt(frame, 4, 5), kWhite);
    EXPECT_EQ(PixelAt(frame, 2, 4), kBlack);

    ASSERT_EQ(g.DrawImage(quad.get(), RectF(0, 0, 8, 8)), Ok);
    EXPECT_EQ(PixelAt(frame, 0, 0), kRed);
    EXPECT_EQ(PixelAt(frame, 3, 3), kRed);
    EXPECT_EQ(PixelAt(frame, 4, 3), kGreen);
    EXPECT_EQ(PixelAt(frame, 7, 7), kWhite);

    // Green alone (source 1,0 1x1) stretched over the left half.
    ASSERT_EQ(g.DrawImage(quad.get(), RectF(0, 0, 4, 8), 1, 0, 1, 1, UnitPixel), Ok);
    EXPECT_EQ(PixelAt(frame, 0, 7), kGreen);
    EXPECT_EQ(PixelAt(frame, 3, 0), kGreen);
    EXPECT_EQ(PixelAt(frame, 4, 0), kGreen); // right half untouched: green from before
    EXPECT_EQ(PixelAt(frame, 4, 7), kWhite);
    EXPECT_EQ(g.DrawImage(quad.get(), RectF(0, 0, 4, 8), 1, 0, 1, 1, UnitWorld), NotImplemented);

    // Bilinear scaling of a uniform picture stays uniform up to the edges.
    Bitmap grey(3, 3, PixelFormat24bppRGB);
    Graphics(&grey).Clear(Color(255, 90, 90, 90));
    g.SetInterpolationMode(InterpolationModeBilinear);
    ASSERT_EQ(g.DrawImage(&grey, RectF(0, 0, 8, 8)), Ok);
    EXPECT_EQ(PixelAt(frame, 0, 0), 0xFF5A5A5Au);
    EXPECT_EQ(PixelAt(frame, 7, 7), 0xFF5A5A5Au);
    EXPECT_TRUE(g.IsHealthy());
}

TEST(GdiplusDraw, ParallelogramDrawsAndMirrors) {
    auto quad = Quad();
    Bitmap frame(4, 4, PixelFormat24bppRGB);
    Graphics g(&frame);
    g.SetInterpolationMode(InterpolationModeNearestNeighbor);

    // Upper-right to the left of upper-left: mirrored left to right.
    const PointF mirror[3] = {PointF(4, 0), PointF(0, 0), PointF(4, 4)};
    ASSERT_EQ(g.DrawImage(quad.get(), mirror, 3), Ok);
    EXPECT_EQ(PixelAt(frame, 0, 0), kGreen);
    EXPECT_EQ(PixelAt(frame, 3, 0), kRed);
    EXPECT_EQ(PixelAt(frame, 0, 3), kWhite);

    // Lower-left above upper-left: flipped top to bottom.
    const PointF flip[3] = {PointF(0, 4), PointF(4, 4), PointF(0, 0)};
    ASSERT_EQ(g.DrawImage(quad.get(), flip, 3), Ok);
    EXPECT_EQ(PixelAt(frame, 0, 0), kBlue);
    EXPECT_EQ(PixelAt(frame, 3, 3), kGreen);

    // A negative rectangle width mirrors too.
    ASSERT_EQ(g.DrawImage(quad.get(), RectF(4, 0, -4, 4)), Ok);
    EXPECT_EQ(PixelAt(frame, 0, 0), kGreen);

    // A quarter turn: upper-left at the top right corner, running down.
    const PointF turn[3] = {PointF(4, 0), PointF(4, 4), PointF(0, 0)};
    ASSERT_EQ(g.DrawImage(quad.get(), turn, 3), Ok);
    EXPECT_EQ(PixelAt(frame, 3, 0), kRed);
    EXPECT_EQ(PixelAt(frame, 3, 3), kGreen);
    EXPECT_EQ(PixelAt(frame, 0, 0), kBlue);

    EXPECT_EQ(g.DrawImage(quad.get(), turn, 4), InvalidParameter);
}

TEST(GdiplusDraw, AlphaDrawsMixAndClamp) {
    Bitmap white(4, 4, PixelFormat24bppRGB);
    Graphics(&white).Clear(Color(kWhite));
    Bitmap frame(4, 4, PixelFormat24bppRGB);
    Graphics g(&frame);
    const RectF all(0, 0, 4, 4);

    ImageAttributes half = WithAlpha(0.5f);
    ASSERT_EQ(g.DrawImage(&white, all, 0, 0, 4, 4, UnitPixel, &half), Ok);
    EXPECT_TRUE(Near(PixelAt(frame, 2, 2), 0xFF808080u));
    EXPECT_TRUE(Near(PixelAt(frame, 0, 3), 0xFF808080u));

    // 1.2 acts as fully opaque.
    g.Clear(Color(kBlack));
    ImageAttributes over = WithAlpha(1.2f);
    ASSERT_EQ(g.DrawImage(&white, all, 0, 0, 4, 4, UnitPixel, &over), Ok);
    EXPECT_EQ(PixelAt(frame, 1, 1), kWhite);

    // 0 and below draw nothing.
    g.Clear(Color(kBlack));
    for (REAL a : {0.0f, -0.5f}) {
        ImageAttributes none = WithAlpha(a);
        ASSERT_EQ(g.DrawImage(&white, all, 0, 0, 4, 4, UnitPixel, &none), Ok);
    }
    EXPECT_EQ(PixelAt(frame, 1, 1), kBlack);

    // Onto a transparent 32-bit bitmap the draw leaves half-transparent white.
    Bitmap argb(2, 2, PixelFormat32bppARGB);
    Graphics ga(&argb);
    ASSERT_EQ(ga.DrawImage(&white, RectF(0, 0, 2, 2), 0, 0, 4, 4, UnitPixel, &half), Ok);
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
    EXPECT_EQ(PixelAt(frame, 1, 1), kRed);
    EXPECT_EQ(PixelAt(frame, 2, 2), kWhite);
    g.TranslateTransform(2, 0);
    ASSERT_EQ(g.DrawCachedBitmap(&cached, 0, 2), Ok);
    EXPECT_EQ(PixelAt(frame, 2, 2), kRed);
    g.ScaleTransform(2, 2);
    EXPECT_EQ(g.DrawCachedBitmap(&cached, 0, 0), WrongState);
    EXPECT_EQ(CachedBitmap(nullptr, &g).GetLastStatus(), InvalidParameter);
}

TEST(GdiplusDraw, SolidFills) {
    Bitmap frame(10, 10, PixelFormat24bppRGB);
    Graphics g(&frame);
    SolidBrush red{Color(kRed)}, blue{Color(kBlue)};

    ASSERT_EQ(g.FillRectangle(&red, 1, 1, 3, 2), Ok);
    EXPECT_EQ(PixelAt(frame, 1, 1), kRed);
    EXPECT_EQ(PixelAt(frame, 3, 2), kRed);
    EXPECT_EQ(PixelAt(frame, 4, 2), kBlack);
    EXPECT_EQ(PixelAt(frame, 1, 3), kBlack);

    ASSERT_EQ(g.FillEllipse(&blue, RectF(0, 0, 10, 10)), Ok);
    EXPECT_EQ(PixelAt(frame, 5, 5), kBlue);
    EXPECT_EQ(PixelAt(frame, 0, 0), kBlack);

    const PointF tri[3] = {PointF(0, 10), PointF(10, 10), PointF(10, 0)};
    ASSERT_EQ(g.FillPolygon(&red, tri, 3), Ok);
    EXPECT_EQ(PixelAt(frame, 9, 9), kRed);
    EXPECT_EQ(PixelAt(frame, 1, 1), kBlue); // the ellipse over the earlier rectangle

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

TEST(GdiplusDraw, EvenOddAndWindingOnASelfOverlappingStar) {
    // A five-pointed star drawn in one stroke: its centre is covered twice.
    const PointF star[5] = {PointF(50, 0), PointF(79, 90), PointF(2, 35), PointF(98, 35), PointF(21, 90)};
    SolidBrush white{Color(kWhite)};
    for (FillMode mode : {FillModeAlternate, FillModeWinding}) {
        Bitmap frame(100, 100, PixelFormat24bppRGB);
        Graphics g(&frame);
        ASSERT_EQ(g.FillPolygon(&white, star, 5, mode), Ok);
        EXPECT_EQ(PixelAt(frame, 50, 10), kWhite); // a point
        EXPECT_EQ(PixelAt(frame, 50, 95), kBlack); // outside
        EXPECT_EQ(PixelAt(frame, 50, 50), mode == FillModeWinding ? kWhite : kBlack);

        Bitmap viaPath(100, 100, PixelFormat24bppRGB);
        GraphicsPath path(mode);
        path.AddPolygon(star, 5);
        Graphics(&viaPath).FillPath(&white, &path);
        EXPECT_EQ(PixelAt(viaPath, 50, 50), PixelAt(frame, 50, 50));
        EXPECT_EQ(path.IsVisible(50, 50), mode == FillModeWinding ? TRUE : FALSE);
    }
}

TEST(GdiplusDraw, WorldTransformTurnsAboutTheCentre) {
    // The turning single effect: translate to the centre, rotate, translate back, all prepended.
    Bitmap frame(4, 4, PixelFormat24bppRGB);
    Graphics g(&frame);
    Matrix m;
    m.Translate(2, 2);
    m.Rotate(90);
    m.Translate(-2, -2);
    ASSERT_EQ(g.SetTransform(&m), Ok);
    SolidBrush red{Color(kRed)};
    g.FillRectangle(&red, 0, 0, 2, 1); // top-left strip turns to the right edge's top
    g.ResetTransform();
    EXPECT_EQ(PixelAt(frame, 3, 0), kRed);
    EXPECT_EQ(PixelAt(frame, 3, 1), kRed);
    EXPECT_EQ(PixelAt(frame, 0, 0), kBlack);
    Matrix back;
    g.GetTransform(&back);
    EXPECT_TRUE(back.IsIdentity());
}

#include <gtest/gtest.h>

#include <cmath>

#include "platform/gdiplus/Matrix.h"

using namespace Gdiplus;

namespace {

PointF Map(const Matrix& m, REAL x, REAL y) {
    PointF p(x, y);
    m.TransformPoints(&p);
    return p;
}

} // namespace

TEST(GdiplusMatrix, OrderOfOperations) {
    Matrix m;
    m.Translate(10, 0);
    m.Scale(2, 2); // prepended: scales first, then translates
    PointF p = Map(m, 1, 1);
    EXPECT_FLOAT_EQ(p.X, 12);
    EXPECT_FLOAT_EQ(p.Y, 2);

    Matrix a;
    a.Translate(10, 0);
    a.Scale(2, 2, MatrixOrderAppend); // translates first, then scales
    p = Map(a, 1, 1);
    EXPECT_FLOAT_EQ(p.X, 22);
    EXPECT_FLOAT_EQ(p.Y, 2);

    // Positive angles turn clockwise on screen: +x goes to +y.
    Matrix r;
    r.Rotate(90);
    p = Map(r, 1, 0);
    EXPECT_FLOAT_EQ(p.X, 0);
    EXPECT_FLOAT_EQ(p.Y, 1);

    Matrix at;
    at.RotateAt(180, PointF(5, 5));
    p = Map(at, 0, 0);
    EXPECT_FLOAT_EQ(p.X, 10);
    EXPECT_FLOAT_EQ(p.Y, 10);

    Matrix mult(1, 0, 0, 1, 3, 4);
    Matrix s;
    s.Scale(2, 3);
    mult.Multiply(&s, MatrixOrderAppend);
    REAL e[6];
    mult.GetElements(e);
    EXPECT_FLOAT_EQ(e[4], 6);
    EXPECT_FLOAT_EQ(e[5], 12);

    // Rectangle onto a parallelogram.
    const PointF plg[3] = {PointF(10, 10), PointF(30, 10), PointF(10, 50)};
    Matrix fit(RectF(0, 0, 2, 4), plg);
    p = Map(fit, 2, 4);
    EXPECT_FLOAT_EQ(p.X, 30);
    EXPECT_FLOAT_EQ(p.Y, 50);

    Point ip(1, 1);
    m.TransformPoints(&ip);
    EXPECT_EQ(ip.X, 12);
}

TEST(GdiplusMatrix, InvertAndSingularMatrices) {
    Matrix m;
    m.Rotate(30);
    m.Translate(5, -7);
    Matrix inv = m;
    ASSERT_EQ(inv.Invert(), Ok);
    PointF p = Map(inv, Map(m, 3, 4).X, Map(m, 3, 4).Y);
    EXPECT_NEAR(p.X, 3, 1e-4);
    EXPECT_NEAR(p.Y, 4, 1e-4);

    Matrix singular(1, 2, 2, 4, 0, 0);
    EXPECT_FALSE(singular.IsInvertible());
    EXPECT_EQ(singular.Invert(), InvalidParameter);
    REAL e[6];
    singular.GetElements(e);
    EXPECT_FLOAT_EQ(e[1], 2); // unchanged

    Matrix zero;
    zero.Scale(0, 1);
    EXPECT_FALSE(zero.IsInvertible());
    EXPECT_FALSE(zero.IsUsable());
    Matrix nan(NAN, 0, 0, 1, 0, 0);
    EXPECT_FALSE(nan.IsInvertible());
    EXPECT_EQ(nan.Invert(), InvalidParameter);
    Point ip(1, 1);
    nan.TransformPoints(&ip);
    EXPECT_EQ(ip.X, 0);
}

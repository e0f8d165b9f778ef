#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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
    const PointF plg[3] = {PointF(10, 10), PointF(30, 10), PointF(10, 50)};
    struct Case { const char* what; std::function<void(Matrix&)> build; PointF in, out; };
    const Case cases[] = {
        {"prepended: scales first", [](Matrix& m) { m.Translate(10, 0); m.Scale(2, 2); }, {1, 1}, {12, 2}},
        {"appended: translates first", [](Matrix& m) { m.Translate(10, 0); m.Scale(2, 2, MatrixOrderAppend); },
         {1, 1}, {22, 2}},
        // Positive angles turn clockwise on screen: +x goes to +y.
        {"rotate", [](Matrix& m) { m.Rotate(90); }, {1, 0}, {0, 1}},
        {"rotate about a point", [](Matrix& m) { m.RotateAt(180, PointF(5, 5)); }, {0, 0}, {10, 10}},
        {"multiply", [](Matrix& m) { m.Translate(3, 4); Matrix s; s.Scale(2, 3); m.Multiply(&s, MatrixOrderAppend); },
         {0, 0}, {6, 12}},
        {"rectangle onto a parallelogram", [&](Matrix& m) { m = Matrix(RectF(0, 0, 2, 4), plg); }, {2, 4}, {30, 50}},
    };
    for (const Case& c : cases) {
        Matrix m;
        c.build(m);
        const PointF p = Map(m, c.in.X, c.in.Y);
        EXPECT_NEAR(p.X, c.out.X, 1e-4) << c.what;
        EXPECT_NEAR(p.Y, c.out.Y, 1e-4) << c.what;
    }
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
    Matrix nan(NAN, 0, 0, 1, 0, 0);
    EXPECT_FALSE(nan.IsUsable());
    EXPECT_EQ(nan.Invert(), InvalidParameter);
}

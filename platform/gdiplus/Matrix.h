// A 2-D affine transform in the row-vector convention: a point (x, y) maps to
// (x * m11 + y * m21 + dx, x * m12 + y * m22 + dy). Prepending an operation makes it apply first.
#pragma once

#include <cairo.h>

#include "platform/gdiplus/GdiplusTypes.h"

namespace Gdiplus {

class Matrix {
public:
    Matrix();
    Matrix(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy);
    // The mapping of a rectangle onto the parallelogram of three points (upper-left, upper-right,
    // lower-left). A collapsed rectangle gives the identity and InvalidParameter.
    Matrix(const RectF& rect, const PointF* dstPlg);

    Status GetElements(REAL* m) const; // six values: m11, m12, m21, m22, dx, dy

    Status Reset();
    Status Multiply(const Matrix* matrix, MatrixOrder order = MatrixOrderPrepend);
    Status Translate(REAL offsetX, REAL offsetY, MatrixOrder order = MatrixOrderPrepend);
    Status Scale(REAL scaleX, REAL scaleY, MatrixOrder order = MatrixOrderPrepend);
    // Degrees; positive turns clockwise on the screen (y grows downwards).
    Status Rotate(REAL angle, MatrixOrder order = MatrixOrderPrepend);
    Status RotateAt(REAL angle, const PointF& center, MatrixOrder order = MatrixOrderPrepend);
    // Fails with InvalidParameter, leaving the matrix unchanged, when it cannot be inverted.
    Status Invert();

    Status TransformPoints(PointF* pts, INT count = 1) const;
    Status TransformPoints(Point* pts, INT count = 1) const; // rounded to the nearest whole number

    BOOL IsInvertible() const;
    BOOL IsIdentity() const;
    Status GetLastStatus() const { return m_status; }

    // The same transform as cairo holds it (its elements may be unusable: check IsUsable).
    const cairo_matrix_t& ToCairo() const { return m_m; }
    // Finite, invertible and of sane magnitude: safe to hand to cairo.
    bool IsUsable() const;

private:
    Status Set(Status s) const { return m_status = s; }
    void Combine(const cairo_matrix_t& op, MatrixOrder order);

    cairo_matrix_t m_m;
    mutable Status m_status = Ok;
};

} // namespace Gdiplus

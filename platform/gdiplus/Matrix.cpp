#include "platform/gdiplus/Matrix.h"

#include <cmath>
#include <numbers>

#include "platform/gdiplus/SafeGeometry.h"

namespace Gdiplus {

namespace {

double Determinant(const cairo_matrix_t& m) { return m.xx * m.yy - m.yx * m.xy; }

} // namespace

Matrix::Matrix() { cairo_matrix_init_identity(&m_m); }

Matrix::Matrix(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy) {
    cairo_matrix_init(&m_m, m11, m12, m21, m22, dx, dy);
}

Matrix::Matrix(const RectF& rect, const PointF* dstPlg) {
    cairo_matrix_init_identity(&m_m);
    if (!dstPlg || !std::isfinite(rect.Width) || !std::isfinite(rect.Height) || rect.Width == 0 ||
        rect.Height == 0) {
        Set(InvalidParameter);
        return;
    }
    const double w = rect.Width;
    const double h = rect.Height;
    cairo_matrix_t m;
    m.xx = (static_cast<double>(dstPlg[1].X) - dstPlg[0].X) / w;
    m.yx = (static_cast<double>(dstPlg[1].Y) - dstPlg[0].Y) / w;
    m.xy = (static_cast<double>(dstPlg[2].X) - dstPlg[0].X) / h;
    m.yy = (static_cast<double>(dstPlg[2].Y) - dstPlg[0].Y) / h;
    m.x0 = dstPlg[0].X - m.xx * rect.X - m.xy * rect.Y;
    m.y0 = dstPlg[0].Y - m.yx * rect.X - m.yy * rect.Y;
    m_m = m;
}

Status Matrix::GetElements(REAL* m) const {
    if (!m) return Set(InvalidParameter);
    m[0] = static_cast<REAL>(m_m.xx);
    m[1] = static_cast<REAL>(m_m.yx);
    m[2] = static_cast<REAL>(m_m.xy);
    m[3] = static_cast<REAL>(m_m.yy);
    m[4] = static_cast<REAL>(m_m.x0);
    m[5] = static_cast<REAL>(m_m.y0);
    return Set(Ok);
}

Status Matrix::Reset() {
    cairo_matrix_init_identity(&m_m);
    return Set(Ok);
}

void Matrix::Combine(const cairo_matrix_t& op, MatrixOrder order) {
    cairo_matrix_t r;
    // cairo_matrix_multiply(r, a, b) applies a first, then b.
    if (order == MatrixOrderAppend)
        cairo_matrix_multiply(&r, &m_m, &op);
    else
        cairo_matrix_multiply(&r, &op, &m_m);
    m_m = r;
}

Status Matrix::Multiply(const Matrix* matrix, MatrixOrder order) {
    if (!matrix) return Set(InvalidParameter);
    Combine(matrix->m_m, order);
    return Set(Ok);
}

Status Matrix::Translate(REAL offsetX, REAL offsetY, MatrixOrder order) {
    cairo_matrix_t t;
    cairo_matrix_init_translate(&t, offsetX, offsetY);
    Combine(t, order);
    return Set(Ok);
}

Status Matrix::Scale(REAL scaleX, REAL scaleY, MatrixOrder order) {
    cairo_matrix_t t;
    cairo_matrix_init_scale(&t, scaleX, scaleY);
    Combine(t, order);
    return Set(Ok);
}

Status Matrix::Rotate(REAL angle, MatrixOrder order) {
    cairo_matrix_t t;
    const double rad = static_cast<double>(angle) * std::numbers::pi / 180.0;
    // Exact quarter turns keep axis-aligned pictures pixel-exact.
    double s = std::sin(rad), c = std::cos(rad);
    if (std::isfinite(angle) && std::fmod(static_cast<double>(angle), 90.0) == 0.0) {
        s = std::round(s);
        c = std::round(c);
    }
    cairo_matrix_init(&t, c, s, -s, c, 0, 0);
    Combine(t, order);
    return Set(Ok);
}

Status Matrix::RotateAt(REAL angle, const PointF& center, MatrixOrder order) {
    Matrix op;
    op.Translate(-center.X, -center.Y, MatrixOrderAppend);
    op.Rotate(angle, MatrixOrderAppend);
    op.Translate(center.X, center.Y, MatrixOrderAppend);
    Combine(op.m_m, order);
    return Set(Ok);
}

Status Matrix::Invert() {
    if (!IsInvertible()) return Set(InvalidParameter);
    cairo_matrix_t inv = m_m;
    if (cairo_matrix_invert(&inv) != CAIRO_STATUS_SUCCESS || !detail::AllFinite(inv))
        return Set(InvalidParameter);
    m_m = inv;
    return Set(Ok);
}

Status Matrix::TransformPoints(PointF* pts, INT count) const {
    if (!pts || count < 0) return Set(InvalidParameter);
    for (INT i = 0; i < count; ++i) {
        double x = pts[i].X, y = pts[i].Y;
        cairo_matrix_transform_point(&m_m, &x, &y);
        pts[i].X = static_cast<REAL>(x);
        pts[i].Y = static_cast<REAL>(y);
    }
    return Set(Ok);
}

Status Matrix::TransformPoints(Point* pts, INT count) const {
    if (!pts || count < 0) return Set(InvalidParameter);
    for (INT i = 0; i < count; ++i) {
        double x = pts[i].X, y = pts[i].Y;
        cairo_matrix_transform_point(&m_m, &x, &y);
        // Values that do not fit an INT (or are not numbers) become 0 rather than undefined.
        auto toInt = [](double v) {
            const double r = std::round(v);
            return (std::isfinite(r) && std::fabs(r) < 2147483647.0) ? static_cast<INT>(r) : 0;
        };
        pts[i].X = toInt(x);
        pts[i].Y = toInt(y);
    }
    return Set(Ok);
}

BOOL Matrix::IsInvertible() const {
    if (!detail::AllFinite(m_m)) return FALSE;
    const double det = Determinant(m_m);
    return (std::isfinite(det) && std::fabs(det) >= detail::kMinDeterminant) ? TRUE : FALSE;
}

BOOL Matrix::IsIdentity() const {
    return (m_m.xx == 1 && m_m.yx == 0 && m_m.xy == 0 && m_m.yy == 1 && m_m.x0 == 0 && m_m.y0 == 0) ? TRUE
                                                                                                  : FALSE;
}

bool Matrix::IsUsable() const { return detail::MatrixIsUsable(m_m); }

} // namespace Gdiplus

#include "platform/gdiplus/GraphicsPath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/gdiplus/CairoPtr.h"
#include "platform/gdiplus/SafeGeometry.h"

namespace Gdiplus {

namespace {

constexpr double kPi = std::numbers::pi;

} // namespace

GraphicsPath::GraphicsPath(FillMode fillMode) : m_fillMode(fillMode) {}

Status GraphicsPath::Reset() {
    m_nodes.clear();
    m_fillMode = FillModeAlternate;
    m_figureOpen = false;
    m_startNew = true;
    return Set(Ok);
}

Status GraphicsPath::SetFillMode(FillMode fillMode) {
    if (fillMode != FillModeAlternate && fillMode != FillModeWinding) return Set(InvalidParameter);
    m_fillMode = fillMode;
    return Set(Ok);
}

Status GraphicsPath::StartFigure() {
    m_figureOpen = false;
    m_startNew = true;
    return Set(Ok);
}

Status GraphicsPath::CloseFigure() {
    if (m_figureOpen) Close();
    return Set(Ok);
}

void GraphicsPath::MoveTo(double x, double y) {
    m_nodes.push_back({Kind::Move, {x, 0, 0}, {y, 0, 0}});
    m_figureOpen = true;
    m_startNew = false;
}

void GraphicsPath::LineTo(double x, double y) { m_nodes.push_back({Kind::Line, {x, 0, 0}, {y, 0, 0}}); }

void GraphicsPath::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
    m_nodes.push_back({Kind::Curve, {x1, x2, x3}, {y1, y2, y3}});
}

void GraphicsPath::Close() {
    m_nodes.push_back({Kind::Close, {0, 0, 0}, {0, 0, 0}});
    m_figureOpen = false;
    m_startNew = true;
}

void GraphicsPath::ArcTo(double cx, double cy, double rx, double ry, double t0, double t1) {
    const double total = t1 - t0;
    const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(total) / (kPi / 2) - 1e-9)));
    const double step = total / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    double t = t0;
    for (int i = 0; i < segments; ++i) {
        const double a = t, b = t + step;
        const double ax = cx + rx * std::cos(a), ay = cy + ry * std::sin(a);
        const double bx = cx + rx * std::cos(b), by = cy + ry * std::sin(b);
        CurveTo(ax - k * rx * std::sin(a), ay + k * ry * std::cos(a), bx + k * rx * std::sin(b),
                by - k * ry * std::cos(b), bx, by);
        t = b;
    }
}

Status GraphicsPath::AddLine(REAL x1, REAL y1, REAL x2, REAL y2) {
    if (!detail::AllFinite({x1, y1, x2, y2})) return Set(InvalidParameter);
    if (m_startNew || !m_figureOpen)
        MoveTo(x1, y1);
    else
        LineTo(x1, y1);
    LineTo(x2, y2);
    return Set(Ok);
}

Status GraphicsPath::AddLines(const PointF* points, INT count) {
    if (!points || count < 1) return Set(InvalidParameter);
    for (INT i = 0; i < count; ++i)
        if (!detail::AllFinite({points[i].X, points[i].Y})) return Set(InvalidParameter);
    if (m_startNew || !m_figureOpen)
        MoveTo(points[0].X, points[0].Y);
    else
        LineTo(points[0].X, points[0].Y);
    for (INT i = 1; i < count; ++i) LineTo(points[i].X, points[i].Y);
    return Set(Ok);
}

Status GraphicsPath::AddRectangle(const RectF& r) {
    if (!detail::AllFinite({r.X, r.Y, r.Width, r.Height})) return Set(InvalidParameter);
    if (r.Width == 0 || r.Height == 0) return Set(Ok);
    const double x0 = r.X, y0 = r.Y, x1 = static_cast<double>(r.X) + r.Width,
                 y1 = static_cast<double>(r.Y) + r.Height;
    MoveTo(x0, y0);
    LineTo(x1, y0);
    LineTo(x1, y1);
    LineTo(x0, y1);
    Close();
    return Set(Ok);
}

Status GraphicsPath::AddRectangles(const RectF* rects, INT count) {
    if (!rects || count < 0) return Set(InvalidParameter);
    for (INT i = 0; i < count; ++i)
        if (AddRectangle(rects[i]) != Ok) return m_status;
    return Set(Ok);
}

Status GraphicsPath::AddEllipse(const RectF& r) {
    if (!detail::AllFinite({r.X, r.Y, r.Width, r.Height})) return Set(InvalidParameter);
    if (r.Width == 0 || r.Height == 0) return Set(Ok);
    const double rx = std::fabs(r.Width) / 2.0, ry = std::fabs(r.Height) / 2.0;
    const double cx = r.X + r.Width / 2.0, cy = r.Y + r.Height / 2.0;
    MoveTo(cx + rx, cy);
    ArcTo(cx, cy, rx, ry, 0, 2 * kPi);
    Close();
    return Set(Ok);
}

Status GraphicsPath::AddPie(const RectF& r, REAL startAngle, REAL sweepAngle) {
    if (!detail::AllFinite({r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle}))
        return Set(InvalidParameter);
    if (r.Width == 0 || r.Height == 0 || sweepAngle == 0) return Set(Ok);
    const double rx = std::fabs(r.Width) / 2.0, ry = std::fabs(r.Height) / 2.0;
    const double cx = r.X + r.Width / 2.0, cy = r.Y + r.Height / 2.0;
    const double sweep = std::clamp(static_cast<double>(sweepAngle), -360.0, 360.0);
    const double a0 = std::fmod(static_cast<double>(startAngle), 360.0) * kPi / 180.0;
    const double a1 = a0 + sweep * kPi / 180.0;
    // Angles are those of rays from the centre; the arc runs on the ellipse's parameter, which
    // stays in the same quadrant as the ray angle (so within a quarter turn of it).
    auto param = [&](double a) {
        const double base = std::atan2(rx * std::sin(a), ry * std::cos(a));
        return base + 2 * kPi * std::round((a - base) / (2 * kPi));
    };
    const double t0 = param(a0);
    const double t1 = std::fabs(sweep) >= 360.0 ? t0 + (sweep > 0 ? 2 * kPi : -2 * kPi) : param(a1);
    MoveTo(cx, cy);
    LineTo(cx + rx * std::cos(t0), cy + ry * std::sin(t0));
    ArcTo(cx, cy, rx, ry, t0, t1);
    Close();
    return Set(Ok);
}

Status GraphicsPath::AddPolygon(const PointF* points, INT count) {
    if (!points || count < 3) return Set(InvalidParameter);
    for (INT i = 0; i < count; ++i)
        if (!detail::AllFinite({points[i].X, points[i].Y})) return Set(InvalidParameter);
    MoveTo(points[0].X, points[0].Y);
    for (INT i = 1; i < count; ++i) LineTo(points[i].X, points[i].Y);
    Close();
    return Set(Ok);
}

Status GraphicsPath::Transform(const Matrix* matrix) {
    if (!matrix) return Set(InvalidParameter);
    const cairo_matrix_t& m = matrix->ToCairo();
    for (Node& n : m_nodes) {
        if (n.kind == Kind::Close) continue;
        const int count = n.kind == Kind::Curve ? 3 : 1;
        for (int i = 0; i < count; ++i) cairo_matrix_transform_point(&m, &n.x[i], &n.y[i]);
    }
    return Set(Ok);
}

INT GraphicsPath::GetPointCount() const {
    INT count = 0;
    for (const Node& n : m_nodes) count += n.kind == Kind::Curve ? 3 : (n.kind == Kind::Close ? 0 : 1);
    return count;
}

Status GraphicsPath::GetBounds(RectF* bounds) const {
    if (!bounds) return Set(InvalidParameter);
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    for (const Node& n : m_nodes) {
        const int count = n.kind == Kind::Curve ? 3 : (n.kind == Kind::Close ? 0 : 1);
        for (int i = 0; i < count; ++i) {
            x0 = std::min(x0, n.x[i]);
            y0 = std::min(y0, n.y[i]);
            x1 = std::max(x1, n.x[i]);
            y1 = std::max(y1, n.y[i]);
        }
    }
    if (x0 > x1) {
        *bounds = RectF();
    } else {
        *bounds = RectF(static_cast<REAL>(x0), static_cast<REAL>(y0), static_cast<REAL>(x1 - x0),
                        static_cast<REAL>(y1 - y0));
    }
    return Set(Ok);
}

cairo_fill_rule_t GraphicsPath::CairoFillRule() const {
    return m_fillMode == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD;
}

void GraphicsPath::AppendTo(cairo_t* cr) const {
    for (const Node& n : m_nodes) {
        switch (n.kind) {
        case Kind::Move:
            cairo_move_to(cr, n.x[0], n.y[0]);
            break;
        case Kind::Line:
            cairo_line_to(cr, n.x[0], n.y[0]);
            break;
        case Kind::Curve:
            cairo_curve_to(cr, n.x[0], n.y[0], n.x[1], n.y[1], n.x[2], n.y[2]);
            break;
        case Kind::Close:
            cairo_close_path(cr);
            break;
        }
    }
}

bool GraphicsPath::FitsDevice(const cairo_matrix_t* m) const {
    for (const Node& n : m_nodes) {
        const int count = n.kind == Kind::Curve ? 3 : (n.kind == Kind::Close ? 0 : 1);
        for (int i = 0; i < count; ++i) {
            double x = n.x[i], y = n.y[i];
            if (m) cairo_matrix_transform_point(m, &x, &y);
            if (!detail::InDeviceRange(x, y)) return false;
        }
    }
    return true;
}

BOOL GraphicsPath::IsVisible(REAL x, REAL y) const {
    Set(Ok);
    if (m_nodes.empty() || !std::isfinite(x) || !std::isfinite(y) || !FitsDevice(nullptr)) return FALSE;
    detail::CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    detail::CairoContextPtr cr(cairo_create(surface.get()));
    AppendTo(cr.get());
    cairo_set_fill_rule(cr.get(), CairoFillRule());
    return cairo_in_fill(cr.get(), x, y) ? TRUE : FALSE;
}

} // namespace Gdiplus

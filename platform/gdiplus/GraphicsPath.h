// A sequence of figures (lines, rectangles, ellipses, pies, polygons) with a fill mode.
#pragma once

#include <cairo.h>

#include <vector>

#include "platform/gdiplus/GdiplusTypes.h"
#include "platform/gdiplus/Matrix.h"

namespace Gdiplus {

class GraphicsPath {
public:
    explicit GraphicsPath(FillMode fillMode = FillModeAlternate);

    // Empties the path and sets the fill mode back to alternate.
    Status Reset();
    FillMode GetFillMode() const { return m_fillMode; }
    Status SetFillMode(FillMode fillMode);

    // The next figure starts anew without closing the current one.
    Status StartFigure();
    // Closes the current figure with a line back to its first point.
    Status CloseFigure();

    // Lines continue the current open figure (joined to its last point).
    Status AddLine(REAL x1, REAL y1, REAL x2, REAL y2);
    Status AddLine(const PointF& a, const PointF& b) { return AddLine(a.X, a.Y, b.X, b.Y); }
    Status AddLines(const PointF* points, INT count);

    // Closed figures of their own. Zero-sized rectangles and ellipses add nothing; negative sizes
    // describe the same area as the positive ones.
    Status AddRectangle(const RectF& rect);
    Status AddRectangles(const RectF* rects, INT count);
    Status AddEllipse(const RectF& rect);
    Status AddEllipse(REAL x, REAL y, REAL width, REAL height) { return AddEllipse(RectF(x, y, width, height)); }
    // Angles in degrees, clockwise from the 3 o'clock direction, measured on the ellipse as seen.
    // A sweep of 360 or more gives the whole ellipse; a sweep of 0 adds nothing.
    Status AddPie(const RectF& rect, REAL startAngle, REAL sweepAngle);
    Status AddPie(REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle) {
        return AddPie(RectF(x, y, width, height), startAngle, sweepAngle);
    }
    Status AddPolygon(const PointF* points, INT count);

    Status Transform(const Matrix* matrix);

    INT GetPointCount() const;
    // Bounds of all points (curve control points included).
    Status GetBounds(RectF* bounds) const;
    // True when the point lies inside the path as its fill mode fills it.
    BOOL IsVisible(REAL x, REAL y) const;
    BOOL IsVisible(const PointF& pt) const { return IsVisible(pt.X, pt.Y); }

    Status GetLastStatus() const { return m_status; }

    // Drawing-layer use: appends the figures to cairo's current path as they are (user space).
    void AppendTo(cairo_t* cr) const;
    // True when every point, mapped through `m` (null: as is), lies in cairo's safe range.
    bool FitsDevice(const cairo_matrix_t* m) const;
    bool IsEmpty() const { return m_nodes.empty(); }
    cairo_fill_rule_t CairoFillRule() const;

private:
    enum class Kind : uint8_t { Move, Line, Curve, Close };
    struct Node {
        Kind kind;
        double x[3];
        double y[3];
    };
    Status Set(Status s) const { return m_status = s; }
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
    void Close();
    // Elliptic arc from parametric angle t0 to t1 (radians), continuing the current figure.
    void ArcTo(double cx, double cy, double rx, double ry, double t0, double t1);

    std::vector<Node> m_nodes;
    FillMode m_fillMode;
    bool m_figureOpen = false; // a figure is open and lines join it
    bool m_startNew = true;    // the next point starts a new figure
    mutable Status m_status = Ok;
};

} // namespace Gdiplus

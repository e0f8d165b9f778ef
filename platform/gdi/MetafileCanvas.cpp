#include "platform/gdi/MetafileCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/GdiFont.h"

namespace {

constexpr size_t kMaxSavedStates = 256;
constexpr double kLimit = 1e6;              // cairo works in 24.8 fixed point: stay well inside
constexpr uint64_t kMaxDibPixels = 1u << 26; // a larger bitmap in a record is not drawn
constexpr int kMaxFontPixels = 2000;
constexpr double kPi = 3.14159265358979323846;
// Bézier handle length for a quarter ellipse.
constexpr double kKappa = 0.5522847498;

enum { PS_NULL = 5, BS_NULL = 1, BS_HATCHED = 2, TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8,
       TA_BASELINE = 24 };

// The transform that applies a, then b (row vectors: m11 m12 m21 m22 dx dy).
void Multiply(const double a[6], const double b[6], double out[6]) {
    out[0] = a[0] * b[0] + a[1] * b[2];
    out[1] = a[0] * b[1] + a[1] * b[3];
    out[2] = a[2] * b[0] + a[3] * b[2];
    out[3] = a[2] * b[1] + a[3] * b[3];
    out[4] = a[4] * b[0] + a[5] * b[2] + b[4];
    out[5] = a[4] * b[1] + a[5] * b[3] + b[5];
}

double Finite(double v) { return std::isfinite(v) ? std::clamp(v, -kLimit, kLimit) : 0.0; }

double Red(COLORREF c) { return (c & 0xFF) / 255.0; }
double Green(COLORREF c) { return ((c >> 8) & 0xFF) / 255.0; }
double Blue(COLORREF c) { return ((c >> 16) & 0xFF) / 255.0; }

} // namespace

MetafileCanvas::MetafileCanvas(int width, int height) : m_width(width), m_height(height) {
    if (width <= 0 || height <= 0) return;
    m_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_surface);
        m_surface = nullptr;
        return;
    }
    m_cr = cairo_create(m_surface);
    cairo_set_source_rgb(m_cr, 1, 1, 1);
    cairo_paint(m_cr);
    m_frame[2] = width;
    m_frame[3] = height;
    std::strcpy(m_state.font.lfFaceName, "Arial");
}

MetafileCanvas::~MetafileCanvas() {
    if (m_cr) cairo_destroy(m_cr);
    if (m_surface) cairo_surface_destroy(m_surface);
}

void MetafileCanvas::SetDeviceFrame(double x0, double y0, double x1, double y1) {
    // An empty frame would make the mapping singular.
    if (!(std::fabs(x1 - x0) > 1e-9) || !(std::fabs(y1 - y0) > 1e-9)) return;
    m_frame[0] = x0;
    m_frame[1] = y0;
    m_frame[2] = x1;
    m_frame[3] = y1;
}

void MetafileCanvas::SetDeviceMillimetres(double x, double y) {
    if (x > 0 && y > 0 && std::isfinite(x) && std::isfinite(y)) {
        m_mm[0] = x;
        m_mm[1] = y;
    }
}

// --- mapping ---------------------------------------------------------------------------------

void MetafileCanvas::SetMapMode(int mode) {
    if (mode >= 1 && mode <= 8) m_state.mapMode = mode;
}
void MetafileCanvas::SetWindowOrg(double x, double y) { m_state.winOrg = {Finite(x), Finite(y)}; }
void MetafileCanvas::SetViewportOrg(double x, double y) { m_state.vpOrg = {Finite(x), Finite(y)}; }
void MetafileCanvas::OffsetWindowOrg(double dx, double dy) {
    m_state.winOrg = {Finite(m_state.winOrg.x + dx), Finite(m_state.winOrg.y + dy)};
}
// Zero extents are ignored: they would make the mapping impossible to invert.
void MetafileCanvas::SetWindowExt(double cx, double cy) {
    if (cx != 0 && cy != 0 && std::isfinite(cx) && std::isfinite(cy)) m_state.winExt = {cx, cy};
}
void MetafileCanvas::SetViewportExt(double cx, double cy) {
    if (cx != 0 && cy != 0 && std::isfinite(cx) && std::isfinite(cy)) m_state.vpExt = {cx, cy};
}
void MetafileCanvas::ScaleWindowExt(double xn, double xd, double yn, double yd) {
    if (xd != 0 && yd != 0) SetWindowExt(m_state.winExt.x * xn / xd, m_state.winExt.y * yn / yd);
}

void MetafileCanvas::ModifyWorldTransform(const double m[6], int mode) {
    for (int i = 0; i < 6; ++i)
        if (!std::isfinite(m[i])) return;
    double* w = m_state.world;
    const double cur[6] = {w[0], w[1], w[2], w[3], w[4], w[5]};
    double next[6];
    switch (mode) {
    case 1: {
        static const double identity[6] = {1, 0, 0, 1, 0, 0};
        std::copy_n(identity, 6, next);
        break;
    }
    case 2: Multiply(m, cur, next); break; // m applies first
    case 3: Multiply(cur, m, next); break; // m applies after
    case 4: std::copy_n(m, 6, next); break;
    default: return;
    }
    // A singular transform is refused, as the platform refuses it.
    if (std::fabs(next[0] * next[3] - next[1] * next[2]) < 1e-12) return;
    std::copy_n(next, 6, w);
}

MetafileCanvas::PointD MetafileCanvas::ToDevice(double x, double y) const {
    const State& s = m_state;
    const double* w = s.world;
    const double px = x * w[0] + y * w[2] + w[4], py = x * w[1] + y * w[3] + w[5];
    double sx = 1, sy = 1;
    switch (s.mapMode) {
    case 2: sx = 0.1 / m_mm[0]; sy = -0.1 / m_mm[1]; break;
    case 3: sx = 0.01 / m_mm[0]; sy = -0.01 / m_mm[1]; break;
    case 4: sx = 0.254 / m_mm[0]; sy = -0.254 / m_mm[1]; break;
    case 5: sx = 0.0254 / m_mm[0]; sy = -0.0254 / m_mm[1]; break;
    case 6: sx = 25.4 / 1440 / m_mm[0]; sy = -25.4 / 1440 / m_mm[1]; break;
    case 7: case 8: {
        sx = s.vpExt.x / s.winExt.x;
        sy = s.vpExt.y / s.winExt.y;
        if (s.mapMode == 7) {
            // Isotropic: one scale for both axes, each keeping its sign.
            const double k = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(k, sx);
            sy = std::copysign(k, sy);
        }
        break;
    }
    default: break;
    }
    const double dx = (px - s.winOrg.x) * sx + s.vpOrg.x, dy = (py - s.winOrg.y) * sy + s.vpOrg.y;
    const double fx = m_width / (m_frame[2] - m_frame[0]), fy = m_height / (m_frame[3] - m_frame[1]);
    return {Finite((dx - m_frame[0]) * fx), Finite((dy - m_frame[1]) * fy)};
}

double MetafileCanvas::Scale() const {
    const PointD o = ToDevice(0, 0), a = ToDevice(1, 0), b = ToDevice(0, 1);
    const double det = (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    return std::sqrt(std::fabs(det));
}

// --- state -----------------------------------------------------------------------------------

bool MetafileCanvas::Save() {
    if (m_saved.size() >= kMaxSavedStates) return false;
    m_saved.push_back(m_state);
    return true;
}

bool MetafileCanvas::Restore(int n) {
    if (n == 0 || m_saved.empty()) return false;
    size_t keep;
    if (n < 0) {
        const size_t back = static_cast<size_t>(-static_cast<int64_t>(n));
        if (back > m_saved.size()) return false;
        keep = m_saved.size() - back;
    } else {
        if (static_cast<size_t>(n) > m_saved.size()) return false;
        keep = static_cast<size_t>(n) - 1;
    }
    m_state = m_saved[keep];
    m_saved.resize(keep);
    return true;
}

// --- objects ---------------------------------------------------------------------------------

void MetafileCanvas::SetObjectSlots(uint32_t count) { m_objects.assign(std::min<uint32_t>(count, 65535), Object()); }

int MetafileCanvas::FreeSlot() const {
    for (size_t i = 0; i < m_objects.size(); ++i)
        if (m_objects[i].kind == Object::Kind::None) return static_cast<int>(i);
    return -1;
}

bool MetafileCanvas::PutObject(uint32_t index, const Object& object) {
    if (index >= m_objects.size()) return false;
    m_objects[index] = object;
    return true;
}

bool MetafileCanvas::SelectObject(uint32_t index) {
    if (index >= m_objects.size()) return false;
    const Object& o = m_objects[index];
    switch (o.kind) {
    case Object::Kind::Pen: m_state.pen = o.pen; return true;
    case Object::Kind::Brush: m_state.brush = o.brush; return true;
    case Object::Kind::Font: m_state.font = o.font; return true;
    case Object::Kind::Other: return true;
    default: return false;
    }
}

bool MetafileCanvas::SelectStock(uint32_t id) {
    static const COLORREF greys[5] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64), 0};
    if (id <= 4) {
        m_state.brush = Brush{0, greys[id], 0};
    } else if (id == 5) {
        m_state.brush = Brush{BS_NULL, 0, 0};
    } else if (id == 6 || id == 7) {
        m_state.pen = Pen{0, 0, id == 6 ? RGB(255, 255, 255) : 0};
    } else if (id == 8) {
        m_state.pen = Pen{PS_NULL, 0, 0};
    } else if (id >= 10 && id <= 17) {
        m_state.font = LOGFONT();
        std::strcpy(m_state.font.lfFaceName, id == 11 || id == 16 ? "Courier New" : "Arial");
    } else {
        return false;
    }
    return true;
}

bool MetafileCanvas::DeleteObject(uint32_t index) {
    if (index >= m_objects.size()) return false;
    m_objects[index] = Object();
    return true;
}

// --- drawing ---------------------------------------------------------------------------------

void MetafileCanvas::ApplyClip() {
    cairo_reset_clip(m_cr);
    for (const ClipItem& c : m_state.clip) {
        cairo_new_path(m_cr);
        if (c.exclude) {
            cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
            cairo_rectangle(m_cr, -kLimit, -kLimit, 2 * kLimit, 2 * kLimit);
        } else {
            cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
        }
        cairo_move_to(m_cr, c.quad[0].x, c.quad[0].y);
        for (int i = 1; i < 4; ++i) cairo_line_to(m_cr, c.quad[i].x, c.quad[i].y);
        cairo_close_path(m_cr);
        cairo_clip(m_cr);
    }
    cairo_new_path(m_cr);
}

void MetafileCanvas::SetSource(COLORREF c) { cairo_set_source_rgb(m_cr, Red(c), Green(c), Blue(c)); }

// A brush as cairo's source: false for the null brush. Hatches are an 8 x 8 tile.
bool MetafileCanvas::SetBrushSource() {
    const Brush& b = m_state.brush;
    if (b.style == BS_NULL) return false;
    if (b.style != BS_HATCHED) {
        SetSource(b.color);
        return true;
    }
    cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_t* t = cairo_create(tile);
    if (m_state.bkMode == 2) {
        cairo_set_source_rgb(t, Red(m_state.bkColor), Green(m_state.bkColor), Blue(m_state.bkColor));
        cairo_paint(t);
    }
    cairo_set_source_rgb(t, Red(b.color), Green(b.color), Blue(b.color));
    cairo_set_line_width(t, 1);
    const int h = b.hatch;
    if (h == 0 || h == 4) { cairo_move_to(t, 0, 4.5); cairo_line_to(t, 8, 4.5); }          // horizontal, cross
    if (h == 1 || h == 4) { cairo_move_to(t, 4.5, 0); cairo_line_to(t, 4.5, 8); }          // vertical, cross
    if (h == 2 || h == 5) { cairo_move_to(t, 0, 0); cairo_line_to(t, 8, 8); }              // down diagonal
    if (h == 3 || h == 5) { cairo_move_to(t, 0, 8); cairo_line_to(t, 8, 0); }              // up diagonal
    cairo_stroke(t);
    cairo_destroy(t);
    cairo_pattern_t* p = cairo_pattern_create_for_surface(tile);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    cairo_set_source(m_cr, p);
    cairo_pattern_destroy(p);
    cairo_surface_destroy(tile);
    return true;
}

void MetafileCanvas::Emit(const std::vector<PathOp>& ops) {
    cairo_new_path(m_cr);
    for (const PathOp& op : ops) {
        switch (op.kind) {
        case PathOp::Move: cairo_move_to(m_cr, op.p[0].x, op.p[0].y); break;
        case PathOp::Line: cairo_line_to(m_cr, op.p[0].x, op.p[0].y); break;
        case PathOp::Curve:
            cairo_curve_to(m_cr, op.p[0].x, op.p[0].y, op.p[1].x, op.p[1].y, op.p[2].x, op.p[2].y);
            break;
        case PathOp::Close: cairo_close_path(m_cr); break;
        }
    }
}

void MetafileCanvas::DrawOps(const std::vector<PathOp>& ops, bool fill, bool stroke) {
    if (ops.empty()) return;
    ApplyClip();
    cairo_set_fill_rule(m_cr, m_state.fillMode == 2 ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    if (fill && SetBrushSource()) {
        Emit(ops);
        cairo_fill(m_cr);
    }
    const Pen& pen = m_state.pen;
    const int style = pen.style & 0x0F;
    if (stroke && style != PS_NULL) {
        Emit(ops);
        SetSource(pen.color);
        const double w = std::clamp(pen.width * Scale(), 1.0, 1000.0);
        cairo_set_line_width(m_cr, w);
        static const double dash[] = {3, 1}, dot[] = {1, 1}, dashDot[] = {3, 1, 1, 1}, dashDotDot[] = {3, 1, 1, 1, 1, 1};
        const double* pattern[] = {nullptr, dash, dot, dashDot, dashDotDot};
        const int counts[] = {0, 2, 2, 4, 6};
        double scaled[6];
        if (style >= 1 && style <= 4) {
            for (int i = 0; i < counts[style]; ++i) scaled[i] = pattern[style][i] * w;
            cairo_set_dash(m_cr, scaled, counts[style], 0);
        } else {
            cairo_set_dash(m_cr, nullptr, 0, 0);
        }
        cairo_stroke(m_cr);
    }
    cairo_new_path(m_cr);
}

// Inside a path bracket the shape joins the path; otherwise it is drawn.
void MetafileCanvas::AddOrDraw(std::vector<PathOp> ops, bool closed) {
    if (m_state.recording) {
        m_state.path.insert(m_state.path.end(), ops.begin(), ops.end());
        return;
    }
    DrawOps(ops, closed, true);
}

void MetafileCanvas::MoveTo(double x, double y) {
    m_state.pos = {x, y};
    if (m_state.recording) m_state.path.push_back({PathOp::Move, {ToDevice(x, y)}});
}

void MetafileCanvas::LineTo(double x, double y) {
    const PointD from = m_state.pos;
    m_state.pos = {x, y};
    if (m_state.recording) {
        if (m_state.path.empty()) m_state.path.push_back({PathOp::Move, {ToDevice(from.x, from.y)}});
        m_state.path.push_back({PathOp::Line, {ToDevice(x, y)}});
        return;
    }
    DrawOps({{PathOp::Move, {ToDevice(from.x, from.y)}}, {PathOp::Line, {ToDevice(x, y)}}}, false, true);
}

void MetafileCanvas::Polyline(const std::vector<PointD>& pts, bool fromCurrent) {
    if (pts.empty()) return;
    std::vector<PathOp> ops;
    ops.reserve(pts.size() + 1);
    const PointD start = fromCurrent ? m_state.pos : pts[0];
    if (!(fromCurrent && m_state.recording && !m_state.path.empty()))
        ops.push_back({PathOp::Move, {ToDevice(start.x, start.y)}});
    for (size_t i = fromCurrent ? 0 : 1; i < pts.size(); ++i) ops.push_back({PathOp::Line, {ToDevice(pts[i].x, pts[i].y)}});
    if (fromCurrent) m_state.pos = pts.back();
    AddOrDraw(std::move(ops), false);
}

void MetafileCanvas::Polygon(const std::vector<PointD>& pts) { PolyPolygon({pts}); }

void MetafileCanvas::PolyPolygon(const std::vector<std::vector<PointD>>& polys) {
    std::vector<PathOp> ops;
    for (const auto& poly : polys) {
        if (poly.size() < 2) continue;
        ops.push_back({PathOp::Move, {ToDevice(poly[0].x, poly[0].y)}});
        for (size_t i = 1; i < poly.size(); ++i) ops.push_back({PathOp::Line, {ToDevice(poly[i].x, poly[i].y)}});
        ops.push_back({PathOp::Close, {}});
    }
    AddOrDraw(std::move(ops), true);
}

void MetafileCanvas::PolyBezier(const std::vector<PointD>& pts, bool fromCurrent) {
    std::vector<PathOp> ops;
    size_t i = 0;
    if (fromCurrent) {
        if (!(m_state.recording && !m_state.path.empty()))
            ops.push_back({PathOp::Move, {ToDevice(m_state.pos.x, m_state.pos.y)}});
    } else {
        if (pts.empty()) return;
        ops.push_back({PathOp::Move, {ToDevice(pts[0].x, pts[0].y)}});
        i = 1;
    }
    for (; i + 3 <= pts.size(); i += 3)
        ops.push_back({PathOp::Curve, {ToDevice(pts[i].x, pts[i].y), ToDevice(pts[i + 1].x, pts[i + 1].y),
                                       ToDevice(pts[i + 2].x, pts[i + 2].y)}});
    if (fromCurrent && i > 0) m_state.pos = pts[i - 1];
    AddOrDraw(std::move(ops), false);
}

void MetafileCanvas::Rectangle(double l, double t, double r, double b) {
    Polygon({{l, t}, {r, t}, {r, b}, {l, b}});
}

void MetafileCanvas::Ellipse(double l, double t, double r, double b) {
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
    const double kx = rx * kKappa, ky = ry * kKappa;
    auto d = [this](double x, double y) { return ToDevice(x, y); };
    std::vector<PathOp> ops = {
        {PathOp::Move, {d(cx + rx, cy)}},
        {PathOp::Curve, {d(cx + rx, cy + ky), d(cx + kx, cy + ry), d(cx, cy + ry)}},
        {PathOp::Curve, {d(cx - kx, cy + ry), d(cx - rx, cy + ky), d(cx - rx, cy)}},
        {PathOp::Curve, {d(cx - rx, cy - ky), d(cx - kx, cy - ry), d(cx, cy - ry)}},
        {PathOp::Curve, {d(cx + kx, cy - ry), d(cx + rx, cy - ky), d(cx + rx, cy)}},
        {PathOp::Close, {}},
    };
    AddOrDraw(std::move(ops), true);
}

void MetafileCanvas::RoundRect(double l, double t, double r, double b, double w, double h) {
    const double rx = std::min(std::fabs(w) / 2, std::fabs(r - l) / 2), ry = std::min(std::fabs(h) / 2, std::fabs(b - t) / 2);
    if (rx <= 0 || ry <= 0) {
        Rectangle(l, t, r, b);
        return;
    }
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    const double kx = rx * (1 - kKappa), ky = ry * (1 - kKappa);
    auto d = [this](double x, double y) { return ToDevice(x, y); };
    std::vector<PathOp> ops = {
        {PathOp::Move, {d(l + rx, t)}},
        {PathOp::Line, {d(r - rx, t)}},
        {PathOp::Curve, {d(r - kx, t), d(r, t + ky), d(r, t + ry)}},
        {PathOp::Line, {d(r, b - ry)}},
        {PathOp::Curve, {d(r, b - ky), d(r - kx, b), d(r - rx, b)}},
        {PathOp::Line, {d(l + rx, b)}},
        {PathOp::Curve, {d(l + kx, b), d(l, b - ky), d(l, b - ry)}},
        {PathOp::Line, {d(l, t + ry)}},
        {PathOp::Curve, {d(l, t + ky), d(l + kx, t), d(l + rx, t)}},
        {PathOp::Close, {}},
    };
    AddOrDraw(std::move(ops), true);
}

void MetafileCanvas::Arc(int kind, double l, double t, double r, double b, double x1, double y1, double x2, double y2) {
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
    if (rx <= 0 || ry <= 0) return;
    // Angles of the radial points, counter-clockwise as shown (y grows downwards).
    double a1 = std::atan2(cy - y1, x1 - cx), a2 = std::atan2(cy - y2, x2 - cx);
    if (a2 <= a1) a2 += 2 * kPi;
    constexpr int kSteps = 64;
    std::vector<PathOp> ops;
    for (int i = 0; i <= kSteps; ++i) {
        const double a = a1 + (a2 - a1) * i / kSteps;
        const PointD p = ToDevice(cx + rx * std::cos(a), cy - ry * std::sin(a));
        ops.push_back({i == 0 ? PathOp::Move : PathOp::Line, {p}});
    }
    if (kind == 1) ops.push_back({PathOp::Line, {ToDevice(cx, cy)}});
    if (kind > 0) ops.push_back({PathOp::Close, {}});
    AddOrDraw(std::move(ops), kind > 0);
}

void MetafileCanvas::FillRect(double l, double t, double r, double b, COLORREF c) {
    ApplyClip();
    const PointD p[4] = {ToDevice(l, t), ToDevice(r, t), ToDevice(r, b), ToDevice(l, b)};
    cairo_move_to(m_cr, p[0].x, p[0].y);
    for (int i = 1; i < 4; ++i) cairo_line_to(m_cr, p[i].x, p[i].y);
    cairo_close_path(m_cr);
    SetSource(c);
    cairo_fill(m_cr);
}

void MetafileCanvas::FillRectWithBrush(double l, double t, double r, double b) {
    ApplyClip();
    if (!SetBrushSource()) return;
    const PointD p[4] = {ToDevice(l, t), ToDevice(r, t), ToDevice(r, b), ToDevice(l, b)};
    cairo_move_to(m_cr, p[0].x, p[0].y);
    for (int i = 1; i < 4; ++i) cairo_line_to(m_cr, p[i].x, p[i].y);
    cairo_close_path(m_cr);
    cairo_fill(m_cr);
}

void MetafileCanvas::TextOut(double x, double y, const std::string& text, bool opaque, const double* rect) {
    ApplyClip();
    if (opaque && rect) FillRect(rect[0], rect[1], rect[2], rect[3], m_state.bkColor);
    if (text.empty()) return;
    const LOGFONT& lf = m_state.font;
    const uint32_t align = m_state.textAlign;
    if (align & TA_UPDATECP) {
        x = m_state.pos.x;
        y = m_state.pos.y;
    }
    // Heights are logical: negative is the em size, positive the cell (about 1.2 em).
    double em = lf.lfHeight == 0 ? 12.0 : std::fabs(static_cast<double>(lf.lfHeight)) * (lf.lfHeight > 0 ? 0.83 : 1.0);
    em = std::clamp(em * Scale(), 1.0, static_cast<double>(kMaxFontPixels));
    const std::string family = GdiFont::ResolveFamily(lf.lfFaceName);
    cairo_select_font_face(m_cr, family.c_str(), lf.lfItalic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           lf.lfWeight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(m_cr, em);
    cairo_text_extents_t ext;
    cairo_font_extents_t fext;
    cairo_text_extents(m_cr, text.c_str(), &ext);
    cairo_font_extents(m_cr, &fext);
    const PointD at = ToDevice(x, y);
    const double angle = -(lf.lfEscapement % 3600) / 10.0 * kPi / 180.0;
    cairo_save(m_cr);
    cairo_translate(m_cr, at.x, at.y);
    cairo_rotate(m_cr, angle);
    double ox = 0, oy = 0;
    if ((align & TA_CENTER) == TA_CENTER) ox = -ext.x_advance / 2;
    else if (align & TA_RIGHT) ox = -ext.x_advance;
    if ((align & TA_BASELINE) == TA_BASELINE) oy = 0;
    else if (align & TA_BOTTOM) oy = -fext.descent;
    else oy = fext.ascent;
    if (opaque && !rect && m_state.bkMode == 2) {
        cairo_rectangle(m_cr, ox, oy - fext.ascent, ext.x_advance, fext.ascent + fext.descent);
        SetSource(m_state.bkColor);
        cairo_fill(m_cr);
    }
    SetSource(m_state.textColor);
    cairo_move_to(m_cr, ox, oy);
    cairo_show_text(m_cr, text.c_str());
    cairo_restore(m_cr);
    if (align & TA_UPDATECP) {
        // The current position moves by the text's advance, in logical units.
        const double s = Scale();
        if (s > 0) m_state.pos.x += ext.x_advance / s;
    }
}

bool MetafileCanvas::StretchDib(double dx, double dy, double dw, double dh, int sx, int sy, int sw, int sh,
                                const uint8_t* dib, size_t dibBytes, size_t bitsOffset, uint32_t rop,
                                bool syFromBottom) {
    // Raster operations without a source fill the rectangle.
    switch (rop) {
    case 0x00000042: FillRect(dx, dy, dx + dw, dy + dh, 0); return true;
    case 0x00FF0062: FillRect(dx, dy, dx + dw, dy + dh, RGB(255, 255, 255)); return true;
    case 0x00F00021: FillRectWithBrush(dx, dy, dx + dw, dy + dh); return true;
    default: break;
    }
    if (!dib || dibBytes < 12) return false;
    auto le32 = [dib](size_t o) {
        return static_cast<uint32_t>(dib[o] | (dib[o + 1] << 8) | (dib[o + 2] << 16) | (static_cast<uint32_t>(dib[o + 3]) << 24));
    };
    auto le16 = [dib](size_t o) { return static_cast<uint32_t>(dib[o] | (dib[o + 1] << 8)); };
    const uint32_t hsize = le32(0);
    int64_t w, h;
    uint32_t bpp, compression = 0, used = 0;
    if (hsize == 12) {
        w = le16(4);
        h = static_cast<int16_t>(le16(6));
        bpp = le16(10);
    } else {
        if (hsize < 40 || hsize > dibBytes) return false;
        w = static_cast<int32_t>(le32(4));
        h = static_cast<int32_t>(le32(8));
        bpp = le16(14);
        compression = le32(16);
        used = le32(32);
    }
    const bool topDown = h < 0;
    h = h < 0 ? -h : h;
    if (w <= 0 || h <= 0 || static_cast<uint64_t>(w) * static_cast<uint64_t>(h) > kMaxDibPixels) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    if (compression != 0 && !(compression == 3 && (bpp == 16 || bpp == 32))) return false;
    const uint32_t colours = bpp <= 8 ? (used && used < (1u << bpp) ? used : (1u << bpp)) : 0;
    size_t palAt = hsize;
    uint32_t masks[3] = {bpp == 16 ? 0x7C00u : 0xFF0000u, bpp == 16 ? 0x3E0u : 0xFF00u, bpp == 16 ? 0x1Fu : 0xFFu};
    if (compression == 3) {
        if (hsize == 40) {
            if (palAt + 12 > dibBytes) return false;
            palAt += 12;
        }
        for (int i = 0; i < 3; ++i) masks[i] = le32(40 + 4 * i);
    }
    const size_t entry = hsize == 12 ? 3 : 4;
    if (palAt + static_cast<uint64_t>(colours) * entry > dibBytes) return false;
    const uint64_t stride = ((static_cast<uint64_t>(w) * bpp + 31) / 32) * 4;
    if (bitsOffset > dibBytes || stride * static_cast<uint64_t>(h) > dibBytes - bitsOffset) return false;

    // The source rectangle in 64 bits: a record may put it anywhere in the 32-bit range, where
    // negating it or counting rows from the bottom would overflow an int. Only the part of the
    // bitmap it covers reaches cairo, whose coordinates are narrower; a width or height below 0
    // covers the pixels before the offset.
    const int64_t srcW = sw == 0 ? w : sw, srcH = sh == 0 ? h : sh;
    const int64_t srcX = sx, srcY = syFromBottom && !topDown ? h - sy - srcH : sy;
    const int64_t x0 = std::max<int64_t>(srcX + std::min<int64_t>(srcW, 0), 0);
    const int64_t x1 = std::min<int64_t>(srcX + std::max<int64_t>(srcW, 0), w);
    const int64_t y0 = std::max<int64_t>(srcY + std::min<int64_t>(srcH, 0), 0);
    const int64_t y1 = std::min<int64_t>(srcY + std::max<int64_t>(srcH, 0), h);
    if (x0 >= x1 || y0 >= y1) return true; // nothing of the bitmap to draw

    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(w), static_cast<int>(h));
    if (cairo_surface_status(img) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(img);
        return false;
    }
    cairo_surface_flush(img);
    uint8_t* out = cairo_image_surface_get_data(img);
    const int outStride = cairo_image_surface_get_stride(img);
    auto channel = [](uint32_t v, uint32_t mask) -> uint32_t {
        if (!mask) return 0;
        const int shift = __builtin_ctz(mask);
        const uint32_t m = mask >> shift;
        const uint32_t x = (v >> shift) & m;
        return m >= 255 ? (x * 255 / m) : (x * 255 + m / 2) / m;
    };
    for (int64_t y = 0; y < h; ++y) {
        const uint8_t* row = dib + bitsOffset + stride * static_cast<uint64_t>(topDown ? y : h - 1 - y);
        uint32_t* o = reinterpret_cast<uint32_t*>(out + y * outStride);
        for (int64_t x = 0; x < w; ++x) {
            uint32_t r, g, b;
            if (bpp <= 8) {
                const uint32_t idx = bpp == 8 ? row[x] : bpp == 4 ? (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15
                                                             : (row[x >> 3] >> (7 - (x & 7))) & 1;
                const uint8_t* p = dib + palAt + static_cast<size_t>(std::min(idx, colours ? colours - 1 : 0)) * entry;
                b = colours ? p[0] : 0;
                g = colours ? p[1] : 0;
                r = colours ? p[2] : 0;
            } else if (bpp == 24) {
                b = row[x * 3];
                g = row[x * 3 + 1];
                r = row[x * 3 + 2];
            } else {
                const uint32_t v = bpp == 16 ? static_cast<uint32_t>(row[x * 2] | (row[x * 2 + 1] << 8))
                                             : static_cast<uint32_t>(row[x * 4] | (row[x * 4 + 1] << 8) |
                                                                     (row[x * 4 + 2] << 16) | (row[x * 4 + 3] << 24));
                r = channel(v, masks[0]);
                g = channel(v, masks[1]);
                b = channel(v, masks[2]);
            }
            o[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(img);

    const PointD p0 = ToDevice(dx, dy), p1 = ToDevice(dx + dw, dy), p2 = ToDevice(dx, dy + dh);
    cairo_matrix_t m;
    cairo_matrix_init(&m, (p1.x - p0.x) / srcW, (p1.y - p0.y) / srcW, (p2.x - p0.x) / srcH,
                      (p2.y - p0.y) / srcH, p0.x, p0.y);
    bool drawn = false;
    if (std::isfinite(m.xx) && std::isfinite(m.yy) && std::fabs(m.xx * m.yy - m.xy * m.yx) > 1e-12) {
        ApplyClip();
        cairo_save(m_cr);
        cairo_transform(m_cr, &m);
        cairo_translate(m_cr, static_cast<double>(x0 - srcX), static_cast<double>(y0 - srcY));
        cairo_rectangle(m_cr, 0, 0, static_cast<double>(x1 - x0), static_cast<double>(y1 - y0));
        cairo_clip(m_cr);
        cairo_set_source_surface(m_cr, img, -static_cast<double>(x0), -static_cast<double>(y0));
        // Stretched bitmaps take the nearest source pixel, as block transfers do.
        cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_NEAREST);
        cairo_paint(m_cr);
        cairo_restore(m_cr);
        drawn = true;
    }
    cairo_surface_destroy(img);
    return drawn;
}

// --- paths and clipping ----------------------------------------------------------------------

void MetafileCanvas::BeginPath() {
    m_state.path.clear();
    m_state.recording = true;
}

void MetafileCanvas::AbortPath() {
    m_state.path.clear();
    m_state.recording = false;
}

void MetafileCanvas::CloseFigure() {
    if (m_state.recording && !m_state.path.empty()) m_state.path.push_back({PathOp::Close, {}});
}

void MetafileCanvas::FillPath() {
    DrawOps(m_state.path, true, false);
    AbortPath();
}

void MetafileCanvas::StrokePath() {
    DrawOps(m_state.path, false, true);
    AbortPath();
}

void MetafileCanvas::StrokeAndFillPath() {
    DrawOps(m_state.path, true, true);
    AbortPath();
}

void MetafileCanvas::IntersectClipRect(double l, double t, double r, double b) {
    if (m_state.clip.size() >= 1024) return;
    m_state.clip.push_back({false, {ToDevice(l, t), ToDevice(r, t), ToDevice(r, b), ToDevice(l, b)}});
}

void MetafileCanvas::ExcludeClipRect(double l, double t, double r, double b) {
    if (m_state.clip.size() >= 1024) return;
    m_state.clip.push_back({true, {ToDevice(l, t), ToDevice(r, t), ToDevice(r, b), ToDevice(l, b)}});
}

void MetafileCanvas::ResetClip() { m_state.clip.clear(); }

const uint8_t* MetafileCanvas::Pixels() {
    if (!m_surface) return nullptr;
    cairo_surface_flush(m_surface);
    return cairo_image_surface_get_data(m_surface);
}

int MetafileCanvas::Stride() const { return m_surface ? cairo_image_surface_get_stride(m_surface) : 0; }

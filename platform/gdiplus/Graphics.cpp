#include "platform/gdiplus/Graphics.h"

#include <algorithm>
#include <cmath>

#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/CachedBitmap.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/ImageAttributes.h"
#include "platform/gdiplus/SafeGeometry.h"
#include "platform/gdiplus/SolidBrush.h"

namespace Gdiplus {

namespace {

// Two opposite corners of a rectangle in device space.
struct DeviceBox {
    double x0, y0, x1, y1;
};

// The corners of a rectangle mapped through an axis-aligned transform, each coordinate cut to
// half of cairo's safe range so that a huge rectangle still covers the target.
DeviceBox ClampedDeviceBox(const cairo_matrix_t& w, const RectF& rect) {
    const double lim = detail::kMaxDeviceCoord / 2;
    DeviceBox d{rect.X, rect.Y, static_cast<double>(rect.X) + rect.Width,
                static_cast<double>(rect.Y) + rect.Height};
    cairo_matrix_transform_point(&w, &d.x0, &d.y0);
    cairo_matrix_transform_point(&w, &d.x1, &d.y1);
    for (double* v : {&d.x0, &d.y0, &d.x1, &d.y1})
        *v = std::clamp(*v, -lim, lim);
    return d;
}

// The rectangle spanned by two opposite corners given in any order.
RectF MakeRect(double x0, double y0, double x1, double y1) {
    return RectF(static_cast<REAL>(std::min(x0, x1)), static_cast<REAL>(std::min(y0, y1)),
                 static_cast<REAL>(std::fabs(x1 - x0)), static_cast<REAL>(std::fabs(y1 - y0)));
}

void SetSourceColor(cairo_t* cr, const Color& c) {
    cairo_set_source_rgba(cr, c.GetR() / 255.0, c.GetG() / 255.0, c.GetB() / 255.0, c.GetA() / 255.0);
}

} // namespace

Graphics::Graphics(Bitmap* bitmap) {
    if (!bitmap || !bitmap->IsValid()) {
        Set(InvalidParameter);
        return;
    }
    Init(bitmap->CairoSurface());
}

Graphics::Graphics(cairo_surface_t* surface) { Init(surface); }

Graphics::~Graphics() {
    if (m_surface) cairo_surface_flush(m_surface.get());
}

void Graphics::Init(cairo_surface_t* surface) {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) {
        Set(InvalidParameter);
        return;
    }
    detail::CairoContextPtr cr(cairo_create(surface));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
        Set(OutOfMemory);
        return;
    }
    m_surface = detail::ShareSurface(surface);
    m_cr = std::move(cr);
    m_width = cairo_image_surface_get_width(surface);
    m_height = cairo_image_surface_get_height(surface);
    ApplyState();
    Set(Ok);
}

bool Graphics::IsHealthy() const { return m_cr && cairo_status(m_cr.get()) == CAIRO_STATUS_SUCCESS; }

void Graphics::ApplyState() {
    cairo_t* cr = m_cr.get();
    cairo_reset_clip(cr);
    cairo_identity_matrix(cr);
    if (m_hasClip) m_clip.ClipTo(cr, m_width, m_height);
    if (m_worldUsable) cairo_set_matrix(cr, &m_world.ToCairo());
}

Status Graphics::Finish(Status s) {
    if (cairo_status(m_cr.get()) == CAIRO_STATUS_SUCCESS) return Set(s);
    // Not expected: every input is checked before cairo sees it. Start over with a fresh context.
    m_cr.reset(cairo_create(m_surface.get()));
    ApplyState();
    return Set(GenericError);
}

cairo_filter_t Graphics::Filter() const {
    switch (m_interpolation) {
    case InterpolationModeNearestNeighbor:
        return CAIRO_FILTER_NEAREST;
    case InterpolationModeHighQuality:
    case InterpolationModeBicubic:
    case InterpolationModeHighQualityBilinear:
    case InterpolationModeHighQualityBicubic:
        return CAIRO_FILTER_GOOD;
    default:
        return CAIRO_FILTER_BILINEAR;
    }
}

Status Graphics::Clear(const Color& color) {
    if (!m_cr) return Set(InvalidParameter);
    cairo_t* cr = m_cr.get();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    SetSourceColor(cr, color);
    cairo_paint(cr);
    cairo_restore(cr);
    return Finish(Ok);
}

Status Graphics::FillWith(const SolidBrush* brush, const GraphicsPath& path) {
    if (!m_cr || !brush) return Set(InvalidParameter);
    if (!m_worldUsable || path.IsEmpty() || !path.FitsDevice(&m_world.ToCairo())) return Set(Ok);
    cairo_t* cr = m_cr.get();
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE); // aliased edges, as pixel-exact fills expect
    cairo_set_operator(cr, m_compositing == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    SetSourceColor(cr, brush->GetColorValue());
    cairo_new_path(cr);
    path.AppendTo(cr);
    cairo_set_fill_rule(cr, path.CairoFillRule());
    cairo_fill(cr);
    cairo_restore(cr);
    return Finish(Ok);
}

Status Graphics::FillRectangle(const SolidBrush* brush, const RectF& rect) {
    if (!detail::AllFinite({rect.X, rect.Y, rect.Width, rect.Height})) return Set(InvalidParameter);
    if (rect.Width <= 0 || rect.Height <= 0) return Set(m_cr && brush ? Ok : InvalidParameter);
    RectF r = rect;
    const cairo_matrix_t& w = m_world.ToCairo();
    if (m_worldUsable && w.xy == 0 && w.yx == 0) {
        // A rectangle reaching far outside the target is cut to a sane size, then taken back into
        // world space (a usable axis-aligned transform has non-zero scales).
        const DeviceBox d = ClampedDeviceBox(w, rect);
        r = MakeRect((d.x0 - w.x0) / w.xx, (d.y0 - w.y0) / w.yy, (d.x1 - w.x0) / w.xx, (d.y1 - w.y0) / w.yy);
    }
    GraphicsPath path;
    path.AddRectangle(r);
    return FillWith(brush, path);
}

Status Graphics::FillEllipse(const SolidBrush* brush, const RectF& rect) {
    if (!detail::AllFinite({rect.X, rect.Y, rect.Width, rect.Height})) return Set(InvalidParameter);
    if (rect.Width <= 0 || rect.Height <= 0) return Set(m_cr && brush ? Ok : InvalidParameter);
    GraphicsPath path;
    path.AddEllipse(rect);
    return FillWith(brush, path);
}

Status Graphics::FillPolygon(const SolidBrush* brush, const PointF* points, INT count, FillMode fillMode) {
    if (!points || count < 0) return Set(InvalidParameter);
    for (INT i = 0; i < count; ++i)
        if (!detail::AllFinite({points[i].X, points[i].Y})) return Set(InvalidParameter);
    if (count < 3) return Set(m_cr && brush ? Ok : InvalidParameter);
    GraphicsPath path(fillMode);
    path.AddPolygon(points, count);
    return FillWith(brush, path);
}

Status Graphics::FillPath(const SolidBrush* brush, const GraphicsPath* path) {
    if (!path) return Set(InvalidParameter);
    return FillWith(brush, *path);
}

Status Graphics::DrawImageCore(Bitmap* image, double sx, double sy, double sw, double sh, const double dst[6],
                               const ImageAttributes* attributes) {
    if (!m_cr || !image || !image->IsValid()) return Set(InvalidParameter);
    if (!detail::AllFinite({sx, sy, sw, sh, dst[0], dst[1], dst[2], dst[3], dst[4], dst[5]}))
        return Set(InvalidParameter);
    const double alpha = attributes ? attributes->AlphaFactor() : 1.0;
    if (sw == 0 || sh == 0 || alpha <= 0 || !m_worldUsable) return Set(Ok);

    // Source pixels to user space: (sx, sy) to P0, the source's width along P0->P1, its height
    // along P0->P2.
    cairo_matrix_t toUser;
    toUser.xx = (dst[2] - dst[0]) / sw;
    toUser.yx = (dst[3] - dst[1]) / sw;
    toUser.xy = (dst[4] - dst[0]) / sh;
    toUser.yy = (dst[5] - dst[1]) / sh;
    toUser.x0 = dst[0] - toUser.xx * sx - toUser.xy * sy;
    toUser.y0 = dst[1] - toUser.yx * sx - toUser.yy * sy;
    cairo_matrix_t toDevice;
    cairo_matrix_multiply(&toDevice, &toUser, &m_world.ToCairo());
    cairo_matrix_t fromDevice = toDevice;
    if (!detail::MatrixIsUsable(toDevice) || cairo_matrix_invert(&fromDevice) != CAIRO_STATUS_SUCCESS ||
        !detail::MatrixIsUsable(fromDevice))
        return Set(Ok); // collapsed or absurdly scaled: nothing to see
    cairo_matrix_t pattern = toUser;
    if (cairo_matrix_invert(&pattern) != CAIRO_STATUS_SUCCESS || !detail::MatrixIsUsable(pattern)) return Set(Ok);

    const double corners[8] = {dst[0], dst[1], dst[2], dst[3], dst[2] + dst[4] - dst[0], dst[3] + dst[5] - dst[1],
                               dst[4], dst[5]};
    for (int i = 0; i < 8; i += 2) {
        double x = corners[i], y = corners[i + 1];
        cairo_matrix_transform_point(&m_world.ToCairo(), &x, &y);
        if (!detail::InDeviceRange(x, y)) return Set(Ok);
    }

    cairo_surface_t* source = image->CairoSurface();
    detail::CairoSurfacePtr snapshot;
    if (source == m_surface.get()) {
        // Drawing a bitmap onto itself reads from a copy.
        snapshot = detail::CopyImageSurface(source);
        source = snapshot.get();
    }

    cairo_t* cr = m_cr.get();
    detail::CairoPatternPtr pat(cairo_pattern_create_for_surface(source));
    cairo_pattern_set_matrix(pat.get(), &pattern);
    cairo_pattern_set_filter(pat.get(), Filter());
    cairo_pattern_set_extend(pat.get(), CAIRO_EXTEND_PAD);

    cairo_save(cr);
    cairo_set_source(cr, pat.get());
    cairo_new_path(cr);
    cairo_move_to(cr, corners[0], corners[1]);
    cairo_line_to(cr, corners[2], corners[3]);
    cairo_line_to(cr, corners[4], corners[5]);
    cairo_line_to(cr, corners[6], corners[7]);
    cairo_close_path(cr);
    const bool copyMode = m_compositing == CompositingModeSourceCopy;
    if (alpha >= 1.0) {
        cairo_set_operator(cr, copyMode ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
        cairo_fill(cr);
    } else {
        cairo_clip(cr);
        if (copyMode) {
            // Replace the covered pixels by the picture with its opacity scaled.
            cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
            cairo_paint(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
        } else {
            cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        }
        cairo_paint_with_alpha(cr, alpha);
    }
    cairo_restore(cr);
    return Finish(Ok);
}

Status Graphics::DrawImage(Bitmap* image, REAL x, REAL y) {
    if (!image || !image->IsValid()) return Set(InvalidParameter);
    const double w = image->GetWidth(), h = image->GetHeight();
    const double dst[6] = {x, y, x + w, y, x, y + h};
    return DrawImageCore(image, 0, 0, w, h, dst, nullptr);
}

Status Graphics::DrawImage(Bitmap* image, INT x, INT y) {
    return DrawImage(image, static_cast<REAL>(x), static_cast<REAL>(y));
}

Status Graphics::DrawImage(Bitmap* image, const RectF& rect) {
    if (!image || !image->IsValid()) return Set(InvalidParameter);
    const double x = rect.X, y = rect.Y;
    const double dst[6] = {x, y, x + rect.Width, y, x, y + rect.Height};
    return DrawImageCore(image, 0, 0, image->GetWidth(), image->GetHeight(), dst, nullptr);
}

Status Graphics::DrawImage(Bitmap* image, const PointF* points, INT count) {
    if (!image || !image->IsValid() || !points || count != 3) return Set(InvalidParameter);
    const double dst[6] = {points[0].X, points[0].Y, points[1].X, points[1].Y, points[2].X, points[2].Y};
    return DrawImageCore(image, 0, 0, image->GetWidth(), image->GetHeight(), dst, nullptr);
}

Status Graphics::DrawImage(Bitmap* image, const Point* points, INT count) {
    if (!points || count != 3) return Set(InvalidParameter);
    const PointF pf[3] = {PointF(static_cast<REAL>(points[0].X), static_cast<REAL>(points[0].Y)),
                          PointF(static_cast<REAL>(points[1].X), static_cast<REAL>(points[1].Y)),
                          PointF(static_cast<REAL>(points[2].X), static_cast<REAL>(points[2].Y))};
    return DrawImage(image, pf, 3);
}

Status Graphics::DrawImage(Bitmap* image, const RectF& destRect, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight,
                           Unit srcUnit, const ImageAttributes* attributes) {
    if (srcUnit != UnitPixel) return Set(NotImplemented);
    const double x = destRect.X, y = destRect.Y;
    const double dst[6] = {x, y, x + destRect.Width, y, x, y + destRect.Height};
    return DrawImageCore(image, srcX, srcY, srcWidth, srcHeight, dst, attributes);
}

Status Graphics::DrawImage(Bitmap* image, const Rect& destRect, INT srcX, INT srcY, INT srcWidth, INT srcHeight,
                           Unit srcUnit, const ImageAttributes* attributes) {
    return DrawImage(image, RectF(destRect), static_cast<REAL>(srcX), static_cast<REAL>(srcY),
                     static_cast<REAL>(srcWidth), static_cast<REAL>(srcHeight), srcUnit, attributes);
}

Status Graphics::DrawImage(Bitmap* image, const PointF* points, INT count, REAL srcX, REAL srcY, REAL srcWidth,
                           REAL srcHeight, Unit srcUnit, const ImageAttributes* attributes) {
    if (!points || count != 3) return Set(InvalidParameter);
    if (srcUnit != UnitPixel) return Set(NotImplemented);
    const double dst[6] = {points[0].X, points[0].Y, points[1].X, points[1].Y, points[2].X, points[2].Y};
    return DrawImageCore(image, srcX, srcY, srcWidth, srcHeight, dst, attributes);
}

Status Graphics::DrawCachedBitmap(const CachedBitmap* cached, INT x, INT y) {
    if (!m_cr || !cached || !cached->CairoSurface()) return Set(InvalidParameter);
    if (!m_worldUsable) return Set(Ok);
    const cairo_matrix_t& w = m_world.ToCairo();
    if (w.xx != 1 || w.yy != 1 || w.xy != 0 || w.yx != 0) return Set(WrongState);
    const double dx = x + w.x0, dy = y + w.y0;
    if (!detail::InDeviceRange(dx, dy) ||
        !detail::InDeviceRange(dx + cached->GetWidth(), dy + cached->GetHeight()))
        return Set(Ok);
    cairo_t* cr = m_cr.get();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_operator(cr, m_compositing == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr, cached->CairoSurface(), dx, dy);
    cairo_new_path(cr);
    cairo_rectangle(cr, dx, dy, cached->GetWidth(), cached->GetHeight());
    cairo_fill(cr);
    cairo_restore(cr);
    return Finish(Ok);
}

void Graphics::ToDevice(Region& region) const {
    if (region.IsInfiniteShape() || region.IsEmptyShape()) return;
    if (m_worldUsable)
        region.Transform(&m_world);
    else
        region.MakeEmpty();
}

Status Graphics::CombineClip(CombineMode mode, const Region& deviceRegion) {
    if (!m_cr) return Set(InvalidParameter);
    if (!m_hasClip) m_clip.MakeInfinite();
    m_clip.Combine(mode, deviceRegion);
    m_hasClip = true;
    ApplyState();
    return Finish(Ok);
}

Status Graphics::SetClip(const RectF& rect, CombineMode mode) {
    if (!detail::AllFinite({rect.X, rect.Y, rect.Width, rect.Height})) return Set(InvalidParameter);
    const cairo_matrix_t& w = m_world.ToCairo();
    if (m_worldUsable && w.xy == 0 && w.yx == 0) {
        // Axis-aligned: go straight to device space, cutting far-out edges to a sane size.
        const DeviceBox d = ClampedDeviceBox(w, rect);
        return CombineClip(mode, Region(MakeRect(d.x0, d.y0, d.x1, d.y1)));
    }
    Region region(rect);
    ToDevice(region);
    return CombineClip(mode, region);
}

Status Graphics::SetClip(const GraphicsPath* path, CombineMode mode) {
    if (!path) return Set(InvalidParameter);
    Region region(path);
    ToDevice(region);
    return CombineClip(mode, region);
}

Status Graphics::SetClip(const Region* region, CombineMode mode) {
    if (!region) return Set(InvalidParameter);
    Region device = *region;
    ToDevice(device);
    return CombineClip(mode, device);
}

Status Graphics::ResetClip() {
    if (!m_cr) return Set(InvalidParameter);
    m_hasClip = false;
    m_clip.MakeInfinite();
    ApplyState();
    return Finish(Ok);
}

BOOL Graphics::IsVisible(REAL x, REAL y) const {
    if (!m_cr || !detail::AllFinite({x, y})) return FALSE;
    if (!m_hasClip) return TRUE;
    if (!m_worldUsable) return FALSE;
    double dx = x, dy = y;
    cairo_matrix_transform_point(&m_world.ToCairo(), &dx, &dy);
    return m_clip.IsVisible(static_cast<REAL>(dx), static_cast<REAL>(dy));
}

Status Graphics::WorldChanged() {
    if (!m_cr) return Set(InvalidParameter);
    m_worldUsable = m_world.IsUsable();
    if (m_worldUsable) cairo_set_matrix(m_cr.get(), &m_world.ToCairo());
    return Finish(detail::AllFinite(m_world.ToCairo()) ? Ok : InvalidParameter);
}

Status Graphics::SetTransform(const Matrix* matrix) {
    if (!matrix) return Set(InvalidParameter);
    m_world = *matrix;
    return WorldChanged();
}

Status Graphics::GetTransform(Matrix* matrix) const {
    if (!matrix) return Set(InvalidParameter);
    *matrix = m_world;
    return Set(Ok);
}

Status Graphics::ResetTransform() {
    m_world.Reset();
    return WorldChanged();
}

Status Graphics::TranslateTransform(REAL dx, REAL dy, MatrixOrder order) {
    m_world.Translate(dx, dy, order);
    return WorldChanged();
}

Status Graphics::ScaleTransform(REAL sx, REAL sy, MatrixOrder order) {
    m_world.Scale(sx, sy, order);
    return WorldChanged();
}

Status Graphics::SetCompositingMode(CompositingMode mode) {
    if (mode != CompositingModeSourceOver && mode != CompositingModeSourceCopy) return Set(InvalidParameter);
    m_compositing = mode;
    return Set(Ok);
}

Status Graphics::SetInterpolationMode(InterpolationMode mode) {
    if (mode < InterpolationModeDefault || mode > InterpolationModeHighQualityBicubic) return Set(InvalidParameter);
    m_interpolation = mode;
    return Set(Ok);
}

void Graphics::Flush() {
    if (m_surface) cairo_surface_flush(m_surface.get());
}

} // namespace Gdiplus

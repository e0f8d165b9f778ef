// Draws onto a bitmap (or a cairo image surface the caller owns): pictures, solid fills, clips and
// a world transform, over a cairo context.
//
// Geometry that cannot be drawn (sizes of 0, collapsed parallelograms, a world transform that
// cannot be inverted, coordinates beyond a few million pixels) draws nothing; numbers that are
// not finite draw nothing and return InvalidParameter. Negative sizes mirror the picture. None of
// these ever puts cairo into an error state, and the graphics stays usable; should cairo still
// fail, the context is rebuilt and the call returns GenericError.
#pragma once

#include <cairo.h>

#include "platform/gdiplus/CairoPtr.h"
#include "platform/gdiplus/Color.h"
#include "platform/gdiplus/GdiplusTypes.h"
#include "platform/gdiplus/Matrix.h"
#include "platform/gdiplus/Region.h"

namespace Gdiplus {

class Bitmap;
class CachedBitmap;
class GraphicsPath;
class ImageAttributes;
class SolidBrush;

class Graphics {
public:
    explicit Graphics(Bitmap* bitmap);
    // Draws onto an image surface the caller owns (for example a preview window's buffer); the
    // graphics keeps a reference to it.
    explicit Graphics(cairo_surface_t* surface);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    Status GetLastStatus() const { return m_status; }

    // Fills the clip area with the colour, replacing what is there (no blending).
    Status Clear(const Color& color);

    Status FillRectangle(const SolidBrush* brush, const RectF& rect);
    Status FillRectangle(const SolidBrush* brush, const Rect& rect) { return FillRectangle(brush, RectF(rect)); }
    Status FillRectangle(const SolidBrush* brush, REAL x, REAL y, REAL width, REAL height) {
        return FillRectangle(brush, RectF(x, y, width, height));
    }
    Status FillRectangle(const SolidBrush* brush, INT x, INT y, INT width, INT height) {
        return FillRectangle(brush, RectF(Rect(x, y, width, height)));
    }
    Status FillEllipse(const SolidBrush* brush, const RectF& rect);
    Status FillEllipse(const SolidBrush* brush, REAL x, REAL y, REAL width, REAL height) {
        return FillEllipse(brush, RectF(x, y, width, height));
    }
    Status FillPolygon(const SolidBrush* brush, const PointF* points, INT count, FillMode fillMode = FillModeAlternate);
    Status FillPath(const SolidBrush* brush, const GraphicsPath* path);

    // The whole picture at a position, unscaled.
    Status DrawImage(Bitmap* image, REAL x, REAL y);
    Status DrawImage(Bitmap* image, INT x, INT y);
    // The whole picture stretched into a rectangle.
    Status DrawImage(Bitmap* image, const RectF& rect);
    Status DrawImage(Bitmap* image, const Rect& rect) { return DrawImage(image, RectF(rect)); }
    Status DrawImage(Bitmap* image, REAL x, REAL y, REAL width, REAL height) {
        return DrawImage(image, RectF(x, y, width, height));
    }
    Status DrawImage(Bitmap* image, INT x, INT y, INT width, INT height) {
        return DrawImage(image, RectF(Rect(x, y, width, height)));
    }
    // The whole picture mapped onto the parallelogram of three points: upper-left, upper-right,
    // lower-left (count must be 3).
    Status DrawImage(Bitmap* image, const PointF* points, INT count);
    Status DrawImage(Bitmap* image, const Point* points, INT count);
    // A source rectangle (pixels) into a destination rectangle or parallelogram, optionally
    // through image attributes (opacity factor).
    Status DrawImage(Bitmap* image, const RectF& destRect, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight,
                     Unit srcUnit, const ImageAttributes* attributes = nullptr);
    Status DrawImage(Bitmap* image, const Rect& destRect, INT srcX, INT srcY, INT srcWidth, INT srcHeight,
                     Unit srcUnit, const ImageAttributes* attributes = nullptr);
    Status DrawImage(Bitmap* image, const PointF* points, INT count, REAL srcX, REAL srcY, REAL srcWidth,
                     REAL srcHeight, Unit srcUnit, const ImageAttributes* attributes = nullptr);

    // A cached bitmap at a position; the world transform must be a pure translation (else
    // WrongState).
    Status DrawCachedBitmap(const CachedBitmap* cached, INT x, INT y);

    // Clips are taken through the world transform in force when they are set.
    Status SetClip(const RectF& rect, CombineMode mode = CombineModeReplace);
    Status SetClip(const Rect& rect, CombineMode mode = CombineModeReplace) { return SetClip(RectF(rect), mode); }
    Status SetClip(const GraphicsPath* path, CombineMode mode = CombineModeReplace);
    Status SetClip(const Region* region, CombineMode mode = CombineModeReplace);
    Status IntersectClip(const RectF& rect) { return SetClip(rect, CombineModeIntersect); }
    Status IntersectClip(const Rect& rect) { return SetClip(RectF(rect), CombineModeIntersect); }
    Status IntersectClip(const Region* region) { return SetClip(region, CombineModeIntersect); }
    Status ExcludeClip(const RectF& rect) { return SetClip(rect, CombineModeExclude); }
    Status ExcludeClip(const Region* region) { return SetClip(region, CombineModeExclude); }
    Status ResetClip();
    // True when a world-space point lies inside the clip (always, without a clip).
    BOOL IsVisible(REAL x, REAL y) const;

    // A matrix with numbers that are not finite is kept (everything then draws nothing) but
    // reported as InvalidParameter; one that cannot be inverted is kept and draws nothing.
    Status SetTransform(const Matrix* matrix);
    Status GetTransform(Matrix* matrix) const;
    Status ResetTransform();
    Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend);
    Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend);

    Status SetCompositingMode(CompositingMode mode);
    Status SetInterpolationMode(InterpolationMode mode);

    // Finishes pending drawing so the pixels can be read.
    void Flush();

    // Drawing-layer use: the context (null when the graphics is invalid); true when it is healthy.
    cairo_t* CairoContext() const { return m_cr.get(); }
    bool IsHealthy() const;

private:
    void Init(cairo_surface_t* surface);
    Status Set(Status s) const { return m_status = s; }
    // Rebuilds cairo's clip and matrix from our state.
    void ApplyState();
    // Rebuilds the context should cairo have failed; returns GenericError then, else `s`.
    Status Finish(Status s);
    Status WorldChanged();
    void ToDevice(Region& region) const;
    Status CombineClip(CombineMode mode, const Region& deviceRegion);
    Status FillWith(const SolidBrush* brush, const GraphicsPath& path);
    Status DrawImageCore(Bitmap* image, double sx, double sy, double sw, double sh, const double dst[6],
                         const ImageAttributes* attributes);
    cairo_filter_t Filter() const;

    detail::CairoSurfacePtr m_surface;
    detail::CairoContextPtr m_cr;
    int m_width = 0;
    int m_height = 0;
    Matrix m_world;
    bool m_worldUsable = true;
    bool m_hasClip = false;
    Region m_clip; // device space
    CompositingMode m_compositing = CompositingModeSourceOver;
    InterpolationMode m_interpolation = InterpolationModeDefault;
    mutable Status m_status = Ok;
};

} // namespace Gdiplus

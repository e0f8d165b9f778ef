// A snapshot of a bitmap, made for fast unscaled drawing onto one graphics.
#pragma once

#include <cairo.h>

#include "platform/gdiplus/CairoPtr.h"
#include "platform/gdiplus/GdiplusTypes.h"

namespace Gdiplus {

class Bitmap;
class Graphics;

class CachedBitmap {
public:
    // Copies the bitmap's pixels now; later changes of the bitmap do not show.
    CachedBitmap(const Bitmap* bitmap, const Graphics* graphics);
    CachedBitmap(const CachedBitmap&) = delete;
    CachedBitmap& operator=(const CachedBitmap&) = delete;

    Status GetLastStatus() const { return m_status; }
    INT GetWidth() const { return m_width; }
    INT GetHeight() const { return m_height; }

    // Drawing-layer use (null when the snapshot failed).
    cairo_surface_t* CairoSurface() const { return m_surface.get(); }

private:
    detail::CairoSurfacePtr m_surface;
    INT m_width = 0;
    INT m_height = 0;
    Status m_status = Ok;
};

} // namespace Gdiplus

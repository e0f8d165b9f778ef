#include "platform/gdiplus/CachedBitmap.h"

#include "platform/gdiplus/Bitmap.h"

namespace Gdiplus {

CachedBitmap::CachedBitmap(const Bitmap* bitmap, const Graphics* graphics) {
    if (!bitmap || !graphics || !bitmap->IsValid()) {
        m_status = InvalidParameter;
        return;
    }
    cairo_surface_t* src = bitmap->CairoSurface();
    cairo_surface_flush(src);
    const int w = cairo_image_surface_get_width(src);
    const int h = cairo_image_surface_get_height(src);
    detail::CairoSurfacePtr copy(cairo_image_surface_create(cairo_image_surface_get_format(src), w, h));
    if (cairo_surface_status(copy.get()) != CAIRO_STATUS_SUCCESS) {
        m_status = OutOfMemory;
        return;
    }
    detail::CairoContextPtr cr(cairo_create(copy.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr.get(), src, 0, 0);
    cairo_paint(cr.get());
    cairo_surface_flush(copy.get());
    m_surface = std::move(copy);
    m_width = w;
    m_height = h;
}

} // namespace Gdiplus

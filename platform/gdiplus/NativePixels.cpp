#include "platform/gdiplus/NativePixels.h"

#include <cairo.h>

#include "platform/gdiplus/Bitmap.h"

namespace Gdiplus {

NativePixels::NativePixels(Bitmap* bitmap, Access access) : m_bitmap(bitmap) {
    cairo_surface_t* surface = bitmap ? bitmap->CairoSurface() : nullptr;
    if (!surface) return;
    cairo_surface_flush(surface);
    m_base = cairo_image_surface_get_data(surface);
    if (!m_base) return;
    m_width = cairo_image_surface_get_width(surface);
    m_height = cairo_image_surface_get_height(surface);
    m_stride = cairo_image_surface_get_stride(surface);
    m_alpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
    m_writable = access == Access::ReadWrite;
}

NativePixels::~NativePixels() {
    if (m_base && m_writable) cairo_surface_mark_dirty(m_bitmap->CairoSurface());
}

} // namespace Gdiplus

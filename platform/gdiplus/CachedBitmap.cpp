#include "platform/gdiplus/CachedBitmap.h"

#include "platform/gdiplus/Bitmap.h"

namespace Gdiplus {

CachedBitmap::CachedBitmap(const Bitmap* bitmap, const Graphics* graphics) {
    if (!bitmap || !graphics || !bitmap->IsValid()) {
        m_status = InvalidParameter;
        return;
    }
    detail::CairoSurfacePtr copy = detail::CopyImageSurface(bitmap->CairoSurface());
    if (cairo_surface_status(copy.get()) != CAIRO_STATUS_SUCCESS) {
        m_status = OutOfMemory;
        return;
    }
    m_surface = std::move(copy);
    m_width = static_cast<INT>(bitmap->GetWidth());
    m_height = static_cast<INT>(bitmap->GetHeight());
}

} // namespace Gdiplus

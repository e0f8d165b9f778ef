// Owning handles for cairo objects: every cairo object of the drawing layer lives in one of these.
#pragma once

#include <cairo.h>

#include <memory>

namespace Gdiplus::detail {

struct CairoDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
    void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
    void operator()(cairo_path_t* p) const { cairo_path_destroy(p); }
};

using CairoContextPtr = std::unique_ptr<cairo_t, CairoDeleter>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoDeleter>;
using CairoPatternPtr = std::unique_ptr<cairo_pattern_t, CairoDeleter>;

// Takes a new reference to a surface the caller keeps.
inline CairoSurfacePtr ShareSurface(cairo_surface_t* s) {
    return CairoSurfacePtr(s ? cairo_surface_reference(s) : nullptr);
}

// A new image surface holding a copy of an image surface's pixels (in an error state when it
// could not be made).
inline CairoSurfacePtr CopyImageSurface(cairo_surface_t* src) {
    cairo_surface_flush(src);
    CairoSurfacePtr copy(cairo_image_surface_create(cairo_image_surface_get_format(src),
                                                    cairo_image_surface_get_width(src),
                                                    cairo_image_surface_get_height(src)));
    CairoContextPtr cr(cairo_create(copy.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr.get(), src, 0, 0);
    cairo_paint(cr.get());
    cairo_surface_flush(copy.get());
    return copy;
}

} // namespace Gdiplus::detail

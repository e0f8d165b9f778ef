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

} // namespace Gdiplus::detail

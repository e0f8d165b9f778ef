// Checks that keep cairo out of its error states: cairo stores coordinates as 24.8 fixed-point
// numbers and puts a context into a permanent error state on a matrix it cannot invert.
#pragma once

#include <cairo.h>

#include <cmath>
#include <initializer_list>

namespace Gdiplus::detail {

// Device coordinates beyond this draw nothing (far inside cairo's fixed-point range).
constexpr double kMaxDeviceCoord = 4194304.0;
// A mapping whose determinant is below this is treated as collapsed.
constexpr double kMinDeterminant = 1e-12;
// Scale and shear factors beyond this are treated as degenerate (image patterns go through
// 16.16 fixed point in pixman).
constexpr double kMaxLinearFactor = 30000.0;

inline bool AllFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

inline bool AllFinite(const cairo_matrix_t& m) {
    return AllFinite({m.xx, m.yx, m.xy, m.yy, m.x0, m.y0});
}

inline bool InDeviceRange(double x, double y) {
    return std::isfinite(x) && std::isfinite(y) && std::fabs(x) <= kMaxDeviceCoord &&
           std::fabs(y) <= kMaxDeviceCoord;
}

// True when cairo can take the matrix and invert it without losing itself.
inline bool MatrixIsUsable(const cairo_matrix_t& m) {
    if (!AllFinite(m)) return false;
    for (double v : {m.xx, m.yx, m.xy, m.yy})
        if (std::fabs(v) > kMaxLinearFactor) return false;
    if (std::fabs(m.x0) > 1e9 || std::fabs(m.y0) > 1e9) return false;
    const double det = m.xx * m.yy - m.yx * m.xy;
    return std::isfinite(det) && std::fabs(det) >= kMinDeterminant;
}

} // namespace Gdiplus::detail

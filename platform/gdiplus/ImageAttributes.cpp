#include "platform/gdiplus/ImageAttributes.h"

#include <cmath>

namespace Gdiplus {

Status ImageAttributes::SetColorMatrix(const ColorMatrix* matrix, ColorMatrixFlags, ColorAdjustType) {
    if (!matrix) return m_status = InvalidParameter;
    m_matrix = *matrix;
    return m_status = Ok;
}

double ImageAttributes::AlphaFactor() const {
    const double a = m_matrix.m[3][3];
    if (!std::isfinite(a) || a <= 0) return 0.0;
    return a >= 1 ? 1.0 : a;
}

} // namespace Gdiplus

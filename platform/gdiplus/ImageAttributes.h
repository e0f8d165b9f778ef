// How a picture's colours are adjusted when it is drawn. Only the alpha factor of a colour matrix
// (m[3][3]) takes effect: the picture is drawn with its opacity scaled by it; factors above 1 act
// as 1 and factors of 0 or below (or not numbers) draw nothing.
#pragma once

#include "platform/gdiplus/GdiplusTypes.h"

namespace Gdiplus {

class ImageAttributes {
public:
    ImageAttributes() = default;

    Status SetColorMatrix(const ColorMatrix* matrix, ColorMatrixFlags flags = ColorMatrixFlagsDefault,
                          ColorAdjustType type = ColorAdjustTypeDefault);
    Status GetLastStatus() const { return m_status; }

    // The opacity factor draws use, in 0..1.
    double AlphaFactor() const;

private:
    ColorMatrix m_matrix; // identity until set: opaque
    Status m_status = Ok;
};

} // namespace Gdiplus

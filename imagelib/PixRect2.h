// A rectangle in floating-point picture coordinates: corner 1 (x1, y1) and corner 2 (x2, y2).
#pragma once

#include "imagelib/PixPoint2.h"

class CPixRect2 {
public:
    CPixRect2() = default;
    CPixRect2(float x1, float y1, float x2, float y2) : botLeft(x1, y1), topRight(x2, y2) {}
    CPixRect2(const CPixRect2& r) = default;
    CPixRect2& operator=(const CPixRect2& r) = default;

    float Surface() const;
    // The intersection, or the rectangle 0, 0, 0, 0 when the two do not meet.
    CPixRect2 CrossSection(CPixRect2 const& r2) const;
    CPixPoint2 Center() const;
    float Width() const;
    float Height() const;

    CPixPoint2 botLeft;  // corner 1
    CPixPoint2 topRight; // corner 2
};

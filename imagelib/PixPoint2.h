// A point in floating-point picture coordinates.
#pragma once

class CPixPoint2 {
public:
    CPixPoint2() : x(0), y(0) {}
    CPixPoint2(float x_, float y_) : x(x_), y(y_) {}
    CPixPoint2(const CPixPoint2& p) = default;
    CPixPoint2& operator=(const CPixPoint2& p) = default;

    float Distance(CPixPoint2 p) const;
    float Distance(float px, float py) const;

    float x, y;
};

#include "imagelib/PixPoint2.h"

#include <cmath>

float CPixPoint2::Distance(CPixPoint2 p) const { return Distance(p.x, p.y); }

float CPixPoint2::Distance(float px, float py) const
{
    double dx = static_cast<double>(x) - px;
    double dy = static_cast<double>(y) - py;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

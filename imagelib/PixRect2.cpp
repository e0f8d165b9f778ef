#include "imagelib/PixRect2.h"

#include <algorithm>

float CPixRect2::Surface() const
{
    return static_cast<float>((static_cast<double>(topRight.x) - botLeft.x) *
                              (static_cast<double>(topRight.y) - botLeft.y));
}

CPixRect2 CPixRect2::CrossSection(CPixRect2 const& r2) const
{
    CPixRect2 cs;
    cs.botLeft.x = std::max(botLeft.x, r2.botLeft.x);
    cs.botLeft.y = std::max(botLeft.y, r2.botLeft.y);
    cs.topRight.x = std::min(topRight.x, r2.topRight.x);
    cs.topRight.y = std::min(topRight.y, r2.topRight.y);
    if (cs.botLeft.x <= cs.topRight.x && cs.botLeft.y <= cs.topRight.y)
        return cs;
    return CPixRect2(0, 0, 0, 0);
}

CPixPoint2 CPixRect2::Center() const
{
    return CPixPoint2(static_cast<float>((static_cast<double>(topRight.x) + botLeft.x) * 0.5),
                      static_cast<float>((static_cast<double>(topRight.y) + botLeft.y) * 0.5));
}

float CPixRect2::Width() const { return static_cast<float>(static_cast<double>(topRight.x) - botLeft.x); }

float CPixRect2::Height() const { return static_cast<float>(static_cast<double>(topRight.y) - botLeft.y); }

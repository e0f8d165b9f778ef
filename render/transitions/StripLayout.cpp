#include "render/transitions/StripLayout.h"

using namespace Gdiplus;

void Strip::Draw(Graphics& g, Bitmap* picture, const RectF& dest) const {
    if (picture)
        g.DrawImage(picture, dest, static_cast<REAL>(x), 0, static_cast<REAL>(width),
                    static_cast<REAL>(height), UnitPixel);
}

Strip LayStrip(int32_t w, int32_t h, int32_t count, int32_t i) {
    const int32_t q = w / count, r = w % count;
    Strip s;
    s.width = i < r ? q + 1 : q;
    s.x = i < r ? i * (q + 1) : r + i * q;
    s.height = h;
    return s;
}

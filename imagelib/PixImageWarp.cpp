// Image object: pixel-mapping warps (skew and the circular transforms) over the selected area.
#include <algorithm>
#include <cmath>

#include "imagelib/PixImage.h"
#include "imagelib/PixImageLoops.h"

namespace {

// Any point this far outside reads like every other outside point; holding it there keeps the
// conversion to a whole number defined.
constexpr double kOutside = 16;

double HoldNear(double v, long size)
{
    return std::clamp(v, -kOutside, static_cast<double>(size) + kOutside);
}

// Runs map(work, x, y) for every selected pixel of the area, row by row, on a copy of src
// (pixels copied only when a selection keeps some of them) that then replaces it.
template <class Map>
bool WarpSelected(CPixImage& src, const RECT& area, Map map)
{
    CPixImage work(src, src.SelectionIsValid(), true, true);
    if (!work.IsValid() || (src.AlphaIsValid() && !work.AlphaIsValid()))
        return false;
    const long h = static_cast<long>(src.GetHeight());
    for (long y = area.bottom; y < area.top; ++y) {
        src.SetProgress(static_cast<long>(100 * static_cast<int64_t>(y) / h));
        if (src.GetEscape())
            break;
        for (long x = area.left; x < area.right; ++x)
            if (src.SelectionIsInside(x, y))
                map(work, x, y);
    }
    return src.Transfer(work);
}

} // namespace

RECT CPixImage::ProcessingArea()
{
    RECT area{0, static_cast<LONG>(GetHeight()), static_cast<LONG>(GetWidth()), 0};
    if (!selection)
        return area;
    // The box may come from anywhere: never visit rows or columns outside the picture.
    const RECT& box = info.selectionBox;
    area.left = std::clamp<LONG>(box.left, 0, area.right);
    area.right = std::clamp<LONG>(box.right, 0, area.right);
    area.bottom = std::clamp<LONG>(box.bottom, 0, area.top);
    area.top = std::clamp<LONG>(box.top, 0, area.top);
    return area;
}

bool CPixImage::Skew(float xgain, float ygain, long xpivot, long ypivot, bool bEnableInterpolation)
{
    if (!dib || !std::isfinite(xgain) || !std::isfinite(ygain))
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    return WarpSelected(*this, ProcessingArea(), [&](CPixImage& work, long x, long y) {
        const double nx = HoldNear(x + xgain * (static_cast<double>(y) - static_cast<double>(ypivot)), w);
        const double ny = HoldNear(y + ygain * (static_cast<double>(x) - static_cast<double>(xpivot)), h);
        if (!bEnableInterpolation) {
            TakePixel(work, x, y, static_cast<long>(nx), static_cast<long>(ny));
            return;
        }
        pixloop::SetColourAndAlpha(
            work, x, y,
            GetPixelColorInterpolated(static_cast<float>(nx), static_cast<float>(ny), IM_BILINEAR, OM_BACKGROUND));
    });
}

bool CPixImage::CircleTransform(int type, long rmax, float Koeff)
{
    // No mapping is defined for a negative type.
    if (!dib || type < 0 || !std::isfinite(Koeff))
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    const RECT area = ProcessingArea();
    const long xmid = w / 2, ymid = h / 2;
    if (rmax == 0) {
        const double dx = xmid - area.left, dy = ymid - area.bottom;
        rmax = static_cast<long>(std::sqrt(dx * dx + dy * dy));
    }
    if (Koeff == 0)
        Koeff = 1;
    const double r = static_cast<double>(rmax);
    return WarpSelected(*this, area, [&](CPixImage& work, long x, long y) {
        const double dx = static_cast<double>(xmid - x), dy = static_cast<double>(ymid - y);
        const double radius = std::sqrt(dx * dx + dy * dy);
        long nx = -1, ny = -1; // outside the picture
        if (radius < r && type >= 4) {
            nx = x + (x % 32) - 16;
            ny = y;
        } else if (radius < r) {
            double angle = std::atan2(dy, dx);
            if (type == 3) {
                nx = static_cast<long>(std::fabs(angle * area.right * 0.15915494580678602));
                ny = static_cast<long>(std::fabs(radius * area.top / r));
            } else {
                double newr = radius;
                if (type == 0)
                    newr = radius * radius / r;
                else if (type == 1)
                    newr = std::sqrt(radius * r);
                else
                    angle += radius / Koeff;
                nx = xmid + static_cast<long>(std::cos(angle) * newr);
                ny = ymid - static_cast<long>(std::sin(angle) * newr);
            }
        }
        TakePixel(work, x, y, nx, ny);
    });
}

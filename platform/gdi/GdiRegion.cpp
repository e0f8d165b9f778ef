#include "platform/gdi/GdiRegion.h"

#include <algorithm>
#include <climits>

#include "platform/gdi/Gdi.h"

namespace {

using Span = GdiRegion::Span;

bool Inside(int op, bool a, bool b)
{
    switch (op) {
    case RGN_AND: return a && b;
    case RGN_OR: return a || b;
    case RGN_XOR: return a != b;
    case RGN_DIFF: return a && !b;
    default: return a;
    }
}

// Spans of one row where op holds for the rows' own spans.
std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int op)
{
    std::vector<int32_t> xs;
    xs.reserve(2 * (a.size() + b.size()));
    for (const Span& s : a) {
        xs.push_back(s.first);
        xs.push_back(s.second);
    }
    for (const Span& s : b) {
        xs.push_back(s.first);
        xs.push_back(s.second);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::vector<Span> out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        const int32_t x0 = xs[i], x1 = xs[i + 1];
        while (ia < a.size() && a[ia].second <= x0)
            ++ia;
        while (ib < b.size() && b[ib].second <= x0)
            ++ib;
        const bool inA = ia < a.size() && a[ia].first <= x0;
        const bool inB = ib < b.size() && b[ib].first <= x0;
        if (!Inside(op, inA, inB))
            continue;
        if (!out.empty() && out.back().second == x0)
            out.back().second = x1;
        else
            out.emplace_back(x0, x1);
    }
    return out;
}

} // namespace

void GdiRegion::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    bands.clear();
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (left < right && top < bottom)
        bands.push_back(Band{top, bottom, {Span{left, right}}});
}

bool GdiRegion::AppendBand(int32_t top, int32_t bottom, std::vector<Span> spans)
{
    if (top >= bottom || spans.empty())
        return true;
    if (!bands.empty() && bands.back().bottom > top)
        return false;
    if (!bands.empty() && bands.back().bottom == top && bands.back().spans == spans)
        bands.back().bottom = bottom;
    else
        bands.push_back(Band{top, bottom, std::move(spans)});
    return true;
}

bool GdiRegion::Combine(const GdiRegion& a, const GdiRegion& b, int op)
{
    if (op < RGN_AND || op > RGN_COPY)
        return false;
    if (op == RGN_COPY) {
        if (&a != this)
            bands = a.bands;
        return true;
    }
    std::vector<int32_t> ys;
    for (const GdiRegion* r : {&a, &b})
        for (const Band& band : r->bands) {
            ys.push_back(band.top);
            ys.push_back(band.bottom);
        }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    const std::vector<Span> none;
    GdiRegion out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const int32_t y0 = ys[i], y1 = ys[i + 1];
        while (ia < a.bands.size() && a.bands[ia].bottom <= y0)
            ++ia;
        while (ib < b.bands.size() && b.bands[ib].bottom <= y0)
            ++ib;
        const bool inA = ia < a.bands.size() && a.bands[ia].top <= y0;
        const bool inB = ib < b.bands.size() && b.bands[ib].top <= y0;
        out.AppendBand(y0, y1, CombineSpans(inA ? a.bands[ia].spans : none, inB ? b.bands[ib].spans : none, op));
    }
    bands = std::move(out.bands);
    return true;
}

void GdiRegion::Offset(int32_t dx, int32_t dy)
{
    auto shift = [](int32_t v, int32_t d) {
        return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} + d, INT32_MIN / 2, INT32_MAX / 2));
    };
    for (Band& band : bands) {
        band.top = shift(band.top, dy);
        band.bottom = shift(band.bottom, dy);
        for (Span& s : band.spans) {
            s.first = shift(s.first, dx);
            s.second = shift(s.second, dx);
        }
    }
}

const std::vector<Span>* GdiRegion::SpansAt(int32_t y) const
{
    auto it = std::upper_bound(bands.begin(), bands.end(), y, [](int32_t v, const Band& b) { return v < b.bottom; });
    if (it == bands.end() || it->top > y)
        return nullptr;
    return &it->spans;
}

bool GdiRegion::Contains(int32_t x, int32_t y) const
{
    const std::vector<Span>* spans = SpansAt(y);
    if (!spans)
        return false;
    for (const Span& s : *spans)
        if (x >= s.first && x < s.second)
            return true;
    return false;
}

RECT GdiRegion::Box() const
{
    RECT r;
    if (bands.empty())
        return r;
    r.top = bands.front().top;
    r.bottom = bands.back().bottom;
    r.left = INT32_MAX;
    r.right = INT32_MIN;
    for (const Band& band : bands) {
        r.left = std::min(r.left, band.spans.front().first);
        r.right = std::max(r.right, band.spans.back().second);
    }
    return r;
}

int GdiRegion::Complexity() const
{
    if (bands.empty())
        return NULLREGION;
    return bands.size() == 1 && bands.front().spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

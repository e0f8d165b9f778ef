// The selection: a plane of width x height bytes (0 = not selected, the adders write 255) and the
// box of rows bottom <= y < top and columns left <= x < right that processing loops visit.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/PixImage.h"
#include "platform/gdi/Gdi.h"

namespace {

constexpr BYTE kSelected = 255;

int64_t Clamp64(int64_t v, int64_t lo, int64_t hi) { return std::max(lo, std::min(hi, v)); }

RECT EmptyBox(int64_t width, int64_t height)
{
    RECT r;
    r.left = static_cast<LONG>(width);
    r.top = 0;
    r.right = 0;
    r.bottom = static_cast<LONG>(height);
    return r;
}

// Widens box to the normalised rectangle left..right, bottom..top, each end clipped to the image.
void WidenBox(RECT& box, int64_t left, int64_t bottom, int64_t right, int64_t top, int64_t width, int64_t height)
{
    if (box.top < top)
        box.top = static_cast<LONG>(Clamp64(top, 0, height));
    if (box.left > left)
        box.left = static_cast<LONG>(Clamp64(left, 0, width));
    if (box.right < right)
        box.right = static_cast<LONG>(Clamp64(right, 0, width));
    if (box.bottom > bottom)
        box.bottom = static_cast<LONG>(Clamp64(bottom, 0, height));
}

struct PointD {
    double x, y;
};

// One outline clipped to the image's pixel centres 0..w-1, 0..h-1 (Sutherland-Hodgman), so that
// tracing and filling stay inside and an outline crossing the edge is closed along it.
std::vector<POINT> ClipOutline(const std::vector<PointD>& in, double maxX, double maxY)
{
    std::vector<PointD> poly = in;
    auto clipEdge = [&poly](auto inside, auto cross) {
        std::vector<PointD> out;
        for (size_t i = 0; i < poly.size(); ++i) {
            const PointD a = poly[i], b = poly[(i + 1) % poly.size()];
            const bool ina = inside(a), inb = inside(b);
            if (ina)
                out.push_back(a);
            if (ina != inb)
                out.push_back(cross(a, b));
        }
        poly.swap(out);
    };
    auto atX = [](PointD a, PointD b, double x) { return PointD{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)}; };
    auto atY = [](PointD a, PointD b, double y) { return PointD{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y}; };
    clipEdge([](PointD p) { return p.x >= 0; }, [&](PointD a, PointD b) { return atX(a, b, 0); });
    clipEdge([&](PointD p) { return p.x <= maxX; }, [&](PointD a, PointD b) { return atX(a, b, maxX); });
    clipEdge([](PointD p) { return p.y >= 0; }, [&](PointD a, PointD b) { return atY(a, b, 0); });
    clipEdge([&](PointD p) { return p.y <= maxY; }, [&](PointD a, PointD b) { return atY(a, b, maxY); });

    std::vector<POINT> out;
    for (const PointD& p : poly) {
        POINT q;
        q.x = static_cast<LONG>(std::lround(std::clamp(p.x, 0.0, maxX)));
        q.y = static_cast<LONG>(std::lround(std::clamp(p.y, 0.0, maxY)));
        if (out.empty() || out.back().x != q.x || out.back().y != q.y)
            out.push_back(q);
    }
    return out;
}

// Work plane over the local box (bounds inclusive): 0 unknown, 255 outline, 1 outside.
class OutlinePlane {
public:
    OutlinePlane(long left, long bottom, long right, long top)
        : left_(left), bottom_(bottom), w_(right - left + 1), h_(top - bottom + 1),
          cells_(static_cast<size_t>(w_) * static_cast<size_t>(h_), 0)
    {
    }
    BYTE& At(long x, long y) { return cells_[static_cast<size_t>(x - left_) + static_cast<size_t>(y - bottom_) * w_]; }
    bool Inside(long x, long y) const { return x >= left_ && x < left_ + w_ && y >= bottom_ && y < bottom_ + h_; }

    void Trace(POINT c, POINT n)
    {
        if (c.x != n.x) {
            const float beta = static_cast<float>(n.y - c.y) / static_cast<float>(n.x - c.x);
            const long step = n.x > c.x ? 1 : -1;
            for (long x = c.x;; x += step) {
                Mark(x, static_cast<long>(c.y + (x - c.x) * beta));
                if (x == n.x)
                    break;
            }
        }
        if (c.y != n.y) {
            const float beta = static_cast<float>(n.x - c.x) / static_cast<float>(n.y - c.y);
            const long step = n.y > c.y ? 1 : -1;
            for (long y = c.y;; y += step) {
                Mark(static_cast<long>(c.x + (y - c.y) * beta), y);
                if (y == n.y)
                    break;
            }
        }
        if (c.x == n.x && c.y == n.y)
            Mark(c.x, c.y);
    }

    // Marks as outside every unknown pixel 4-connected to the box's border through unknown pixels.
    void FillOutside()
    {
        const long right = left_ + w_ - 1, top = bottom_ + h_ - 1;
        for (long x = left_; x <= right; ++x) {
            Fill(x, bottom_);
            Fill(x, top);
        }
        for (long y = bottom_; y <= top; ++y) {
            Fill(left_, y);
            Fill(right, y);
        }
    }

private:
    void Mark(long x, long y)
    {
        if (Inside(x, y))
            At(x, y) = kSelected;
    }

    // Scan-line fill: each popped seed runs left and right, and queues the rows above and below.
    void Fill(long sx, long sy)
    {
        if (At(sx, sy) != 0)
            return;
        std::vector<POINT> stack{POINT{static_cast<LONG>(sx), static_cast<LONG>(sy)}};
        const long right = left_ + w_ - 1, top = bottom_ + h_ - 1;
        while (!stack.empty()) {
            const POINT p = stack.back();
            stack.pop_back();
            if (At(p.x, p.y) != 0)
                continue;
            long x0 = p.x, x1 = p.x;
            while (x0 > left_ && At(x0 - 1, p.y) == 0)
                --x0;
            while (x1 < right && At(x1 + 1, p.y) == 0)
                ++x1;
            for (long x = x0; x <= x1; ++x)
                At(x, p.y) = 1;
            for (long ny : {static_cast<long>(p.y) - 1, static_cast<long>(p.y) + 1}) {
                if (ny < bottom_ || ny > top)
                    continue;
                bool open = false;
                for (long x = x0; x <= x1; ++x) {
                    const bool unknown = At(x, ny) == 0;
                    if (unknown && !open)
                        stack.push_back(POINT{static_cast<LONG>(x), static_cast<LONG>(ny)});
                    open = unknown;
                }
            }
        }
    }

    long left_, bottom_, w_, h_;
    std::vector<BYTE> cells_;
};

} // namespace

bool CPixImage::SelectionCreate()
{
    SelectionDelete();
    if (!dib)
        return false;
    selection = static_cast<BYTE*>(std::calloc(1, PlaneSize()));
    return selection != nullptr;
}

bool CPixImage::SelectionDelete()
{
    std::free(selection);
    selection = nullptr;
    info.selectionBox = EmptyBox(GetWidth(), GetHeight());
    return true;
}

bool CPixImage::SelectionClear()
{
    if (!selection)
        return false;
    std::memset(selection, 0, PlaneSize());
    info.selectionBox = EmptyBox(GetWidth(), GetHeight());
    return true;
}

bool CPixImage::SelectionIsInside(long x, long y)
{
    if (!IsInside(x, y))
        return false;
    if (!selection)
        return true;
    return selection[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()] != 0;
}

bool CPixImage::SelectionInvert()
{
    if (!selection)
        return false;
    // The box becomes the bounds of what is selected afterwards, so box-bound loops reach it all.
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    RECT box = EmptyBox(w, h);
    BYTE* p = selection;
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x, ++p) {
            *p = static_cast<BYTE>(255 - *p);
            if (*p)
                WidenBox(box, x, y, x + 1, y + 1, w, h);
        }
    }
    info.selectionBox = box;
    return true;
}

bool CPixImage::SelectionCopy(CPixImage& from)
{
    if (!from.selection || GetWidth() != from.GetWidth() || GetHeight() != from.GetHeight())
        return false;
    if (!selection) {
        selection = static_cast<BYTE*>(std::malloc(PlaneSize()));
        if (!selection)
            return false;
    }
    std::memcpy(selection, from.selection, PlaneSize());
    info.selectionBox = from.info.selectionBox;
    return true;
}

bool CPixImage::SelectionAddRect(RECT r)
{
    if (!selection && !SelectionCreate())
        return false;
    const int64_t w = GetWidth(), h = GetHeight();
    const int64_t left = std::min(r.left, r.right), right = std::max(r.left, r.right);
    const int64_t bottom = std::min(r.top, r.bottom), top = std::max(r.top, r.bottom);
    WidenBox(info.selectionBox, left, bottom, right, top, w, h);

    const int64_t x0 = Clamp64(left, 0, w), x1 = Clamp64(right, 0, w);
    const int64_t y0 = Clamp64(bottom, 0, h), y1 = Clamp64(top, 0, h);
    for (int64_t y = y0; y < y1 && x0 < x1; ++y)
        std::memset(selection + x0 + y * w, kSelected, static_cast<size_t>(x1 - x0));
    return true;
}

bool CPixImage::SelectionAddEllipse(RECT r)
{
    const int64_t xr = std::llabs(static_cast<int64_t>(r.right) - r.left) / 2;
    const int64_t yr = std::llabs(static_cast<int64_t>(r.top) - r.bottom) / 2;
    if (xr == 0 || yr == 0 || !dib)
        return false;
    if (!selection && !SelectionCreate())
        return false;
    const int64_t xc = (static_cast<int64_t>(r.right) + r.left) / 2;
    const int64_t yc = (static_cast<int64_t>(r.top) + r.bottom) / 2;
    const int64_t w = GetWidth(), h = GetHeight();
    WidenBox(info.selectionBox, xc - xr, yc - yr, xc + xr, yc + yr, w, h);

    const int64_t xmin = Clamp64(xc - xr, 0, w), xmax = Clamp64(xc + xr, 0, w);
    const int64_t ymin = Clamp64(yc - yr, 0, h), ymax = Clamp64(yc + yr, 0, h);
    // Half height of the ellipse at each column, computed once.
    std::vector<double> half(static_cast<size_t>(std::max<int64_t>(0, xmax - xmin)));
    for (int64_t x = xmin; x < xmax; ++x) {
        const double u = static_cast<double>(x - xc) / static_cast<double>(xr);
        half[static_cast<size_t>(x - xmin)] = static_cast<double>(yr) * std::sqrt(std::max(0.0, 1.0 - u * u));
    }
    for (int64_t y = ymin; y < ymax; ++y) {
        BYTE* row = selection + y * w;
        const bool lower = y < yc;
        for (int64_t x = xmin; x < xmax; ++x) {
            const double s = half[static_cast<size_t>(x - xmin)];
            const bool in = lower ? static_cast<int64_t>(static_cast<double>(yc) - s) < y
                                  : static_cast<int64_t>(static_cast<double>(yc) + s) > y;
            if (in)
                row[x] = kSelected;
        }
    }
    return true;
}

bool CPixImage::SelectionAddPolygon(POINT* points, long npoints)
{
    if (!points || npoints < 3 || !dib)
        return false;
    const int64_t w = GetWidth(), h = GetHeight();

    // Split into outlines; each is clipped to the image before it is traced.
    std::vector<std::vector<POINT>> outlines;
    std::vector<PointD> current;
    auto flush = [&] {
        if (!current.empty())
            outlines.push_back(ClipOutline(current, static_cast<double>(w - 1), static_cast<double>(h - 1)));
        current.clear();
    };
    RECT local = EmptyBox(w, h);
    auto widen = [&](int64_t xl, int64_t yl, int64_t xh, int64_t yh) {
        if (local.top < yh)
            local.top = static_cast<LONG>(Clamp64(yh + 1, 0, h - 1));
        if (local.left > xl)
            local.left = static_cast<LONG>(Clamp64(xl - 1, 0, w - 1));
        if (local.right < xh)
            local.right = static_cast<LONG>(Clamp64(xh + 1, 0, w - 1));
        if (local.bottom > yl)
            local.bottom = static_cast<LONG>(Clamp64(yl - 1, 0, h - 1));
    };
    for (long i = 0; i < npoints; ++i) {
        if (points[i].x != -1) {
            current.push_back(PointD{static_cast<double>(points[i].x), static_cast<double>(points[i].y)});
            continue;
        }
        // A separator pairs with the first point of the outline it closes (none at the start).
        if (!current.empty()) {
            const POINT s = points[i];
            widen(std::min<int64_t>(s.x, std::llround(current.front().x)), std::min<int64_t>(s.y, std::llround(current.front().y)),
                  std::max<int64_t>(s.x, std::llround(current.front().x)), std::max<int64_t>(s.y, std::llround(current.front().y)));
        }
        flush();
    }
    flush();
    for (const auto& o : outlines)
        for (const POINT& p : o)
            widen(p.x, p.y, p.x, p.y);
    if (local.left > local.right || local.bottom > local.top) { // nothing of it lies on the image
        if (!selection && !SelectionCreate())
            return false;
        return true;
    }

    OutlinePlane plane(local.left, local.bottom, local.right, local.top);
    for (const auto& o : outlines)
        for (size_t i = 0; i < o.size(); ++i)
            plane.Trace(o[i], o[(i + 1) % o.size()]);
    plane.FillOutside();

    if (!selection && !SelectionCreate())
        return false;
    for (long y = local.bottom; y <= local.top; ++y)
        for (long x = local.left; x <= local.right; ++x)
            if (plane.At(x, y) != 1)
                selection[x + y * w] = kSelected;

    RECT& box = info.selectionBox;
    if (box.top < local.top)
        box.top = local.top + 1;
    if (box.left > local.left)
        box.left = local.left;
    if (box.right < local.right)
        box.right = local.right + 1;
    if (box.bottom > local.bottom)
        box.bottom = local.bottom;
    return true;
}

bool CPixImage::SelectionAddColor(RGBQUAD c)
{
    if (!selection && !SelectionCreate())
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    long xmin = w, xmax = -1, ymin = h, ymax = -1;
    for (long y = 0; y < h; ++y) {
        for (long x = 0; x < w; ++x) {
            const RGBQUAD p = GetPixelColor(x, y, true);
            if (p.rgbRed != c.rgbRed || p.rgbGreen != c.rgbGreen || p.rgbBlue != c.rgbBlue)
                continue;
            selection[static_cast<size_t>(x) + static_cast<size_t>(y) * w] = kSelected;
            xmin = std::min(xmin, x);
            xmax = std::max(xmax, x);
            ymin = std::min(ymin, y);
            ymax = std::max(ymax, y);
        }
    }
    // Box ends are exclusive: the last matching row and column are inside it.
    if (xmax >= 0)
        WidenBox(info.selectionBox, xmin, ymin, xmax + 1, ymax + 1, w, h);
    return true;
}

bool CPixImage::SelectionAddPixel(int x, int y)
{
    if (!IsInside(x, y))
        return false;
    if (!selection && !SelectionCreate())
        return false;
    selection[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()] = kSelected;
    WidenBox(info.selectionBox, x, y, int64_t{x} + 1, int64_t{y} + 1, GetWidth(), GetHeight());
    return true;
}

bool CPixImage::SelectionSplit(CPixImage* dest)
{
    if (!selection || !dest)
        return false;
    CPixImage tmp;
    if (!tmp.Create(GetWidth(), GetHeight(), 8, 0))
        return false;
    tmp.SetGrayPalette();
    const size_t w = GetWidth();
    for (DWORD y = 0; y < GetHeight(); ++y)
        std::memcpy(tmp.GetBits(y), selection + y * w, w);
    return dest->Transfer(tmp);
}

bool CPixImage::SelectionToHRGN(HRGN& region)
{
    if (!selection || !region)
        return false;
    // Runs of each plane row, top row first, in device rows that count down from the top.
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    std::vector<RECT> runs;
    for (long y = h - 1; y >= 0; --y) {
        const BYTE* row = selection + static_cast<size_t>(y) * static_cast<size_t>(w);
        const LONG top = static_cast<LONG>(h - 1 - y);
        for (long x = 0; x < w;) {
            if (row[x] <= 254) {
                ++x;
                continue;
            }
            long end = x;
            while (end < w && row[end] > 254)
                ++end;
            runs.push_back(RECT{static_cast<LONG>(x), top, static_cast<LONG>(end), top + 1});
            x = end;
        }
    }
    HRGN rows = CreateRgnFromRects(runs.data(), runs.size());
    if (!rows)
        return false;
    const bool ok = CombineRgn(region, region, rows, RGN_OR) != RGN_ERROR;
    DeleteObject(rows);
    return ok;
}

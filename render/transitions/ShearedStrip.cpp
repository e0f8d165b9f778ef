#include "render/transitions/ShearedStrip.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// (a (256 - w) + b w) / 256 on the red-blue and the green lanes of two pixels.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t w) {
    const uint32_t v = 256 - w;
    const uint32_t rb = (((a & 0xFF00FFu) * v + (b & 0xFF00FFu) * w) >> 8) & 0xFF00FFu;
    const uint32_t g = (((a & 0xFF00u) * v + (b & 0xFF00u) * w) >> 8) & 0xFF00u;
    return rb | g;
}

// The colour scaled by keep / 255.
inline uint32_t Scale(uint32_t c, uint32_t keep) {
    uint32_t rb = (c & 0xFF00FFu) * keep + 0x800080u;
    uint32_t g = ((c >> 8) & 0xFFu) * keep + 0x80u;
    rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
    g = ((g + (g >> 8)) >> 8) & 0xFFu;
    return rb | (g << 8);
}

// A sample position split into a whole pixel and a weight of the next one in 256ths, rounded so
// that a position a rounding error off a pixel centre takes that pixel alone.
struct Split {
    int32_t base;
    uint32_t weight;
};
inline Split SplitPosition(double p) {
    double base = std::floor(p);
    auto weight = static_cast<int64_t>(std::lround((p - base) * 256.0));
    if (weight >= 256) base += 1, weight = 0;
    return {static_cast<int32_t>(std::clamp(base, -1.0, 1e9)), static_cast<uint32_t>(weight)};
}

struct Column {
    int32_t x;      // frame column
    int32_t src0;   // picture columns either side of the sample point
    int32_t src1;
    uint32_t fx;    // weight of src1, 0..256
    int32_t rowOffset; // picture row above the sample point, less the frame row
    uint32_t fy;       // weight of the row below, 0..256
    int32_t fullFirst; // frame rows wholly covered: fullFirst..fullLast-1
    int32_t fullLast;
    uint32_t cover;    // horizontal coverage of the frame column, 0..256
    uint32_t topCover; // coverage of row fullFirst - 1 and of row fullLast, 0..256
    uint32_t bottomCover;
};

} // namespace

void DrawShearedStrip(const Gdiplus::NativePixels& frame, const Gdiplus::NativePixels& picture, const Strip& strip,
                      const Gdiplus::PointF (&corners)[3], uint32_t keep) {
    const int32_t w = frame.Width(), h = frame.Height();
    if (!frame.IsValid() || !picture.IsValid() || picture.Width() < w || picture.Height() < h || strip.width <= 0 ||
        strip.x < 0 || strip.x + strip.width > w)
        return;
    const double left = corners[0].X, right = corners[1].X;
    const double top0 = corners[0].Y, top1 = corners[1].Y;
    const double span = right - left;
    if (!(std::fabs(span) > 1e-6) || !std::isfinite(span + top0 + top1)) return;

    const double xa = std::min(left, right), xb = std::max(left, right);
    const int32_t first = std::max(0, static_cast<int32_t>(std::floor(xa)));
    const int32_t last = std::min(w, static_cast<int32_t>(std::ceil(xb)));
    std::vector<Column> columns;
    columns.reserve(static_cast<size_t>(std::max(0, last - first)));
    auto toWeight = [](double f) { return static_cast<uint32_t>(std::lround(std::clamp(f, 0.0, 1.0) * 256.0)); };
    for (int32_t x = first; x < last; ++x) {
        const uint32_t cover = toWeight(std::min(x + 1.0, xb) - std::max(static_cast<double>(x), xa));
        if (cover == 0) continue;
        const double u = std::clamp((x + 0.5 - left) / span, 0.0, 1.0);
        const Split sx = SplitPosition(u * strip.width - 0.5);
        const double top = top0 + (top1 - top0) * u;
        // Frame row y samples the picture at row y - top (pixel centres on both sides).
        const Split sy = SplitPosition(-top);
        Column c;
        c.x = x;
        c.src0 = strip.x + std::clamp(sx.base, 0, strip.width - 1);
        c.src1 = strip.x + std::clamp(sx.base + 1, 0, strip.width - 1);
        c.fx = sx.weight;
        c.rowOffset = sy.base;
        c.fy = sy.weight;
        const double bottom = top + strip.height;
        c.fullFirst = static_cast<int32_t>(std::ceil(top));
        c.fullLast = static_cast<int32_t>(std::floor(bottom));
        c.cover = cover;
        c.topCover = toWeight(c.fullFirst - top);
        c.bottomCover = toWeight(bottom - c.fullLast);
        columns.push_back(c);
    }
    // A few columns at a time, row by row: the shear moves each column's rows, and in a narrow
    // band of columns the picture rows read stay few and in the cache.
    constexpr size_t kBand = 16;
    for (size_t band = 0; band < columns.size(); band += kBand) {
        const size_t end = std::min(columns.size(), band + kBand);
        int32_t rowFirst = h, rowLast = 0;
        for (size_t i = band; i < end; ++i) {
            rowFirst = std::min(rowFirst, std::max(0, columns[i].fullFirst - 1));
            rowLast = std::max(rowLast, std::min(h, columns[i].fullLast + 1));
        }
        for (int32_t y = rowFirst; y < rowLast; ++y) {
            uint32_t* d = frame.Row(y);
            for (size_t i = band; i < end; ++i) {
                const Column& c = columns[i];
                uint32_t cover = c.cover;
                if (y < c.fullFirst || y >= c.fullLast) {
                    const uint32_t part = y == c.fullFirst - 1 ? c.topCover : (y == c.fullLast ? c.bottomCover : 0);
                    cover = (cover * part + 128) >> 8;
                    if (cover == 0) continue;
                }
                const int32_t r0 = std::clamp(y + c.rowOffset, 0, strip.height - 1);
                const int32_t r1 = std::clamp(y + c.rowOffset + 1, 0, strip.height - 1);
                const uint32_t* p0 = picture.Row(r0);
                const uint32_t* p1 = picture.Row(r1);
                uint32_t px = Lerp(Lerp(p0[c.src0], p0[c.src1], c.fx), Lerp(p1[c.src0], p1[c.src1], c.fx), c.fy);
                if (keep < 255) px = Scale(px, keep);
                d[c.x] = 0xFF000000u | (cover >= 256 ? px : Lerp(d[c.x], px, cover));
            }
        }
    }
}

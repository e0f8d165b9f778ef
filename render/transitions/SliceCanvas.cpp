#include "render/transitions/SliceCanvas.h"

#include <algorithm>
#include <cmath>

#include "platform/gdiplus/PixelRows.h"

using namespace Gdiplus;

namespace {

// A slice drawn shorter than this covers nothing worth a pixel.
constexpr float kMinLength = 1.0f / 1024;

// Premultiplied `s` over what is there, at coverage a/256.
inline uint32_t Mix(uint32_t s, uint32_t d, uint32_t a) {
    const uint32_t rb = ((s & 0x00FF00FFu) * a + (d & 0x00FF00FFu) * (256 - a)) >> 8;
    const uint32_t ag = ((s >> 8) & 0x00FF00FFu) * a + ((d >> 8) & 0x00FF00FFu) * (256 - a);
    return (rb & 0x00FF00FFu) | (ag & 0xFF00FF00u);
}

} // namespace

SliceCanvas::SliceCanvas(int32_t width, int32_t height, Slices slices)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)), m_slices(slices) {
    if (m_width == 0 || m_height == 0) return;
    m_canvas = std::make_unique<Bitmap>(m_width, m_height, PixelFormat32bppARGB);
    if (!m_canvas->IsValid()) return; // too large a frame: the canvas stays empty
    const size_t pixels = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    m_pixels.assign(pixels, 0);
    m_pictures[Old].assign(pixels, 0);
    m_pictures[New].assign(pixels, 0);
}

void SliceCanvas::TakeSlices(Picture which, Bitmap* picture) {
    std::vector<uint32_t>& pixels = m_pictures[which];
    if (pixels.empty() || !picture || !picture->IsValid()) return;
    const Rect rect(0, 0, std::min<INT>(m_width, static_cast<INT>(picture->GetWidth())),
                    std::min<INT>(m_height, static_cast<INT>(picture->GetHeight())));
    BitmapData data;
    data.Scan0 = pixels.data();
    data.Stride = m_width * 4;
    if (picture->LockBits(&rect, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat32bppPARGB, &data) == Ok)
        picture->UnlockBits(&data);
}

std::optional<float> SliceCanvas::TaperStep(float farEdge, float nearEdge) const {
    if (nearEdge == 0 || Count() == 0) return std::nullopt;
    const float ratio = farEdge / nearEdge;
    const float t = (1 - ratio) * static_cast<float>(SliceLength()) * 0.5f / static_cast<float>(Count());
    if (!std::isfinite(t)) return std::nullopt;
    return t;
}

void SliceCanvas::Clear(const Color& color) {
    std::fill(m_pixels.begin(), m_pixels.end(), detail::Premultiply(color.GetValue()));
}

void SliceCanvas::DrawSlices(Picture which, float t, bool fromEnd) {
    const int32_t count = Count();
    const float length = static_cast<float>(SliceLength());
    for (int32_t l = 0; l < count; ++l) {
        const float e = static_cast<float>(fromEnd ? count - l : l) * t;
        DrawSlice(which, l, e, length - 2 * e);
    }
}

void SliceCanvas::DrawSlice(Picture which, int32_t l, float start, float length) {
    const std::vector<uint32_t>& picture = m_pictures[which];
    const int32_t len = SliceLength();
    if (picture.empty() || l < 0 || l >= Count()) return;
    if (!std::isfinite(start) || !std::isfinite(length) || length < kMinLength) return;
    const double a = start, b = static_cast<double>(start) + length;
    if (b <= 0 || a >= len) return;

    const bool columns = m_slices == Slices::Columns;
    const size_t step = columns ? static_cast<size_t>(m_width) : 1;
    const size_t origin = columns ? static_cast<size_t>(l) : static_cast<size_t>(l) * static_cast<size_t>(m_width);
    const uint32_t* src = picture.data() + origin;
    uint32_t* dst = m_pixels.data() + origin;
    const double scale = len / static_cast<double>(length); // source pixels per canvas pixel
    const double lastSource = len - 1;
    auto source = [&](double pos) { return src[static_cast<size_t>(std::clamp(pos, 0.0, lastSource)) * step]; };

    // Whole pixels inside [a, b), then the partly covered pixels at either end.
    const int32_t first = static_cast<int32_t>(std::clamp(std::ceil(a), 0.0, static_cast<double>(len)));
    const int32_t last = static_cast<int32_t>(std::clamp(std::floor(b), 0.0, static_cast<double>(len)));
    double pos = (first + 0.5 - a) * scale;
    for (int32_t p = first; p < last; ++p, pos += scale) dst[static_cast<size_t>(p) * step] = source(pos);
    auto blendEdge = [&](double p) {
        if (p < 0 || p >= len || (p >= first && p < last)) return; // outside, or drawn whole
        const double cover = std::min(p + 1, b) - std::max(p, a);
        if (cover <= 0) return;
        const auto alpha = static_cast<uint32_t>(std::clamp(cover, 0.0, 1.0) * 256);
        uint32_t& d = dst[static_cast<size_t>(p) * step];
        d = Mix(source((p + 0.5 - a) * scale), d, alpha);
    };
    const double head = std::floor(a), tail = std::floor(b);
    blendEdge(head);
    if (tail != head) blendEdge(tail);
}

Bitmap* SliceCanvas::Canvas() {
    if (m_pixels.empty()) return m_canvas.get();
    BitmapData data;
    data.Scan0 = m_pixels.data();
    data.Stride = m_width * 4;
    const Rect rect(0, 0, m_width, m_height);
    if (m_canvas->LockBits(&rect, ImageLockModeWrite | ImageLockModeUserInputBuf, PixelFormat32bppPARGB, &data) == Ok)
        m_canvas->UnlockBits(&data);
    return m_canvas.get();
}

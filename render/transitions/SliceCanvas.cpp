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
}

void SliceCanvas::TakeSlices(Picture which, Bitmap* picture) {
    if (!m_canvas || !m_canvas->IsValid()) return; // too large a frame: nothing is drawn
    std::vector<uint32_t>& pixels = m_pictures[which];
    pixels.assign(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0);
    if (!picture || !picture->IsValid()) return;
    const Rect rect(0, 0, std::min<INT>(m_width, static_cast<INT>(picture->GetWidth())),
                    std::min<INT>(m_height, static_cast<INT>(picture->GetHeight())));
    BitmapData data;
    data.Scan0 = pixels.data();
    data.Stride = m_width * 4;
    if (picture->LockBits(&rect, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat32bppPARGB,
                          &data) == Ok)
        picture->UnlockBits(&data);
}

std::optional<float> SliceCanvas::TaperStep(float farEdge, float nearEdge) const {
    if (nearEdge == 0 || Count() == 0) return std::nullopt;
    const float ratio = farEdge / nearEdge;
    const float t = (1 - ratio) * static_cast<float>(SliceLength()) * 0.5f / static_cast<float>(Count());
    if (!std::isfinite(t)) return std::nullopt;
    return t;
}

bool SliceCanvas::Begin() {
    if (m_pixels) return true;
    if (!m_canvas || !m_canvas->IsValid()) return false;
    const Rect rect(0, 0, m_width, m_height);
    if (m_canvas->LockBits(&rect, ImageLockModeRead | ImageLockModeWrite, PixelFormat32bppPARGB, &m_lock) !=
        Ok)
        return false;
    m_pixels = static_cast<uint32_t*>(m_lock.Scan0);
    m_stride = static_cast<size_t>(m_lock.Stride) / 4;
    return true;
}

void SliceCanvas::Clear(const Color& color) {
    if (!Begin()) return;
    const uint32_t value = detail::Premultiply(color.GetValue());
    for (int32_t y = 0; y < m_height; ++y)
        std::fill_n(m_pixels + static_cast<size_t>(y) * m_stride, m_width, value);
}

void SliceCanvas::DrawSlices(Picture which, float t, bool fromEnd) {
    const int32_t count = Count();
    const float length = static_cast<float>(SliceLength());
    for (int32_t l = 0; l < count; ++l) {
        const float e = static_cast<float>(fromEnd ? count - l : l) * t;
        DrawSlice(which, l, e, length - 2 * e);
    }
}

void SliceCanvas::DrawSlice(Picture which, int32_t l, int32_t line, float start, float length) {
    const std::vector<uint32_t>& picture = m_pictures[which];
    const int32_t len = SliceLength();
    if (picture.empty() || l < 0 || l >= Count() || line < 0 || line >= Count() || !Begin()) return;
    if (!std::isfinite(start) || !std::isfinite(length) || length < kMinLength) return;
    const double a = start, b = static_cast<double>(start) + length;
    if (b <= 0 || a >= len) return;

    const bool columns = m_slices == Slices::Columns;
    const size_t srcStep = columns ? static_cast<size_t>(m_width) : 1, dstStep = columns ? m_stride : 1;
    const uint32_t* src =
        picture.data() + (columns ? static_cast<size_t>(l) : static_cast<size_t>(l) * m_width);
    uint32_t* dst = m_pixels + (columns ? static_cast<size_t>(line) : static_cast<size_t>(line) * m_stride);
    const double scale = len / static_cast<double>(length); // source pixels per canvas pixel
    const int64_t lastSource = len - 1;

    // Whole pixels inside [a, b), the source position stepped in 16.16 fixed point...
    const int32_t first = static_cast<int32_t>(std::clamp(std::ceil(a), 0.0, static_cast<double>(len)));
    const int32_t last = static_cast<int32_t>(std::clamp(std::floor(b), 0.0, static_cast<double>(len)));
    auto pos = static_cast<int64_t>(std::min((first + 0.5 - a) * scale, static_cast<double>(len)) * 65536);
    const auto step = static_cast<int64_t>(scale * 65536);
    for (int32_t p = first; p < last; ++p, pos += step)
        dst[static_cast<size_t>(p) * dstStep] =
            src[static_cast<size_t>(std::min(pos >> 16, lastSource)) * srcStep];

    // ...then the partly covered pixels at either end.
    auto blendEdge = [&](double p) {
        if (p < 0 || p >= len || (p >= first && p < last)) return; // outside, or drawn whole
        const double cover = std::min(p + 1, b) - std::max(p, a);
        if (cover <= 0) return;
        const auto alpha = static_cast<uint32_t>(std::min(cover, 1.0) * 256);
        const auto from =
            static_cast<size_t>(std::clamp((p + 0.5 - a) * scale, 0.0, static_cast<double>(lastSource)));
        uint32_t& d = dst[static_cast<size_t>(p) * dstStep];
        d = Mix(src[from * srcStep], d, alpha);
    };
    const double head = std::floor(a), tail = std::floor(b);
    blendEdge(head);
    if (tail != head) blendEdge(tail);
}

Bitmap* SliceCanvas::Canvas() {
    if (m_pixels) {
        m_canvas->UnlockBits(&m_lock);
        m_pixels = nullptr;
    }
    return m_canvas.get();
}

#include "render/transitions/SoftEdgeMask.h"

#include <algorithm>

#include "platform/gdiplus/NativePixels.h"
#include "render/RenderJob.h"
#include "render/TransitionRenderers.h"

using namespace Gdiplus;

namespace {

constexpr int32_t kNeverEntered = std::numeric_limits<int32_t>::max();

// The opaque blend of old over new at opacity a (0..255), channel by channel.
inline uint32_t Blend(uint32_t oldPx, uint32_t newPx, uint32_t a) {
    const uint32_t b = 255 - a;
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t t = ((oldPx >> shift) & 0xFF) * a + ((newPx >> shift) & 0xFF) * b + 128;
        out |= ((t + (t >> 8)) >> 8) << shift;
    }
    return out;
}

} // namespace

double SoftEdgeMask::EdgeWidth(int32_t param, int32_t w, int32_t h) {
    return std::clamp(static_cast<double>(param), 0.0, static_cast<double>(std::max({w, h, 0})));
}

int32_t SoftEdgeMask::SubSteps(double travelPerFrame, int32_t w, int32_t h) {
    const double t = std::fabs(travelPerFrame);
    if (!(t > 1)) return 1;
    const double diagonal = std::ceil(std::hypot(static_cast<double>(w), static_cast<double>(h)));
    return static_cast<int32_t>(std::min(std::floor(t) + 1, std::max(diagonal, 1.0)));
}

double SoftEdgeMask::Decay(float subStepTravel, double width) {
    if (!(width > 0)) return 0;
    return std::pow(0.2, std::fabs(static_cast<double>(subStepTravel)) / width);
}

SoftEdgeMask::SoftEdgeMask(TransitionPass& pass)
    : m_pass(pass), m_width(std::max(pass.Width(), 0)), m_height(std::max(pass.Height(), 0)),
      m_entry(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), kNeverEntered),
      m_rowFirst(static_cast<size_t>(m_height), kNeverEntered), m_rowLast(static_cast<size_t>(m_height), kNeverEntered) {}

void SoftEdgeMask::SetEntry(int32_t x, int32_t y, double reach) {
    const auto it = std::lower_bound(m_thresholds.begin(), m_thresholds.end(), reach,
                                     [](float threshold, double r) { return static_cast<double>(threshold) < r; });
    if (it != m_thresholds.end())
        m_entry[static_cast<size_t>(y) * static_cast<size_t>(m_width) + x] =
            static_cast<int32_t>(it - m_thresholds.begin()) + 1;
}

void SoftEdgeMask::IndexRows() {
    for (int32_t y = 0; y < m_height; ++y) {
        const auto row = m_entry.begin() + static_cast<ptrdiff_t>(y) * m_width;
        const auto [first, last] = std::minmax_element(row, row + m_width);
        m_rowFirst[static_cast<size_t>(y)] = m_width > 0 ? *first : kNeverEntered;
        m_rowLast[static_cast<size_t>(y)] = m_width > 0 ? *last : kNeverEntered;
    }
}

void SoftEdgeMask::MakeOpacityTable(double decay) {
    m_opacity.clear();
    double opacity = 1.0;
    // Ages beyond the last sub-step never occur.
    for (size_t age = 0; age < m_thresholds.size(); ++age) {
        opacity *= decay;
        const auto a = static_cast<uint8_t>(std::lround(std::clamp(opacity, 0.0, 1.0) * 255.0));
        if (a == 0) break;
        m_opacity.push_back(a);
    }
}

int32_t SoftEdgeMask::Run(int32_t kind, int32_t subStepsPerFrame) {
    return m_pass.Run(GetTransitionIncoming(kind, m_pass), [&](int32_t k) {
        Compose(static_cast<int64_t>(k + 1) * subStepsPerFrame);
    });
}

void SoftEdgeMask::Compose(int64_t subSteps) {
    NativePixels out(m_pass.Job().m_pFrameBitmap, NativePixels::Access::ReadWrite);
    NativePixels oldPx(m_pass.OldPicture(), NativePixels::Access::Read);
    NativePixels newPx(m_pass.EffectFrame(), NativePixels::Access::Read);
    for (const NativePixels* p : {&out, &oldPx, &newPx})
        if (!p->IsValid() || p->Width() < m_width || p->Height() < m_height) return;
    const int64_t fadedBefore = subSteps - static_cast<int64_t>(m_opacity.size());
    // Rows wholly old or wholly new are copied; the alpha byte is set, as the frame may have one.
    auto copy = [w = m_width](uint32_t* d, const uint32_t* s) {
        for (int32_t x = 0; x < w; ++x) d[x] = s[x] | 0xFF000000u;
    };
    for (int32_t y = 0; y < m_height; ++y) {
        uint32_t* d = out.Row(y);
        const uint32_t* o = oldPx.Row(y);
        const uint32_t* n = newPx.Row(y);
        if (m_rowFirst[static_cast<size_t>(y)] > subSteps) {
            copy(d, o);
            continue;
        }
        if (m_rowLast[static_cast<size_t>(y)] <= fadedBefore) {
            copy(d, n);
            continue;
        }
        const int32_t* entry = &m_entry[static_cast<size_t>(y) * static_cast<size_t>(m_width)];
        for (int32_t x = 0; x < m_width; ++x) {
            const int64_t e = entry[x];
            if (e > subSteps) d[x] = o[x] | 0xFF000000u;
            else if (e <= fadedBefore) d[x] = n[x] | 0xFF000000u;
            else d[x] = Blend(o[x], n[x], m_opacity[static_cast<size_t>(subSteps - e)]);
        }
    }
}

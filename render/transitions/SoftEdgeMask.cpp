#include "render/transitions/SoftEdgeMask.h"

#include <algorithm>

#include "platform/gdiplus/NativePixels.h"
#include "render/RenderJob.h"
#include "render/TransitionRenderers.h"

using namespace Gdiplus;

namespace {

constexpr int32_t kNeverEntered = std::numeric_limits<int32_t>::max();

// The opaque blend of old over new at opacity a (0..255): red and blue in one word, green in
// another, each divided by 255 exactly (rounded), so opacity 255 gives the old pixel and 0 the new.
inline uint32_t Blend(uint32_t oldPx, uint32_t newPx, uint32_t a) {
    const uint32_t b = 255 - a;
    uint32_t rb = (oldPx & 0xFF00FFu) * a + (newPx & 0xFF00FFu) * b + 0x800080u;
    uint32_t g = ((oldPx >> 8) & 0xFFu) * a + ((newPx >> 8) & 0xFFu) * b + 0x80u;
    rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
    g = ((g + (g >> 8)) >> 8) & 0xFFu;
    return 0xFF000000u | rb | (g << 8);
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

std::vector<float> SoftEdgeMask::Travel(int32_t frames, int32_t subSteps, float step) {
    std::vector<float> positions(static_cast<size_t>(std::max(frames, 0)) * static_cast<size_t>(std::max(subSteps, 0)));
    float position = 0;
    for (float& p : positions) p = position += step;
    return positions;
}

SoftEdgeMask::SoftEdgeMask(TransitionPass& pass)
    : m_pass(pass), m_width(std::max(pass.Width(), 0)), m_height(std::max(pass.Height(), 0)),
      m_entry(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), kNeverEntered),
      m_rowFirst(static_cast<size_t>(m_height), kNeverEntered), m_rowLast(static_cast<size_t>(m_height), kNeverEntered) {}

void SoftEdgeMask::SetEntry(int32_t x, int32_t y, double reach) {
    // Neighbouring pixels enter at nearby sub-steps: search outwards from the last answer.
    const size_t n = m_thresholds.size();
    auto below = [&](size_t i) { return static_cast<double>(m_thresholds[i]) < reach; };
    size_t lo = 0, hi = n; // the first threshold not below the reach lies in [lo, hi]
    size_t at = std::min(m_lastEntry, n);
    if (at < n && below(at)) {
        lo = at + 1;
        for (size_t step = 1; lo < n && below(lo); step *= 2) {
            at = lo;
            lo = std::min(n, lo + step);
        }
        hi = lo, lo = at + 1;
    } else {
        hi = at;
        for (size_t step = 1; hi > 0 && !below(hi - 1); step *= 2) {
            at = hi;
            hi = hi > step ? hi - step : 0;
        }
        lo = hi, hi = at;
    }
    const auto it = std::lower_bound(m_thresholds.begin() + static_cast<ptrdiff_t>(lo),
                                     m_thresholds.begin() + static_cast<ptrdiff_t>(hi), reach,
                                     [](float threshold, double r) { return static_cast<double>(threshold) < r; });
    m_lastEntry = static_cast<size_t>(it - m_thresholds.begin());
    if (m_lastEntry < n)
        m_entry[static_cast<size_t>(y) * static_cast<size_t>(m_width) + x] = static_cast<int32_t>(m_lastEntry) + 1;
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
    m_opacity.assign(1, 255);
    double opacity = 1.0;
    // Ages beyond the last sub-step never occur.
    for (size_t age = 0; age < m_thresholds.size(); ++age) {
        opacity *= decay;
        const auto a = static_cast<uint8_t>(std::lround(std::clamp(opacity, 0.0, 1.0) * 255.0));
        if (a == 0) break;
        m_opacity.push_back(a);
    }
    m_opacity.push_back(0);
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
    // Pixels entered after `entered` are old; those entered at `faded` or before are new.
    const auto entered = static_cast<int32_t>(std::clamp<int64_t>(subSteps, 0, kNeverEntered - 1));
    const auto faded = static_cast<int32_t>(std::max<int64_t>(entered - (static_cast<int64_t>(m_opacity.size()) - 2), -1));
    // Rows wholly old or wholly new are copied; the alpha byte is set, as the frame may have one.
    auto copy = [w = m_width](uint32_t* __restrict d, const uint32_t* __restrict s) {
        for (int32_t x = 0; x < w; ++x) d[x] = s[x] | 0xFF000000u;
    };
    const int32_t w = m_width;
    const uint8_t* opacity = m_opacity.data();
    for (int32_t y = 0; y < m_height; ++y) {
        uint32_t* __restrict d = out.Row(y);
        const uint32_t* __restrict o = oldPx.Row(y);
        const uint32_t* __restrict n = newPx.Row(y);
        if (m_rowFirst[static_cast<size_t>(y)] > entered) {
            copy(d, o);
            continue;
        }
        if (m_rowLast[static_cast<size_t>(y)] <= faded) {
            copy(d, n);
            continue;
        }
        // First each pixel as old or new, which vectorises; then the few in the fading band.
        const int32_t* __restrict entry = &m_entry[static_cast<size_t>(y) * static_cast<size_t>(m_width)];
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t isOld = 0u - static_cast<uint32_t>(entry[x] > entered);
            d[x] = (o[x] & isOld) | (n[x] & ~isOld) | 0xFF000000u;
        }
        for (int32_t x = 0; x < w; ++x) {
            const int32_t e = entry[x];
            if (e > faded && e <= entered) d[x] = Blend(o[x], n[x], opacity[entered - e + 1]);
        }
    }
}

// Small arithmetic the transition renderers share: per-frame steps that never divide by a phase
// without frames, and points moved by a step.
#pragma once

#include <cstdint>

#include "platform/gdiplus/GdiplusTypes.h"

namespace transition {

// `amount` spread over `frames` frames; 0 for a phase without frames.
inline float PerFrame(float amount, int32_t frames) {
    return frames > 0 ? amount / static_cast<float>(frames) : 0.0f;
}

inline void Advance(Gdiplus::PointF& p, const Gdiplus::PointF& step) {
    p.X += step.X;
    p.Y += step.Y;
}

} // namespace transition

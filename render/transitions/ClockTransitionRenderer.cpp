#include "render/transitions/ClockTransitionRenderer.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "model/TransitionSetting.h"
#include "render/TransitionPass.h"
#include "render/transitions/SoftEdgeMask.h"

namespace {

constexpr int32_t kSmoothSubSteps = 5;

} // namespace

int32_t RenderClockTransition(RenderJob& job) {
    TransitionPass pass(job, TransitionPass::OldCopy::Argb32);
    SoftEdgeMask mask(pass);
    const int32_t frames = pass.TransitionFrames();
    const int32_t fingers = pass.Param1() < 0 ? 0 : pass.Param1();
    const bool smooth = pass.Flag2();
    const int32_t m = smooth ? kSmoothSubSteps : 1;
    if (frames > 0 && fingers <= 2) {
        const int32_t hands = 1 << fingers;
        // Each hand covers its own sector; the smooth edge turns 5% further so its band passes.
        const float sector = 360.0f / static_cast<float>(hands);
        const float total = smooth ? sector * 1.05f : sector;
        const float step = total / static_cast<float>(frames) / static_cast<float>(m);
        const double decay = smooth ? std::pow(0.2, 1.0 / (15.0 * (fingers == 0 ? 1 : fingers))) : 0.0;
        const std::vector<float> swept = SoftEdgeMask::Travel(frames, m, step);
        // A pixel's reach is its angle clockwise from the nearest hand's start (12 o'clock for
        // the first); the hands' sectors never overlap, so none cancels another.
        const double cx = pass.Width() * 0.5, cy = pass.Height() * 0.5;
        mask.Sweep(swept, decay, [cx, cy, sector](double x, double y) {
            // Single precision is ample for an angle and much faster, once per pixel.
            double a = std::atan2(static_cast<float>(y - cy), static_cast<float>(x - cx)) * (180.0 / std::numbers::pi) + 90.0;
            if (a < 0) a += 360.0;
            return std::fmod(a, static_cast<double>(sector));
        });
    }
    return mask.Run(TRANSITION_CLOCK, m);
}

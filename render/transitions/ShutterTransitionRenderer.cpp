#include "render/transitions/ShutterTransitionRenderer.h"

#include <algorithm>
#include <vector>

#include "model/TransitionSetting.h"
#include "render/TransitionPass.h"
#include "render/transitions/SoftEdgeMask.h"

int32_t RenderShutterTransition(RenderJob& job) {
    TransitionPass pass(job, TransitionPass::OldCopy::Argb32);
    SoftEdgeMask mask(pass);
    const int32_t frames = pass.TransitionFrames();
    const int32_t direction = pass.Param1();
    int32_t m = 1;
    if (frames > 0 && (direction == 0 || direction == 1)) {
        const int32_t w = pass.Width(), h = pass.Height();
        const double width = SoftEdgeMask::EdgeWidth(pass.Param2(), w, h);
        // The panels overshoot the middle so that a soft edge's band passes it too.
        const float overshoot = static_cast<float>(width) * 0.00875f + 0.5f;
        const int32_t side = direction == 0 ? w : h;
        const double t = static_cast<double>(side) * overshoot / frames * 0.5;
        m = SoftEdgeMask::SubSteps(t, w, h);
        const auto r = static_cast<float>(t / m);
        // Each panel grows by 2r per sub-step; once the panels meet the whole frame is swept.
        std::vector<float> panel = SoftEdgeMask::Travel(frames, m, 2 * r);
        for (float& p : panel)
            if (!(p < static_cast<float>(side) * 0.5f)) p = SoftEdgeMask::kEverything;
        // A pixel's reach is its distance from the nearer of the two edges the panels start at.
        mask.Sweep(panel, SoftEdgeMask::Decay(r, width), [direction, side](double x, double y) {
            const double p = direction == 0 ? x : y;
            return std::min(p, side - p);
        });
    }
    return mask.Run(TRANSITION_SHUTTER, m);
}

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
        const auto steps = static_cast<size_t>(frames) * static_cast<size_t>(m);
        std::vector<float> panel;
        panel.reserve(steps);
        float panelWidth = 0;
        for (size_t j = 0; j < steps; ++j) {
            panelWidth += 2 * r;
            // Once the panels meet the whole frame is swept.
            panel.push_back(panelWidth < static_cast<float>(side) * 0.5f ? panelWidth : SoftEdgeMask::kEverything);
        }
        // A pixel's reach is its distance from the nearer of the two edges the panels start at.
        mask.Sweep(panel, SoftEdgeMask::Decay(r, width), [direction, side](double x, double y) {
            const double p = direction == 0 ? x : y;
            return std::min(p, side - p);
        });
    }
    return mask.Run(TRANSITION_SHUTTER, m);
}

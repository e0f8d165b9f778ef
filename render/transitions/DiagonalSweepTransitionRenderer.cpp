#include "render/transitions/DiagonalSweepTransitionRenderer.h"

#include <vector>

#include "model/TransitionSetting.h"
#include "render/TransitionPass.h"
#include "render/transitions/SoftEdgeMask.h"

int32_t RenderDiagonalSweepTransition(RenderJob& job) {
    TransitionPass pass(job, TransitionPass::OldCopy::Argb32);
    SoftEdgeMask mask(pass);
    const int32_t frames = pass.TransitionFrames();
    const bool fromRight = pass.Param1() == 1;
    int32_t m = 1;
    if (frames > 0) {
        const int32_t w = pass.Width(), h = pass.Height();
        const double width = SoftEdgeMask::EdgeWidth(pass.Param2(), w, h);
        // The leading edge starts at a top corner and passes the far bottom corner by the width.
        const double t = (width + 2.0 * w) / frames;
        m = SoftEdgeMask::SubSteps(t, w, h);
        const auto r = static_cast<float>(t / m);
        // The leading edge's top point, measured from the corner it starts at.
        const std::vector<float> edge = SoftEdgeMask::Travel(frames, m, r);
        // The edge keeps the slope of the frame's other diagonal: W across per H down.
        const double slope = h > 0 ? static_cast<double>(w) / h : 0.0;
        mask.Sweep(edge, SoftEdgeMask::Decay(r, 3 * width), [fromRight, slope, w](double x, double y) {
            return fromRight ? (w - x) + slope * y : x + slope * y;
        });
    }
    return mask.Run(TRANSITION_DIAGONAL_SWEEP, m);
}

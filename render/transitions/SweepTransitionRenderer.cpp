#include "render/transitions/SweepTransitionRenderer.h"

#include <vector>

#include "model/TransitionSetting.h"
#include "render/TransitionPass.h"
#include "render/transitions/SoftEdgeMask.h"

namespace {

enum SweepDirection : int32_t { LeftToRight = 0, RightToLeft = 1, BottomToUp = 2, UpToBottom = 3 };

} // namespace

int32_t RenderSweepTransition(RenderJob& job) {
    TransitionPass pass(job, TransitionPass::OldCopy::Argb32);
    SoftEdgeMask mask(pass);
    const int32_t frames = pass.TransitionFrames();
    const int32_t direction = pass.Param1() < 0 ? LeftToRight : pass.Param1();
    int32_t m = 1;
    if (frames > 0 && direction <= UpToBottom) {
        const int32_t w = pass.Width(), h = pass.Height();
        const double width = SoftEdgeMask::EdgeWidth(pass.Param2(), w, h);
        const bool across = direction == LeftToRight || direction == RightToLeft;
        const int32_t side = across ? w : h;
        // The edge travels the side plus the width, past the far edge by the width.
        const double t = (side + width) / frames;
        m = SoftEdgeMask::SubSteps(t, w, h);
        const auto r = static_cast<float>(t / m);
        // The clip rectangle's moving edge, measured from the side it starts at.
        const std::vector<float> edge = SoftEdgeMask::Travel(frames, m, r);
        const bool fromFar = direction == RightToLeft || direction == BottomToUp;
        mask.Sweep(edge, SoftEdgeMask::Decay(r, width), [across, fromFar, side](double x, double y) {
            const double p = across ? x : y;
            return fromFar ? side - p : p;
        });
    }
    return mask.Run(TRANSITION_SWEEP, m);
}

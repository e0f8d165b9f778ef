#include "render/transitions/CircleTransitionRenderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/TransitionSetting.h"
#include "render/TransitionPass.h"
#include "render/transitions/SoftEdgeMask.h"

int32_t RenderCircleTransition(RenderJob& job) {
    TransitionPass pass(job, TransitionPass::OldCopy::Argb32);
    SoftEdgeMask mask(pass);
    const int32_t frames = pass.TransitionFrames();
    const int32_t direction = pass.Param1();
    int32_t m = 1;
    if (frames > 0 && (direction == 0 || direction == 1)) {
        const int32_t w = pass.Width(), h = pass.Height();
        const double width = SoftEdgeMask::EdgeWidth(pass.Param2(), w, h);
        const double halfDiagonal = std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h) * 0.5;
        // Radius travel: (W + width) / sqrt 2 in all, which passes the corners of any frame at
        // least as wide as tall. On a taller frame it can stop short of the half-diagonal and
        // leave the corners (shrinking: the centre) old at the end; there the edge travels at
        // least the half-diagonal plus the width, taking its fading band past them too.
        const double along = (w + width) / std::sqrt(2.0);
        const double travel = h > w ? std::max(along, halfDiagonal + width) : along;
        const double t = travel / frames;
        m = SoftEdgeMask::SubSteps(t, w, h);
        const auto r = static_cast<float>(t / m);
        if (direction == 0) {
            // The ellipse rectangle grows by r on every side from the centre.
            std::vector<float> radius = SoftEdgeMask::Travel(frames, m, 2 * r);
            for (float& d : radius) d *= 0.5f;
            mask.Sweep(radius, SoftEdgeMask::Decay(r, width), [cx = w * 0.5, cy = h * 0.5](double x, double y) {
                return std::hypot(x - cx, y - cy);
            });
        } else {
            // The ring between the outer circle and an inner one shrinking to the centre; the
            // inner one is gone once its left edge passes the centre.
            const auto outer = static_cast<float>(halfDiagonal);
            const int32_t cx = w / 2, cy = h / 2;
            float ellipseX = static_cast<float>(cx) - outer, ellipseWidth = 2 * outer;
            const auto steps = static_cast<size_t>(frames) * static_cast<size_t>(m);
            std::vector<float> radius;
            radius.reserve(steps);
            for (size_t j = 0; j < steps; ++j) {
                ellipseX += r;
                ellipseWidth -= 2 * r;
                radius.push_back(ellipseX > static_cast<float>(cx) ? SoftEdgeMask::kEverything : -ellipseWidth * 0.5f);
            }
            mask.Sweep(radius, SoftEdgeMask::Decay(r, width), [cx, cy, outer](double x, double y) {
                const double d = std::hypot(x - cx, y - cy);
                return d > outer ? static_cast<double>(SoftEdgeMask::kNever) : -d;
            });
        }
    }
    return mask.Run(TRANSITION_CIRCLE, m);
}

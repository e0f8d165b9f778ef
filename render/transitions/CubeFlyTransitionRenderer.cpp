#include "render/transitions/CubeFlyTransitionRenderer.h"

#include <algorithm>

#include "model/TransitionSetting.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"
#include "render/transitions/FrameSteps.h"
#include "render/transitions/SliceCanvas.h"

using namespace Gdiplus;
using transition::PerFrame;

namespace {

enum CubeDirection : int32_t { kBottomToUp = 0, kUpToBottom = 1, kLeftToRight = 2, kRightToLeft = 3 };

// An edge of a face: where it lies along the axis the common edge moves on, and the span it
// reaches across that axis.
struct Edge {
    float at = 0, from = 0, to = 0;
    void Add(const Edge& step) {
        at += step.at;
        from += step.from;
        to += step.to;
    }
    float Extent() const { return to - from; }
};

// The three edges of the cube (the low and high outer edges and the common edge) as they stand at
// the end of the first phase, when the cube has drawn back: the common edge 0.05 and the outer
// edges 0.1 of `across` in at each end, the old face's far edge 0.2 of `along` nearer.
struct Cube {
    Edge low, high, common;
};

Cube DrawnBack(const Cube& start, bool oldFarIsHigh, float along, float across) {
    Cube c = start;
    c.common.from = 0.05f * across;
    c.common.to = across - 0.05f * across;
    for (Edge* e : {&c.low, &c.high}) {
        e->from = 0.1f * across;
        e->to = across - 0.1f * across;
    }
    if (oldFarIsHigh)
        c.high.at = along - 0.2f * along;
    else
        c.low.at = 0.2f * along;
    return c;
}

// Per-frame steps that carry `from` to `to` over `frames` (the common edge's position aside).
Cube StepsBetween(const Cube& from, const Cube& to, int32_t frames) {
    Cube s;
    auto steps = [&](const Edge& a, const Edge& b) {
        return Edge{PerFrame(b.at - a.at, frames), PerFrame(b.from - a.from, frames),
                    PerFrame(b.to - a.to, frames)};
    };
    s.low = steps(from.low, to.low);
    s.high = steps(from.high, to.high);
    s.common = steps(from.common, to.common);
    return s;
}

} // namespace

int32_t RenderCubeFlyTransition(RenderJob& job) {
    TransitionPass pass(job);
    const auto incoming = GetTransitionIncoming(TRANSITION_CUBE_FLY, pass);
    Graphics* g = pass.FrameGraphics();
    int32_t direction = pass.Param1();
    if (direction < kBottomToUp || direction > kRightToLeft) direction = kBottomToUp;
    const bool rows = direction == kBottomToUp || direction == kUpToBottom;
    // Forward: the common edge moves towards higher coordinates, starting on the low edge.
    const bool forward = direction == kUpToBottom || direction == kLeftToRight;
    const float along = static_cast<float>(rows ? pass.Height() : pass.Width());
    const float across = static_cast<float>(rows ? pass.Width() : pass.Height());
    const int32_t frames = pass.TransitionFrames();
    const int32_t h1 = static_cast<int32_t>(static_cast<float>(frames) * 0.6f), h2 = frames - h1;

    SliceCanvas canvas(pass.Width(), pass.Height(),
                       rows ? SliceCanvas::Slices::Rows : SliceCanvas::Slices::Columns);
    canvas.TakeSlices(SliceCanvas::Old, pass.OldPicture());
    pass.Freeze();
    canvas.TakeSlices(SliceCanvas::New, pass.EffectFrame());

    const Cube square{{0, 0, across}, {along, 0, across}, {forward ? 0 : along, 0, across}};
    const Cube back = DrawnBack(square, forward, along, across);
    Cube cube = square;
    Cube step = StepsBetween(square, back, h1);
    const float travel = PerFrame(forward ? along : -along, frames);
    // Old slices are inset towards the old face's far edge, new ones towards the new face's.
    const bool oldFromEnd = rows != forward;

    // One face: its slices into the rectangle between its far edge and the common edge.
    const auto drawFace = [&](SliceCanvas::Picture face, const Edge& far, bool fromEnd) {
        const Edge& m = cube.common;
        const float lo = std::min(far.at, m.at), hi = std::max(far.at, m.at);
        const auto t = canvas.TaperStep(far.Extent(), m.Extent());
        if (!t) return;
        canvas.Clear(pass.Background());
        canvas.DrawSlices(face, *t, fromEnd);
        const RectF r =
            rows ? RectF(m.from, lo, m.Extent(), hi - lo) : RectF(lo, m.from, hi - lo, m.Extent());
        g->DrawImage(canvas.Canvas(), r);
    };

    return pass.Run(incoming, [&](int32_t k) {
        if (k == h1) {
            // The cube comes forward again from where it drew back exactly (also when the first
            // phase had no frames); the common edge keeps moving as before.
            const float at = cube.common.at;
            cube = back;
            cube.common.at = at;
            step = StepsBetween(back, square, h2);
        }
        cube.low.Add(step.low);
        cube.high.Add(step.high);
        cube.common.Add(step.common);
        cube.common.at += travel;
        if (!g) return;
        const Edge& oldFar = forward ? cube.high : cube.low;
        const Edge& newFar = forward ? cube.low : cube.high;
        g->Clear(pass.Background());
        if ((forward ? oldFar.at - cube.common.at : cube.common.at - oldFar.at) > 0)
            drawFace(SliceCanvas::Old, oldFar, oldFromEnd);
        drawFace(SliceCanvas::New, newFar, !oldFromEnd);
    });
}

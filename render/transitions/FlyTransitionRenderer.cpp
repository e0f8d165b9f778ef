#include "render/transitions/FlyTransitionRenderer.h"

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

enum FlyDirection : int32_t { kFlyIn = 0, kFlyOut = 1 };

// The page's corners (top left, top right, bottom right, bottom left) and the steps (s1..s4):
// the top corners move by (s1, s2) and (-s1, s2), the bottom ones by (s3, s4) and (-s3, s4).
struct Page {
    PointF p[4];
    float s[4] = {0, 0, 0, 0};
    void Advance() {
        transition::Advance(p[0], PointF(s[0], s[1]));
        transition::Advance(p[1], PointF(-s[0], s[1]));
        transition::Advance(p[2], PointF(-s[2], s[3]));
        transition::Advance(p[3], PointF(s[2], s[3]));
    }
};

// The page lying back between the phases: top edge 0.25..0.75 of the width at 0.75 of the
// height, bottom edge the frame's bottom (flying out, the bottom corners never move in phase 1).
Page LyingBack(float w, float h) {
    return {{{0.25f * w, 0.75f * h}, {0.75f * w, 0.75f * h}, {w, h}, {0, h}}};
}

} // namespace

int32_t RenderFlyTransition(RenderJob& job) {
    TransitionPass pass(job);
    const bool out = pass.Param1() == kFlyOut;
    // Flying in, the new page is cut once from the frozen slide; flying out, the slide moves on
    // behind the old page.
    const auto incoming = GetTransitionIncoming(TRANSITION_FLY, pass);
    Graphics* g = pass.FrameGraphics();
    const float w = static_cast<float>(pass.Width()), h = static_cast<float>(pass.Height());
    const int32_t frames = pass.TransitionFrames();
    const int32_t h1 = static_cast<int32_t>(static_cast<float>(frames) * 0.5f), h2 = frames - h1;

    SliceCanvas canvas(pass.Width(), pass.Height(), SliceCanvas::Slices::Rows);
    const auto slices = out ? SliceCanvas::Old : SliceCanvas::New;
    if (out) {
        canvas.TakeSlices(slices, pass.OldPicture());
    } else {
        pass.Freeze();
        canvas.TakeSlices(slices, pass.EffectFrame());
    }
    Bitmap* behind = out ? pass.EffectFrame() : pass.OldPicture();

    Page page;
    if (out) {
        page = {{{0, 0}, {w, 0}, {w, h}, {0, h}}, {PerFrame(0.25f * w, h1), PerFrame(0.75f * h, h1), 0, 0}};
    } else {
        const PointF centre(w * 0.5f, h * 0.5f);
        page = {{centre, centre, centre, centre},
                {PerFrame(-0.25f * w, h1), PerFrame(0.25f * h, h1), PerFrame(-0.5f * w, h1),
                 PerFrame(0.5f * h, h1)}};
    }
    Bitmap* shown = nullptr;
    return pass.Run(incoming, [&](int32_t k) {
        if (k == h1) {
            // Phase 2 starts where phase 1 ends exactly (also when phase 1 had no frames).
            const Page start = LyingBack(w, h);
            std::copy(start.p, start.p + 4, page.p);
            if (out) {
                page.s[0] = PerFrame(-0.25f * w, h2);
                page.s[1] = PerFrame(-0.25f * h, h2);
                page.s[2] = PerFrame(w * 0.5f, h2);
                page.s[3] = PerFrame(-0.5f * h, h2);
            } else {
                page.s[0] = PerFrame(-0.25f * w, h2);
                page.s[1] = PerFrame(-0.75f * h, h2);
                page.s[2] = page.s[3] = 0;
            }
        }
        page.Advance();
        const PointF* p = page.p;
        // Flying out, the page keeps the taper it had when it started to shrink.
        if (!out || k <= h1) {
            if (const auto t = canvas.TaperStep(p[1].X - p[0].X, p[2].X - p[3].X)) {
                canvas.Clear(pass.TransparentBackground());
                canvas.DrawSlices(slices, *t, true);
                shown = canvas.Canvas();
            }
        }
        if (!g) return;
        if (behind) g->DrawImage(behind, 0, 0);
        if (shown) g->DrawImage(shown, RectF(p[3].X, p[0].Y, p[2].X - p[3].X, p[2].Y - p[0].Y));
    });
}

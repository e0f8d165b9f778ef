#include "render/transitions/FlipTransitionRenderer.h"

#include "model/TransitionSetting.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"
#include "render/transitions/FrameSteps.h"
#include "render/transitions/SliceCanvas.h"

using namespace Gdiplus;
using transition::PerFrame;

namespace {

enum FlipAxis : int32_t { kVertical = 0, kHorizontal = 1 };

// The card's corners: top left, top right, bottom right, bottom left, with their steps.
struct Card {
    PointF p[4];
    PointF step[4];
    void Advance() {
        for (int i = 0; i < 4; ++i)
            transition::Advance(p[i], step[i]);
    }
};

// The vertical flip; the horizontal one is the same with x and y exchanged. Phase 1 stands the
// left edge out to -0.15..1.15 of the height and the right edge in to 0.35..0.65 while both meet
// on the centre line; phase 2 starts edge-on with the sides exchanged and opens to the frame.
Card PhaseStart(bool second, float w, float h) {
    if (!second) return {{{0, 0}, {w, 0}, {w, h}, {0, h}}, {}};
    return {
        {{w * 0.5f, 0.35f * h}, {w * 0.5f, -0.15f * h}, {w * 0.5f, h + 0.15f * h}, {w * 0.5f, h - 0.35f * h}},
        {}};
}

void SetSteps(Card& card, bool second, float w, float h, int32_t frames) {
    const float across = PerFrame(0.5f * w, frames);
    const float inner = PerFrame((second ? 0.35f : 0.15f) * h, frames);
    const float outer = PerFrame((second ? 0.15f : 0.35f) * h, frames);
    const float sign = second ? -1.0f : 1.0f;
    card.step[0] = PointF(sign * across, -inner);
    card.step[3] = PointF(sign * across, inner);
    card.step[1] = PointF(-sign * across, outer);
    card.step[2] = PointF(-sign * across, -outer);
}

} // namespace

int32_t RenderFlipTransition(RenderJob& job) {
    TransitionPass pass(job);
    const auto incoming = GetTransitionIncoming(TRANSITION_FLIP, pass);
    Graphics* g = pass.FrameGraphics();
    const bool horizontal = pass.Param1() == kHorizontal;
    const int32_t frames = pass.TransitionFrames();
    const int32_t h1 = frames / 2, h2 = frames - h1;
    // Worked out as the vertical flip on a frame whose axes are exchanged when horizontal.
    const float w = static_cast<float>(horizontal ? pass.Height() : pass.Width());
    const float h = static_cast<float>(horizontal ? pass.Width() : pass.Height());

    SliceCanvas canvas(pass.Width(), pass.Height(),
                       horizontal ? SliceCanvas::Slices::Rows : SliceCanvas::Slices::Columns);
    canvas.TakeSlices(SliceCanvas::Old, pass.OldPicture());
    pass.Freeze();
    canvas.TakeSlices(SliceCanvas::New, pass.EffectFrame());

    Card card = PhaseStart(false, w, h);
    SetSteps(card, false, w, h, h1);
    Bitmap* shown = nullptr;
    return pass.Run(incoming, [&](int32_t k) {
        const bool second = k >= h1;
        if (k == h1) {
            card = PhaseStart(true, w, h);
            SetSteps(card, true, w, h, h2);
        }
        card.Advance();
        const PointF* p = card.p;
        // Near edge is the left one in phase 1, the right one in phase 2.
        const float left = p[3].Y - p[0].Y, right = p[2].Y - p[1].Y;
        if (const auto t = second ? canvas.TaperStep(left, right) : canvas.TaperStep(right, left)) {
            canvas.Clear(pass.Background());
            canvas.DrawSlices(second ? SliceCanvas::New : SliceCanvas::Old, *t, second);
            shown = canvas.Canvas();
        }
        if (!g) return;
        g->Clear(pass.Background());
        if (!shown) return;
        RectF r(p[0].X, second ? p[1].Y : p[0].Y, p[1].X - p[0].X, second ? right : left);
        if (horizontal) r = RectF(r.Y, r.X, r.Height, r.Width);
        g->DrawImage(shown, r);
    });
}

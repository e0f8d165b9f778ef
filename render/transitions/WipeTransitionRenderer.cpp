#include "render/transitions/WipeTransitionRenderer.h"

#include "model/TransitionSetting.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"

using namespace Gdiplus;

namespace {

enum WipeDirection : int32_t { LeftToRight = 0, RightToLeft = 1, BottomToUp = 2, UpToBottom = 3 };

struct Moving {
    PointF at;
    PointF step;
    void Advance() {
        at.X += step.X;
        at.Y += step.Y;
    }
};

} // namespace

int32_t RenderWipeTransition(RenderJob& job) {
    TransitionPass pass(job);
    Graphics* g = pass.FrameGraphics();
    const int32_t frames = pass.TransitionFrames();
    const int32_t direction = pass.Param1() < 0 ? LeftToRight : pass.Param1();
    const auto w = static_cast<REAL>(pass.Width()), h = static_cast<REAL>(pass.Height());
    Moving oldPicture, newPicture;
    if (frames > 0 && direction <= UpToBottom) {
        const auto t = static_cast<REAL>(frames);
        switch (direction) {
        case LeftToRight:
            newPicture = {PointF(-w, 0), PointF(w / t, 0)};
            break;
        case RightToLeft:
            newPicture = {PointF(w, 0), PointF(-w / t, 0)};
            break;
        case BottomToUp:
            newPicture = {PointF(0, h), PointF(0, -h / t)};
            break;
        default:
            newPicture = {PointF(0, -h), PointF(0, h / t)};
            break;
        }
        if (pass.Flag2()) oldPicture.step = newPicture.step;
    }
    return pass.Run(GetTransitionIncoming(TRANSITION_WIPE, pass), [&](int32_t) {
        oldPicture.Advance();
        newPicture.Advance();
        if (!g) return;
        // The two pictures together always cover the frame: nothing is cleared.
        g->DrawImage(pass.OldPicture(), oldPicture.at.X, oldPicture.at.Y);
        g->DrawImage(pass.EffectFrame(), newPicture.at.X, newPicture.at.Y);
    });
}

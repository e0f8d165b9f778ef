#include "render/transitions/SpinTransitionRenderer.h"

#include "model/TransitionSetting.h"
#include "platform/gdiplus/Matrix.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"
#include "render/transitions/FrameSteps.h"

using namespace Gdiplus;
using transition::PerFrame;

namespace {

enum SpinSense : int32_t { kClockwise = 0, kAnticlockwise = 1 };

int32_t TurnPerFrame(int32_t sense) {
    if (sense == kClockwise) return 30;
    if (sense == kAnticlockwise) return -30;
    return 0;
}

} // namespace

int32_t RenderSpinTransition(RenderJob& job) {
    TransitionPass pass(job);
    const auto incoming = GetTransitionIncoming(TRANSITION_SPIN, pass);
    Graphics* g = pass.FrameGraphics();
    const int32_t turn = TurnPerFrame(pass.Param1());
    const float w = static_cast<float>(pass.Width()), h = static_cast<float>(pass.Height());
    const int32_t frames = pass.TransitionFrames();
    const int32_t h1 = frames / 2, h2 = frames - h1;

    RectF rect(0, 0, w, h);
    float dx = PerFrame(0.5f * w, h1), dy = PerFrame(0.5f * h, h1);
    float angle = 0;
    Matrix transform;
    const PointF centre(static_cast<float>(pass.Width() / 2), static_cast<float>(pass.Height() / 2));

    return pass.Run(incoming, [&](int32_t k) {
        if (k == h1) {
            // The second half starts from the centre point (also when the first had no frames)
            // and turns so that its last frame stands on a whole number of turns.
            rect = RectF(w * 0.5f, h * 0.5f, 0, 0);
            angle = 360.0f - static_cast<float>(int64_t{turn} * h2 % 360);
            dx = PerFrame(-0.5f * w, h2);
            dy = PerFrame(-0.5f * h, h2);
        }
        angle += static_cast<float>(turn);
        rect.X += dx;
        rect.Y += dy;
        rect.Width -= 2 * dx;
        rect.Height -= 2 * dy;
        if (!g) return;
        transform.Reset();
        transform.Translate(centre.X, centre.Y);
        transform.Rotate(angle);
        transform.Translate(-centre.X, -centre.Y);
        g->Clear(pass.Background());
        g->SetTransform(&transform);
        if (Bitmap* picture = k < h1 ? pass.OldPicture() : pass.EffectFrame()) g->DrawImage(picture, rect);
        g->ResetTransform();
    });
}

#include "render/transitions/RotateInTransitionRenderer.h"

#include "model/TransitionSetting.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"
#include "render/transitions/FrameSteps.h"
#include "render/transitions/SliceCanvas.h"

using namespace Gdiplus;
using transition::PerFrame;

namespace {

enum RotateDirection : int32_t { kClockwise = 0, kAnticlockwise = 1 };

} // namespace

int32_t RenderRotateInTransition(RenderJob& job) {
    TransitionPass pass(job);
    const auto incoming = GetTransitionIncoming(TRANSITION_ROTATE_IN, pass);
    Graphics* g = pass.FrameGraphics();
    const bool anticlockwise = pass.Param1() == kAnticlockwise;
    const float w = static_cast<float>(pass.Width()), h = static_cast<float>(pass.Height());
    const int32_t frames = pass.TransitionFrames();

    SliceCanvas canvas(pass.Width(), pass.Height(), SliceCanvas::Slices::Columns);
    pass.Freeze();
    canvas.TakeSlices(SliceCanvas::New, pass.EffectFrame());

    // Top left, top right, bottom right, bottom left, all on the centre line at first.
    constexpr float kTilt = 0.19999999f;
    float x1 = w * 0.5f, x2 = w * 0.5f;
    float y[4] = {0, kTilt * h, 0.8f * h, h};
    if (anticlockwise) {
        y[0] = -kTilt * h;
        y[1] = 0;
        y[2] = h;
        y[3] = 1.2f * h;
    }
    const float dx = PerFrame(0.5f * w, frames), dy = PerFrame(kTilt * h, frames);
    Bitmap* shown = nullptr;
    return pass.Run(incoming, [&](int32_t) {
        x1 -= dx;
        x2 += dx;
        if (anticlockwise) {
            y[0] += dy;
            y[3] -= dy;
        } else {
            y[1] -= dy;
            y[2] += dy;
        }
        if (const auto t = canvas.TaperStep(y[2] - y[1], y[3] - y[0])) {
            canvas.Clear(pass.TransparentBackground());
            canvas.DrawSlices(SliceCanvas::New, *t, anticlockwise);
            shown = canvas.Canvas();
        }
        if (!g) return;
        if (Bitmap* old = pass.OldPicture()) g->DrawImage(old, 0, 0);
        if (!shown) return;
        if (anticlockwise)
            g->DrawImage(shown, RectF(x1, y[1], x2 - x1, y[2] - y[1]));
        else
            g->DrawImage(shown, RectF(x1, y[0], x2 - x1, y[3] - y[0]));
    });
}

#include "render/transitions/DoorTransitionRenderer.h"

#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/transitions/FrameSteps.h"

using namespace Gdiplus;
using transition::Advance;
using transition::PerFrame;

namespace {

enum DoorMode : int32_t { kOpen = 0, kClose = 1 };

// Upper-left, upper-right and lower-left corner of a door; `moving` marks the corners that step.
struct Door {
    PointF corner[3];
    bool moving[3];
    PointF step;
};

} // namespace

int32_t RenderDoorTransition(RenderJob& job) {
    TransitionPass pass(job);
    const int32_t mode = pass.Param1();
    // Opening shows the incoming slide moving behind the doors; closing brings its halves in.
    const auto incoming = mode == kClose ? TransitionPass::Incoming::Frozen : TransitionPass::Incoming::Live;
    Graphics* g = pass.FrameGraphics();
    if ((mode != kOpen && mode != kClose) || !g) return pass.Run(incoming, nullptr);

    const float w = static_cast<float>(pass.Width()), h = static_cast<float>(pass.Height());
    const int32_t frames = pass.TransitionFrames();
    const INT half = pass.Width() / 2;
    const float halfX = static_cast<float>(half);
    Bitmap left(half, pass.Height(), PixelFormat24bppRGB), right(half, pass.Height(), PixelFormat24bppRGB);
    const auto fill = [&](Bitmap* picture) {
        if (!picture) return;
        Graphics(&left).DrawImage(picture, 0, 0);
        Graphics(&right).DrawImage(picture, -w * 0.5f, 0.0f);
    };

    const float dx = PerFrame(0.5f * w, frames), dy = PerFrame(0.3f * h, frames);
    Door l, r;
    Bitmap* behind = nullptr;
    if (mode == kOpen) {
        fill(pass.OldPicture());
        behind = pass.EffectFrame();
        l = {{{0, 0}, {halfX, 0}, {0, h}}, {false, true, false}, {-dx, dy}};
        r = {{{halfX, 0}, {w, 0}, {halfX, h}}, {true, false, true}, {dx, dy}};
    } else {
        pass.Freeze();
        fill(pass.EffectFrame()); // frozen: the same halves in every frame
        behind = pass.OldPicture();
        l = {{{0, 0}, {0, 0.3f * h}, {0, h}}, {false, true, false}, {dx, -dy}};
        r = {{{w, 0.3f * h}, {w, 0}, {w, 1.3f * h}}, {true, false, true}, {-dx, -dy}};
    }

    return pass.Run(incoming, [&](int32_t) {
        for (Door* d : {&l, &r})
            for (int i = 0; i < 3; ++i)
                if (d->moving[i]) Advance(d->corner[i], d->step);
        if (behind) g->DrawImage(behind, 0, 0);
        g->DrawImage(&left, l.corner, 3);
        g->DrawImage(&right, r.corner, 3);
    });
}

#include "render/transitions/DoorTransitionRenderer.h"

#include <algorithm>
#include <cmath>

#include "model/TransitionSetting.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"
#include "render/transitions/FrameSteps.h"
#include "render/transitions/SliceCanvas.h"

using namespace Gdiplus;
using transition::PerFrame;

namespace {

enum DoorMode : int32_t { kOpen = 0, kClose = 1 };

// A door's upper-left and upper-right corners; the one on the moving edge steps. Its lower-left
// corner stays the frame height below the upper-left one.
struct Door {
    PointF left, right;
    bool leftMoves;
    PointF step;
    void Advance() { transition::Advance(leftMoves ? left : right, step); }
};

// A door's left edge stays upright and as high as the frame, so the parallelogram is a column
// shear: every frame column between its left and right edge shows one of the door's `count`
// picture columns from `first`, starting on the sloping top edge.
void DrawDoor(SliceCanvas& canvas, SliceCanvas::Picture picture, const Door& door, int32_t first,
              int32_t count, float height) {
    const PointF& left = door.left;
    const PointF& right = door.right;
    const float span = right.X - left.X;
    if (!(span > 0) || count <= 0) return;
    const float frameWidth = static_cast<float>(canvas.Count());
    const auto from = static_cast<int32_t>(std::ceil(std::clamp(left.X - 0.5f, 0.0f, frameWidth)));
    const auto to = static_cast<int32_t>(std::ceil(std::clamp(right.X - 0.5f, 0.0f, frameWidth)));
    for (int32_t x = from; x < to; ++x) {
        const float f = (static_cast<float>(x) + 0.5f - left.X) / span;
        const int32_t u = std::clamp(static_cast<int32_t>(std::clamp(f, 0.0f, 1.0f) * count), 0, count - 1);
        canvas.DrawSlice(picture, first + u, x, left.Y + f * (right.Y - left.Y), height);
    }
}

} // namespace

int32_t RenderDoorTransition(RenderJob& job) {
    TransitionPass pass(job);
    const int32_t mode = pass.Param1();
    // Opening shows the incoming slide moving behind the doors; closing brings its halves in.
    const auto incoming = GetTransitionIncoming(TRANSITION_DOOR, pass);
    Graphics* g = pass.FrameGraphics();
    if ((mode != kOpen && mode != kClose) || !g) return pass.Run(incoming, nullptr);

    const float w = static_cast<float>(pass.Width()), h = static_cast<float>(pass.Height());
    const int32_t frames = pass.TransitionFrames();
    const int32_t half = pass.Width() / 2;
    const float halfX = static_cast<float>(half);
    SliceCanvas canvas(pass.Width(), pass.Height(), SliceCanvas::Slices::Columns);

    const float dx = PerFrame(0.5f * w, frames), dy = PerFrame(0.3f * h, frames);
    Door l, r;
    Bitmap* behind = nullptr;
    SliceCanvas::Picture doors = SliceCanvas::Old;
    if (mode == kOpen) {
        canvas.TakeSlices(doors, pass.OldPicture());
        behind = pass.EffectFrame();
        l = {{0, 0}, {halfX, 0}, false, {-dx, dy}};
        r = {{halfX, 0}, {w, 0}, true, {dx, dy}};
    } else {
        pass.Freeze();
        doors = SliceCanvas::New;
        canvas.TakeSlices(doors, pass.EffectFrame()); // frozen: the same halves in every frame
        behind = pass.OldPicture();
        l = {{0, 0}, {0, 0.3f * h}, false, {dx, -dy}};
        r = {{w, 0.3f * h}, {w, 0}, true, {-dx, -dy}};
    }

    return pass.Run(incoming, [&](int32_t) {
        l.Advance();
        r.Advance();
        canvas.Clear(pass.TransparentBackground());
        DrawDoor(canvas, doors, l, 0, half, h);
        DrawDoor(canvas, doors, r, pass.Width() - half, half, h);
        if (behind) g->DrawImage(behind, 0, 0);
        g->DrawImage(canvas.Canvas(), 0, 0);
    });
}

#include "render/transitions/TwistTransitionRenderer.h"

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

enum TwistDirection : int32_t { kLeftToRight = 0, kRightToLeft = 1 };

// 1 / 1.3 as the squeeze has always used it.
constexpr double kSqueezePower = 0.7692307974459868;

// The first column at or right of x (its whole part toward zero, plus one when x is not whole),
// within 0..width.
int32_t ColumnFrom(float x, int32_t width) {
    const float clamped = std::clamp(x, -1.0f, static_cast<float>(width) + 1.0f);
    const float whole = std::trunc(clamped);
    const auto column = static_cast<int32_t>(whole) + (whole != clamped ? 1 : 0);
    return std::clamp(column, 0, width);
}

} // namespace

int32_t RenderTwistTransition(RenderJob& job) {
    TransitionPass pass(job);
    const auto incoming = GetTransitionIncoming(TRANSITION_TWIST, pass);
    Graphics* g = pass.FrameGraphics();
    const bool leftward = pass.Param1() == kRightToLeft;
    const int32_t width = pass.Width();
    const float w = static_cast<float>(width), h = static_cast<float>(pass.Height());
    const float middle = static_cast<float>(pass.Height() / 2);
    const int32_t frames = pass.TransitionFrames();

    SliceCanvas canvas(width, pass.Height(), SliceCanvas::Slices::Columns);
    canvas.TakeSlices(SliceCanvas::Old, pass.OldPicture());
    pass.Freeze();
    canvas.TakeSlices(SliceCanvas::New, pass.EffectFrame());

    // A column d from the line is drawn 2 x c x d^(1/1.3) high: the full height a quarter width away.
    const double c = (h * 0.5) / std::pow(w * 0.25, kSqueezePower);
    float line = leftward ? 1.25f * w : -0.25f * w;
    const float step = PerFrame((leftward ? -1.5f : 1.5f) * w, frames);
    // Left of the line and right of it: new then old going right, old then new going left.
    const auto before = leftward ? SliceCanvas::Old : SliceCanvas::New;
    const auto after = leftward ? SliceCanvas::New : SliceCanvas::Old;

    return pass.Run(incoming, [&](int32_t) {
        line += step;
        const int32_t b1 = ColumnFrom(line - w * 0.25f, width), b2 = ColumnFrom(line, width),
                      b3 = ColumnFrom(line + w * 0.25f, width);
        const auto squeezed = [&](float d) {
            const auto s = static_cast<float>(c * std::pow(std::max(d, 0.0f), kSqueezePower));
            return std::isfinite(s) ? s : 0.0f;
        };
        canvas.Clear(pass.Background());
        for (int32_t i = 0; i < b1; ++i)
            canvas.DrawSlice(before, i, 0, h);
        for (int32_t i = b1; i < b2; ++i) {
            const float s = squeezed(line - static_cast<float>(i));
            canvas.DrawSlice(before, i, middle - s, 2 * s);
        }
        for (int32_t i = b2; i < b3; ++i) {
            const float s = squeezed(static_cast<float>(i) - line);
            canvas.DrawSlice(after, i, middle - s, 2 * s);
        }
        for (int32_t i = b3; i < width; ++i)
            canvas.DrawSlice(after, i, 0, h);
        if (g) g->DrawImage(canvas.Canvas(), 0, 0);
    });
}

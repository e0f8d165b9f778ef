#include "render/transitions/AccordionTransitionRenderer.h"

#include <algorithm>
#include <array>

#include "model/TransitionSetting.h"
#include "platform/gdiplus/NativePixels.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"
#include "render/transitions/ShearedStrip.h"
#include "render/transitions/StripLayout.h"

using namespace Gdiplus;

namespace {

constexpr int32_t kStrips = 6;
constexpr REAL kSkew = 0.2f; // of the height

using Corners = PointF[3]; // upper-left, upper-right, lower-left

struct Fold {
    Strip strip;
    Corners oldAt;
    Corners newAt;
};

// Moves a parallelogram by the offsets of its two edges; the skewed corners move by `skew`.
void Move(Corners& c, REAL left, REAL right, bool even, REAL skew) {
    c[0].X += left;
    c[2].X = c[0].X;
    c[1].X += right;
    if (even) {
        c[1].Y += skew;
    } else {
        c[0].Y += skew;
        c[2].Y += skew;
    }
}

} // namespace

int32_t RenderAccordionTransition(RenderJob& job) {
    TransitionPass pass(job);
    Graphics* g = pass.FrameGraphics();
    const int32_t frames = pass.TransitionFrames();
    const int32_t w = pass.Width(), h = pass.Height();
    const bool fromRight = pass.Param1() == 1;
    const auto t = static_cast<REAL>(frames);
    const REAL hf = static_cast<REAL>(h);

    std::array<Fold, kStrips> folds;
    // Edge offsets per frame: the old strips move to the far edge, the new ones from the near one.
    std::array<REAL, kStrips + 1> oldOffset{}, newOffset{};
    REAL shadeStep = 0, skewStep = 0;
    if (frames > 0) {
        std::array<REAL, kStrips> speed{};
        for (int32_t i = 0; i < kStrips; ++i) {
            folds[i].strip = LayStrip(w, h, kStrips, i);
            speed[i] = static_cast<REAL>(folds[i].strip.width) / t;
        }
        for (int32_t i = 0; i <= kStrips; ++i) {
            REAL before = 0, after = 0;
            for (int32_t j = 0; j < i; ++j)
                before += speed[j];
            for (int32_t j = i; j < kStrips; ++j)
                after += speed[j];
            oldOffset[i] = fromRight ? -before : after;
            newOffset[i] = fromRight ? -after : before;
        }
        const REAL start = fromRight ? static_cast<REAL>(w) : 0.0f;
        for (int32_t i = 0; i < kStrips; ++i) {
            Fold& f = folds[i];
            const auto x = static_cast<REAL>(f.strip.x), right = static_cast<REAL>(f.strip.x + f.strip.width);
            f.oldAt[0] = PointF(x, 0), f.oldAt[1] = PointF(right, 0), f.oldAt[2] = PointF(x, hf);
            if (i % 2 == 0)
                f.newAt[0] = PointF(start, 0), f.newAt[1] = PointF(start, kSkew * hf),
                f.newAt[2] = PointF(start, hf);
            else
                f.newAt[0] = PointF(start, kSkew * hf), f.newAt[1] = PointF(start, 0),
                f.newAt[2] = PointF(start, (1 + kSkew) * hf);
        }
        shadeStep = 255.0f / t;
        skewStep = kSkew * hf / t;
    }
    return pass.Run(GetTransitionIncoming(TRANSITION_ACCORDION, pass), [&](int32_t k) {
        if (!g) return;
        // The single-precision step times k + 1, exactly: a product rounded to single precision
        // would reach 255 in the last frame where the step lies just below 255 / T (T = 25).
        const double product = static_cast<double>(k + 1) * static_cast<double>(shadeStep);
        const auto shade = static_cast<uint32_t>(std::min(static_cast<int32_t>(product), 255));
        g->Clear(pass.Background());
        const NativePixels frame(job.m_pFrameBitmap, NativePixels::Access::ReadWrite);
        const NativePixels oldPicture(pass.OldPicture(), NativePixels::Access::Read);
        const NativePixels newPicture(pass.EffectFrame(), NativePixels::Access::Read);
        for (int32_t i = 0; i < kStrips; ++i) {
            Fold& f = folds[i];
            const bool even = i % 2 == 0;
            Move(f.oldAt, oldOffset[i], oldOffset[i + 1], even, skewStep);
            Move(f.newAt, newOffset[i], newOffset[i + 1], even, -skewStep);
            // The old odd strips darken towards black by the shade, the new ones come out of it.
            DrawShearedStrip(frame, oldPicture, f.strip, f.oldAt, even ? 255 : 255 - shade);
            DrawShearedStrip(frame, newPicture, f.strip, f.newAt, even ? 255 : shade);
        }
    });
}

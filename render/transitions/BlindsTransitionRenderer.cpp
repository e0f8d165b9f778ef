#include "render/transitions/BlindsTransitionRenderer.h"

#include <algorithm>
#include <vector>

#include "model/TransitionSetting.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"
#include "render/transitions/StripLayout.h"

using namespace Gdiplus;

namespace {

constexpr int32_t kMaxBlinds = 10;

struct Blind {
    Strip strip;
    RectF shown;       // where the blind is drawn; its own strip when whole
    REAL speed = 0;    // width change per frame
    int32_t start = 0; // first frame of its narrowing
};

} // namespace

int32_t RenderBlindsTransition(RenderJob& job) {
    TransitionPass pass(job);
    Graphics* g = pass.FrameGraphics();
    const int32_t frames = pass.TransitionFrames();
    const int32_t w = pass.Width(), h = pass.Height();
    const bool fromRight = pass.Param1() == 1;
    // 0 or fewer strips cannot be laid out, and no strip is narrower than a pixel.
    const int32_t count = std::clamp(pass.Param2(), 1, std::max(1, std::min(kMaxBlinds, w)));
    std::vector<Blind> blinds;
    if (frames > 0) {
        for (int32_t i = 0; i < count; ++i) {
            Blind b;
            b.strip = LayStrip(w, h, count, i);
            b.shown = b.strip.Rect();
            b.speed = static_cast<REAL>(b.strip.width) / (0.3f * static_cast<REAL>(frames));
            b.start =
                static_cast<int32_t>(static_cast<double>(fromRight ? count - i : i) * frames * 0.4 / count);
            blinds.push_back(b);
        }
    }
    const double narrowing = 0.3 * frames, widening = 0.6 * frames;
    return pass.Run(GetTransitionIncoming(TRANSITION_BLINDS, pass), [&](int32_t k) {
        if (!g) return;
        g->Clear(pass.Background());
        for (Blind& b : blinds) {
            const double since = static_cast<double>(k) - b.start;
            Bitmap* picture = pass.OldPicture();
            if (since >= 0 && since < narrowing) {
                // Narrows to its centre line, never below no width at all.
                b.shown.X += 0.5f * b.speed, b.shown.Width -= b.speed;
                if (b.shown.Width < 0) b.shown = RectF(b.strip.Center(), 0, 0, static_cast<REAL>(h));
            } else if (since >= narrowing) {
                picture = pass.EffectFrame();
                if (since < widening) {
                    b.shown.X -= 0.5f * b.speed, b.shown.Width += b.speed;
                    if (b.shown.Width > static_cast<REAL>(b.strip.width)) b.shown = b.strip.Rect();
                } else {
                    b.shown = b.strip.Rect();
                }
            }
            if (b.shown.Width > 0) b.strip.Draw(*g, picture, b.shown);
        }
    });
}

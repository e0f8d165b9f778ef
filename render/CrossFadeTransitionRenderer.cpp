#include "render/CrossFadeTransitionRenderer.h"

#include <memory>

#include "platform/gdiplus/CachedBitmap.h"
#include "platform/gdiplus/ImageAttributes.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"

using namespace Gdiplus;

int32_t RenderCrossFadeTransition(RenderJob& job) {
    TransitionPass pass(job);
    Graphics* g = pass.FrameGraphics();
    std::unique_ptr<CachedBitmap> old;
    if (g && pass.OldPicture()) old = std::make_unique<CachedBitmap>(pass.OldPicture(), g);
    ImageAttributes attributes;
    ColorMatrix matrix;
    const RectF whole(0, 0, static_cast<REAL>(pass.Width()), static_cast<REAL>(pass.Height()));
    const REAL frames = static_cast<REAL>(pass.TransitionFrames());
    return pass.Run(TransitionPass::Incoming::Live, [&](int32_t k) {
        if (!g) return;
        if (old) g->DrawCachedBitmap(old.get(), 0, 0);
        matrix.m[3][3] = static_cast<REAL>(k + 1) / frames;
        attributes.SetColorMatrix(&matrix);
        g->DrawImage(pass.EffectFrame(), whole, 0, 0, whole.Width, whole.Height, UnitPixel, &attributes);
    });
}

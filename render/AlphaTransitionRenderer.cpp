#include "render/AlphaTransitionRenderer.h"

#include <memory>

#include "platform/gdiplus/CachedBitmap.h"
#include "platform/gdiplus/ImageAttributes.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"

using namespace Gdiplus;

int32_t RenderAlphaTransition(RenderJob& job) {
    TransitionPass pass(job);
    Graphics* g = pass.FrameGraphics();
    const int32_t fadeMode = pass.Param1();
    const int32_t w = pass.Width();
    const int32_t h = pass.Height();
    const int32_t frames = pass.TransitionFrames();
    const int32_t half = frames / 2;

    std::unique_ptr<CachedBitmap> old;
    if (g && pass.OldPicture()) old = std::make_unique<CachedBitmap>(pass.OldPicture(), g);
    std::unique_ptr<Bitmap> middle;
    if (fadeMode == 1 || fadeMode == 2) {
        middle = std::make_unique<Bitmap>(w, h, PixelFormat24bppRGB);
        Graphics mg(middle.get());
        mg.Clear(Color(fadeMode == 1 ? Color::White : Color::Black));
    }
    ImageAttributes attributes;
    ColorMatrix matrix;
    const RectF whole(0, 0, static_cast<REAL>(w), static_cast<REAL>(h));
    auto drawFaded = [&](Bitmap* picture, REAL alpha) {
        matrix.m[3][3] = alpha;
        attributes.SetColorMatrix(&matrix);
        g->DrawImage(picture, whole, 0, 0, whole.Width, whole.Height, UnitPixel, &attributes);
    };
    auto drawOld = [&]() {
        if (old) g->DrawCachedBitmap(old.get(), 0, 0);
    };

    return pass.Run(TransitionPass::Incoming::Live, [&](int32_t k) {
        if (!g) return;
        if (fadeMode == 0) {
            drawOld();
            drawFaded(pass.EffectFrame(), static_cast<REAL>(k + 1) / static_cast<REAL>(frames));
        } else if (middle) {
            if (k < half) {
                drawOld();
                drawFaded(middle.get(), 2.0f * static_cast<REAL>(k + 1) / static_cast<REAL>(frames));
            } else {
                g->DrawImage(middle.get(), 0, 0);
                drawFaded(pass.EffectFrame(), 2.0f * static_cast<REAL>(k - half + 1) / static_cast<REAL>(frames));
            }
        }
    });
}

#include "render/transitions/ZoomTransitionRenderer.h"

#include <memory>

#include "model/TransitionSetting.h"
#include "platform/gdiplus/ImageAttributes.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"

using namespace Gdiplus;

namespace {

enum ZoomMode : int32_t { ZoomIn = 0, ZoomOut = 1 };

} // namespace

int32_t RenderZoomTransition(RenderJob& job) {
    // A 32-bit source takes the drawing layer's fast path for scaled drawing with an opacity.
    TransitionPass pass(job, TransitionPass::OldCopy::Argb32);
    Graphics* g = pass.FrameGraphics();
    const int32_t frames = pass.TransitionFrames();
    const int32_t mode = pass.Param1();
    const auto w = static_cast<REAL>(pass.Width()), h = static_cast<REAL>(pass.Height());
    const auto t = static_cast<REAL>(frames);
    // The rectangle grows or shrinks about the frame centre: it moves by (dx, dy) and changes
    // size by twice that the other way.
    RectF zoom;
    REAL dx = 0, dy = 0;
    if (frames > 0 && mode == ZoomIn) {
        zoom = RectF(0, 0, w, h);
        dx = -2 * w / t, dy = -2 * h / t;
    } else if (frames > 0 && mode == ZoomOut) {
        zoom = RectF(-2 * w, -2 * h, 5 * w, 5 * h);
        dx = 2 * w / t, dy = 2 * h / t;
    }
    // The incoming slide is copied into a 32-bit bitmap before it is scaled, for the same reason.
    std::unique_ptr<Bitmap> incoming;
    std::unique_ptr<Graphics> incomingGraphics;
    if (frames > 0 && mode == ZoomOut) {
        incoming = std::make_unique<Bitmap>(pass.Width(), pass.Height(), PixelFormat32bppARGB);
        incomingGraphics = std::make_unique<Graphics>(incoming.get());
        incomingGraphics->SetCompositingMode(CompositingModeSourceCopy);
    }
    ImageAttributes attributes;
    ColorMatrix matrix;
    auto drawZoomed = [&](Bitmap* picture, REAL alpha) {
        matrix.m[3][3] = alpha;
        attributes.SetColorMatrix(&matrix);
        g->DrawImage(picture, zoom, 0, 0, w, h, UnitPixel, &attributes);
    };
    return pass.Run(GetTransitionIncoming(TRANSITION_ZOOM, pass), [&](int32_t k) {
        if (!g || (mode != ZoomIn && mode != ZoomOut)) return;
        zoom.X += dx, zoom.Y += dy, zoom.Width -= 2 * dx, zoom.Height -= 2 * dy;
        const REAL progress = static_cast<REAL>(k) / t;
        if (mode == ZoomIn) {
            g->DrawImage(pass.EffectFrame(), 0, 0);
            drawZoomed(pass.OldPicture(), 0.85f * (1 - progress));
        } else {
            // The old picture is opaque: copied, not blended.
            g->SetCompositingMode(CompositingModeSourceCopy);
            g->DrawImage(pass.OldPicture(), 0, 0);
            g->SetCompositingMode(CompositingModeSourceOver);
            if (pass.EffectFrame()) incomingGraphics->DrawImage(pass.EffectFrame(), 0, 0);
            drawZoomed(incoming.get(), 0.85f * progress);
        }
    });
}

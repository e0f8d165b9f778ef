#include "render/transitions/PolygonTransitionRenderer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "model/TransitionSetting.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/Region.h"
#include "render/RenderJob.h"
#include "render/TransitionPass.h"
#include "render/TransitionRenderers.h"
#include "render/transitions/FrameSteps.h"

using namespace Gdiplus;
using transition::Advance;
using transition::PerFrame;

namespace {

enum PolygonDirection : int32_t { kFlyIn = 0, kFlyOut = 1 };
constexpr int32_t kMaxPieces = 9;

struct Piece {
    std::unique_ptr<Bitmap> bitmap;
    Region region;
    PointF offset;
    PointF velocity;
};

// Cuts the half-disc of every piece out of `picture` into the piece's own bitmap.
void FillPieces(std::vector<Piece>& pieces, Bitmap* picture, const Color& clear) {
    if (!picture) return;
    for (Piece& piece : pieces) {
        Graphics pg(piece.bitmap.get());
        pg.Clear(clear);
        pg.SetClip(&piece.region);
        pg.DrawImage(picture, 0, 0);
    }
}

} // namespace

int32_t RenderPolygonTransition(RenderJob& job) {
    TransitionPass pass(job);
    const int32_t direction = pass.Param2();
    // Flying in, the new picture's pieces are cut once from the frozen slide.
    const auto incoming = GetTransitionIncoming(TRANSITION_POLYGON, pass);
    Graphics* g = pass.FrameGraphics();
    if ((direction != kFlyIn && direction != kFlyOut) || !g) return pass.Run(incoming, nullptr);

    // Each piece costs a frame-sized bitmap, and fewer than one has no sector: 1..9 pieces.
    const int32_t count = std::clamp(pass.Param1(), 1, kMaxPieces);
    const float w = static_cast<float>(pass.Width()), h = static_cast<float>(pass.Height());
    const int32_t frames = pass.TransitionFrames();
    const float radius = std::sqrt(w * w + h * h) * 0.5f;
    const RectF pie(w * 0.5f - radius, h * 0.5f - radius, 2 * radius, 2 * radius);
    const float share = 1.0f / static_cast<float>(count);
    const float sector = 360.0f * share;
    const float speed = PerFrame(radius, frames);

    std::vector<Piece> pieces(static_cast<size_t>(count));
    float start = 180.0f * share - 90.0f;
    for (Piece& piece : pieces) {
        piece.bitmap = std::make_unique<Bitmap>(pass.Width(), pass.Height(), PixelFormat32bppARGB);
        // Outside the frame, plus the half-disc whose middle points along start + 90.
        piece.region.Xor(RectF(0, 0, w, h));
        GraphicsPath half;
        half.AddPie(pie, start, 180.0f);
        piece.region.Union(&half);
        const double heading = std::trunc(start + 90.0f) * std::numbers::pi / 180.0;
        piece.velocity = PointF(speed * static_cast<float>(std::cos(heading)),
                                speed * static_cast<float>(std::sin(heading)));
        start += sector;
    }

    Bitmap* behind = nullptr;
    if (direction == kFlyOut) {
        FillPieces(pieces, pass.OldPicture(), pass.TransparentBackground());
        behind = pass.EffectFrame();
    } else {
        for (Piece& piece : pieces) {
            piece.offset = PointF(static_cast<float>(frames) * piece.velocity.X,
                                  static_cast<float>(frames) * piece.velocity.Y);
            piece.velocity = PointF(-piece.velocity.X, -piece.velocity.Y);
        }
        pass.Freeze();
        FillPieces(pieces, pass.EffectFrame(), pass.TransparentBackground());
        behind = pass.OldPicture();
    }

    return pass.Run(incoming, [&](int32_t) {
        if (behind) g->DrawImage(behind, 0, 0);
        for (Piece& piece : pieces) {
            Advance(piece.offset, piece.velocity);
            // At the nearest whole pixel: a piece moves R / T pixels a frame, and an unscaled draw
            // costs a fraction of a resampled one (nine frame-sized pieces a frame).
            g->DrawImage(piece.bitmap.get(), static_cast<INT>(std::lround(piece.offset.X)),
                         static_cast<INT>(std::lround(piece.offset.Y)));
        }
    });
}

#include "render/SingleEffectAnimator.h"

#include <cmath>

#include "platform/gdiplus/Matrix.h"

using namespace Gdiplus;

namespace {

bool IsPan(int32_t id) { return id >= 0 && id <= 7; }
bool IsZoomIn(int32_t id) { return (id >= 8 && id <= 12) || id == 18; }
bool IsZoomOut(int32_t id) { return (id >= 13 && id <= 17) || id == 19; }

void ResetGeometry(SingleEffectAnimator& a) {
    a.m_nPictureX = a.m_nPictureY = 0;
    a.m_nPictureWidth = a.m_nPictureHeight = 0;
    a.m_fDrawX = a.m_fDrawY = a.m_fDrawWidth = a.m_fDrawHeight = 0;
    a.m_fStepX = a.m_fStepY = a.m_fAngleStep = 0;
}

// Moves the draw rectangle by k steps.
void Advance(SingleEffectAnimator& a, int32_t id, float k) {
    const float sx = a.m_fStepX * k;
    const float sy = a.m_fStepY * k;
    switch (id) {
    case 0:
    case 1:
        a.m_fDrawX += sx;
        break;
    case 2:
    case 3:
    case 4:
    case 5:
        a.m_fDrawX += sx;
        a.m_fDrawY += sy;
        break;
    case 6:
    case 7:
        a.m_fDrawY += sy;
        break;
    case 8:
    case 13:
        a.m_fDrawX -= sx * 0.5f;
        a.m_fDrawY -= sy * 0.5f;
        a.m_fDrawWidth += sx;
        a.m_fDrawHeight += sy;
        break;
    case 9:
    case 14:
        a.m_fDrawWidth += sx;
        a.m_fDrawHeight += sy;
        break;
    case 10:
    case 15:
        a.m_fDrawX -= sx;
        a.m_fDrawWidth += sx;
        a.m_fDrawHeight += sy;
        break;
    case 11:
    case 16:
        a.m_fDrawY -= sy;
        a.m_fDrawWidth += sx;
        a.m_fDrawHeight += sy;
        break;
    case 12:
    case 17:
    case 18:
    case 19:
        a.m_fDrawX -= sx;
        a.m_fDrawY -= sy;
        a.m_fDrawWidth += sx;
        a.m_fDrawHeight += sy;
        break;
    default:
        break;
    }
}

void DrawFrame(SingleEffectAnimator& a, int32_t id, float angle, const Color& background) {
    Graphics* g = a.m_pEffectGraphics.get();
    if (!g) return;
    g->Clear(background);
    Bitmap* src = a.m_pSource.get();
    if (!src || !src->IsValid()) return;
    const RectF dst(a.m_fDrawX, a.m_fDrawY, a.m_fDrawWidth, a.m_fDrawHeight);
    if (id == 18 || id == 19) {
        const REAL cx = static_cast<REAL>(a.m_nFrameWidth / 2);
        const REAL cy = static_cast<REAL>(a.m_nFrameHeight / 2);
        Matrix m;
        m.Translate(cx, cy, MatrixOrderPrepend);
        m.Rotate(angle, MatrixOrderPrepend);
        m.Translate(-cx, -cy, MatrixOrderPrepend);
        g->SetTransform(&m);
        g->DrawImage(src, dst);
        g->ResetTransform();
    } else {
        g->DrawImage(src, dst);
    }
}

} // namespace

void SingleEffectAnimator::Create(int32_t frameWidth, int32_t frameHeight) {
    m_nFrameWidth = frameWidth;
    m_nFrameHeight = frameHeight;
    m_pSource.reset();
    ResetGeometry(*this);
    m_pEffectGraphics.reset();
    m_pEffectBitmap = std::make_unique<Bitmap>(frameWidth, frameHeight, PixelFormat24bppRGB);
    m_pEffectGraphics = std::make_unique<Graphics>(m_pEffectBitmap.get());
}

void SingleEffectAnimator::SetSourcePicture(Bitmap* picture) {
    const bool fits = picture && picture->IsValid() && m_nPictureWidth > 0 && m_nPictureHeight > 0;
    // The source of the previous slide is reused when the size matches: one allocation per size.
    if (!fits) {
        m_pSource.reset();
        return;
    }
    if (!m_pSource || !m_pSource->IsValid() || static_cast<int32_t>(m_pSource->GetWidth()) != m_nPictureWidth ||
        static_cast<int32_t>(m_pSource->GetHeight()) != m_nPictureHeight)
        m_pSource = std::make_unique<Bitmap>(m_nPictureWidth, m_nPictureHeight, PixelFormat24bppRGB);
    if (!m_pSource->IsValid()) {
        m_pSource.reset();
        return;
    }
    Graphics g(m_pSource.get());
    g.Clear(Color(Color::Black));
    // Shrunk once per slide with a prefiltered resize; the frames then draw it near its own size.
    g.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    g.DrawImage(picture, RectF(0, 0, static_cast<REAL>(m_nPictureWidth), static_cast<REAL>(m_nPictureHeight)));
}

void SetupSingleEffect(int32_t effectId, SingleEffectAnimator& a, int32_t frames, const Bitmap* picture) {
    ResetGeometry(a);
    const int32_t id = NormalizeEffectId(effectId);
    const int32_t W = a.m_nFrameWidth;
    const int32_t H = a.m_nFrameHeight;
    const int32_t pw = picture && picture->IsValid() ? static_cast<int32_t>(picture->GetWidth()) : 0;
    const int32_t ph = picture && picture->IsValid() ? static_cast<int32_t>(picture->GetHeight()) : 0;
    // Nothing to fit: an unloadable picture or an empty frame leaves an empty fit.
    if (pw <= 0 || ph <= 0 || W <= 0 || H <= 0) return;

    const float r = static_cast<float>(ph) / static_cast<float>(pw);
    const float frameRatio = static_cast<float>(H) / static_cast<float>(W);
    int32_t w = 0;
    int32_t h = 0;
    if (IsPan(id)) {
        if (frameRatio < r) {
            h = static_cast<int32_t>(H * 1.05);
            w = static_cast<int32_t>(h / r);
        } else {
            w = static_cast<int32_t>(W * 1.05);
            h = static_cast<int32_t>(w * r);
        }
    } else if (frameRatio < r) {
        h = H;
        w = static_cast<int32_t>(H / r);
    } else {
        w = W;
        h = static_cast<int32_t>(W * r);
    }
    // Never enlarged by the fit.
    if (ph < h || pw < w) {
        w = pw;
        h = ph;
    }
    a.m_nPictureWidth = w;
    a.m_nPictureHeight = h;
    a.m_fDrawWidth = static_cast<float>(w);
    a.m_fDrawHeight = static_cast<float>(h);
    // A slide without frames never moves (and never divides by zero).
    const float n = frames > 0 ? static_cast<float>(frames) : 0.0f;
    auto per = [n](float total) { return n > 0 ? total / n : 0.0f; };

    if (IsPan(id)) {
        const float dx = per(std::fabs(static_cast<float>(W - w)));
        const float dy = per(std::fabs(static_cast<float>(H - h)));
        struct PanRow {
            int sx, sy; // start: 0 = 0, 1 = far end (W - w or H - h), 2 = centred
            float stepX, stepY;
        };
        const PanRow rows[8] = {
            {0, 2, -1, 0}, {1, 2, +1, 0}, {0, 1, -1, +1}, {1, 0, +1, -1},
            {0, 0, -1, -1}, {1, 1, +1, +1}, {2, 0, 0, -1}, {2, 1, 0, +1},
        };
        const PanRow& row = rows[id];
        auto start = [](int which, int32_t frame, int32_t size) -> int32_t {
            return which == 0 ? 0 : which == 1 ? frame - size : (frame - size) / 2;
        };
        int32_t x = start(row.sx, W, w);
        int32_t y = start(row.sy, H, h);
        // A picture narrower than the frame starts centred.
        if (W - w > 0) {
            x = (W - w) / 2;
            y = (H - h) / 2;
        }
        a.m_fDrawX = static_cast<float>(x);
        a.m_fDrawY = static_cast<float>(y);
        a.m_fStepX = row.stepX * dx;
        a.m_fStepY = row.stepY * dy;
        return;
    }
    if (id == SINGLE_EFFECT_NONE) {
        a.m_fDrawX = static_cast<float>((W - w) / 2);
        a.m_fDrawY = static_cast<float>((H - h) / 2);
        return;
    }
    if (IsZoomIn(id)) {
        a.m_fStepX = per(0.25f * static_cast<float>(w));
        a.m_fStepY = per(0.25f * static_cast<float>(h));
    } else if (IsZoomOut(id)) {
        a.m_fStepX = -per(0.25f * static_cast<float>(w));
        a.m_fStepY = -per(0.25f * static_cast<float>(h));
        w = static_cast<int32_t>(1.25 * w);
        h = static_cast<int32_t>(1.25 * h);
        a.m_nPictureWidth = w;
        a.m_nPictureHeight = h;
        a.m_fDrawWidth = static_cast<float>(w);
        a.m_fDrawHeight = static_cast<float>(h);
    }
    const float dw = a.m_fDrawWidth;
    const float dh = a.m_fDrawHeight;
    switch (id) {
    case 8:
    case 13:
    case 18:
    case 19:
        a.m_fDrawX = (static_cast<float>(W) - dw) * 0.5f;
        a.m_fDrawY = (static_cast<float>(H) - dh) * 0.5f;
        break;
    case 9:
    case 14:
        break;
    case 10:
    case 15:
        a.m_fDrawX = static_cast<float>(W) - dw;
        break;
    case 11:
    case 16:
        a.m_fDrawY = static_cast<float>(H) - dh;
        break;
    default: // 12, 17
        a.m_fDrawX = static_cast<float>(W) - dw;
        a.m_fDrawY = static_cast<float>(H) - dh;
        break;
    }
    if (id == 18) a.m_fAngleStep = per(30.0f);
    if (id == 19) a.m_fAngleStep = -per(30.0f);
}

void AnimateSingleEffect(SingleEffectAnimator& a, uint32_t frameIndex, int32_t effectId, const Color& background) {
    const int32_t id = NormalizeEffectId(effectId);
    Advance(a, id, 1.0f);
    DrawFrame(a, id, static_cast<float>(frameIndex) * a.m_fAngleStep, background);
}

void AnimateSingleEffectSteps(SingleEffectAnimator& a, int32_t k, int32_t effectId, const Color& background) {
    const int32_t id = NormalizeEffectId(effectId);
    const float steps = static_cast<float>(k > 0 ? k : 0);
    Advance(a, id, steps);
    DrawFrame(a, id, steps * a.m_fAngleStep, background);
}

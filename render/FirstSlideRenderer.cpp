#include "render/FirstSlideRenderer.h"

#include <memory>
#include <string>

#include "model/CSlideItem.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/ImageAttributes.h"
#include "platform/gdiplus/SolidBrush.h"
#include "platform/win/Tick.h"
#include "render/FramePresenter.h"
#include "render/RenderJob.h"
#include "render/SingleEffectAnimator.h"
#include "render/SlideshowPreviewJob.h"
#include "render/TransitionPreviewJob.h"

using namespace Gdiplus;

namespace {

// Draws the picture at `path` fitted into the frame over what the frame holds, then shows the
// frame. A picture that cannot be loaded draws nothing.
void ShowStill(RenderJob& job, const std::string& path) {
    if (job.m_pFrameGraphics && !path.empty()) {
        Bitmap picture(path);
        if (picture.IsValid()) {
            const RectF fit = FitPictureInside(static_cast<int32_t>(picture.GetWidth()),
                                               static_cast<int32_t>(picture.GetHeight()), job.m_nFrameWidth,
                                               job.m_nFrameHeight);
            if (fit.Width > 0 && fit.Height > 0) job.m_pFrameGraphics->DrawImage(&picture, fit);
        }
    }
    job.m_nLastTick = GetTickCount();
    ShowFrameOnScreen(job);
}

} // namespace

RectF FitPictureInside(int32_t pw, int32_t ph, int32_t w, int32_t h) {
    if (pw <= 0 || ph <= 0 || w <= 0 || h <= 0) return RectF();
    const float W = static_cast<float>(w);
    const float H = static_cast<float>(h);
    const float PW = static_cast<float>(pw);
    const float PH = static_cast<float>(ph);
    if (H / W < PH / PW) {
        const float dw = PW * H / PH;
        return RectF((W - dw) / 2, 0, dw, H);
    }
    const float dh = PH * W / PW;
    return RectF(0, (H - dh) / 2, W, dh);
}

int32_t ShowFirstSlide(RenderJob& job) {
    if (job.m_nMode == RENDER_TRANSITION_PREVIEW) {
        ShowStill(job, job.m_pTransitionJob ? job.m_pTransitionJob->m_strFirstPicture : std::string());
        return 0;
    }
    SingleEffectAnimator* animator = job.m_pAnimator;
    if (!animator || !job.m_pFrameGraphics) return 0;
    const int32_t effect = GetRenderEffectType(job);
    Color background;
    GetRenderBackground(&background, job);
    const SolidBrush white{Color(Color::White)};
    ImageAttributes attributes;
    ColorMatrix matrix;

    LoadSlideImage(job);
    job.m_nLastTick = GetTickCount();
    const int32_t frames = job.m_nSlideFrames;
    const Rect rect = job.FrameRect();
    const RectF dest(rect);
    int32_t result = 0;
    for (int32_t i = 0; i < frames; ++i) {
        AnimateSingleEffect(*animator, job.m_nFrameIndex, effect, background);
        ++job.m_nFrameIndex;
        matrix.m[3][3] = static_cast<REAL>(i + 1) / static_cast<REAL>(frames);
        attributes.SetColorMatrix(&matrix);
        job.m_pFrameGraphics->FillRectangle(&white, rect);
        job.m_pFrameGraphics->DrawImage(animator->EffectBitmap(), dest, 0.0f, 0.0f,
                                        static_cast<REAL>(job.m_nFrameWidth), static_cast<REAL>(job.m_nFrameHeight),
                                        UnitPixel, &attributes);
        result = PresentFrame(job);
        if (result != 0) break;
    }
    return result;
}

int32_t ShowFirstSlideStill(RenderJob& job) {
    if (job.m_nMode != RENDER_SLIDESHOW_PREVIEW || !job.m_pSlideshowJob) return 1;
    const CSlideItem* first = SlideshowSlideAt(job.m_pSlideshowJob->m_pSlideshow, 0);
    ShowStill(job, first ? first->m_strTempFile : std::string());
    return 0;
}

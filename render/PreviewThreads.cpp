#include "render/PreviewThreads.h"

#include "platform/win/Event.h"
#include "platform/win/UiHandler.h"
#include "render/FirstSlideRenderer.h"
#include "render/RenderCanvas.h"
#include "render/RenderJob.h"
#include "render/SlideshowPreviewJob.h"
#include "render/SlideshowRenderer.h"
#include "render/TransitionPreviewJob.h"
#include "render/TransitionRenderers.h"

namespace {

constexpr uint32_t kSlideshowOpeningPauseMs = 1000;

// Fills the preview context (frame index, frame counts and last tick start at 0): frame,
// animator, stop event, pacing.
void SetUpPreview(RenderJob& job, RenderCanvas& canvas, RenderMode mode, int32_t pal, CEvent& stop,
                  CPreviewSurface* surface) {
    canvas.Attach(job);
    job.m_nMode = mode;
    job.m_pStopEvent = &stop;
    job.m_nFrameInterval = PreviewFrameInterval(pal);
    job.m_pPreviewSurface = surface;
}

} // namespace

int32_t PreviewFramesPerSecond(int32_t pal) {
    return pal ? 25 : 30;
}

uint32_t PreviewFrameInterval(int32_t pal) {
    return pal ? 40 : 33;
}

int32_t TransitionPreviewHeight(int32_t aspect) {
    return aspect == 1 ? TRANSITION_PREVIEW_HEIGHT_16_9 : TRANSITION_PREVIEW_HEIGHT_4_3;
}

int32_t TransitionPreviewThread(TransitionPreviewJob& preview, CEvent& stop) {
    RenderCanvas canvas(TRANSITION_PREVIEW_WIDTH, TransitionPreviewHeight(preview.m_nAspect),
                        Gdiplus::PixelFormat32bppARGB);
    RenderJob job;
    SetUpPreview(job, canvas, RENDER_TRANSITION_PREVIEW, preview.m_bPal, stop, preview.m_pPreviewSurface);
    job.m_pTransitionJob = &preview;
    ShowFirstSlide(job);
    const int32_t fps = PreviewFramesPerSecond(preview.m_bPal);
    const int32_t transition = FramesForSeconds(fps, preview.m_nTransitionSeconds);
    job.m_nSlideFrames = FramesForSeconds(fps, preview.m_nSlideSeconds) + transition;
    job.m_nTransitionFrames = transition;
    const int32_t result = RenderTransitionOfKind(job, GetRenderTransitionKind(job));
    // The first picture goes back as a still while the thread still owns the preview area.
    ShowFirstSlide(job);
    return result;
}

int32_t SlideshowPreviewThread(SlideshowPreviewJob& preview, CEvent& stop) {
    {
        CWaitCursor wait;
        if (stop.Wait(kSlideshowOpeningPauseMs)) return 2;
    }
    RenderCanvas canvas(preview.m_nWidth, preview.m_nHeight, Gdiplus::PixelFormat32bppARGB);
    RenderJob job;
    SetUpPreview(job, canvas, RENDER_SLIDESHOW_PREVIEW, preview.m_bPal, stop, preview.m_pPreviewSurface);
    job.m_pSlideshowJob = &preview;
    const int32_t result = RenderSlideshow(job, preview.m_pSlideshow, PreviewFramesPerSecond(preview.m_bPal));
    ShowFirstSlideStill(job);
    return result;
}

#include "render/RenderJob.h"

#include <algorithm>
#include <memory>

#include "model/CSlideItem.h"
#include "model/CSlideShow.h"
#include "model/TransitionSetting.h"
#include "render/EncodeJob.h"
#include "render/SingleEffectAnimator.h"
#include "render/SlideshowPreviewJob.h"
#include "render/TransitionPreviewJob.h"

using namespace Gdiplus;

int32_t FramesForSeconds(int32_t fps, int32_t seconds) {
    const int64_t s = std::clamp<int64_t>(seconds, 0, MAX_SLIDE_SECONDS);
    const int64_t f = std::max<int64_t>(fps, 0) * s;
    return static_cast<int32_t>(std::min<int64_t>(f, INT32_MAX));
}

int32_t SlideshowSlideCount(const CSlideShow* slideshow) {
    return slideshow ? static_cast<int32_t>(slideshow->m_arrSlides.size()) : 0;
}

const CSlideItem* SlideshowSlideAt(const CSlideShow* slideshow, int64_t index) {
    if (!slideshow || index < 0 || index >= static_cast<int64_t>(slideshow->m_arrSlides.size())) return nullptr;
    return slideshow->m_arrSlides[static_cast<size_t>(index)].get();
}

const CSlideItem* GetRenderSlide(const RenderJob& job) {
    const CSlideShow* show = nullptr;
    if (job.m_nMode == RENDER_SLIDESHOW_PREVIEW && job.m_pSlideshowJob) show = job.m_pSlideshowJob->m_pSlideshow;
    if (job.m_nMode == RENDER_ENCODE && job.m_pEncodeJob) show = job.m_pEncodeJob->m_pSlideshow;
    return SlideshowSlideAt(show, job.m_nFrameIndex);
}

const TransitionSetting* GetRenderTransition(const RenderJob& job) {
    if (job.m_nMode == RENDER_TRANSITION_PREVIEW) return job.m_pTransitionJob ? job.m_pTransitionJob->m_pTransition : nullptr;
    const CSlideItem* slide = GetRenderSlide(job);
    return slide ? slide->m_Settings.m_Effect.m_pTransition.get() : nullptr;
}

int32_t GetRenderEffectType(const RenderJob& job) {
    if (job.m_nMode == RENDER_TRANSITION_PREVIEW)
        return NormalizeEffectId(job.m_pTransitionJob ? job.m_pTransitionJob->m_nSingleEffectId : SINGLE_EFFECT_NONE);
    const CSlideItem* slide = GetRenderSlide(job);
    return NormalizeEffectId(slide ? slide->m_Settings.m_Effect.m_nSingleEffectId : SINGLE_EFFECT_NONE);
}

void GetRenderBackground(Color* color, const RenderJob& job) {
    if (!color) return;
    ARGB argb = Color::Black;
    if (job.m_nMode == RENDER_TRANSITION_PREVIEW && job.m_pTransitionJob) argb = job.m_pTransitionJob->m_Background;
    if (job.m_nMode == RENDER_SLIDESHOW_PREVIEW && job.m_pSlideshowJob) argb = job.m_pSlideshowJob->m_Background;
    if (job.m_nMode == RENDER_ENCODE && job.m_pEncodeJob) argb = job.m_pEncodeJob->m_Background;
    color->SetValue(argb);
}

CEvent* GetRenderStopEvent(const RenderJob& job) {
    if (job.m_nMode == RENDER_ENCODE) return job.m_pEncodeJob ? job.m_pEncodeJob->m_pStopEvent : nullptr;
    return job.m_pStopEvent;
}

void LoadSlideImage(RenderJob& job) {
    if (!job.m_pAnimator) return;
    std::string path;
    if (job.m_nMode == RENDER_TRANSITION_PREVIEW) {
        if (job.m_pTransitionJob) path = job.m_pTransitionJob->m_strSecondPicture;
    } else if (const CSlideItem* slide = GetRenderSlide(job)) {
        path = slide->m_strTempFile;
    }
    const int32_t effect = GetRenderEffectType(job);
    std::unique_ptr<Bitmap> picture;
    if (!path.empty()) picture = Bitmap::FromFile(path);
    SetupSingleEffect(effect, *job.m_pAnimator, job.m_nSlideFrames, picture.get());
    job.m_pAnimator->SetSourcePicture(picture.get());
}

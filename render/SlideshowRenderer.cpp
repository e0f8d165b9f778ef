#include "render/SlideshowRenderer.h"

#include "model/CSlideItem.h"
#include "render/FirstSlideRenderer.h"
#include "render/RenderJob.h"
#include "render/TransitionRenderers.h"

int32_t RenderSlideshow(RenderJob& job, const CSlideShow* show, int32_t fps) {
    job.m_nFrameIndex = 0;
    job.m_nSlideFrames = fps;
    job.m_nTransitionFrames = 0;
    int32_t result = ShowFirstSlide(job);
    const int32_t count = SlideshowSlideCount(show);
    for (int32_t i = 1; i < count && result == 0; ++i) {
        const CEffectSetting& effect = SlideshowSlideAt(show, i)->m_Settings.m_Effect;
        job.m_nFrameIndex = static_cast<uint32_t>(i);
        const int32_t transition = FramesForSeconds(fps, effect.m_nTransitionTime);
        job.m_nSlideFrames = FramesForSeconds(fps, effect.m_nSingleEffectTime) + transition;
        job.m_nTransitionFrames = transition;
        result = RenderTransitionOfKind(job, GetRenderTransitionKind(job));
    }
    return result;
}

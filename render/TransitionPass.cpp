#include "render/TransitionPass.h"

#include <algorithm>

#include "model/TransitionSetting.h"
#include "render/FramePresenter.h"
#include "render/RenderJob.h"
#include "render/SingleEffectAnimator.h"

using namespace Gdiplus;

TransitionPass::TransitionPass(RenderJob& job, OldCopy copy) : m_job(job) {
    m_nWidth = job.m_nFrameWidth;
    m_nHeight = job.m_nFrameHeight;
    m_nSlideFrames = std::max(job.m_nSlideFrames, 0);
    m_nTransitionFrames = std::clamp(job.m_nTransitionFrames, 0, m_nSlideFrames);
    if (job.m_pFrameBitmap) {
        if (copy == OldCopy::Rgb24) {
            m_pOld = job.m_pFrameBitmap->Clone(job.FrameRect(), PixelFormat24bppRGB);
        } else {
            m_pOld = std::make_unique<Bitmap>(m_nWidth, m_nHeight, PixelFormat32bppARGB);
            Graphics g(m_pOld.get());
            g.DrawImage(job.m_pFrameBitmap, 0, 0);
        }
    }
    m_pTransition = GetRenderTransition(job);
    m_nEffectId = GetRenderEffectType(job);
    GetRenderBackground(&m_Background, job);
    LoadSlideImage(job);
}

int32_t TransitionPass::Param1() const { return m_pTransition ? m_pTransition->m_nParam1 : 0; }
int32_t TransitionPass::Param2() const { return m_pTransition ? m_pTransition->m_nParam2 : 0; }
bool TransitionPass::Flag2() const { return (static_cast<uint32_t>(Param2()) & 0xFFu) != 0; }

Bitmap* TransitionPass::EffectFrame() const { return m_job.m_pAnimator ? m_job.m_pAnimator->EffectBitmap() : nullptr; }

Graphics* TransitionPass::FrameGraphics() const { return m_job.m_pFrameGraphics; }

void TransitionPass::Freeze() {
    if (m_bFrozen) return;
    m_bFrozen = true;
    if (m_job.m_pAnimator) AnimateSingleEffectSteps(*m_job.m_pAnimator, m_nTransitionFrames, m_nEffectId, m_Background);
}

int32_t TransitionPass::Run(Incoming incoming, const std::function<void(int32_t k)>& compose) {
    if (incoming == Incoming::Frozen) Freeze();
    int32_t result = 0;
    for (int32_t k = 0; k < m_nTransitionFrames; ++k) {
        if (incoming == Incoming::Live && m_job.m_pAnimator)
            AnimateSingleEffect(*m_job.m_pAnimator, m_job.m_nFrameIndex, m_nEffectId, m_Background);
        ++m_job.m_nFrameIndex;
        if (compose) compose(k);
        result = PresentFrame(m_job);
        if (result != 0) return result;
    }
    return RunEffectPhase();
}

int32_t TransitionPass::RunEffectPhase() {
    int32_t result = 0;
    Graphics* g = m_job.m_pFrameGraphics;
    for (int32_t k = m_nTransitionFrames; k < m_nSlideFrames; ++k) {
        if (m_job.m_pAnimator) {
            AnimateSingleEffect(*m_job.m_pAnimator, m_job.m_nFrameIndex, m_nEffectId, m_Background);
            if (g) g->DrawImage(m_job.m_pAnimator->EffectBitmap(), 0, 0);
        }
        ++m_job.m_nFrameIndex;
        result = PresentFrame(m_job);
        if (result != 0) break;
    }
    return result;
}

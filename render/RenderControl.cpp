#include "render/RenderControl.h"

#include <memory>
#include <utility>

#include "model/CProject.h"
#include "model/CSlideShow.h"
#include "model/EffectNames.h"
#include "model/TransitionFactory.h"
#include "platform/win/MsgWindow.h"
#include "platform/win/Random.h"
#include "render/PreviewThreads.h"
#include "render/SlideshowPreviewJob.h"
#include "render/TransitionPreviewJob.h"

namespace {

// An exact copy of a transition object: same kind, same parameters (a Random object stays
// Random).
std::shared_ptr<TransitionSetting> CopyTransition(const TransitionSetting* source) {
    if (!source) return nullptr;
    std::shared_ptr<TransitionSetting> copy = MakeTransition(source->m_nKind, false);
    if (copy) {
        copy->m_nParam1 = source->m_nParam1;
        copy->m_nParam2 = source->m_nParam2;
    }
    return copy;
}

} // namespace

CRenderControl::CRenderControl(CProject& project) : m_project(project) {}

CRenderControl::~CRenderControl() {
    StopRender();
}

CRenderControl& CRenderControl::Instance() {
    static CRenderControl control(g_Project);
    return control;
}

bool CRenderControl::Launch(CRenderThread::Body body) {
    m_bRendering = true;
    auto thread = std::make_unique<CRenderThread>();
    if (!thread->Start(std::move(body), m_launcher)) {
        m_bRendering = false;
        return false;
    }
    m_pThread = std::move(thread);
    return true;
}

int32_t CRenderControl::StartTransitionPreview(TransitionPreviewJob* job) {
    if (!job || m_bRenderStopping) return 1;
    // The slideshow preview replaced here may have its end message still queued after the stop,
    // stale once this start counts; its music is stopped here instead.
    if (std::exchange(m_bSlideshowMusic, false)) m_project.StopAudioPreview();
    StopRender();
    if (job->m_nSingleEffectId == SINGLE_EFFECT_RANDOM) job->m_nSingleEffectId = Rand() * 20 / RAND15_MAX;
    auto copy = std::make_shared<TransitionPreviewJob>(*job);
    std::shared_ptr<TransitionSetting> transition = CopyTransition(job->m_pTransition);
    copy->m_pTransition = transition.get();
    ++m_nGeneration;
    const bool started = Launch([this, copy, transition](CEvent& stop) {
        TransitionPreviewThread(*copy, stop);
        m_bRendering = false;
    });
    return started ? 0 : 1;
}

int32_t CRenderControl::StartSlideshowPreview(SlideshowPreviewJob* job) {
    if (m_bRenderStopping || !job || job->m_nWidth <= 0 || job->m_nHeight <= 0) return 1;
    m_project.StopAudioPreview();
    StopRender();
    if (const CSlideShow* first = m_project.GetSlideshow(0)) m_project.PlayAudioPreview(first->m_arrAudio);
    SlideshowPreviewJob copy = *job;
    CMsgWindow* mainWindow = m_project.GetMainWindow();
    const uint32_t generation = ++m_nGeneration;
    const bool started = Launch([this, copy, mainWindow, generation](CEvent& stop) mutable {
        if (SlideshowPreviewThread(copy, stop) != 2)
            PostMessage(copy.m_hNotifyWindow, WM_PREVIEW_COMPLETE, generation, 0);
        m_bRendering = false;
        PostMessage(mainWindow, WM_PREVIEW_ENDED, generation, 0);
    });
    if (started) {
        m_bSlideshowMusic = true;
        return 0;
    }
    m_project.StopAudioPreview();
    return 1;
}

void CRenderControl::StopRender() {
    if (!m_pThread || m_bRenderStopping) return;
    m_bRenderStopping = true;
    m_pThread->RequestStop();
    // Handlers served meanwhile may call in again: a start is refused, a stop returns at once.
    m_pThread->WaitAndJoin(m_project.GetMainWindow());
    m_pThread.reset();
    m_bRendering = false;
    m_bRenderStopping = false;
}

int32_t StartTransitionPreview(TransitionPreviewJob* job) {
    return CRenderControl::Instance().StartTransitionPreview(job);
}

int32_t StartSlideshowPreview(SlideshowPreviewJob* job) {
    return CRenderControl::Instance().StartSlideshowPreview(job);
}

void StopRender() {
    CRenderControl::Instance().StopRender();
}

bool IsRendering() {
    return CRenderControl::Instance().IsRendering();
}

bool IsRenderStopping() {
    return CRenderControl::Instance().IsRenderStopping();
}
